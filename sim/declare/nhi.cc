// The simulated file exchange through the card reader, libnhi_eiiapi.so /
// nhi_eiiapi.dll.
//
// A call answers, in this order: 5000 when the state file cannot be used; the
// code of a fault of the call; 5002 when the reader library named is not a
// file; 9999 for a missing argument; then the call's own checks. Whatever it
// answers is journaled.
#if defined(_WIN32)
#define DECLARE_EXPORT __declspec(dllexport)
#else
#define DECLARE_EXPORT __attribute__((visibility("default")))
#endif
#include "sim/declare/declare_abi.h"

#include <algorithm>

#include "platform/cp950.h"
#include "sim/declare/service.h"
#include "sim/declare/zip.h"

#if defined(DECLARE_SIM_LIBZIP)
#include <zip.h>

#include "sim/cshis/host.h"
#endif

namespace declsim {
namespace {

constexpr int kOk = 0;
constexpr int kNetworkSetup = 5000;
constexpr int kNoReaderLibrary = 5002;
constexpr int kBadFileName = 5003;
constexpr int kBadRequest = 5004;
constexpr int kNoDownloadFolder = 5007;
constexpr int kNoSuchTransaction = 5023;
constexpr int kCannotCreateFile = 5024;
constexpr int kUnknown = 9999;

template <class Body>
int nhiCall(const char* name, const std::vector<std::string>& args, const char* readerDll,
            Body body) {
  std::lock_guard<std::mutex> guard(callLock());
  std::string note;
  int code;
  try {
    Store store;
    std::string error;
    if (!store.load(error)) {
      note = error;
      code = kNetworkSetup;
    } else if (std::optional<Fault> f = store.takeFault(name, note)) {
      code = f->code;
    } else if (!fileExists(readerDll)) {
      code = kNoReaderLibrary;
    } else {
      code = body(store, note);
    }
  } catch (...) {
    code = kUnknown;
  }
  journalCall(name, args, code, note);
  return code;
}

bool validType(const char* dataType) {
  std::string t = trimmedText(dataType);
  return t == "03" || t == "05";
}

// Two new identifiers, recorded with the exchange; written into the caller's
// 14-byte buffers (no NUL: the caller's is after them).
int giveIdentifiers(Store& store, std::string& note, Exchange e, char* localId, char* nhiId) {
  State& s = store.state();
  long n = s.lastExchange + 1L;
  std::string date = rocDate(now(s));
  e.localId = date + "0" + digits(n, 6);
  e.nhiId = date + "9" + digits(n, 6);
  s.lastExchange = static_cast<int>(n % 1000000);
  s.exchanges.push_back(e);
  if (!store.save()) {
    note = "state not saved to " + store.where().state;
    return kCannotCreateFile;
  }
  std::copy(e.localId.begin(), e.localId.end(), localId);
  std::copy(e.nhiId.begin(), e.nhiId.end(), nhiId);
  return kOk;
}

// Writes the check result's files as a zip archive at the caller's path.
// Names and texts are CP950 bytes; the archive does not claim UTF-8 names.
bool writeArchive(const char* targetPath, const Files& files, const Now& t) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& [name, text] : files) entries.emplace_back(cp950::fromUtf8(name), cp950::fromUtf8(text));
#if defined(DECLARE_SIM_LIBZIP)
  std::string path = sim::host::hostPath(argument(targetPath));
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return false;
  bool ok = true;
  for (const auto& [name, data] : entries) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source,
                                              ZIP_FL_OVERWRITE | ZIP_FL_ENC_CP437)
                               : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      ok = false;
      break;
    }
  }
  if (!ok) {
    zip_discard(archive);
    return false;
  }
  // The buffers above must outlive this: zip_close reads them.
  return zip_close(archive) == 0;
#else
  std::string archive =
      zip::stored(entries, zip::dosTime(t.year, t.month, t.day, t.hour, t.minute, t.second));
  return writeBytes(targetPath, archive);
#endif
}

}  // namespace
}  // namespace declsim

using namespace declsim;

extern "C" {

int DECLARE_CALL NHI_SendB(int port, char* readerDll, char* file, char* dataType, char* localId,
                           char* nhiId) {
  return nhiCall("NHI_SendB",
                 {journalNumber(port), journalText(readerDll), journalText(file),
                  journalText(dataType), journalBuffer(DECLARE_NHI_ID_WIDTH),
                  journalBuffer(DECLARE_NHI_ID_WIDTH)},
                 readerDll, [&](Store& store, std::string& note) {
                   if (!file || !dataType || !localId || !nhiId) return kUnknown;
                   if (!fileExists(file)) return kBadFileName;
                   if (!validType(dataType)) return kBadRequest;
                   Exchange e;
                   e.kind = "send";
                   e.dataType = trimmedText(dataType);
                   e.file = trimmedText(file);
                   return giveIdentifiers(store, note, e, localId, nhiId);
                 });
}

int DECLARE_CALL NHI_DownloadB(int port, char* readerDll, char* folder, char* dataType,
                               char* localId, char* nhiId) {
  return nhiCall("NHI_DownloadB",
                 {journalNumber(port), journalText(readerDll), journalText(folder),
                  journalText(dataType), journalBuffer(DECLARE_NHI_ID_WIDTH),
                  journalBuffer(DECLARE_NHI_ID_WIDTH)},
                 readerDll, [&](Store& store, std::string& note) {
                   if (!folder || !dataType || !localId || !nhiId) return kUnknown;
                   if (!folderExists(folder)) return kNoDownloadFolder;
                   if (!validType(dataType)) return kBadRequest;
                   State& s = store.state();
                   Exchange e;
                   e.kind = "check";
                   e.dataType = trimmedText(dataType);
                   if (s.checkResults.empty()) {
                     e.files = defaultCheckResult();
                   } else {
                     e.files = s.checkResults.front();
                     s.checkResults.erase(s.checkResults.begin());
                   }
                   return giveIdentifiers(store, note, e, localId, nhiId);
                 });
}

int DECLARE_CALL NHI_GetB(int port, char* readerDll, char* localId, char* nhiId,
                          char* targetPath) {
  return nhiCall("NHI_GetB",
                 {journalNumber(port), journalText(readerDll), journalText(localId),
                  journalText(nhiId), journalText(targetPath)},
                 readerDll, [&](Store& store, std::string&) {
                   if (!localId || !nhiId || !targetPath) return kUnknown;
                   std::string local = trimmedText(localId), remote = trimmedText(nhiId);
                   const std::vector<Exchange>& all = store.state().exchanges;
                   auto it = std::find_if(all.begin(), all.end(), [&](const Exchange& e) {
                     return e.kind == "check" && e.localId == local && e.nhiId == remote;
                   });
                   if (local.empty() || it == all.end()) return kNoSuchTransaction;
                   return writeArchive(targetPath, it->files, now(store.state())) ? kOk
                                                                                 : kCannotCreateFile;
                 });
}

}  // extern "C"
