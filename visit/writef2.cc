#include "visit/writef2.h"

#include <optional>

#include "card/cardlib.h"
#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/dates.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "visit/regrecord.h"
#include "frame/run.h"
#include "visit/samsign.h"
#include "visit/treatment.h"
#include "frame/vbtext.h"

namespace {

using namespace regrecord;

constexpr int16_t kNoVisitsLeft = 5001;
constexpr int16_t kSameDayVisit = 5010;  // a second visit the same day, registered all the same
constexpr const char* kCancelled = "2";
// WriteF2.txt holds one identity number; more than this is not read.
constexpr size_t kInputBytes = 4096;

std::string getSeqN(const Run& run) { return run.settings.workDir + "GetSeqN.txt"; }
bool registered(int16_t code) { return code == 0 || code == kSameDayVisit; }

std::string fitted(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

// The four characters after "/WriteF2", blank-padded.
std::string categoryArgument(const std::string& C) {
  const std::string verb = "/WriteF2";
  const size_t at = C.find(verb);
  const std::string rest = at == std::string::npos ? std::string() : C.substr(at + verb.size());
  return vbLeft(rest + std::string(kCategoryWidth, ' '), kCategoryWidth);
}

// The identity number: the first field of the first line, read as list input.
std::string identityOf(Run& run, const std::string& path) {
  std::string head;
  if (!run.disk.readAt(path, 0, kInputBytes, head)) {
    run.lastStatus = kErrFileAccess;
    return std::string();
  }
  return firstField(head.substr(0, head.find_first_of("\r\n")));
}

[[noreturn]] MAY_END_RUN void refuse(Run& run, const std::string& shown, const std::string& result) {
  closeWaiting(run);
  run.reader.close();
  writeResult(run, getSeqN(run), result);
  showRed(run, shown, 10);
  UnloadMe_End(run);
}

struct Reply {
  int16_t code = 0;
  std::string stamp;  // 28 characters
  std::string samId;
  std::string buffer;  // the registration buffer as GetSeqN9.txt shows it
};

MAY_END_RUN Reply longForm(Run& run, const std::string& category, const std::string& newborn,
               const std::string& id) {
  const std::string makeUp = has(run.C, "New2562") ? "2" : "1";
  Reply r;
  // Blank first: the library writes only what it answers, and a failed call
  // must not pass an earlier reply (a card holder's bytes) for its own.
  std::string buffer(kBufferLength, ' ');
  int16_t length = kLongLength;
  r.code = run.card.hisGetSeqNumber256(category, newborn, makeUp, buffer, length);
  r.buffer = fitted(cp950::normalize(buffer), kBufferLength);
  r.stamp = bcut(r.buffer, 1, kStampHeadWidth) + bcut(r.buffer, kLongSameDayPos, 1);
  r.samId = bcut(r.buffer, kLongSamIdPos, kSamIdWidth);
  // A failed call leaves no signature: nothing of its buffer is filed as one.
  if (registered(r.code)) {
    const std::string path = registrationSignPath(run, r.stamp.substr(0, kTimeWidth), id);
    if (!path.empty()) writeLongBlock(run, path, bcut(r.buffer, kLongSignaturePos, kLongSignatureWidth));
  }
  return r;
}

MAY_END_RUN Reply shortForm(Run& run, const std::string& category, const std::string& newborn,
                const std::string& id) {
  std::string bytes(kShortArraySize, '\0');
  Reply r;
  int16_t length = kShortLength;
  r.code = run.card.hisGetSeqNumber(category, newborn, bytes, length);
  r.stamp = bytes.substr(0, kStampHeadWidth) + " ";
  r.samId = bytes.substr(kShortSamIdAt, kSamIdWidth);
  if (registered(r.code)) {
    const std::string path = registrationSignPath(run, r.stamp.substr(0, kTimeWidth), id);
    if (!path.empty()) writeShortBlock(run, path, bytes.substr(kShortSignatureAt, kShortSignatureWidth));
  }
  r.buffer = fitted(r.stamp, kBufferLength);
  return r;
}

// Checks the card, registers the visit and writes the result files. Returns
// the registration record, or nothing when the card did not register the
// visit (no treatment may then be written under it); a refusal ends the run.
MAY_END_RUN std::optional<std::string> registerVisit(Run& run, const std::string& category,
                                                     const std::string& input) {
  const char kind = category[0];
  if (kind == '0') {
    showMessage(run, b5("取得就醫序號中"));
  } else if (kind == 'A') {
    showMessage(run, b5("不累計就醫序號 掛號中"));
  } else {
    const std::string text = b5("未指定類別: ") + category;
    showMessage(run, text);
    writeResult(run, getSeqN(run), text);
    UnloadMe_End(run);
  }

  const std::string basic = comaprecode(run, identityOf(run, input));
  showMessage(run, b5("取得就醫序號中"));
  const std::string today = rocDate(run.clock.now());
  const std::string valid = bcut(basic, card::kValidPos, card::kValidWidth);
  if (today > valid) refuse(run, b5("有效期限: ") + valid, b5("已過有效期限"));
  if (bcut(basic, card::kCancelPos, 1) == kCancelled)
    refuse(run, b5("IC卡 已註銷"), b5("IC卡 已註銷"));
  if (vbVal(bcut(basic, card::kRemainingPos, card::kRemainingWidth)) == 0)
    refuse(run, b5("IC卡 可用次數為: 0"), b5("可用次數為: 0"));

  const std::string holder = bcut(basic, card::kCardNoPos, card::kCardNoWidth) +
                             bcut(basic, card::kIdPos, card::kIdWidth) +
                             bcut(basic, card::kBirthPos, card::kBirthWidth) +
                             bcut(basic, card::kNewbornPos, card::kNewbornWidth) +
                             bcut(basic, card::kTwinPos, 1);
  const std::string head = bcut(holder + category, 1, kHeadWidth);
  const std::string visitCategory = vbLeft(category, kVisitCategoryWidth) + '\0';
  const std::string newborn = std::string(" ") + '\0';
  const std::string id = bcut(basic, card::kIdPos, card::kIdWidth);
  const Reply r = has(run.C, "New256") ? longForm(run, visitCategory, newborn, id)
                                     : shortForm(run, visitCategory, newborn, id);

  closeWaiting(run);
  const bool sameDay =
      vbMid(category, kCategoryDayPos, kDayWidth) == vbMid(r.stamp, kTimeDayPos, kDayWidth);
  const std::string record = head + (sameDay ? kSameDay : kOtherDay) + bcut(r.stamp, 1, kStampHeadWidth) +
                             kConstant + bcut(r.samId, 1, kSamIdWidth) + bcut(r.stamp, kStampWidth, kFlagWidth);
  static_assert(kTimePos == kSameDayPos + kSameDayWidth && kConstantPos == kTimePos + kStampHeadWidth);

  // The stamp files are written whatever the code: they show what the library left.
  writeResult(run, run.settings.workDir + "GetSeqN8.txt", r.stamp);
  writeResult(run, run.settings.workDir + "GetSeqN9.txt", r.buffer);
  run.lastStatus = r.code;
  const std::string failed = b5("取得就醫序號  失敗");
  // WriteF2.txt goes only once GetSeqN.txt is safely in place: without it
  // the clinic program has neither the sequence number nor a way to retry.
  if (registered(r.code)) {
    if (writeResult(run, getSeqN(run), record)) killFile(run.files(), input);
    return record;
  }
  if (r.code == kNoVisitsLeft) {
    msg4apierr(run, r.code, failed);
    if (writeResult(run, getSeqN(run), b5("就醫可用次數不足"))) killFile(run.files(), input);
  } else {
    // WriteF2.txt stays for the clinic program's next try.
    writeResult(run, getSeqN(run), std::to_string(r.code));
    run.reader.close();
    msg4apierr(run, r.code, failed);
  }
  return std::nullopt;
}

}  // namespace

void cmd_WriteF2(Run& run) {
  const std::string category = categoryArgument(run.C);
  const std::string input = run.settings.workDir + "WriteF2.txt";
  std::optional<std::string> record;
  if (!exists(run.files(), input)) {
    run.reader.close();
    showRed(run, b5("無資料"), 6);
  } else {
    record = registerVisit(run, category, input);
  }
  // Treatments are written only under a visit the card registered.
  if (record && has(run.C, "/hisWriteF2Treatment")) hisWriteTreatment(run, *record);
  UnloadMe_End(run);
}
