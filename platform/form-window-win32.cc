#include "platform/form-window-win32.h"

#include <algorithm>
#include <cstdio>

#include "platform/cp950-win32.h"
#include "platform/cp950.h"

namespace {

const wchar_t kClassName[] = L"ic.operated";
constexpr int kFirstId = 100;
// A form described without a size: its controls' extent and this margin (twips).
constexpr int kMargin = 120;
// A combo box is described by its edit's height; its list drops below that.
constexpr int kDropPixels = 160;

bool waitCursorOn = false;

int px(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

std::wstring wide(const std::string& cp950Text) { return cp950::toWide(cp950Text); }

std::string textOfWindow(HWND h) {
  const int n = GetWindowTextLengthW(h);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(h, w.data(), n + 1);
  w.resize(static_cast<size_t>(std::max(got, 0)));
  return cp950::fromWide(w);
}

void registerClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window once it is made
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  done = RegisterClassExW(&wc) != 0;
}

}  // namespace

FormWindow::FormWindow(const Form& form, int dpiX, int dpiY, HFONT font)
    : dpiX_(dpiX), dpiY_(dpiY) {
  create(form, font);
}

FormWindow::~FormWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void FormWindow::create(const Form& form, HFONT font) {
  registerClass();
  HINSTANCE inst = GetModuleHandleW(nullptr);
  int w = form.width, h = form.height;
  if (w <= 0 || h <= 0) {
    int right = 0, bottom = 0;
    for (const Control& c : form.controls) {
      right = std::max(right, c.left + c.width);
      bottom = std::max(bottom, c.top + c.height);
    }
    if (w <= 0) w = right + kMargin;
    if (h <= 0) h = bottom + kMargin;
  }
  // Not WS_CLIPCHILDREN: a frame paints only its line and caption, the window
  // paints the face beneath it.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const DWORD ex = form.topmost ? WS_EX_TOPMOST : 0;
  RECT r{0, 0, px(w, dpiX_), px(h, dpiY_)};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  const int ww = r.right - r.left, wh = r.bottom - r.top;
  const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - ww) / 2);
  const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - wh) / 2);
  hwnd_ = CreateWindowExW(ex, kClassName, wide(form.caption).c_str(), style, x, y, ww, wh, nullptr,
                          nullptr, inst, nullptr);
  if (!hwnd_) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::proc));

  // A child made first lies above those made after it, and the tab order
  // follows: the controls in the description's order, the frames last and
  // under them all.
  std::vector<size_t> order;
  for (size_t i = 0; i < form.controls.size(); ++i)
    if (form.controls[i].kind != ControlKind::Frame) order.push_back(i);
  for (size_t i = 0; i < form.controls.size(); ++i)
    if (form.controls[i].kind == ControlKind::Frame) order.push_back(i);

  for (size_t i : order) {
    const Control& c = form.controls[i];
    const wchar_t* cls = L"BUTTON";
    DWORD s = WS_CHILD, sx = 0;
    int height = px(c.height, dpiY_);
    switch (c.kind) {
      case ControlKind::Button: s |= BS_PUSHBUTTON | WS_TABSTOP; break;
      case ControlKind::Label: cls = L"STATIC"; s |= SS_LEFT | SS_NOPREFIX; break;
      case ControlKind::Text:
      case ControlKind::Password:
        cls = L"EDIT";
        sx = WS_EX_CLIENTEDGE;
        s |= WS_TABSTOP | ES_AUTOHSCROLL;
        if (c.kind == ControlKind::Password) s |= ES_PASSWORD;
        else if (c.multiline) s |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        break;
      case ControlKind::Check: s |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
      case ControlKind::Combo:
        cls = L"COMBOBOX";
        s |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
        height += kDropPixels;
        break;
      case ControlKind::List:
        cls = L"LISTBOX";
        sx = WS_EX_CLIENTEDGE;
        s |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS | WS_VSCROLL | WS_TABSTOP;
        break;
      case ControlKind::Frame: s |= BS_GROUPBOX | WS_CLIPSIBLINGS; break;
    }
    const int id = kFirstId + static_cast<int>(i);
    HWND hc = CreateWindowExW(sx, cls, L"", s, px(c.left, dpiX_), px(c.top, dpiY_),
                              px(c.width, dpiX_), height, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    if (!hc) continue;
    SendMessageW(hc, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    children_[id] = {c.name, c.kind, hc};
    if (c.kind == ControlKind::List || c.kind == ControlKind::Combo) fillItems(hc, c);
    if (c.kind != ControlKind::List) SetWindowTextW(hc, wide(c.text).c_str());
    if (c.kind == ControlKind::Check)
      SendMessageW(hc, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  refreshStates(form);
}

void FormWindow::show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  UpdateWindow(hwnd_);
}

HWND FormWindow::child(const std::string& name) const {
  for (const auto& [id, c] : children_)
    if (c.name == name) return c.hwnd;
  return nullptr;
}

const FormWindow::Child* FormWindow::childById(int id) const {
  auto it = children_.find(id);
  return it == children_.end() ? nullptr : &it->second;
}

// A frame shown or hidden, enabled or disabled, takes its controls with it.
void FormWindow::refreshStates(const Form& form) {
  for (const Control& c : form.controls) {
    HWND h = child(c.name);
    if (!h) continue;
    EnableWindow(h, enabledOnForm(form, c) ? TRUE : FALSE);
    ShowWindow(h, shownOnForm(form, c) ? SW_SHOWNA : SW_HIDE);
  }
}

void FormWindow::fillItems(HWND h, const Control& c) {
  const bool combo = c.kind == ControlKind::Combo;
  SendMessageW(h, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (const std::string& item : c.items) {
    std::wstring w = wide(item);
    SendMessageW(h, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  SendMessageW(h, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(c.selected), 0);
}

void FormWindow::changed(const Form& form, const Control* c, FormChange what) {
  if (!hwnd_) return;
  if (what == FormChange::Caption) {
    SetWindowTextW(hwnd_, wide(form.caption).c_str());
    return;
  }
  HWND h = c ? child(c->name) : nullptr;
  if (!h) return;
  const bool combo = c->kind == ControlKind::Combo;
  switch (what) {
    case FormChange::Text:
      if (c->kind != ControlKind::List) SetWindowTextW(h, wide(c->text).c_str());
      break;
    case FormChange::Enabled:
    case FormChange::Visible: refreshStates(form); break;
    case FormChange::ItemsClear: SendMessageW(h, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0); break;
    case FormChange::Item:
      if (!c->items.empty()) {
        std::wstring w = wide(c->items.back());
        SendMessageW(h, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
      }
      break;
    case FormChange::Checked:
      SendMessageW(h, BM_SETCHECK, c->checked ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case FormChange::Selected:
      SendMessageW(h, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(c->selected), 0);
      break;
    case FormChange::Caption: break;
  }
  UpdateWindow(hwnd_);
}

void FormWindow::topmost() {
  if (hwnd_) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormWindow::waitCursor(bool wait) {
  waitCursorOn = wait;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(wait ? IDC_WAIT : IDC_ARROW)));
}

// What the operator typed is in the edit controls only; the form learns it
// before the procedures look.
void FormWindow::readBack(Form& form) {
  for (Control& c : form.controls) {
    if (c.kind != ControlKind::Text && c.kind != ControlKind::Password &&
        c.kind != ControlKind::Combo)
      continue;
    if (HWND h = child(c.name)) c.text = textOfWindow(h);
  }
}

bool FormWindow::play(Form& form, const ScriptLine& line) {
  readBack(form);
  const Outcome o = judgeAction(form, line.action);
  if (o.kind == Outcome::Kind::Ignored) {
    std::fprintf(stderr, "ignored\t%s\t%s\n", line.action.control.c_str(), o.why);
    return false;
  }
  if (o.kind == Outcome::Kind::Nothing) return false;
  const FormAction& a = o.action;
  if (a.kind == FormAction::Kind::Close) {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return true;
  }
  HWND h = child(a.control);
  if (!h) return false;
  const int id = GetDlgCtrlID(h);
  switch (a.kind) {
    case FormAction::Kind::Click:
    case FormAction::Kind::Tick:
      // As a press of the mouse: the button (or box) reports its own click.
      SendMessageW(h, BM_CLICK, 0, 0);
      break;
    case FormAction::Kind::Type:
      SetFocus(h);
      SetWindowTextW(h, wide(a.text).c_str());
      actions_.push_back(a);
      break;
    case FormAction::Kind::Select: {
      const bool combo = form.find(a.control)->kind == ControlKind::Combo;
      SetFocus(h);
      SendMessageW(h, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(a.value), 0);
      // Choosing by program sends no notice; the operator's choice does.
      SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(h));
      break;
    }
    case FormAction::Kind::Close: break;
  }
  return true;
}

FormAction FormWindow::next(Form& form, ScriptPlayer* player) {
  if (!hwnd_) return {};
  if (!IsWindowVisible(hwnd_)) show();
  if (player && !player->script.refused.empty()) {
    std::fprintf(stderr, "ignored\t%s\tunknown\n", player->script.refused.c_str());
    player->script.refused.clear();
  }
  DWORD due = GetTickCount() + static_cast<DWORD>(player ? player->pauseMs : 0);
  for (;;) {
    MSG m;
    while (actions_.empty() && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return {};
      }
      if (!IsDialogMessageW(hwnd_, &m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
    if (!actions_.empty()) {
      FormAction a = actions_.front();
      actions_.pop_front();
      readBack(form);
      if (a.kind == FormAction::Kind::Type) a.text = textOf(form, a.control);
      applyAction(form, a);
      return a;
    }
    if (!player || !player->script.given) {
      WaitMessage();
      continue;
    }
    // A script plays on until it is used up; then the window is closed, as
    // the record backend closes it, so that the run ends by itself.
    if (player->played >= player->script.lines.size()) return {};
    const DWORD now = GetTickCount();
    const auto wait = static_cast<LONG>(due - now);
    if (wait > 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLINPUT);
      continue;
    }
    play(form, player->script.lines[player->played++]);
    due = GetTickCount() + static_cast<DWORD>(player->pauseMs);
  }
}

LRESULT FormWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const Child* c = childById(LOWORD(wp));
      if (!c) break;
      const WORD code = HIWORD(wp);
      HWND h = reinterpret_cast<HWND>(lp);
      FormAction a;
      a.control = c->name;
      if (c->kind == ControlKind::Button && code == BN_CLICKED) {
        a.kind = FormAction::Kind::Click;
      } else if (c->kind == ControlKind::Check && code == BN_CLICKED) {
        a.kind = FormAction::Kind::Tick;
        a.value = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      } else if ((c->kind == ControlKind::List && code == LBN_SELCHANGE) ||
                 (c->kind == ControlKind::Combo && code == CBN_SELCHANGE)) {
        const bool combo = c->kind == ControlKind::Combo;
        const LRESULT sel = SendMessageW(h, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
        if (sel < 0) return 0;
        a.kind = FormAction::Kind::Select;
        a.value = static_cast<int>(sel);
      } else {
        break;
      }
      actions_.push_back(a);
      return 0;
    }
    case WM_SETCURSOR:
      if (waitCursorOn) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // The procedures run their unload and close the form themselves.
      actions_.push_back({});
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK FormWindow::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* f = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!f || f->hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
  return f->handle(msg, wp, lp);
}
