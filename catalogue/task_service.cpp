#include "catalogue/task_service.h"

#include <optional>
#include <string>

#include "catalogue/sources.h"
#include "common/error.h"

namespace quorvane {

namespace {

// The service and the COM initialisation that it lives in: releasing the service must come
// first, so it is the later member.
struct TaskConnection {
  ScopedComInit com;
  ComPtr<ITaskService> service;
};

std::optional<TaskConnection>& Connection() {
  static std::optional<TaskConnection> connection;
  return connection;
}

VARIANT IndexVariant(LONG index) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = index;
  return variant;
}

TAutorunInfo TaskEntry(IRegisteredTask& task, const std::wstring& folderPath) {
  ScopedBstr name;
  CheckTaskCall(task.get_Name(name.Put()), L"Cannot read a task's name");
  VARIANT_BOOL enabled = VARIANT_FALSE;
  CheckTaskCall(task.get_Enabled(&enabled), L"Cannot read whether a task is enabled");

  TAutorunInfo entry;
  entry.Caption = name ? name.Get() : L"";
  // The root folder's path is a lone backslash: it must not be doubled.
  entry.Target =
      (folderPath.ends_with(L'\\') ? folderPath.substr(0, folderPath.size() - 1) : folderPath) + L'\\' + entry.Caption;
  entry.From = kFromTask;
  entry.Enabled = enabled != VARIANT_FALSE;
  return entry;
}

}  // namespace

ITaskService* TaskService() { return Connection() ? Connection()->service.Get() : nullptr; }

void StartTaskService() {
  if (TaskService()) return;

  ScopedComInit com;
  if (!com) return;
  const HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  // RPC_E_TOO_LATE: security was set for this process before, by an earlier connection say.
  if (FAILED(security) && security != RPC_E_TOO_LATE) return;

  // Should this throw, com's destructor matches the CoInitialize: a start that fails leaves
  // the thread's COM as it found it.
  ComPtr<ITaskService> service = CoTaskScheduler_::Create();
  Connection().emplace(TaskConnection{std::move(com), std::move(service)});

  VARIANT empty;
  VariantInit(&empty);
  CheckTaskCall(TaskService()->Connect(empty, empty, empty, empty), L"Cannot connect to the Task Scheduler");
}

void StopTaskService() { Connection().reset(); }

void AddTasks(AutorunList& list) {
  const StopTaskServiceOnExit stop;
  StartTaskService();
  if (!TaskService()) return;
  try {
    AddFolderTasks(*TaskService(), L"\\", list);
  } catch (const Error&) {
    // A folder or task that cannot be read ends the listing; the tasks read so far stay.
  }
}

void AddFolderTasks(ITaskService& service, const std::wstring& path, AutorunList& list) {
  const ScopedBstr folderPath(SysAllocString(path.c_str()));
  ComPtr<ITaskFolder> folder;
  CheckTaskCall(service.GetFolder(folderPath.Get(), folder.Put()), L"Cannot open a task folder");
  // Flags 0: hidden tasks are left out.
  ComPtr<IRegisteredTaskCollection> tasks;
  CheckTaskCall(folder->GetTasks(0, tasks.Put()), L"Cannot list the tasks of a folder");
  LONG count = 0;
  CheckTaskCall(tasks->get_Count(&count), L"Cannot count the tasks of a folder");
  for (LONG index = 1; index <= count; ++index) {
    ComPtr<IRegisteredTask> task;
    CheckTaskCall(tasks->get_Item(IndexVariant(index), task.Put()), L"Cannot read a task");
    list.push_back(TaskEntry(*task.Get(), path));
  }
}

}  // namespace quorvane
