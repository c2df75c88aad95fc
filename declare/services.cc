#include "declare/services.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/cp950.h"
#include "platform/platform.h"
#include "platform/unzip.h"

#if defined(_WIN32)
#define DECLARE_CALL __stdcall
#else
#define DECLARE_CALL
#endif

namespace {

extern "C" {
using PEA_web_login_fn = int(DECLARE_CALL*)(char*, int, char*, char*, char*);
using PEA_fa_upload_fn = int(DECLARE_CALL*)(char*, char*, char*, int);
using PEA_files_fn = int(DECLARE_CALL*)(char*, char*);
using PEA_fa_del_fn = int(DECLARE_CALL*)(char*);
using PEA_get_errmsg_fn = int(DECLARE_CALL*)(char*, int);
using PEA_web_logout_fn = int(DECLARE_CALL*)();
using NHI_SendB_fn = int(DECLARE_CALL*)(int, char*, char*, char*, char*, char*);
using NHI_GetB_fn = int(DECLARE_CALL*)(int, char*, char*, char*, char*);
}

constexpr size_t kInOut = 256;  // an in/out text: the text, a NUL, zeros
constexpr int kReceiptWidth = 15;
constexpr int kIdWidth = 14;

// A text argument: its bytes and a NUL.
struct In {
  explicit In(const std::string& s) : v(s.begin(), s.end()) { v.push_back('\0'); }
  char* p() { return v.data(); }
  std::vector<char> v;
};

// An in/out text of 256 bytes; the answer is what lies before the first NUL.
struct InOut {
  explicit InOut(const std::string& s) : v(kInOut, '\0') {
    std::memcpy(v.data(), s.data(), std::min(s.size(), kInOut - 1));
  }
  char* p() { return v.data(); }
  std::string text() const { return std::string(v.data(), strnlen(v.data(), kInOut)); }
  std::vector<char> v;
};

// A fixed-width reply: W blanks and a NUL; the library writes at most W bytes.
// What it ends early with a NUL is blank-filled again, so the reply is always W wide.
struct Reply {
  explicit Reply(int width) : w(static_cast<size_t>(width)), v(w, ' ') { v.push_back('\0'); }
  char* p() { return v.data(); }
  std::string text() const {
    std::string s(v.data(), strnlen(v.data(), w));
    s.resize(w, ' ');
    return s;
  }
  size_t w;
  std::vector<char> v;
};

// One library, loaded at its first use.
class Lib {
 public:
  Lib(const char* name) : name_(name) {}
  bool loaded() const { return lib_ != nullptr; }
  bool tried() const { return tried_; }
  template <class Load>
  bool ensure(Load load) {
    if (!tried_) {
      tried_ = true;
      lib_ = load();
    }
    return lib_ != nullptr;
  }
  template <class F>
  F fn(const char* function) {
    void* p = lib_ ? lib_->function(function) : nullptr;
    F f = nullptr;
    static_assert(sizeof f == sizeof p);
    std::memcpy(&f, &p, sizeof f);
    return f;
  }
  const char* name() const { return name_; }

 private:
  const char* name_;
  bool tried_ = false;
  std::unique_ptr<Library> lib_;
};

class RealServices : public DeclareServices {
 public:
  RealServices(System& sys, std::string workDir) : sys_(sys), workDir_(std::move(workDir)) {}

  int PEA_web_login(const std::string& server, int port, const std::string& system,
                    std::string& institution, const std::string& password) override {
    auto f = pea<PEA_web_login_fn>("PEA_web_login");
    if (!f) return kMissing;
    In s(server), sy(system), pw(password);
    InOut inst(institution);
    int r = f(s.p(), port, sy.p(), inst.p(), pw.p());
    institution = inst.text();
    return r;
  }
  int PEA_fa_upload(const std::string& paramFile, const std::string& sendFile,
                    std::string& receipt) override {
    auto f = pea<PEA_fa_upload_fn>("PEA_fa_upload");
    if (!f) return kMissing;
    In pf(paramFile), sf(sendFile);
    Reply r(kReceiptWidth);
    int status = f(pf.p(), sf.p(), r.p(), kReceiptWidth);
    receipt = r.text();
    return status;
  }
  int PEA_fa_recv_qry(const std::string& p, const std::string& a) override {
    return files("PEA_fa_recv_qry", p, a);
  }
  int PEA_fa_proc_qry(const std::string& p, const std::string& a) override {
    return files("PEA_fa_proc_qry", p, a);
  }
  int PEA_web_download_lst(const std::string& p, const std::string& a) override {
    return files("PEA_web_download_lst", p, a);
  }
  int PEA_web_download_file(std::string& fileName, const std::string& answerFile) override {
    auto f = pea<PEA_files_fn>("PEA_web_download_file");
    if (!f) return kMissing;
    InOut name(fileName);
    In af(answerFile);
    int r = f(name.p(), af.p());
    fileName = name.text();
    return r;
  }
  int PEA_fa_del(const std::string& receipt) override {
    auto f = pea<PEA_fa_del_fn>("PEA_fa_del");
    if (!f) return kMissing;
    In r(receipt);
    return f(r.p());
  }
  std::string PEA_get_errmsg() override {
    if (!missing_.empty()) return std::exchange(missing_, std::string());
    auto f = pea<PEA_get_errmsg_fn>("PEA_get_errmsg");
    if (!f) return std::exchange(missing_, std::string());
    std::vector<char> buf(kInOut, '\0');
    f(buf.data(), static_cast<int>(kInOut));
    return std::string(buf.data(), strnlen(buf.data(), kInOut));
  }
  void PEA_web_logout() override {
    if (!pea_.loaded()) return;
    if (auto f = pea_.fn<PEA_web_logout_fn>("PEA_web_logout")) f();
  }

