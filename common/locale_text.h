// The two text comparisons that depend on the user's locale and the platform's casing tables.
// This header stays free of Windows headers; the Windows implementation is locale_text.cpp.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// Compares under the user's locale without regard to case: negative, zero or positive.
int CompareTextUserLocale(std::wstring_view a, std::wstring_view b);
bool SameTextUserLocale(std::wstring_view a, std::wstring_view b);

// Upper-cases with the platform's Unicode casing tables.
std::wstring UpperCaseUnicode(std::wstring_view text);

}  // namespace quorvane
