// The backup window vbbk end to end, played by the operator script: the data
// folder copied to the backup folder with its times, the setting written back,
// and a newer file at the target kept unless the operator says otherwise.
#include "tests/e2e/e2e.h"

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

struct Backup : e2e::Run {
  void SetUp() override {
    e2e::Run::SetUp();
    fs::create_directories(dir / "drives" / "c" / "windows");
    bk = dir.string() + "-bk";
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) fs::remove_all(bk, ec);
    e2e::Run::TearDown();
  }
  fs::path bk;  // the backup folder, beside the working folder
  void script(const std::string& lines) {
    write("operator.txt", lines);
    env.push_back({"IC_UI_OPERATOR", (dir / "operator.txt").string()});
  }
  fs::path target(const std::string& rel) const { return bk / rel; }
  // The backup folder as the program spells it.
  std::string bkName() const { return bk.string(); }
  std::vector<std::vector<std::string>> of(const std::string& kind) const {
    std::vector<std::vector<std::string>> out;
    for (const auto& e : events())
      if (e[0] == kind) out.push_back(e);
    return out;
  }
};

}  // namespace

TEST_F(Backup, CopiesTheDataFolderKeepingTimesAndRemembersTheTarget) {
  write("ReadF4.txt", "card\r\n");
  write("ic/ZupRn", std::string(70, '1'));
  write("ic/samsign/a/b/deep.txt", "deep");
  write("backup/orvo0101.exe", "not data");
  const auto when = fs::last_write_time(path("ic/ZupRn")) - std::chrono::hours(48);
  fs::last_write_time(path("ic/ZupRn"), when);
  script("type Text1 " + bkName() + "\nclick Command1\nclose\n");
  run("/VBbackup/");

  EXPECT_EQ(readFile(target("ReadF4.txt")), "card\r\n");
  EXPECT_EQ(readFile(target("ic/samsign/a/b/deep.txt")), "deep");
  EXPECT_EQ(fs::last_write_time(target("ic/ZupRn")), when);
  EXPECT_FALSE(fs::exists(target("backup")));
  EXPECT_EQ(events().front(), (Lines{"show", "vbbk"}));
  const auto boxes = of("msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0][1], "備份");
  EXPECT_NE(boxes[0][2].find("無法複製 0 個"), std::string::npos) << boxes[0][2];
  EXPECT_TRUE(calls("csOpenCom").empty());

#if !defined(_WIN32)  // the Windows folder's orvosys.ini is the test's own only on POSIX
  EXPECT_NE(readFile(dir / "drives" / "c" / "windows" / "orvosys.ini").find("VBbackup=" + bkName()),
            std::string::npos);
  // The next run starts from the remembered folder; nothing changed is copied again.
  fs::remove(path("ui.log"));
  env.clear();
  script("click Command1\n");
  run("/VBbackup/");
  ASSERT_EQ(of("msgbox").size(), 1u);
  EXPECT_EQ(of("msgbox")[0][2].find("未變更 0 個"), std::string::npos) << of("msgbox")[0][2];
#endif
}

// The environment's names reach the program as its own text on both systems:
// a script in a Chinese folder is found and played.
TEST_F(Backup, TheOperatorScriptMayLieInAChineseFolder) {
  write("ic/a.txt", "a");
  fs::create_directories(dir / fs::path(u8"操作員"));
  writeFile(dir / fs::path(u8"操作員") / "operator.txt", "type Text1 " + bkName() + "\nclick Command1\n");
  env.push_back({"IC_UI_OPERATOR", dir.string() + "/操作員/operator.txt"});
  run("/VBbackup/");
  EXPECT_EQ(of("msgbox").size(), 1u);
  EXPECT_EQ(readFile(target("ic/a.txt")), "a");
}

TEST_F(Backup, ANewerFileAtTheTargetIsKeptUnlessTheOperatorSaysYes) {
  write("ic/data.txt", "older data");
  fs::last_write_time(path("ic/data.txt"), fs::file_time_type::clock::now() - std::chrono::hours(24));
  writeFile(target("ic/data.txt"), "newer backup");
  for (const char* answer : {"no", "yes"}) {
    SCOPED_TRACE(answer);
    fs::remove(path("ui.log"));
    env = {{"IC_UI_ANSWERS", answer}};
    script("type Text1 " + bkName() + "\\\nclick Command1\n");
    run("/VBbackup/");
    const auto boxes = of("msgbox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0][3], "yesnocancel");
    EXPECT_EQ(readFile(target("ic/data.txt")), std::string(answer) == "no" ? "newer backup" : "older data");
  }
}

TEST_F(Backup, RefusesATargetInsideTheDataFolderAndReportsFilesItCannotCopy) {
  write("ic/a.txt", "a");
  script("type Text1 ic\\copy\nclick Command1\ntype Text1 " + bkName() + "\nclick Command1\n");
  writeFile(target("ic/a.txt/x"), "a folder where the file goes");
  run("/VBbackup/");
  const auto boxes = of("msgbox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0][2].rfind("備份目錄不可在資料目錄之內", 0), 0u);
  EXPECT_FALSE(fs::exists(path("ic/copy")));
  EXPECT_NE(boxes[1][2].find("無法複製 1 個"), std::string::npos);
  bool named = false;
  for (const auto& e : of("item"))
    named |= e[3].rfind("無法複製: ic\\\\a.txt", 0) == 0;
  EXPECT_TRUE(named);
}

// A target inside the data folder written with "..", or one that holds the
// data folder, is refused: every run would nest the previous copy again.
TEST_F(Backup, ATargetInsideTheDataFolderOrAroundItIsRefusedHoweverWritten) {
  write("ReadF4.txt", "card\r\n");
  const std::string name = dir.filename().string();
  const struct {
    std::string typed, text;
  } cases[] = {
      {bkName() + "/../" + name + "/ic/inside", "備份目錄不可在資料目錄之內: "},
      {dir.parent_path().string(), "資料目錄不可在備份目錄之內: "},
  };
  for (const auto& c : cases) {
    fs::remove(path("ui.log"));
    script("type Text1 " + c.typed + "\nclick Command1\nclose\n");
    run("/VBbackup/");
    const auto boxes = of("msgbox");
    ASSERT_EQ(boxes.size(), 1u) << c.typed;
    std::string shown = c.typed;  // the event log escapes a backslash
    for (size_t at = 0; (at = shown.find('\\', at)) != std::string::npos; at += 2) shown.insert(at, 1, '\\');
    EXPECT_EQ(boxes[0][2], c.text + shown);
    EXPECT_FALSE(fs::exists(path("ic/inside")));
  }
}

#if !defined(_WIN32)  // the test's own narrow file names are UTF-8 only on POSIX
// Names whose second Big5 byte is "\" are copied under their own names, with
// no stray folder beside them.
TEST_F(Backup, NamesWithABackslashSecondByteAreCopiedWhole) {
  write("許功.txt", "x");
  write("ic/許/功.txt", "y");
  script("type Text1 " + bkName() + "\nclick Command1\nclose\n");
  run("/VBbackup/");
  EXPECT_EQ(readFile(target("許功.txt")), "x");
  EXPECT_EQ(readFile(target("ic/許/功.txt")), "y");
  for (const auto& e : fs::directory_iterator(bk))
    EXPECT_TRUE(e.is_regular_file() || e.path().filename() == "ic") << e.path();
  std::vector<std::string> ic;
  for (const auto& e : fs::directory_iterator(bk / "ic")) ic.push_back(e.path().filename().string());
  EXPECT_EQ(ic, (Lines{"許"}));
}
#endif
