// What changed in the catalogue since a baseline: entries added, removed, switched on or off,
// or starting another command. quorvanec diff prints it once, quorvanec watch as it happens.
#pragma once

#include <string>
#include <vector>

#include "app/console/baseline.h"
#include "catalogue/autorun.h"

namespace quorvane {

struct ChangedEntry {
  BaselineEntry before;
  TAutorunInfo after;
  bool switched = false;    // the state differs
  bool newCommand = false;  // the command text differs
};

struct CatalogueDiff {
  std::vector<TAutorunInfo> added;     // in catalogue order
  std::vector<BaselineEntry> removed;  // in baseline order
  std::vector<ChangedEntry> changed;   // in catalogue order

  bool Empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

// Entries are the same entry when their targets are the same and their tags are the same in
// any letter case. What the baseline does not know (a saved list has no state and no command
// text) counts as unchanged.
CatalogueDiff DiffCatalogue(const Baseline& baseline, const AutorunList& catalogue);

// The catalogue as a baseline for the next comparison.
Baseline BaselineOf(const AutorunList& catalogue);

// A table for a person: change, source, caption, target, a line for each entry; nothing at all
// when nothing changed. The change is "added", "removed", "switched on", "switched off",
// "new command", or a switch and a new command together.
std::wstring FormatDiffTable(const CatalogueDiff& diff);

// {"added": [entries as list --json prints them], "removed": [...], "changed": [...]}, where a
// removed entry has what the baseline held and a changed one "from", "caption", "target",
// "before" and "after" (each with "enabled" and "rawData").
std::wstring FormatDiffJson(const CatalogueDiff& diff);

// One line per change for quorvanec watch: as the table's rows without a heading, or each a
// JSON object with "change" and the entry's members.
std::wstring FormatChangeLines(const CatalogueDiff& diff, bool json);

}  // namespace quorvane
