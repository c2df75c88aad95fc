// The operator script (IC_UI_OPERATOR): what a person would do on an operated
// window, one action a line, so that the declaration and backup windows can be
// run unattended (record backend) or driven on the real controls (window
// backend). This file holds the rules both backends share: reading the script,
// and what an action does to a Form (platform/form.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/form.h"

struct ScriptLine {
  std::string line;     // as written (UTF-8, without its line end)
  FormAction action;    // control names as written; a typed text in CP950
  size_t textAt = 0;    // Type: where the typed text starts in `line`
};

struct OperatorScript {
  bool given = false;   // IC_UI_OPERATOR named a file
  std::vector<ScriptLine> lines;
  // The first line that could not be understood (UTF-8, invalid bytes as
  // "?"), or the file's name when it could not be read. Set: `lines` is
  // empty, nothing of the script is played.
  std::string refused;
};

// Reads a script. Blank lines and lines starting with "#" are skipped; a
// UTF-8 byte-order mark and carriage returns before line ends are dropped.
OperatorScript parseOperatorScript(std::string_view utf8);

// Reads the file IC_UI_OPERATOR names (empty: no script). A file that cannot
// be read or is larger than kMaxScriptBytes is refused.
constexpr size_t kMaxScriptBytes = 1 << 20;
OperatorScript loadOperatorScript(const std::string& path);

// What playing an action on a form comes to.
struct Outcome {
  enum class Kind { Play, Ignored, Nothing };
  Kind kind = Kind::Play;
  // Play: the action the window's procedures get (a click on a check box is
  // a tick to the other state).
  FormAction action;
  const char* why = "";  // Ignored: "unknown", "disabled" or "hidden"
};

// Judges an action against the form as the operator sees it: a control that
// is not there, or not of a kind the action fits, is "unknown"; one hidden
// (itself or its frame) is "hidden"; one disabled (itself or its frame)
// "disabled"; an entry beyond the list's end "unknown". Ticking a box into
// the state it already has does nothing (as a real box, it runs no handler).
Outcome judgeAction(const Form& form, const FormAction& action);

// Puts a played action into the form: the typed text, the tick, the entry
// (a combo box's text becomes the chosen entry).
void applyAction(Form& form, const FormAction& action);

// A control the operator can see and use: it and the frames it sits in are
// visible (enabled).
bool shownOnForm(const Form& form, const Control& c);
bool enabledOnForm(const Form& form, const Control& c);

// A password box's text as it is shown: one "*" a character (CP950).
std::string masked(const std::string& cp950Text);

// The line as the event log shows it: a text typed into a password box masked.
std::string shownLine(const Form& form, const ScriptLine& line);
