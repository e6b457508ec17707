#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdint>
#include <stdexcept>

#include "common/scoped.h"
#include "common/text.h"

namespace quorvane::test {

namespace {

constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;

// The tests' own owner of a raw key, so that their set-up does not rest on the key class under test.
struct RawKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { RegCloseKey(handle); }
};
using RawKey = UniqueHandle<RawKeyTraits>;

std::wstring UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L"-" +
         std::to_wstring(++counter);
}

RawKey CreateOrOpenRawKey(HKEY root, const std::wstring& key) {
  HKEY handle = nullptr;
  const LONG status =
      RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) throw std::runtime_error("cannot create a registry key: " + ToUtf8(key));
  return RawKey(handle);
}

RawKey OpenRawKey(HKEY root, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, kAccess, &handle) != ERROR_SUCCESS) return {};
  return RawKey(handle);
}

ScopedFile OpenFile(const std::wstring& path, DWORD access, DWORD disposition) {
  ScopedFile file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot open " + ToUtf8(path));
  return file;
}

// A file handle that a child process inherits as its stdout or stderr.
ScopedFile InheritableFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot create " + ToUtf8(path));
  return file;
}

ScopedServiceHandle OpenTestService(const std::wstring& name, DWORD access) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  ScopedServiceHandle service(manager ? OpenServiceW(manager.Get(), name.c_str(), access) : nullptr);
  if (!service) throw std::runtime_error("cannot open the service " + ToUtf8(name));
  return service;
}

// Under Wine, CreateProcess fails with ERROR_INTERNAL_ERROR (1359) when the new process's
// Unix side ends before it has reported its start to the Wine server, which it does before a
// single instruction of the program runs: trying again hides nothing of the program under
// test. On a busy machine it happens now and then, several starts in a row, so the attempts
// are spread over a few seconds; each failed one is noted on stderr. Any other error fails at
// once.
constexpr int kStartAttempts = 8;
constexpr DWORD kStartRetryStepMilliseconds = 250;

// Runs the command line to its end; gives its exit status.
DWORD RunToEnd(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles, DWORD creationFlags) {
  const StartedProcess started = StartProcess(commandLine, startup, inheritHandles, creationFlags);
  WaitForSingleObject(started.process.Get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(started.process.Get(), &exitCode);
  return exitCode;
}

}  // namespace

ProgramAsWindowsVersion::ProgramAsWindowsVersion(const std::wstring& program, const std::wstring& version) {
  const std::wstring stem = program.substr(0, program.rfind(L'.'));
  const std::wstring fileName = stem + L"-" + version + L"-" + UniqueSuffix() + L".exe";
  path_ = folder_.File(fileName);
  if (!CopyFileW(ProgramBesideTest(program).c_str(), path_.c_str(), TRUE)) {
    throw std::runtime_error("cannot copy " + ToUtf8(program));
  }
  settingsKey_ = L"Software\\Wine\\AppDefaults\\" + fileName;
  SetStringValue(HKEY_CURRENT_USER, settingsKey_, L"Version", version);
}

ProgramAsWindowsVersion::~ProgramAsWindowsVersion() { DeleteRawTree(HKEY_CURRENT_USER, settingsKey_); }

TestService::TestService(DWORD startType, const std::wstring& commandLine)
    : name_(L"QuorvaneTest-" + UniqueSuffix()), displayName_(L"Quorvane test service " + name_) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  const ScopedServiceHandle service(manager ? CreateServiceW(manager.Get(), name_.c_str(), displayName_.c_str(),
                                                             SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, startType,
                                                             SERVICE_ERROR_IGNORE, commandLine.c_str(), nullptr,
                                                             nullptr, nullptr, nullptr, nullptr)
                                            : nullptr);
  if (!service) throw std::runtime_error("cannot create a service: error " + std::to_string(GetLastError()));
}

TestService::~TestService() {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  const ScopedServiceHandle service(manager ? OpenServiceW(manager.Get(), name_.c_str(), DELETE) : nullptr);
  if (service) DeleteService(service.Get());
}

