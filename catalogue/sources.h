// The sources that fill the catalogue, each appending its entries to the list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalogue/autorun.h"
#include "catalogue/task_sched_api.h"
#include "registry/reg_key.h"

namespace quorvane {

struct RunKeyLocation {
  HKEY rootKey;
  const wchar_t* key;  // with its leading backslash
};
// The three Run keys, in the order the catalogue reads them: the machine's native key, its
// 32-bit mirror, the user's key.
extern const RunKeyLocation kRunKeys[3];

void AddRunKeys(AutorunList& list);
// One Run key, read through one handle, with the StartupApproved key opened once.
void AddRunKey(HKEY rootKey, const std::wstring& key, AutorunList& list);
// The entries of the values that a listing of the open Run key named, in that order, each
// read when its turn comes: a value gone or changed since the listing reads as it is then, a
// missing one with an empty command line.
void AddRunValues(HKEY rootKey, const std::wstring& key, const RegKey& runKey,
                  const std::vector<std::wstring>& valueNames, AutorunList& list);

// The all-users Startup folder, then the user's.
void AddStartupFolders(AutorunList& list);
// One folder, given without a trailing backslash; the empty text adds nothing.
void AddStartupFolder(const std::wstring& folder, AutorunList& list);

// The tasks of the Task Scheduler's root folder, through a connection of their own. An error
// while reading them ends the listing and is swallowed; an error in opening the connection
// passes on, after the connection has been closed.
void AddTasks(AutorunList& list);
// The tasks directly in one scheduler folder ("\" is the root), hidden tasks left out.
// Throws an Error at the first call that fails.
void AddFolderTasks(ITaskService& service, const std::wstring& path, AutorunList& list);

// Every Win32 service whose configuration can be read, in the manager's order.
void AddServices(AutorunList& list);

}  // namespace quorvane
