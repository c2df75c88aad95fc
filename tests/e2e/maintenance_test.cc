// The maintenance verbs end to end: housekeeping of old files, the web pages,
// the guarded shell open, both self-updates, the list of patients without
// cards, the upload-register viewer and the network-drive mode. None of them
// may touch the reader.
#include "tests/e2e/e2e.h"

#include <ctime>

using namespace e2e;

namespace {

using Lines = std::vector<std::string>;

struct Maintenance : e2e::Run {
  // The file's modification time set `days` days (and `minutes` minutes) back from now.
  void age(const std::string& name, int days, int minutes = 0) {
    fs::last_write_time(path(name), fs::file_time_type::clock::now() - std::chrono::hours(24 * days) -
                                        std::chrono::minutes(minutes));
  }
  void file(const std::string& name, size_t size, int days) {
    write(name, std::string(size, 'x'));
    age(name, days);
  }
  // c:\orvo.ini under the test's drive root.
  void orvoIni(const std::string& lines) { writeFile(dir / "drives" / "c" / "orvo.ini", "[OrvoDent]\r\n" + lines); }
  bool opened(const std::string& what) const {
    for (const auto& e : events())
      if (e.size() >= 2 && e[0] == "open" && e[1] == what) return true;
    return false;
  }
  int count(const std::string& kind) const {
    int n = 0;
    for (const auto& e : events()) n += e[0] == kind;
    return n;
  }
  void noReader() const { EXPECT_TRUE(calls("csOpenCom").empty()); }
  // Today's month and day, as the dated files are named.
  static std::string mmdd() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char b[32];
    std::snprintf(b, sizeof b, "%02d%02d", tm.tm_mon + 1, tm.tm_mday);
    return b;
  }
};

}  // namespace

TEST_F(Maintenance, HousekeepingDeletesEachRulesOldFilesOnly) {
  struct Case {
    const char* name;
    size_t size;
    int days;
    bool deleted;
  } cases[] = {
      {"ic/samsign/a29", 10, 29, false},       {"ic/samsign/a31", 10, 31, true},
      {"ic/psn/s1199_401", 1199, 401, true},    {"ic/psn/s1199_399", 1199, 399, false},
      {"ic/psn/s1200_401", 1200, 401, false},   {"ic/psn/s1000_401", 1000, 401, true},
      {"ic/psn/s1500_2000", 1500, 2000, false}, {"ic/psn/t99_41", 99, 41, true},
      {"ic/psn/t100_41", 100, 41, false},       {"ic/psn/t99_39", 99, 39, false},
      {"backup/orvo0101.exe", 5, 59, false},    {"backup/orvo0102.exe", 5, 61, true},
      {"backup/_orvo0103.exe", 5, 61, true},    {"backup/ORVO0104.EXE", 5, 61, true},
      {"backup/orvo12345.exe", 5, 61, false},   {"backup/xorvo1234.exe", 5, 61, false},
      {"backup/orvo0105.txt", 5, 61, false},    {"backup/_orvomd0106.exe", 5, 61, false},
  };
  for (const Case& c : cases) file(c.name, c.size, c.days);
  run("");
  for (const Case& c : cases) EXPECT_EQ(has(c.name), !c.deleted) << c.name;
  noReader();
  const auto ev = events();
  EXPECT_TRUE(shown(ev, {"waiting", "a31"}));
  EXPECT_TRUE(shown(ev, {"waiting", "orvo0102.exe"}));
  EXPECT_FALSE(shown(ev, {"waiting", "a29"}));
  // "data fresh" ends the housekeeping, before the declaration window.
  const Lines lines = eventLines();
  const auto fresh = std::find(lines.begin(), lines.end(), "waiting\tdata fresh");
  ASSERT_NE(fresh, lines.end());
  EXPECT_EQ(*(fresh + 1), "close-waiting");
  EXPECT_NE(std::find(fresh, lines.end(), "show\tReportSample"), lines.end());
}

