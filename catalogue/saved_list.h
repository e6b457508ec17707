// The saved list file: the whole catalogue as UTF-8 text with a byte order mark, one line
// "From|Caption|Target" per entry in catalogue order, each ending in CR LF.
#pragma once

#include <string>

#include "catalogue/autorun.h"

namespace quorvane {

std::string FormatSavedList(const AutorunList& list);

// Writes the file so that it holds either its old content or the complete new list; throws
// an Error that says why when it cannot.
void SaveAutorunList(const AutorunList& list, const std::wstring& path);

}  // namespace quorvane
