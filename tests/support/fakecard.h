// A card library of the test's own: counts the calls and answers what the test
// sets, through the same function-pointer table the loader fills.
#pragma once

#include <cstring>
#include <string>

#include "card/cardlib.h"

namespace fakecard {

inline int opens = 0, closes = 0, lastPort = -1, openAnswer = 0;
inline int status[4] = {0, 2, 2, 2};
inline std::string clock = "1151208093045";
inline int clockAnswer = 0;

inline int CSHIS_CALL csOpenCom(int port) {
  ++opens;
  lastPort = port;
  return openAnswer;
}
inline int CSHIS_CALL csCloseCom() {
  ++closes;
  return 0;
}
inline int CSHIS_CALL hisGetCardStatus(short type) { return type >= 1 && type <= 3 ? status[type] : 0; }
inline int CSHIS_CALL csGetDateTime(char* buf, short* len) {
  if (clockAnswer) return clockAnswer;
  std::memcpy(buf, clock.data(), clock.size() < static_cast<size_t>(*len) ? clock.size() : static_cast<size_t>(*len));
  return 0;
}

inline void reset() {
  opens = closes = 0;
  lastPort = -1;
  openAnswer = clockAnswer = 0;
  status[1] = status[2] = status[3] = 2;
  clock = "1151208093045";
}

inline CardLib make() {
  reset();
  CardTable t;
  t.csOpenCom = csOpenCom;
  t.csCloseCom = csCloseCom;
  t.hisGetCardStatus = hisGetCardStatus;
  t.csGetDateTime = csGetDateTime;
  return CardLib(t, nullptr);
}

}  // namespace fakecard
