// Makes a probe program the one that opens http and https addresses in the test prefix, for as
// long as it lives, so that the tests see which addresses the program hands to the shell and
// no browser is started. Tests that keep one declare LOCKS url_handlers.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace quorvane::test {

class UrlProbe {
 public:
  UrlProbe();
  ~UrlProbe();
  UrlProbe(const UrlProbe&) = delete;
  UrlProbe& operator=(const UrlProbe&) = delete;

  // The addresses opened so far, in the order the probe was started for them.
  std::vector<std::string> Opened() const;
  // Waits until count addresses have been opened; the addresses opened by then.
  std::vector<std::string> WaitForOpened(std::size_t count, DWORD timeoutMilliseconds) const;

 private:
  struct SavedCommand {
    std::wstring key;
    std::optional<std::vector<BYTE>> value;
    DWORD type = REG_SZ;
  };

  TempFolder folder_;
  std::wstring probe_;
  std::vector<SavedCommand> saved_;
};

}  // namespace quorvane::test
