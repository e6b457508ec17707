#include "catalogue/task_sched_api.h"

#include <cstdio>
#include <string>

#include "common/error.h"

namespace quorvane {

namespace {

std::wstring HresultText(HRESULT result) {
  wchar_t hex[16] = {};
  std::swprintf(hex, std::size(hex), L"0x%08lX", static_cast<unsigned long>(result));
  return hex;
}

}  // namespace

ComPtr<ITaskService> CoTaskScheduler_::Create() {
  ComPtr<ITaskService> service;
  const HRESULT result = CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                          kIidTaskService, reinterpret_cast<void**>(service.Put()));
  CheckTaskCall(result, L"Cannot create the Task Scheduler object");
  return service;
}

void CheckTaskCall(HRESULT result, const wchar_t* action) {
  if (SUCCEEDED(result)) return;
  throw Error(std::wstring(action) + L": " + SystemMessage(static_cast<unsigned long>(result)) + L" (" +
              HresultText(result) + L")");
}

}  // namespace quorvane
