// The window backend, what the clinic sees: the waiting window vexadc, the
// message window vexahca, message boxes and the main window vexa5 with its log
// list. Texts arrive in CP950 and are drawn through the W functions, so they
// show correctly whatever the system code page. The program's own event pump
// runs the timers; this backend only draws and reports what the operator did.
#include <windows.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>

#include "platform/cp950-win32.h"
#include "platform/form-window-win32.h"
#include "platform/platform.h"
#include "platform/screen.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Sizes in twips, the unit the program places its windows in.
constexpr int kWaitingWidth = 5400, kWaitingHeight = 1200;
constexpr int kMessageBlueWidth = 4970, kMessageRedWidth = 4150, kMessageHeight = 1500;
constexpr int kMainWidth = 9600, kMainHeight = 7200;
constexpr int kListLeft = 120, kListTop = 120;
constexpr int kMargin = 120, kButtonWidth = 1080, kButtonHeight = 420;

constexpr int kCloseButtonId = 1;
constexpr int kListId = 2;

const wchar_t kClassName[] = L"ic.form";
const wchar_t kAppClassName[] = L"ic.app";

// The application window: never drawn, it carries the application's title
// for the task list (and for the clinic program's FindWindow). Closing it
// from the task list does nothing: the run's own windows end the run.
LRESULT CALLBACK appProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

enum class Kind { Waiting, Message, Main };

class WindowScreen;

// One of the program's windows: its handle, its controls and the label it draws.
struct FrameWindow {
  WindowScreen* screen = nullptr;
  Kind kind = Kind::Waiting;
  HWND hwnd = nullptr;
  HWND button = nullptr;
  HWND list = nullptr;
  std::wstring label;
  COLORREF colour = kBlue;
  RECT labelRect{};
};

class WindowScreen : public Screen {
 public:
  WindowScreen(System& sys, OperatorScript script) : sys_(sys) {
    player_.script = std::move(script);
    HDC dc = GetDC(nullptr);
    dpiX_ = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    dpiY_ = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    if (dpiX_ <= 0) dpiX_ = 96;
    if (dpiY_ <= 0) dpiY_ = 96;
    labelFont_ = font(12);
    uiFont_ = font(9);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &WindowScreen::proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    WNDCLASSEXW app{};
    app.cbSize = sizeof app;
    app.lpfnWndProc = appProc;
    app.hInstance = wc.hInstance;
    app.lpszClassName = kAppClassName;
    RegisterClassExW(&app);
    waiting_.kind = Kind::Waiting;
    message_.kind = Kind::Message;
    main_.kind = Kind::Main;
    for (FrameWindow* f : {&waiting_, &message_, &main_}) f->screen = this;
  }
  ~WindowScreen() override {
    forms_.clear();
    destroyAll();
    DeleteObject(labelFont_);
    DeleteObject(uiFont_);
  }

  bool waits() const override { return true; }

  void showWaiting(const std::string& text) override {
    FrameWindow& f = ensure(waiting_);
    resize(f, px(kWaitingWidth, dpiX_), px(kWaitingHeight, dpiY_));
    centre(f);
    setLabel(f, text);
    hide(message_);
    ShowWindow(f.hwnd, SW_SHOW);
    UpdateWindow(f.hwnd);
  }
  void hideWaiting() override { hide(waiting_); }
  void closeWaiting() override { destroy(waiting_); }
  void setWaitingColour(Colour c) override {
    waiting_.colour = c == Colour::Red ? kRed : kBlue;
    repaintLabel(waiting_);
  }

  void showMessage(const std::string& text) override { message(text, kMessageBlueWidth, kBlue); }
  void showRed(const std::string& text, int) override { message(text, kMessageRedWidth, kRed); }
  void hideMessage() override { hide(message_); }

