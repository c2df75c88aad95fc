#include "card/readf4.h"

#include "store/store.h"
#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "card/dates.h"
#include "card/errors.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "card/records.h"
#include "card/cardlib.h"
#include "card/read.h"
#include "frame/run.h"
#include "frame/vbtext.h"

namespace {

// The texts of one reader pass; the second reader's differ a little.
struct PassTexts {
  std::string resultFile;
  std::string countMessage, countLog, validityMessage;
};

std::string portText(int16_t p) { return std::to_string(p); }

// autolink.tmp asks the clinic program to bring the network link up: "0",
// the first port and the second port.
MAY_END_RUN void writeAutolink(Run& run) {
  writeResult(run, run.settings.workDir + "autolink.tmp",
                "0" + portText(run.reader.openPort) + portText(run.reader.comPort));
}

// One pass over one reader. Returns normally when the next pass (or the end)
// follows; ends the run itself where the card read says so.
MAY_END_RUN void readerPass(Run& run, bool second) {
  const PassTexts t = second
      ? PassTexts{"ReadF42.txt", b5("更新 IC卡 可用次數"), b5("更新IC卡可用次數"), b5("更新 有效期限 ")}
      : PassTexts{"ReadF4.txt", b5("更新  IC卡 可用次數"), b5("更新  IC卡 可用次數"), b5("更新  有效期限 ")};
  const std::string result = run.settings.workDir + t.resultFile;
  const int16_t port = second ? run.reader.comPort : run.reader.openPort;
  const bool anotherPass = !second && run.reader.comPort > 0;

  if (exists(run.files(), result)) killFile(run.files(), result);

  int16_t status = run.card.hisGetCardStatus(CardType::Health);
  run.lastStatus = status;
  if (status == 0) {
    writeResult(run, result, b5("無卡片"));
    return;
  }
  if (status == 1) {
    run.reader.close();
    const std::string text = second ? b5("IC卡片   COM:") + portText(run.reader.comPort) + b5("尚未認證")
                                    : b5("IC卡片  尚未認證");
    run.screen.msgBox(b5("無法讀取"), text, Buttons::Ok, Icon::Critical, Answer::Ok);
    if (anotherPass) return;
    writeResult(run, result, b5("尚未認證"));
    UnloadMe_End(run);
  }

  showWaiting(run, b5("讀取資料 COM:") + portText(port));
  const CardReply basic = readCard(run, &CardLib::hisGetRegisterBasic, card::kBasicLength);
  doEvents(run);
  if (run.lastStatus != 0 || vbTrim(bcut(basic.bytes, card::kIdPos, 1)) < "A") {
    if (anotherPass) return;
    writeResult(run, result, std::to_string(run.lastStatus));
    UnloadMe_End(run);
  }

  const std::string record = bcut(basic.bytes, 1, card::kBasicLength);
  writeResult(run, result, record + std::string(card::kReadF4Blanks, ' '));

  const std::string id = bcut(record, card::kIdPos, card::kIdWidth);
  if (vbLen(vbTrim(id)) != card::kIdWidth) return;
  showWaiting(run, second ? b5("請稍候: ") + portText(run.reader.openPort) : b5("請稍候 ") + portText(port));
  std::string log = Data6Times(run);

  if (run.settings.beginLink == 1) {
    const std::string remaining = bcut(record, card::kRemainingPos, card::kRemainingWidth);
    const std::string validUntil = bcut(record, card::kValidPos, card::kValidWidth);
    std::string failedUpdate;
    int16_t code = 0;
    if (vbVal(remaining) == 0) {
      showRed(run, t.countMessage, 6);
      log += "\r\n" + remaining + t.countLog;
      failedUpdate = b5("更新  IC卡 可用次數");
      run.lastStatus = code = run.card.csUpdateHCContents();
    } else if (rocDate(run.clock.now()) > validUntil) {
      showRed(run, t.validityMessage, 6);
      log += "\r\n" + validUntil + b5("更新有效期限");
      failedUpdate = b5("更新  有效期限 ");
      run.lastStatus = code = run.card.csUpdateHCContents();
    }
    if (code == kErrNoNetwork) {
      run.reader.close();
      writeAutolink(run);
      showRed(run, b5("網路不通") + portText(run.reader.openPort) + portText(run.reader.comPort), 15);
    } else if (code != 0) {
      writeResult(run, "ErrUpdat",
                    bcut(record, card::kNamePos, card::kErrUpdatNameWidth) + "\r" + id + "\r" + failedUpdate);
      run.reader.close();
      showRed(run, b5("更新失敗 "), 20);
    }
  }
  archiveSaved(run, save1500file(run.disk, run.settings.workDir, id, record + "\r\n" + log));
}

}  // namespace

void cmd_ReadF4(Run& run) {
  readerPass(run, false);
  if (run.reader.comPort > 0) {
    run.reader.close();
    run.lastStatus = run.reader.open(run.reader.comPort);
    readerPass(run, true);
  }
  UnloadMe_End(run);
}
