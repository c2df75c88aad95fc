#include "declare/params.h"

#include <gtest/gtest.h>

#include "declare/messages.h"
#include "platform/cp950.h"
#include "tests/support/fakes.h"

TEST(DeclareText, LineEndsBecomeCrLfOnce) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\nb", "a\r\nb\r\n"},          // the last line without its end
      {"a\r\nb\r\n", "a\r\nb\r\n"},    // already CR LF: unchanged, no blank lines
      {"a\rb\r", "a\r\nb\r\n"},
      {"a\n\nb\n", "a\r\n\r\nb\r\n"},  // a blank line stays one
      {"\n", "\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(toCrLf(c.in), c.out) << c.in;
}

TEST(DeclareText, ParameterFilesInTheServicesOrder) {
  EXPECT_EQ(paramFileText(claimParams("2", "11511", "13")),
            "APPL_TYPE=2\r\nFEE_YM=11511\r\nMONTH_MARK=3\r\nHOSP_DATA_TYPE=13\r\n"
            "FILE_DATA_TYPE=2\r\nCH_CODE=B\r\nCOMPRESS_MARK=Z\r\n");
  EXPECT_EQ(paramFileText(healthCheckParams("11511", "30")),
            "APPL_TYPE=1\r\nFEE_YM=11511\r\nMONTH_MARK=3\r\nHOSP_DATA_TYPE=30\r\n"
            "FILE_DATA_TYPE=1\r\nCH_CODE=B\r\nCOMPRESS_MARK=0\r\n");
  EXPECT_EQ(summaryListParams("11511")[1], "SUPPLY_DATE=30");
}

TEST(DeclareText, CaptionsAndConfirmation) {
  EXPECT_EQ(reportCaption("11511", DateTime{2026, 12, 8, 9, 3, 5}),
            b5("  網路申報 資料: 11511   2026/12/08 09:03:05"));
  EXPECT_EQ(reportCaption("     ", std::nullopt), b5("  網路申報 資料:         "));
  // Counts and fees are numbers: leading zeros and blanks go.
  EXPECT_EQ(claimConfirmation("", "0012", "0034567"), b5("\r\r筆數:   12\r費用: 34567"));
  EXPECT_EQ(claimConfirmation("P", "    ", "x"), b5("\tP\r\r筆數:   0\r費用: 0"));
}

TEST(DeclareText, ReceiptLines) {
  const std::string line = receiptLine("115120800000001", DateTime{2026, 12, 8, 9, 30, 45},
                                       "11511", "totfa.zip");
  EXPECT_EQ(line, "115120800000001 2026/12/08 09:30:45 11511 totfa.zip");
  EXPECT_EQ(receiptOf(line), "115120800000001");
  EXPECT_EQ(receiptOf("  7  "), "7");
  EXPECT_EQ(receiptOf(""), "");
}

TEST(DeclareMessages, MsgErrTable) {
  const struct {
    long code;
    const char* text;
  } cases[] = {
      {0, ""},
      {5000, "網路環境載入異常"},
      {5002, "找不到Reader.dll"},
      {5010, "認證錯誤"},
      {5011, "5011"},
      {5015, "5015"},
      {5019, "5019"},
      {5020, "連線總數量已超過，請稍後再試"},
      {5023, "等待EIIAPI 處理中或交易不存在"},
      {5028, "連線錯誤"},
      {5029, "5029"},
      {9999, "不明異常"},
      {-1, "-1"},
  };
  for (const auto& c : cases) EXPECT_EQ(msgErr(c.code), b5(c.text)) << c.code;
}

TEST(DeclareMessages, Err2MsgAdvisesANewerLibraryOnlyForMoveFileEx) {
  FakeRun f;
  err2msg(f.run, b5("錯誤 MoveFileEx 失敗"), b5("申報流程"), "https://portal/idcportal");
  err2msg(f.run, b5("密碼錯誤"), b5("申報流程"), "https://portal/idcportal");
  err2msg(f.run, "movefileex", "T", "https://portal/idcportal");  // the case counts
  EXPECT_EQ(f.screen.events,
            (std::vector<std::string>{
                b5("msgbox|申報流程|請下載新版 PEAT1511B01.dll  \r錯誤 MoveFileEx 失敗"),
                "open|https://portal/idcportal",
                b5("msgbox|申報流程|申報流程 錯誤:  \r密碼錯誤"),
                b5("msgbox|T|T 錯誤:  \rmovefileex"),
            }));
}
