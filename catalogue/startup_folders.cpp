#include <shlobj.h>

#include <array>
#include <string_view>
#include <vector>

#include "catalogue/sources.h"
#include "common/locale_text.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "registry/key_reads.h"

namespace quorvane {

namespace {

constexpr std::array<std::wstring_view, 6> kAcceptedExtensions = {L".url", L".lnk", L".exe", L".bat", L".cmd", L".com"};

// The names of the files directly in the folder, hidden and system files included, in the
// order of the system's listing. A folder that cannot be listed gives none.
std::vector<std::wstring> ListFileNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const ScopedFind search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search.Get(), &found));
  return names;
}

// From the last dot to the end, the dot included; empty without a dot.
std::wstring_view ExtensionOf(std::wstring_view fileName) {
  const auto dot = fileName.rfind(L'.');
  return dot == std::wstring_view::npos ? std::wstring_view() : fileName.substr(dot);
}

bool IsAcceptedExtension(std::wstring_view extension) {
  for (std::wstring_view accepted : kAcceptedExtensions) {
    if (SameTextUserLocale(extension, accepted)) return true;
  }
  return false;
}

}  // namespace

void AddStartupFolders(AutorunList& list) {
  AddStartupFolder(GetSpecialFolderPath(CSIDL_COMMON_STARTUP), list);
  AddStartupFolder(GetSpecialFolderPath(CSIDL_STARTUP), list);
}

void AddStartupFolder(const std::wstring& folder, AutorunList& list) {
  if (folder.empty()) return;
  const RegKey approvedKey = OpenKeyForReading(ApprovedRootOfStartupFolder(folder), kApprovedStartupFolderKey);

  for (const std::wstring& fileName : ListFileNames(folder)) {
    const std::wstring_view extension = ExtensionOf(fileName);
    if (!IsAcceptedExtension(extension)) continue;

    TAutorunInfo entry;
    entry.FileName = folder + L'\\' + fileName;
    entry.Caption = fileName.substr(0, fileName.size() - extension.size());
    entry.Target = entry.FileName;
    entry.From = kFromFile;
    entry.Enabled = IsApproved(approvedKey, fileName);
    list.push_back(std::move(entry));
  }
}

}  // namespace quorvane
