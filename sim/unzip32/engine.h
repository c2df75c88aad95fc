// The work of the substitute unzip32.dll, whatever interface it answers
// through: reading a zip archive and listing, testing or extracting its
// stored and deflated entries (zlib). Whatever the options say, it never
// writes an entry whose name is absolute, names a drive or climbs out with
// "..": such an entry is skipped and the run answers UZ_PK_WARN. Each
// interface (unzip32.cc for UnZip 6.0, sim/unzip32-5x for 5.5x) turns its
// option and callback blocks into a Request and its callbacks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace unzip32sim {

struct Entry {
  std::string name;
  uint32_t flags = 0, method = 0, dosTime = 0, crc = 0, packed = 0, size = 0, offset = 0;
};

// What the listing callbacks are told of an entry besides its sizes and name.
struct Listing {
  unsigned factor, month, day, year, hour, minute;
  const char* method;
  char encrypted;
};

struct Request {
  const char* zipName = nullptr;
  const char* extractDir = nullptr;  // null or empty: the current folder
  int ifnc = 0;
  char** ifnv = nullptr;
  int xfnc = 0;
  char** xfnv = nullptr;
  bool list = false, test = false;
  bool keepPaths = false;  // ndflag: 0 drops the entries' folders
  bool overwrite = false;  // noflag
};

// The request of a call: the file lists and the options of its DCL block,
// which both interfaces' blocks name alike.
template <typename Dcl>
Request requestOf(int ifnc, char** ifnv, int xfnc, char** xfnv, const Dcl& dcl) {
  Request r;
  r.zipName = dcl.lpszZipFN;
  r.extractDir = dcl.lpszExtractDir;
  r.ifnc = ifnc;
  r.ifnv = ifnv;
  r.xfnc = xfnc;
  r.xfnv = xfnv;
  r.list = dcl.nvflag != 0;
  r.test = dcl.ntflag != 0;
  r.keepPaths = dcl.ndflag != 0;
  r.overwrite = dcl.noflag != 0;
  return r;
}

// Lists (`listed` once per entry), tests or extracts; `service` is asked
// before each entry and stops the run with a nonzero answer. A UZ_ code.
int run(const Request& request, const std::function<void(const Entry&, const Listing&)>& listed,
         const std::function<int(const Entry&)>& service);

}  // namespace unzip32sim
