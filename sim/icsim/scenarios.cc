#include "sim/icsim/scenarios.h"

#include "sim/cshis/state.h"
#include "sim/declare/state.h"

namespace icsim {

using nlohmann::json;

namespace {

json& hc(json& s) { return s["readers"]["1"]["hc"]; }
json& hpc(json& s) { return s["readers"]["1"]["hpc"]; }

// A visit of the full card: the most recent first, each with its orders.
json visit(int i) {
  char time[48], seq[48];
  std::snprintf(time, sizeof time, "115%02d%02d100000", 11 - i, 10 + i);
  std::snprintf(seq, sizeof seq, "%04d", 7 - i);
  return {{"category", "02"}, {"newborn", " "}, {"time", time}, {"supplement", "1"},
          {"seq", seq}, {"institution", "3501234567"}};
}

const Scenario kScenarios[] = {
    {"good-card", Simulator::Card, "/ReadF4",
     "a valid health card with visits left, an authenticated SAM, a verified professional card",
     [](json&) {}},
    {"expired-card", Simulator::Card, "/WriteF201",
     "a health card whose validity ended (registration refused)",
     [](json& s) { hc(s)["validUntil"] = "1100101"; }},
    {"no-visits-left", Simulator::Card, "/WriteF201",
     "a health card with no visits left (a counted registration refused)",
     [](json& s) { hc(s)["remaining"] = "00"; }},
    {"cancelled-card", Simulator::Card, "/WriteF201",
     "a cancelled health card (registration refused)",
     [](json& s) { hc(s)["cancelMark"] = "2"; }},
    {"no-card", Simulator::Card, "/ReadF4", "a reader with no health card in it",
     [](json& s) { s["readers"]["1"].erase("hc"); }},
    {"no-reader", Simulator::Card, "/ReadF4",
     "no reader on COM1 (the reader is on COM3): the port cannot be opened",
     [](json& s) {
       s["readers"]["3"] = s["readers"]["1"];
       s["readers"].erase("1");
     }},
    {"sam-not-authenticated", Simulator::Card, "/csVerifySAMDC",
     "a SAM not yet authenticated with the insurer: registrations answer 4050 until it is",
     [](json& s) { s["readers"]["1"]["sam"]["status"] = 1; }},
    {"hc-pin-locked", Simulator::Card, "/csVerifyHCPIN",
     "a health card whose PIN is locked: every PIN is refused",
     [](json& s) {
       s["faults"] = json::array({{{"call", "csVerifyHCPIN"}, {"code", 5102}},
                                  {{"call", "csInputHCPIN"}, {"code", 5102}}});
     }},
    {"no-professional-card", Simulator::Card, "/VerifyHPCPIN",
     "a reader without a professional card", [](json& s) { s["readers"]["1"].erase("hpc"); }},
    {"hpc-pin-locked", Simulator::Card, "/hpcUnlockHPC",
     "a professional card locked after three wrong PINs; the keypad holds its unlock code 1111",
     [](json& s) {
       hpc(s)["status"] = 2;
       hpc(s)["locked"] = true;
       hpc(s)["failures"] = 3;
       hpc(s)["unlockCode"] = "1111";
       s["readers"]["1"]["keypad"] = json::array({"1111"});
     }},
    {"network-down", Simulator::Card, "/UpdateHC",
     "the insurer unreachable: the online refresh and the daily upload fail",
     [](json& s) {
       s["network"] = false;
       hc(s)["remaining"] = "00";
     }},
    {"reader-timeout", Simulator::Card, "/ReadF4",
     "a reader that stops answering: the card read times out",
     [](json& s) { s["faults"] = json::array({{{"call", "hisGetRegisterBasic"}, {"code", 4000}}}); }},
    {"full-card", Simulator::Card, "/WriteF201",
     "a full card: six visits, sixty outpatient orders (a registration drops the oldest visit)",
     [](json& s) {
       json visits = json::array(), orders = json::array();
       for (int i = 0; i < 6; ++i) visits.push_back(visit(i));
       for (int i = 0; i < 60; ++i) {
         char item[48];
         std::snprintf(item, sizeof item, "AC%08d", 45856100 + i);
         orders.push_back({{"time", visits[i / 10]["time"]}, {"type", "1"}, {"item", item},
                           {"part", ""}, {"usage", "TID"}, {"days", "03"},
                           {"total", "0000900"}, {"deliver", "01"}});
       }
       hc(s)["visits"] = visits;
       hc(s)["outpatientOrders"] = orders;
       hc(s)["diagnoses"] = json::array();
     }},
    {"newborn", Simulator::Card, "/WriteF201",
     "a mother's card carrying her newborn (born 1151201, first child): the newborn's visit",
     [](json& s) {
       hc(s)["name"] = "林美華";
       hc(s)["id"] = "B234567890";
       hc(s)["sex"] = "F";
       hc(s)["birth"] = "0800515";
       hc(s)["newbornBirth"] = "1151201";
       hc(s)["newbornTwin"] = "1";
     }},
    {"declare-demo", Simulator::Declare, "/UploadMth/",
     "the declaration service: institution 3501234567, password demo, files to download",
     [](json&) {}},
    {"declare-login-refused", Simulator::Declare, "/UploadMth/",
     "the declaration service refuses the login (the password is now secret)",
     [](json& s) { s["institutions"]["3501234567"]["password"] = "secret"; }},
    {"declare-service-down", Simulator::Declare, "/UploadMth/",
     "the declaration service cannot be reached",
     [](json& s) {
       s["faults"] = json::array({{{"call", "PEA_web_login"}, {"code", -1},
                                   {"message", "無法連線到伺服器"}}});
     }},
    {"declare-library-outdated", Simulator::Declare, "/UploadMth/",
     "the declaration library is out of date (its MoveFileEx failure)",
     [](json& s) {
       s["faults"] = json::array({{{"call", "PEA_fa_upload"}, {"code", -3},
                                   {"message", "MoveFileEx 失敗"}}});
     }},
    {"declare-upload-accepted", Simulator::Declare, "/ReportSample/",
     "an upload already accepted: its deletion answers 已受理",
     [](json& s) {
       s["uploads"] = json::array({{{"receipt", "115120100000001"}, {"institution", "3501234567"},
                                    {"file", "totfa.zip"}, {"params", {"FEE_YM=11511"}},
                                    {"time", "1151201090000"}, {"accepted", true}}});
       s["lastReceipt"] = 1;
     }},
    {"declare-check-result", Simulator::Declare, "/ReportSample/",
     "a check result waiting for download through the card reader",
     [](json& s) {
       s["checkResults"] = json::array(
           {{{"files", {{"CHK11511.txt", "檢核結果:不通過\n錯誤筆數:2\n"}}}}});
     }},
};

}  // namespace

std::span<const Scenario> scenarios() { return kScenarios; }

const Scenario* findScenario(const std::string& name) {
  for (const Scenario& s : kScenarios)
    if (name == s.name) return &s;
  return nullptr;
}

std::string scenarioText(const Scenario& s) {
  std::string_view demo =
      s.simulator == Simulator::Card ? sim::demoStateText() : declsim::demoStateText();
  json doc = json::parse(demo);
  s.make(doc);
  return doc.dump(2) + "\n";
}

const char* defaultStateName(Simulator s) {
  return s == Simulator::Card ? "cshis-sim.json" : "declare-sim.json";
}
const char* defaultJournalName(Simulator s) {
  return s == Simulator::Card ? "cshis-sim.log" : "declare-sim.log";
}

}  // namespace icsim
