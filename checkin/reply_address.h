// The addresses that a check-in reply hands to the program. The program runs elevated and opens
// them with the shell, so a reply must not be able to start a program or open a file with
// administrator rights: only web addresses pass. Pure text functions: no Windows headers.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// True for an absolute http:// or https:// address (scheme in any letter case) with a host,
// made of characters that an address may hold. Blanks, control characters and the characters
// that an address never holds unescaped (" < > \ ^ ` { | }) are refused: the shell puts the
// address into a browser's command line, where a quote would end the argument.
bool IsWebAddress(std::wstring_view text);

// The address when IsWebAddress accepts it, else the empty text: a reply value that is not a
// web address counts as absent.
std::wstring ReplyAddress(std::wstring_view value);

}  // namespace quorvane
