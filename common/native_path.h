// Paths of target files as a 64-bit program sees them. A 32-bit process on 64-bit Windows
// (WOW64) that asks for the Windows folder's System32 is sent to SysWOW64, where a 64-bit
// program's file has no twin or another one; through the alias Sysnative it reaches the real
// System32. Every read of a target file's metadata or existence goes through NativePath.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// What decides the mapping for one process.
struct ProcessView {
  // The system's Windows folder, such as C:\Windows.
  std::wstring windowsFolder;
  // True for a 32-bit process on 64-bit Windows.
  bool isWow64 = false;
};

// The path through which a process of this view reaches the file that a 64-bit program reaches
// at path. For a WOW64 process, System32 directly in the Windows folder (letter case and a
// backslash or slash as separator alike) becomes Sysnative, with the rest of the path as it
// was. Everything else stays: other processes, SysWOW64, names that only begin with System32,
// other folders, UNC, device (\\?\) and relative paths.
std::wstring MapPathForProcess(std::wstring_view path, const ProcessView& view);

// This process's view: its Windows folder, and whether IsWow64Process says it runs under WOW64.
const ProcessView& ThisProcessView();

// The path for this process: MapPathForProcess with ThisProcessView. Unchanged in a 64-bit
// process.
std::wstring NativePath(std::wstring_view path);

}  // namespace quorvane