TEST_F(Maintenance, HousekeepingRunsForReportSampleAndWithoutItsFolders) {
  run("/ReportSample/");
  // The housekeeping, then the declaration window carries the run.
  const Lines ev = eventLines();
  ASSERT_GE(ev.size(), 3u);
  EXPECT_EQ(Lines(ev.begin(), ev.begin() + 2), (Lines{"waiting\tdata fresh", "close-waiting"}));
  EXPECT_NE(std::find(ev.begin(), ev.end(), "show\tReportSample"), ev.end());
  file("ic/samsign/old", 1, 90);
  run("/ReportSample/ ");  // not the verb: nothing is deleted
  EXPECT_TRUE(has("ic/samsign/old"));
}

#if !defined(_WIN32)
TEST_F(Maintenance, HousekeepingNeverDeletesThroughALink) {
  file("outside/old-sign", 1, 90);
  file("outside/psn/tiny", 1, 90);
  fs::create_directories(path("ic/samsign"));
  fs::create_symlink(path("outside/old-sign"), path("ic/samsign/link"));
  fs::create_symlink(path("outside/psn"), path("ic/psn"));
  run("");
  EXPECT_TRUE(has("outside/old-sign"));
  EXPECT_TRUE(fs::is_symlink(path("ic/samsign/link")));
  EXPECT_TRUE(has("outside/psn/tiny"));
}
#endif

TEST_F(Maintenance, WebPagesOfTheClinicServerAndOfTheMaker) {
  struct Case {
    const char* C;
    const char* ini;
    const char* page;
  } cases[] = {
      {"/ORVO//a=1&b=2", "", "http://localhost/wpx/orvo2.php?orvo=a=1&b=2"},
      {"//ORVO/x", "", "http://www.maker.example/wpx/orvo2.php?orvo=x"},
#if !defined(_WIN32)  // c:\orvo.ini is the test's own only on POSIX
      {"/ORVO//q", "SoftAppHttp=10.1.2.3\r\n", "http://10.1.2.3/wpx/orvo2.php?orvo=q"},
      {"//ORVO/q", "PublicHttp=www.clinic.example\r\n", "http://www.clinic.example/wpx/orvo2.php?orvo=q"},
#endif
  };
  for (const Case& c : cases) {
    fs::remove(path("ui.log"));
    if (*c.ini) orvoIni(c.ini);
    run(c.C);
    EXPECT_TRUE(opened(c.page)) << c.C;
    noReader();
  }
}

// The clinic program names what to open: the pass text is appended as it
// stands and anything else goes to the shell's open as it stands, always as
// one argument (never a command line).
TEST_F(Maintenance, ShellExecuteOpensWhatTheClinicProgramNames) {
  struct Case {
    const char* C;
    const char* opens;  // as the event log writes it (a backslash doubled)
  } cases[] = {
      {"/ShellExecute_///abc123", "http://localhost/wpx/icload.php?pass=abc123"},
      {"/ShellExecute_  ///ab12&id=7 ", "http://localhost/wpx/icload.php?pass=ab12&id=7"},
      {"/ShellExecute_https://example.org/page?x=1", "https://example.org/page?x=1"},
      {"/ShellExecute_ prog.exe ", "prog.exe"},
      {"/ShellExecute_c:\\docs\\help.pdf", "c:\\\\docs\\\\help.pdf"},
      {"/ShellExecute_c:\\orvo\\tools\\viewer.exe", "c:\\\\orvo\\\\tools\\\\viewer.exe"},
      {"/ShellExecute_cmd /c del *.*", "cmd /c del *.*"},
  };
  for (const Case& c : cases) {
    fs::remove(path("ui.log"));
    run(c.C);
    EXPECT_EQ(events().front(), (Lines{"waiting", "請 稍 候"})) << c.C;
    EXPECT_TRUE(shown(events(), {"open", c.opens, ""})) << c.C;
    EXPECT_EQ(count("open"), 1) << c.C;
    EXPECT_EQ(count("red"), 0) << c.C;
  }
  noReader();
}

