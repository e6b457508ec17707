#include "common/name_list.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <algorithm>

#include "common/locale_text.h"
#include "common/resource_text.h"
#include "common/shell.h"
#include "common/text.h"

namespace quorvane {

namespace {

bool SortsBefore(const std::wstring& listed, std::wstring_view text) { return CompareTextUserLocale(listed, text) < 0; }

std::wstring ElementText(const nlohmann::json& element) {
  if (element.is_string()) return FromUtf8(element.get_ref<const std::string&>());
  if (element.is_structured()) return {};
  return FromUtf8(element.dump());
}

bool MatchesFile(std::wstring_view pattern, std::wstring_view candidate, const std::wstring& upperCandidate) {
  if (pattern.ends_with(L'*')) {
    pattern.remove_suffix(1);
    return EqualsIgnoreAsciiCase(pattern, FileNamePart(candidate));
  }
  return upperCandidate.find(UpperCaseUnicode(pattern)) != std::wstring::npos;
}

bool MatchesName(std::wstring_view pattern, std::wstring_view candidate) {
  return candidate.size() >= pattern.size() && SameTextUserLocale(candidate.substr(0, pattern.size()), pattern);
}

}  // namespace

void NameList::Add(std::wstring text) {
  const auto place = LowerBound(text);
  if (place != texts_.end() && SameTextUserLocale(*place, text)) return;
  texts_.insert(place, std::move(text));
}

bool NameList::Contains(std::wstring_view text) const {
  const auto place = LowerBound(text);
  return place != texts_.end() && SameTextUserLocale(*place, text);
}

void NameList::Clear() { texts_.clear(); }

std::vector<std::wstring>::const_iterator NameList::LowerBound(std::wstring_view text) const {
  return std::lower_bound(texts_.begin(), texts_.end(), text, SortsBefore);
}

void LoadNameList(NameList& list, const std::wstring& resourceName) {
  const auto lines = ReadTextResourceLines(GetModuleHandleW(nullptr), resourceName);
  if (!lines) return;
  list.Clear();
  for (const std::wstring& line : *lines) list.Add(line);
}

void MergeJsonArray(NameList& list, const nlohmann::json& reply, const std::string& key) {
  if (!reply.is_object()) return;
  const auto member = reply.find(key);
  if (member == reply.end() || !member->is_array()) return;
  for (const nlohmann::json& element : *member) list.Add(ElementText(element));
}

bool MatchesList(const NameList& list, std::wstring_view candidate, MatchMode mode,
                 const PlaceholderMap& placeholders) {
  const std::wstring upperCandidate = mode == MatchMode::File ? UpperCaseUnicode(candidate) : std::wstring();
  for (const std::wstring& text : list.Texts()) {
    const std::wstring pattern = ExpandPlaceholder(Trim(text), placeholders);
    if (pattern.empty() || pattern.starts_with(L"//")) continue;
    const bool matches =
        mode == MatchMode::File ? MatchesFile(pattern, candidate, upperCandidate) : MatchesName(pattern, candidate);
    if (matches) return true;
  }
  return false;
}

bool MatchesList(const NameList& list, std::wstring_view candidate, MatchMode mode) {
  return MatchesList(list, candidate, mode, FolderPlaceholders());
}

}  // namespace quorvane
