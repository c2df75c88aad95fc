// The ready states icsim writes: each a state file of one simulator, made
// from that simulator's demo state, for one situation a clinic program meets.
#pragma once

#include <span>
#include <string>

#include <nlohmann/json.hpp>

namespace icsim {

enum class Simulator { Card, Declare };

struct Scenario {
  const char* name;
  Simulator simulator;
  const char* verb;     // the command line of ic it is played with
  const char* purpose;  // one line: what it is for
  void (*make)(nlohmann::json& state);  // changes the demo state
};

std::span<const Scenario> scenarios();
const Scenario* findScenario(const std::string& name);

// The scenario's state file text (UTF-8 JSON, two-space indents, LF).
std::string scenarioText(const Scenario& s);

// The file name the simulator reads by default in the current folder.
const char* defaultStateName(Simulator s);
const char* defaultJournalName(Simulator s);

}  // namespace icsim
