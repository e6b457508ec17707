#include "registry/reg.h"

#include <cstring>
#include <iterator>

#include "common/scoped.h"
#include "common/text.h"

namespace quorvane {

namespace {

struct RootName {
  HKEY rootKey;
  const wchar_t* longName;
  const wchar_t* shortName;  // nullptr for the roots that have none
};

// In the order in which NameToRootKey tries the names.
const RootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"HKCR"},
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"HKCU"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"HKLM"},
    {HKEY_USERS, L"HKEY_USERS", L"HKU"},
    {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG", nullptr},
    {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA", nullptr},
    {HKEY_DYN_DATA, L"HKEY_DYN_DATA", nullptr},
};

// Always the 64-bit view: a 32-bit build sees the native keys, and reaches the 32-bit mirror
// only by naming "Wow6432Node" in the path.
constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_64KEY;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;

// Value names may be 16,383 characters long and key names 255; this holds either.
constexpr DWORD kNameBufferChars = 32768;

// A value may change size between the size query and the read; give up after a few rounds.
constexpr int kQueryAttempts = 8;

const wchar_t* KeyPath(const std::wstring& key) { return key.c_str() + (key.starts_with(L'\\') ? 1 : 0); }

ScopedRegKey OpenForReading(HKEY rootKey, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(rootKey, KeyPath(key), 0, kReadAccess, &handle) != ERROR_SUCCESS) return {};
  return ScopedRegKey(handle);
}

ScopedRegKey OpenOrCreateForWriting(HKEY rootKey, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(rootKey, KeyPath(key), 0, nullptr, REG_OPTION_NON_VOLATILE, kWriteAccess, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return {};
  }
  return ScopedRegKey(handle);
}

// The value's type and exactly the bytes that the registry returned for it.
bool QueryValue(HKEY key, const std::wstring& name, DWORD& type, TReg::Bytes& data) {
  DWORD size = 0;
  LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  for (int attempt = 0; attempt < kQueryAttempts && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA); ++attempt) {
    data.resize(size);
    status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      return true;
    }
  }
  return false;
}

// The UTF-16 text in the bytes, up to the first NUL or the end of the data, whichever comes
// first; an odd last byte is not part of any character.
std::wstring TextOf(const TReg::Bytes& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  const auto nul = text.find(L'\0');
  if (nul != std::wstring::npos) text.resize(nul);
  return text;
}

std::vector<std::wstring> EnumerateNames(HKEY key, bool valueNames) {
  std::vector<std::wstring> names;
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

int ReadNames(HKEY rootKey, const std::wstring& key, std::vector<std::wstring>& names, bool valueNames) {
  names.clear();
  const ScopedRegKey handle = OpenForReading(rootKey, key);
  if (!handle) return 0;
  names = EnumerateNames(handle.Get(), valueNames);
  return static_cast<int>(names.size());
}

void WriteValue(HKEY rootKey, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                std::size_t size) {
  const ScopedRegKey handle = OpenOrCreateForWriting(rootKey, key);
  if (!handle) return;
  RegSetValueExW(handle.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

// Deletes the subkey and everything below it: at each level the subkeys go first, from the
// last enumeration index to the first.
void DeleteKeyTree(HKEY parent, const std::wstring& name) {
  HKEY child = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, kWriteAccess, &child) == ERROR_SUCCESS) {
    const ScopedRegKey scopedChild(child);
    const std::vector<std::wstring> subkeys = EnumerateNames(child, false);
    for (auto subkey = subkeys.rbegin(); subkey != subkeys.rend(); ++subkey) DeleteKeyTree(child, *subkey);
  }
  RegDeleteKeyExW(parent, name.c_str(), KEY_WOW64_64KEY, 0);
}

}  // namespace

std::wstring RootKeyToName(HKEY rootKey, bool shortName) {
  for (const RootName& root : kRootNames) {
    if (root.rootKey == rootKey) return (shortName && root.shortName) ? root.shortName : root.longName;
  }
  return {};
}

HKEY NameToRootKey(const std::wstring& text) {
  for (const RootName& root : kRootNames) {
    if (EqualsIgnoreAsciiCase(text, root.longName) || (root.shortName && EqualsIgnoreAsciiCase(text, root.shortName))) {
      return root.rootKey;
    }
  }
  return nullptr;
}

bool TReg::IsKey(HKEY rootKey, const std::wstring& key) { return static_cast<bool>(OpenForReading(rootKey, key)); }

TReg::Bytes TReg::ReadBinary(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  Bytes data;
  const ScopedRegKey handle = OpenForReading(rootKey, key);
  DWORD type = REG_NONE;
  if (!handle || !QueryValue(handle.Get(), name, type, data)) return {};
  return data;
}

bool TReg::ReadBool(HKEY rootKey, const std::wstring& key, const std::wstring& name, bool value) {
  return ReadInteger(rootKey, key, name, value ? 1 : 0) != 0;
}

std::int32_t TReg::ReadInteger(HKEY rootKey, const std::wstring& key, const std::wstring& name, std::int32_t value) {
  const ScopedRegKey handle = OpenForReading(rootKey, key);
  DWORD type = REG_NONE;
  Bytes data;
  if (!handle || !QueryValue(handle.Get(), name, type, data)) return value;
  if (type != REG_DWORD || data.size() != sizeof(std::int32_t)) return value;
  std::int32_t number = 0;
  std::memcpy(&number, data.data(), sizeof number);
  return number;
}

