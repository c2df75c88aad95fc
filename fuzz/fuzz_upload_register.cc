// The upload register ic\ZupRn as an earlier run (or a damaged disk) left it,
// and the record count of the command line. An accepted upload adds exactly
// one 70-byte line at the next line boundary and keeps what was there.
#include "fuzz/fuzz.h"
#include "upload/upload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 2);
  fuzz::FuzzRun f;
  fuzz::card::receipt = "000000012345" "3501234567" "20261208093045" "20261208093050";
  f.run.C = "/UpLoadData" + in[0];
  f.file(kUploadXml) = "<xml/>";
  if (!in[1].empty()) f.file(kUploadRegister) = in[1];
  fuzz::toEnd([&] { cmd_UpLoadData(f.run); });
  f.checkStaysHome();

  const std::string after = f.file(kUploadRegister);
  const size_t at = static_cast<size_t>(nextSlotOffset(static_cast<int64_t>(in[1].size()), reg::kLineSize));
  fuzz::check(after.size() == at + reg::kLineSize);
  fuzz::check(after.compare(0, in[1].size(), in[1]) == 0);
  fuzz::check(after.compare(after.size() - 2, 2, "\r\n") == 0);
  fuzz::check(registerLine(in[1], uploadCountText(f.run.C), static_cast<int64_t>(size)).size() ==
              static_cast<size_t>(reg::kLineSize));
  return 0;
}
