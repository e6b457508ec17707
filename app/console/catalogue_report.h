// The catalogue as the console companion prints it.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/console/entry_details.h"
#include "catalogue/autorun.h"

namespace quorvane {

// Rows aligned in columns two blanks apart, by their width on screen, control characters shown
// as question marks; the last column is not padded, and every line ends in CR LF.
std::wstring FormatTable(const std::vector<std::vector<std::wstring>>& rows);

// A table for a person: state, source tag, caption and target, aligned in columns, with a
// heading line; every line ends in CR LF.
std::wstring FormatCatalogueTable(const AutorunList& list);

// One entry as a JSON object: "from", "caption", "target", "fileName", "rawData" (texts),
// "enabled" (a boolean), "product", "description", "company", "version" (texts), "fileExists"
// (a boolean), "disabledAt" (a text, or null), "signature" ("valid", "unsigned", "invalid" or
// "untrusted"; null when the file does not exist) and "signer" (a text; null with "signature").
nlohmann::ordered_json EntryJson(const ReportedEntry& reported);
// On one line, without a line break; text that is not well-formed UTF-16 comes out as U+FFFD.
std::string JsonLine(const nlohmann::ordered_json& value);

// A JSON array with one object per entry, in catalogue order, each on a line of its own.
std::wstring FormatCatalogueJson(const CatalogueReport& report);

// RFC 4180 text with a byte order mark first: a header row of the JSON object's member names,
// then one row per entry with its members' values; true and false for booleans, an empty
// field for null.
std::wstring FormatCatalogueCsv(const CatalogueReport& report);

// The columns a text takes in a console: two for the wide East Asian characters, one for the
// others.
std::size_t DisplayWidth(std::wstring_view text);

}  // namespace quorvane
