#include "registry/reg_key.h"

#include <utility>

namespace quorvane {

namespace {

// Value names may be 16,383 characters long and key names 255; this holds either.
constexpr DWORD kNameBufferChars = 32768;

// A value may change size between the size query and the read; give up after a few rounds.
constexpr int kQueryAttempts = 8;

constexpr REGSAM kTreeAccess = KEY_READ | KEY_WRITE;

}  // namespace

const wchar_t* RelativeKeyPath(const std::wstring& path) { return path.c_str() + (path.starts_with(L'\\') ? 1 : 0); }

RegKey::RegKey(RegKey&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

LONG RegKey::Open(HKEY parent, const std::wstring& path, REGSAM access) {
  Close();
  HKEY handle = nullptr;
  const LONG status = RegOpenKeyExW(parent, RelativeKeyPath(path), 0, access | KEY_WOW64_64KEY, &handle);
  if (status == ERROR_SUCCESS) handle_ = handle;
  return status;
}

LONG RegKey::Create(HKEY parent, const std::wstring& path, REGSAM access) {
  Close();
  HKEY handle = nullptr;
  const LONG status = RegCreateKeyExW(parent, RelativeKeyPath(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      access | KEY_WOW64_64KEY, nullptr, &handle, nullptr);
  if (status == ERROR_SUCCESS) handle_ = handle;
  return status;
}

void RegKey::Close() {
  if (handle_) RegCloseKey(std::exchange(handle_, nullptr));
}

LONG QueryWithRetry(const ValueQuery& query, DWORD& type, RegKey::Bytes& data) {
  DWORD queriedType = REG_NONE;
  DWORD size = 0;
  LONG status = query(&queriedType, nullptr, &size);
  RegKey::Bytes buffer;
  for (int attempt = 0; attempt < kQueryAttempts && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA); ++attempt) {
    buffer.resize(size);
    // An empty buffer makes the call a size query again: its success says nothing of the data
    // unless the value is still empty.
    status = query(&queriedType, buffer.empty() ? nullptr : buffer.data(), &size);
    if (status == ERROR_SUCCESS && size <= buffer.size()) {
      buffer.resize(size);
      type = queriedType;
      data = std::move(buffer);
      return ERROR_SUCCESS;
    }
  }
  return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
}

LONG RegKey::Query(const std::wstring& name, DWORD& type, Bytes& data) const {
  if (!handle_) return ERROR_INVALID_HANDLE;
  return QueryWithRetry(
      [this, &name](DWORD* queriedType, BYTE* buffer, DWORD* size) {
        return RegQueryValueExW(handle_, name.c_str(), nullptr, queriedType, buffer, size);
      },
      type, data);
}

LONG RegKey::Set(const std::wstring& name, DWORD type, const void* data, std::size_t size) const {
  if (!handle_) return ERROR_INVALID_HANDLE;
  return RegSetValueExW(handle_, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

LONG RegKey::SetString(const std::wstring& name, const std::wstring& text) const {
  return Set(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

LONG RegKey::DeleteValue(const std::wstring& name) const {
  if (!handle_) return ERROR_INVALID_HANDLE;
  return RegDeleteValueW(handle_, name.c_str());
}

// At each level the subkeys go first, from the last enumeration index to the first.
LONG RegKey::DeleteTree(const std::wstring& name) const {
  if (!handle_) return ERROR_INVALID_HANDLE;
  if (name.empty()) return ERROR_INVALID_PARAMETER;
  RegKey child;
  if (child.Open(handle_, name, kTreeAccess) == ERROR_SUCCESS) {
    const std::vector<std::wstring> subkeys = child.SubkeyNames();
    for (auto subkey = subkeys.rbegin(); subkey != subkeys.rend(); ++subkey) child.DeleteTree(*subkey);
  }
  return RegDeleteKeyExW(handle_, name.c_str(), KEY_WOW64_64KEY, 0);
}

namespace {

std::vector<std::wstring> EnumerateNames(HKEY key, bool valueNames) {
  std::vector<std::wstring> names;
  if (!key) return names;
  std::vector<wchar_t> buffer(kNameBufferChars);
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameBufferChars;
    const LONG status = valueNames
                            ? RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                            : RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;  // longer than any name the registry allows: skip it
    if (status != ERROR_SUCCESS) break;
    names.emplace_back(buffer.data(), length);
  }
  return names;
}

}  // namespace

std::vector<std::wstring> RegKey::ValueNames() const { return EnumerateNames(handle_, true); }

std::vector<std::wstring> RegKey::SubkeyNames() const { return EnumerateNames(handle_, false); }

LONG RegKey::NotifyChange(bool subtree, DWORD filter, HANDLE event) const {
  if (!handle_) return ERROR_INVALID_HANDLE;
  return RegNotifyChangeKeyValue(handle_, subtree ? TRUE : FALSE, filter, event, TRUE);
}

}  // namespace quorvane
