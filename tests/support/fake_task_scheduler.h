// The Task Scheduler double (tests/fakes/task_scheduler_server.cpp), registered in the test
// prefix in place of Wine's scheduler for as long as the owner lives. Tests that use it, and
// every test that refreshes the whole catalogue, hold the task_scheduler lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorvane::test {

struct FakeTask {
  std::wstring path;  // "\Backup", or "\Sub\Task" for a task in a subfolder
  bool enabled = true;
  bool hidden = false;

  bool operator==(const FakeTask&) const = default;
};

class FakeTaskScheduler {
 public:
  // Registers the double, with no tasks and no failing call.
  FakeTaskScheduler();
  // Puts Wine's scheduler back and forgets the double's tasks.
  ~FakeTaskScheduler();
  FakeTaskScheduler(const FakeTaskScheduler&) = delete;
  FakeTaskScheduler& operator=(const FakeTaskScheduler&) = delete;

  // The tasks in registration order.
  void SetTasks(const std::vector<FakeTask>& tasks) const;
  std::vector<FakeTask> Tasks() const;

  // Makes one call fail: "Connect", "get_Item 2", "put_Enabled Backup"... (see the double).
  void FailAt(const std::wstring& call, HRESULT result = E_ACCESSDENIED) const;

  // The double's objects that are still alive in this process.
  long LiveObjects() const;

 private:
  std::wstring savedServer_;
  std::wstring savedThreadingModel_;
  HMODULE module_;
};

// The registry path of the Task Scheduler's class registration, for the tests that look at
// Wine's own.
std::wstring TaskSchedulerClassKey();

}  // namespace quorvane::test