  Answer msgBox(const std::string& caption, const std::string& text, Buttons buttons, Icon icon,
                Answer def) override {
    static constexpr std::array<Answer, 3> kOk{Answer::Ok, Answer::Ok, Answer::Ok};
    static constexpr std::array<Answer, 3> kOkCancel{Answer::Ok, Answer::Cancel, Answer::Cancel};
    static constexpr std::array<Answer, 3> kYesNo{Answer::Yes, Answer::No, Answer::No};
    static constexpr std::array<Answer, 3> kYesNoCancel{Answer::Yes, Answer::No, Answer::Cancel};
    UINT type = MB_OK;
    const std::array<Answer, 3>* order = &kOk;
    int count = 1;
    switch (buttons) {
      case Buttons::Ok: break;
      case Buttons::OkCancel: type = MB_OKCANCEL; order = &kOkCancel; count = 2; break;
      case Buttons::YesNo: type = MB_YESNO; order = &kYesNo; count = 2; break;
      case Buttons::YesNoCancel: type = MB_YESNOCANCEL; order = &kYesNoCancel; count = 3; break;
    }
    switch (icon) {
      case Icon::None: break;
      case Icon::Critical: type |= MB_ICONHAND; break;
      case Icon::Question: type |= MB_ICONQUESTION; break;
      case Icon::Exclamation: type |= MB_ICONEXCLAMATION; break;
      case Icon::Information: type |= MB_ICONASTERISK; break;
    }
    static constexpr std::array<UINT, 3> kDefault{MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3};
    for (int i = 0; i < count; ++i)
      if ((*order)[static_cast<size_t>(i)] == def) {
        type |= kDefault[static_cast<size_t>(i)];
        break;
      }
    // Over the clinic program, and the program's own windows wait for it.
    type |= MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
    std::wstring t = cp950::toWide(text), c = cp950::toWide(caption);
    switch (MessageBoxW(nullptr, t.c_str(), c.c_str(), type)) {
      case IDOK: return Answer::Ok;
      case IDCANCEL: return Answer::Cancel;
      case IDYES: return Answer::Yes;
      case IDNO: return Answer::No;
      default: return def;
    }
  }

  // The count-down itself is the caption the program sets.
  void delay(double, const std::string&) override {}
  void caption(const std::string& window, const std::string& text) override {
    if (window != "vexa5") return;
    FrameWindow& f = ensure(main_);
    SetWindowTextW(f.hwnd, cp950::toWide(text).c_str());
  }
  void appTitle(const std::string& text) override {
    if (!app_) {
      // Shown without size or activation: a task-list entry, nothing on the screen.
      app_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_NOACTIVATE, kAppClassName, L"", WS_POPUP, 0,
                             0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      if (app_) ShowWindow(app_, SW_SHOWNA);
    }
    if (app_) SetWindowTextW(app_, cp950::toWide(text).c_str());
  }
  void listClear() override { SendMessageW(ensure(main_).list, LB_RESETCONTENT, 0, 0); }
  void listAdd(const std::string& line) override {
    std::wstring w = cp950::toWide(line);
    SendMessageW(ensure(main_).list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  void show(const std::string& window) override {
    // The message window stays up with its note until the operator closes it.
    if (window == "vexahca") {
      if (message_.hwnd) ShowWindow(message_.hwnd, SW_SHOW);
      return;
    }
    // Operated windows are drawn by formShow; nothing else here to wait on.
    if (window != "vexa5") return;
    FrameWindow& f = ensure(main_);
    mainClosed_ = false;
    ShowWindow(f.hwnd, SW_SHOW);
    SetForegroundWindow(f.hwnd);
  }
  void hideMain() override { hide(main_); }
  void placeMain(int left, int top, int width, int height) override {
    FrameWindow& f = ensure(main_);
    MoveWindow(f.hwnd, px(left, dpiX_), px(top, dpiY_), px(width, dpiX_), px(height, dpiY_), TRUE);
  }
  bool shellOpen(const std::string& what, const std::string& params) override {
    return sys_.shellOpen(what, params);
  }
  std::vector<UiEvent> pump() override {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    std::vector<UiEvent> out;
    out.swap(events_);
    return out;
  }
  bool windowOpen(const std::string& window) override {
    if (window == "vexahca") return message_.hwnd && IsWindowVisible(message_.hwnd);
    return window == "vexa5" && main_.hwnd && !mainClosed_ && IsWindowVisible(main_.hwnd);
  }
  void exit(int) override {
    forms_.clear();
    destroyAll();
    pump();
  }

  // Operated windows (form-window-win32.cc), one a form name.
  void formShow(Form& form) override {
    if (FormWindow* w = formWindow(form)) w->show();
  }
  void formChanged(const Form& form, const Control* c, FormChange what) override {
    auto it = forms_.find(form.name);
    if (it != forms_.end()) it->second->changed(form, c, what);
  }
  void formTopmost(const Form& form) override {
    if (FormWindow* w = formWindow(form)) w->topmost();
  }
  void waitCursor(bool wait) override { FormWindow::waitCursor(wait); }
  FormAction formNext(Form& form) override {
    FormWindow* w = formWindow(form);
    if (!w) return {};
    return w->next(form, player_.script.given ? &player_ : nullptr);
  }
  void formClose(const Form& form) override { forms_.erase(form.name); }

 private:
  FormWindow* formWindow(const Form& form) {
    std::unique_ptr<FormWindow>& w = forms_[form.name];
    if (!w) w = std::make_unique<FormWindow>(form, dpiX_, dpiY_, uiFont_);
    if (!w->hwnd()) {
      forms_.erase(form.name);
      return nullptr;
    }
    return w.get();
  }

  static int px(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
  static int twips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi); }

  HFONT font(int points) const {
    return CreateFontW(-MulDiv(points, dpiY_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       CHINESEBIG5_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"PMingLiU");
  }

  FrameWindow& ensure(FrameWindow& f) {
    if (f.hwnd) return f;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    DWORD style = 0, ex = 0;
    int w = 0, h = 0;
    const wchar_t* title = L"";
    switch (f.kind) {
      case Kind::Waiting:
        style = WS_POPUP | WS_BORDER;
        w = px(kWaitingWidth, dpiX_);
        h = px(kWaitingHeight, dpiY_);
        title = L"vexadc";
        break;
      case Kind::Message:
        // Borderless but for a line, over everything; dragged by its body.
        style = WS_POPUP | WS_BORDER;
        ex = WS_EX_TOPMOST;
        w = px(kMessageBlueWidth, dpiX_);
        h = px(kMessageHeight, dpiY_);
        title = L"vexahca";
        break;
      case Kind::Main:
        style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        w = px(kMainWidth, dpiX_);
        h = px(kMainHeight, dpiY_);
        title = L"vexa5";
        break;
    }
    f.hwnd = CreateWindowExW(ex, kClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT, w, h,
                             nullptr, nullptr, inst, &f);
    if (!f.hwnd) return f;
    if (f.kind == Kind::Main) {
      f.list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                                   LBS_USETABSTOPS | LBS_NOTIFY,
                               px(kListLeft, dpiX_), px(kListTop, dpiY_), 0, 0, f.hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), inst,
                               nullptr);
      SendMessageW(f.list, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
      centre(f);
      fitList(f);
    } else {
      f.button = CreateWindowExW(0, L"BUTTON", L"關閉",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                 f.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseButtonId)),
                                 inst, nullptr);
      SendMessageW(f.button, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
      layout(f);
    }
    return f;
  }

