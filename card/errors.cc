#include "card/errors.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/cp950.h"
#include "card/cardlib.h"
#include "card/read.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"

namespace {

struct ErrorText {
  int16_t code;
  const char* text;  // UTF-8 here, CP950 when used
};

// Sorted by code.
constexpr ErrorText kErrors[] = {
    {900, ""},
    {4000, "讀卡機tmieout"},
    {4010, "所準備的buffer 長度不足"},
    {4012, "未置入安全模組卡"},
    {4013, "未置入健保IC卡"},
    {4014, "未置入醫事人員卡"},
    {4021, "卡片權限不足,HC卡尚未與安全模組認證"},
    {4022, "卡片權限不足,HC卡尚未與醫事卡認證"},
    {4029, "卡片權限不足"},
    {4033, "所置入非健保IC卡"},
    {4034, "所置入非醫事人員卡"},
    {4041, "醫事人員卡尚未與安全模組認證"},
    {4042, "醫事人員卡PIN尚未認證成功"},
    {4045, "IBufferLenOutpatient 的buffer 長度不足"},
    {4046, "IBufferLenLongTerm 的buffer 長度不足"},
    {4047, "IBufferLenImportant 的buffer 長度不足"},
    {kErrNoNetwork, "網路連線失敗"},
    {5001, "就醫可用次數不足"},
    {5002, "卡片已註銷"},
    {5003, "卡片已過有限期限"},
    {5004, "非新生兒一個月內就診"},
    {5005, "讀卡機的就診日期時間讀取失敗"},
    {5006, "讀取安全模組內的「醫療院所代碼」失敗"},
    {5007, "寫入一組新的「就醫資料登錄」失敗"},
    {5008, "SAM 簽章失敗"},
    {5009, "簽章寫入HC 失敗"},
    {5010, "同一天看診兩科(含)以上"},
    {5011, "此民眾現在住院中"},
    {5012, "此人未在保"},
    {5015, "HC 卡「門診處方箋」讀取失敗"},
    {5016, "HC 卡「長期處方箋」讀取失敗"},
    {5017, "HC 卡「重要醫令」讀取失敗"},
    {5020, "要寫入的資料和讀卡機中的HC 不是屬於同一人"},
    {5021, "HPC 卡讀取失敗(有HPC 卡時但讀取失敗，才傳回此訊息)"},
    {5022, "找不到「就醫資料登錄」中的該組資料"},
    {5023, "診療資料寫入失敗"},
    {5025, "要寫入的資料和讀卡機中的HC 不是屬於同一人"},
    {5028, "HC 卡「就醫費用紀錄」寫入失敗"},
    {5032, "「門診處方箋」中的六組「就診日期時間」，和傳入者都不合"},
    {5033, "HC 卡「門診處方箋」寫入失敗"},
    {5034, "HC 卡「長期處方箋」寫入失敗"},
    {5035, "HC 卡「重要醫令」寫入失敗"},
    {5051, "新生兒註記寫入HC 卡失敗"},
    {5052, "有新生兒出生日期，但無新生兒胞胎註記資料"},
    {5056, "HPC 卡讀取失敗"},
    {5057, "過敏藥物寫入HC 卡失敗"},
    {5061, "同意器官捐贈註記寫入HC 卡失敗"},
    {5066, "讀卡機時間讀取失敗"},
    {5067, "SAM 卡「醫療院所代碼」讀取失敗"},
    {5068, "預防保健資料寫入失敗"},
    {5071, "資料寫入HC 卡失敗"},
    {5078, "產前檢查資料寫入失敗"},
    {5079, "性別不符，HC 記載民眾為男性"},
    {5087, "刪除「孕婦產前檢查(限女性)」(HC 健15)全部11 組的資料失敗"},
    {5088, "性別不符，HC 記載民眾為男性"},
    {5093, "預防接種資料寫入失敗"},
    {5102, "使用者所輸入之健保IC 卡pin 值，與健保IC 卡之pin值不合"},
    {5105, "原PIN碼尚未通過認證"},
    {5107, "使用者輸入兩次新PIN 值，兩次PIN 值不合"},
    {5108, "密碼變更失敗"},
    {5111, "除5110 外之的其他錯誤狀況，且HC 卡之Pin 碼輸入功能仍啟用"},
    {5122, "被鎖住的HPC 卡仍未解開"},
    {5130, "更新HC 卡失敗"},
    {5140, "讀卡機未插入醫事人員卡"},
    {5141, ""},
    {6005, "SAM的External Authentication失敗"},
    {6006, "DC的 External Authentication失敗"},
    {6007, "SAM的 Internal Authentication 失敗"},
    {6008, "寫入讀卡機日期時間失敗"},
    {6010, "SAM ID 讀取失敗"},
    {6012, "讀卡機時間(即簽章之年月日時分秒)讀取失敗"},
    {6013, "SAM encrypt Digest 失敗"},
    {6014, "DC 驗證Signature 失敗"},
    {6015, "檔案傳輸失敗"},
    {6016, "記憶體空間不足"},
    {6017, "要上傳的檔案找不到"},
    {9002, "送至IDC語法不符"},
    {9003, "與IDC作業逾時"},
    {9005, "CS 處理此API 過程中發生錯誤，Status 值不可取用"},
    {9011, "使用者輸入之醫事人員卡pin 值，與醫事人員卡之pin值不合"},
    {9030, "原PIN碼尚未通過驗證, 請先輸入PIN碼"},
    {9062, "此API 作業有誤"},
    {9070, "上傳資料大小不符無法接收檔案"},
    {9082, "此卡已被註銷, 無法進行卡片更新作業"},
};

const ErrorText* findError(int16_t code) {
  auto it = std::lower_bound(std::begin(kErrors), std::end(kErrors), code,
                             [](const ErrorText& e, int16_t c) { return e.code < c; });
  return it != std::end(kErrors) && it->code == code ? &*it : nullptr;
}

}  // namespace