TEST_F(Maintenance, ReNameOrvomdReplacesTheProgramKeepingItsTime) {
  write("orvomd01.exe", "old");
  write("orvomd.exe", "new program");
  age("orvomd01.exe", 30);
  age("orvomd.exe", 1);
  fs::create_directories(path("backup"));
  run("//ReName_orvomd.exe");
  EXPECT_EQ(read("orvomd01.exe"), "new program");
  EXPECT_FALSE(has("orvomd.exe"));
  EXPECT_EQ(read("backup/_orvomd" + mmdd() + ".exe"), "old");
  EXPECT_TRUE(opened("orvomd01.exe"));
  EXPECT_TRUE(shown(events(), {"delay", "10", "ReName_orvomd.exe"}));
  EXPECT_EQ(count("red"), 0);
  noReader();
}

// A clinic program that calls its update at every start: with no newer copy
// waiting, its program is started as it is and nothing is reported.
TEST_F(Maintenance, UpdatesWithNothingToUpdateStartTheProgramAsItIs) {
  struct Case {
    const char* C;
    const char* program;  // written first, when given
    const char* opens;    // empty: nothing
  } cases[] = {
      {"//ReName_orvomd.exe", "orvomd01.exe", "orvomd01.exe"},
      {"//ReName_orvomd.exe", "", "orvomd01.exe"},
      {"//ReName_orvo.exe", "orvo00.exe", ""},
  };
  fs::create_directories(path("backup"));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.C) + " " + c.program);
    fs::remove(path("ui.log"));
    for (const char* f : {"orvomd01.exe", "orvo00.exe"}) fs::remove(path(f));
    if (*c.program) write(c.program, "program");
    run(c.C);
    EXPECT_EQ(count("open"), *c.opens ? 1 : 0);
    if (*c.opens) {
      EXPECT_TRUE(opened(c.opens));
    }
    EXPECT_EQ(count("red"), 0);
    EXPECT_EQ(count("delay"), 0);
    if (*c.program) {
      EXPECT_EQ(read(c.program), "program");
    }
    EXPECT_TRUE(fs::is_empty(path("backup")));
  }
  noReader();
}

