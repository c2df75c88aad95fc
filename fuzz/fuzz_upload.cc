// The daily upload's inputs: the receipt csUploadData leaves in its buffer,
// UpLoadA.txt (200-byte visit records) and the month's archive as an earlier
// run left it. Whatever they hold, the archive grows by whole records at a
// record boundary and nothing stored in it is changed.
#include "fuzz/fuzz.h"
#include "upload/upload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 3);
  fuzz::FuzzRun f;
  fuzz::card::receipt = in[0];
  f.run.C = "/UpLoadData3";
  f.file(kUploadXml) = "<xml/>";
  f.file(kUploadSource) = in[1];
  const std::string monthly = std::string(kArchivePrefix) + "12.115";  // the fake clock's month
  if (!in[2].empty()) f.file(monthly) = in[2];
  fuzz::toEnd([&] { cmd_UpLoadData(f.run); });
  f.checkStaysHome();

  const std::string after = f.file(monthly);
  fuzz::check(after.compare(0, in[2].size(), in[2]) == 0);
  if (after.size() > in[2].size())
    fuzz::check((after.size() - static_cast<size_t>(nextSlotOffset(
                                     static_cast<int64_t>(in[2].size()), archive::kRecordSize))) %
                    archive::kRecordSize ==
                0);

  long records = 0;
  const std::string block = archiveBlock(in[1], in[0], records);
  fuzz::check(block.size() == static_cast<size_t>(records) * archive::kRecordSize);
  receiptCopyName(in[0]);
  uploadReport(in[0], uploadCountText(in[1]), "6");
  return 0;
}
