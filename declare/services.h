// The insurer's two declaration libraries as the declaration window calls them:
// PEAT1511B01 (the declaration web service) and nhi_eiiapi (the file exchange
// through the card reader), and the unpacking of a downloaded result.
//
// The window sees them only through DeclareServices, so tests can put a fake
// in their place. The real one loads each library by name at its first use
// and resolves every function by its undecorated name; a library or function
// that is not there is no crash: the call answers kMissing, and the text of
// what is missing ("缺  nhi_eiiapi.dll") is what PEA_get_errmsg / missing()
// then give.
#pragma once

#include <memory>
#include <string>

struct Disk;
struct System;

struct DeclareServices {
  virtual ~DeclareServices() = default;

  // The answer of a call that could not be made (library or function missing).
  static constexpr int kMissing = -2147483647 - 1;

  // PEAT1511B01: negative = failure, then PEA_get_errmsg gives the text.
  virtual int PEA_web_login(const std::string& server, int port, const std::string& system,
                            std::string& institution, const std::string& password) = 0;
  // `receipt` receives the 15-character receipt number, blank-filled.
  virtual int PEA_fa_upload(const std::string& paramFile, const std::string& sendFile,
                            std::string& receipt) = 0;
  virtual int PEA_fa_recv_qry(const std::string& paramFile, const std::string& answerFile) = 0;
  virtual int PEA_fa_proc_qry(const std::string& paramFile, const std::string& answerFile) = 0;
  virtual int PEA_web_download_lst(const std::string& paramFile, const std::string& answerFile) = 0;
  virtual int PEA_web_download_file(std::string& fileName, const std::string& answerFile) = 0;
  // 0 deleted, 1 already accepted for processing ("已受理").
  virtual int PEA_fa_del(const std::string& receipt) = 0;
  virtual std::string PEA_get_errmsg() = 0;
  // Only when the library was ever loaded; failures are ignored.
  virtual void PEA_web_logout() = 0;

  // nhi_eiiapi: 0 = success, else a code for msgErr. The identifiers receive
  // 14 characters each, blank-filled.
  virtual int NHI_SendB(int port, const std::string& readerDll, const std::string& file,
                        const std::string& dataType, std::string& localId, std::string& nhiId) = 0;
  virtual int NHI_DownloadB(int port, const std::string& readerDll, const std::string& folder,
                            const std::string& dataType, std::string& localId,
                            std::string& nhiId) = 0;
  virtual int NHI_GetB(int port, const std::string& readerDll, const std::string& localId,
                       const std::string& nhiId, const std::string& targetPath) = 0;
  // After an NHI_ call answered kMissing: what is missing, as the operator reads it.
  virtual std::string missing() = 0;

  // unzip32: every file of the archive into the folder; false, with the
  // reason in `why`, when it failed.
  virtual bool unzip(const std::string& archive, const std::string& folder, std::string& why) = 0;
};

// The libraries of this machine: PEAT1511B01 beside the program first, then the
// system's search; nhi_eiiapi from `workDir` only.
std::unique_ptr<DeclareServices> makeDeclareServices(System& sys, Disk& disk,
                                                     const std::string& workDir);

// The operator's text for a missing library: "缺  " + its Windows file name,
// and the function's name when the library lacks just that.
std::string missingText(const std::string& library, const std::string& function = "");
