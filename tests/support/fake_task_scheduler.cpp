#include "support/fake_task_scheduler.h"

#include <objbase.h>
#include <taskschd.h>

#include <stdexcept>

#include "support/test_support.h"

namespace quorvane::test {

namespace {

constexpr wchar_t kScenarioKey[] = L"Software\\QuorvaneTests\\FakeTaskScheduler";

std::wstring ServerKey() { return TaskSchedulerClassKey() + L"\\InprocServer32"; }

std::wstring ReadText(HKEY root, const std::wstring& key, const std::wstring& name) {
  const std::vector<BYTE> bytes = RawValueBytes(root, key, name);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

}  // namespace

std::wstring TaskSchedulerClassKey() {
  // From mingw's header, not from the program: the double answers to the published identifier.
  wchar_t clsid[64] = {};
  StringFromGUID2(__uuidof(TaskScheduler), clsid, 64);
  return std::wstring(L"Software\\Classes\\CLSID\\") + clsid;
}

FakeTaskScheduler::FakeTaskScheduler()
    : savedServer_(ReadText(HKEY_LOCAL_MACHINE, ServerKey(), L"")),
      savedThreadingModel_(ReadText(HKEY_LOCAL_MACHINE, ServerKey(), L"ThreadingModel")),
      module_(LoadLibraryW(ProgramBesideTest(L"task_scheduler_server.dll").c_str())) {
  if (!module_) throw std::runtime_error("cannot load task_scheduler_server.dll");
  DeleteRawTree(HKEY_CURRENT_USER, kScenarioKey);
  SetTasks({});
  SetStringValue(HKEY_LOCAL_MACHINE, ServerKey(), L"", ProgramBesideTest(L"task_scheduler_server.dll"));
  SetStringValue(HKEY_LOCAL_MACHINE, ServerKey(), L"ThreadingModel", L"Both");
}

FakeTaskScheduler::~FakeTaskScheduler() {
  SetStringValue(HKEY_LOCAL_MACHINE, ServerKey(), L"", savedServer_);
  SetStringValue(HKEY_LOCAL_MACHINE, ServerKey(), L"ThreadingModel", savedThreadingModel_);
  DeleteRawTree(HKEY_CURRENT_USER, kScenarioKey);
  FreeLibrary(module_);
}

void FakeTaskScheduler::SetTasks(const std::vector<FakeTask>& tasks) const {
  std::wstring lines;
  for (const FakeTask& task : tasks) {
    lines += std::wstring(task.enabled ? L"E" : L"") + (task.hidden ? L"H" : L"") + L"|" + task.path;
    lines += L'\0';
  }
  lines += L'\0';
  SetRawValue(HKEY_CURRENT_USER, kScenarioKey, L"Tasks", REG_MULTI_SZ, lines.data(), lines.size() * sizeof(wchar_t));
}

std::vector<FakeTask> FakeTaskScheduler::Tasks() const {
  const std::vector<BYTE> bytes = RawValueBytes(HKEY_CURRENT_USER, kScenarioKey, L"Tasks");
  const std::wstring lines(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  std::vector<FakeTask> tasks;
  for (std::size_t start = 0; start < lines.size() && lines[start] != L'\0';) {
    const std::wstring line = lines.substr(start, lines.find(L'\0', start) - start);
    start += line.size() + 1;
    const std::wstring flags = line.substr(0, line.find(L'|'));
    tasks.push_back({line.substr(flags.size() + 1), flags.find(L'E') != std::wstring::npos,
                     flags.find(L'H') != std::wstring::npos});
  }
  return tasks;
}

void FakeTaskScheduler::FailAt(const std::wstring& call, HRESULT result) const {
  SetStringValue(HKEY_CURRENT_USER, kScenarioKey, L"Fail", call);
  const DWORD code = static_cast<DWORD>(result);
  SetRawValue(HKEY_CURRENT_USER, kScenarioKey, L"FailWith", REG_DWORD, &code, sizeof code);
}

long FakeTaskScheduler::LiveObjects() const {
  using LiveObjectsFunction = LONG(STDAPICALLTYPE*)();
  const FARPROC address = GetProcAddress(module_, "FakeTaskSchedulerLiveObjects");
  if (!address) throw std::runtime_error("task_scheduler_server.dll lacks FakeTaskSchedulerLiveObjects");
  return reinterpret_cast<LiveObjectsFunction>(reinterpret_cast<void (*)()>(address))();
}

}  // namespace quorvane::test
