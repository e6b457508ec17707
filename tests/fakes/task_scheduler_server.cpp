// A Task Scheduler for the tests, served as an in-process COM server under the Task
// Scheduler's own class identifier, so that a program reaches it exactly as it reaches the
// system's. It behaves as Windows' scheduler does where Wine's cannot (listing tasks,
// switching them), and keeps its tasks in the registry, where tests set them up, see them
// switched, and choose a call that fails:
//
//   HKCU\Software\QuorvaneTests\FakeTaskScheduler
//     Tasks     REG_MULTI_SZ  one "<flags>|<path>" per task, in registration order; flags "E"
//                             (enabled) and "H" (hidden), e.g. "E|\Backup", "|\Sub\Off"
//     Fail      REG_SZ        the call that fails: "CreateInstance", "QueryInterface",
//                             "Connect", "GetFolder", "GetTasks", "get_Count", "GetTask", or
//                             "get_Item <index>", "get_Name <task>", "get_Enabled <task>",
//                             "put_Enabled <task>" for one item or task only
//     FailWith  REG_DWORD     the HRESULT it fails with
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <taskschd.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

// COM calls every method here, so none lets an exception out (noexcept): the only one that
// could come, a failed allocation, ends the test program.
//
// COM objects end through Release, never through a pointer to the interface they implement,
// whose destructors COM leaves non-virtual.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

constexpr wchar_t kScenarioKey[] = L"Software\\QuorvaneTests\\FakeTaskScheduler";
const HRESULT kNotConnected = HRESULT_FROM_WIN32(ERROR_ONLY_IF_CONNECTED);
const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
const HRESULT kFolderNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

struct Task {
  std::wstring path;
  bool enabled = false;
  bool hidden = false;
};

// ---- The scenario in the registry --------------------------------------------------------

bool ReadValue(const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kScenarioKey, name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  data.resize(size);
  if (RegGetValueW(HKEY_CURRENT_USER, kScenarioKey, name, RRF_RT_ANY, &type, data.data(), &size) != ERROR_SUCCESS)
    return false;
  data.resize(size);
  return true;
}

std::vector<std::wstring> ReadStrings(const wchar_t* name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  std::vector<std::wstring> strings;
  if (!ReadValue(name, type, data)) return strings;
  const auto* text = reinterpret_cast<const wchar_t*>(data.data());
  const std::size_t length = data.size() / sizeof(wchar_t);
  for (std::size_t start = 0; start < length && text[start] != L'\0';) {
    std::wstring item(text + start);
    start += item.size() + 1;
    strings.push_back(std::move(item));
  }
  return strings;
}

std::vector<Task> LoadTasks() {
  std::vector<Task> tasks;
  for (const std::wstring& line : ReadStrings(L"Tasks")) {
    const auto bar = line.find(L'|');
    if (bar == std::wstring::npos) continue;
    const std::wstring flags = line.substr(0, bar);
    tasks.push_back(
        {line.substr(bar + 1), flags.find(L'E') != std::wstring::npos, flags.find(L'H') != std::wstring::npos});
  }
  return tasks;
}

