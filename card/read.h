// Every read of the card goes through here: the reply buffer is blank-filled
// before the call (a failed read must never pass the previous reply's bytes
// for its own), its length is set, and the code lands in lastStatus. With a
// label, a failure goes on to msg4apierr: the message for 20 seconds and the
// reader closed.
#pragma once

#include <cstdint>
#include <string>

#include "card/cardlib.h"

struct Run;

// The reader's clock as csGetDateTime answers it: YYYMMDDhhmmss (ROC year).
inline constexpr int16_t kDateTimeLength = 13;

using CardRead = int16_t (CardLib::*)(std::string&, int16_t&);

// Into the run's 500-byte reply buffer, regBuf (length in regLen).
int16_t readCard(Run& run, CardRead read, int16_t length, const char* label = nullptr);
// Into a buffer of the caller's, made `length` blanks first.
int16_t readCard(Run& run, CardRead read, std::string& buf, int16_t length,
                 const char* label = nullptr);
