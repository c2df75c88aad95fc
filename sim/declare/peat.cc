// The simulated declaration web service, libPEAT1511B01.so / PEAT1511B01.dll.
//
// A call answers, in this order: -1 when the state file cannot be used; -1
// before a successful login (every call but PEA_web_login, PEA_get_errmsg
// and PEA_web_logout); the code of a fault of the call; then the call's own
// checks. A failure keeps its text for PEA_get_errmsg. Whatever it answers
// is journaled.
#if defined(_WIN32)
#define DECLARE_EXPORT __declspec(dllexport)
#else
#define DECLARE_EXPORT __attribute__((visibility("default")))
#endif
#include "sim/declare/declare_abi.h"

#include <algorithm>

#include "platform/cp950.h"
#include "sim/declare/service.h"

namespace declsim {
namespace {

constexpr int kFailed = -1;
constexpr int kPort = 1502;
constexpr const char* kSystem = "FA";

// What lives in the process between calls: the session and the last failure.
struct Session {
  bool loggedIn = false;
  std::string institution;
  std::string lastError;  // UTF-8
};

Session& session() {
  static Session s;
  return s;
}

// One call under way: its journal fields, its note, and the failure helper.
struct Call {
  std::vector<std::string> args;
  std::string note;

  int fail(const std::string& why, int code = kFailed) {
    session().lastError = why;
    return code;
  }
  // Reads the parameter file and journals its lines.
  bool params(const char* path, std::vector<std::string>& lines) {
    std::string error;
    if (!readLines(path, lines, error)) {
      args.push_back("params=(" + error + ")");
      fail("參數檔無法讀取: " + trimmedText(path) + " (" + error + ")");
      return false;
    }
    args.push_back(journalParams(lines));
    return true;
  }
};

enum class Needs { kSession, kNothing };

template <class Body>
int webCall(const char* name, std::vector<std::string> args, Needs needs, Body body) {
  std::lock_guard<std::mutex> guard(callLock());
  Call call{std::move(args), {}};
  int code;
  try {
    Store store;
    std::string error;
    if (!store.load(error)) {
      call.note = error;
      code = call.fail("模擬申報服務的狀態檔無法使用: " + error);
    } else if (needs == Needs::kSession && !session().loggedIn) {
      code = call.fail("尚未登入");
    } else if (std::optional<Fault> f = store.takeFault(name, call.note)) {
      code = f->code;
      if (code < 0) call.fail(f->message ? *f->message : "模擬錯誤 " + std::to_string(code));
    } else {
      code = body(store, call);
    }
  } catch (...) {
    code = call.fail("模擬申報服務內部錯誤");
  }
  journalCall(name, call.args, code, call.note);
  return code;
}

// The value of `key=` among the parameter lines, if there is such a line.
std::optional<std::string> param(const std::vector<std::string>& lines, std::string_view key) {
  for (const std::string& l : lines) {
    std::string t = trim(l);
    if (t.size() > key.size() && t.compare(0, key.size(), key) == 0 && t[key.size()] == '=')
      return trim(t.substr(key.size() + 1));
    if (t.size() == key.size() + 1 && t.compare(0, key.size(), key) == 0 && t.back() == '=')
      return std::string();
  }
  return std::nullopt;
}

std::string uploadParam(const Upload& u, std::string_view key) {
  return param(u.params, key).value_or("");
}

// The counter part of a receipt number, 0 when it has none.
long receiptCounter(const std::string& receipt) {
  if (receipt.size() != 15 || !std::all_of(receipt.begin(), receipt.end(),
                                           [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return std::stol(receipt.substr(7));
}

std::string listing(const State& s, bool processing) {
  std::string out;
  for (const Upload& u : s.uploads) {
    if (u.institution != session().institution) continue;
    if (processing)
      out += u.receipt + " " + uploadParam(u, "FEE_YM") + " " + uploadParam(u, "APPL_TYPE") + " " +
             (u.accepted ? "已受理" : "處理中") + "\n";
    else
      out += u.receipt + " " + u.time + " " + uploadParam(u, "FEE_YM") + " " + u.file + " " +
             (u.accepted ? "已受理" : "已收件") + "\n";
  }
  return out.empty() ? std::string("查無資料\n") : out;
}

int query(Store& store, Call& call, const char* paramFile, const char* answerFile,
          const std::optional<std::string>& answer, bool processing) {
  std::vector<std::string> lines;
  if (!call.params(paramFile, lines)) return kFailed;
  std::string text = answer ? *answer : listing(store.state(), processing);
  if (!writeAnswer(answerFile, text)) return call.fail("無法寫入答覆檔: " + trimmedText(answerFile));
  return 0;
}

}  // namespace
}  // namespace declsim

using namespace declsim;

extern "C" {

int DECLARE_CALL PEA_web_login(char* server, int port, char* system, char* institution,
                               char* password) {
  // A new login ends the session, whether it succeeds or not.
  {
    std::lock_guard<std::mutex> guard(callLock());
    session().loggedIn = false;
  }
  return webCall("PEA_web_login",
                 {journalText(server), journalNumber(port), journalText(system),
                  journalText(institution), journalMasked(password)},
                 Needs::kNothing, [&](Store& store, Call& call) {
                   Session& s = session();
                   if (!server || !system || !institution || !password)
                     return call.fail("參數錯誤");
                   if (trimmedText(server).empty()) return call.fail("未指定伺服器");
                   if (port != kPort) return call.fail("連接埠錯誤: " + std::to_string(port));
                   if (trimmedText(system) != kSystem)
                     return call.fail("系統代碼錯誤: " + trimmedText(system));
                   std::string code = trimmedText(institution);
                   auto it = store.state().institutions.find(code);
                   if (it == store.state().institutions.end() ||
                       it->second.password != trimmedText(password))
                     return call.fail("密碼錯誤");
                   s.loggedIn = true;
                   s.institution = code;
                   putText(institution, kTextBuffer, cp950::fromUtf8(code));
                   return 0;
                 });
}

int DECLARE_CALL PEA_fa_upload(char* paramFile, char* sendFile, char* receipt, int receiptLen) {
  return webCall(
      "PEA_fa_upload",
      {journalText(paramFile), journalText(sendFile), journalBuffer(receiptLen)}, Needs::kSession,
      [&](Store& store, Call& call) {
        std::vector<std::string> lines;
        if (!call.params(paramFile, lines)) return kFailed;
        std::optional<std::string> feeMonth = param(lines, "FEE_YM");
        if (!feeMonth || feeMonth->empty()) return call.fail("參數檔缺少 FEE_YM");
        if (!fileExists(sendFile)) return call.fail("找不到上傳檔案: " + trimmedText(sendFile));
        if (!receipt || receiptLen < 15) return call.fail("收件序號的緩衝區不足 15 位");
        State& s = store.state();
        long counter = s.lastReceipt;
        for (const Upload& u : s.uploads) counter = std::max(counter, receiptCounter(u.receipt));
        ++counter;
        Now t = now(s);
        Upload u;
        u.receipt = rocDate(t) + digits(counter, 8);
        u.institution = session().institution;
        u.file = trimmedText(sendFile);
        u.params = lines;
        u.time = rocDateTime(t);
        s.uploads.push_back(u);
        s.lastReceipt = static_cast<int>(counter % 100000000);
        if (!store.save()) {
          call.note = "state not saved to " + store.where().state;
          return call.fail("無法記錄上傳 (狀態檔無法寫入)");
        }
        std::copy(u.receipt.begin(), u.receipt.end(), receipt);
        return 0;
      });
}

int DECLARE_CALL PEA_fa_recv_qry(char* paramFile, char* answerFile) {
  return webCall("PEA_fa_recv_qry", {journalText(paramFile), journalText(answerFile)},
                 Needs::kSession, [&](Store& store, Call& call) {
                   return query(store, call, paramFile, answerFile, store.state().receiptAnswer,
                                false);
                 });
}

int DECLARE_CALL PEA_fa_proc_qry(char* paramFile, char* answerFile) {
  return webCall("PEA_fa_proc_qry", {journalText(paramFile), journalText(answerFile)},
                 Needs::kSession, [&](Store& store, Call& call) {
                   return query(store, call, paramFile, answerFile, store.state().processAnswer,
                                true);
                 });
}

int DECLARE_CALL PEA_web_download_lst(char* paramFile, char* answerFile) {
  return webCall("PEA_web_download_lst", {journalText(paramFile), journalText(answerFile)},
                 Needs::kSession, [&](Store& store, Call& call) {
                   std::vector<std::string> lines;
                   if (!call.params(paramFile, lines)) return kFailed;
                   std::string text;
                   for (const auto& entry : store.state().downloads) text += entry.first + "\n";
                   if (!writeAnswer(answerFile, text))
                     return call.fail("無法寫入答覆檔: " + trimmedText(answerFile));
                   return 0;
                 });
}

int DECLARE_CALL PEA_web_download_file(char* fileName, char* answerFile) {
  return webCall("PEA_web_download_file", {journalText(fileName), journalText(answerFile)},
                 Needs::kSession, [&](Store& store, Call& call) {
                   if (!fileName) return call.fail("參數錯誤");
                   std::string name = trimmedText(fileName);
                   auto it = store.state().downloads.find(name);
                   if (it == store.state().downloads.end())
                     return call.fail("查無此檔案: " + name);
                   if (!writeAnswer(answerFile, it->second))
                     return call.fail("無法寫入答覆檔: " + trimmedText(answerFile));
                   putText(fileName, kTextBuffer, cp950::fromUtf8(name));
                   return 0;
                 });
}

int DECLARE_CALL PEA_fa_del(char* receipt) {
  return webCall("PEA_fa_del", {journalText(receipt)}, Needs::kSession,
                 [&](Store& store, Call& call) {
                   std::string number = trimmedText(receipt);
                   std::vector<Upload>& uploads = store.state().uploads;
                   auto it = std::find_if(uploads.begin(), uploads.end(), [&](const Upload& u) {
                     return u.receipt == number && u.institution == session().institution;
                   });
                   if (number.empty() || it == uploads.end())
                     return call.fail("查無此收件序號: " + number);
                   if (it->accepted) return 1;
                   uploads.erase(it);
                   if (!store.save()) {
                     call.note = "state not saved to " + store.where().state;
                     return call.fail("無法刪除 (狀態檔無法寫入)");
                   }
                   return 0;
                 });
}

int DECLARE_CALL PEA_get_errmsg(char* buf, int len) {
  std::lock_guard<std::mutex> guard(callLock());
  int code = 0;
  if (!buf || len <= 0) {
    code = kFailed;
  } else {
    std::string text = cp950::fromUtf8(session().lastError);
    putText(buf, std::min(static_cast<size_t>(len), kTextBuffer), text);
  }
  journalCall("PEA_get_errmsg", {journalBuffer(len)}, code, "");
  return code;
}

int DECLARE_CALL PEA_web_logout(void) {
  // The session ends even when the call itself fails.
  {
    std::lock_guard<std::mutex> guard(callLock());
    session().loggedIn = false;
    session().institution.clear();
  }
  return webCall("PEA_web_logout", {}, Needs::kNothing, [](Store&, Call&) { return 0; });
}

}  // extern "C"
