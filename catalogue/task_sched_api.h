// The Task Scheduler 2.0 interfaces, as mingw's <taskschd.h> declares them, and the two
// identifiers that its libuuid lacks.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <taskschd.h>

#include "common/scoped.h"

namespace quorvane {

// The published identifiers of Windows' Task Scheduler 2.0.
inline constexpr CLSID kClsidTaskScheduler = {
    0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
inline constexpr IID kIidTaskService = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

// Creates the scheduler objects. This is the only place where the program makes one.
class CoTaskScheduler_ {
 public:
  // A new Task Scheduler object on this computer, not yet connected. Throws an Error when the
  // object cannot be created or has no ITaskService interface.
  static ComPtr<ITaskService> Create();
};

// Throws an Error that names the failed action and the HRESULT when it is negative; every
// failed call on the scheduler's interfaces ends the work that made it.
void CheckTaskCall(HRESULT result, const wchar_t* action);

}  // namespace quorvane
