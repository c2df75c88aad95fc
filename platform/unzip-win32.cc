// Unpacking through the clinic's Info-ZIP unzip32.dll (UnZip 6.0's DLL
// interface), loaded by name at each use so that a missing library fails
// only this operation. The archive is listed first and every entry name
// checked; only then is it extracted, with the library's own safe-path mode
// as a second guard.
#include <windows.h>

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

int WINAPI print(LPSTR, unsigned long size) { return static_cast<int>(size); }
void WINAPI sound() {}
int WINAPI replace(LPSTR, unsigned) { return 103; /* IDM_REPLACE_ALL */ }
int WINAPI password(LPSTR, int, LPCSTR, LPCSTR) { return -2; /* cancel all: no password */ }
int WINAPI service(LPCSTR, uz_uint8) { return 0; }
void WINAPI message(uz_uint8, uz_uint8, unsigned, unsigned, unsigned, unsigned, unsigned,
                    unsigned, char, LPCSTR name, LPCSTR, unsigned long, char) {
  if (listed) listed->emplace_back(name ? name : "");
}

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
  auto unzip = reinterpret_cast<WizSingleEntryUnzip*>(
      reinterpret_cast<void*>(GetProcAddress(lib.module, "Wiz_SingleEntryUnzip")));
  auto version = reinterpret_cast<UzpVersion2Function*>(
      reinterpret_cast<void*>(GetProcAddress(lib.module, "UzpVersion2")));
  if (!unzip || !version) {
    why = library + b5(" 缺少 Wiz_SingleEntryUnzip 或 UzpVersion2");
    return false;
  }
  // An older library reads another option block: refuse it rather than hand
  // it one it would misread.
  UzpVer2 v{};
  v.structlen = sizeof v;
  unsigned expected = version(&v);
  if (expected != 0 && expected < sizeof v) {
    v = UzpVer2{};
    v.structlen = expected;
    version(&v);
  }
  if (v.unzip.major < 6) {
    why = library + b5(" 版本過舊 (需要 UnZip 6.0 以上)");
    return false;
  }

  std::string zipName = hostPath(archive), dirName = hostPath(folder);
  USERFUNCTIONS functions{};
  functions.print = print;
  functions.sound = sound;
  functions.replace = replace;
  functions.password = password;
  functions.SendApplicationMessage = message;
  functions.ServCallBk = service;
  DCL options{};
  options.StructVersID = UZ_DCL_STRUCTVER;
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
