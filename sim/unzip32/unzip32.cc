// A substitute of Info-ZIP's unzip32.dll with its UnZip 6.0 interface
// (platform/unzip32.h), so the program's unpacking can be tested under Wine
// and used where no unzip32.dll is installed. The work is the engine's
// (engine.h); this is the 6.0 face of it.
#define UNZIP32_EXPORT __declspec(dllexport)
#include "platform/unzip32.h"

#include <zlib.h>

#include <cstring>

#include "sim/unzip32/engine.h"

extern "C" {

int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* dcl,
                                USERFUNCTIONS* fn) {
  try {
    if (!fn || !fn->print || !fn->sound || !fn->replace) return UZ_PK_BADERR;
    if (!dcl || dcl->StructVersID != UZ_DCL_STRUCTVER) return UZ_PK_PARAM;
    return unzip32sim::run(
        unzip32sim::requestOf(ifnc, ifnv, xfnc, xfnv, *dcl),
        [&](const unzip32sim::Entry& e, const unzip32sim::Listing& l) {
          if (fn->SendApplicationMessage)
            fn->SendApplicationMessage(e.size, e.packed, l.factor, l.month, l.day, l.year, l.hour,
                                       l.minute, ' ', e.name.c_str(), l.method, e.crc, l.encrypted);
          else if (fn->SendApplicationMessage_i32)
            fn->SendApplicationMessage_i32(e.size, 0, e.packed, 0, l.factor, l.month, l.day, l.year,
                                           l.hour, l.minute, ' ', e.name.c_str(), l.method, e.crc,
                                           l.encrypted);
        },
        [&](const unzip32sim::Entry& e) {
          return fn->ServCallBk ? fn->ServCallBk(e.name.c_str(), e.size) : 0;
        });
  } catch (...) {
    return UZ_PK_MEM;
  }
}

unsigned WINAPI UzpVersion2(UzpVer2* v) {
  if (!v) return sizeof(UzpVer2);
  if (v->structlen != sizeof(UzpVer2)) return sizeof(UzpVer2);
  std::memset(reinterpret_cast<char*>(v) + sizeof v->structlen, 0, sizeof *v - sizeof v->structlen);
  v->flag = 2;  // uses zlib
  std::strncpy(v->zlibversion, zlibVersion(), sizeof v->zlibversion - 1);
  std::strncpy(v->date, "substitute", sizeof v->date - 1);
  v->unzip = {6, 0, 0, 0};
  v->zipinfo = {3, 0, 0, 0};
  v->windll = {6, 0, 0, 0};
  v->dllapimin = {6, 0, 0, 0};
  return 0;
}

}  // extern "C"
