// quorvanec watch as a script meets it: a separate process that reports changes of the
// catalogue made by others while it runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "catalogue/autorun.h"
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"
#include "support/quorvanec_run.h"

namespace quorvane {
namespace {

using namespace test;  // the shared run of quorvanec and its seeded prefix
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

// The JSON lines that a watcher has printed so far, each parsed.
std::vector<nlohmann::json> WatchedLines(const test::BackgroundProcess& watcher) {
  std::vector<nlohmann::json> lines;
  const std::string output = watcher.Output();
  for (std::size_t start = 0, end; (end = output.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(nlohmann::json::parse(output.substr(start, end - start)));
  }
  return lines;
}

// Whether the watcher has printed a line with this change of the entry with this target.
bool Watched(const test::BackgroundProcess& watcher, const std::string& change, const std::wstring& target) {
  for (const auto& line : WatchedLines(watcher)) {
    if (line["change"] == change && line["target"] == ToUtf8(target)) return true;
  }
  return false;
}

class QuorvanecWatch : public QuorvanecTest {
 protected:
  // quorvanec watch --json, once it has read the catalogue and set its notices.
  std::unique_ptr<test::BackgroundProcess> StartWatch(DWORD creationFlags = CREATE_NO_WINDOW,
                                                      const std::wstring& interval = L"600") {
    const std::wstring program = test::QuotedArgument(test::ProgramBesideTest(L"quorvanec.exe"));
    auto watcher =
        std::make_unique<test::BackgroundProcess>(program + L" watch --json --interval " + interval, creationFlags);
    EXPECT_TRUE(test::WaitUntil([&] { return watcher->Errors().find("watching") != std::string::npos; }, 60000))
        << watcher->Errors();
    return watcher;
  }

  const std::wstring userRun_ = L"HKCU\\" + std::wstring(kRunKey);
};

TEST_F(QuorvanecWatch, ReportsARunValueAddedByAnotherProcessWithinTwoSeconds) {
  Seed();
  const auto watcher = StartWatch();
  const test::ProcessResult added =
      test::RunProcess(L"reg.exe add \"" + userRun_ + L"\" /v Arrival /t REG_SZ /d C:\\Arrival\\a.exe /f");
  ASSERT_EQ(added.exitCode, 0u) << added.errors;
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "added", userRun_ + L"\\Arrival"); }, 2000))
      << watcher->Output();

  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, L"Arrival", kSwitchedOff);
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "switched off", userRun_ + L"\\Arrival"); }, 2000))
      << watcher->Output();
  // Nothing else changed: exactly those two lines.
  EXPECT_EQ(WatchedLines(*watcher).size(), 2u) << watcher->Output();
  EXPECT_EQ(watcher->WaitForExit(0), std::nullopt);
}

// Tasks give no notice: they are read again at each interval.
TEST_F(QuorvanecWatch, ReadsTasksAgainAtEachInterval) {
  scheduler_.SetTasks({{L"\\Nightly", true, false}});
  const auto watcher = StartWatch(CREATE_NO_WINDOW, L"1");
  scheduler_.SetTasks({{L"\\Nightly", false, false}, {L"\\Weekly", true, false}});
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "added", L"\\Weekly"); }, 10000)) << watcher->Output();
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "switched off", L"\\Nightly"); }, 10000))
      << watcher->Output();
}

// The key and the folder are watched through their parents while they are gone.
TEST_F(QuorvanecWatch, FollowsARunKeyAndAStartupFolderThatAreRemovedAndCreatedAgain) {
  Seed();
  const auto watcher = StartWatch();
  const std::wstring syncTarget = userRun_ + L"\\Sync|Me";
  test::DeleteRawTree(HKEY_CURRENT_USER, kRunKey);
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "removed", syncTarget); }, 5000)) << watcher->Output();
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Again", L"C:\\again.exe");
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "added", userRun_ + L"\\Again"); }, 5000))
      << watcher->Output();

  const std::wstring toolTarget = user_ + L"\\\uB3C4\uAD6C.exe";
  test::EmptyFolder(user_);
  ASSERT_TRUE(RemoveDirectoryW(user_.c_str()));
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "removed", toolTarget); }, 5000)) << watcher->Output();
  ASSERT_TRUE(CreateDirectoryW(user_.c_str(), nullptr));
  test::WriteFileBytes(user_ + L"\\Back.lnk", "x");
  EXPECT_TRUE(test::WaitUntil([&] { return Watched(*watcher, "added", user_ + L"\\Back.lnk"); }, 5000))
      << watcher->Output();
}

// Ctrl+Break, sent to the watcher's process group in the watcher's own console. Wine 8 refuses
// to send it (GenerateConsoleCtrlEvent fails with ERROR_INVALID_HANDLE, in a console shared
// with the test as in one attached to): there the test can only say so.
TEST_F(QuorvanecWatch, EndsCleanlyOnCtrlBreak) {
  const auto watcher = StartWatch(CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP);
  FreeConsole();
  ASSERT_TRUE(AttachConsole(watcher->Id())) << GetLastError();
  const bool sent = GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, watcher->Id());
  const DWORD error = GetLastError();
  FreeConsole();
  if (!sent && error == ERROR_INVALID_HANDLE) GTEST_SKIP() << "the platform cannot send Ctrl+Break";
  ASSERT_TRUE(sent) << error;
  EXPECT_EQ(watcher->WaitForExit(10000), std::optional<DWORD>(0)) << watcher->Errors();
}

}  // namespace
}  // namespace quorvane
