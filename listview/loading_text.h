// The line that the startup list shows while it waits for its first load, in each interface
// language. These texts are not in the built-in translation table, whose eight languages they
// follow.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The text in the interface language (a two-letter code such as "ko"); English for a language
// that the interface has no texts in, as the translation has it.
std::wstring LoadingText(std::wstring_view language);

}  // namespace quorvane
