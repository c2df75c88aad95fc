#include "declare/messages.h"

#include "frame/run.h"
#include "platform/cp950.h"

namespace {

struct CodeText {
  long code;
  const char* text;  // UTF-8, shown in CP950
};

constexpr CodeText kCodes[] = {
    {5000, "網路環境載入異常"},
    {5001, "檔案大小異常"},
    {5002, "找不到Reader.dll"},
    {5003, "檔名錯誤"},
    {5004, "作業申請異常"},
    {5005, "產生簽章錯誤"},
    {5006, "記憶體不足"},
    {5007, "下載路徑不存在"},
    {5008, "取得醫療院所代碼錯誤"},
    {5009, "檔名有誤"},
    {5010, "認證錯誤"},
    {5020, "連線總數量已超過，請稍後再試"},
    {5021, "網路作業錯誤，訊息不完整"},
    {5022, "等待醫療系統處理中"},
    {5023, "等待EIIAPI 處理中或交易不存在"},
    {5024, "無法建立檔案"},
    {5025, "寫入磁碟異常"},
    {5026, "解密錯誤"},
    {5027, "網路作業錯誤但已完成"},
    {5028, "連線錯誤"},
    {9999, "不明異常"},
};

}  // namespace

std::string msgErr(long code) {
  if (code == 0) return std::string();
  for (const CodeText& c : kCodes)
    if (c.code == code) return b5(c.text);
  return std::to_string(code);
}

void err2msg(Run& run, const std::string& text, const std::string& title,
             const std::string& portalUrl) {
  if (text.find("MoveFileEx") != std::string::npos) {
    run.screen.msgBox(title, b5("請下載新版 PEAT1511B01.dll  ") + "\r" + text, Buttons::Ok,
                      Icon::None, Answer::Ok);
    run.screen.shellOpen(portalUrl, "");
    return;
  }
  run.screen.msgBox(title, title + b5(" 錯誤:  ") + "\r" + text, Buttons::Ok, Icon::None,
                    Answer::Ok);
}
