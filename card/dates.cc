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
  // Converted once: reports and the register viewer ask for thousands of dates.
  static const std::string year = b5("年"), month = b5("月"), day = b5("日"), days = b5("日  "),
                           hour = b5("時"), minute = b5("分"), second = b5("秒");
  // Digits, as a card or a register holds them: characters are bytes.
  bool ascii = true;
  for (char c : s) ascii &= static_cast<unsigned char>(c) < 0x80;
  if (ascii && (s.size() == 13 || s.size() == 7 || s.size() == 14)) {
    // A Gregorian date and time (14) gives its year in the card's calendar.
    const size_t y = s.size() == 14 ? 4 : 3;
    std::string r =
        y == 4 ? std::to_string(static_cast<long>(vbVal(s.substr(0, 4))) - 1911) : s.substr(0, 3);
    r.reserve(40);
    r.append(year).append(s, y, 2).append(month).append(s, y + 2, 2);
    if (s.size() == 7) return r.append(day);
    return r.append(days).append(s, y + 4, 2).append(hour).append(s, y + 6, 2).append(minute)
        .append(s, y + 8, 2).append(second);
  }
  switch (vbLen(s)) {
    case 13:
      return mid(s, 1, 3) + year + mid(s, 4, 2) + month + mid(s, 6, 2) + days + mid(s, 8, 2) +
             hour + mid(s, 10, 2) + minute + mid(s, 12, 2) + second;
    case 7:
      return mid(s, 1, 3) + year + mid(s, 4, 2) + month + mid(s, 6, 2) + day;
    case 14: {
      long y = static_cast<long>(vbVal(mid(s, 1, 4))) - 1911;
      return std::to_string(y) + year + mid(s, 5, 2) + month + mid(s, 7, 2) + days +
             mid(s, 9, 2) + hour + mid(s, 11, 2) + minute + mid(s, 13, 2) + second;
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
