// The task source and the task switch, against the Task Scheduler double (Wine's scheduler
// lists no tasks and switches none), and the connection against Wine's own scheduler.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/autorun_state.h"
#include "catalogue/sources.h"
#include "catalogue/task_service.h"
#include "common/error.h"
#include "support/fake_task_scheduler.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::FakeTask;
using testing::AllOf;
using testing::ElementsAre;
using testing::Field;
using testing::HasSubstr;
using testing::IsEmpty;

testing::Matcher<const TAutorunInfo&> TaskEntry(const std::wstring& caption, const std::wstring& target, bool enabled) {
  return AllOf(Field("From", &TAutorunInfo::From, L"SCHE"), Field("Caption", &TAutorunInfo::Caption, caption),
               Field("Target", &TAutorunInfo::Target, target), Field("Enabled", &TAutorunInfo::Enabled, enabled),
               Field("FileName", &TAutorunInfo::FileName, L""), Field("RawData", &TAutorunInfo::RawData, L""));
}

// True when this thread has no COM left: every CoInitialize was matched by CoUninitialize.
bool ComIsUninitialised() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(result)) CoUninitialize();
  return result == S_OK;
}

const std::vector<FakeTask> kRootAndBeyond = {
    {L"\\Backup", true, false},
    {L"\\Off", false, false},
    {L"\\Hidden", true, true},
    {L"\\Microsoft\\Windows\\Defrag", true, false},
    {L"\\\uC5C5\uB370\uC774\uD2B8", true, false},
};

class TaskSourceTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(TaskService(), nullptr) << "the connection was left open";
    EXPECT_TRUE(ComIsUninitialised());
    EXPECT_EQ(scheduler_.LiveObjects(), 0) << "scheduler objects were not released";
  }

  test::FakeTaskScheduler scheduler_;
};

TEST_F(TaskSourceTest, ListsTheVisibleTasksOfTheRootFolderInOrder) {
  scheduler_.SetTasks(kRootAndBeyond);
  AutorunList list;
  AddTasks(list);
  EXPECT_THAT(list, ElementsAre(TaskEntry(L"Backup", L"\\Backup", true), TaskEntry(L"Off", L"\\Off", false),
                                TaskEntry(L"\uC5C5\uB370\uC774\uD2B8", L"\\\uC5C5\uB370\uC774\uD2B8", true)));
}

TEST_F(TaskSourceTest, AnEmptyRootFolderAddsNothingAndKeepsWhatTheListHeld) {
  AutorunList list(1);
  AddTasks(list);
  EXPECT_EQ(list.size(), 1u);
}

TEST_F(TaskSourceTest, EachListingOpensAndClosesItsOwnConnection) {
  scheduler_.SetTasks(kRootAndBeyond);
  AutorunList first;
  AddTasks(first);
  EXPECT_EQ(TaskService(), nullptr);
  AutorunList second;
  AddTasks(second);
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[1].Caption, first[1].Caption);
}

struct ReadFailure {
  const wchar_t* call;
  std::size_t entriesKept;
};

void PrintTo(const ReadFailure& failure, std::ostream* out) {
  *out << testing::PrintToString(std::wstring(failure.call));
}

class TaskReadFailure : public TaskSourceTest, public testing::WithParamInterface<ReadFailure> {};

TEST_P(TaskReadFailure, EndsTheListingQuietlyWithTheTasksReadSoFar) {
  scheduler_.SetTasks(kRootAndBeyond);
  scheduler_.FailAt(GetParam().call);
  AutorunList list;
  EXPECT_NO_THROW(AddTasks(list));
  EXPECT_EQ(list.size(), GetParam().entriesKept);
}

INSTANTIATE_TEST_SUITE_P(AtEachCall, TaskReadFailure,
                         testing::Values(ReadFailure{L"GetFolder", 0}, ReadFailure{L"GetTasks", 0},
                                         ReadFailure{L"get_Count", 0}, ReadFailure{L"get_Item 1", 0},
                                         ReadFailure{L"get_Item 2", 1}, ReadFailure{L"get_Name Off", 1},
                                         ReadFailure{L"get_Enabled \uC5C5\uB370\uC774\uD2B8", 2}));

