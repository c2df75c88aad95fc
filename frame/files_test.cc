#include "frame/files.h"

#include <gtest/gtest.h>

#include "platform/cp950.h"
#include "tests/support/fakes.h"

TEST(ByteCut, PadsAndCutsByBytes) {
  EXPECT_EQ(bcut("ABCDE", 4, 4), "DE  ");
  EXPECT_EQ(bcut("ABC", 1, 2), "AB");
  EXPECT_EQ(bcut("", 3, 3), "   ");
  const std::string name = b5("王小明");
  EXPECT_EQ(bcut(name, 3, 2), b5("小"));
  // Half a character decodes as the platform's decoder leaves it.
  EXPECT_EQ(bcut(name, 1, 1), "?");
  EXPECT_EQ(bcut(name + "1", 6, 2), "?");  // a lead byte before a non-trail byte
}

TEST(Files, WriteTextFileEndsWithCrLfAndFailsQuietly) {
  FakeRun f;
  EXPECT_TRUE(writeTextFile(f.run.files(), "w:\\ReadF4.txt", b5("無卡片")));
  EXPECT_EQ(f.disk.files["w:\\ReadF4.txt"], b5("無卡片") + "\r\n");
  EXPECT_FALSE(writeTextFile(f.run.files(), "w:\\ic\\samsign\\x", "t"));
  EXPECT_EQ(f.run.lastStatus, kErrPathNotFound);
}

TEST(Files, ReadBlockInsideAndOutsideTheFile) {
  FakeRun f;
  f.disk.files["w:\\b"] = "0123456789";
  EXPECT_EQ(readBlock(f.run.files(), "w:\\b", 3, 4), "2345");
  EXPECT_EQ(readBlock(f.run.files(), "w:\\b", 9, 4), "89  ");
  EXPECT_EQ(readBlock(f.run.files(), "w:\\b", 11, 2), "  ");
  EXPECT_EQ(readBlock(f.run.files(), "w:\\b", 0, 2), "  ");
  EXPECT_EQ(readBlock(f.run.files(), "w:\\missing", 1, 3), "   ");
}

TEST(Files, FirstFieldFollowsListInput) {
  EXPECT_EQ(firstField("  A123456789,x"), "A123456789");
  EXPECT_EQ(firstField("\"A1,23\",x"), "A1,23");
  EXPECT_EQ(firstField("A123456789"), "A123456789");
  EXPECT_EQ(firstField(""), "");
}
