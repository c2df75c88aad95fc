#include "platform/form.h"

#include "platform/screen.h"

Control& Form::add(std::string name, ControlKind kind, std::string text, int left, int top,
                   int width, int height) {
  Control& c = controls.emplace_back();
  c.name = std::move(name);
  c.kind = kind;
  c.text = std::move(text);
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  return c;
}

Control* Form::find(const std::string& control) {
  for (Control& c : controls)
    if (c.name == control) return &c;
  return nullptr;
}

const Control* Form::find(const std::string& control) const {
  return const_cast<Form*>(this)->find(control);
}

namespace {

// Applies a change to a known control and tells the screen; only real
// changes are told, so the event log shows what the operator would see change.
template <class Apply>
void change(Screen& screen, Form& form, const std::string& control, FormChange what,
            Apply apply) {
  Control* c = form.find(control);
  if (c && apply(*c)) screen.formChanged(form, c, what);
}

}  // namespace

void setText(Screen& screen, Form& form, const std::string& control, const std::string& text) {
  change(screen, form, control, FormChange::Text, [&](Control& c) {
    if (c.text == text) return false;
    c.text = text;
    return true;
  });
}

void setEnabled(Screen& screen, Form& form, const std::string& control, bool enabled) {
  change(screen, form, control, FormChange::Enabled, [&](Control& c) {
    if (c.enabled == enabled) return false;
    c.enabled = enabled;
    return true;
  });
}

void setVisible(Screen& screen, Form& form, const std::string& control, bool visible) {
  change(screen, form, control, FormChange::Visible, [&](Control& c) {
    if (c.visible == visible) return false;
    c.visible = visible;
    return true;
  });
}

void setChecked(Screen& screen, Form& form, const std::string& control, int checked) {
  change(screen, form, control, FormChange::Checked, [&](Control& c) {
    if (c.checked == checked) return false;
    c.checked = checked;
    return true;
  });
}

void clearItems(Screen& screen, Form& form, const std::string& control) {
  change(screen, form, control, FormChange::ItemsClear, [&](Control& c) {
    c.items.clear();
    c.selected = -1;
    return true;
  });
}

void addItem(Screen& screen, Form& form, const std::string& control, const std::string& item) {
  change(screen, form, control, FormChange::Item, [&](Control& c) {
    c.items.push_back(item);
    return true;
  });
}

void selectItem(Screen& screen, Form& form, const std::string& control, int entry) {
  change(screen, form, control, FormChange::Selected, [&](Control& c) {
    if (entry < -1 || entry >= static_cast<int>(c.items.size()) || c.selected == entry)
      return false;
    c.selected = entry;
    return true;
  });
}

void setCaption(Screen& screen, Form& form, const std::string& caption) {
  if (form.caption == caption) return;
  form.caption = caption;
  screen.formChanged(form, nullptr, FormChange::Caption);
}

std::string textOf(const Form& form, const std::string& control) {
  const Control* c = form.find(control);
  return c ? c->text : std::string();
}
