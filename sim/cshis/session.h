// The reader the program has open: where its state and journal live, the
// state as loaded, the faults still to come, and every rewrite of the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "state.h"

namespace sim {

// A state file larger than this is not a card's state.
inline constexpr size_t kMaxStateBytes = 4 << 20;

struct Paths {
  std::string state;
  std::string journal;
};

// CSHIS_SIM, else cshis-sim.json in the current folder; CSHIS_SIM_LOG, else
// cshis-sim.log beside the state file. Both made absolute against the current
// folder, so that a later change of folder does not move them.
Paths resolvePaths();

class Session {
 public:
  // Opens reader `port + 1`: 0, or 4000 with the note saying why there is
  // none, or the code of a csOpenCom fault.
  int open(int port);
  void close();
  bool isOpen() const { return open_; }

  // The paths of the open reader, or where the next csOpenCom would look.
  Paths paths() const;

  State& state() { return state_; }
  Reader& reader() { return state_.readers.at(key_); }

  // The fault that answers this call, if any; the count of every fault of the
  // call moves on and the file is rewritten when that changed something.
  std::optional<int> takeFault(std::string_view call);

  // Rewrites the state file (temporary file, then renamed over it); on
  // failure `note()` says so.
  void save();

  // The reader clock, ROC yyyMMddHHmmss.
  std::string clock() const;
  // The next keypad entry, removed; nothing when the keypad is empty.
  std::optional<std::string> takeKeypadEntry();

  // What the simulator has to say about the current call (journal note).
  std::string& note() { return note_; }

 private:
  bool load(std::string& error);

  bool open_ = false;
  Paths paths_;
  nlohmann::json doc_;
  State state_;
  std::string key_;
  std::string note_;
};

}  // namespace sim
