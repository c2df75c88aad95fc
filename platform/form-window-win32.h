// Operated windows of the window backend (screen-window-win32.cc): a real
// window built from a Form's description, redrawn as the procedures change the
// Form, and a message loop that waits for what the operator does. Windows only,
// inside platform/.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <string>

#include "platform/form.h"
#include "platform/operator_script.h"

// The operator script as the window backend plays it, one line at a time on
// the real controls, across all the windows of the run.
struct ScriptPlayer {
  OperatorScript script;
  size_t played = 0;
  int pauseMs = 250;  // between two lines, so that the window paints
};

class FormWindow {
 public:
  // Made hidden; shown by show().
  FormWindow(const Form& form, int dpiX, int dpiY, HFONT font);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  void show();
  void changed(const Form& form, const Control* c, FormChange what);
  void topmost();
  // Runs the message loop until the operator (or the script, when `player`
  // has one) does something; reads the typed texts back into the form and
  // applies the action before returning it.
  FormAction next(Form& form, ScriptPlayer* player);

  // The hourglass over every operated window, or the usual pointer.
  static void waitCursor(bool wait);

 private:
  struct Child {
    std::string name;
    ControlKind kind = ControlKind::Label;
    HWND hwnd = nullptr;
  };

  void create(const Form& form, HFONT font);
  HWND child(const std::string& name) const;
  const Child* childById(int id) const;
  void refreshStates(const Form& form);
  void fillItems(HWND h, const Control& c);
  void readBack(Form& form);
  // Plays one script line on the real controls; false when nothing came of it.
  bool play(Form& form, const ScriptLine& line);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  int dpiX_, dpiY_;
  HWND hwnd_ = nullptr;
  std::map<int, Child> children_;  // by control id
  std::deque<FormAction> actions_;  // what the operator did, in order
};
