#include "visit/prevent.h"

#include <array>
#include <vector>

#include "card/cardlib.h"
#include "card/read.h"
#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/dates.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "frame/run.h"
#include "frame/vbtext.h"

namespace {

using namespace card;

// Argument widths: the value and its NUL.
constexpr size_t kIdArg = 11, kBirthArg = 8, kCategoryArg = 3, kExamArg = 3;
constexpr size_t kDrugsArg = 121, kDrugCodeArg = 11;
// icTreat.txt line 3: the category and the examination code (preventive care),
// or a 10-character code and then the drug names (allergies).
constexpr long kCategoryChars = 2, kExamChars = 2, kDrugCodeChars = 10;

constexpr int kRedSeconds = 6;

// Lines 1-3 of icTreat.txt; lines the file does not have are empty.
std::array<std::string, 3> treatLines(Run& run) {
  std::vector<std::string> lines;
  readLines(run.files(), run.settings.workDir + "icTreat.txt", lines);
  std::array<std::string, 3> out;
  for (size_t i = 0; i < out.size() && i < lines.size(); ++i) out[i] = lines[i];
  return out;
}

bool haveInput(Run& run) { return exists(run.files(), run.settings.workDir + "icTreat.txt"); }

}  // namespace

std::string wholeCharField(const std::string& value, size_t width) {
  size_t keep = 0;
  while (keep < value.size()) {
    const bool pair = cp950::isLead(static_cast<unsigned char>(value[keep])) &&
                      keep + 1 < value.size() &&
                      cp950::isTrail(static_cast<unsigned char>(value[keep + 1]));
    const size_t n = pair ? 2 : 1;
    if (keep + n > width) break;
    keep += n;
  }
  return fixedField(value.substr(0, keep), width);
}

std::string preventCategoryText(const std::string& category) {
  const char* name = category == "01" ? "兒童健檢"
                   : category == "02" ? "成人健檢"
                   : category == "04" ? "流感疫苗"
                   : category == "05" ? "兒童牙齒"
                                      : "";
  return b5(name) + b5(" 預防保健資料寫入作業");
}

void cmd_hisWriteHealthInsurance(Run& run) {
  if (!haveInput(run)) {
    run.reader.close();
    closeWaiting(run);
    showRed(run, b5("預防保健 無資料"), kRedSeconds);
    UnloadMe_End(run);
  }
  const std::array<std::string, 3> line = treatLines(run);
  comaprecode(run, line[0]);
  showMessage(run, b5("預防保健資料寫入作業"));
  const std::string category = vbMid(line[2], 1, kCategoryChars);
  showMessage(run, preventCategoryText(category));

  std::string id = wholeCharField(line[0], kIdArg);
  std::string birth = wholeCharField(line[1], kBirthArg);
  std::string item = wholeCharField(category, kCategoryArg);
  std::string exam = wholeCharField(vbMid(line[2], kCategoryChars + 1, kExamChars), kExamArg);
  run.lastStatus = run.card.hisWriteHealthInsurance(id, birth, item, exam);
  msg4apierr(run, static_cast<int16_t>(run.lastStatus), b5("預防保健資料寫入作業"));
  UnloadMe_End(run);
}

void cmd_hisWriteAllergicMedicines(Run& run) {
  if (!haveInput(run)) {
    run.reader.close();
    closeWaiting(run);
    showRed(run, b5("過敏藥物寫入無資料"), kRedSeconds);
    UnloadMe_End(run);
  }
  const std::array<std::string, 3> line = treatLines(run);
  std::string id = wholeCharField(line[0], kIdArg);
  std::string birth = wholeCharField(line[1], kBirthArg);
  std::string code = wholeCharField(vbMid(line[2], 1, kDrugCodeChars), kDrugCodeArg);
  const std::string names = vbMid(line[2], kDrugCodeChars + 1);
  if (vbTrim(names).empty()) {
    closeWaiting(run);
    run.reader.close();
    showRed(run, b5("未輸入藥品名稱"), kRedSeconds);
    UnloadMe_End(run);
  }
  std::string drugs = wholeCharField(names, kDrugsArg);

  comaprecode(run, line[0]);
  showMessage(run, b5("過敏藥物寫入作業"));
  run.lastStatus = run.card.hisWriteAllergicMedicines(id, birth, drugs, code);
  msg4apierr(run, static_cast<int16_t>(run.lastStatus), b5("過敏藥物寫入作業"));
  UnloadMe_End(run);
}

void RegisterPrevent(Run& run) {
  const CardReply reply = readCard(run, &CardLib::hisGetRegisterPrevent, kPreventLength, "預防保健掛號作業");

  listClear(run);
  for (const char* h : kPreventHeading) listAdd(run, b5(h));
  const std::string indent(8, ' ');
  for (int k = 0; k < kPreventSlots; ++k) {
    const std::string entry = bcut(reply.bytes, preventByte(k, 1), kPreventSize);
    listAdd(run, b5("保健服務項目註記:  ") + bcut(entry, kPreventItem, kPreventItemWidth));
    listAdd(run, indent + b5("檢查日期: ") + monthday(bcut(entry, kPreventDate, kPreventDateWidth)));
    listAdd(run, indent + b5("醫療院所代碼: ") +
                     GetOffsCode(run, bcut(entry, kPreventInstitution, kPreventInstitutionWidth), 0));
    listAdd(run, indent + b5("檢查項目代碼: ") + bcut(entry, kPreventCode, kPreventCodeWidth));
  }
  showWindow(run, "vexa5");
}
