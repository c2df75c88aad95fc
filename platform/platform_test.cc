// The real disk and system of the platform the test runs on: both platforms
// must behave alike, since nothing above platform/ knows which one it is.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/cp950.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class RealPlatform : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    // The clock as well as the random device: parallel test processes must
    // never share a scratch folder.
    root_ = fs::temp_directory_path() /
            ("ic-platform-" + std::to_string(rd()) + "-" +
             std::to_string(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    fs::create_directories(root_);
    dir_ = root_.string() + (root_.string().find('\\') != std::string::npos ? "\\" : "/");
    disk_ = makeRealDisk();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  // A path under the scratch folder in the program's form (ASCII or CP950).
  std::string at(const std::string& name) const { return dir_ + name; }

  fs::path root_;
  std::string dir_;
  std::unique_ptr<Disk> disk_;
};

TEST_F(RealPlatform, WritesAppendsAndReadsWholeFiles) {
  const std::string p = at("a.txt");
  ASSERT_TRUE(disk_->write(p, std::string("ab\0c", 4)));
  ASSERT_TRUE(disk_->append(p, "\r\nd"));
  std::string out;
  ASSERT_TRUE(disk_->read(p, out));
  EXPECT_EQ(out, std::string("ab\0c\r\nd", 7));
  EXPECT_EQ(disk_->length(p), 7);
  EXPECT_TRUE(disk_->exists(p));
  EXPECT_FALSE(disk_->isFolder(p));
  ASSERT_TRUE(disk_->write(p, "x"));  // replaced, not overwritten in place
  EXPECT_EQ(slurp(root_ / "a.txt"), "x");
  ASSERT_TRUE(disk_->append(at("new.txt"), "n"));
  EXPECT_EQ(slurp(root_ / "new.txt"), "n");
}

// The run log of two workstations: each run holds its own append handle and
// writes whole lines; none may land on another's, the header comes once.
TEST_F(RealPlatform, AppendHandlesWritingAtOnceKeepEveryLineWhole) {
  const std::string p = at("day.log");
  constexpr int kWriters = 4, kLines = 300;
  std::vector<std::unique_ptr<AppendFile>> files;
  for (int w = 0; w < kWriters; ++w) {
    files.push_back(disk_->openAppend(p, "HEAD\n"));
    ASSERT_TRUE(files.back());
  }
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int i = 0; i < kLines; ++i)
        files[w]->write("writer " + std::to_string(w) + " line " + std::to_string(i) +
                        std::string(40 + (i * 7 + w) % 50, '.') + "\n");
    });
  for (std::thread& t : writers) t.join();
  files.clear();
  std::istringstream in(slurp(root_ / "day.log"));
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "HEAD");
  std::vector<int> next(kWriters, 0);
  int whole = 0;
  while (std::getline(in, line)) {
    int w = -1, i = -1;
    char tail[128] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "writer %d line %d%127s", &w, &i, tail), 3) << line;
    ASSERT_TRUE(w >= 0 && w < kWriters) << line;
    EXPECT_EQ(i, next[w]++) << line;
    EXPECT_EQ(std::string(tail), std::string(40 + (i * 7 + w) % 50, '.')) << line;
    ++whole;
  }
  EXPECT_EQ(whole, kWriters * kLines);
}

#ifndef _WIN32
// A pipe where the day's run log should be is refused at once: opening it for
// writing would otherwise wait for a reader for ever.
TEST_F(RealPlatform, AnAppendToAPipeIsRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo((root_ / "pipe.log").c_str(), 0600), 0);
  EXPECT_EQ(disk_->openAppend(at("pipe.log"), "HEAD"), nullptr);
  EXPECT_EQ(disk_->openAppend(at("sub"), "HEAD") != nullptr, true);  // a new file is made
  EXPECT_EQ(slurp(root_ / "sub"), "HEAD");
}
#endif

TEST_F(RealPlatform, WritesAtAnOffsetKeepingTheRest) {
  const std::string p = at("store");
  ASSERT_TRUE(disk_->writeAt(p, 4, "xy"));
  EXPECT_EQ(slurp(root_ / "store"), std::string("\0\0\0\0xy", 6));
  ASSERT_TRUE(disk_->writeAt(p, 1, "Q"));
  EXPECT_EQ(slurp(root_ / "store"), std::string("\0Q\0\0xy", 6));
  ASSERT_TRUE(disk_->writeAt(p, 6, "z"));
  EXPECT_EQ(slurp(root_ / "store"), std::string("\0Q\0\0xyz", 7));
  EXPECT_FALSE(disk_->writeAt(p, -1, "z"));
}

