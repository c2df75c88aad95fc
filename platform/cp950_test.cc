#include "platform/cp950.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>
#include <random>

TEST(Cp950, RoundTripsChineseAndAscii) {
  const std::string name = b5("王小明");
  EXPECT_EQ(name, "\xA4\xFD\xA4\x70\xA9\xFA");
  EXPECT_EQ(cp950::toUtf8(name + " A1"), "王小明 A1");
  EXPECT_EQ(cp950::normalize(name), name);
}

TEST(Cp950, InvalidSequencesDecodeAsWindowsDoes) {
  // A lead byte whose next byte is no trail byte eats that byte.
  EXPECT_EQ(cp950::toUtf8("\xA4\x30" "A"), "?A");
  // A lead byte at the very end.
  EXPECT_EQ(cp950::toUtf8("AB\xA4"), "AB?");
  EXPECT_EQ(cp950::normalize("\xA4"), "?");
  EXPECT_EQ(cp950::normalize("\xA4\x0D\x0A"), "?\x0A");
}

TEST(Cp950, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(cp950::fromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b");  // an emoji
  EXPECT_EQ(cp950::fromUtf8("é"), "?");
}

TEST(Cp950, UserDefinedAreaSurvivesTheRoundTrip) {
  const std::string eudc = "\xFA\x40\x8E\xA1";
  EXPECT_EQ(cp950::normalize(eudc), eudc);
}

// Every character is converted through tables kept per character; the whole
// code page and random texts must come out as the conversion of the whole
// text would: the round trip of normalize() is fromUtf8(toUtf8()).
TEST(Cp950, EveryCharacterAndMixedTextsConvertAsWholeTexts) {
  int roundTrips = 0;
  for (unsigned key = 0x80; key < 0x10000; ++key) {
    std::string bytes;
    if (key >= 0x100) {
      if (!cp950::isLead(key >> 8) || !cp950::isTrail(key & 0xFF)) continue;
      bytes = {static_cast<char>(key >> 8), static_cast<char>(key & 0xFF)};
    } else if (cp950::isLead(key)) {
      continue;
    } else {
      bytes = std::string(1, static_cast<char>(key));
    }
    const std::string u = cp950::toUtf8(bytes);
    ASSERT_FALSE(u.empty()) << std::hex << key;
    ASSERT_EQ(cp950::normalize(bytes), cp950::fromUtf8(u)) << std::hex << key;
    if (cp950::fromUtf8(u) == bytes) ++roundTrips;
  }
  EXPECT_GT(roundTrips, 13000);  // the Big5 characters and more come back as they were

  std::mt19937 random(950);
  const std::string pieces[] = {"A", " ", "\r\n", std::string(1, '\0'), "\xA4\xFD", "\xA4",
                                "\xA4\x30", "\xF9\xF9", "\xC8\x40", "\x80", "\xFF", "\xFA\x40",
                                "\xA1\x40", "\xA2\xCC", "\xA4\x61"};
  for (int n = 0; n < 2000; ++n) {
    std::string text;
    const int count = static_cast<int>(random() % 12);
    for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
    std::string whole = cp950::toUtf8(text);
    ASSERT_EQ(cp950::normalize(text), cp950::fromUtf8(whole)) << text;
    ASSERT_EQ(cp950::normalize(cp950::normalize(text)), cp950::normalize(text)) << text;
  }
}

#ifndef _WIN32
// Broken UTF-8 reaches the Linux codec only from the system (a file name, the
// command line): each piece that cannot be a character is one "?", as ICU
// and the Unicode standard's recommended practice count them.
TEST(Cp950, BrokenUtf8IsOneQuestionMarkAPiece) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xC3", "a?"},                   // cut short at the end
      {"\xE4\xB8" "A", "?A"},             // cut short before a letter
      {"\xF0\x9F\x98", "?"},              // three of four bytes
      {"\xC0\xAF", "??"},                 // an overlong form: no start at all
      {"\xE0\x80\x80", "???"},            // overlong in three bytes
      {"\xED\xA0\x80", "???"},            // a surrogate
      {"\xF4\x90\x80\x80", "????"},       // past U+10FFFF
      {"\x80\x80\xFF", "???"},            // lone continuation bytes
      {"\xC2" "A\xE7\x8E\x8B", "?A\xA4\xFD"},  // and a character after
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(cp950::fromUtf8(in), want) << in;
}
#endif
