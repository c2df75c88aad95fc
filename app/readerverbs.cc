#include "app/readerverbs.h"

#include "app/verbs.h"

#include "card/cardlib.h"
#include "card/read.h"
#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/readf4.h"
#include "card/records.h"
#include "frame/run.h"
#include "frame/vbtext.h"

namespace {

std::string readF4(const Run& run) { return run.settings.workDir + "ReadF4.txt"; }
std::string port(int16_t p) { return std::to_string(p); }

// A reply blank-filled to the 500 characters of the registration buffer.
std::string wholeBuffer(std::string reply) {
  reply.resize(kRegBufLength, ' ');
  return reply;
}

// The PIN verbs: the library asks for the PIN on the reader's keypad itself.
[[noreturn]] MAY_END_RUN void pinVerb(Run& run, int16_t result, const char* label) {
  run.lastStatus = result;
  msg4apierr(run, result, b5(label));
  UnloadMe_End(run);
}

}  // namespace

// The executable named "VEXA5xxxxxxx" only refreshes the card on COM3.
void cmd_UpdateOnly(Run& run) {
  if (!run.sys.setCurrentFolder("c:\\c\\ccl")) run.lastStatus = kErrPathNotFound;
  run.reader.close();
  run.lastStatus = run.reader.open(3);
  showMessage(run, b5("健保IC卡卡片內容更新中"));
  run.lastStatus = run.card.csUpdateHCContents();
  doEvents(run);
  if (run.lastStatus != 0) {
    int16_t code = static_cast<int16_t>(run.lastStatus);
    run.reader.close();
    showRed(run, b5("更新失敗 ") + std::to_string(code) + "/" + errorMessage(run, code), 3);
  } else {
    run.reader.close();
    showWaiting(run, b5("  內容更新 完成"));
  }
  endProcess(run);
}

void cmd_hisGetCardStatus(Run& run) {
  showWaiting(run, b5("目前讀卡機狀況  ") + port(run.reader.openPort));
  std::string t = b5("目前讀卡機狀況  COM: ") + port(run.reader.openPort) + "\r" + hisGetCardStatusSUB(run);
  run.reader.close();
  if (run.reader.openPort > 2) {
    showWaiting(run, b5("另一讀卡機狀況 COM: 1 "));
    t += "\r\r\r" + b5("COM: 1  讀卡機狀況  ") + "\r";
    run.lastStatus = run.reader.open(1);
    if (run.lastStatus == 0) {
      t += hisGetCardStatusSUB(run);
      run.reader.close();
    } else {
      t += b5(" 未開啟  COM: 1  ");
    }
  }
  run.screen.msgBox(b5("目前讀卡機狀況"), t, Buttons::Ok, Icon::Question, Answer::Ok);
  UnloadMe_End(run);
}

// Authenticates the SAM with the insurer; a SAM already authenticated is left
// alone unless "/Yes" asks again.
void cmd_csVerifySAMDC(Run& run) {
  showWaiting(run, b5("與健保局連線認證中"));
  const int16_t status = run.card.hisGetCardStatus(CardType::Sam);
  run.lastStatus = status;
  if (status == 0 || has(run.C, "/Yes")) {
    msg4apierr(run, run.card.csVerifySAMDC(), b5("連線 成功"));
  } else if (status == 2) {
    UnloadMe_End(run);
  } else {
    msg4apierr(run, run.card.csVerifySAMDC(), b5("非正常狀況"));
  }
  if (run.lastError.empty()) {
    showWaiting(run, b5("認證 完成"));
    run.reader.close();
    timedelay(run, 2, "");
  }
  UnloadMe_End(run);
}

void cmd_csGetDateTime(Run& run) {
  showWaiting(run, b5("讀取讀卡機時間"));
  const CardReply clock = readCard(run, &CardLib::csGetDateTime, kDateTimeLength);
  doEvents(run);
  // The clinic program reads the reply as the whole registration buffer.
  writeResult(run, readF4(run), run.lastStatus != 0 ? b5("讀取失敗") : wholeBuffer(clock.bytes));
  UnloadMe_End(run);
}

// The last visit and the holder in one line.
void cmd_LastTreatTime(Run& run) {
  using namespace card;
  showWaiting(run, b5("讀取健保IC卡卡片內容"));
  const int16_t status = run.card.hisGetCardStatus(CardType::Health);
  run.lastStatus = status;
  doEvents(run);
  if (status != 2) {
    writeResult(run, readF4(run), b5("無健保卡 或 健保卡尚未認證"));
    UnloadMe_End(run);
  }
  if (exists(run.files(), readF4(run))) killFile(run.files(), readF4(run));
  const CardReply visits = readCard(run, &CardLib::hisGetTreatmentNoNeedHPC, kTreatmentLength);
  std::string line;
  if (!visits.ok()) {
    line = "Error 1: " + std::to_string(visits.code);
  } else {
    line = bcut(visits.bytes, visitByte(0, kVisitTime), kVisitTimeWidth) + " [" +
           bcut(visits.bytes, visitByte(0, kVisitSeq), kVisitSeqWidth) + "] " +
           bcut(visits.bytes, visitByte(0, kVisitInstitution), kVisitInstitutionWidth);
  }
  const CardReply basic = readCard(run, &CardLib::hisGetRegisterBasic, kBasicLength);
  if (!basic.ok()) {
    line += "Error 2: " + std::to_string(basic.code);
  } else {
    line += " " + bcut(basic.bytes, kCardNoPos, kCardNoWidth) +
            bcut(basic.bytes, kIdPos, kIdWidth + kBirthWidth) +
            bcut(basic.bytes, kNewbornPos, kNewbornWidth + 1);
  }
  writeResult(run, readF4(run), line);
  UnloadMe_End(run);
}

