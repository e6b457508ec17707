// The autorun catalogue: every entry that starts together with Windows, from the Startup
// folders, the registry Run keys, the scheduled tasks and the services, in that order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registry/reg.h"
#include "registry/reg_key.h"

namespace quorvane {

class TAutorunInfo {
 public:
  std::wstring FileName;  // the file that the entry starts, as far as the source can tell
  std::wstring Caption;   // the entry's own name
  std::wstring RawData;   // the command text exactly as the source stores it
  std::wstring Target;    // where the entry is registered; with From, identifies the entry
  std::wstring From;      // the source tag
  bool Enabled = false;
};

// The catalogue, in the order in which the sources added the entries: never sorted, never
// searched for duplicates.
using AutorunList = std::vector<TAutorunInfo>;

// Source tags. A registry entry carries its short root name ("HKLM", "HKCU") instead.
inline constexpr wchar_t kFromFile[] = L"FILE";
inline constexpr wchar_t kFromTask[] = L"SCHE";
inline constexpr wchar_t kFromService[] = L"SERV";

enum class SourceKind { Registry, StartupFile, Task, Service };

// Looks the tag up among "FILE", "SCHE" and "SERV" without regard to case, under the user's
// locale; any other tag is a registry entry.
SourceKind SourceKindOf(const std::wstring& from);

// Empties the list and fills it from all sources. An error that a source lets pass ends the
// refresh there: the entries added so far stay, and the error goes on to the caller.
void RefreshAutorunList(AutorunList& list);

// The StartupApproved value in which Windows 10 and later record that a Run-key or
// Startup-folder entry is switched off: 12 bytes, byte 0 = 2 (on) or 3 (off), then three
// zeros, then the UTC time of writing as a FILETIME.
inline constexpr wchar_t kApprovedRunKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr wchar_t kApprovedStartupFolderKey[] =
    L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

// False only for a 12-byte value whose first byte is not 2: a missing value, or one of any
// other length, means enabled.
// The StartupApproved key of a Run key: the 32-bit mirror keeps its state under "Run32".
std::wstring ApprovedKeyOfRunKey(const std::wstring& runKey);
// The root whose StartupApproved key holds the state of a Startup folder's files: the machine's
// for the all-users folder, the user's for the user's own.
HKEY ApprovedRootOfStartupFolder(const std::wstring& folder);

bool IsApproved(HKEY rootKey, const std::wstring& key, const std::wstring& name);
// The same through the StartupApproved key opened already; a key that holds none means enabled.
bool IsApproved(const RegKey& approvedKey, const std::wstring& name);
TReg::Bytes MakeApprovedData(bool enable);

// For a Run-key or Startup-folder entry whose StartupApproved value switches it off, the time
// in that value as a FILETIME count (100-nanosecond intervals since 1601, UTC); nothing for an
// entry that is on, a time of zero, and tasks and services, which record no time.
std::optional<std::uint64_t> SwitchedOffTime(const TAutorunInfo& entry);

}  // namespace quorvane
