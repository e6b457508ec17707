// Special folders, the program's folder placeholders and opening addresses with the shell.
#pragma once

#include <string>
#include <string_view>

#include "common/command_line.h"

namespace quorvane {

// The path of a special folder (a CSIDL value) without a trailing backslash; empty when the
// folder cannot be found.
std::wstring GetSpecialFolderPath(int csidl);

// The program's placeholder map: filled once at start-up, before any window exists, and
// released at exit. Empty until it is filled.
const PlaceholderMap& FolderPlaceholders();
void InitFolderPlaceholders();
void ReleaseFolderPlaceholders();

// ExpandPlaceholder and ResolveTarget over the program's map.
std::wstring ExpandPlaceholder(std::wstring_view text);
std::wstring ResolveTarget(std::wstring_view commandLine);

// Hands an address or a path to the shell to open. Web addresses go to the desktop shell where
// there is one, so that the browser runs as the logged-on user even though this program runs
// elevated. Failures are not reported.
void ShellOpen(const std::wstring& target);

}  // namespace quorvane
