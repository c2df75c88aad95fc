#include "frame/settings.h"

#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace {

struct SettingsTest : ::testing::Test {
  FakeRun f;
  void SetUp() override { f.disk.files["w:\\orvosys.ini"] = "[OrvoDent]\r\n"; }
};

}  // namespace

TEST_F(SettingsTest, DefaultsWithoutOrvoIni) {
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.softAppUrl, "http://localhost/");
  EXPECT_EQ(f.run.settings.office, "0");
  EXPECT_EQ(f.run.settings.officeCode, "0000000000");
  EXPECT_EQ(f.run.settings.hospDataType, "13");
  EXPECT_EQ(f.run.settings.beginLink, 0);
  EXPECT_EQ(f.run.settings.workDir, "w:\\");
}

TEST_F(SettingsTest, MarkerFilesChooseTheInstitution) {
  f.disk.files["c:\\orvo.ini"] = "[OrvoDent]\r\nOffice=3\r\nOfficeCode=3501234567\r\n";
  f.disk.files["drug.exe"] = "";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.office, "3");
  EXPECT_EQ(f.run.settings.officeCode, "3501234567");
  EXPECT_EQ(f.run.settings.hospDataType, "13");

  f.disk.files["6drug"] = "";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.officeCode, "9900000011");
  EXPECT_EQ(f.run.settings.hospDataType, "30");

  f.disk.files.erase("drug.exe");
  f.disk.files["orvomd01.exe"] = "";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.office, "1");
  EXPECT_EQ(f.run.settings.officeCode, "9900000022");
  EXPECT_EQ(f.run.settings.hospDataType, "11");
}

TEST_F(SettingsTest, BeginlinkOnlyFromTheWorkingFolder) {
  f.disk.files["w:\\orvosys.ini"] = "[OrvoDent]\r\nbeginlink= 1 \r\n";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.beginLink, 1);
  f.run.settings.beginLink = 0;
  f.disk.files["w:\\orvosys.ini"] = "[OrvoDent]\r\nbeginlink=99999999\r\n";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.beginLink, 0);
  f.disk.files["orvomd01.exe"] = "";
  f.disk.files["w:\\orvosys.ini"] = "[OrvoDent]\r\nbeginlink=1\r\n";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.beginLink, 0);
}

TEST_F(SettingsTest, AFolderWithoutOrvosysIniGivesWayToDirectory) {
  f.disk.files.erase("w:\\orvosys.ini");
  f.disk.folders.push_back("c:\\orvo");
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.workDir, "c:\\orvo\\");
  EXPECT_EQ(f.sys.cwd, "c:\\orvo");

  f.run.settings.workDir = "w:\\";
  f.disk.files["c:\\orvo.ini"] = "[OrvoDent]\r\nDirectory=d:\\clinic\\\r\n";
  readSettings(f.run);
  EXPECT_EQ(f.run.settings.workDir, "d:\\clinic\\");
}

TEST_F(SettingsTest, OrvoDentFallsBackToTheCurrentFolder) {
  EXPECT_EQ(readOrvoDent(f.run, "IC4COM"), "");
  f.disk.files["orvosys.ini"] = "[OrvoDent]\r\nIC4COMX=9\r\nIC4COM=3 \r\n";
  // The platform resolves the bare name in its own folder, where there is none.
  EXPECT_EQ(readOrvoDent(f.run, "IC4COM"), "3 ");
  f.disk.files["c:\\windows\\orvosys.ini"] = "[OrvoDent]\r\nIC4COM= 2 \r\n";
  EXPECT_EQ(readOrvoDent(f.run, "IC4COM"), "2");
}
