// The program's translation: the table built into the program and the interface language,
// both set once at start-up, before any window or thread exists, and only read afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/translation/translation_table.h"

namespace quorvane {

// The ISO 639 name of the language of the user's default locale; "en" when it cannot be read.
std::wstring GetUserLanguage();

// Loads the table from the "translate" resource of the program (or of the given module) and
// chooses the interface language from the user's locale. A missing or unreadable resource
// leaves the table empty, so that every text stays as written.
void InitTranslation();
void InitTranslation(HMODULE module);
// Empties the table and clears the language, at exit.
void ReleaseTranslation();

const TranslationTable& TranslateTable();
// The interface language: at most two characters. The check-in's worker thread reads it too,
// which needs no lock because it is written before that thread starts.
const std::wstring& CurrentLanguage();

// The text of source in the interface language, by the program's table.
std::wstring Translate(std::wstring_view source);

}  // namespace quorvane
