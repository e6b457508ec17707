#include "app/translation/translation_table.h"

#include <algorithm>
#include <utility>

#include "common/text.h"

namespace quorvane {

namespace {

constexpr std::wstring_view kFallbackLanguage = L"en";

std::wstring_view LanguageOf(std::wstring_view line) {
  const auto equals = line.find(L'=');
  return equals == std::wstring_view::npos ? std::wstring_view() : line.substr(0, equals);
}

std::wstring_view TextOf(std::wstring_view line) {
  const auto equals = line.find(L'=');
  return equals == std::wstring_view::npos ? std::wstring_view() : line.substr(equals + 1);
}

}  // namespace

TranslationTable::TranslationTable(std::vector<std::wstring> lines) : lines_(std::move(lines)) {}

std::wstring TranslationTable::Translate(std::wstring_view source, std::wstring_view language) const {
  std::wstring unchanged = ReplaceLineBreakEscapes(source);
  if (source.empty()) return unchanged;
  const auto found = std::find_if(lines_.begin(), lines_.end(), [source](const std::wstring& line) {
    return EqualsIgnoreAsciiCase(TextOf(line), source);
  });
  if (found == lines_.end()) return unchanged;
  const std::size_t blockStart = BlockStart(static_cast<std::size_t>(found - lines_.begin()));
  for (const std::wstring_view wanted : {language, kFallbackLanguage}) {
    if (const auto text = TextInBlock(blockStart, wanted)) return ReplaceLineBreakEscapes(*text);
  }
  return unchanged;
}

std::size_t TranslationTable::BlockStart(std::size_t line) const {
  while (line > 0 && !lines_[line - 1].empty()) --line;
  return line;
}

std::optional<std::wstring_view> TranslationTable::TextInBlock(std::size_t blockStart,
                                                               std::wstring_view language) const {
  for (std::size_t line = blockStart; line < lines_.size() && !lines_[line].empty(); ++line) {
    if (LanguageOf(lines_[line]) == language) return TextOf(lines_[line]);
  }
  return std::nullopt;
}

std::wstring ReplaceLineBreakEscapes(std::wstring_view text) {
  std::wstring result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (auto escape = text.find(L"\\n"); escape != std::wstring_view::npos; escape = text.find(L"\\n", start)) {
    result.append(text.substr(start, escape - start));
    result += L'\r';
    start = escape + 2;
  }
  result.append(text.substr(start));
  return result;
}

std::wstring InterfaceLanguage(std::wstring_view isoLanguageName) {
  if (isoLanguageName.empty()) return std::wstring(kFallbackLanguage);
  return std::wstring(isoLanguageName.substr(0, 2));
}

}  // namespace quorvane
