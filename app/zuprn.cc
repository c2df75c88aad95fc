#include "app/zuprn.h"

#include <algorithm>
#include <cmath>

#include "card/dates.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "upload/upload.h"

namespace {

// The parts of a register record the viewer reads (1-based bytes).
constexpr long kRecordSize = reg::kLineSize;
constexpr int16_t kReadWidth = 68;
constexpr ByteField kUploadTime{23, 14};
constexpr ByteField kReceiveTime{37, 14};
constexpr ByteField kCount{52, 6};
constexpr ByteField kFileSize{58, 11};
// More lines than this stop the list: a register of years stays readable.
constexpr size_t kMaxLines = 4000;
// Records read at once (70 KB): what a full list shows.
constexpr int64_t kBlockRecords = 1024;

constexpr int kLeft = 500, kTop = 500;
constexpr int kListWidth = 9240, kListHeight = 6560;
constexpr int kMainExtraWidth = 360, kMainExtraHeight = 640;

std::string field(const std::string& record, ByteField f) { return bcut(record, f.start, f.width); }

// A number as the runtime joins it to a text: no blank, no decimals when whole.
std::string number(const std::string& text) {
  // Digits between blanks, as the register writes them: no need to ask Val.
  const size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
  const size_t other = b == std::string::npos ? b : text.find_first_not_of("0123456789", b);
  if (b != std::string::npos && e - b < 15 && std::min(other, text.size()) == e + 1)
    return std::to_string(std::stoll(text.substr(b, e - b + 1)));
  double v = vbVal(text);
  if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
  return formatSingle(v);
}

}  // namespace

int64_t registerRecords(int64_t length) {
  if (length <= 0) return 0;
  int64_t whole = length / kRecordSize, rest = length % kRecordSize;
  if (rest * 2 > kRecordSize || (rest * 2 == kRecordSize && whole % 2 == 1)) ++whole;
  return whole;
}

std::vector<std::string> registerLines(const std::string& record) {
  // Converted once: a long register repeats them a thousand times.
  static const std::string uploaded = b5("上傳日期時間: "), size = "\t" + b5("檔案大小: "),
                           count = "\t" + b5("   筆數: "), received = b5("接收日期時間: ");
  return {uploaded + monthday(field(record, kUploadTime)),
          size + number(field(record, kFileSize)) + count + number(field(record, kCount)),
          received + monthday(field(record, kReceiveTime)),
          ""};
}

void cmd_icZupRn(Run& run) {
  listClear(run);
  const std::string path = run.settings.workDir + kUploadRegister;
  const int64_t n = run.disk.isFolder(path) ? 0 : registerRecords(run.disk.length(path).value_or(0));
  // Block by block: only what is shown is read, however long the register.
  std::string block;
  int64_t blockFirst = 0;
  listGather(run);  // the register's lines reach the screen in one piece
  for (int64_t i = 0; i < n && run.list1.size() <= kMaxLines; ++i) {
    if (i == 0 || i - blockFirst >= kBlockRecords) {
      blockFirst = i;
      if (!run.disk.readAt(path, i * kRecordSize, static_cast<size_t>(kBlockRecords * kRecordSize),
                           block)) {
        run.lastStatus = kErrFileAccess;
        break;
      }
    }
    const size_t at = static_cast<size_t>((i - blockFirst) * kRecordSize);
    std::string record = at < block.size() ? block.substr(at, kReadWidth) : std::string();
    record.resize(kReadWidth, ' ');
    for (const std::string& line : registerLines(cp950::normalize(record))) listAdd(run, line);
  }
  listSend(run);
  run.screen.caption("vexa5", b5("上傳日期時間 查核"));
  run.screen.placeMain(kLeft, kTop, kListWidth + kMainExtraWidth, kListHeight + kMainExtraHeight);
  run.win.endAtOnce = true;
  showWindow(run, "vexa5");
}
