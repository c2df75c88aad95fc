#include "upload/upload.h"

#include "store/store.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/cp950.h"
#include "card/dates.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "card/cardlib.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "store/store.h"

namespace {

constexpr std::string_view kVerb = "/UpLoadData";
constexpr const char* kOperation = "就醫資料上傳";
// The insurer has the upload, but this machine's archive does not: said in
// UpLoad.err's last line and in red, and UpLoadA.txt is kept.
constexpr const char* kNotArchived = "上傳完成 但本機存檔失敗 UpLoadA.txt 保留";
constexpr int kUploadLockWaitMs = 10000;

// A field of the receipt, always exactly its width.
std::string cut(const std::string& text, ByteField f) {
  std::string s = bcut(text, f.start, f.width);
  s.resize(static_cast<size_t>(f.width), ' ');
  return s;
}

// The source records a file of that length holds: whole records, and a
// truncated last one when at least its key is there (shorter leftovers are
// line ends or end-of-file marks).
int64_t sourceRecordCount(int64_t length) {
  int64_t whole = length / archive::kRecordSize;
  return whole + (length % archive::kRecordSize >= archive::kKeyWidth ? 1 : 0);
}

// Creates a folder of the working folder when it is missing: an upload the
// insurer has accepted must reach the archive, the receipt copy and the register.
void ensureFolder(Run& run, const char* name) {
  const std::string path = run.settings.workDir + name;
  if (!run.disk.isFolder(path) && !run.disk.makeFolder(path)) run.lastStatus = kErrPathNotFound;
}

// Writes `data` after the end of the file, at its next record boundary; the
// gap to the boundary (left by an earlier failure) is filled with blanks. What
// is stored before the end is never touched.
bool appendRecords(Run& run, const std::string& path, long recordSize, const std::string& data) {
  int64_t length = run.disk.length(path).value_or(0);
  int64_t offset = nextSlotOffset(length, recordSize);
  const bool written = offset == length
                           ? run.disk.writeAt(path, length, data)
                           : run.disk.writeAt(path, length, std::string(static_cast<size_t>(offset - length), ' ') + data);
  if (written) return true;
  run.lastStatus = kErrFileAccess;
  return false;
}

// The archive: the matching visit records of UpLoadA.txt go into this month's
// archive. True when every one of them is there.
bool archiveSource(Run& run, const std::string& uploadTime) {
  const std::string source = run.settings.workDir + kUploadSource;
  const std::string monthly = run.settings.workDir + kArchivePrefix + DateMth(run.clock.now());
  const int64_t records = sourceRecordCount(run.disk.length(source).value_or(0));
  for (int64_t first = 0; first < records; first += archive::kRecordsPerPiece) {
    const int64_t n = std::min<int64_t>(archive::kRecordsPerPiece, records - first);
    std::string piece;
    if (!run.disk.readAt(source, first * archive::kRecordSize,
                         static_cast<size_t>(n * archive::kRecordSize), piece)) {
      run.lastStatus = kErrFileAccess;
      return false;
    }
    // The piece becomes its block where it lies: no second copy of it.
    if (archiveInPlace(piece, uploadTime) > 0 &&
        !appendRecords(run, monthly, archive::kRecordSize, piece))
      return false;
  }
  return true;
}

// Creates or replaces a file with exactly these bytes.
bool writeBytes(Run& run, const std::string& path, const std::string& data) {
  if (run.disk.write(path, data)) return true;
  run.lastStatus = kErrFileAccess;
  return false;
}

// The backup: UpLoadA.txt becomes UpLoadA.bak. It is deleted only when the copy
// exists, so the day's records are never lost.
void backUpSource(Run& run) {
  const std::string source = run.settings.workDir + kUploadSource;
  const std::string bak = run.settings.workDir + kUploadBak;
  bool saved = run.disk.exists(source) ? copyFile(run.files(), source, bak) : writeBytes(run, bak, "");
  if (saved && run.disk.exists(source)) killFile(run.files(), source);
}

[[noreturn]] MAY_END_RUN void uploadRefused(Run& run, int16_t code) {
  run.reader.close();
  closeWaiting(run);
  showRed(run, b5("上傳 錯誤代碼: ") + std::to_string(code), 10);
  writeResult(run, run.settings.workDir + kUploadErr, uploadFailureText(code, run.lastError));
  UnloadMe_End(run);
}

}  // namespace

