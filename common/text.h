// Text helpers that need nothing from Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Removes leading and trailing characters whose code is 32 or less.
std::wstring Trim(std::wstring_view text);

// The text after the last backslash or colon; the whole text when it has neither.
std::wstring FileNamePart(std::wstring_view path);

// Upper- or lower-cases the ASCII letters only; every other character stays.
std::wstring AsciiUpper(std::wstring_view text);
std::wstring AsciiLower(std::wstring_view text);

// Comparisons that ignore the case of the ASCII letters A to Z only.
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);
bool StartsWithIgnoreAsciiCase(std::wstring_view text, std::wstring_view prefix);
// Position of the first occurrence of needle, or npos.
std::wstring_view::size_type FindIgnoreAsciiCase(std::wstring_view text, std::wstring_view needle);
bool ContainsIgnoreAsciiCase(std::wstring_view text, std::wstring_view needle);

// Splits a text into lines. A line ends at CR, at LF or at CR LF; a break at the very end
// starts no further line, so an empty text has no lines.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// True for an absolute http:// or https:// address (scheme in any letter case) with a host,
// made of characters that an address may hold. Blanks, control characters and the characters
// that an address never holds unescaped (" < > \ ^ ` { | }) are refused: the shell puts the
// address into a browser's command line, where a quote would end the argument.
bool IsWebAddress(std::wstring_view text);

// UTF-8 and the program's wide strings (UTF-16 on Windows). Ill-formed input, such as a lone
// surrogate or a broken byte sequence, becomes U+FFFD, as the Windows conversions do.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

}  // namespace quorvane
