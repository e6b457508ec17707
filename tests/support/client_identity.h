// The check-in keeps the user's client identifier at a fixed place, HKCU\Software\Tesmora,
// value "TUID". A test that lets the check-in read or create it keeps one of these, which puts
// that place back as it was when the test ends. Such tests declare LOCKS client_identity.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvane::test {

inline constexpr wchar_t kClientIdKey[] = L"Software\\Tesmora";
inline constexpr wchar_t kClientIdValue[] = L"TUID";

class ClientIdentityGuard {
 public:
  ClientIdentityGuard();
  ~ClientIdentityGuard();
  ClientIdentityGuard(const ClientIdentityGuard&) = delete;
  ClientIdentityGuard& operator=(const ClientIdentityGuard&) = delete;

  // Removes the identifier, so that the check-in makes a new one.
  static void Forget();

 private:
  bool keyExisted_;
  std::optional<std::vector<BYTE>> value_;
  DWORD type_ = REG_NONE;
};

}  // namespace quorvane::test
