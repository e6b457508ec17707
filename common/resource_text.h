// Text resources built into a module: UTF-8, perhaps after a byte order mark, one text a line.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The bytes of the module's RCDATA resource of that name (the name without regard to case);
// nothing when the module has no such resource or it cannot be read.
std::optional<std::string> ReadRcData(HMODULE module, const std::wstring& name);

// The lines of the module's RCDATA resource of that name, decoded from UTF-8 after a leading
// byte order mark, split as SplitLines does; nothing when the resource cannot be read.
std::optional<std::vector<std::wstring>> ReadTextResourceLines(HMODULE module, const std::wstring& name);

}  // namespace quorvane