struct ConnectionFailure {
  const wchar_t* call;
  const wchar_t* reported;  // the HRESULT that the error names
};

void PrintTo(const ConnectionFailure& failure, std::ostream* out) {
  *out << testing::PrintToString(std::wstring(failure.call));
}

class TaskConnectionFailure : public TaskSourceTest, public testing::WithParamInterface<ConnectionFailure> {};

TEST_P(TaskConnectionFailure, PassesOnAfterTheConnectionIsClosed) {
  scheduler_.SetTasks(kRootAndBeyond);
  scheduler_.FailAt(GetParam().call, HRESULT_FROM_WIN32(ERROR_SERVICE_NOT_ACTIVE));
  AutorunList list(2);
  try {
    AddTasks(list);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_THAT(error.Message(), HasSubstr(GetParam().reported));
  }
  EXPECT_EQ(list.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(CreateOrConnect, TaskConnectionFailure,
                         testing::Values(ConnectionFailure{L"CreateInstance", L"0x80070426"},
                                         ConnectionFailure{L"QueryInterface", L"0x80004002"},
                                         ConnectionFailure{L"Connect", L"0x80070426"}));

TEST_F(TaskSourceTest, AFolderIsReadOnItsOwnAndItsTargetsNameTheFolder) {
  scheduler_.SetTasks(kRootAndBeyond);
  const StopTaskServiceOnExit stop;
  StartTaskService();
  ASSERT_NE(TaskService(), nullptr);

  AutorunList list;
  AddFolderTasks(*TaskService(), L"\\Microsoft\\Windows", list);
  EXPECT_THAT(list, ElementsAre(TaskEntry(L"Defrag", L"\\Microsoft\\Windows\\Defrag", true)));

  // Inside the folder, unlike inside AddTasks, the first failing call passes on.
  scheduler_.FailAt(L"get_Item 2");
  list.clear();
  EXPECT_THROW(AddFolderTasks(*TaskService(), L"\\", list), Error);
  EXPECT_THAT(list, ElementsAre(TaskEntry(L"Backup", L"\\Backup", true)));
}

TEST_F(TaskSourceTest, AnOpenConnectionServesTheNextStart) {
  const StopTaskServiceOnExit stop;
  StartTaskService();
  ITaskService* const first = TaskService();
  ASSERT_NE(first, nullptr);
  StartTaskService();
  EXPECT_EQ(TaskService(), first);
  StopTaskService();
  EXPECT_EQ(TaskService(), nullptr);
  StopTaskService();
}

// ---- Switching a task ------------------------------------------------------------------------

TEST_F(TaskSourceTest, SwitchingSetsTheTasksEnabledFlagAndNothingElse) {
  scheduler_.SetTasks(kRootAndBeyond);
  std::vector<FakeTask> expected = kRootAndBeyond;

  SetAutorunState(L"\\Backup", L"SCHE", false);
  expected[0].enabled = false;
  EXPECT_EQ(scheduler_.Tasks(), expected);

  SetAutorunState(L"\\Off", L"sche", true);
  expected[1].enabled = true;
  EXPECT_EQ(scheduler_.Tasks(), expected);

  AutorunList list;
  AddTasks(list);
  EXPECT_THAT(list,
              ElementsAre(TaskEntry(L"Backup", L"\\Backup", false), TaskEntry(L"Off", L"\\Off", true), testing::_));
}

class TaskSwitchMiss : public TaskSourceTest,
                       public testing::WithParamInterface<std::pair<const wchar_t*, const wchar_t*>> {};

TEST_P(TaskSwitchMiss, ChangesNothingAndReportsNothing) {
  scheduler_.SetTasks(kRootAndBeyond);
  const auto [target, failingCall] = GetParam();
  if (*failingCall) scheduler_.FailAt(failingCall);
  EXPECT_NO_THROW(SetTaskState(target, false));
  EXPECT_EQ(scheduler_.Tasks(), kRootAndBeyond);
}

INSTANTIATE_TEST_SUITE_P(UnknownOrFailing, TaskSwitchMiss,
                         testing::Values(std::pair{L"\\Missing", L""}, std::pair{L"\\No\\Such\\Task", L""},
                                         std::pair{L"\\Backup\\", L""}, std::pair{L"\\\\Backup", L""},
                                         std::pair{L"", L""}, std::pair{L"\\Backup", L"GetFolder"},
                                         std::pair{L"\\Backup", L"GetTask"},
                                         std::pair{L"\\Backup", L"put_Enabled Backup"}));

TEST_F(TaskSourceTest, ASwitchThatCannotConnectPassesTheErrorOn) {
  scheduler_.SetTasks(kRootAndBeyond);
  scheduler_.FailAt(L"Connect");
  EXPECT_THROW(SetAutorunState(L"\\Backup", L"SCHE", false), Error);
  EXPECT_EQ(scheduler_.Tasks(), kRootAndBeyond);
}

// ---- Wine's own scheduler ---------------------------------------------------------------------

// Wine's scheduler registers and finds tasks but lists and switches none; what it does do
// shows that the connection is made the way the scheduler accepts. (Registering a task sets
// Wine's Schedule service to start automatically, so this program holds the services lock.)
TEST(WineTaskScheduler, ConnectsOpensTheRootFolderAndFindsATaskByName) {
  const std::wstring name = L"QuorvaneTest " + std::to_wstring(GetCurrentProcessId());
  const std::wstring xml =
      L"<?xml version=\"1.0\"?><Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
      L"<Actions><Exec><Command>C:\\windows\\notepad.exe</Command></Exec></Actions></Task>";
  {
    const StopTaskServiceOnExit stop;
    ASSERT_NO_THROW(StartTaskService());
    ASSERT_NE(TaskService(), nullptr);
    ComPtr<ITaskFolder> root;
    ASSERT_EQ(TaskService()->GetFolder(ScopedBstr(SysAllocString(L"\\")).Get(), root.Put()), S_OK);
    VARIANT empty;
    VariantInit(&empty);
    ComPtr<IRegisteredTask> registered;
    ASSERT_EQ(root->RegisterTask(ScopedBstr(SysAllocString(name.c_str())).Get(),
                                 ScopedBstr(SysAllocString(xml.c_str())).Get(), TASK_CREATE_OR_UPDATE, empty, empty,
                                 TASK_LOGON_NONE, empty, registered.Put()),
              S_OK);

    ComPtr<IRegisteredTask> found;
    ASSERT_EQ(root->GetTask(ScopedBstr(SysAllocString((L"\\" + name).c_str())).Get(), found.Put()), S_OK);
    ScopedBstr foundName;
    ASSERT_EQ(found->get_Name(foundName.Put()), S_OK);
    EXPECT_EQ(std::wstring(foundName.Get()), name);
  }
  EXPECT_EQ(TaskService(), nullptr);

  EXPECT_NO_THROW(SetTaskState(L"\\" + name, false));
  AutorunList list;
  EXPECT_NO_THROW(AddTasks(list));
  EXPECT_EQ(TaskService(), nullptr);
  EXPECT_TRUE(ComIsUninitialised());

  const StopTaskServiceOnExit stop;
  StartTaskService();
  ComPtr<ITaskFolder> root;
  ASSERT_EQ(TaskService()->GetFolder(ScopedBstr(SysAllocString(L"\\")).Get(), root.Put()), S_OK);
  EXPECT_EQ(root->DeleteTask(ScopedBstr(SysAllocString(name.c_str())).Get(), 0), S_OK);
}

}  // namespace
}  // namespace quorvane
