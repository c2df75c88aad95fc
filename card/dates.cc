#include "card/dates.h"

#include "platform/cp950.h"
#include "frame/vbtext.h"

namespace {

std::string mid(const std::string& s, size_t start, long len) { return vbMid(s, start, len); }

// The character of code c; codes past ASCII (from text that is not a date) become "?".
std::string chr(long c) {
  if (c < 0 || c > 127) return "?";
  return std::string(1, static_cast<char>(c));
}

}  // namespace

std::string monthday(const std::string& s) {
  switch (vbLen(s)) {
    case 13:
      return mid(s, 1, 3) + b5("年") + mid(s, 4, 2) + b5("月") + mid(s, 6, 2) + b5("日  ") +
             mid(s, 8, 2) + b5("時") + mid(s, 10, 2) + b5("分") + mid(s, 12, 2) + b5("秒");
    case 7:
      return mid(s, 1, 3) + b5("年") + mid(s, 4, 2) + b5("月") + mid(s, 6, 2) + b5("日");
    case 14: {
      long year = static_cast<long>(vbVal(mid(s, 1, 4))) - 1911;
      return std::to_string(year) + b5("年") + mid(s, 5, 2) + b5("月") + mid(s, 7, 2) +
             b5("日  ") + mid(s, 9, 2) + b5("時") + mid(s, 11, 2) + b5("分") + mid(s, 13, 2) +
             b5("秒");
    }
    default:
      return s;
  }
}

std::string Date13Time(const std::string& s) {
  std::string r = "a";
  r += chr(static_cast<long>(vbVal(mid(s, 4, 2))) + 65);
  long day = static_cast<long>(vbVal(mid(s, 6, 2)));
  r += day > 9 ? chr(day + 55) : mid(s, 7, 1);
  r += chr(static_cast<long>(vbVal(mid(s, 8, 2))) + 65);
  r += mid(s, 10, 4);
  r += "." + mid(s, 1, 3);
  return r;
}

std::string DateMth(const DateTime& t) { return zeroPad(t.month, 2) + "." + zeroPad(t.year - 1911, 3); }

std::string rocDate(const DateTime& d) {
  return zeroPad(d.year - 1911, 3) + zeroPad(d.month, 2) + zeroPad(d.day, 2);
}
