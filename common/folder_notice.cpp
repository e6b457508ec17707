#include "common/folder_notice.h"

#include <utility>

#include "common/files.h"

namespace quorvane {

namespace {

constexpr DWORD kFileChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

std::wstring ParentFolder(const std::wstring& folder) {
  const auto separator = folder.find_last_of(L'\\');
  return separator == std::wstring::npos ? std::wstring() : folder.substr(0, separator);
}

// A drive's root needs its backslash.
std::wstring AsFolderPath(const std::wstring& folder) { return folder.ends_with(L':') ? folder + L'\\' : folder; }

}  // namespace

FolderChangeNotice::FolderChangeNotice(std::wstring folder) : folder_(std::move(folder)) { Rearm(); }

FolderChangeNotice::~FolderChangeNotice() { Close(); }

void FolderChangeNotice::Close() {
  for (HANDLE handle : handles_) FindCloseChangeNotification(handle);
  handles_.clear();
}

void FolderChangeNotice::Rearm() {
  Close();
  const auto watch = [this](const std::wstring& folder, bool subtree, DWORD filter) {
    const HANDLE handle = FindFirstChangeNotificationW(AsFolderPath(folder).c_str(), subtree ? TRUE : FALSE, filter);
    if (handle != INVALID_HANDLE_VALUE) handles_.push_back(handle);
  };
  if (folder_.empty()) return;
  if (FolderExists(folder_)) {
    watch(folder_, false, kFileChanges);
    // The folder's own removal shows as a change of its parent's folder names.
    watch(ParentFolder(folder_), false, FILE_NOTIFY_CHANGE_DIR_NAME);
    return;
  }
  for (std::wstring ancestor = ParentFolder(folder_); !ancestor.empty(); ancestor = ParentFolder(ancestor)) {
    if (FolderExists(AsFolderPath(ancestor))) {
      watch(ancestor, true, FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME);
      return;
    }
  }
}

}  // namespace quorvane
