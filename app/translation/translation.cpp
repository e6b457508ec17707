#include "app/translation/translation.h"

#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

#include "common/resource_text.h"

namespace quorvane {

namespace {

struct ProgramTranslation {
  TranslationTable table;
  std::wstring language;
};

ProgramTranslation& Program() {
  static ProgramTranslation translation;
  return translation;
}

}  // namespace

std::wstring GetUserLanguage() {
  const LCID locale = GetUserDefaultLCID();
  const int length = GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, nullptr, 0);
  if (length < 1) return L"en";
  std::wstring name(static_cast<std::size_t>(length), L'\0');
  if (GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, name.data(), length) < 1) return L"en";
  name.resize(std::wcslen(name.c_str()));
  return name;
}

void InitTranslation() { InitTranslation(GetModuleHandleW(nullptr)); }

void InitTranslation(HMODULE module) {
  std::optional<std::vector<std::wstring>> lines = ReadTextResourceLines(module, L"translate");
  Program().table = TranslationTable(lines ? std::move(*lines) : std::vector<std::wstring>());
  Program().language = InterfaceLanguage(GetUserLanguage());
}

void ReleaseTranslation() {
  Program().table = TranslationTable();
  Program().language.clear();
}

const TranslationTable& TranslateTable() { return Program().table; }

const std::wstring& CurrentLanguage() { return Program().language; }

std::wstring Translate(std::wstring_view source) { return Program().table.Translate(source, Program().language); }

}  // namespace quorvane
