// What the console companion tells about an entry beyond the catalogue's own fields: the
// version strings of its file, whether that file is there, and since when the entry is off.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/autorun.h"
#include "common/file_signature.h"

namespace quorvane {

struct EntryDetails {
  // The version strings of the entry's file, as the startup list reads its product name; empty
  // when the file has none.
  std::wstring product;
  std::wstring description;
  std::wstring company;
  std::wstring version;
  bool fileExists = false;
  // UTC, as 2026-12-10T09:41:07Z.
  std::optional<std::wstring> disabledAt;
  // Of an existing file only.
  std::optional<FileSignature> signature;

  bool operator==(const EntryDetails&) const = default;
};

struct ReportedEntry {
  TAutorunInfo entry;
  EntryDetails details;
};
using CatalogueReport = std::vector<ReportedEntry>;

// Reads the details of each entry from its file and the registry. Each file's signature is
// verified once in the life of the process.
CatalogueReport ReportCatalogue(const AutorunList& list);

// A FILETIME count as UTC in ISO 8601, to the second; nothing for a count that no calendar
// date has.
std::optional<std::wstring> IsoTimeOfFileTime(std::uint64_t fileTime);

}  // namespace quorvane
