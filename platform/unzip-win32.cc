// Unpacking through the clinic's Info-ZIP unzip32.dll, loaded by name at
// each use so that a missing library fails only this operation. It speaks
// UnZip 6.0's DLL interface or the 5.5x line's, as the library's own version
// call says: both export the same names with other blocks, and handing one
// the other's would have it misread its options and unbalance the stack in
// its callbacks. The archive is listed first and every entry name checked;
// only then is it extracted, with the library's own safe-path mode as a
// second guard.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/cp950-win32.h"
#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/unzip.h"
#include "platform/unzip32.h"

namespace {

// The library's callbacks carry no context: one run at a time collects the
// names it lists here.
std::mutex runLock;
std::vector<std::string>* listed = nullptr;

void list(LPCSTR name) {
  if (listed) listed->emplace_back(name ? name : "");
}

int WINAPI print(LPSTR, unsigned long size) { return static_cast<int>(size); }
void WINAPI sound() {}
int WINAPI password(LPSTR, int, LPCSTR, LPCSTR) { return -2; /* cancel all: no password */ }
constexpr int kReplaceAll = 103;  // IDM_REPLACE_ALL

// UnZip 6.0's blocks and callbacks.
struct Unzip6 {
  using Options = DCL;
  using Functions = USERFUNCTIONS;
  using Call = WizSingleEntryUnzip;
  static int WINAPI replace(LPSTR, unsigned) { return kReplaceAll; }
  static int WINAPI service(LPCSTR, uz_uint8) { return 0; }
  static void WINAPI message(uz_uint8, uz_uint8, unsigned, unsigned, unsigned, unsigned, unsigned,
                             unsigned, char, LPCSTR name, LPCSTR, unsigned long, char) {
    list(name);
  }
  static void prepare(Options& o) { o.StructVersID = UZ_DCL_STRUCTVER; }
};

// The 5.5x line's: 32-bit sizes, a replace of one argument, no structure version.
struct Unzip5 {
  using Options = DCL5;
  using Functions = USERFUNCTIONS5;
  using Call = WizSingleEntryUnzip5;
  static int WINAPI replace(LPSTR) { return kReplaceAll; }
  static int WINAPI service(LPCSTR, unsigned long) { return 0; }
  static void WINAPI message(unsigned long, unsigned long, unsigned, unsigned, unsigned, unsigned,
                             unsigned, unsigned, char, LPSTR name, LPSTR, unsigned long, char) {
    list(name);
  }
  static void prepare(Options&) {}
};

struct LoadedLibrary {
  HMODULE module = nullptr;
  ~LoadedLibrary() {
    if (module) FreeLibrary(module);
  }
};

bool makeFolders(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  size_t cut = path.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':')
    makeFolders(path.substr(0, cut));
  return CreateDirectoryW(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string codeText(int rc) { return " (unzip32 " + std::to_string(rc) + ")"; }

// The line the library belongs to, by its version call: 6 (or later), 5 for
// 5.5x (major 5, minor 5: 5.50-5.52), or 0 when it cannot be told or is
// older, with the reason in `why`.
// Both lines' blocks hold the version at the same place; 6.0 fills a block of
// the size it knows and otherwise answers that size, 5.5x fills it whatever.
int interfaceOf(UzpVersion2Function* version, const std::string& library, std::string& why) {
  // Room for a later line's larger block.
  union {
    UzpVer2 v;
    unsigned char bytes[1024];
  } block{};
  block.v.structlen = sizeof(UzpVer2);
  const unsigned answer = version(&block);
  if (block.v.unzip.major == 0 && answer > offsetof(UzpVer2, zipinfo) && answer <= sizeof block) {
    std::memset(&block, 0, sizeof block);
    block.v.structlen = answer;
    version(&block);
  }
  const UzVersionType u = block.v.unzip;
  if (u.major >= 6) return 6;
  if (u.major == 5 && u.minor == 5) return 5;
  why = library + (u.major == 0 ? b5(" 無法辨識版本")
                                : b5(" 版本過舊 ") + std::to_string(u.major) + "." +
                                      std::to_string(u.minor) + std::to_string(u.patchlevel) +
                                      b5(" (需要 UnZip 5.50 以上)"));
  return 0;
}

template <class I>
bool unpack(void* call, const std::string& archive, const std::string& folder, std::string& why) {
  auto unzip = reinterpret_cast<typename I::Call*>(call);
  std::string zipName = hostPath(archive), dirName = hostPath(folder);
  typename I::Functions functions{};
  functions.print = print;
  functions.sound = sound;
  functions.replace = I::replace;
  functions.password = password;
  functions.SendApplicationMessage = I::message;
  functions.ServCallBk = I::service;
  typename I::Options options{};
  I::prepare(options);
  options.fQuiet = 2;
  options.lpszZipFN = zipName.data();
  char* none[] = {nullptr};

  std::lock_guard<std::mutex> guard(runLock);
  std::vector<std::string> names;
  options.nvflag = 1;
  listed = &names;
  int rc = unzip(0, none, 0, none, &options, &functions);
  listed = nullptr;
  if (rc != UZ_PK_OK) {
    why = b5("壓縮檔損毀 ") + archive + codeText(rc);
    return false;
  }
  for (const std::string& name : names) {
    if (!safeEntryName(name)) {
      why = b5("壓縮檔含不安全的檔名 ") + name;
      return false;
    }
  }
  if (const std::string link = linkOnTheWay(folder, names); !link.empty()) {
    why = b5("解壓縮目的地含連結 ") + link;
    return false;
  }
  if (!makeFolders(cp950::toWide(folder))) {
    why = b5("無法建立資料夾 ") + folder;
    return false;
  }
  options.nvflag = 0;
  options.ndflag = 1;  // keep the entries' folders, never climb out
  options.noflag = 1;  // overwrite an earlier result
  options.lpszExtractDir = dirName.data();
  rc = unzip(0, none, 0, none, &options, &functions);
  if (rc != UZ_PK_OK) {
    why = b5("解壓縮失敗 ") + archive + codeText(rc);
    return false;
  }
  return true;
}

}  // namespace

bool unzipAllWith(const std::string& library, const std::string& archive,
                  const std::string& folder, std::string& why) {
  std::wstring wideArchive = cp950::toWide(archive);
  DWORD a = GetFileAttributesW(wideArchive.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) {
    why = b5("找不到壓縮檔 ") + archive;
    return false;
  }
  LoadedLibrary lib;
  lib.module = LoadLibraryA(library.c_str());
  if (!lib.module) {
    why = b5("找不到解壓縮程式庫 ") + library;
    return false;
  }
  void* unzip = reinterpret_cast<void*>(GetProcAddress(lib.module, "Wiz_SingleEntryUnzip"));
  auto version = reinterpret_cast<UzpVersion2Function*>(
      reinterpret_cast<void*>(GetProcAddress(lib.module, "UzpVersion2")));
  if (!unzip || !version) {
    why = library + b5(" 缺少 Wiz_SingleEntryUnzip 或 UzpVersion2");
    return false;
  }
  switch (interfaceOf(version, library, why)) {
    case 6: return unpack<Unzip6>(unzip, archive, folder, why);
    case 5: return unpack<Unzip5>(unzip, archive, folder, why);
    default: return false;
  }
}

bool unzipAll(const std::string& archive, const std::string& folder, std::string& why) {
  return unzipAllWith("unzip32.dll", archive, folder, why);
}

std::string unzipVersion() {
  LoadedLibrary lib;
  lib.module = LoadLibraryA("unzip32.dll");
  if (!lib.module) return {};
  auto version = reinterpret_cast<UzpVersion2Function*>(
      reinterpret_cast<void*>(GetProcAddress(lib.module, "UzpVersion2")));
  if (!version) return "unzip32.dll: no UzpVersion2";
  UzpVer2 v{};
  v.structlen = sizeof v;
  if (version(&v) != 0) return "unzip32.dll: an interface this program does not know";
  auto text = [](const UzVersionType& t) {
    return std::to_string(t.major) + "." + std::to_string(t.minor) + "." + std::to_string(t.patchlevel);
  };
  return "unzip32.dll: UnZip " + text(v.unzip) + ", DLL " + text(v.windll) + ", API " +
         text(v.dllapimin);
}
