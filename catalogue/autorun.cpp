#include "catalogue/autorun.h"

#include <shlobj.h>

#include <cstdint>

#include "catalogue/sources.h"
#include "common/locale_text.h"
#include "common/shell.h"
#include "common/text.h"
#include "registry/key_reads.h"

namespace quorvane {

namespace {

constexpr std::uint8_t kApprovedEnabled = 2;
constexpr std::uint8_t kApprovedDisabled = 3;
constexpr std::size_t kApprovedSize = 12;

// Where the StartupApproved value of a Run-key or Startup-folder entry lies.
struct ApprovedValue {
  HKEY rootKey = nullptr;
  std::wstring key;
  std::wstring name;
};

// A Run entry's Target is the short root name, one of the catalogue's Run keys and the value's
// name, which may itself hold backslashes.
std::optional<ApprovedValue> RunEntryApprovedValue(const std::wstring& target) {
  for (const RunKeyLocation& runKey : kRunKeys) {
    const std::wstring prefix = RootKeyToName(runKey.rootKey, true) + runKey.key + L'\\';
    if (!StartsWithIgnoreAsciiCase(target, prefix)) continue;
    return ApprovedValue{runKey.rootKey, ApprovedKeyOfRunKey(runKey.key), target.substr(prefix.size())};
  }
  return std::nullopt;
}

std::optional<ApprovedValue> StartupFileApprovedValue(const std::wstring& target) {
  const auto separator = target.rfind(L'\\');
  if (separator == std::wstring::npos) return std::nullopt;
  return ApprovedValue{ApprovedRootOfStartupFolder(target.substr(0, separator)), kApprovedStartupFolderKey,
                       target.substr(separator + 1)};
}

std::optional<ApprovedValue> ApprovedValueOf(const TAutorunInfo& entry) {
  switch (SourceKindOf(entry.From)) {
    case SourceKind::Registry:
      return RunEntryApprovedValue(entry.Target);
    case SourceKind::StartupFile:
      return StartupFileApprovedValue(entry.Target);
    case SourceKind::Task:
    case SourceKind::Service:
      break;
  }
  return std::nullopt;
}

}  // namespace

SourceKind SourceKindOf(const std::wstring& from) {
  if (SameTextUserLocale(from, kFromFile)) return SourceKind::StartupFile;
  if (SameTextUserLocale(from, kFromTask)) return SourceKind::Task;
  if (SameTextUserLocale(from, kFromService)) return SourceKind::Service;
  return SourceKind::Registry;
}

void RefreshAutorunList(AutorunList& list) {
  list.clear();
  AddStartupFolders(list);
  AddRunKeys(list);
  AddTasks(list);
  AddServices(list);
}

std::wstring ApprovedKeyOfRunKey(const std::wstring& runKey) {
  std::wstring approvedKey = kApprovedRunKey;
  if (ContainsIgnoreAsciiCase(runKey, L"Wow6432Node")) approvedKey += L"32";
  return approvedKey;
}

HKEY ApprovedRootOfStartupFolder(const std::wstring& folder) {
  return folder == GetSpecialFolderPath(CSIDL_COMMON_STARTUP) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool IsApproved(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  return IsApproved(OpenKeyForReading(rootKey, key), name);
}

bool IsApproved(const RegKey& approvedKey, const std::wstring& name) {
  const std::optional<RegKey::Bytes> data = ReadSmallValue(approvedKey, name, kApprovedSize);
  return !(data && data->size() == kApprovedSize && (*data)[0] != kApprovedEnabled);
}

std::optional<std::uint64_t> SwitchedOffTime(const TAutorunInfo& entry) {
  const std::optional<ApprovedValue> value = ApprovedValueOf(entry);
  if (!value) return std::nullopt;
  const TReg::Bytes data = TReg::ReadBinary(value->rootKey, value->key, value->name);
  if (data.size() != kApprovedSize || data[0] == kApprovedEnabled) return std::nullopt;
  std::uint64_t time = 0;
  for (int i = 0; i < 8; ++i) time |= static_cast<std::uint64_t>(data[4 + i]) << (8 * i);
  if (time == 0) return std::nullopt;
  return time;
}

TReg::Bytes MakeApprovedData(bool enable) {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  FILETIME written{};
  SystemTimeToFileTime(&now, &written);

  TReg::Bytes data(kApprovedSize, 0);
  data[0] = enable ? kApprovedEnabled : kApprovedDisabled;
  for (int i = 0; i < 4; ++i) {
    data[4 + i] = static_cast<std::uint8_t>(written.dwLowDateTime >> (8 * i));
    data[8 + i] = static_cast<std::uint8_t>(written.dwHighDateTime >> (8 * i));
  }
  return data;
}

}  // namespace quorvane
