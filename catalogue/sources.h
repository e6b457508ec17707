// The sources that fill the catalogue, each appending its entries to the list.
#pragma once

#include <windows.h>

#include <string>

#include "catalogue/autorun.h"

namespace quorvane {

// The three Run keys: the machine's native key, its 32-bit mirror, the user's key.
void AddRunKeys(AutorunList& list);
void AddRunKey(HKEY rootKey, const std::wstring& key, AutorunList& list);

// The all-users Startup folder, then the user's.
void AddStartupFolders(AutorunList& list);
// One folder, given without a trailing backslash; the empty text adds nothing.
void AddStartupFolder(const std::wstring& folder, AutorunList& list);

}  // namespace quorvane
