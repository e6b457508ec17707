// From an autorun command line to the file that it starts, and the folder placeholders such
// command lines and the name lists begin with. Pure text functions: no Windows headers.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct FolderPlaceholder {
  std::wstring placeholder;  // "%ProgramFiles%"
  std::wstring folder;       // "C:\Program Files", or empty when the lookup failed
};

// The placeholders in the order in which they were added.
using PlaceholderMap = std::vector<FolderPlaceholder>;

// The nine placeholders with their folders. folderOf(csidl) looks a special folder up (empty
// when that fails); nativeX64 chooses the folders of an x64 system, which a 32-bit process
// sees through their "(x86)" twins.
PlaceholderMap BuildFolderPlaceholders(bool nativeX64, const std::function<std::wstring(int csidl)>& folderOf);

// Deletes the first " (x86)", found without regard to case; a second one stays.
std::wstring RemoveX86Suffix(std::wstring_view folder);

// Replaces a placeholder at the very start of the text, when a backslash follows it, with its
// folder. Any other text comes back unchanged.
std::wstring ExpandPlaceholder(std::wstring_view text, const PlaceholderMap& placeholders);

// Splits a command line into the program and its arguments, both trimmed.
void SplitCommandLine(std::wstring_view commandLine, std::wstring& program, std::wstring& arguments);

// The path of the file that the command line starts: without a leading "\??\", the DLL that
// a rundll32.exe command runs, placeholders expanded and doubled backslashes made single.
// The file system is not consulted.
std::wstring ResolveTarget(std::wstring_view commandLine, const PlaceholderMap& placeholders);

}  // namespace quorvane
