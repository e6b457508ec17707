#include "catalogue/autorun.h"

#include <cstdint>

#include "catalogue/sources.h"
#include "common/locale_text.h"

namespace quorvane {

namespace {

constexpr std::uint8_t kApprovedEnabled = 2;
constexpr std::uint8_t kApprovedDisabled = 3;
constexpr std::size_t kApprovedSize = 12;

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

bool IsApproved(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  const TReg::Bytes data = TReg::ReadBinary(rootKey, key, name);
  return !(data.size() == kApprovedSize && data[0] != kApprovedEnabled);
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
