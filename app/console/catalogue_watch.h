// quorvanec watch: reports every entry that is added, removed or switched, as it happens.
#pragma once

#include <windows.h>

namespace quorvane {

class ConsoleStream;

// Reads the catalogue, then again at each change notice of its registry keys and Startup
// folders and every pollMilliseconds for tasks and services, and writes the changes since the
// last read to output, one line each (a JSON object when json is set). Tells on errors when it
// is ready, and when a read fails (the last good read stays the one to compare with). Returns
// at Ctrl+C, Ctrl+Break or the console's closing; throws an Error when the first read fails.
void WatchCatalogue(bool json, DWORD pollMilliseconds, ConsoleStream& output, ConsoleStream& errors);

}  // namespace quorvane
