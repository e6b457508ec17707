// The texts of the update notice, which carries its own texts in eight languages instead of
// going through the translation table. Pure text functions: no Windows headers.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

enum class UpdateTextKind {
  Message = 0,        // the update dialog's message: three paragraphs
  StatusCaption = 1,  // the caption of the update status bar
  Yes = 2,            // the dialog's Yes button
  No = 3,             // the dialog's No button
};

// The text of that kind in the language with that two-letter code: "ko", "ja", "zh", "de",
// "ru", "it" and "fr" (compared exactly) have their own; every other code gets English.
// The message's paragraphs are joined by two carriage returns, which leave an empty line.
std::wstring UpdateText(UpdateTextKind kind, std::wstring_view language);

}  // namespace quorvane
