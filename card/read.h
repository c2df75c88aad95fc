// Every read of the card goes through here: the reply buffer is blank-filled
// before the call (a failed read must never pass the previous reply's bytes
// for its own), its length is set, and the code lands in lastStatus. With a
// label, a failure goes on to msg4apierr: the message for 20 seconds and the
// reader closed. The reply is returned to the caller, who cuts its fields.
#pragma once

#include "frame/endsrun.h"

#include <cstdint>
#include <string>

#include "card/cardlib.h"

struct Run;

// The reader's clock as csGetDateTime answers it: YYYMMDDhhmmss (ROC year).
inline constexpr int16_t kDateTimeLength = 13;

// The 500-character registration buffer of the clinic's tradition: results
// that show a reply whole (GetSeqN9.txt, the reader's clock) show it this wide.
inline constexpr int kRegBufLength = 500;

using CardRead = int16_t (CardLib::*)(std::string&, int16_t&);

// One read's answer: the library's code and the reply, as many bytes as the
// library said it gave (at most the length asked for; blanks where it wrote
// nothing, all blanks after a failure).
struct CardReply {
  int16_t code = 0;
  std::string bytes;
  bool ok() const { return code == 0; }
};

MAY_END_RUN CardReply readCard(Run& run, CardRead read, int16_t length,
                               const char* label = nullptr);
