// Checking a state file of either simulator: every problem the simulator
// would refuse the file for, each with its line, column and field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/icsim/scenarios.h"

namespace icsim {

struct Problem {
  int line = 1;    // 1-based
  int column = 1;  // 1-based, in characters
  std::string field;  // the place in the file ("readers.1.hc.name"), empty for the file
  std::string what;
};

// Which simulator the document is for: the declaration service's keys make it
// the service's, else the card reader's; `fileName` decides when the keys do not.
Simulator simulatorOf(std::string_view text, std::string_view fileName);

// Every problem of the text as a state file of `s` (none: the simulator takes it).
std::vector<Problem> checkState(std::string_view text, Simulator s);

// The keys of a state the simulator takes that it does not know: kept as they
// are, never read, so most often a misspelt key ("remainig"). A reader key
// other than "1" to "4" is one too.
std::vector<Problem> unknownKeys(std::string_view text, Simulator s);

}  // namespace icsim
