// A window that an operator works with buttons, text boxes, check boxes and
// lists (the declaration window, the backup window, the viewers): a plain
// description of its controls that the procedures change and the screen's
// backends draw. The procedures own the Form; every change goes through the
// setters below, so the backend redraws it (window), records it (record) or
// ignores it (console). What the operator does comes back from
// Screen::formNext as a FormAction, already applied to the Form (a typed text
// is in the control's text, a tick in `checked`, a choice in `selected`).
#pragma once

#include <string>
#include <vector>

struct Screen;

enum class ControlKind { Button, Label, Text, Password, Check, Combo, List, Frame };

struct Control {
  std::string name;     // as the window names it: "Command2", "txtPwd", "Check2", ...
  ControlKind kind = ControlKind::Label;
  std::string text;     // caption of a button, label, check box or frame; text of a text box (CP950)
  int left = 0, top = 0, width = 0, height = 0;  // twips, in the form's client area
  bool enabled = true, visible = true;
  bool multiline = false;           // a text box of several lines
  int checked = 0;                  // a check box: 0 or 1
  std::vector<std::string> items;   // a list or combo box (CP950)
  int selected = -1;                // the chosen entry, -1 for none
  std::string frame;                // the frame control it sits in, empty for the form itself
};

struct Form {
  std::string name;     // "ReportSample", "vbbk", ...
  std::string caption;  // CP950
  int width = 0, height = 0;  // twips, the client area
  bool topmost = false;
  std::vector<Control> controls;

  // Adds a control at the end (drawn last, on top) and returns it, so that
  // what else it needs can be set: `f.add(...).enabled = false;`.
  Control& add(std::string name, ControlKind kind, std::string text, int left, int top, int width,
               int height);
  Control* find(const std::string& control);
  const Control* find(const std::string& control) const;
};

// What the operator did. Close: the close box, or (record mode) the operator
// script used up; the procedures then run their unload and end.
struct FormAction {
  enum class Kind { Click, Type, Tick, Select, Close };
  Kind kind = Kind::Close;
  std::string control;
  std::string text;  // Type: the new text (CP950)
  int value = 0;     // Tick: 0 or 1; Select: the entry
};

// The changes a backend is told of (the record backend writes them as the
// events text, enabled, visible, items-clear, item).
enum class FormChange { Text, Enabled, Visible, ItemsClear, Item, Checked, Selected, Caption };

// The setters: change the form and tell the screen. An unknown control is
// ignored (the description and the procedures disagree: a developer's fault,
// never the operator's).
void setText(Screen& screen, Form& form, const std::string& control, const std::string& text);
void setEnabled(Screen& screen, Form& form, const std::string& control, bool enabled);
void setVisible(Screen& screen, Form& form, const std::string& control, bool visible);
void setChecked(Screen& screen, Form& form, const std::string& control, int checked);
void clearItems(Screen& screen, Form& form, const std::string& control);
void addItem(Screen& screen, Form& form, const std::string& control, const std::string& item);
void selectItem(Screen& screen, Form& form, const std::string& control, int entry);
void setCaption(Screen& screen, Form& form, const std::string& caption);
// The text of a control, empty for an unknown one.
std::string textOf(const Form& form, const std::string& control);
