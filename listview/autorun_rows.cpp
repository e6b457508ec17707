#include "listview/autorun_rows.h"

#include <algorithm>

#include "common/text.h"

namespace quorvane {

namespace {

bool Listed(const NameList* list, std::wstring_view candidate, MatchMode mode) {
  return list != nullptr && MatchesList(*list, candidate, mode);
}

std::wstring SeenKey(const std::wstring& from, const std::wstring& target) { return from + L'|' + target; }

// The row that a new entry gets, or nothing when a name list hides the entry.
std::optional<TAutorunItem> NewRow(const TAutorunInfo& entry, const MergeFilters& filters,
                                   const LookUpFile& lookUpFile) {
  FileLook look;
  switch (SourceKindOf(entry.From)) {
    case SourceKind::Registry:
      if (Listed(filters.nameWhite, FileNamePart(entry.Target), MatchMode::Name)) return std::nullopt;
      look = lookUpFile(entry.FileName);
      break;
    case SourceKind::StartupFile:
      if (Listed(filters.fileWhite, entry.Target, MatchMode::File)) return std::nullopt;
      look = lookUpFile(entry.FileName);
      break;
    case SourceKind::Task:
      if (Listed(filters.nameWhite, FileNamePart(entry.Target), MatchMode::Name)) return std::nullopt;
      look.icon = kClockImage;
      break;
    case SourceKind::Service:
      if (Listed(filters.nameWhite, entry.Target, MatchMode::Name)) return std::nullopt;
      look.icon = kGearImage;
      break;
  }
  return TAutorunItem{look.productName.empty() ? entry.Caption : look.productName, entry.Target, entry.From, look.icon,
                      entry.Enabled};
}

}  // namespace

std::size_t AutorunRows::KeyHash::operator()(const Key& key) const {
  const std::hash<std::wstring> hash;
  return hash(key.target) * 31 + hash(key.from);
}

AutorunRows::Key AutorunRows::KeyOf(std::wstring_view target, std::wstring_view from) {
  return {AsciiLower(target), AsciiLower(from)};
}

std::optional<std::size_t> AutorunRows::FindRow(std::wstring_view target, std::wstring_view from) const {
  const auto found = serialsByKey_.find(KeyOf(target, from));
  if (found == serialsByKey_.end()) return std::nullopt;
  const std::uint64_t serial = found->second.front();
  const auto row = std::lower_bound(rows_.begin(), rows_.end(), serial, [](const Row& candidate, std::uint64_t wanted) {
    return candidate.serial < wanted;
  });
  return static_cast<std::size_t>(row - rows_.begin());
}

void AutorunRows::Append(TAutorunItem item) {
  const std::uint64_t serial = nextSerial_++;
  serialsByKey_[KeyOf(item.Target, item.From)].push_back(serial);
  rows_.push_back({std::move(item), serial});
}

void AutorunRows::DeleteRows(const std::function<bool(const TAutorunItem&)>& doomed,
                             const std::function<void(std::size_t row)>& deleting) {
  std::vector<bool> deleted(rows_.size(), false);
  for (std::size_t row = rows_.size(); row-- > 0;) {
    if (!doomed(rows_[row].item)) continue;
    const auto serials = serialsByKey_.find(KeyOf(rows_[row].item.Target, rows_[row].item.From));
    std::erase(serials->second, rows_[row].serial);
    if (serials->second.empty()) serialsByKey_.erase(serials);
    deleting(row);
    deleted[row] = true;
  }
  // One pass that closes the gaps, rather than one shift of the rows behind each deleted row.
  std::size_t kept = 0;
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    if (deleted[row]) continue;
    if (kept != row) rows_[kept] = std::move(rows_[row]);
    ++kept;
  }
  rows_.resize(kept);
}

void AutorunRows::Clear() {
  rows_.clear();
  serialsByKey_.clear();
}

SeenKeys MergeEntries(const AutorunList& catalogue, AutorunRows& rows, const MergeFilters& filters,
                      const LookUpFile& lookUpFile) {
  SeenKeys seen;
  for (const TAutorunInfo& entry : catalogue) {
    seen.insert(SeenKey(entry.From, entry.Target));
    if (const std::optional<std::size_t> row = rows.FindRow(entry.Target, entry.From)) {
      rows.SetEnabled(*row, entry.Enabled);
      continue;
    }
    if (entry.Caption.empty()) continue;
    if (!entry.Enabled && !filters.showSwitchedOff) continue;
    if (std::optional<TAutorunItem> item = NewRow(entry, filters, lookUpFile)) rows.Append(std::move(*item));
  }
  return seen;
}

void DeleteUnseenRows(AutorunRows& rows, const SeenKeys& seen, const std::function<void(std::size_t row)>& deleting) {
  rows.DeleteRows([&](const TAutorunItem& item) { return !seen.contains(SeenKey(item.From, item.Target)); }, deleting);
}

}  // namespace quorvane
