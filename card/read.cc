#include "card/read.h"

#include "card/errors.h"
#include "frame/run.h"
#include "platform/cp950.h"

namespace {

int16_t call(Run& run, CardRead read, std::string& buf, int16_t& len, const char* label) {
  const int16_t code = (run.card.*read)(buf, len);
  run.lastStatus = code;
  if (label) msg4apierr(run, code, b5(label));
  return code;
}

}  // namespace

int16_t readCard(Run& run, CardRead read, int16_t length, const char* label) {
  run.regBuf.assign(run.regBuf.size(), ' ');
  run.regLen = length;
  return call(run, read, run.regBuf, run.regLen, label);
}

int16_t readCard(Run& run, CardRead read, std::string& buf, int16_t length, const char* label) {
  buf.assign(static_cast<size_t>(length > 0 ? length : 0), ' ');
  int16_t len = length;
  return call(run, read, buf, len, label);
}
