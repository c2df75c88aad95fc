#include "card/cardlib.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"

namespace {

int32_t seenLen = 0;
std::string seenArgs[3];
size_t seenBufEnd = 0;

int CSHIS_CALL basic(char* buf, short* len) {
  std::memcpy(&seenLen, len, sizeof seenLen);
  seenBufEnd = std::strlen(buf);
  std::memset(buf, 'R', 78);
  *len = 78;
  return 0x12345;  // only the low 16 bits count
}

int CSHIS_CALL tel(char* id, char* birth, char* t) {
  seenArgs[0] = std::string(id, 12);
  seenArgs[1] = birth;
  seenArgs[2] = std::string(t, 15);
  return -1;
}

int CSHIS_CALL sign(char*, char*, char*, char*, char* sig, short* len) {
  std::memset(sig, 'S', 40);
  *len = 40;
  return 0;
}

}  // namespace

TEST(CardLib, LengthTravelsInZeroFilled32BitStorage) {
  CardTable t;
  t.hisGetRegisterBasic = basic;
  CardLib lib(t, nullptr);
  std::string buf(500, ' ');
  int16_t len = 78;
  EXPECT_EQ(lib.hisGetRegisterBasic(buf, len), 0x2345);
  EXPECT_EQ(seenLen, 78);
  EXPECT_EQ(seenBufEnd, 500u);  // the reply buffer carries its terminating NUL
  EXPECT_EQ(len, 78);
  EXPECT_EQ(buf, std::string(78, 'R') + std::string(422, ' '));
}

TEST(CardLib, ALengthBeyondTheBufferNeverLetsTheLibraryWritePastIt) {
  CardTable t;
  t.hisGetRegisterBasic = basic;
  CardLib lib(t, nullptr);
  std::string small(10, ' ');
  int16_t len = 78;
  lib.hisGetRegisterBasic(small, len);
  EXPECT_EQ(small, std::string(10, 'R'));
}

TEST(CardLib, TextArgumentsAreFieldsWithTheirNul) {
  CardTable t;
  t.hisWriteEmergentTel = tel;
  CardLib lib(t, nullptr);
  std::string id = fixedField("A123456789", 11), birth = fixedField("0750312", 8),
              phone = fixedField("0912345678", 14);
  EXPECT_EQ(lib.hisWriteEmergentTel(id, birth, phone), -1);
  EXPECT_EQ(seenArgs[0], std::string("A123456789\0\0", 12));
  EXPECT_EQ(seenArgs[1], "0750312");
  EXPECT_EQ(seenArgs[2], std::string("0912345678\0   \0", 15));
}

TEST(CardLib, OutputArgumentsComeBack) {
  CardTable t;
  t.hisWritePrescriptionSign = sign;
  CardLib lib(t, nullptr);
  std::string a = "1", b = "2", c = "3", d = "4", sig(40, '\0');
  int16_t len = 40;
  EXPECT_EQ(lib.hisWritePrescriptionSign(a, b, c, d, sig, len), 0);
  EXPECT_EQ(sig, std::string(40, 'S'));
}

TEST(CardLib, MissingLibraryOrFunctionAnswersACode) {
  CardLib none;
  EXPECT_FALSE(none.loaded());
  EXPECT_EQ(none.csOpenCom(0), CardLib::kNoLibrary);
  std::string buf(10, ' ');
  int16_t len = 7;
  EXPECT_EQ(none.hisGetLastSeqNum(buf, len), CardLib::kNoLibrary);
  CardLib partial(CardTable{}, nullptr);
  EXPECT_EQ(partial.csCloseCom(), CardLib::kNoFunction);
  EXPECT_EQ(partial.hisGetLastSeqNum(buf, len), CardLib::kNoFunction);
}

TEST(CardLib, FixedFieldPadsAndCuts) {
  EXPECT_EQ(fixedField("01", 3), std::string("01\0", 3));
  EXPECT_EQ(fixedField("1", 4), std::string("1\0  ", 4));
  EXPECT_EQ(fixedField("0123456789AB", 11), "0123456789A");
}
