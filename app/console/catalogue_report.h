// The catalogue as the console companion prints it.
#pragma once

#include <string>

#include "catalogue/autorun.h"

namespace quorvane {

// A table for a person: state, source tag, caption and target, aligned in columns, with a
// heading line; every line ends in CR LF.
std::wstring FormatCatalogueTable(const AutorunList& list);

// A JSON array with one object per entry, in catalogue order, each on a line of its own:
// "from", "caption", "target", "fileName", "rawData" (texts) and "enabled" (a boolean).
std::wstring FormatCatalogueJson(const AutorunList& list);

// The columns a text takes in a console: two for the wide East Asian characters, one for the
// others.
std::size_t DisplayWidth(std::wstring_view text);

}  // namespace quorvane