std::string codeText(int16_t code) {
  if (code == 0) return "ok";
  if (code == CardLib::kNoLibrary) return "the card library is not loaded";
  if (code == CardLib::kNoFunction) return "the card library has no such function";
  const ErrorText* e = findError(code);
  return e && *e->text ? b5(e->text) : std::string();
}

std::string errorMessage(Run& run, int16_t code) {
  if (const ErrorText* e = findError(code)) return b5(e->text);
  return b5("錯誤代碼: ") + std::to_string(code) + getErrorCode(run, code);
}

void msg4apierr(Run& run, int16_t code, const std::string& label) {
  doEvents(run);
  if (code == 0) {
    run.lastError.clear();
    return;
  }
  run.lastError = errorMessage(run, code);
  if (label.empty()) return;
  loadWaiting(run);
  run.reader.close();
  if (run.reader.comPort == 0) showRed(run, run.lastError, 20);
}

std::string getErrorCode(Run& run, long code) {
  const std::string key = std::to_string(code);
  const std::string path = run.settings.workDir + "ErrorCode.txt";
  if (!run.disk.exists(path)) return key;
  std::vector<std::string> lines;
  if (!readLines(run.files(), path, lines)) return key;
  for (const std::string& line : lines)
    if (vbTrim(vbLeft(line, 4)) == key) return " " + vbTrim(vbMid(line, 5));
  return key;
}

std::string statusWord(CardType cardType, int status) {
  const char* w = nullptr;
  if (status == 0) {
    w = "未置入 ";
  } else if (cardType == CardType::Sam) {
    if (status == 1) w = " 尚未與健保局 IDC 認證 ";
    if (status == 2) w = " 認證成功 ";
  } else if (cardType == CardType::Health) {
    switch (status) {
      case 1: w = " 尚未與安全模組 認證 "; break;
      case 2: w = " 與安全模組認證成功 "; break;
      case 3: w = " 與醫事人員卡認證成功 "; break;
      case 4: w = " PIN 認證成功 "; break;
      case 5: w = " 與健保局 IDC 認證成功 "; break;
      case 9: w = " 非 健保 IC 卡"; break;
    }
  } else if (cardType == CardType::Professional) {
    switch (status) {
      case 1: w = " 尚未與安全模組 認證 "; break;
      case 2: w = " 與安全模組認證成功 (PIN 尚未認證) "; break;
      case 3: w = " PIN 認證成功 "; break;
      case 9: w = " 非 醫事人員卡"; break;
    }
  }
  return w ? b5(w) : std::to_string(status);
}

std::string hisGetCardStatusSUB(Run& run) {
  std::string t = b5("安全模組卡: ") + statusWord(CardType::Sam, run.lastStatus = run.card.hisGetCardStatus(CardType::Sam));
  t += "\r" + b5("健保 IC 卡: ") + statusWord(CardType::Health, run.lastStatus = run.card.hisGetCardStatus(CardType::Health));
  t += "\r" + b5("醫事人員卡: ") + statusWord(CardType::Professional, run.lastStatus = run.card.hisGetCardStatus(CardType::Professional));
  showWaiting(run, b5("讀取讀卡機時間"));
  if (const CardReply clock = readCard(run, &CardLib::csGetDateTime, kDateTimeLength); clock.ok()) {
    const std::string& b = clock.bytes;
    t += "\r" + vbMid(b, 1, 3) + b5("年") + vbMid(b, 4, 2) + b5("月") + vbMid(b, 6, 2) +
         b5("日 ") + vbMid(b, 8, 2) + b5("時") + vbMid(b, 10, 2) + b5("分") + vbMid(b, 12, 2) +
         b5("秒");
  }
  return t;
}
