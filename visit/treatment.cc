#include "visit/treatment.h"

#include <vector>

#include "store/store.h"
#include "card/cardlib.h"
#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "visit/regrecord.h"
#include "frame/run.h"
#include "visit/samsign.h"
#include "frame/vbtext.h"

namespace {

// icTreat.txt, by line number; the prescription lines follow the count.
enum Line : size_t { kTime = 1, kId, kBirth, kCodes, kLine5, kFees, kCount };

// The argument fields: the value, a NUL, blanks, cut to the width.
constexpr size_t kTimeField = 14, kIdField = 11, kBirthField = 8, kCodesField = 32,
                 kLine5Field = 11, kFeesField = 38, kPrescriptionField = 61, kSignatureField = 40;
constexpr int16_t kSignatureLength = 40;
constexpr size_t kTimeChars = regrecord::kTimeWidth;
// A prescription record of the signature file: the fields, CR LF, the
// signature, blanks, CR LF.
constexpr size_t kRecordBlanks = 70;

// The direct verb's cut of the basic data holds the identity and birth date
// where the registration record has them.
static_assert(card::kIdPos - regrecord::kDirectPos + 1 == regrecord::kIdPos);
static_assert(card::kBirthPos - regrecord::kDirectPos + 1 == regrecord::kBirthPos);

const std::string kCrLf = "\r\n";
const std::string kNoFees(kFeesField, '0');
const std::string kLogEnd(23, '-');

// Blank after trimming; the NULs a failed registration leaves count as blank too.

// Reports a stage's code; a failure closes the reader and the stages go on.
MAY_END_RUN void report(Run& run, int16_t code, const char* title) {
  run.lastStatus = code;
  msg4apierr(run, code, b5(title));
}

// Whose prescriptions a signature file holds: the identity field of its
// first prescription record, after the 300-byte registration block.
enum class Signed { Nobody, This, Other };
Signed signedFor(Run& run, const std::string& path, const std::string& idF) {
  std::string held;
  if (!run.disk.readAt(path, samsign::kBlockSize + static_cast<int64_t>(kTimeField), kIdField,
                       held) ||
      held.size() < kIdField)
    return Signed::Nobody;
  return held == idF ? Signed::This : Signed::Other;
}

struct Treatment {
  std::vector<std::string> lines;
  std::string line(size_t n) const { return n >= 1 && n <= lines.size() ? lines[n - 1] : std::string(); }
};

}  // namespace

std::string getTreatTime(Run& run, const std::string& id) {
  const std::string file = run.settings.workDir + "GetSeqN.txt";
  const std::string holder = readBlock(run.files(), file, regrecord::kIdPos, regrecord::kIdWidth);
  if (blank(id) || holder != bcut(id, 1, regrecord::kIdWidth))
    return std::string(regrecord::kTimeWidth, ' ');
  return readBlock(run.files(), file, regrecord::kTimePos, regrecord::kTimeWidth);
}

