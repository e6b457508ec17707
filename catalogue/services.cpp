#include <algorithm>
#include <cstdint>
#include <vector>

#include "catalogue/service_list.h"
#include "catalogue/sources.h"
#include "common/scoped.h"

namespace quorvane {

namespace {

// Windows hands out at most 256 KiB per call and continues through the resume handle; a
// manager that answers all at once (Wine's does) may ask for more. The bound keeps a wrong
// answer from allocating without end.
constexpr DWORD kMaxEnumBufferBytes = 4u << 20;
// Each round either gathers services or enlarges the buffer; a list that keeps growing faster
// than it can be read gives up after this many.
constexpr int kMaxEnumRounds = 64;

// Storage for records that hold pointers into themselves: aligned for the records.
using RecordBuffer = std::vector<std::uint64_t>;

void ResizeBytes(RecordBuffer& buffer, DWORD bytes) {
  buffer.resize((static_cast<std::size_t>(bytes) + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
}

DWORD ByteSize(const RecordBuffer& buffer) { return static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t)); }

void Gather(const RecordBuffer& buffer, DWORD count, std::vector<ListedService>& services) {
  const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    services.push_back({records[i].lpServiceName ? records[i].lpServiceName : L"",
                        records[i].lpDisplayName ? records[i].lpDisplayName : L""});
  }
}

// The service's configuration, or false when it cannot be read.
bool QueryConfig(SC_HANDLE service, RecordBuffer& buffer) {
  DWORD needed = 0;
  QueryServiceConfigW(service, nullptr, 0, &needed);
  ResizeBytes(buffer, std::max<DWORD>(needed, sizeof(QUERY_SERVICE_CONFIGW)));
  return QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()), ByteSize(buffer),
                             &needed) != FALSE;
}

}  // namespace

std::vector<ListedService> ListWin32Services(SC_HANDLE manager, EnumServicesFunction enumerate) {
  std::vector<ListedService> services;
  RecordBuffer buffer;
  DWORD resumeHandle = 0;
  for (int round = 0; round < kMaxEnumRounds; ++round) {
    DWORD needed = 0;
    DWORD returned = 0;
    const DWORD resumedFrom = resumeHandle;
    auto* records = buffer.empty() ? nullptr : reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    if (enumerate(manager, SERVICE_WIN32, SERVICE_STATE_ALL, records, ByteSize(buffer), &needed, &returned,
                  &resumeHandle)) {
      Gather(buffer, returned, services);
      return services;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_MORE_DATA && error != ERROR_INSUFFICIENT_BUFFER) return services;
    // A partial answer counts only when the resume handle moved past it; a manager that does
    // not move it starts again from the same place, and its records would come twice.
    if (resumeHandle != resumedFrom) Gather(buffer, returned, services);
    ResizeBytes(buffer, std::clamp<DWORD>(needed, ByteSize(buffer), kMaxEnumBufferBytes));
  }
  return services;
}

void AddServices(AutorunList& list) {
  const ScopedServiceHandle manager(
      OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return;

  RecordBuffer config;
  for (const ListedService& listed : ListWin32Services(manager.Get(), EnumServicesStatusW)) {
    const ScopedServiceHandle service(OpenServiceW(manager.Get(), listed.name.c_str(), SERVICE_QUERY_CONFIG));
    if (!service || !QueryConfig(service.Get(), config)) continue;
    const auto& settings = *reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(config.data());

    TAutorunInfo entry;
    entry.FileName = settings.lpBinaryPathName ? settings.lpBinaryPathName : L"";
    entry.Caption = listed.displayName;
    entry.RawData = entry.FileName;
    entry.Target = listed.name;
    entry.From = kFromService;
    entry.Enabled = settings.dwStartType == SERVICE_AUTO_START;
    list.push_back(std::move(entry));
  }
}

}  // namespace quorvane
