#include <windows.h>

#include <vector>

#include "common/native_path.h"

namespace quorvane {

namespace {

// The system's own Windows folder, not a user's private one on a terminal server.
std::wstring SystemWindowsFolder() {
  const UINT length = GetSystemWindowsDirectoryW(nullptr, 0);
  if (length == 0) return {};
  std::vector<wchar_t> buffer(length, L'\0');
  const UINT written = GetSystemWindowsDirectoryW(buffer.data(), length);
  if (written == 0 || written >= length) return {};
  return std::wstring(buffer.data(), written);
}

bool IsWow64() {
  BOOL wow64 = FALSE;
  // A process whose question fails is taken as a native one: its paths stay as they are.
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

const ProcessView& ThisProcessView() {
  static const ProcessView view{SystemWindowsFolder(), IsWow64()};
  return view;
}

std::wstring NativePath(std::wstring_view path) { return MapPathForProcess(path, ThisProcessView()); }

}  // namespace quorvane
