// What the console companion's tests share: running quorvanec as a script does, reading its
// output, and a test prefix seeded with one entry of each kind of place.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "support/autorun_locations.h"
#include "support/fake_task_scheduler.h"
#include "support/fixture_programs.h"
#include "support/test_support.h"

namespace quorvane::test {

inline const std::vector<BYTE> kSwitchedOff = {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

inline test::ProcessResult Quorvanec(const std::wstring& arguments) {
  return test::RunProcess(L"\"" + test::ProgramBesideTest(L"quorvanec.exe") + L"\" " + arguments);
}

// quorvanec enable|disable FROM TARGET, run as given: a program beside the test, or a copy that
// Wine runs as another Windows version.
inline test::ProcessResult Switch(const std::wstring& program, const std::wstring& command, const std::wstring& from,
                                  const std::wstring& target) {
  return test::RunProcess(test::QuotedArgument(program) + L" " + command + L" " + test::QuotedArgument(from) + L" " +
                          test::QuotedArgument(target));
}

inline test::ProcessResult Switch(const std::wstring& command, const std::wstring& from, const std::wstring& target) {
  return Switch(test::ProgramBesideTest(L"quorvanec.exe"), command, from, target);
}

// The names of the Win32 services as the Service Control Manager lists them now.
inline std::set<std::string> SystemServices() {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  std::vector<std::uint64_t> buffer(1 << 17);
  DWORD needed = 0;
  DWORD count = 0;
  DWORD resume = 0;
  EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                      reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()), static_cast<DWORD>(buffer.size() * 8),
                      &needed, &count, &resume);
  std::set<std::string> names;
  const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.insert(ToUtf8(services[i].lpServiceName));
  return names;
}

inline bool ServiceExists(const std::string& name) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  return ScopedServiceHandle(OpenServiceW(manager.Get(), FromUtf8(name).c_str(), SERVICE_QUERY_STATUS)) ? true : false;
}

// A table line split at its column gaps of two spaces or more.
inline std::vector<std::wstring> Columns(const std::wstring& line) {
  std::vector<std::wstring> columns;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t gap = line.find(L"  ", start);
    if (gap == std::wstring::npos) gap = line.size();
    columns.push_back(line.substr(start, gap - start));
    start = line.find_first_not_of(L' ', gap);
    if (start == std::wstring::npos) break;
  }
  return columns;
}

inline nlohmann::ordered_json Listed(const test::ProcessResult& result) {
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  return nlohmann::ordered_json::parse(result.output);
}

// The entry of the catalogue that quorvanec lists now with this source and target.
inline nlohmann::ordered_json ListedEntry(const std::string& from, const std::wstring& target) {
  for (const auto& entry : Listed(Quorvanec(L"list --json"))) {
    if (entry["from"] == from && entry["target"] == ToUtf8(target)) return entry;
  }
  return nullptr;
}

// The entries with only the catalogue's own six fields, the files' details left out.
inline nlohmann::ordered_json CatalogueFields(nlohmann::ordered_json entries) {
  for (auto& entry : entries) {
    for (const char* detail :
         {"product", "description", "company", "version", "fileExists", "disabledAt", "signature", "signer"}) {
      EXPECT_TRUE(entry.contains(detail)) << detail;
      entry.erase(detail);
    }
  }
  return entries;
}

// A 12-byte StartupApproved value with this state byte and FILETIME count.
inline std::vector<BYTE> ApprovedValue(BYTE state, std::uint64_t fileTime) {
  std::vector<BYTE> bytes(12, 0);
  bytes[0] = state;
  for (int i = 0; i < 8; ++i) bytes[4 + i] = static_cast<BYTE>(fileTime >> (8 * i));
  return bytes;
}

// The four numbers of the program file's fixed version information, read here with the
// system's own calls.
inline std::string FixedFileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)) {
    return "";
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

class QuorvanecTest : public test::AutorunLocationsTest {
 protected:
  // A known set of entries, one of each kind of place; values are added in name order, so that
  // any registry lists them in the same order.
  void Seed() {
    test::WriteFileBytes(common_ + L"\\Shared Tool.lnk", "x");
    test::WriteFileBytes(user_ + L"\\\uB3C4\uAD6C.exe", "x");
    test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedFolder, L"\uB3C4\uAD6C.exe", kSwitchedOff);
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Agent", L"\"%ProgramFiles%\\Vendor\\agent.exe\" /tray",
                         REG_EXPAND_SZ);
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Helper", L"rundll32.exe C:\\Vendor\\helper.dll,Start");
    test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Helper", kSwitchedOff);
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRun32Key, L"Old", L"C:\\Old\\old.exe");
    test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun32, L"Old", kSwitchedOff);
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Sync|Me", L"\\??\\C:\\Sync\\sync.exe -q");
  }
  test::FakeTaskScheduler scheduler_;
};

}  // namespace quorvane::test
