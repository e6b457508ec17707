// A baseline for quorvanec diff: the catalogue as an earlier `list --json` printed it, or as
// the window's saved list file holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct BaselineEntry {
  std::wstring from;
  std::wstring caption;
  std::wstring target;
  // Only a JSON baseline knows the state and the command text; a saved list holds neither.
  std::optional<bool> enabled;
  std::optional<std::wstring> rawData;

  bool operator==(const BaselineEntry&) const = default;
};
using Baseline = std::vector<BaselineEntry>;

// The file's entries, in its order. Throws an Error that says what is wrong with it: a file
// that cannot be opened or is a folder, an empty or truncated one, one in neither format.
Baseline ReadBaseline(const std::wstring& path);

// The same from the file's bytes: UTF-8 with or without a byte order mark, or UTF-16 with one;
// lines may end in CR LF or LF.
Baseline ParseBaseline(std::string_view bytes);

}  // namespace quorvane
