// Named strings of a file's version resource, such as its product name.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace quorvane {

using VersionValues = std::map<std::wstring, std::wstring>;

// Adds a pair to values for each name that the file's version resource holds under its first
// translation (the others are not asked), and returns the number of pairs in values then.
// Returns 0 when the file is missing or has no readable version resource or translation
// table. The names must be distinct and not yet in values.
int GetVersionStrings(const std::wstring& fileName, const std::vector<std::wstring>& names, VersionValues& values);

}  // namespace quorvane
