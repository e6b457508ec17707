#include "catalogue/autorun_notices.h"

#include <shlobj.h>

#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "common/shell.h"

namespace quorvane {

AutorunChangeNotices::AutorunChangeNotices() {
  for (const RunKeyLocation& runKey : kRunKeys) {
    keys_.push_back(std::make_unique<TRegChangeNotice>(runKey.rootKey, runKey.key));
  }
  for (HKEY rootKey : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    keys_.push_back(std::make_unique<TRegChangeNotice>(rootKey, kApprovedRunKey));
    keys_.push_back(std::make_unique<TRegChangeNotice>(rootKey, std::wstring(kApprovedRunKey) + L"32"));
    keys_.push_back(std::make_unique<TRegChangeNotice>(rootKey, kApprovedStartupFolderKey));
  }
  for (int folder : {CSIDL_COMMON_STARTUP, CSIDL_STARTUP}) {
    folders_.push_back(std::make_unique<FolderChangeNotice>(GetSpecialFolderPath(folder)));
  }
}

std::vector<HANDLE> AutorunChangeNotices::Handles() const {
  std::vector<HANDLE> handles;
  for (const auto& key : keys_) handles.push_back(key->Event());
  for (const auto& folder : folders_) handles.insert(handles.end(), folder->Handles().begin(), folder->Handles().end());
  return handles;
}

void AutorunChangeNotices::Rearm() {
  for (const auto& key : keys_) key->Rearm();
  for (const auto& folder : folders_) folder->Rearm();
}

}  // namespace quorvane
