// One open registry key, always in the 64-bit view, closed when its owner goes out of scope.
// Every call gives the registry's own status (ERROR_SUCCESS or its error code) and leaves the
// judgement of a failure to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorvane {

// The key path as the registry takes it: without the one leading backslash that the program's
// paths may carry.
const wchar_t* RelativeKeyPath(const std::wstring& path);

class RegKey {
 public:
  using Bytes = std::vector<std::uint8_t>;

  RegKey() = default;
  // Takes over a key that the caller opened.
  explicit RegKey(HKEY handle) : handle_(handle) {}
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { Close(); }

  // Open an existing key, or create the missing keys of the path first, with access in the
  // 64-bit view: a 32-bit build sees the native keys, and reaches the 32-bit mirror only by
  // naming "Wow6432Node" in the path. A key held before is closed first; on failure the owner
  // holds none.
  LONG Open(HKEY parent, const std::wstring& path, REGSAM access);
  LONG Create(HKEY parent, const std::wstring& path, REGSAM access);
  void Close();

  HKEY Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  // The value's type and exactly the bytes that the registry returned for it. A value that
  // changes size between the size query and the read is read again, a few times at most;
  // ERROR_MORE_DATA when it kept changing. type and data are left alone on failure.
  LONG Query(const std::wstring& name, DWORD& type, Bytes& data) const;
  LONG Set(const std::wstring& name, DWORD type, const void* data, std::size_t size) const;
  // A REG_SZ value of the text and its terminating NUL.
  LONG SetString(const std::wstring& name, const std::wstring& text) const;
  LONG DeleteValue(const std::wstring& name) const;
  // Deletes the subkey with everything below it. An empty name would take this key itself: it
  // deletes nothing and gives ERROR_INVALID_PARAMETER.
  LONG DeleteTree(const std::wstring& name) const;

  // The names in the registry's order, up to the first that cannot be read; names longer than
  // the registry allows are skipped. The unnamed default value is listed as the empty text.
  std::vector<std::wstring> ValueNames() const;
  std::vector<std::wstring> SubkeyNames() const;

  // Asynchronous: signals event at the first change that filter names, once. Closing the key
  // ends the notice by signalling the event too.
  LONG NotifyChange(bool subtree, DWORD filter, HANDLE event) const;

 private:
  HKEY handle_ = nullptr;
};

// The read loop of RegKey::Query over a call shaped like RegQueryValueExW on one value, with its
// type, data and size parameters. Query passes the registry's own; the tests pass one that
// changes the value between the calls.
using ValueQuery = std::function<LONG(DWORD* type, BYTE* data, DWORD* size)>;
LONG QueryWithRetry(const ValueQuery& query, DWORD& type, RegKey::Bytes& data);

}  // namespace quorvane
