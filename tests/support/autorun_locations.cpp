#include "support/autorun_locations.h"

#include <shlobj.h>

#include "support/test_support.h"

namespace quorvane::test {

namespace {

std::wstring FolderOf(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

}  // namespace

std::wstring CommonStartupFolder() { return FolderOf(CSIDL_COMMON_STARTUP); }
std::wstring UserStartupFolder() { return FolderOf(CSIDL_STARTUP); }
std::wstring BackupFolder() { return FolderOf(CSIDL_COMMON_APPDATA) + L"\\Quorvane\\Backup"; }

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
