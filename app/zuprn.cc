#include "app/zuprn.h"

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

constexpr int kLeft = 500, kTop = 500;
constexpr int kListWidth = 9240, kListHeight = 6560;
constexpr int kMainExtraWidth = 360, kMainExtraHeight = 640;

std::string field(const std::string& record, ByteField f) { return bcut(record, f.start, f.width); }

// A number as the runtime joins it to a text: no blank, no decimals when whole.
std::string number(const std::string& text) {
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
  return {b5("上傳日期時間: ") + monthday(field(record, kUploadTime)),
          "\t" + b5("檔案大小: ") + number(field(record, kFileSize)) + "\t" + b5("   筆數: ") +
              number(field(record, kCount)),
          b5("接收日期時間: ") + monthday(field(record, kReceiveTime)),
          ""};
}

void cmd_icZupRn(Run& run) {
  listClear(run);
  const std::string path = run.settings.workDir + kUploadRegister;
  const int64_t n = run.disk.isFolder(path) ? 0 : registerRecords(run.disk.length(path).value_or(0));
  // Record by record: only what is shown is read, however long the register.
  for (int64_t i = 0; i < n && run.list1.size() <= kMaxLines; ++i) {
    std::string record;
    if (!run.disk.readAt(path, i * kRecordSize, kReadWidth, record)) {
      run.lastStatus = kErrFileAccess;
      break;
    }
    record.resize(kReadWidth, ' ');
    for (const std::string& line : registerLines(cp950::normalize(record))) listAdd(run, line);
  }
  run.screen.caption("vexa5", b5("上傳日期時間 查核"));
  run.screen.placeMain(kLeft, kTop, kListWidth + kMainExtraWidth, kListHeight + kMainExtraHeight);
  run.win.endAtOnce = true;
  showWindow(run, "vexa5");
}
