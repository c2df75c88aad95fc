// The simulated declaration service as its state file describes it: the
// institutions that may log in, the uploads the service holds, its answers,
// the downloadable files, the check results waiting for the card reader, the
// exchanges it has handed out identifiers for, and the faults to come.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace declsim {

struct Institution {
  std::string password;
};

struct Upload {
  std::string receipt;  // 15 digits
  std::string institution;
  std::string file;
  std::vector<std::string> params;  // the parameter file's lines
  std::string time;                 // ROC yyyMMddHHmmss
  bool accepted = false;            // taken up for processing: can no longer be deleted
};

// A check result: file name to text (UTF-8 here, CP950 in the archive).
using Files = std::map<std::string, std::string>;

// Identifiers handed out by NHI_SendB ("send") or NHI_DownloadB ("check", with
// the result bound to them).
struct Exchange {
  std::string kind;
  std::string localId;
  std::string nhiId;
  std::string dataType;
  std::string file;  // send: the file sent
  Files files;       // check: the result's files
};

struct Fault {
  std::string call;
  int code = 0;
  std::optional<std::string> message;  // web service: what PEA_get_errmsg answers
  std::optional<int> times;            // absent: every call
  int after = 0;
};

struct State {
  std::map<std::string, Institution> institutions;
  std::vector<Upload> uploads;
  std::optional<std::string> receiptAnswer;
  std::optional<std::string> processAnswer;
  std::map<std::string, std::string> downloads;
  std::vector<Files> checkResults;
  std::vector<Exchange> exchanges;
  std::vector<Fault> faults;
  std::optional<std::string> today;  // Gregorian yyyyMMdd; absent: the system clock
  int lastReceipt = 0;               // counter of the last receipt number given
  int lastExchange = 0;              // counter of the last identifiers given
};

// Reads a state file's text. On success `doc` is the parsed document (kept so
// that a rewrite preserves keys the simulator does not know). Otherwise the
// result is empty and `error` says why, naming the place in the file.
std::optional<State> parseState(std::string_view text, nlohmann::json& doc, std::string& error);

// Writes the state into the document in the state file's schema, keeping what
// else the document holds.
void storeState(const State& state, nlohmann::json& doc);

// The state used while there is no state file.
std::string_view demoStateText();

// The check result NHI_DownloadB binds when `checkResults` is empty.
Files defaultCheckResult();

}  // namespace declsim
