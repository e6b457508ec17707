// The program's connection to the Task Scheduler: opened for one piece of work (a refresh of
// the task source, or one task switch) and closed right after. Main thread only.
#pragma once

#include "catalogue/task_sched_api.h"

namespace quorvane {

// The open connection's service, or nullptr when none is open.
ITaskService* TaskService();

// Opens the connection, unless one is open. Without COM, or with security settings that COM
// refuses, it returns with no connection. Throws an Error when the scheduler object cannot be
// created, or cannot connect; in the second case the connection stays set, for
// StopTaskService to close.
void StartTaskService();

// Closes the connection, if one is open.
void StopTaskService();

// Calls StopTaskService when it goes out of scope, however the work ends: made before
// StartTaskService, so that an error in opening the connection still closes it.
class StopTaskServiceOnExit {
 public:
  StopTaskServiceOnExit() = default;
  StopTaskServiceOnExit(const StopTaskServiceOnExit&) = delete;
  StopTaskServiceOnExit& operator=(const StopTaskServiceOnExit&) = delete;
  ~StopTaskServiceOnExit() { StopTaskService(); }
};

}  // namespace quorvane
