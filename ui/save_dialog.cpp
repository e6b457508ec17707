#include "ui/save_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "common/error.h"

namespace quorvane::ui {

namespace {

// Room for the longest path that the system allows.
constexpr std::size_t kPathCapacity = 32768;

// The dialog's form of the file types: each text ends with a NUL, and the list with another.
std::wstring FilterList(const std::wstring& filter) {
  std::wstring list = filter;
  std::replace(list.begin(), list.end(), L'|', L'\0');
  list += L'\0';
  list += L'\0';
  return list;
}

}  // namespace

std::optional<std::wstring> ShowSaveDialog(HWND owner, const SaveDialogOptions& options) {
  const std::wstring filter = FilterList(options.filter);
  std::vector<wchar_t> fileName(kPathCapacity, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(options.filterIndex);
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
  dialog.lpstrDefExt = options.defaultExtension.empty() ? nullptr : options.defaultExtension.c_str();
  // The dialog would otherwise make the chosen folder the program's current one.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (options.overwritePrompt) dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (GetSaveFileNameW(&dialog)) return std::wstring(fileName.data());
  if (const DWORD error = CommDlgExtendedError()) {
    throw Error(L"The save dialog failed with error " + std::to_wstring(error));
  }
  return std::nullopt;
}

}  // namespace quorvane::ui
