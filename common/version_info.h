// The version resource: named strings of a file's, such as its product name, and the
// program's own version text.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

using VersionValues = std::map<std::wstring, std::wstring>;

// Adds a pair to values for each name that the file's version resource holds under its first
// translation (the others are not asked), and returns the number of pairs in values then.
// Returns 0 when the file is missing or has no readable version resource or translation
// table. The names must be distinct and not yet in values.
int GetVersionStrings(const std::wstring& fileName, const std::vector<std::wstring>& names, VersionValues& values);

// The program's file version put into format, whose four "%d" take major, minor, release and
// build in that order; "0.0.0.0" when the program has no version resource.
std::wstring GetAppVersion(std::wstring_view format);

}  // namespace quorvane