TEST_F(Maintenance, AFailedUpdateKeepsTheOldProgramAndSaysSo) {
  for (bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only program" : "no backup folder");
    fs::remove_all(path("backup"));
    fs::remove(path("ui.log"));
    if (fs::exists(path("orvomd01.exe")))
      fs::permissions(path("orvomd01.exe"), fs::perms::owner_write, fs::perm_options::add);
    write("orvomd01.exe", "old");
    write("orvomd.exe", "new program");
    age("orvomd.exe", 1);
    if (readOnly) {
      fs::create_directories(path("backup"));
      fs::permissions(path("orvomd01.exe"), fs::perms::owner_write | fs::perms::group_write |
                                                fs::perms::others_write, fs::perm_options::remove);
    }
    run("//ReName_orvomd.exe");
    EXPECT_EQ(read("orvomd01.exe"), "old");
    EXPECT_EQ(read("orvomd.exe"), "new program");
    EXPECT_TRUE(shown(events(), {"red", "更新 失敗", "10"}));
    EXPECT_EQ(count("open"), 0);
  }
  fs::permissions(path("orvomd01.exe"), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(Maintenance, ReNameOrvoReplacesTheClinicProgramOfTheOffice) {
  // Office is "0" when c:\orvo.ini does not name it.
  write("orvo00.exe", "old");
  write("orvo.exe", "new");
  age("orvo00.exe", 20);
  age("orvo.exe", 2);
  fs::create_directories(path("backup"));
  run("//ReName_orvo.exe");
  EXPECT_EQ(read("orvo00.exe"), "new");
  EXPECT_FALSE(has("orvo.exe"));
  EXPECT_EQ(read("backup/orvo" + mmdd() + ".exe"), "old");
  EXPECT_TRUE(opened("orvo00.exe"));
  EXPECT_TRUE(shown(events(), {"delay", "5", "ReName_orvo.exe"}));
  noReader();
}

TEST_F(Maintenance, ReNameOrvoWithoutAnUpdateOrWithTheSameOne) {
  run("//ReName_orvo.exe");  // no orvo.exe: nothing happens
  EXPECT_EQ(count("open"), 0);

  write("orvo.exe", "new");
  run("//ReName_orvo.exe");  // no orvo00.exe yet: the new one is started as it is
  EXPECT_TRUE(opened("orvo.exe"));
  EXPECT_TRUE(has("orvo.exe"));

  fs::remove(path("ui.log"));
  fs::copy_file(path("orvo.exe"), path("orvo00.exe"));
  fs::last_write_time(path("orvo00.exe"), fs::last_write_time(path("orvo.exe")));
  run("//ReName_orvo.exe");  // the same program: the copy is dropped
  EXPECT_FALSE(has("orvo.exe"));
  EXPECT_TRUE(opened("orvo00.exe"));
}

TEST_F(Maintenance, AFailedClinicUpdateOffersARetryInANewRun) {
  // Office is "0" when c:\orvo.ini does not name it.
  struct Case {
    const char* answers;
    bool retried;
  } cases[] = {{"ok", true}, {"cancel", false}, {"", false}};
  for (const Case& c : cases) {
    fs::remove(path("ui.log"));
    write("orvo00.exe", "old");
    write("orvo.exe", "new");
    age("orvo.exe", 2);
    env = {{"IC_UI_ANSWERS", c.answers}};
    run("//ReName_orvo.exe");  // no backup\: the old program is not replaced
    EXPECT_EQ(read("orvo00.exe"), "old") << c.answers;
    EXPECT_TRUE(has("orvo.exe"));
    int msgboxes = 0;
    bool retried = false;
    for (const auto& e : events()) {
      if (e[0] == "msgbox") {
        ++msgboxes;
        EXPECT_EQ(e, (Lines{"msgbox", "更新 失敗", "再更新 一次? ", "okcancel", *c.answers ? c.answers : "cancel"}));
      }
      if (e[0] == "open" && e.size() == 3 && e[2] == "//ReName_orvo.exe") {
        retried = true;
        EXPECT_EQ(fs::path(e[1]).filename().string(), programName("ic"));
      }
    }
    EXPECT_EQ(msgboxes, 1);
    EXPECT_EQ(retried, c.retried) << c.answers;
  }
}

TEST_F(Maintenance, NoicnameMovesTheLongLinesIntoTheDatedFile) {
  run("//ReName_noicname");
  EXPECT_TRUE(shown(events(), {"msgbox", "ic", "No file: noicname.txt", "ok", "ok"}));

  const std::string F = "0000000000" + mmdd();  // OfficeCode's default
  const std::string list = big5("A123456789 王小明\r\nshort\r\n12345678901\r\n");
  struct Case {
    const char* answers;
    const char* opens;  // empty: nothing
    bool moved;
  } cases[] = {
      {"cancel", "", false},
      {"ok,yes", "http://localhost/wpx/runhtmic.php?htmlink=htm/noic.htm", true},
      {"ok,no", "http://www.maker.example/wpx/runhtmic.php?htmlink=htm/noic.htm", true},
      {"ok,cancel", "", true},
      {"ok", "", true},
  };
  std::string expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    fs::remove(path("ui.log"));
    write("noicname.txt", list);
    env = {{"IC_UI_ANSWERS", c.answers}};
    run("//ReName_noicname");
    if (c.moved) expected += big5("A123456789 王小明\r\n12345678901\r\n");
    EXPECT_EQ(has("noicname.txt"), !c.moved);
    EXPECT_EQ(has(F) ? read(F) : "", expected);
    EXPECT_EQ(events()[0], (Lines{"msgbox", "ic", "移動資料到檔案:" + F, "okcancel", c.moved ? "ok" : "cancel"}));
    if (*c.opens) EXPECT_TRUE(opened(c.opens));
    else EXPECT_EQ(count("open"), 0);
  }
  const auto ev = events();
  EXPECT_EQ(ev[1], (Lines{"msgbox", "進入網路說明書",
                          "<是> 醫療網路:  http://localhost/wpx/htm/noic.htm\\r\\n"
                          "<否> 網際網路:  http://www.maker.example/wpx/htm/noic.htm",
                          "yesnocancel", "cancel"}));
  noReader();
}

TEST_F(Maintenance, NoicnameKeepsTheListWhenTheDatedFileCannotBeWritten) {
  fs::create_directories(path("0000000000" + mmdd()));  // a folder where F goes
  write("noicname.txt", "A123456789 somebody\r\n");
  run("//ReName_noicname");
  EXPECT_TRUE(has("noicname.txt"));
  EXPECT_EQ(count("red"), 1);
}

TEST_F(Maintenance, TheUploadRegisterViewer) {
  const std::string record = std::string(22, '0') + "20260307093045" + "20260307093050" + "  0012  0000012345\r\n";
  ASSERT_EQ(record.size(), 70u);
  struct Case {
    const char* name;
    std::string data;
    size_t lines;
  } cases[] = {
      {"no register", "", 0},
      {"one record", record, 4},
      {"a torn last record is shown when half of it is there", record + record.substr(0, 40), 8},
      {"a shorter tear is not", record + record.substr(0, 30), 4},
      {"garbage", std::string(69, '\xff'), 4},
      {"more than 4000 lines' worth", [&] { std::string s; for (int i = 0; i < 1200; ++i) s += record; return s; }(), 4004},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path("ui.log"));
    fs::remove(path("ic/ZupRn"));
    if (!c.data.empty()) write("ic/ZupRn", c.data);
    run("/icZupRn");
    const auto ev = events();
    EXPECT_EQ(ev.front(), (Lines{"list-clear"}));
    EXPECT_EQ(static_cast<size_t>(count("list")), c.lines);
    EXPECT_EQ(ev.end()[-3], (Lines{"caption", "vexa5", "上傳日期時間 查核"}));
    EXPECT_EQ(ev.end()[-2], (Lines{"show", "vexa5"}));
    EXPECT_EQ(ev.back(), (Lines{"exit"}));
    if (c.lines == 4 && c.data == record) {
      EXPECT_EQ(ev[1], (Lines{"list", "上傳日期時間: 115年03月07日  09時30分45秒"}));
      EXPECT_EQ(ev[2], (Lines{"list", "\\t檔案大小: 12345\\t   筆數: 12"}));
      EXPECT_EQ(ev[3], (Lines{"list", "接收日期時間: 115年03月07日  09時30分50秒"}));
      EXPECT_EQ(ev[4], (Lines{"list", ""}));
    }
  }
  noReader();
}