void SaveTasks(const std::vector<Task>& tasks) {
  std::wstring data;
  for (const Task& task : tasks) {
    data += std::wstring(task.enabled ? L"E" : L"") + (task.hidden ? L"H" : L"") + L"|" + task.path;
    data += L'\0';
  }
  data += L'\0';
  RegSetKeyValueW(HKEY_CURRENT_USER, kScenarioKey, L"Tasks", REG_MULTI_SZ, data.data(),
                  static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

// The chosen failure when this call, for this argument, is the one that fails; S_OK otherwise.
HRESULT Injected(const std::wstring& call, const std::wstring& argument = L"") {
  const std::vector<std::wstring> fail = ReadStrings(L"Fail");
  if (fail.empty()) return S_OK;
  if (fail[0] != call && fail[0] != call + L" " + argument) return S_OK;
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadValue(L"FailWith", type, data) || type != REG_DWORD || data.size() != sizeof(DWORD)) return E_FAIL;
  return *reinterpret_cast<const HRESULT*>(data.data());
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ParentOf(const std::wstring& path) {
  const auto separator = path.rfind(L'\\');
  return separator == 0 ? L"\\" : path.substr(0, separator);
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

// A folder exists when it is the root or holds a task, directly or further down.
bool FolderExists(const std::wstring& folder) {
  if (folder == L"\\") return true;
  for (const Task& task : LoadTasks()) {
    for (std::wstring parent = ParentOf(task.path); parent != L"\\"; parent = ParentOf(parent)) {
      if (SamePath(parent, folder)) return true;
    }
  }
  return false;
}

template <typename Tasks>
auto FindTask(Tasks& tasks, const std::wstring& path) -> decltype(&tasks.front()) {
  for (auto& task : tasks) {
    if (SamePath(task.path, path)) return &task;
  }
  return nullptr;
}

HRESULT NewBstr(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// ---- COM plumbing ------------------------------------------------------------------------

template <typename Interface>
class Object : public Interface {
 public:
  Object() { ++liveObjects; }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() { --liveObjects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(Interface)) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) noexcept override {
    return E_NOTIMPL;
  }

 private:
  std::atomic<ULONG> references_{1};
};

// Hands a new object's first reference to the caller.
template <typename Interface, typename Made>
HRESULT Hand(Made* made, Interface** out) {
  if (!out) {
    made->Release();
    return E_POINTER;
  }
  *out = made;
  return S_OK;
}

// ---- The four interfaces -----------------------------------------------------------------

class RegisteredTask : public Object<IRegisteredTask> {
 public:
  explicit RegisteredTask(std::wstring path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) noexcept override {
    if (const HRESULT failure = Injected(L"get_Name", NameOf(path_)); FAILED(failure)) return failure;
    return NewBstr(NameOf(path_), name);
  }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) noexcept override { return NewBstr(path_, path); }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) noexcept override {
    if (!enabled) return E_POINTER;
    if (const HRESULT failure = Injected(L"get_Enabled", NameOf(path_)); FAILED(failure)) return failure;
    const std::vector<Task> tasks = LoadTasks();
    const Task* task = FindTask(tasks, path_);
    if (!task) return kNotFound;
    *enabled = task->enabled ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) noexcept override {
    if (enabled != VARIANT_TRUE && enabled != VARIANT_FALSE) return E_INVALIDARG;
    if (const HRESULT failure = Injected(L"put_Enabled", NameOf(path_)); FAILED(failure)) return failure;
    std::vector<Task> tasks = LoadTasks();
    Task* task = FindTask(tasks, path_);
    if (!task) return kNotFound;
    task->enabled = enabled == VARIANT_TRUE;
    SaveTasks(tasks);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_State(TASK_STATE*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Run(VARIANT, IRunningTask**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG, LONG, BSTR, IRunningTask**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Xml(BSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop(LONG) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD*,
                                        LPSYSTEMTIME*) noexcept override {
    return E_NOTIMPL;
  }

 private:
  std::wstring path_;
};

// The tasks of one folder as they were when the collection was made; items from 1 to Count.
class TaskCollection : public Object<IRegisteredTaskCollection> {
 public:
  explicit TaskCollection(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) noexcept override {
    if (!count) return E_POINTER;
    if (const HRESULT failure = Injected(L"get_Count"); FAILED(failure)) return failure;
    *count = static_cast<LONG>(paths_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask** task) noexcept override {
    if (!task) return E_POINTER;
    *task = nullptr;
    if (index.vt != VT_I4) return E_INVALIDARG;
    if (const HRESULT failure = Injected(L"get_Item", std::to_wstring(index.lVal)); FAILED(failure)) return failure;
    if (index.lVal < 1 || static_cast<std::size_t>(index.lVal) > paths_.size()) return E_INVALIDARG;
    return Hand(new RegisteredTask(paths_[static_cast<std::size_t>(index.lVal) - 1]), task);
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) noexcept override { return E_NOTIMPL; }

 private:
  std::vector<std::wstring> paths_;
};

class TaskFolder : public Object<ITaskFolder> {
 public:
  explicit TaskFolder(std::wstring path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) noexcept override {
    return NewBstr(path_ == L"\\" ? path_ : NameOf(path_), name);
  }
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) noexcept override { return NewBstr(path_, path); }
  HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask** task) noexcept override {
    if (!task) return E_POINTER;
    *task = nullptr;
    if (const HRESULT failure = Injected(L"GetTask"); FAILED(failure)) return failure;
    const std::wstring given(path ? path : L"", path ? SysStringLen(path) : 0);
    if (given.empty()) return E_INVALIDARG;
    const std::wstring full = given.front() == L'\\' ? given : (path_ == L"\\" ? L"" : path_) + L"\\" + given;
    if (!FolderExists(ParentOf(full))) return kFolderNotFound;
    const std::vector<Task> tasks = LoadTasks();
    const Task* found = FindTask(tasks, full);
    if (!found) return kNotFound;
    return Hand(new RegisteredTask(found->path), task);
  }
  HRESULT STDMETHODCALLTYPE GetTasks(LONG flags, IRegisteredTaskCollection** tasks) noexcept override {
    if (!tasks) return E_POINTER;
    *tasks = nullptr;
    if (const HRESULT failure = Injected(L"GetTasks"); FAILED(failure)) return failure;
    std::vector<std::wstring> paths;
    for (const Task& task : LoadTasks()) {
      if (!SamePath(ParentOf(task.path), path_)) continue;
      if (task.hidden && !(flags & TASK_ENUM_HIDDEN)) continue;
      paths.push_back(task.path);
    }
    return Hand(new TaskCollection(std::move(paths)), tasks);
  }
  HRESULT STDMETHODCALLTYPE GetFolder(BSTR, ITaskFolder**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateFolder(BSTR, VARIANT, ITaskFolder**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR, LONG) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteTask(BSTR, LONG) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterTask(BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE, VARIANT,
                                         IRegisteredTask**) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR, ITaskDefinition*, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE,
                                                   VARIANT, IRegisteredTask**) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) noexcept override { return E_NOTIMPL; }

 private:
  std::wstring path_;
};

bool IsLocal(const VARIANT& argument) {
  return argument.vt == VT_EMPTY || argument.vt == VT_NULL ||
         (argument.vt == VT_BSTR && SysStringLen(argument.bstrVal) == 0);
}

class TaskService : public Object<ITaskService> {
 public:
  HRESULT STDMETHODCALLTYPE Connect(VARIANT server, VARIANT user, VARIANT domain, VARIANT password) noexcept override {
    if (const HRESULT failure = Injected(L"Connect"); FAILED(failure)) return failure;
    if (!IsLocal(server)) return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
    if (!IsLocal(user) || !IsLocal(domain) || !IsLocal(password)) return E_ACCESSDENIED;
    connected_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) noexcept override {
    if (!folder) return E_POINTER;
    *folder = nullptr;
    if (!connected_) return kNotConnected;
    if (const HRESULT failure = Injected(L"GetFolder"); FAILED(failure)) return failure;
    std::wstring given(path ? path : L"", path ? SysStringLen(path) : 0);
    if (given.size() > 1 && given.back() == L'\\') given.pop_back();
    if (given.empty() || given.front() != L'\\') return E_INVALIDARG;
    if (!FolderExists(given)) return kNotFound;
    return Hand(new TaskFolder(given), folder);
  }
  HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL* connected) noexcept override {
    if (!connected) return E_POINTER;
    *connected = connected_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NewTask(DWORD, ITaskDefinition**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD*) noexcept override { return E_NOTIMPL; }

 private:
  bool connected_ = false;
};

class ClassFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // One factory for the life of the module; it counts nothing.
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (const HRESULT failure = Injected(L"CreateInstance"); FAILED(failure)) return failure;
    if (iid == __uuidof(ITaskService) && FAILED(Injected(L"QueryInterface"))) return E_NOINTERFACE;
    TaskService* service = new (std::nothrow) TaskService;
    if (!service) return E_OUTOFMEMORY;
    const HRESULT result = service->QueryInterface(iid, out);
    service->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
    serverLocks += lock ? 1 : -1;
    return S_OK;
  }
};

ClassFactory factory;

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != __uuidof(TaskScheduler)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() noexcept { return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE; }

// How many of the double's objects are alive: a program that releases all it was given
// leaves none.
LONG STDAPICALLTYPE FakeTaskSchedulerLiveObjects() noexcept { return liveObjects; }

}  // extern "C"
