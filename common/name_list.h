// The name lists that decide which startup entries the list hides: the built-in ones, the
// texts that the check-in reply adds, and the rules by which a text matches an entry.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.h"

namespace quorvane {

// A sorted list of texts that compares under the user's locale without regard to case and
// holds each text once, whatever its letter case. Texts are kept as given: not trimmed, not
// expanded.
class NameList {
 public:
  // Adds the text at its sorted place, unless the list holds one that compares equal.
  void Add(std::wstring text);
  bool Contains(std::wstring_view text) const;
  void Clear();

  std::size_t Count() const { return texts_.size(); }
  const std::vector<std::wstring>& Texts() const { return texts_; }

 private:
  // The first position whose text does not sort before the given one.
  std::vector<std::wstring>::const_iterator LowerBound(std::wstring_view text) const;

  std::vector<std::wstring> texts_;
};

// Replaces the list's content with the lines of the program's RCDATA resource of that name.
// When the resource is missing or cannot be read, the list stays as it was.
void LoadNameList(NameList& list, const std::wstring& resourceName);

// Adds the texts of the array that the reply object holds under the key: a string element
// gives its text, a number or a literal its JSON text, an object or an array the empty text.
// A reply that is not an object, a missing key or a value that is not an array adds nothing.
void MergeJsonArray(NameList& list, const nlohmann::json& reply, const std::string& key);

enum class MatchMode {
  // A pattern is a prefix of the candidate name, compared under the user's locale.
  Name,
  // A pattern ending in "*" names a file: the rest equals the candidate's file-name part,
  // comparing ASCII letters without regard to case. Any other pattern is found anywhere in
  // the candidate path, both upper-cased by the platform.
  File,
};

// True when some pattern of the list matches the candidate. Each pattern is trimmed and its
// leading folder placeholder expanded first; a pattern that is then empty or begins with
// "//" never matches.
bool MatchesList(const NameList& list, std::wstring_view candidate, MatchMode mode, const PlaceholderMap& placeholders);
// The same over the program's placeholder map.
bool MatchesList(const NameList& list, std::wstring_view candidate, MatchMode mode);

}  // namespace quorvane
