#include "catalogue/autorun_state.h"

#include <shlobj.h>

#include <string_view>

#include "catalogue/autorun.h"
#include "catalogue/entry_backup.h"
#include "catalogue/sources.h"
#include "catalogue/task_service.h"
#include "common/error.h"
#include "common/files.h"
#include "common/native_path.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"

namespace quorvane {

namespace {

constexpr DWORD kServiceAccess = SERVICE_CHANGE_CONFIG | SERVICE_STOP;

// A Run entry's Target taken apart.
struct RunValue {
  HKEY rootKey = nullptr;
  std::wstring key;
  std::wstring name;
  bool inRunKey = false;  // in one of the three keys that the catalogue reads
};

// Inside one of the catalogue's Run keys the value name is everything after the key's path:
// a value name may hold backslashes, and cutting it at the last one would name another value.
// Elsewhere the last backslash separates the name, as TReg::Parse has it.
bool SplitRunTarget(const std::wstring& target, RunValue& value) {
  if (!TReg::Parse(target, value.rootKey, value.key, value.name)) return false;
  const std::wstring_view afterRoot = std::wstring_view(target).substr(target.find(L'\\') + 1);
  for (const RunKeyLocation& runKey : kRunKeys) {
    const std::wstring keyPrefix = std::wstring(runKey.key + 1) + L'\\';
    if (value.rootKey == runKey.rootKey && StartsWithIgnoreAsciiCase(afterRoot, keyPrefix)) {
      value.key = runKey.key;
      value.name = afterRoot.substr(keyPrefix.size());
      value.inRunKey = true;
      return true;
    }
  }
  return true;
}

// Characters that no Windows path can contain.
void RequirePathCharacters(const std::wstring& path) {
  for (wchar_t c : path) {
    if (c < L' ' || std::wstring_view(L"\"<>|*?").find(c) != std::wstring_view::npos) {
      throw Error(L"Not a valid path: " + path);
    }
  }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsStartupFolder(const std::wstring& folder) {
  return SamePath(GetSpecialFolderPath(CSIDL_COMMON_STARTUP), folder) ||
         SamePath(GetSpecialFolderPath(CSIDL_STARTUP), folder);
}

void SwitchTask(ITaskService& service, const std::wstring& target, bool enable) {
  const ScopedBstr rootPath(SysAllocString(L"\\"));
  ComPtr<ITaskFolder> folder;
  CheckTaskCall(service.GetFolder(rootPath.Get(), folder.Put()), L"Cannot open the root task folder");
  const ScopedBstr taskPath(SysAllocStringLen(target.data(), static_cast<UINT>(target.size())));
  ComPtr<IRegisteredTask> task;
  CheckTaskCall(folder->GetTask(taskPath.Get(), task.Put()), L"Cannot find the task");
  if (task) CheckTaskCall(task->put_Enabled(enable ? VARIANT_TRUE : VARIANT_FALSE), L"Cannot switch the task");
}

}  // namespace

bool IsWindows10OrLater() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const FARPROC address = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (!address) return false;
  // Through void(*)(): the cast between unrelated function types is intended.
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(address));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return rtlGetVersion(&version) == 0 && version.dwMajorVersion >= 10;
}

void SetAutorunState(const std::wstring& target, const std::wstring& from, bool enable) {
  switch (SourceKindOf(from)) {
    case SourceKind::Registry:
      SetRunKeyState(target, enable);
      break;
    case SourceKind::StartupFile:
      SetStartupFileState(target, enable);
      break;
    case SourceKind::Task:
      SetTaskState(target, enable);
      break;
    case SourceKind::Service:
      SetServiceState(target, enable);
      break;
  }
}

void SetRunKeyState(const std::wstring& target, bool enable) {
  RunValue value;
  if (!SplitRunTarget(target, value)) return;
  if (IsWindows10OrLater()) {
    TReg::WriteBinary(value.rootKey, ApprovedKeyOfRunKey(value.key), value.name, MakeApprovedData(enable));
  } else if (!enable && value.inRunKey) {
    // Without a backup the value is left in place: BackUpRegistryValue throws.
    if (!BackUpRegistryValue(value.rootKey, value.key, value.name).empty()) {
      TReg::DeleteValue(value.rootKey, value.key, value.name);
    }
  }
}

void SetStartupFileState(const std::wstring& target, bool enable) {
  RequirePathCharacters(target);
  const auto separator = target.rfind(L'\\');
  const std::wstring folder = separator == std::wstring::npos ? L"" : target.substr(0, separator);
  const std::wstring fileName = target.substr(separator == std::wstring::npos ? 0 : separator + 1);
  if (IsWindows10OrLater()) {
    TReg::WriteBinary(ApprovedRootOfStartupFolder(folder), kApprovedStartupFolderKey, fileName,
                      MakeApprovedData(enable));
  } else if (!enable && IsStartupFolder(folder) && !FolderExists(NativePath(target))) {
    MoveFileToBackup(target);
  }
}

void SetTaskState(const std::wstring& target, bool enable) {
  const StopTaskServiceOnExit stop;
  StartTaskService();
  if (!TaskService()) return;
  try {
    SwitchTask(*TaskService(), target, enable);
  } catch (const Error&) {
    // A task that cannot be found or changed keeps its state; the next refresh shows it so.
  }
}

void SetServiceState(const std::wstring& target, bool enable) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return;
  const ScopedServiceHandle service(OpenServiceW(manager.Get(), target.c_str(), kServiceAccess));
  if (!service) return;
  // A refusal shows in the next refresh, as the state unchanged.
  ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, enable ? SERVICE_AUTO_START : SERVICE_DISABLED,
                       SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool SwitchRemovesEntry(const std::wstring& from, bool enable) {
  const SourceKind kind = SourceKindOf(from);
  return !enable && (kind == SourceKind::Registry || kind == SourceKind::StartupFile) && !IsWindows10OrLater();
}

}  // namespace quorvane
