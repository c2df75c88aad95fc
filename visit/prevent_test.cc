#include "visit/prevent.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"

namespace {

TEST(WholeCharField, IsFixedFieldForSingleByteText) {
  EXPECT_EQ(wholeCharField("A123456789", 11), std::string("A123456789\0", 11));
  EXPECT_EQ(wholeCharField("05", 3), std::string("05\0", 3));
  EXPECT_EQ(wholeCharField("", 3), std::string("\0  ", 3));
  // Longer than the field: cut to the width, no NUL left.
  EXPECT_EQ(wholeCharField(std::string(130, 'x'), 121), std::string(121, 'x'));
}

TEST(WholeCharField, NeverKeepsHalfADoubleByteCharacter) {
  // 61 characters of two bytes: the 61st would be cut in half.
  std::string names;
  for (int i = 0; i < 61; ++i) names += b5("藥");
  std::string f = wholeCharField(names, 121);
  ASSERT_EQ(f.size(), 121u);
  EXPECT_EQ(f.substr(0, 120), names.substr(0, 120));
  EXPECT_EQ(f[120], '\0');
  EXPECT_EQ(cp950::normalize(f.substr(0, 120)), f.substr(0, 120));

  // One byte later the whole character fits.
  EXPECT_EQ(wholeCharField("a" + names, 121), ("a" + names).substr(0, 121));
  // A lead byte without its trail is a byte of its own.
  EXPECT_EQ(wholeCharField("ab\xA4", 3), "ab\xA4");
}

}  // namespace
