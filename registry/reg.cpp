#include "registry/reg.h"

#include <cstring>
#include <iterator>

#include "common/text.h"
#include "registry/key_reads.h"
#include "registry/reg_key.h"

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

RegKey OpenOrCreateForWriting(HKEY rootKey, const std::wstring& key) {
  RegKey handle;
  handle.Create(rootKey, key, KEY_READ | KEY_WRITE);
  return handle;
}

int ReadNames(HKEY rootKey, const std::wstring& key, std::vector<std::wstring>& names, bool valueNames) {
  names.clear();
  const RegKey handle = OpenKeyForReading(rootKey, key);
  if (!handle) return 0;
  names = valueNames ? handle.ValueNames() : handle.SubkeyNames();
  return static_cast<int>(names.size());
}

void WriteValue(HKEY rootKey, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                std::size_t size) {
  const RegKey handle = OpenOrCreateForWriting(rootKey, key);
  if (handle) handle.Set(name, type, data, size);
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

bool TReg::IsKey(HKEY rootKey, const std::wstring& key) { return static_cast<bool>(OpenKeyForReading(rootKey, key)); }

TReg::Bytes TReg::ReadBinary(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  Bytes data;
  const RegKey handle = OpenKeyForReading(rootKey, key);
  DWORD type = REG_NONE;
  if (handle.Query(name, type, data) != ERROR_SUCCESS) return {};
  return data;
}

bool TReg::ReadBool(HKEY rootKey, const std::wstring& key, const std::wstring& name, bool value) {
  return ReadInteger(rootKey, key, name, value ? 1 : 0) != 0;
}

std::int32_t TReg::ReadInteger(HKEY rootKey, const std::wstring& key, const std::wstring& name, std::int32_t value) {
  const RegKey handle = OpenKeyForReading(rootKey, key);
  DWORD type = REG_NONE;
  Bytes data;
  if (handle.Query(name, type, data) != ERROR_SUCCESS) return value;
  if (type != REG_DWORD || data.size() != sizeof(std::int32_t)) return value;
  std::int32_t number = 0;
  std::memcpy(&number, data.data(), sizeof number);
  return number;
}

std::wstring TReg::ReadString(HKEY rootKey, const std::wstring& key, const std::wstring& name,
                              const std::wstring& value) {
  const RegKey handle = OpenKeyForReading(rootKey, key);
  if (!handle) return value;
  DWORD type = REG_NONE;
  Bytes data;
  if (handle.Query(name, type, data) != ERROR_SUCCESS) return {};
  // Values of other types, REG_MULTI_SZ included, do not name a command: they read as empty.
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return TextOfValueData(data.data(), data.size());
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
  const RegKey handle = OpenOrCreateForWriting(rootKey, key);
  if (handle) handle.DeleteTree(name);
}

void TReg::DeleteValue(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  const RegKey handle = OpenOrCreateForWriting(rootKey, key);
  if (handle) handle.DeleteValue(name);
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

std::wstring ParentKey(const std::wstring& key) {
  const auto separator = key.find_last_of(L'\\');
  return separator == std::wstring::npos ? std::wstring() : key.substr(0, separator);
}

RegKey OpenForNotice(HKEY rootKey, const std::wstring& key) {
  RegKey handle;
  handle.Open(rootKey, key, KEY_NOTIFY);
  return handle;
}

}  // namespace

TRegChangeNotice::TRegChangeNotice(HKEY rootKey, std::wstring key)
    : rootKey_(rootKey), key_(std::move(key)), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  Rearm();
}

void TRegChangeNotice::Rearm() {
  // Closing a key ends its notice by signalling the event: the event is reset after that.
  watched_.Close();
  parent_.Close();
  ResetEvent(event_.Get());
  watched_ = OpenForNotice(rootKey_, key_);
  if (watched_) {
    watched_.NotifyChange(false, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event_.Get());
    // The key's own deletion shows as a change of its parent's subkey names.
    parent_ = OpenForNotice(rootKey_, ParentKey(RelativeKeyPath(key_)));
    parent_.NotifyChange(false, REG_NOTIFY_CHANGE_NAME, event_.Get());
    return;
  }
  for (std::wstring ancestor = ParentKey(RelativeKeyPath(key_));; ancestor = ParentKey(ancestor)) {
    parent_ = OpenForNotice(rootKey_, ancestor);
    if (parent_ || ancestor.empty()) break;
  }
  // Asynchronous: the call returns at once and the event is signalled at the first change.
  parent_.NotifyChange(true, REG_NOTIFY_CHANGE_NAME, event_.Get());
}

}  // namespace quorvane
