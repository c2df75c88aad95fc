// The faults of a simulator's state file: a call named by a fault answers the
// fault's code instead of doing its work, after skipping `after` calls, for
// `times` calls (every call when absent). Shared by the simulators, whose fault
// records differ only in what else they carry.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace sim {

// The fault that answers this call of `call`, if any; `changed` is set when
// the list changed and the state is to be saved. Used-up faults are removed.
template <class Fault>
std::optional<Fault> takeFault(std::vector<Fault>& faults, std::string_view call, bool& changed) {
  std::optional<Fault> hit;
  changed = false;
  for (Fault& f : faults) {
    if (f.call != call || (f.times && *f.times <= 0)) continue;
    // Every fault of the call sees the call: its skip count moves on even
    // when an earlier fault answers.
    if (f.after > 0) {
      --f.after;
      changed = true;
    } else if (!hit) {
      hit = f;
      if (f.times) {
        --*f.times;
        changed = true;
      }
    }
  }
  if (std::erase_if(faults,
                    [&](const Fault& f) { return f.call == call && f.times && *f.times <= 0; }))
    changed = true;
  return hit;
}

}  // namespace sim