DWORD TestService::StartType() const {
  const ScopedServiceHandle service = OpenTestService(name_, SERVICE_QUERY_CONFIG);
  DWORD needed = 0;
  QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  std::vector<std::uint64_t> buffer(needed / sizeof(std::uint64_t) + 1);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t)), &needed)) {
    throw std::runtime_error("cannot read the configuration of " + ToUtf8(name_));
  }
  return config->dwStartType;
}

void TestService::SetStartType(DWORD startType) const {
  const ScopedServiceHandle service = OpenTestService(name_, SERVICE_CHANGE_CONFIG);
  if (!ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr)) {
    throw std::runtime_error("cannot change the start type of " + ToUtf8(name_));
  }
}

ScratchKey::ScratchKey(HKEY root) : root_(root), path_(L"Software\\QuorvaneTests\\" + UniqueSuffix()) {
  CreateOrOpenRawKey(root_, path_);
}

ScratchKey::~ScratchKey() { DeleteRawTree(root_, path_); }

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  path_ = std::wstring(temp) + L"quorvane-test-" + UniqueSuffix();
  if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot create " + ToUtf8(path_));
}

TempFolder::~TempFolder() {
  EmptyFolder(path_);
  RemoveDirectoryW(path_.c_str());
}

void SetRawValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                 std::size_t size) {
  const RawKey handle = CreateOrOpenRawKey(root, key);
  const LONG status =
      RegSetValueExW(handle.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  if (status != ERROR_SUCCESS) throw std::runtime_error("cannot set a registry value: " + ToUtf8(name));
}

void SetStringValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                    DWORD type) {
  SetRawValue(root, key, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void SetBinaryValue(HKEY root, const std::wstring& key, const std::wstring& name, const std::vector<BYTE>& bytes) {
  SetRawValue(root, key, name, REG_BINARY, bytes.data(), bytes.size());
}

void CreateRawKey(HKEY root, const std::wstring& key) { CreateOrOpenRawKey(root, key); }

bool RawKeyExists(HKEY root, const std::wstring& key) { return static_cast<bool>(OpenRawKey(root, key)); }

bool RawValueExists(HKEY root, const std::wstring& key, const std::wstring& name) {
  const RawKey handle = OpenRawKey(root, key);
  return handle && RegQueryValueExW(handle.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<BYTE> RawValueBytes(HKEY root, const std::wstring& key, const std::wstring& name, DWORD* type) {
  const RawKey handle = OpenRawKey(root, key);
  DWORD size = 0;
  if (!handle || RegQueryValueExW(handle.Get(), name.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS)
    return {};
  std::vector<BYTE> bytes(size);
  RegQueryValueExW(handle.Get(), name.c_str(), nullptr, type, bytes.data(), &size);
  bytes.resize(size);
  return bytes;
}

void DeleteRawTree(HKEY root, const std::wstring& key) {
  const auto separator = key.rfind(L'\\');
  const std::wstring parent = separator == std::wstring::npos ? L"" : key.substr(0, separator);
  const std::wstring name = key.substr(separator == std::wstring::npos ? 0 : separator + 1);
  const RawKey parentKey = OpenRawKey(root, parent);
  if (parentKey) {
    RegDeleteTreeW(parentKey.Get(), name.c_str());
    RegDeleteKeyExW(parentKey.Get(), name.c_str(), KEY_WOW64_64KEY, 0);
  }
}

void DeleteRawValue(HKEY root, const std::wstring& key, const std::wstring& name) {
  const RawKey handle = OpenRawKey(root, key);
  if (handle) RegDeleteValueW(handle.Get(), name.c_str());
}

void DeleteAllValues(HKEY root, const std::wstring& key) {
  const RawKey handle = OpenRawKey(root, key);
  if (!handle) return;
  std::vector<wchar_t> name(32768);
  for (;;) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueW(handle.Get(), 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if (RegDeleteValueW(handle.Get(), std::wstring(name.data(), length).c_str()) != ERROR_SUCCESS) break;
  }
}

void WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  const ScopedFile file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS);
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("cannot write " + ToUtf8(path));
  }
}

std::string ReadFileBytes(const std::wstring& path) {
  const ScopedFile file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
  while (!condition()) {
    if (GetTickCount64() >= deadline) return condition();
    Sleep(20);
  }
  return true;
}

std::optional<std::string> WaitForFileBytes(const std::wstring& path, DWORD timeoutMilliseconds) {
  if (!WaitUntil([&] { return FileExists(path); }, timeoutMilliseconds)) return std::nullopt;
  return ReadFileBytes(path);
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const ScopedFind search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search.Get(), &found));
  return names;
}