  // The label fills the window but for the close button at its lower right.
  void layout(FrameWindow& f) {
    RECT c;
    GetClientRect(f.hwnd, &c);
    const int mx = px(kMargin, dpiX_), my = px(kMargin, dpiY_);
    const int bw = px(kButtonWidth, dpiX_), bh = px(kButtonHeight, dpiY_);
    if (f.kind == Kind::Waiting) {
      MoveWindow(f.button, c.right - mx - bw, (c.bottom - bh) / 2, bw, bh, TRUE);
      f.labelRect = {mx, my, std::max<LONG>(mx, c.right - 2 * mx - bw), c.bottom - my};
    } else {
      MoveWindow(f.button, c.right - mx - bw, c.bottom - my - bh, bw, bh, TRUE);
      f.labelRect = {mx, my, c.right - mx, std::max<LONG>(my, c.bottom - 2 * my - bh)};
    }
  }

  // vexa5's Form_Resize: List1 follows the window's outer size, 360 twips
  // narrower and 640 lower, and keeps its size when the window is smaller.
  void fitList(FrameWindow& f) {
    RECT r;
    if (!f.list || !GetWindowRect(f.hwnd, &r)) return;
    const int w = twips(r.right - r.left, dpiX_), h = twips(r.bottom - r.top, dpiY_);
    RECT lr;
    GetWindowRect(f.list, &lr);
    int lw = lr.right - lr.left, lh = lr.bottom - lr.top;
    if (w > 360) lw = px(w - 360, dpiX_);
    if (h > 640) lh = px(h - 640, dpiY_);
    SetWindowPos(f.list, nullptr, 0, 0, lw, lh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void resize(FrameWindow& f, int w, int h) {
    if (!f.hwnd) return;
    SetWindowPos(f.hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout(f);
  }

  static void centre(FrameWindow& f) {
    RECT r;
    if (!f.hwnd || !GetWindowRect(f.hwnd, &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(f.hwnd, nullptr, (sw - w) / 2, (sh - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void setLabel(FrameWindow& f, const std::string& text) {
    f.label = cp950::toWide(text);
    repaintLabel(f);
  }

  static void repaintLabel(FrameWindow& f) {
    if (!f.hwnd) return;
    InvalidateRect(f.hwnd, &f.labelRect, TRUE);
    UpdateWindow(f.hwnd);
  }

  void message(const std::string& text, int widthTwips, COLORREF colour) {
    FrameWindow& f = ensure(message_);
    resize(f, px(widthTwips, dpiX_), px(kMessageHeight, dpiY_));
    centre(f);
    f.colour = colour;
    setLabel(f, text);
    hide(waiting_);
    SetWindowPos(f.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(f.hwnd);
  }

  static void hide(FrameWindow& f) {
    if (f.hwnd) ShowWindow(f.hwnd, SW_HIDE);
  }

  static void destroy(FrameWindow& f) {
    if (!f.hwnd) return;
    HWND h = f.hwnd;
    f.hwnd = f.button = f.list = nullptr;
    DestroyWindow(h);
  }

  void destroyAll() {
    for (FrameWindow* f : {&waiting_, &message_, &main_}) destroy(*f);
    if (app_) DestroyWindow(app_);
    app_ = nullptr;
  }

  void paint(FrameWindow& f) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(f.hwnd, &ps);
    if (!f.label.empty()) {
      HGDIOBJ old = SelectObject(dc, labelFont_);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, f.colour);
      const UINT flags = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
      // Centred vertically as well: measure first.
      RECT m = f.labelRect;
      DrawTextW(dc, f.label.c_str(), static_cast<int>(f.label.size()), &m, flags | DT_CALCRECT);
      RECT r = f.labelRect;
      const LONG spare = (r.bottom - r.top) - (m.bottom - m.top);
      if (spare > 0) r.top += spare / 2;
      DrawTextW(dc, f.label.c_str(), static_cast<int>(f.label.size()), &r, flags);
      SelectObject(dc, old);
    }
    EndPaint(f.hwnd, &ps);
  }

  static bool inLabel(const FrameWindow& f, LPARAM lp) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    return PtInRect(&f.labelRect, p) != 0;
  }

  // vexahca unloaded by the operator: the run ends.
  void unloadMessage() {
    destroy(message_);
    events_.push_back(UiEvent::MessageUnloaded);
  }

  LRESULT handle(FrameWindow& f, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT:
        if (f.kind == Kind::Main) break;
        paint(f);
        return 0;
      case WM_SIZE:
        if (f.kind == Kind::Main) fitList(f);
        else if (f.button) layout(f);
        return 0;
      case WM_COMMAND:
        if (LOWORD(wp) == kCloseButtonId && HIWORD(wp) == BN_CLICKED) {
          if (f.kind == Kind::Waiting) events_.push_back(UiEvent::WaitingClosePressed);
          else if (f.kind == Kind::Message) unloadMessage();
          return 0;
        }
        break;
      case WM_LBUTTONDOWN:
        if (f.kind == Kind::Message) {
          ReleaseCapture();
          SendMessageW(f.hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
          return 0;
        }
        break;
      case WM_LBUTTONDBLCLK:
        if (f.kind != Kind::Main && inLabel(f, lp)) {
          if (f.kind == Kind::Waiting) hide(f);
          else unloadMessage();
          return 0;
        }
        break;
      case WM_CLOSE:
        // Closed from the keyboard or the task bar: as the window's own close.
        if (f.kind == Kind::Main) {
          mainClosed_ = true;
          hide(f);
          events_.push_back(UiEvent::MainClosed);
        } else if (f.kind == Kind::Waiting) {
          events_.push_back(UiEvent::WaitingClosePressed);
        } else {
          unloadMessage();
        }
        return 0;
    }
    return DefWindowProcW(f.hwnd, msg, wp, lp);
  }

  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      auto* f = static_cast<FrameWindow*>(cs->lpCreateParams);
      f->hwnd = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(f));
    }
    auto* f = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!f || f->hwnd != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    return f->screen->handle(*f, msg, wp, lp);
  }

  System& sys_;
  int dpiX_ = 96, dpiY_ = 96;
  HFONT labelFont_ = nullptr, uiFont_ = nullptr;
  FrameWindow waiting_, message_, main_;
  HWND app_ = nullptr;  // the application window, made by the first title
  bool mainClosed_ = false;
  std::vector<UiEvent> events_;
  std::map<std::string, std::unique_ptr<FormWindow>> forms_;
  ScriptPlayer player_;
};

}  // namespace

std::unique_ptr<Screen> makeWindowScreen(System& sys, OperatorScript script) {
  return std::make_unique<WindowScreen>(sys, std::move(script));
}
