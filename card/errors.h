// The operator's message for every failing card call, and the status texts of
// the reader's cards. msg4apierr keeps the message as the last error text and
// closes the reader, so a failed verb never leaves the port open.
#pragma once

#include "frame/endsrun.h"

#include <cstdint>
#include <string>

struct Run;
enum class CardType : int16_t;

// The library's code for an insurer that cannot be reached over the network:
// the card verbs that refresh the card online leave autolink.tmp for it.
inline constexpr int16_t kErrNoNetwork = 4061;

// Sets the last error text for `code`; with a label also closes the reader and
// shows the message for 20 seconds (not when a second reader is configured).
MAY_END_RUN void msg4apierr(Run& run, int16_t code, const std::string& label);
// The message for a code: the built-in table, else "錯誤代碼: " + code + getErrorCode.
std::string errorMessage(Run& run, int16_t code);
// The text of a card-library code for the run log and --ic-diagnose: the
// built-in table's (CP950), the program's own two, "ok" for 0, else empty.
std::string codeText(int16_t code);
// The code's text from "ErrorCode.txt" (" " + text), else the bare code.
std::string getErrorCode(Run& run, long code);
// The word for a card status.
std::string statusWord(CardType cardType, int status);
// SAM, health card and professional card states, and the reader's clock.
MAY_END_RUN std::string hisGetCardStatusSUB(Run& run);