std::string uploadCountText(const std::string& C) {
  size_t at = C.find(kVerb);
  double v = at == std::string::npos ? 0 : vbVal(std::string_view(C).substr(at + kVerb.size()));
  if (v == 0) return "0";
  if (std::fabs(v) < 1e15 && v == std::floor(v)) return std::to_string(static_cast<long long>(v));
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  return buf;
}

std::string fixedDigits(double value, int digits) {
  const double top = std::pow(10.0, digits) - 1;
  double r = std::round(value);
  if (!(r >= 0)) r = 0;
  if (r > top) r = top;
  // Ten digits do not fit the 32-bit long of Windows.
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", digits, static_cast<long long>(r));
  return buf;
}

bool blankKeyed(const std::string& source) {
  return vbTrim(vbLeft(source, static_cast<size_t>(archive::kKeyWidth))).empty();
}

namespace {

// A lead byte left alone at the cut is half a character: the decoder's "?".
// Every byte that is no lead byte ends a character, so only the lead bytes
// right before the cut decide: an odd run of them leaves the last alone.
void markHalfCharacter(char* field, size_t width) {
  size_t leads = 0;
  while (leads < width && cp950::isLead(static_cast<unsigned char>(field[width - 1 - leads])))
    ++leads;
  if (leads % 2 == 1) field[width - 1] = '?';
}

// The upload time as the archive keeps it: exactly its width.
std::string timeField(std::string_view uploadTime) {
  std::string t(uploadTime.substr(0, static_cast<size_t>(archive::kUploadTime.width)));
  t.resize(static_cast<size_t>(archive::kUploadTime.width), ' ');
  return t;
}

}  // namespace

std::string archiveRecord(const std::string& source, const std::string& uploadTime) {
  const size_t width = static_cast<size_t>(archive::kSource.width);
  std::string r = source.substr(0, width);
  r.resize(width, ' ');
  markHalfCharacter(r.data(), width);
  return r + timeField(uploadTime) + "\r\n";
}

long archiveInPlace(std::string& piece, const std::string& uploadTime) {
  const size_t size = static_cast<size_t>(archive::kRecordSize);
  const size_t width = static_cast<size_t>(archive::kSource.width);
  const size_t key = static_cast<size_t>(archive::kKeyWidth);
  const size_t length = piece.size();
  const size_t n = static_cast<size_t>(sourceRecordCount(static_cast<int64_t>(length)));
  const std::string time = timeField(uploadTime);
  piece.resize(n * size, ' ');
  // Record i moves to slot `kept`, never past where it stood.
  size_t kept = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t at = i * size, out = kept * size;
    const size_t have = std::min(width, length - at);
    if (blankKeyed(std::string(piece, at, std::min(key, have)))) continue;
    if (out != at) std::memmove(&piece[out], &piece[at], have);
    if (have < width) std::memset(&piece[out + have], ' ', width - have);
    markHalfCharacter(&piece[out], width);
    std::memcpy(&piece[out + width], time.data(), time.size());
    piece[out + size - 2] = '\r';
    piece[out + size - 1] = '\n';
    ++kept;
  }
  piece.resize(kept * size);
  return static_cast<long>(kept);
}

std::string archiveBlock(const std::string& sourceFile, const std::string& uploadTime, long& records) {
  std::string block = sourceFile;
  records = archiveInPlace(block, uploadTime);
  return block;
}

int64_t nextSlotOffset(int64_t length, long size) {
  if (length <= 0) return 0;
  return (length + size - 1) / size * size;
}

std::string registerLine(const std::string& receiptBuf, const std::string& count, int64_t xmlSize) {
  return cut(receiptBuf, reg::kReceipt) + "  " +
         fixedDigits(vbVal(count), static_cast<int>(reg::kCount.width)) + "  " +
         fixedDigits(static_cast<double>(xmlSize), static_cast<int>(reg::kXmlSize.width)) + "\r\n";
}

