// The daily card data upload "/UpLoadData": UpLoadA.XML sent through
// csUploadData, the receipt, the monthly archive, the register and UpLoad.err.
//
// The clinic program learns the outcome from UpLoad.err alone. An accepted
// upload is always archived, reported, copied under ic\samsign\ and registered;
// a refused one leaves UpLoadA.txt, the archive and the register as they were,
// so the same data can be sent again.
#pragma once

#include "frame/endsrun.h"

#include <cstdint>
#include <string>

struct Run;

// The files, relative to the working folder.
inline constexpr const char* kUploadXml = "UpLoadA.XML";
inline constexpr const char* kUploadSource = "UpLoadA.txt";
inline constexpr const char* kUploadBak = "UpLoadA.bak";
inline constexpr const char* kUploadErr = "UpLoad.err";
inline constexpr const char* kUploadFolder = "ic";
inline constexpr const char* kSignFolder = "ic\\samsign";
inline constexpr const char* kArchivePrefix = "ic\\UpA";         // + DateMth: ic\UpA03.113
inline constexpr const char* kReceiptCopyPrefix = "ic\\samsign\\U";  // + receive time
inline constexpr const char* kUploadRegister = "ic\\ZupRn";

// The insurer's medical-network portal offered after an upload. The host is a
// placeholder of this program; a clinic's network names its own.
inline constexpr const char* kPortalHost = "medvpn.local";
inline constexpr const char* kPortalPath = "/idcportal";

// A field of a fixed layout: 1-based byte position and width.
struct ByteField {
  long start;
  long width;
};

// The receipt csUploadData fills: a 100-character buffer, 50 of it announced.
namespace receipt {
inline constexpr size_t kBufferSize = 100;
inline constexpr int16_t kLength = 50;
inline constexpr ByteField kSamId{1, 12};
inline constexpr ByteField kInstitution{13, 10};
inline constexpr ByteField kUploadTime{23, 14};  // yyyyMMddHHmmss, Gregorian
inline constexpr ByteField kUploadYear{23, 4};
inline constexpr ByteField kReceiveTime{37, 14};
}  // namespace receipt

// UpLoadA.txt records and the monthly archive's records.
namespace archive {
inline constexpr long kRecordSize = 200;
inline constexpr long kKeyWidth = 10;  // a record whose first 10 are blank is no record
inline constexpr ByteField kSource{1, 184};  // of the source record, kept as it was
inline constexpr ByteField kUploadTime{185, 14};
inline constexpr ByteField kLineEnd{199, 2};
static_assert(kSource.width + kUploadTime.width + kLineEnd.width == kRecordSize &&
              kLineEnd.start + kLineEnd.width - 1 == kRecordSize);
// UpLoadA.txt is read in pieces of this many records (2.4 MB), so a file of
// any size is archived in bounded memory, and a day's file in one read.
inline constexpr long kRecordsPerPiece = 12000;
}  // namespace archive

// The upload register ic\ZupRn: one 70-byte line per accepted upload.
namespace reg {
inline constexpr long kLineSize = 70;
inline constexpr ByteField kReceipt{1, 50};
inline constexpr ByteField kCount{53, 4};
inline constexpr ByteField kXmlSize{59, 10};
static_assert(kXmlSize.start + kXmlSize.width + 1 == kLineSize);  // then CR LF
}  // namespace reg

// "/UpLoadData": never returns.
MAY_END_RUN void cmd_UpLoadData(Run& run);

// The record count of the command line: the numeric value of what follows the
// verb, as the runtime reads numbers, written back without a leading blank;
// "0" when nothing numeric follows.
std::string uploadCountText(const std::string& C);
// Zero-padded to `digits`, held inside the field: negative counts as 0, too
// large as all nines, so a register line is always 70 bytes.
std::string fixedDigits(double value, int digits);

// The archive record of one source record (184 bytes as read, blank-padded
// when short): exactly 200 bytes. A double-byte character that the cut at
// byte 184 splits becomes "?"; every other byte is kept as it was.
std::string archiveRecord(const std::string& source, const std::string& uploadTime);
// A source record whose first 10 characters are blanks is not archived.
bool blankKeyed(const std::string& source);
// The records of UpLoadA.txt to archive, in order, as one block of 200-byte
// records; `records` receives their number.
std::string archiveBlock(const std::string& sourceFile, const std::string& uploadTime,
                         long& records);
// The same made of the source's bytes where they lie (each record moves only
// towards the start); the number of records.
long archiveInPlace(std::string& piece, const std::string& uploadTime);
// Where the next record goes in a file of `length` bytes with records of
// `size`: the first boundary at or after the end, so nothing stored is ever
// overwritten.
int64_t nextSlotOffset(int64_t length, long size);

// The 70-byte register line.
std::string registerLine(const std::string& receiptBuf, const std::string& count,
                         int64_t xmlSize);
// The success report of UpLoad.err (without the final line end).
std::string uploadReport(const std::string& receiptBuf, const std::string& count,
                         const std::string& xmlSize);
// The error form of UpLoad.err (without the final line end).
std::string uploadFailureText(int16_t code, const std::string& message);
// The receive time as a file name part: characters a file name cannot hold
// become "_", so a garbled receipt never writes outside ic\samsign\.
std::string receiptCopyName(const std::string& receiptBuf);
