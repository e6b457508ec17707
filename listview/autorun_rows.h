// The rows of the startup list and the merge that brings them in line with the catalogue:
// rows keep their place across loads, take their entry's current state, new entries that pass
// the filters get a row at the end, and rows whose entry has gone are deleted.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/autorun.h"
#include "common/name_list.h"
#include "listview/autorun_images.h"

namespace quorvane {

// One row of the list.
class TAutorunItem {
 public:
  std::wstring FileName;  // the display name: the product name of the entry's file, else its caption
  std::wstring Target;
  std::wstring From;
  std::int32_t Icon = 0;  // index of the row's image
  bool Enabled = false;   // the entry's state as of the last load
};

// The rows in list order. A row is found by its (Target, From) without walking the rows, so
// that a load stays proportional to the size of the catalogue.
class AutorunRows {
 public:
  std::size_t Count() const { return rows_.size(); }
  const TAutorunItem& operator[](std::size_t row) const { return rows_[row].item; }

  // The first row, in list order, with this Target and From, both compared without regard to
  // the case of the ASCII letters only.
  std::optional<std::size_t> FindRow(std::wstring_view target, std::wstring_view from) const;

  void SetEnabled(std::size_t row, bool enabled) { rows_[row].item.Enabled = enabled; }
  void Append(TAutorunItem item);
  // Deletes the rows that the test picks, walking from the last row to the first; deleting is
  // told each row's index just before the row goes, while the rows after it are gone already.
  void DeleteRows(const std::function<bool(const TAutorunItem&)>& doomed,
                  const std::function<void(std::size_t row)>& deleting);
  void Clear();

 private:
  struct Key {
    std::wstring target;
    std::wstring from;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  struct Row {
    TAutorunItem item;
    // Rows are only ever appended, so serials grow in list order.
    std::uint64_t serial = 0;
  };

  static Key KeyOf(std::wstring_view target, std::wstring_view from);

  std::vector<Row> rows_;
  // The serials of the rows of each key, the first in list order first.
  std::unordered_map<Key, std::vector<std::uint64_t>, KeyHash> serialsByKey_;
  std::uint64_t nextSerial_ = 0;
};

// What decides whether a new entry gets a row. A missing name list hides nothing.
struct MergeFilters {
  const NameList* fileWhite = nullptr;
  const NameList* nameWhite = nullptr;
  bool showSwitchedOff = false;
};

// What a row shows of a Run-key or Startup-folder entry's file: its product name (empty when
// it has none) and the index of its icon's image.
struct FileLook {
  std::wstring productName;
  std::int32_t icon = kRegistryImage;
};
using LookUpFile = std::function<FileLook(const std::wstring& fileName)>;

// The keys From + "|" + Target of the entries that a merge saw, compared exactly.
using SeenKeys = std::unordered_set<std::wstring>;

// Walks the catalogue in order: an entry whose row exists sets the row's state; any other
// entry with a caption, switched on or shown anyway, that no name list hides, gets a row at
// the end. Only Run-key and Startup-folder entries look their file up.
SeenKeys MergeEntries(const AutorunList& catalogue, AutorunRows& rows, const MergeFilters& filters,
                      const LookUpFile& lookUpFile);

// Deletes the rows whose key the merge did not see, the last first; deleting is told each.
void DeleteUnseenRows(AutorunRows& rows, const SeenKeys& seen, const std::function<void(std::size_t row)>& deleting);

}  // namespace quorvane