std::string uploadReport(const std::string& receiptBuf, const std::string& count, const std::string& xmlSize) {
  const std::string crlf = "\r\n";
  return b5("上傳 ") + count + b5("  筆資料") + crlf +
         b5("安全模組代碼: ") + cut(receiptBuf, receipt::kSamId) + crlf +
         b5("醫事服務機構代碼: ") + cut(receiptBuf, receipt::kInstitution) + crlf +
         b5("上傳日期時間: ") + cut(receiptBuf, receipt::kUploadTime) + "\t" + crlf +
         b5("上傳檔案大小: ") + xmlSize + "\t" + crlf +
         b5("接收日期時間: ") + cut(receiptBuf, receipt::kReceiveTime) + "\t";
}

std::string uploadFailureText(int16_t code, const std::string& message) {
  return b5("錯誤代碼: ") + vbStr(code) + "\r" + message;
}

std::string receiptCopyName(const std::string& receiptBuf) {
  std::string name = cut(receiptBuf, receipt::kReceiveTime);
  for (char& c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    bool ok = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '-';
    if (!ok) c = '_';
  }
  return name;
}

void cmd_UpLoadData(Run& run) {
  // Nothing to send.
  const std::string xml = run.settings.workDir + kUploadXml;
  if (!run.disk.exists(xml)) {
    run.reader.close();
    closeWaiting(run);
    showRed(run, b5("每日上傳 無資料 "), 6);
    writeResult(run, run.settings.workDir + kUploadErr, b5("無資料"));
    UnloadMe_End(run);
  }

  // The sending.
  const std::string count = uploadCountText(run.C);
  const int64_t xmlSize = run.disk.length(xml).value_or(0);
  const std::string size = std::to_string(xmlSize);
  showMessage(run, b5("就醫資料上傳中"));
  doEvents(run);
  std::string buf(receipt::kBufferSize, ' ');
  int16_t len = receipt::kLength;
  const int16_t code = run.card.csUploadData(xml, size, count, buf, len);
  run.lastStatus = code;
  msg4apierr(run, code, b5(kOperation));

  // The receipt: one dated another year is no receipt (the reader's clock is wrong).
  if (code != 0 || cut(buf, receipt::kUploadYear) != std::to_string(run.clock.now().year))
    uploadRefused(run, code);

  // The archive first: the day's records into the monthly archive, and only
  // once they are there the source is kept as .bak (the next upload would
  // overwrite the .bak of records no archive holds). Both appends hold the
  // archive's lock, as every change under ic\ does.
  if (run.disk.exists(run.settings.workDir + kUploadErr)) killFile(run.files(), run.settings.workDir + kUploadErr);
  ensureFolder(run, kUploadFolder);
  bool archived = false;
  {
    const auto lock = run.disk.lock(run.settings.workDir + kArchiveLock, kUploadLockWaitMs);
    archived = lock && archiveSource(run, cut(buf, receipt::kUploadTime));
  }
  if (archived) backUpSource(run);

  // The report for the clinic program, and its copy for this receipt.
  run.reader.close();
  std::string report = uploadReport(buf, count, size);
  if (!archived) report += "\r\n" + b5(kNotArchived);
  writeResult(run, run.settings.workDir + kUploadErr, report);
  ensureFolder(run, kSignFolder);
  const std::string copy = run.settings.workDir + kReceiptCopyPrefix + receiptCopyName(buf);
  if (!copyFile(run.files(), run.settings.workDir + kUploadErr, copy))
    showRed(run, b5("無法寫入檔案: ") + copy, 3);

  // The register: one line.
  {
    const auto lock = run.disk.lock(run.settings.workDir + kArchiveLock, kUploadLockWaitMs);
    if (!lock || !appendRecords(run, run.settings.workDir + kUploadRegister, reg::kLineSize,
                                registerLine(buf, count, xmlSize))) {
      run.lastStatus = kErrFileAccess;
      showRed(run, b5("上傳登錄 未能存檔: ") + run.settings.workDir + kUploadRegister, 3);
    }
  }
  if (!archived) showRed(run, b5(kNotArchived), 10);

  // Done; the portal page when the setting allows.
  showWaiting(run, b5("上傳 完成"));
  timedelay(run, 3, "");
  if (HttpicExecute(run, std::string("https://") + kPortalHost + kPortalPath) == 1) timedelay(run, 1, "");
  UnloadMe_End(run);
}