void EmptyFolder(const std::wstring& folder) {
  for (const std::wstring& name : FolderEntries(folder)) {
    const std::wstring path = folder + L'\\' + name;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      EmptyFolder(path);
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  }
}

std::wstring ProgramBesideTest(const std::wstring& fileName) {
  wchar_t module[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH + 1);
  std::wstring path = module;
  return path.substr(0, path.find_last_of(L'\\') + 1) + fileName;
}

std::wstring QuotedArgument(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L'"';
}

StartedProcess StartProcess(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles,
                            DWORD creationFlags) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
    std::wstring mutableCommandLine = commandLine;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, mutableCommandLine.data(), nullptr, nullptr, inheritHandles, creationFlags, nullptr,
                       nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      return {ScopedHandle(process.hProcess), process.dwProcessId};
    }
    error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts) break;
    std::fprintf(stderr, "test::StartProcess: %s: error 1359 in attempt %d, trying again\n",
                 ToUtf8(commandLine).c_str(), attempt);
    Sleep(kStartRetryStepMilliseconds * attempt);
  }
  const std::string attempts =
      error == ERROR_INTERNAL_ERROR ? " in each of " + std::to_string(kStartAttempts) + " attempts" : "";
  throw std::runtime_error("cannot start " + ToUtf8(commandLine) + ": error " + std::to_string(error) + attempts);
}

ProcessResult RunProcess(const std::wstring& commandLine) {
  TempFolder folder;
  const std::wstring outputPath = folder.File(L"stdout");
  const std::wstring errorsPath = folder.File(L"stderr");
  ProcessResult result;
  {
    const ScopedFile output = InheritableFile(outputPath);
    const ScopedFile errors = InheritableFile(errorsPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output.Get();
    startup.hStdError = errors.Get();
    result.exitCode = RunToEnd(commandLine, startup, true, CREATE_NO_WINDOW);
  }
  result.output = ReadFileBytes(outputPath);
  result.errors = ReadFileBytes(errorsPath);
  return result;
}

BackgroundProcess::BackgroundProcess(const std::wstring& commandLine, DWORD creationFlags) {
  const ScopedFile output = InheritableFile(folder_.File(L"stdout"));
  const ScopedFile errors = InheritableFile(folder_.File(L"stderr"));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.Get();
  startup.hStdError = errors.Get();
  started_ = StartProcess(commandLine, startup, true, creationFlags);
}

BackgroundProcess::~BackgroundProcess() {
  if (!WaitForExit(0)) {
    TerminateProcess(started_.process.Get(), 1);
    WaitForSingleObject(started_.process.Get(), INFINITE);
  }
}

std::string BackgroundProcess::Output() const { return ReadFileBytes(folder_.File(L"stdout")); }
std::string BackgroundProcess::Errors() const { return ReadFileBytes(folder_.File(L"stderr")); }

std::optional<DWORD> BackgroundProcess::WaitForExit(DWORD milliseconds) const {
  if (WaitForSingleObject(started_.process.Get(), milliseconds) != WAIT_OBJECT_0) return std::nullopt;
  DWORD status = 0;
  GetExitCodeProcess(started_.process.Get(), &status);
  return status;
}

DWORD RunProcessInConsole(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return RunToEnd(commandLine, startup, false, 0);
}

}  // namespace quorvane::test
