// The unpacking of downloaded results: the entry-name rule, and whole
// archives built here from bytes (stored entries), good and bad. On Windows
// every case runs against both interfaces of unzip32.dll, each a substitute:
// UnZip 6.0 beside the program and 5.5x in unzip32-5x\.
#include "platform/unzip.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/cp950.h"
#include "sim/declare/zip.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(SafeEntryName, KeepsEveryEntryInsideTheFolder) {
  for (const char* good : {"a.txt", "sub/b.txt", "sub\\c.txt", "a..b", "./x", "sub/", "..x/y"})
    EXPECT_TRUE(safeEntryName(good)) << good;
  for (const char* bad : {"", "/etc/passwd", "\\x", "\\\\server\\share\\x", "c:x", "C:\\x.txt",
                          "a/../../x", "..", "..\\x", "x/..", "a.txt:stream"})
    EXPECT_FALSE(safeEntryName(bad)) << bad;
}

class Unzip : public ::testing::TestWithParam<const char*> {
 protected:
  // Through the library of the case (on POSIX the one way there is).
  bool unzip(const std::string& archive, const std::string& folder, std::string& why) {
#if defined(_WIN32)
    if (std::string(GetParam()) != "unzip32.dll") {
      std::string library = std::string(IC_TEST_BIN) + "/" + GetParam();
      for (char& c : library)
        if (c == '/') c = '\\';
      return unzipAllWith(library, archive, folder, why);
    }
#endif
    return unzipAll(archive, folder, why);
  }
  void SetUp() override {
    std::random_device random;
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '-';
    dir_ = fs::temp_directory_path() / ("unzip-" + name + "-" + std::to_string(random()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string archive(const std::string& bytes) {
    fs::path p = dir_ / "in.zip";
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  static std::string zipOf(const Entries& entries) {
    return declsim::zip::stored(entries, declsim::zip::dosTime(2026, 12, 8, 9, 30, 44));
  }
  std::string out() const { return (dir_ / "unzipdir").string(); }
  static std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_P(Unzip, ExtractsEveryFileAndOverwritesAnEarlierResult) {
  fs::create_directories(dir_ / "unzipdir");
  std::ofstream(dir_ / "unzipdir" / "a.txt") << "old";
  std::string name = cp950::fromUtf8("結果.txt");
  std::string why;
  ASSERT_TRUE(unzip(archive(zipOf({{"a.txt", "first\n"}, {"sub/", ""}, {"sub/b.txt", "second"},
                                      {name, cp950::fromUtf8("通過")}})),
                       out(), why))
      << why;
  EXPECT_EQ(read(dir_ / "unzipdir" / "a.txt"), "first\n");
  EXPECT_EQ(read(dir_ / "unzipdir" / "sub" / "b.txt"), "second");
  EXPECT_EQ(read(dir_ / "unzipdir" / fs::u8path("結果.txt")), cp950::fromUtf8("通過"));
  // An empty archive is a success with nothing to write.
  EXPECT_TRUE(unzip(archive(zipOf({})), (dir_ / "empty").string(), why)) << why;
}

TEST_P(Unzip, AnArchiveWithAnUnsafeEntryWritesNothing) {
  for (const char* evil : {"/tmp/evil.txt", "\\evil.txt", "c:evil.txt", "C:\\evil.txt",
                           "../evil.txt", "sub/../../evil.txt", "..\\evil.txt"}) {
    SCOPED_TRACE(evil);
    std::string why;
    EXPECT_FALSE(unzip(archive(zipOf({{"good.txt", "x"}, {evil, "y"}})), out(), why));
    EXPECT_NE(why.find(evil), std::string::npos) << why;
    EXPECT_FALSE(fs::exists(dir_ / "unzipdir" / "good.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "evil.txt"));
  }
}

TEST_P(Unzip, BrokenOrMissingArchivesFail) {
  std::string good = zipOf({{"a.txt", "some text to cut in two"}, {"b.txt", "more"}});
  std::string badCrc = good;
  badCrc[30 + 5] ^= 1;  // a byte of a.txt's data
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"truncated", good.substr(0, good.size() / 2)},
      {"cut before its end record", good.substr(0, good.size() - 3)},
      {"garbage", std::string(300, '\x5a')},
      {"empty", ""},
      {"wrong CRC", badCrc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    EXPECT_FALSE(unzip(archive(c.bytes), out(), why));
    EXPECT_FALSE(why.empty());
  }
  std::string why;
  EXPECT_FALSE(unzip((dir_ / "missing.zip").string(), out(), why));
  EXPECT_NE(why.find("missing.zip"), std::string::npos) << why;
}

#if defined(_WIN32)
INSTANTIATE_TEST_SUITE_P(Interfaces, Unzip, ::testing::Values("unzip32.dll", "unzip32-5x/unzip32.dll"),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "UnZip6" : "UnZip5x");
                         });

TEST(UnzipLibrary, AMissingLibraryIsAFailureThatNamesIt) {
  std::string why;
  const fs::path dir = fs::temp_directory_path();
  std::ofstream(dir / "unzip-missing.zip", std::ios::binary)
      << declsim::zip::stored({{"a.txt", "x"}}, declsim::zip::dosTime(2026, 12, 8, 9, 30, 44));
  EXPECT_FALSE(unzipAllWith("no-such-unzip32.dll", (dir / "unzip-missing.zip").string(),
                            (dir / "unzip-missing").string(), why));
  EXPECT_NE(why.find("no-such-unzip32.dll"), std::string::npos) << why;
  EXPECT_FALSE(fs::exists(dir / "unzip-missing" / "a.txt"));
  fs::remove(dir / "unzip-missing.zip");
}
#else
INSTANTIATE_TEST_SUITE_P(Libzip, Unzip, ::testing::Values("libzip"));
#endif

}  // namespace
