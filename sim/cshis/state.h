// The simulated readers and their cards as the state file describes them:
// the schema, reading it (with the reason when the file is unusable), writing
// it back, and the built-in demo state used when there is no file.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "record.h"

namespace sim {

// Card statuses as hisGetCardStatus answers them.
inline constexpr int kStatusAbsent = 0;
inline constexpr int kStatusNotAuthenticated = 1;  // SAM: not with the insurer; cards: not with the SAM
inline constexpr int kStatusAuthenticated = 2;     // SAM: with the insurer; cards: with the SAM
inline constexpr int kHpcStatusPinVerified = 3;
inline constexpr int kHcStatusWithHpc = 3;
inline constexpr int kHcStatusPinVerified = 4;
inline constexpr int kStatusWrongCard = 9;

struct Sam {
  int status = kStatusAuthenticated;
  std::string institution;
  std::string samId;
};

struct HealthCard {
  int status = kStatusAuthenticated;
  Record basic = emptyRecord(layout::kBasic);
  std::string lastSeq;
  std::string emergencyTel;
  std::string organDonation;
  std::string outpatientTotal;
  std::string inpatientTotal;
  std::string pin;  // empty: the card asks for no PIN
  std::vector<Record> visits;
  std::vector<Record> majorIllness;
  std::vector<Record> diagnoses;
  std::vector<Record> outpatientOrders;
  std::vector<Record> longTermPrescriptions;
  std::vector<Record> importantOrders;
  std::vector<std::string> allergies;
  std::vector<Record> yearlyTotals;
  std::vector<Record> prevent;
  std::vector<Record> prenatal;
  std::vector<Record> inoculations;
  // Function name (or hisReadPrescription.<part>) to the exact reply text.
  std::map<std::string, std::string> raw;
};

struct ProfessionalCard {
  int status = kStatusAuthenticated;
  std::string pin;
  std::optional<std::string> unlockCode;  // absent: the PIN unlocks the card
  bool locked = false;
  int failures = 0;  // wrong PINs in a row; the card locks at the third
  std::string cardNo;
  std::string id;
  std::string name;
  std::string englishName;
};

struct Reader {
  std::optional<std::string> clock;  // ROC yyyMMddHHmmss; absent: the system clock
  std::vector<std::string> keypad;
  std::optional<Sam> sam;
  std::optional<HealthCard> hc;
  std::optional<ProfessionalCard> hpc;
};

struct Fault {
  std::string call;
  int code = 0;
  std::optional<int> times;  // absent: every call
  int after = 0;
};

struct State {
  bool network = true;
  std::map<std::string, Reader> readers;  // "1".."4"
  std::vector<Fault> faults;
  std::optional<std::string> uploadTime;   // Gregorian yyyyMMddHHmmss
  std::optional<std::string> receiveTime;
};

// A health-card group of the state file: its key, its layout on the card, and
// where the simulator keeps it.
struct Section {
  const char* key;
  const layout::Group* group;
  std::vector<Record> HealthCard::*records;
};
extern const Section kSections[10];

// Reads a state file's text. On success `doc` is the parsed document (kept so
// that a rewrite preserves keys the simulator does not know). Otherwise the
// result is empty and `error` says why, naming the place in the file.
std::optional<State> parseState(std::string_view text, nlohmann::json& doc, std::string& error);

// Writes the reader (when `readerKey` names one) and the faults into the
// document in the state file's schema, keeping what else the document holds.
void storeState(const State& state, const std::string& readerKey, nlohmann::json& doc);

// The state used while there is no state file.
std::string_view demoStateText();

}  // namespace sim