std::wstring TReg::ReadString(HKEY rootKey, const std::wstring& key, const std::wstring& name,
                              const std::wstring& value) {
  const ScopedRegKey handle = OpenForReading(rootKey, key);
  if (!handle) return value;
  DWORD type = REG_NONE;
  Bytes data;
  if (!QueryValue(handle.Get(), name, type, data)) return {};
  // Values of other types, REG_MULTI_SZ included, do not name a command: they read as empty.
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return TextOf(data);
}

int TReg::ReadKeyNames(HKEY rootKey, const std::wstring& key, std::vector<std::wstring>& keyNames) {
  return ReadNames(rootKey, key, keyNames, false);
}

int TReg::ReadValueNames(HKEY rootKey, const std::wstring& key, std::vector<std::wstring>& valueNames) {
  return ReadNames(rootKey, key, valueNames, true);
}

void TReg::WriteBinary(HKEY rootKey, const std::wstring& key, const std::wstring& name, const Bytes& value) {
  WriteValue(rootKey, key, name, REG_BINARY, value.data(), value.size());
}

void TReg::WriteInteger(HKEY rootKey, const std::wstring& key, const std::wstring& name, std::int32_t value) {
  WriteValue(rootKey, key, name, REG_DWORD, &value, sizeof value);
}

void TReg::WriteString(HKEY rootKey, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  WriteValue(rootKey, key, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TReg::DeleteKey(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  // An empty subkey name would make the deletion take key itself, with all it holds.
  if (name.empty()) return;
  const ScopedRegKey handle = OpenOrCreateForWriting(rootKey, key);
  if (handle) DeleteKeyTree(handle.Get(), name);
}

void TReg::DeleteValue(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  const ScopedRegKey handle = OpenOrCreateForWriting(rootKey, key);
  if (handle) RegDeleteValueW(handle.Get(), name.c_str());
}

bool TReg::Parse(const std::wstring& text, HKEY& rootKey, std::wstring& key, std::wstring& name) {
  key.clear();
  name.clear();
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (std::size_t separator; (separator = text.find(L'\\', start)) != std::wstring::npos; start = separator + 1) {
    parts.push_back(text.substr(start, separator - start));
  }
  parts.push_back(text.substr(start));
  if (parts.size() < 3) return false;

  rootKey = NameToRootKey(parts.front());
  for (auto part = std::next(parts.begin()); part != std::prev(parts.end()); ++part) {
    if (part != std::next(parts.begin())) key += L'\\';
    key += *part;
  }
  name = parts.back();
  return true;
}

void TReg::Delete(const std::wstring& text) {
  HKEY rootKey = nullptr;
  std::wstring key;
  std::wstring name;
  if (!Parse(text, rootKey, key, name)) return;
  // A path that ends in a backslash names the key's unnamed default value, never the key.
  if (!name.empty() && IsKey(rootKey, key + L'\\' + name)) {
    DeleteKey(rootKey, key, name);
  } else {
    DeleteValue(rootKey, key, name);
  }
}

namespace {

constexpr REGSAM kNotifyAccess = KEY_NOTIFY | KEY_WOW64_64KEY;

std::wstring ParentKey(const std::wstring& key) {
  const auto separator = key.find_last_of(L'\\');
  return separator == std::wstring::npos ? std::wstring() : key.substr(0, separator);
}

ScopedRegKey OpenForNotice(HKEY rootKey, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(rootKey, KeyPath(key), 0, kNotifyAccess, &handle) != ERROR_SUCCESS) return {};
  return ScopedRegKey(handle);
}

// Asynchronous: the call returns at once and the event is signalled at the first change.
void Notify(const ScopedRegKey& key, bool subtree, DWORD filter, HANDLE event) {
  if (key) RegNotifyChangeKeyValue(key.Get(), subtree ? TRUE : FALSE, filter, event, TRUE);
}

}  // namespace

TRegChangeNotice::TRegChangeNotice(HKEY rootKey, std::wstring key)
    : rootKey_(rootKey), key_(std::move(key)), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  Rearm();
}

void TRegChangeNotice::Rearm() {
  // Closing a key ends its notice by signalling the event: the event is reset after that.
  watched_.Reset();
  parent_.Reset();
  ResetEvent(event_.Get());
  watched_ = OpenForNotice(rootKey_, key_);
  if (watched_) {
    Notify(watched_, false, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event_.Get());
    // The key's own deletion shows as a change of its parent's subkey names.
    parent_ = OpenForNotice(rootKey_, ParentKey(KeyPath(key_)));
    Notify(parent_, false, REG_NOTIFY_CHANGE_NAME, event_.Get());
    return;
  }
  for (std::wstring ancestor = ParentKey(KeyPath(key_));; ancestor = ParentKey(ancestor)) {
    parent_ = OpenForNotice(rootKey_, ancestor);
    if (parent_ || ancestor.empty()) break;
  }
  Notify(parent_, true, REG_NOTIFY_CHANGE_NAME, event_.Get());
}

}  // namespace quorvane
