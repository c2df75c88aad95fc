#include "store/store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

// Two runs saving at once into one shared folder (threads with disks of
// their own stand for the processes: the lock is per open file, as between
// workstations). Every holder's record must survive, once, at the place its
// index entry says.
TEST(StoreOnDisk, RunsSavingAtOnceNeverOverwriteEachOther) {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("ic-store-" + std::to_string(rd()));
  fs::create_directories(dir / "ic");
  const std::string work = dir.string() + (dir.string().find('\\') != std::string::npos ? "\\" : "/");
  {
    auto disk = makeRealDisk();
    ASSERT_TRUE(disk->write(work + kCardReads.file, ""));
    ASSERT_TRUE(disk->write(work + kCardReads.index, ""));
  }
  constexpr int kRuns = 2, kEach = 40;
  std::vector<std::thread> runs;
  for (int r = 0; r < kRuns; ++r)
    runs.emplace_back([&, r] {
      auto disk = makeRealDisk();
      for (int i = 0; i < kEach; ++i) {
        const std::string key = "R" + std::to_string(r) + "H" + std::to_string(1000000 + i);
        save1500file(*disk, work, key, "card read of " + key);
      }
    });
  for (auto& t : runs) t.join();

  auto disk = makeRealDisk();
  std::string store, index;
  ASSERT_TRUE(disk->read(work + kCardReads.file, store));
  ASSERT_TRUE(disk->read(work + kCardReads.index, index));
  ASSERT_EQ(store.size(), size_t{kRuns * kEach} * kCardReadRecord);
  ASSERT_EQ(index.size(), size_t{kRuns * kEach} * kArchiveKeyWidth);
  std::set<std::string> keys;
  for (size_t k = 0; k < index.size() / kArchiveKeyWidth; ++k) {
    const std::string key = index.substr(k * kArchiveKeyWidth, kArchiveKeyWidth);
    EXPECT_EQ(store.substr(k * kCardReadRecord, kArchiveKeyWidth), key) << k;
    EXPECT_EQ(store.substr(k * kCardReadRecord + kArchiveKeyWidth, 13 + key.size()),
              "card read of " + key);
    keys.insert(key);
  }
  EXPECT_EQ(keys.size(), size_t{kRuns * kEach});
  fs::remove_all(dir);
}

TEST(StoreOnDisk, ALockIsExclusiveUntilItsHolderLetsGo) {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("ic-lock-" + std::to_string(rd()));
  fs::create_directories(dir);
  const std::string path = (dir / "ic.lock").string();
  auto a = makeRealDisk(), b = makeRealDisk();
  auto held = a->lock(path, 0);
  ASSERT_TRUE(held);
  EXPECT_FALSE(b->lock(path, 50)) << "a second run waits, then gives up";
  held.reset();
  EXPECT_TRUE(b->lock(path, 50));
  EXPECT_FALSE(a->lock((dir / "no such folder" / "ic.lock").string(), 0));
  fs::remove_all(dir);
}

}  // namespace