  int NHI_SendB(int port, const std::string& readerDll, const std::string& file,
                const std::string& dataType, std::string& localId, std::string& nhiId) override {
    return exchange("NHI_SendB", port, readerDll, file, dataType, localId, nhiId);
  }
  int NHI_DownloadB(int port, const std::string& readerDll, const std::string& folder,
                    const std::string& dataType, std::string& localId,
                    std::string& nhiId) override {
    return exchange("NHI_DownloadB", port, readerDll, folder, dataType, localId, nhiId);
  }
  int NHI_GetB(int port, const std::string& readerDll, const std::string& localId,
               const std::string& nhiId, const std::string& targetPath) override {
    auto f = nhi<NHI_GetB_fn>("NHI_GetB");
    if (!f) return kMissing;
    In rd(readerDll), l(localId), n(nhiId), t(targetPath);
    return f(port, rd.p(), l.p(), n.p(), t.p());
  }
  std::string missing() override { return std::exchange(missing_, std::string()); }

  bool unzip(const std::string& archive, const std::string& folder, std::string& why) override {
    return unzipAll(archive, folder, why);
  }

 private:
  // A function of PEAT1511B01, loading the library at the first call; null
  // (and the operator's text kept for PEA_get_errmsg) when it is not there.
  template <class F>
  F pea(const char* function) {
    if (!pea_.ensure([&] { return sys_.loadLibrary("PEAT1511B01"); })) {
      missing_ = missingText("PEAT1511B01");
      return nullptr;
    }
    F f = pea_.fn<F>(function);
    if (!f) missing_ = missingText("PEAT1511B01", function);
    return f;
  }
  template <class F>
  F nhi(const char* function) {
    const std::string path = workDir_ + libraryFileName("nhi_eiiapi");
    if (!nhi_.ensure([&] { return sys_.loadLibraryFile(path); })) {
      missing_ = missingText("nhi_eiiapi");
      return nullptr;
    }
    F f = nhi_.fn<F>(function);
    if (!f) missing_ = missingText("nhi_eiiapi", function);
    return f;
  }
  int files(const char* function, const std::string& paramFile, const std::string& answerFile) {
    auto f = pea<PEA_files_fn>(function);
    if (!f) return kMissing;
    In p(paramFile), a(answerFile);
    return f(p.p(), a.p());
  }
  int exchange(const char* function, int port, const std::string& readerDll,
               const std::string& path, const std::string& dataType, std::string& localId,
               std::string& nhiId) {
    auto f = nhi<NHI_SendB_fn>(function);
    if (!f) return kMissing;
    In rd(readerDll), p(path), t(dataType);
    Reply l(kIdWidth), n(kIdWidth);
    int r = f(port, rd.p(), p.p(), t.p(), l.p(), n.p());
    localId = l.text();
    nhiId = n.text();
    return r;
  }

  System& sys_;
  std::string workDir_;
  Lib pea_{"PEAT1511B01"}, nhi_{"nhi_eiiapi"};
  std::string missing_;
};

}  // namespace

std::string missingText(const std::string& library, const std::string& function) {
  std::string t = b5("缺  ") + library + ".dll";
  if (!function.empty()) t += " " + function;
  return t;
}

std::unique_ptr<DeclareServices> makeDeclareServices(System& sys, Disk&,
                                                     const std::string& workDir) {
  return std::make_unique<RealServices>(sys, workDir);
}
