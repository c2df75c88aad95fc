#include "declare/logged.h"

#include "frame/runlog.h"

namespace {

class LoggedServices : public DeclareServices {
 public:
  LoggedServices(std::unique_ptr<DeclareServices> inner, RunLog& log)
      : s_(std::move(inner)), log_(log) {}

  int PEA_web_login(const std::string& server, int port, const std::string& system,
                    std::string& institution, const std::string& password) override {
    const int rc = s_->PEA_web_login(server, port, system, institution, password);
    note("PEA_web_login(" + server + ", " + std::to_string(port) + ", " + system + ", " +
             institution + ", password " + (password.empty() ? "empty" : "given") + ")",
         rc);
    return rc;
  }
  int PEA_fa_upload(const std::string& paramFile, const std::string& sendFile,
                    std::string& receipt) override {
    const int rc = s_->PEA_fa_upload(paramFile, sendFile, receipt);
    note("PEA_fa_upload(" + paramFile + ", " + sendFile + ")", rc, "receipt " + receipt);
    return rc;
  }
  int PEA_fa_recv_qry(const std::string& paramFile, const std::string& answerFile) override {
    const int rc = s_->PEA_fa_recv_qry(paramFile, answerFile);
    note("PEA_fa_recv_qry(" + paramFile + ", " + answerFile + ")", rc);
    return rc;
  }
  int PEA_fa_proc_qry(const std::string& paramFile, const std::string& answerFile) override {
    const int rc = s_->PEA_fa_proc_qry(paramFile, answerFile);
    note("PEA_fa_proc_qry(" + paramFile + ", " + answerFile + ")", rc);
    return rc;
  }
  int PEA_web_download_lst(const std::string& paramFile, const std::string& answerFile) override {
    const int rc = s_->PEA_web_download_lst(paramFile, answerFile);
    note("PEA_web_download_lst(" + paramFile + ", " + answerFile + ")", rc);
    return rc;
  }
  int PEA_web_download_file(std::string& fileName, const std::string& answerFile) override {
    const int rc = s_->PEA_web_download_file(fileName, answerFile);
    note("PEA_web_download_file(" + fileName + ", " + answerFile + ")", rc);
    return rc;
  }
  int PEA_fa_del(const std::string& receipt) override {
    const int rc = s_->PEA_fa_del(receipt);
    note("PEA_fa_del(" + receipt + ")", rc);
    return rc;
  }
  std::string PEA_get_errmsg() override {
    std::string text = s_->PEA_get_errmsg();
    log_.line("declare", "PEA_get_errmsg() = " + text);
    return text;
  }
  void PEA_web_logout() override {
    s_->PEA_web_logout();
    log_.line("declare", "PEA_web_logout()");
  }
  int NHI_SendB(int port, const std::string& readerDll, const std::string& file,
                const std::string& dataType, std::string& localId, std::string& nhiId) override {
    const int rc = s_->NHI_SendB(port, readerDll, file, dataType, localId, nhiId);
    note("NHI_SendB(" + std::to_string(port) + ", " + readerDll + ", " + file + ", " + dataType + ")",
         rc, "ids " + localId + " " + nhiId);
    return rc;
  }
  int NHI_DownloadB(int port, const std::string& readerDll, const std::string& folder,
                    const std::string& dataType, std::string& localId, std::string& nhiId) override {
    const int rc = s_->NHI_DownloadB(port, readerDll, folder, dataType, localId, nhiId);
    note("NHI_DownloadB(" + std::to_string(port) + ", " + readerDll + ", " + folder + ", " +
             dataType + ")",
         rc, "ids " + localId + " " + nhiId);
    return rc;
  }
  int NHI_GetB(int port, const std::string& readerDll, const std::string& localId,
               const std::string& nhiId, const std::string& targetPath) override {
    const int rc = s_->NHI_GetB(port, readerDll, localId, nhiId, targetPath);
    note("NHI_GetB(" + std::to_string(port) + ", " + readerDll + ", " + localId + ", " + nhiId +
             ", " + targetPath + ")",
         rc);
    return rc;
  }
  std::string missing() override {
    std::string text = s_->missing();
    log_.line("declare", "missing: " + text);
    return text;
  }
  bool unzip(const std::string& archive, const std::string& folder, std::string& why) override {
    const bool ok = s_->unzip(archive, folder, why);
    log_.line("declare", "unzip " + archive + " -> " + folder + (ok ? ": ok" : ": failed: " + why));
    return ok;
  }

 private:
  void note(const std::string& call, int rc, const std::string& out = {}) {
    log_.line("declare", call + " = " + (rc == kMissing ? std::string("missing") : std::to_string(rc)) +
                             (out.empty() ? "" : ", " + out));
  }
  std::unique_ptr<DeclareServices> s_;
  RunLog& log_;
};

}  // namespace

std::unique_ptr<DeclareServices> logDeclareServices(std::unique_ptr<DeclareServices> inner,
                                                    RunLog* log) {
  if (!log || !inner) return inner;
  return std::make_unique<LoggedServices>(std::move(inner), *log);
}
