#include "card/read.h"

#include "card/errors.h"
#include "frame/run.h"
#include "platform/cp950.h"

CardReply readCard(Run& run, CardRead read, int16_t length, const char* label) {
  CardReply reply;
  if (length < 0) length = 0;
  reply.bytes.assign(static_cast<size_t>(length), ' ');
  int16_t len = length;
  reply.code = (run.card.*read)(reply.bytes, len);
  run.lastStatus = reply.code;
  if (len >= 0 && len < length) reply.bytes.resize(static_cast<size_t>(len));
  if (label) msg4apierr(run, reply.code, b5(label));
  return reply;
}
