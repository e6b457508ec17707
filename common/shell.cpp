#include "common/shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

namespace quorvane {

namespace {

PlaceholderMap& ProgramPlaceholders() {
  static PlaceholderMap placeholders;
  return placeholders;
}

bool NativeSystemIsX64() {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

}  // namespace

std::wstring GetSpecialFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return {};
  std::wstring path(buffer);
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

const PlaceholderMap& FolderPlaceholders() { return ProgramPlaceholders(); }

void InitFolderPlaceholders() { ProgramPlaceholders() = BuildFolderPlaceholders(NativeSystemIsX64(), GetSpecialFolderPath); }

void ReleaseFolderPlaceholders() { PlaceholderMap().swap(ProgramPlaceholders()); }

std::wstring ExpandPlaceholder(std::wstring_view text) { return ExpandPlaceholder(text, FolderPlaceholders()); }

std::wstring ResolveTarget(std::wstring_view commandLine) { return ResolveTarget(commandLine, FolderPlaceholders()); }

void ShellOpen(const std::wstring& target) {
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quorvane