TEST_F(RealPlatform, ReadsABlockUpToTheEnd) {
  const std::string p = at("b.txt");
  ASSERT_TRUE(disk_->write(p, "abcde"));
  std::string out;
  ASSERT_TRUE(disk_->readAt(p, 3, 10, out));
  EXPECT_EQ(out, "de");
  ASSERT_TRUE(disk_->readAt(p, 9, 4, out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(disk_->readAt(p, -1, 4, out));
  EXPECT_FALSE(disk_->readAt(at("missing"), 0, 4, out));
}

TEST_F(RealPlatform, FoldersAreNeverReadOrWrittenAsFiles) {
  const std::string f = at("sub");
  ASSERT_TRUE(disk_->makeFolder(f));
  EXPECT_TRUE(disk_->makeFolder(f));  // already there
  EXPECT_TRUE(disk_->exists(f));
  EXPECT_TRUE(disk_->isFolder(f));
  EXPECT_EQ(disk_->length(f), 0);
  std::string out;
  EXPECT_FALSE(disk_->read(f, out));
  EXPECT_FALSE(disk_->readAt(f, 0, 1, out));
  EXPECT_FALSE(disk_->write(f, "x"));
  EXPECT_FALSE(disk_->writeAt(f, 0, "x"));
  EXPECT_FALSE(disk_->remove(f));
  EXPECT_FALSE(disk_->copy(f, at("copy")));
  EXPECT_TRUE(disk_->isFolder(f));
  EXPECT_FALSE(disk_->makeFolder(at("no") + (dir_.back() == '\\' ? "\\deeper" : "/deeper")));
}

TEST_F(RealPlatform, MissingFilesFailQuietly) {
  const std::string p = at("missing.txt");
  std::string out;
  EXPECT_FALSE(disk_->exists(p));
  EXPECT_FALSE(disk_->exists(""));
  EXPECT_FALSE(disk_->read(p, out));
  EXPECT_EQ(disk_->length(p), std::nullopt);
  EXPECT_EQ(disk_->modified(p), std::nullopt);
  EXPECT_FALSE(disk_->remove(p));
  EXPECT_FALSE(disk_->copy(p, at("x")));
  EXPECT_FALSE(disk_->rename(p, at("x")));
  EXPECT_TRUE(disk_->list(at("nofolder"), "*.*").empty());
}

TEST_F(RealPlatform, CopiesAndRenamesOverExistingFiles) {
  ASSERT_TRUE(disk_->write(at("a"), "new"));
  ASSERT_TRUE(disk_->write(at("b"), "old contents"));
  ASSERT_TRUE(disk_->copy(at("a"), at("b")));
  EXPECT_EQ(slurp(root_ / "b"), "new");
  ASSERT_TRUE(disk_->write(at("c"), "third"));
  ASSERT_TRUE(disk_->rename(at("c"), at("b")));
  EXPECT_EQ(slurp(root_ / "b"), "third");
  EXPECT_FALSE(disk_->exists(at("c")));
  ASSERT_TRUE(disk_->remove(at("a")));
  EXPECT_FALSE(disk_->exists(at("a")));
}

TEST_F(RealPlatform, ListsFilesByPatternWithoutCase) {
  for (const char* n : {"A.TXT", "b.txt", "c.dat", "e.txt.bak"}) ASSERT_TRUE(disk_->write(at(n), "x"));
  ASSERT_TRUE(disk_->makeFolder(at("d.txt")));
  EXPECT_EQ(disk_->list(root_.string(), "*.txt"), (std::vector<std::string>{"A.TXT", "b.txt"}));
  EXPECT_EQ(disk_->list(dir_, "*.txt;*.DAT"),
            (std::vector<std::string>{"A.TXT", "b.txt", "c.dat"}));
  EXPECT_EQ(disk_->list(dir_, "?.dat"), (std::vector<std::string>{"c.dat"}));
}

TEST_F(RealPlatform, ChineseNamesReachTheDiskAsTheirCharacters) {
  const std::string name = b5("健保資料.txt"), folder = b5("備份");
  ASSERT_TRUE(disk_->write(at(name), "x"));
  EXPECT_TRUE(fs::exists(root_ / fs::path(u8"健保資料.txt")));
  EXPECT_EQ(disk_->list(dir_, "*.txt"), (std::vector<std::string>{name}));
  ASSERT_TRUE(disk_->makeFolder(at(folder)));
  EXPECT_TRUE(fs::is_directory(root_ / fs::path(u8"備份")));
}

TEST_F(RealPlatform, ModifiedIsTheLocalTimeOfTheLastWrite) {
  ASSERT_TRUE(disk_->write(at("t"), "x"));
  std::unique_ptr<Clock> clock = makeRealClock();
  DateTime now = clock->now();
  auto m = disk_->modified(at("t"));
  ASSERT_TRUE(m);
  auto minutes = [](const DateTime& d) {
    return (daysFromCivil(d.year, d.month, d.day) * 24 + d.hour) * 60 + d.minute;
  };
  EXPECT_LE(std::abs(minutes(now) - minutes(*m)), 2);
}

TEST_F(RealPlatform, TheSteadyClockMovesOnWithSleep) {
  std::unique_ptr<Clock> clock = makeRealClock();
  int64_t a = clock->steadyMs();
  clock->sleepMs(30);
  EXPECT_GE(clock->steadyMs() - a, 25);
}

TEST_F(RealPlatform, ProfileStringsRoundTripThroughAFile) {
  char arg0[] = "platform_test";
  char* argv[] = {arg0, nullptr};
  std::unique_ptr<System> sys = makeRealSystem(1, argv);
  const std::string ini = at("orvosys.ini");
  EXPECT_EQ(sys->profileString("OrvoDent", "Office", "0", ini, 100), "0");
  ASSERT_TRUE(sys->writeProfileString("OrvoDent", "Office", "1", ini));
  ASSERT_TRUE(sys->writeProfileString("OrvoDent", "Name", b5("王小明"), ini));
  EXPECT_EQ(sys->profileString("orvodent", "OFFICE", "0", ini, 100), "1");
  EXPECT_EQ(sys->profileString("OrvoDent", "Name", "", ini, 100), b5("王小明"));
  EXPECT_EQ(sys->profileString("OrvoDent", "Name", "", ini, 3), b5("王"));
  EXPECT_EQ(sys->profileString("OrvoDent", "Missing", "def  ", ini, 100), "def");
  EXPECT_EQ(sys->profileString("OrvoDent", "Office", "0", ini, 0), "");
}

TEST_F(RealPlatform, TheSystemKnowsItsFolderNameAndEnvironment) {
  char arg0[] = "platform_test";
  char* argv[] = {arg0, nullptr};
  std::unique_ptr<System> sys = makeRealSystem(1, argv);
  // The test program's own name, without its folder or extension.
  const std::string name = sys->exeBaseName();
  EXPECT_TRUE(name.find("_test") != std::string::npos) << name;
  EXPECT_EQ(name.find_first_of("/\\."), std::string::npos) << name;
  EXPECT_EQ(sys->env("IC_PLATFORM_TEST_NOT_SET"), std::nullopt);
  ASSERT_TRUE(sys->env("PATH"));
  const std::string before = sys->currentFolder();
  const std::string folder = at(b5("工作"));
  ASSERT_TRUE(disk_->makeFolder(folder));
  ASSERT_TRUE(sys->setCurrentFolder(folder));
  EXPECT_EQ(fs::current_path().filename(), fs::path(u8"工作"));
  EXPECT_EQ(sys->currentFolder(), cp950::fromUtf8(fs::current_path().string()));
  EXPECT_FALSE(sys->setCurrentFolder(at("missing")));
  ASSERT_TRUE(sys->setCurrentFolder(before));
}

TEST_F(RealPlatform, AMissingLibraryIsNoLibrary) {
  char arg0[] = "platform_test";
  char* argv[] = {arg0, nullptr};
  std::unique_ptr<System> sys = makeRealSystem(1, argv);
  EXPECT_EQ(sys->loadLibrary("no-such-card-library"), nullptr);
  EXPECT_FALSE(sys->activateWindow("no window has this title 12345"));
}

}  // namespace
