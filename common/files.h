// Whole-file reads and writes.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// Writes the bytes to a temporary file beside path and then puts it in place of path, so that
// path holds either its old content or all of the new one. Throws WinError on failure, with
// the temporary file removed.
void WriteFileAtomically(const std::wstring& path, std::string_view bytes);

}  // namespace quorvane
