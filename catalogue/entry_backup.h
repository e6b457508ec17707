// What a switch on Windows before 10 takes out of autostart is kept, not lost: a Run value is
// written to a .reg file that puts it back when opened, and a Startup-folder file is moved
// instead of deleted. Both go to one folder of the program's, each under a name of its own.
#pragma once

#include <windows.h>

#include <string>

#include "registry/reg.h"

namespace quorvane {

// "<all users' application data>\Quorvane\Backup", created when missing. Throws an Error when
// it can be neither found nor created.
std::wstring BackupFolder();

// The whole .reg file, in regedit's "Windows Registry Editor Version 5.00" form, that sets the
// value under the 64-bit view of key with exactly this type and these bytes. Throws an Error
// for a value name that the form cannot carry (one with a line break in it).
std::wstring FormatRegFile(HKEY rootKey, const std::wstring& key, const std::wstring& name, DWORD type,
                           const TReg::Bytes& data);

// The text of a .reg file as regedit writes it: UTF-16LE with a byte order mark.
std::string EncodeRegFile(const std::wstring& text);

// Writes the value to a new .reg file in the backup folder and gives its path; the empty text
// when there is no such value. Throws an Error when the value cannot be read or the file
// cannot be written in full.
std::wstring BackUpRegistryValue(HKEY rootKey, const std::wstring& key, const std::wstring& name);

// Moves the file into the backup folder and gives its new path. Throws a WinError, with the
// system's text for the reason, when it cannot.
std::wstring MoveFileToBackup(const std::wstring& path);

}  // namespace quorvane
