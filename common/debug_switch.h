// The process-wide debug switch. The program turns it on at start, before any thread exists;
// the check-in reports it to the publisher's service.
#pragma once

#include <atomic>

namespace quorvane {

inline std::atomic<bool>& DebugSwitchValue() {
  static std::atomic<bool> value{false};
  return value;
}

inline void SetDebugSwitch(bool on) { DebugSwitchValue().store(on); }
inline bool DebugSwitch() { return DebugSwitchValue().load(); }

}  // namespace quorvane
