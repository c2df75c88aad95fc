// What the fuzz targets share: the input cut into files, a run over the test
// fakes with a card library that always answers, and the checks that stop the
// fuzzer when a procedure breaks one of its own promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "card/cardlib.h"
#include "frame/run.h"
#include "tests/support/fakes.h"
#include "tests/support/nullscreen.h"

namespace fuzz {

// Parts of one input are separated by the byte 0x1E (record separator), so a
// seed is a few files written one after the other. Missing parts are empty;
// the last part keeps the rest, separators and all.
inline constexpr char kSeparator = '\x1e';

inline std::vector<std::string> parts(const uint8_t* data, size_t size, size_t n) {
  std::vector<std::string> out(n);
  const std::string all(reinterpret_cast<const char*>(data), size);
  size_t at = 0;
  for (size_t i = 0; i < n; ++i) {
    if (at > all.size()) break;
    const size_t end = i + 1 == n ? std::string::npos : all.find(kSeparator, at);
    out[i] = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? all.size() + 1 : end + 1;
  }
  return out;
}

// Stops the fuzzer where a procedure broke its own rule: it counts as a crash.
inline void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The card holder the fake card reports: valid, not cancelled, visits left.
inline constexpr const char* kHolderId = "A123456789";
inline std::string basicData() {
  std::string name = "Wang Xiao Ming";
  name.resize(20, ' ');
  return std::string("000012345678") + name + kHolderId + "0750312" + "M" + "1050101" + "1" +
         "01" + "3" + "1991231" + "05" + "1140101" + "2";
}

// The card library of the targets: every call succeeds with a plausible reply;
// csUploadData answers `receipt` (what the target put there).
namespace card {
inline std::string receipt;

inline void put(char* buf, short* len, const std::string& reply) {
  const size_t n = reply.size() < static_cast<size_t>(*len) ? reply.size() : static_cast<size_t>(*len);
  std::memcpy(buf, reply.data(), n);
}
inline int CSHIS_CALL ok() { return 0; }
inline int CSHIS_CALL open(int) { return 0; }
inline int CSHIS_CALL basic(char* buf, short* len) {
  put(buf, len, basicData());
  return 0;
}
inline int CSHIS_CALL seq(char*, char*, char* buf, short* len) {
  put(buf, len, "1151208093045" "0008" "3501234567" + std::string(128, 'S') + "000000067890");
  return 0;
}
inline int CSHIS_CALL seq256(char*, char*, char*, char* buf, short* len) {
  put(buf, len,
      "1151208093045" "0008" "3501234567" + std::string(256, 'S') + "000000012345" "Y");
  return 0;
}
inline int CSHIS_CALL writeCode(char*, char*, char*, char*, char*) { return 0; }
inline int CSHIS_CALL writeFee(char*, char*, char*, char*) { return 0; }
inline int CSHIS_CALL sign(char*, char*, char*, char*, char* signature, short* len) {
  std::memset(signature, 'G', static_cast<size_t>(*len));
  return 0;
}
inline int CSHIS_CALL upload(char*, char*, char*, char* buf, short* len) {
  put(buf, len, receipt);
  return 0;
}
inline int CSHIS_CALL status(short) { return 2; }
}  // namespace card

inline CardLib makeCard() {
  CardTable t;
  t.csOpenCom = card::open;
  t.csCloseCom = card::ok;
  t.hisGetCardStatus = card::status;
  t.hisGetRegisterBasic = card::basic;
  t.hisGetSeqNumber = card::seq;
  t.hisGetSeqNumber256 = card::seq256;
  t.hisWriteTreatmentCode = card::writeCode;
  t.hisWriteTreatmentFee = card::writeFee;
  t.hisWritePrescriptionSign = card::sign;
  t.hisWriteAllergicMedicines = card::writeFee;
  t.hisWriteHealthInsurance = card::writeFee;
  t.csUploadData = card::upload;
  return CardLib(t, nullptr);
}

// One run of the program over the fakes, with nobody at the screen (waits
// end at once). The working folder is "w:\" with ic\, ic\data\ and
// ic\samsign\ in it.
struct FuzzRun {
  FakeDisk disk;
  FakeClock clock;
  FakeSystem sys{disk};
  NullScreen screen;
  CardLib card = makeCard();
  Run run{disk, clock, sys, screen, card};
  FuzzRun() {
    run.settings.workDir = "w:\\";
    disk.folders = {"w:\\ic", "w:\\ic\\data", "w:\\ic\\samsign"};
  }
  std::string& file(const std::string& name) { return disk.files["w:\\" + name]; }
  // Whatever the input named, every file of the run lies in the working folder.
  void checkStaysHome() const {
    for (const auto& [path, bytes] : disk.files)
      check(path.rfind("w:\\", 0) == 0 && path.find("..") == std::string::npos);
  }
};

// Runs a verb or procedure to its end: ending the run is one of its ways out.
template <class F>
void toEnd(F f) {
  try {
    f();
  } catch (const EndOfRun&) {
  }
}

}  // namespace fuzz
