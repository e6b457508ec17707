#include "app/console/catalogue_diff.h"

#include <map>
#include <utility>

#include <nlohmann/json.hpp>

#include "app/console/catalogue_report.h"
#include "app/console/entry_details.h"
#include "common/text.h"

namespace quorvane {

namespace {

using EntryKey = std::pair<std::wstring, std::wstring>;

// Tags are ASCII texts; the target is compared exactly.
EntryKey KeyOf(const std::wstring& from, const std::wstring& target) { return {AsciiUpper(from), target}; }

std::wstring ChangeName(const ChangedEntry& change) {
  std::wstring name;
  if (change.switched) name = change.after.Enabled ? L"switched on" : L"switched off";
  if (change.newCommand) name += name.empty() ? L"new command" : L", new command";
  return name;
}

nlohmann::ordered_json Text(const std::wstring& text) { return ToUtf8(text); }

nlohmann::ordered_json RemovedJson(const BaselineEntry& entry) {
  nlohmann::ordered_json object{
      {"from", Text(entry.from)}, {"caption", Text(entry.caption)}, {"target", Text(entry.target)}};
  if (entry.rawData) object["rawData"] = Text(*entry.rawData);
  if (entry.enabled) object["enabled"] = *entry.enabled;
  return object;
}

nlohmann::ordered_json ChangedJson(const ChangedEntry& change) {
  nlohmann::ordered_json before;
  before["enabled"] = change.before.enabled ? nlohmann::ordered_json(*change.before.enabled) : nullptr;
  before["rawData"] = change.before.rawData ? Text(*change.before.rawData) : nullptr;
  return {{"from", Text(change.after.From)},
          {"caption", Text(change.after.Caption)},
          {"target", Text(change.after.Target)},
          {"before", before},
          {"after", {{"enabled", change.after.Enabled}, {"rawData", Text(change.after.RawData)}}}};
}

struct ChangeRow {
  std::wstring change;
  std::wstring from;
  std::wstring caption;
  std::wstring target;
};

std::vector<ChangeRow> ChangeRows(const CatalogueDiff& diff) {
  std::vector<ChangeRow> rows;
  for (const TAutorunInfo& entry : diff.added) rows.push_back({L"added", entry.From, entry.Caption, entry.Target});
  for (const BaselineEntry& entry : diff.removed) rows.push_back({L"removed", entry.from, entry.caption, entry.target});
  for (const ChangedEntry& change : diff.changed) {
    rows.push_back({ChangeName(change), change.after.From, change.after.Caption, change.after.Target});
  }
  return rows;
}

}  // namespace

CatalogueDiff DiffCatalogue(const Baseline& baseline, const AutorunList& catalogue) {
  // Each key's baseline entries in file order, so that an entry listed twice pairs up twice.
  std::map<EntryKey, std::vector<std::size_t>> unmatched;
  for (std::size_t i = baseline.size(); i-- > 0;) unmatched[KeyOf(baseline[i].from, baseline[i].target)].push_back(i);

  CatalogueDiff diff;
  std::vector<bool> matched(baseline.size(), false);
  for (const TAutorunInfo& entry : catalogue) {
    const auto found = unmatched.find(KeyOf(entry.From, entry.Target));
    if (found == unmatched.end() || found->second.empty()) {
      diff.added.push_back(entry);
      continue;
    }
    const std::size_t index = found->second.back();
    found->second.pop_back();
    matched[index] = true;
    const BaselineEntry& before = baseline[index];
    ChangedEntry change{before, entry, before.enabled && *before.enabled != entry.Enabled,
                        before.rawData && *before.rawData != entry.RawData};
    if (change.switched || change.newCommand) diff.changed.push_back(std::move(change));
  }
  for (std::size_t i = 0; i < baseline.size(); ++i) {
    if (!matched[i]) diff.removed.push_back(baseline[i]);
  }
  return diff;
}

Baseline BaselineOf(const AutorunList& catalogue) {
  Baseline baseline;
  baseline.reserve(catalogue.size());
  for (const TAutorunInfo& entry : catalogue) {
    baseline.push_back({entry.From, entry.Caption, entry.Target, entry.Enabled, entry.RawData});
  }
  return baseline;
}

std::wstring FormatDiffTable(const CatalogueDiff& diff) {
  if (diff.Empty()) return L"";
  std::vector<std::vector<std::wstring>> rows{{L"Change", L"Source", L"Caption", L"Target"}};
  for (const ChangeRow& row : ChangeRows(diff)) rows.push_back({row.change, row.from, row.caption, row.target});
  return FormatTable(rows);
}

std::wstring FormatDiffJson(const CatalogueDiff& diff) {
  nlohmann::ordered_json document{{"added", nlohmann::ordered_json::array()},
                                  {"removed", nlohmann::ordered_json::array()},
                                  {"changed", nlohmann::ordered_json::array()}};
  for (const ReportedEntry& entry : ReportCatalogue(diff.added)) document["added"].push_back(EntryJson(entry));
  for (const BaselineEntry& entry : diff.removed) document["removed"].push_back(RemovedJson(entry));
  for (const ChangedEntry& change : diff.changed) document["changed"].push_back(ChangedJson(change));
  return FromUtf8(JsonLine(document) + "\r\n");
}

std::wstring FormatChangeLines(const CatalogueDiff& diff, bool json) {
  std::wstring lines;
  if (!json) {
    for (const ChangeRow& row : ChangeRows(diff)) {
      lines += FormatTable({{row.change, row.from, row.caption, row.target}});
    }
    return lines;
  }
  for (const ReportedEntry& entry : ReportCatalogue(diff.added)) {
    nlohmann::ordered_json object{{"change", "added"}};
    object.update(EntryJson(entry));
    lines += FromUtf8(JsonLine(object) + "\r\n");
  }
  for (const BaselineEntry& entry : diff.removed) {
    nlohmann::ordered_json object{{"change", "removed"}};
    object.update(RemovedJson(entry));
    lines += FromUtf8(JsonLine(object) + "\r\n");
  }
  for (const ChangedEntry& change : diff.changed) {
    nlohmann::ordered_json object{{"change", ToUtf8(ChangeName(change))}};
    object.update(ChangedJson(change));
    lines += FromUtf8(JsonLine(object) + "\r\n");
  }
  return lines;
}

}  // namespace quorvane
