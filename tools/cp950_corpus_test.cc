// Holds this platform's codec to Windows' own answers for every single byte,
// every lead byte with every second byte, and every character of the BMP.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/cp950.h"
#include "tools/cp950_corpus.h"

namespace {

std::string utf8(const std::u16string& u) {
  std::string out;
  for (char16_t c : u) {
    char32_t cp = c;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string hex(const std::string& s) {
  std::string out;
  char b[4];
  for (unsigned char c : s) {
    std::snprintf(b, sizeof b, "%02X", c);
    out += b;
  }
  return out;
}

// Collects the differences and shows the first few.
struct Differences {
  int count = 0;
  std::string shown;
  void add(const std::string& what) {
    if (++count <= 200) shown += what + "\n";
  }
};

class Cp950Windows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::ifstream f(std::string(IC_SOURCE_DIR) + "/tools/testdata/cp950-windows.txt",
                    std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    table_ = new cp950corpus::Table;
    loaded_ = cp950corpus::parse(ss.str(), *table_, error_);
  }
  static void TearDownTestSuite() { delete table_; }
  void SetUp() override { ASSERT_TRUE(loaded_) << error_; }

  static cp950corpus::Table* table_;
  static bool loaded_;
  static std::string error_;
};

cp950corpus::Table* Cp950Windows::table_ = nullptr;
bool Cp950Windows::loaded_ = false;
std::string Cp950Windows::error_;

TEST_F(Cp950Windows, DecodesEverySingleByte) {
  Differences d;
  for (int b = 0; b < 256; ++b) {
    std::string in(1, static_cast<char>(b));
    std::string want = utf8(table_->single[b]), got = cp950::toUtf8(in);
    if (got != want) d.add(hex(in) + ": " + hex(got) + " instead of " + hex(want));
  }
  EXPECT_EQ(d.count, 0) << d.shown;
}

TEST_F(Cp950Windows, DecodesEveryLeadByteWithEverySecondByte) {
  Differences d;
  for (int l = 0; l < 126; ++l)
    for (int b = 0; b < 256; ++b) {
      std::string in{static_cast<char>(0x81 + l), static_cast<char>(b), 'A'};
      std::string want = utf8(table_->pairs[l][b]) + "A", got = cp950::toUtf8(in);
      if (got != want) d.add(hex(in) + ": " + hex(got) + " instead of " + hex(want));
    }
  EXPECT_EQ(d.count, 0) << d.shown;
}

TEST_F(Cp950Windows, EncodesEveryCharacter) {
  cp950corpus::Encodings implied = cp950corpus::impliedEncodings(*table_);
  Differences d;
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string want = "?";
    if (auto e = table_->exceptions.find(c); e != table_->exceptions.end()) want = e->second;
    else if (auto i = implied.find(c); i != implied.end()) want = i->second;
    std::string got = cp950::fromUtf8(utf8(std::u16string(1, static_cast<char16_t>(c))));
    if (got != want)
      d.add("U+" + cp950corpus::hex4(static_cast<char16_t>(c)) + ": " + hex(got) +
            " instead of " + hex(want));
  }
  EXPECT_EQ(d.count, 0) << d.shown;
}

}  // namespace
