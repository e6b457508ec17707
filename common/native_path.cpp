#include "common/native_path.h"

#include "common/text.h"

namespace quorvane {

namespace {

constexpr std::wstring_view kSystemFolder = L"System32";
constexpr std::wstring_view kNativeAlias = L"Sysnative";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t AsciiFolded(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The same folder: letters in any case, and a slash wherever the other has a backslash.
bool SameFolder(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiFolded(a[i]) != AsciiFolded(b[i]) && !(IsSeparator(a[i]) && IsSeparator(b[i]))) return false;
  }
  return true;
}

std::wstring_view WithoutTrailingSeparators(std::wstring_view folder) {
  while (!folder.empty() && IsSeparator(folder.back())) folder.remove_suffix(1);
  return folder;
}

// The position just after "<windows folder><separator>", or npos when the path does not begin
// so. A Windows folder that is not a drive-letter path (such as an empty one, when its lookup
// failed) never matches: only those paths are redirected.
std::size_t AfterWindowsFolder(std::wstring_view path, std::wstring_view windowsFolder) {
  const std::wstring_view folder = WithoutTrailingSeparators(windowsFolder);
  if (folder.size() < 2 || folder[1] != L':') return std::wstring_view::npos;
  if (path.size() <= folder.size() || !IsSeparator(path[folder.size()])) return std::wstring_view::npos;
  if (!SameFolder(path.substr(0, folder.size()), folder)) return std::wstring_view::npos;
  return folder.size() + 1;
}

}  // namespace

std::wstring MapPathForProcess(std::wstring_view path, const ProcessView& view) {
  if (!view.isWow64) return std::wstring(path);
  const std::size_t start = AfterWindowsFolder(path, view.windowsFolder);
  if (start == std::wstring_view::npos) return std::wstring(path);
  const std::wstring_view rest = path.substr(start);
  // System32 as a whole name: the path ends there or goes on with a separator.
  if (!StartsWithIgnoreAsciiCase(rest, kSystemFolder)) return std::wstring(path);
  if (rest.size() > kSystemFolder.size() && !IsSeparator(rest[kSystemFolder.size()])) return std::wstring(path);
  std::wstring mapped(path.substr(0, start));
  mapped += kNativeAlias;
  mapped += rest.substr(kSystemFolder.size());
  return mapped;
}

}  // namespace quorvane
