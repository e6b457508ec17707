// The addresses that a check-in reply hands to the program. The program runs elevated and opens
// them with the shell, so a reply must not be able to start a program or open a file with
// administrator rights: only web addresses pass. Pure text functions: no Windows headers.
#pragma once

#include <string>
#include <string_view>

#include "common/text.h"

namespace quorvane {

// The address when IsWebAddress (common/text.h) accepts it, else the empty text: a reply value that is not a
// web address counts as absent.
std::wstring ReplyAddress(std::wstring_view value);

}  // namespace quorvane