void cmd_hisGetLastSeqNum(Run& run) {
  if (exists(run.files(), readF4(run))) killFile(run.files(), readF4(run));
  const CardReply seq = readCard(run, &CardLib::hisGetLastSeqNum, card::kLastSeqLength, "最近一次就醫序號");
  // Written whatever the result: the clinic program reads the seven characters.
  writeResult(run, readF4(run),
              vbLeft(seq.bytes + std::string(card::kLastSeqLength, ' '), card::kLastSeqLength));
  UnloadMe_End(run);
}

// Cancels the registration of the visit stamped by the 13 characters after the verb.
void cmd_csUnGet(Run& run) {
  const size_t at = run.C.find("/csUnGet") + 8;
  const std::string stamp = vbLeft(run.C.substr(at) + std::string(13, ' '), 13) + '\0';
  showMessage(run, b5("退掛作業"));
  run.lastStatus = run.card.csUnGetSeqNumber(stamp);
  msg4apierr(run, static_cast<int16_t>(run.lastStatus), b5("退掛: ") + stamp);
  timedelay(run, 2, "");
  UnloadMe_End(run);
}

void cmd_VerifyHPCPIN(Run& run) {
  const int16_t status = run.card.hisGetCardStatus(CardType::Professional);
  run.lastStatus = status;
  if (status == 0 || status == 9) {
    run.reader.close();
    showRed(run, b5("醫師卡不存在"), 6);
    UnloadMe_End(run);
  }
  if (status == 3) UnloadMe_End(run);
  int16_t hpc = 0;
  run.lastStatus = run.card.hpcGetHPCStatus(1, hpc);
  if (hpc == 1) {
    const int16_t r = run.card.hpcVerifyHPCPIN();
    run.lastStatus = r;
    run.reader.close();
    if (r != 0) showRed(run, b5("醫師卡認證 失敗") + vbStr(r), 6);
  } else {
    run.reader.close();
    showRed(run, b5("醫師卡不存在"), 6);
  }
  UnloadMe_End(run);
}

// Refreshes the card online; a network failure leaves autolink.tmp.
void cmd_UpdateHC(Run& run) {
  const int16_t status = run.card.hisGetCardStatus(CardType::Health);
  run.lastStatus = status;
  if (status == 0 || status == 9) {
    run.reader.close();
    showRed(run, b5("健保IC卡不存在"), 6);
    UnloadMe_End(run);
  }
  if (status == 1) {
    showRed(run, b5("健保IC卡未認證"), 6);
    UnloadMe_End(run);
  }
  showMessage(run, b5("健保IC卡卡片內容更新中"));
  const int16_t r = run.card.csUpdateHCContents();
  run.lastStatus = r;
  doEvents(run);
  run.reader.close();
  const std::string ports = port(run.reader.openPort) + port(run.reader.comPort);
  if (r == kErrNoNetwork) {
    writeResult(run, run.settings.workDir + "autolink.tmp", "0" + ports);
    showRed(run, b5("網路不通") + ports, 15);
  } else if (r != 0) {
    showRed(run, std::to_string(r) + b5(" 更新失敗 ") + getErrorCode(run, r), 20);
  } else {
    showWaiting(run, b5("  內容更新 完成"));
  }
  UnloadMe_End(run);
}

// Writes the telephone number of WriteF2.txt's second line to the card of the
// holder its first field names; "/ReadF4" on the same command line reads after.
void cmd_hisWriteEmergentTel(Run& run) {
  std::string id, tel;
  const std::string input = run.settings.workDir + "WriteF2.txt";
  std::vector<std::string> lines;
  if (exists(run.files(), input) && readLines(run.files(), input, lines) && !lines.empty()) {
    id = firstField(lines[0]);
    // List input stops after the first field: what follows its comma is the
    // next read, else the next line.
    size_t comma = lines[0].find(',', lines[0].find(id) + id.size());
    if (comma != std::string::npos) tel = lines[0].substr(comma + 1);
    else if (lines.size() > 1) tel = lines[1];
  }
  const std::string basic = comaprecode(run, id);
  showMessage(run, b5("寫入電話 資料"));
  std::string cardId = bcut(basic, card::kIdPos, card::kIdWidth);
  std::string birth = bcut(basic, card::kBirthPos, card::kBirthWidth);
  std::string phone = bcut(tel, 1, card::kEmergentTelLength);
  run.lastStatus = run.card.hisWriteEmergentTel(cardId, birth, phone);
  msg4apierr(run, static_cast<int16_t>(run.lastStatus), b5("Teleph寫入"));
  if (readFollows(run)) cmd_ReadF4(run);
  UnloadMe_End(run);
}

void cmd_csVerifyHCPIN(Run& run) { pinVerb(run, run.card.csVerifyHCPIN(), "IC卡認證失敗"); }
void cmd_csInputHCPIN(Run& run) { pinVerb(run, run.card.csInputHCPIN(), "IC卡新PIN值輸入"); }
void cmd_hpcInputHPCPIN(Run& run) { pinVerb(run, run.card.hpcInputHPCPIN(), "醫師卡新PIN值輸入"); }
void cmd_hpcUnlockHPC(Run& run) { pinVerb(run, run.card.hpcUnlockHPC(), "解開醫師卡"); }
