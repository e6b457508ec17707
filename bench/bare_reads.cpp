#include "bench/bare_reads.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>

#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "registry/reg_key.h"

namespace quorvane::bench {

namespace {

constexpr REGSAM kRead = KEY_READ | KEY_WOW64_64KEY;
constexpr wchar_t kApprovedRun32Key[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";

RegKey OpenKey(HKEY rootKey, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(rootKey, key.c_str(), 0, kRead, &handle) != ERROR_SUCCESS) return {};
  return RegKey(handle);
}

bool HasValue(HKEY key, const wchar_t* name, std::vector<BYTE>& buffer) {
  if (!key) return false;
  DWORD size = static_cast<DWORD>(buffer.size());
  return RegQueryValueExW(key, name, nullptr, nullptr, buffer.data(), &size) == ERROR_SUCCESS;
}

}  // namespace

std::vector<RunKeyPlaces> RunKeys() {
  std::vector<RunKeyPlaces> keys;
  for (const RunKeyLocation& location : kRunKeys) {
    const std::wstring runKey = location.key + 1;
    const bool mirror = runKey.find(L"Wow6432Node") != std::wstring::npos;
    keys.push_back({location.rootKey, runKey, mirror ? kApprovedRun32Key : kApprovedRunKey});
  }
  return keys;
}

std::vector<StartupFolderPlaces> StartupFolders() {
  return {{HKEY_LOCAL_MACHINE, GetSpecialFolderPath(CSIDL_COMMON_STARTUP)},
          {HKEY_CURRENT_USER, GetSpecialFolderPath(CSIDL_STARTUP)}};
}

const wchar_t* ApprovedStartupFolderKey() { return kApprovedStartupFolderKey + 1; }

void ReadRunKeys(FloorCounts& counts, std::vector<std::wstring>* commandLines) {
  std::vector<wchar_t> name(32768);
  std::vector<BYTE> data(65536);
  std::vector<BYTE> approved(64);
  for (const RunKeyPlaces& place : RunKeys()) {
    const RegKey runKey = OpenKey(place.rootKey, place.runKey);
    if (!runKey) continue;
    const RegKey approvedKey = OpenKey(place.rootKey, place.approvedKey);
    for (DWORD index = 0;; ++index) {
      DWORD nameLength = static_cast<DWORD>(name.size());
      DWORD dataSize = static_cast<DWORD>(data.size());
      DWORD type = 0;
      if (RegEnumValueW(runKey.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) !=
          ERROR_SUCCESS) {
        break;
      }
      ++counts.runValues;
      if (commandLines) {
        commandLines->emplace_back(reinterpret_cast<const wchar_t*>(data.data()), dataSize / sizeof(wchar_t));
      }
      if (HasValue(approvedKey.Get(), name.data(), approved)) ++counts.approvedValues;
    }
  }
}

void ReadStartupFolders(FloorCounts& counts, std::vector<std::wstring>* paths) {
  std::vector<BYTE> approved(64);
  for (const StartupFolderPlaces& place : StartupFolders()) {
    const RegKey approvedKey = OpenKey(place.approvedRoot, ApprovedStartupFolderKey());
    WIN32_FIND_DATAW found{};
    const ScopedFind search(FindFirstFileW((place.folder + L"\\*").c_str(), &found));
    if (!search) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      ++counts.startupFiles;
      if (paths) paths->push_back(place.folder + L'\\' + found.cFileName);
      if (HasValue(approvedKey.Get(), found.cFileName, approved)) ++counts.approvedValues;
    } while (FindNextFileW(search.Get(), &found));
  }
}

void ReadServices(FloorCounts& counts) {
  const ScopedServiceHandle manager(
      OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return;
  std::vector<std::uint64_t> listing(1 << 17);  // 1 MiB, enough for every service at once
  DWORD needed = 0;
  DWORD returned = 0;
  DWORD resume = 0;
  if (!EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                           reinterpret_cast<ENUM_SERVICE_STATUSW*>(listing.data()),
                           static_cast<DWORD>(listing.size() * sizeof(std::uint64_t)), &needed, &returned, &resume)) {
    return;
  }
  const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(listing.data());
  std::vector<std::uint64_t> config(1024);  // 8 KiB
  for (DWORD i = 0; i < returned; ++i) {
    const ScopedServiceHandle service(OpenServiceW(manager.Get(), services[i].lpServiceName, SERVICE_QUERY_CONFIG));
    DWORD configNeeded = 0;
    if (service && QueryServiceConfigW(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                                       static_cast<DWORD>(config.size() * sizeof(std::uint64_t)), &configNeeded)) {
      ++counts.services;
    }
  }
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  static const double frequency = [] {
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    return static_cast<double>(value.QuadPart);
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const std::size_t middle = times.size() / 2;
  return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

}  // namespace quorvane::bench