void hisWriteTreatment(Run& run, const std::string& record) {
  using namespace regrecord;
  Treatment in;
  // Without the file nothing is written to the card.
  if (!readLines(run.files(), run.settings.workDir + "icTreat.txt", in.lines)) return;

  std::string id = in.line(kId), birth = in.line(kBirth);
  if (blank(id)) id = bcut(record, kIdPos, kIdWidth);
  if (blank(birth)) birth = bcut(record, kBirthPos, kBirthWidth);
  std::string time = in.line(kTime);
  if (blank(time)) time = bcut(record, kTimePos, kTimeWidth);
  if (blank(time)) time = getTreatTime(run, id);
  std::string log = time + kCrLf + in.line(kId) + kCrLf + in.line(kBirth) + kCrLf;

  int16_t count = 0;
  vbInt16(vbVal(in.line(kCount)), count);
  // Only the lines the file holds are prescriptions: a count beyond them would
  // write empty prescriptions to the card.
  const size_t present = in.lines.size() > kCount ? in.lines.size() - kCount : 0;
  if (count > 0 && static_cast<size_t>(count) > present) count = static_cast<int16_t>(present);
  // And never more than the card holds: a file of thousands of lines would
  // keep the run at the reader for minutes.
  if (count > card::kOrderSlots) count = card::kOrderSlots;
  std::vector<std::string> prescriptions;
  for (int16_t i = 0; i < count; ++i) {
    std::string p = in.line(kCount + 1 + static_cast<size_t>(i));
    if (blank(vbLeft(p, kTimeChars)))
      p = vbLeft(time + std::string(kTimeChars, ' '), kTimeChars) + vbMid(p, kTimeChars + 1);
    prescriptions.push_back(p);
  }

  showMessage(run, b5("就醫診療資料寫入作業中"));
  if (blank(time)) run.screen.msgBox(b5("無就醫時間"), record, Buttons::Ok, Icon::Critical, Answer::Ok);

  std::string timeF = fixedField(time, kTimeField), idF = fixedField(id, kIdField),
              birthF = fixedField(birth, kBirthField), line5F = fixedField(in.line(kLine5), kLine5Field),
              codesF = fixedField(in.line(kCodes), kCodesField);
  showWaiting(run, b5("診療資料寫入"));
  closeWaiting(run);

  const std::string codes = in.line(kCodes);
  if (vbLeft(codes, 1) > " ") {
    showMessage(run, b5("診療資料寫入"));
    report(run, run.card.hisWriteTreatmentCode(timeF, idF, birthF, codesF, line5F), "診療資料寫入");
    showMessage(run, b5("診療資料寫入 完成"));
    log += codes + kCrLf;
  }

  const std::string fees = in.line(kFees);
  std::string feesF = fixedField(fees, kFeesField);
  if (!fees.empty() && fees != kNoFees) {
    showMessage(run, b5("診療費用寫入"));
    report(run, run.card.hisWriteTreatmentFee(timeF, idF, birthF, feesF), "診療費用寫入");
    showMessage(run, b5("診療費用寫入 完成"));
    log += fees + kCrLf;
  }

  log += std::to_string(count) + kCrLf;
  if (count > 0) {
    int16_t signatureLength = kSignatureLength;
    // A visit time shared with another holder's visit never writes into that
    // holder's file: this holder's signatures go to its own file beside it
    // (where its registration went when the visit's file was taken).
    std::string path = samsignPath(run, timeF.substr(0, kTimeChars));
    const std::string own = holderSignPath(path, id);
    if (!own.empty() && run.disk.exists(own)) path = own;
    else if (!path.empty() && signedFor(run, path, idF) == Signed::Other) path = own;
    for (size_t i = 0; i < prescriptions.size(); ++i) {
      std::string prescriptionF = fixedField(prescriptions[i], kPrescriptionField);
      // Fresh for every line: a failed write must not file the previous line's signature.
      std::string signatureF(kSignatureField, '\0');
      showMessage(run, b5("診療處方寫入"));
      log += prescriptions[i];
      const int16_t code = run.card.hisWritePrescriptionSign(timeF, idF, birthF, prescriptionF,
                                                             signatureF, signatureLength);
      report(run, code, "診療處方簽章");
      log += "--" + signatureF + kCrLf;
      // A write the card refused has no signature to file.
      if (code != 0) continue;
      if (path.empty()) {
        run.lastStatus = kErrFileAccess;
        showRed(run, b5("處方簽章 未能存檔: ") + samsignPath(run, timeF.substr(0, kTimeChars)), 3);
        continue;
      }
      filePrescription(run, path, static_cast<int>(i),
                       timeF + idF + prescriptionF + kCrLf + signatureF +
                           std::string(kRecordBlanks, ' ') + kCrLf);
    }
    showMessage(run, b5("診療處方寫入 完成"));
  }

  log += kLogEnd + kCrLf;
  run.reader.close();
  showMessage(run, b5("診療資料寫入 完成"));
  // Without a registration record the log still belongs to the holder written to.
  std::string key = bcut(record, kIdPos, kIdWidth);
  if (blank(key)) key = bcut(id, 1, kIdWidth);
  // The card holds what was written; a log the archive could not take is told.
  const int32_t saved = save3000file(run.disk, run.settings.workDir, key, log);
  if (saved == kErrStoreBusy) archiveSaved(run, saved);
  else if (saved != 0) {
    run.lastStatus = saved;
    showRed(run, b5("診療紀錄 未能存檔: ") + run.settings.workDir + kTreatments.file, 3);
  }
}

void cmd_hisWriteTreatmentCode(Run& run) {
  Treatment in;
  readLines(run.files(), run.settings.workDir + "icTreat.txt", in.lines);
  const std::string basic = comaprecode(run, in.line(kId));
  hisWriteTreatment(run, bcut(basic, regrecord::kDirectPos, regrecord::kDirectWidth));
  UnloadMe_End(run);
}
