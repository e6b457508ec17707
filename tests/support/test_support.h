// Helpers for tests that work on the test prefix's real registry, files and processes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/scoped.h"

namespace quorvane::test {

// A registry key of one test's own, HKCU\Software\QuorvaneTests\<unique>, deleted with
// everything below it when the test ends.
class ScratchKey {
 public:
  explicit ScratchKey(HKEY root = HKEY_CURRENT_USER);
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY Root() const { return root_; }
  // The key's path below its root, without a leading backslash.
  const std::wstring& Path() const { return path_; }
  std::wstring Below(const std::wstring& relative) const { return path_ + L'\\' + relative; }

 private:
  HKEY root_;
  std::wstring path_;
};

// A folder of one test's own in the temporary folder, deleted with its content at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L'\\' + name; }

 private:
  std::wstring path_;
};

// A copy of a program beside the test, under a name of its own, that Wine runs as the given
// Windows version ("win7", "win10") through its per-program settings, whatever the prefix
// says. The copy and the setting go when the owner does.
class ProgramAsWindowsVersion {
 public:
  ProgramAsWindowsVersion(const std::wstring& program, const std::wstring& version);
  ~ProgramAsWindowsVersion();
  ProgramAsWindowsVersion(const ProgramAsWindowsVersion&) = delete;
  ProgramAsWindowsVersion& operator=(const ProgramAsWindowsVersion&) = delete;

  const std::wstring& Path() const { return path_; }

 private:
  TempFolder folder_;
  std::wstring settingsKey_;
  std::wstring path_;
};

// A Win32 service of one test's own, created through the Service Control Manager and deleted
// when the test ends. Tests that make them hold the services lock.
class TestService {
 public:
  TestService(DWORD startType, const std::wstring& commandLine);
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;

  const std::wstring& Name() const { return name_; }
  const std::wstring& DisplayName() const { return displayName_; }
  // As the Service Control Manager has it now.
  DWORD StartType() const;
  void SetStartType(DWORD startType) const;

 private:
  std::wstring name_;
  std::wstring displayName_;
};

// Registry values written and read with the raw API, independent of the code under test.
void SetRawValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                 std::size_t size);
void SetStringValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                    DWORD type = REG_SZ);
void SetBinaryValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::vector<BYTE>& bytes);
void CreateRawKey(HKEY root, const std::wstring& key);
bool RawKeyExists(HKEY root, const std::wstring& key);
bool RawValueExists(HKEY root, const std::wstring& key, const std::wstring& name);
std::vector<BYTE> RawValueBytes(HKEY root, const std::wstring& key, const std::wstring& name, DWORD* type = nullptr);
void DeleteRawTree(HKEY root, const std::wstring& key);
void DeleteRawValue(HKEY root, const std::wstring& key, const std::wstring& name);
// Deletes every value of the key and keeps the key.
void DeleteAllValues(HKEY root, const std::wstring& key);

void WriteFileBytes(const std::wstring& path, std::string_view bytes);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Whether the condition becomes true before the time is up; it is checked every 20 ms.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds);
// The bytes of a file that appears whole (written elsewhere and renamed), once it is there.
std::optional<std::string> WaitForFileBytes(const std::wstring& path, DWORD timeoutMilliseconds);
// Names of the files and folders directly in a folder, "." and ".." left out.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);
// Deletes everything inside the folder and keeps the folder.
void EmptyFolder(const std::wstring& folder);

// A program's path beside the running test executable.
std::wstring ProgramBesideTest(const std::wstring& fileName);

// One argument for a command line, quoted so that the program's argument parsing gives it back
// unchanged: backslashes before a quote, and at the end, are doubled.
std::wstring QuotedArgument(const std::wstring& argument);

struct StartedProcess {
  ScopedHandle process;
  DWORD id = 0;
};
// Starts a command line, as CreateProcessW does; throws with the error when it cannot.
StartedProcess StartProcess(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles,
                            DWORD creationFlags);

struct ProcessResult {
  DWORD exitCode = 0;
  std::string output;  // stdout, as bytes
  std::string errors;  // stderr, as bytes
};
// Runs a command line to its end with stdout and stderr sent to files.
ProcessResult RunProcess(const std::wstring& commandLine);
// Runs a command line to its end in the calling process's console; gives its exit status.
DWORD RunProcessInConsole(const std::wstring& commandLine);

// A program that runs beside the test, its stdout and stderr sent to files that the test reads
// while it runs. Ended, if it still runs, when the owner goes.
class BackgroundProcess {
 public:
  // creationFlags beside those of CreateProcessW's own defaults, such as CREATE_NEW_PROCESS_GROUP.
  explicit BackgroundProcess(const std::wstring& commandLine, DWORD creationFlags = CREATE_NO_WINDOW);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  DWORD Id() const { return started_.id; }
  std::string Output() const;
  std::string Errors() const;
  // The exit status, when the program ends within the time.
  std::optional<DWORD> WaitForExit(DWORD milliseconds) const;

 private:
  TempFolder folder_;
  StartedProcess started_;
};

}  // namespace quorvane::test
