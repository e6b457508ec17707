// Whole-file writes and the test whether a file exists.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// Writes the bytes to a temporary file beside path and then puts it in place of path, so that
// path holds either its old content or all of the new one. Throws WinError on failure, with
// the temporary file removed.
void WriteFileAtomically(const std::wstring& path, std::string_view bytes);

// True when a file, not a folder, is at path; a symbolic link counts when its target is a file.
bool FileExists(const std::wstring& path);
// True when a folder is at path.
bool FolderExists(const std::wstring& path);

}  // namespace quorvane
