// A certificate authority of a test's own in the test prefix's trusted roots (LocalMachine
// ROOT), for as long as the owner lives. Tests that use it hold the root_certificates lock.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <string>

namespace quorvane::test {

class TrustedAuthority {
 public:
  // The authority's certificate in DER.
  explicit TrustedAuthority(const std::string& der);
  ~TrustedAuthority();
  TrustedAuthority(const TrustedAuthority&) = delete;
  TrustedAuthority& operator=(const TrustedAuthority&) = delete;

 private:
  HCERTSTORE store_;
  PCCERT_CONTEXT added_ = nullptr;
};

}  // namespace quorvane::test
