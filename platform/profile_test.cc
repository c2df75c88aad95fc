#include "platform/profile.h"

#include <gtest/gtest.h>

namespace {
std::string get(const std::string& ini, const std::string& sec, const std::string& key,
                const std::string& def = "dflt", int size = 100) {
  return readProfile(ini, true, sec, key, def, size).text;
}
}  // namespace

TEST(Profile, FindsKeysWithoutCaseAndBlanks) {
  const std::string ini = "[Other]\r\nOffice=9\r\n [ orvodent ] \r\n  office  =  1  \r\nOfficeCode=3501234567\r\n";
  EXPECT_EQ(get(ini, "OrvoDent", "Office"), "1");
  EXPECT_EQ(get(ini, "ORVODENT", "officecode"), "3501234567");
  EXPECT_EQ(get(ini, "Other", "Office"), "9");
}

TEST(Profile, DefaultWhenFileSectionOrKeyIsMissing) {
  EXPECT_EQ(readProfile("", false, "OrvoDent", "Office", "0", 100).text, "0");
  EXPECT_EQ(get("[A]\r\nx=1\r\n", "OrvoDent", "x", "0000000000"), "0000000000");
  EXPECT_EQ(get("[OrvoDent]\r\nx=1\r\n", "OrvoDent", "y", "def   "), "def");
}

TEST(Profile, QuotesFirstMatchAndLengthLimit) {
  EXPECT_EQ(get("[S]\r\nk=\"a b\"\r\n", "S", "k"), "a b");
  EXPECT_EQ(get("[S]\r\nk='x\r\n", "S", "k"), "'x");
  EXPECT_EQ(get("[S]\r\nk=first\r\nk=second\r\n", "S", "k"), "first");
  EXPECT_EQ(get("[S]\nk=\n", "S", "k"), "");
  const std::string longValue(150, 'v');
  ProfileValue v = readProfile("[S]\r\nk=" + longValue + "\r\n", true, "S", "k", "", 100);
  EXPECT_EQ(v.count, 99);
  EXPECT_EQ(v.text, std::string(99, 'v'));
}

TEST(Profile, WritesIntoExistingOrNewSections) {
  std::string ini = writeProfile("", "OrvoDent", "reportType", "1");
  EXPECT_EQ(get(ini, "OrvoDent", "reportType"), "1");
  ini = writeProfile(ini, "orvodent", "REPORTTYPE", "0");
  EXPECT_EQ(get(ini, "OrvoDent", "reportType"), "0");
  ini = writeProfile(ini, "OrvoDent", "VBbackup", "d:\\backup\\orvo");
  ini = writeProfile(ini, "Other", "k", "v");
  EXPECT_EQ(get(ini, "OrvoDent", "VBbackup"), "d:\\backup\\orvo");
  EXPECT_EQ(get(ini, "OrvoDent", "reportType"), "0");
  EXPECT_EQ(get(ini, "Other", "k"), "v");
}

TEST(Profile, GarbledFilesGiveDefaults) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  EXPECT_EQ(get(junk, "OrvoDent", "Office", "0"), "0");
  EXPECT_EQ(get("[OrvoDent", "OrvoDent", "Office", "0"), "0");
  EXPECT_EQ(get("[OrvoDent]\r\n=x\r\nOffice\r\n", "OrvoDent", "Office", "0"), "");
}
