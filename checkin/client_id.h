// The per-user client identifier that the check-in sends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quorvane {

// The client identifier of this Windows user, "TUID" under HKEY_CURRENT_USER\Software\Tesmora:
// read, or made and stored on first use. Empty when the registry cannot be used or the value
// is not a string.
std::wstring GetClientID();

// GetClientID on a given key, storing a new identifier through store, which tells whether the
// write succeeded. Only the registry's own write is ever passed in the program; the tests pass
// one that fails, which a real registry cannot be made to do.
using ClientIdStore = std::function<bool(HKEY key, const std::wstring& identifier)>;
std::wstring ReadOrCreateClientID(HKEY root, const std::wstring& keyPath, const ClientIdStore& store);

// A new identifier of 32 characters: 8 random hexadecimal digits, the local date "yymmdd", 4
// random hexadecimal digits, the local time "hhnnss", 8 random hexadecimal digits.
std::wstring NewClientID();

}  // namespace quorvane
