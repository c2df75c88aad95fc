#include "card/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/cp950.h"
#include "tests/support/fakecard.h"
#include "tests/support/fakes.h"

namespace {

struct ErrorsTest : ::testing::Test {
  FakeRun f;
  void SetUp() override { f.card = fakecard::make(); }
  int reds() {
    int n = 0;
    for (auto& e : f.screen.events) n += e.rfind("red|", 0) == 0;
    return n;
  }
  void useFixture() {
    std::ifstream in(std::string(IC_SOURCE_DIR) + "/tests/fixtures/ErrorCode.txt", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    ASSERT_FALSE(ss.str().empty());
    f.disk.files["w:\\ErrorCode.txt"] = ss.str();
  }
};

}  // namespace

TEST_F(ErrorsTest, CodeZeroClearsAndDoesNothingElse) {
  f.run.lastError = "old";
  msg4apierr(f.run, 0, b5("讀取基本資料"));
  EXPECT_EQ(f.run.lastError, "");
  EXPECT_EQ(fakecard::closes, 0);
  EXPECT_FALSE(f.run.reader.closed);
}

TEST_F(ErrorsTest, EmptyLabelKeepsTheTextOnly) {
  msg4apierr(f.run, 4013, "");
  EXPECT_EQ(f.run.lastError, b5("未置入健保IC卡"));
  EXPECT_EQ(fakecard::closes, 0);
  EXPECT_EQ(reds(), 0);
}

TEST_F(ErrorsTest, LabelClosesTheReaderAndShowsTwentySeconds) {
  msg4apierr(f.run, 5010, b5("取得就醫序號  失敗"));
  EXPECT_TRUE(f.run.reader.closed);
  EXPECT_EQ(fakecard::closes, 1);
  ASSERT_EQ(reds(), 1);
  EXPECT_NE(std::find(f.screen.events.begin(), f.screen.events.end(),
                      "red|" + b5("同一天看診兩科(含)以上") + "|20"),
            f.screen.events.end());
}

TEST_F(ErrorsTest, SecondReaderMeansNoWindowButStillClosed) {
  f.run.reader.comPort = 2;
  msg4apierr(f.run, 4000, "x");
  EXPECT_EQ(fakecard::closes, 1);
  EXPECT_EQ(reds(), 0);
}

TEST_F(ErrorsTest, EmptyTextCodesStillCloseAndShow) {
  msg4apierr(f.run, 900, "x");
  EXPECT_EQ(f.run.lastError, "");
  EXPECT_EQ(fakecard::closes, 1);
  EXPECT_EQ(reds(), 1);
  EXPECT_EQ(errorMessage(f.run, 5141), "");
  EXPECT_EQ(errorMessage(f.run, 5025), errorMessage(f.run, 5020));
}

TEST_F(ErrorsTest, UnknownCodesAskErrorCodeTxt) {
  EXPECT_EQ(errorMessage(f.run, 4050), b5("錯誤代碼: ") + "40504050");
  useFixture();
  EXPECT_EQ(errorMessage(f.run, 4050), b5("錯誤代碼: ") + "4050" + b5(" 安全模組尚未與IDC認證"));
  EXPECT_EQ(getErrorCode(f.run, 4071), b5(" 健保IC卡與IDC認證失敗"));
  EXPECT_EQ(getErrorCode(f.run, 1), "1");
  // The built-in table wins over the file.
  EXPECT_EQ(errorMessage(f.run, 4000), b5("讀卡機tmieout"));
}

TEST_F(ErrorsTest, ErrorCodeTxtLinesOfAnyShape) {
  f.disk.files["w:\\ErrorCode.txt"] = std::string("\r\n1\r\n") + std::string("\x00\xff\xa4", 3) +
                                       "\r\n12  twelve \r\n12  second\r\n-5  minus";
  EXPECT_EQ(getErrorCode(f.run, 12), " twelve");
  EXPECT_EQ(getErrorCode(f.run, -5), " minus");
  EXPECT_EQ(getErrorCode(f.run, 1), " ");
  EXPECT_EQ(getErrorCode(f.run, 7), "7");
}

TEST_F(ErrorsTest, StatusWordsPerCardType) {
  EXPECT_EQ(statusWord(CardType::Professional, 2), b5(" 與安全模組認證成功 (PIN 尚未認證) "));
  EXPECT_EQ(statusWord(CardType::Health, 2), b5(" 與安全模組認證成功 "));
  EXPECT_EQ(statusWord(CardType::Sam, 0), b5("未置入 "));
  EXPECT_EQ(statusWord(CardType::Sam, 3), "3");
  EXPECT_EQ(statusWord(CardType::Health, 9), b5(" 非 健保 IC 卡"));
  EXPECT_EQ(statusWord(CardType::Professional, 7), "7");
}

TEST_F(ErrorsTest, CardStatusTextWithTheReaderClock) {
  fakecard::status[1] = 2;
  fakecard::status[2] = 0;
  fakecard::status[3] = 3;
  EXPECT_EQ(hisGetCardStatusSUB(f.run),
            b5("安全模組卡:  認證成功 \r健保 IC 卡: 未置入 \r醫事人員卡:  PIN 認證成功 \r"
               "115年12月08日 09時30分45秒"));
  fakecard::clockAnswer = 4000;
  EXPECT_EQ(hisGetCardStatusSUB(f.run).find(b5("年")), std::string::npos);
}
