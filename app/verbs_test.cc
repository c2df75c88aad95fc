#include "app/verbs.h"

#include <gtest/gtest.h>

namespace {
Verb m(std::string_view c, std::string_view exe = "ic") { return matchVerb(c, exe); }
}  // namespace

TEST(VerbTable, EveryVerbIsFoundByItsOwnText) {
  for (int i = static_cast<int>(Verb::OrvoPage); i < static_cast<int>(Verb::None); ++i) {
    Verb v = static_cast<Verb>(i);
    EXPECT_EQ(m(verbName(v)), v) << verbName(v);
    EXPECT_EQ(m(std::string("x ") + verbName(v) + " y"), v) << verbName(v);
  }
}

TEST(VerbTable, EarlierTestsWin) {
  EXPECT_EQ(m("/WriteF2 /ReadF4"), Verb::WriteF2);
  EXPECT_EQ(m("/ReadF4/WriteF2"), Verb::WriteF2);
  EXPECT_EQ(m("/hisWriteEmergentTel /WriteF2"), Verb::WriteF2);
  EXPECT_EQ(m("/hisWriteEmergentTel /ReadF4"), Verb::hisWriteEmergentTel);
  EXPECT_EQ(m("/ReadF4 /DentalTreat"), Verb::DentalTreat);
  EXPECT_EQ(m("/LastTreatTime /DentalTreat"), Verb::LastTreatTime);
  EXPECT_EQ(m("/UpLoadData12 /WriteF2"), Verb::UpLoadData);
  EXPECT_EQ(m("/ReadF4 /icZupRn"), Verb::icZupRn);
  EXPECT_EQ(m("/DataCase/A123456789 /ReadF4"), Verb::DataCase);
  EXPECT_EQ(m("/ReadF4 /Uploadheafa/"), Verb::Uploadheafa);
  EXPECT_EQ(m("/WriteF201New256/hisWriteF2Treatment"), Verb::WriteF2);
  EXPECT_EQ(m("/hisWriteF2Treatment"), Verb::None);
}

TEST(VerbTable, ExactAndPrefixVerbs) {
  EXPECT_EQ(m("/VBbackup/"), Verb::VBbackup);
  EXPECT_EQ(m("/VBbackup/ "), Verb::None);
  EXPECT_EQ(m("/ReName/a.txt/b.txt"), Verb::ReName);
  EXPECT_EQ(m(" /ReName/a/b"), Verb::None);
  EXPECT_EQ(m(""), Verb::ReportSample);
  EXPECT_EQ(m("/ReportSample/"), Verb::ReportSample);
  EXPECT_EQ(m("___/ReportSample/"), Verb::None);
  EXPECT_EQ(m("/UploadMth/"), Verb::UploadMth);
  EXPECT_EQ(m("/UploadMth/ "), Verb::None);
  EXPECT_EQ(m("/DownLoadCode/"), Verb::DownLoadCode);
  EXPECT_EQ(m("/DownLoadProc/"), Verb::DownLoadProc);
  EXPECT_EQ(m("/readf4"), Verb::None);  // case matters
}

TEST(VerbTable, ExecutableNamesAndNetworkDrives) {
  EXPECT_EQ(m("/ReadF4", "VEXA5xxxxxxx"), Verb::UpdateOnly);
  EXPECT_EQ(m("/VBbackup/", "VEXA5xxxxxxx"), Verb::VBbackup);
  EXPECT_EQ(m("/nothing", "vexa5"), Verb::ReadF4);
  EXPECT_EQ(m("", "vexa5"), Verb::ReportSample);
  EXPECT_EQ(m("/nothing", "VEXA5"), Verb::None);
  EXPECT_EQ(m("F:\\\\Doctor\\C"), Verb::NetworkDrive);
  EXPECT_EQ(m("H: \\\\Care\\C /ReadF4"), Verb::ReadF4);
  EXPECT_EQ(m("H:\\Care"), Verb::None);
  EXPECT_TRUE(opensReader(Verb::ReadF4));
  EXPECT_FALSE(opensReader(Verb::icZupRn));
}

TEST(VerbTable, StrangeCommandLinesMatchNothing) {
  std::string junk;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>(1 + (i * 31) % 255);
  EXPECT_EQ(m(junk), Verb::None);
  EXPECT_EQ(m("/"), Verb::None);
  EXPECT_EQ(m(std::string("/Read\0F4", 8)), Verb::None);
}
