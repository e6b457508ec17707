#include "listview/file_icons.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "common/error.h"
#include "common/files.h"
#include "common/native_path.h"
#include "common/text.h"
#include "listview/autorun_images.h"

namespace quorvane {

namespace {

// A decimal integer with an optional sign, blanks around it allowed.
std::optional<int> ParseInteger(std::wstring_view text) {
  const std::wstring trimmed = Trim(text);
  std::wstring_view digits = trimmed;
  const bool negative = !digits.empty() && digits.front() == L'-';
  if (!digits.empty() && (digits.front() == L'-' || digits.front() == L'+')) digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  long long value = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
    if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

int GetIconIndex(IconCache& cache, ui::ImageCollection& images, const std::wstring& location, int defaultIndex) {
  std::wstring unquoted = location;
  std::erase(unquoted, L'"');
  const std::wstring key = Trim(unquoted);
  if (key.empty()) return defaultIndex;

  std::wstring file = key;
  WORD iconNumber = 0;
  if (const std::size_t comma = key.find(L','); comma != std::wstring::npos) {
    file = Trim(std::wstring_view(key).substr(0, comma));
    iconNumber = static_cast<WORD>(ParseInteger(std::wstring_view(key).substr(comma + 1)).value_or(defaultIndex));
  }
  if (const auto cached = cache.find(key); cached != cache.end()) return cached->second;
  const std::wstring path = NativePath(file);
  if (!FileExists(path)) return kBlankDocumentImage;

  // The call may write another path, up to MAX_PATH characters, into the buffer.
  std::vector<wchar_t> buffer(std::max<std::size_t>(MAX_PATH, path.size() + 1), L'\0');
  std::copy(path.begin(), path.end(), buffer.begin());
  // An icon that cannot be extracted or stored shows the default image, and the cache stays
  // as it was, so that the next load tries again.
  try {
    const ui::ScopedIcon icon(ExtractAssociatedIconW(nullptr, buffer.data(), &iconNumber));
    if (!icon) return kBlankDocumentImage;
    const auto index = static_cast<int>(images.Add(key, ui::SaveIconToIconFile(icon.Get())));
    images.Change();
    cache.emplace(key, index);
    return index;
  } catch (const Error&) {
    return defaultIndex;
  }
}

}  // namespace quorvane
