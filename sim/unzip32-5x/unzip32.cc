// A substitute of Info-ZIP's unzip32.dll of the 5.5x line (platform/unzip32.h,
// suffix 5): the same work as the 6.0 substitute (sim/unzip32/engine.h)
// behind the older blocks, so the program's choice of interface can be tested
// under Wine. Like the real 5.52 it trusts the blocks it is given: a caller
// that hands it 6.0 blocks gets nonsense, as clinics would.
#define UNZIP32_EXPORT __declspec(dllexport)
#define UNZIP32_5X
#include "platform/unzip32.h"

#include <zlib.h>

#include <cstring>

#include "sim/unzip32/engine.h"

extern "C" {

int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL5* dcl,
                                USERFUNCTIONS5* fn) {
  try {
    if (!fn || !fn->print || !fn->sound || !fn->replace) return UZ_PK_BADERR;
    if (!dcl) return UZ_PK_PARAM;
    return unzip32sim::run(
        unzip32sim::requestOf(ifnc, ifnv, xfnc, xfnv, *dcl),
        [&](const unzip32sim::Entry& e, const unzip32sim::Listing& l) {
          if (!fn->SendApplicationMessage) return;
          std::string name = e.name, method = l.method;
          fn->SendApplicationMessage(e.size, e.packed, l.factor, l.month, l.day, l.year, l.hour,
                                     l.minute, ' ', name.data(), method.data(), e.crc, l.encrypted);
        },
        [&](const unzip32sim::Entry& e) {
          return fn->ServCallBk ? fn->ServCallBk(e.name.c_str(), e.size) : 0;
        });
  } catch (...) {
    return UZ_PK_MEM;
  }
}

void WINAPI UzpVersion2(UzpVer2_5* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
  v->structlen = sizeof *v;
  v->flag = 2;  // uses zlib
  std::strncpy(v->zlibversion, zlibVersion(), sizeof v->zlibversion - 1);
  std::strncpy(v->date, "substitute", sizeof v->date - 1);
  v->unzip = {5, 5, 2, 0};  // 5.52: major, minor, patch level
  v->zipinfo = {2, 4, 2, 0};
  v->os2dll = {5, 5, 2, 0};
  v->windll = {5, 5, 2, 0};
}

}  // extern "C"
