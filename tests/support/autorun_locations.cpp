#include "support/autorun_locations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "support/test_support.h"

namespace quorvane::test {

namespace {

ULONGLONG Now() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

std::wstring FolderOf(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

}  // namespace

std::wstring CommonStartupFolder() { return FolderOf(CSIDL_COMMON_STARTUP); }
std::wstring UserStartupFolder() { return FolderOf(CSIDL_STARTUP); }
std::wstring BackupFolder() { return FolderOf(CSIDL_COMMON_APPDATA) + L"\\Quorvane\\Backup"; }

void ExpectApprovedValue(HKEY root, const std::wstring& key, const std::wstring& name, BYTE state) {
  DWORD type = REG_NONE;
  const std::vector<BYTE> data = RawValueBytes(root, key, name, &type);
  ASSERT_EQ(data.size(), 12u) << "StartupApproved value " << testing::PrintToString(key + L"\\" + name);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_THAT(std::vector<BYTE>(data.begin(), data.begin() + 4), testing::ElementsAre(state, 0, 0, 0));
  ULONGLONG written = 0;
  for (int i = 11; i >= 4; --i) written = (written << 8) | data[i];
  constexpr ULONGLONG kSecond = 10'000'000;
  EXPECT_LE(written, Now() + kSecond);
  EXPECT_GE(written, Now() - 5 * kSecond);
}

void ResetAutorunLocations() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* key : {kRunKey, kRun32Key, kApprovedRun, kApprovedRun32, kApprovedFolder}) {
      DeleteRawTree(root, key);
    }
  }
  CreateRawKey(HKEY_LOCAL_MACHINE, kRunKey);
  CreateRawKey(HKEY_LOCAL_MACHINE, kRun32Key);
  for (const std::wstring& folder : {CommonStartupFolder(), UserStartupFolder()}) {
    CreateDirectoryW(folder.c_str(), nullptr);
    EmptyFolder(folder);
  }
  EmptyFolder(BackupFolder());
}

}  // namespace quorvane::test
