// The places the catalogue reads, in the test prefix: the three Run keys, the StartupApproved
// keys, the two Startup folders and the backup folder. Tests that seed them clear them before
// and after.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/shell.h"

namespace quorvane::test {

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRun32Key[] = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kApprovedRun[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr wchar_t kApprovedRun32[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";
inline constexpr wchar_t kApprovedFolder[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

std::wstring CommonStartupFolder();
std::wstring UserStartupFolder();
// Where switching off on Windows before 10 keeps what it takes away.
std::wstring BackupFolder();

// The StartupApproved value as a switch writes it: 12 bytes of type REG_BINARY, the state
// byte, three zeros, and a UTC FILETIME within a few seconds of now. Fails the running test
// otherwise.
inline constexpr BYTE kOn = 2;
inline constexpr BYTE kOff = 3;
void ExpectApprovedValue(HKEY root, const std::wstring& key, const std::wstring& name, BYTE state);

// Puts the locations back as a new prefix has them: both machine Run keys empty, no user Run
// key, no StartupApproved keys, both Startup folders empty, no backups.
void ResetAutorunLocations();

// A test of those places: they are put back as a new prefix has them before and after each
// test, and the program's placeholder map is filled for the whole suite.
class AutorunLocationsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { InitFolderPlaceholders(); }
  static void TearDownTestSuite() { ReleaseFolderPlaceholders(); }
  void SetUp() override { ResetAutorunLocations(); }
  void TearDown() override { ResetAutorunLocations(); }

  const std::wstring common_ = CommonStartupFolder();
  const std::wstring user_ = UserStartupFolder();
};

}  // namespace quorvane::test
