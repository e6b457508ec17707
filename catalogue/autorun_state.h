// Switching one catalogue entry on or off in the system, the way Windows records it for the
// entry's kind. Nothing is returned: the next refresh of the catalogue shows the outcome.
#pragma once

#include <string>

namespace quorvane {

// By the version that the system itself reports, which a program without a compatibility
// manifest is not told by GetVersionEx. Asked afresh at each call.
bool IsWindows10OrLater();

// Dispatches on the source tag: "FILE", "SCHE" and "SERV" without regard to case, anything
// else is a registry Run value.
void SetAutorunState(const std::wstring& target, const std::wstring& from, bool enable);

// Windows 10 and later: the StartupApproved value under the entry's root. Earlier Windows:
// switching off takes the value out of the Run key, after writing it to a .reg file in the
// backup folder; switching on does nothing there. Only the catalogue's three Run keys are
// touched on earlier Windows.
void SetRunKeyState(const std::wstring& target, bool enable);
// Windows 10 and later: the StartupApproved value of the file's name, under HKEY_LOCAL_MACHINE
// for the all-users Startup folder and HKEY_CURRENT_USER otherwise. Earlier Windows: switching
// off moves a file of either Startup folder into the backup folder. Throws an Error for a
// target that no path can be, and on earlier Windows for a file that cannot be moved.
void SetStartupFileState(const std::wstring& target, bool enable);
// The task's enabled flag, the task found by its path from the root folder. A task that cannot
// be found or changed stays as it is; failing to reach the scheduler throws.
void SetTaskState(const std::wstring& target, bool enable);
// Automatic start, or disabled. The service is neither started nor stopped.
void SetServiceState(const std::wstring& target, bool enable);

// True when this switch takes the entry out of its place rather than recording its state, so
// that it is no longer in the catalogue afterwards: a Run value or a Startup-folder file
// switched off on Windows before 10.
bool SwitchRemovesEntry(const std::wstring& from, bool enable);

}  // namespace quorvane