// The clinic program finds a waiting run by its title, "Waiting"; the run
// ends through the main window's unload, which keeps it.
TEST_F(Maintenance, WaitingFormWaitsThenEnds) {
  simState(state(reader(1)));
  run("/WaitingForm");
  EXPECT_EQ(eventLines(), (Lines{"title\tWaiting", "waiting\t請_稍_候", "delay\t15\t請 稍 候",
                                 "close-waiting", "exit"}));
  EXPECT_TRUE(calls("csOpenCom").empty());
}

TEST_F(Maintenance, NetworkDrive) {
#if defined(_WIN32)
  // A share that does not exist: the platform's failure, never a mapping.
  run("Q:\\\\nosuchserver-ic-test\\share");
  bool failed = false;
  for (const auto& e : events())
    if (e[0] == "msgbox" && e[1] == "網路磁碟機" &&
        e[2].rfind("無法連接 Q: \\\\\\\\nosuchserver-ic-test\\\\share\\r\\n錯誤 ", 0) == 0)
      failed = true;
  EXPECT_TRUE(failed) << read("ui.log");
#else
  run("F:\\\\Doctor\\C");
  EXPECT_EQ(eventLines(), (Lines{"msgbox\t網路磁碟機\t此版本無法連接網路磁碟機: F: \\\\\\\\Doctor\\\\C\tok\tok", "exit"}));
#endif
  noReader();
  fs::remove(path("ui.log"));
  run("F:\\\\ ");
  EXPECT_EQ(count("msgbox"), 1);  // no share named: said so, nothing mapped
}
