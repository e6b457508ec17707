// The service source and the service switch: the enumeration's continuation against a double
// of EnumServicesStatusW with Windows' contract (Wine's never hands out partial lists), the
// rest against the test prefix's Service Control Manager.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "catalogue/autorun_state.h"
#include "catalogue/service_list.h"
#include "catalogue/sources.h"
#include "common/scoped.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::AllOf;
using testing::Contains;
using testing::ElementsAreArray;
using testing::Field;
using testing::IsEmpty;
using testing::Not;

// ---- The enumeration, against a double ----------------------------------------------------------

// A service manager as Windows has it: each call fills the buffer with as many records as fit
// (at most perCallLimit bytes, as Windows gives at most 256 KiB), moves the resume handle past
// them and says how many bytes the rest needs. With resumes false it behaves as Wine's: a
// partial answer leaves the resume handle where it was.
struct ServiceManagerDouble {
  std::vector<ListedService> services;
  DWORD perCallLimit = 256 * 1024;
  bool resumes = true;
  std::function<void(int call)> beforeCall;  // changes the services between calls
  DWORD failWith = ERROR_SUCCESS;            // from the call numbered failAtCall on
  int failAtCall = 0;
  int calls = 0;
};

ServiceManagerDouble* managerDouble = nullptr;

std::size_t RecordSize(const ListedService& service) {
  return sizeof(ENUM_SERVICE_STATUSW) + (service.name.size() + 1 + service.displayName.size() + 1) * sizeof(wchar_t);
}

BOOL WINAPI EnumerateDouble(SC_HANDLE, DWORD type, DWORD state, LPENUM_SERVICE_STATUSW buffer, DWORD size,
                            LPDWORD needed, LPDWORD returned, LPDWORD resume) noexcept {
  ServiceManagerDouble& system = *managerDouble;
  const int call = system.calls++;
  if (system.beforeCall) system.beforeCall(call);
  EXPECT_EQ(type, static_cast<DWORD>(SERVICE_WIN32));
  EXPECT_EQ(state, static_cast<DWORD>(SERVICE_STATE_ALL));
  *returned = 0;
  *needed = 0;
  if (system.failWith != ERROR_SUCCESS && call >= system.failAtCall) {
    SetLastError(system.failWith);
    return FALSE;
  }

  const std::size_t start = *resume;
  const std::size_t room = std::min(size, system.perCallLimit);
  // Records from the front, their texts from the back, as Windows lays them out.
  auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(buffer) + room);
  std::size_t used = 0;
  std::size_t next = start;
  for (; next < system.services.size() && used + RecordSize(system.services[next]) <= room; ++next) {
    const ListedService& service = system.services[next];
    used += RecordSize(service);
    ENUM_SERVICE_STATUSW& record = buffer[*returned];
    text -= service.displayName.size() + 1;
    std::copy(service.displayName.c_str(), service.displayName.c_str() + service.displayName.size() + 1, text);
    record.lpDisplayName = text;
    text -= service.name.size() + 1;
    std::copy(service.name.c_str(), service.name.c_str() + service.name.size() + 1, text);
    record.lpServiceName = text;
    record.ServiceStatus = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};
    ++*returned;
  }
  if (next == system.services.size()) {
    *resume = 0;
    return TRUE;
  }
  for (std::size_t rest = next; rest < system.services.size(); ++rest)
    *needed += static_cast<DWORD>(RecordSize(system.services[rest]));
  if (system.resumes) {
    *resume = static_cast<DWORD>(next);
  } else {
    for (std::size_t done = start; done < next; ++done)
      *needed += static_cast<DWORD>(RecordSize(system.services[done]));
  }
  SetLastError(ERROR_MORE_DATA);
  return FALSE;
}

std::vector<ListedService> Services(std::size_t count, std::size_t from = 0) {
  std::vector<ListedService> services;
  for (std::size_t i = from; i < from + count; ++i) {
    services.push_back({L"svc" + std::to_wstring(i), L"Service number " + std::to_wstring(i)});
  }
  return services;
}

std::vector<std::wstring> Names(const std::vector<ListedService>& services) {
  std::vector<std::wstring> names;
  for (const ListedService& service : services) names.push_back(service.name);
  return names;
}

class ServiceEnumeration : public testing::Test {
 protected:
  void SetUp() override { managerDouble = &system_; }
  void TearDown() override { managerDouble = nullptr; }
  std::vector<ListedService> List() { return ListWin32Services(nullptr, EnumerateDouble); }

  ServiceManagerDouble system_;
};

TEST_F(ServiceEnumeration, AListLongerThanOneAnswerIsFollowedThroughTheResumeHandle) {
  system_.services = Services(500);
  system_.perCallLimit = 4096;
  const std::vector<ListedService> listed = List();
  EXPECT_THAT(Names(listed), ElementsAreArray(Names(system_.services)));
  EXPECT_EQ(listed[499].displayName, L"Service number 499");
  EXPECT_GT(system_.calls, 10);
}

TEST_F(ServiceEnumeration, ServicesAddedBetweenTheSizeQueryAndTheReadAreListedToo) {
  for (bool resumes : {true, false}) {
    SCOPED_TRACE(resumes ? "Windows" : "Wine");
    system_ = {};
    system_.services = Services(40);
    system_.resumes = resumes;
    system_.beforeCall = [](int call) {
      if (call == 1) {
        const std::vector<ListedService> added = Services(3, 40);
        managerDouble->services.insert(managerDouble->services.begin() + 10, added.begin(), added.end());
      }
    };
    const std::vector<std::wstring> listed = Names(List());
    EXPECT_THAT(listed, ElementsAreArray(Names(system_.services)));
  }
}

TEST_F(ServiceEnumeration, APartialAnswerThatDoesNotMoveOnIsNotCountedTwice) {
  system_.services = Services(30);
  system_.resumes = false;
  system_.beforeCall = [](int call) {
    if (call < 4) managerDouble->services.push_back({L"late" + std::to_wstring(call), L"Late"});
  };
  const std::vector<std::wstring> listed = Names(List());
  EXPECT_THAT(listed, ElementsAreArray(Names(system_.services)));
}

TEST_F(ServiceEnumeration, AnotherErrorEndsTheListWithWhatWasGathered) {
  system_.services = Services(100);
  system_.failWith = ERROR_ACCESS_DENIED;
  EXPECT_THAT(List(), IsEmpty());

  system_ = {};
  system_.services = Services(100);
  system_.perCallLimit = 2048;
  system_.failWith = ERROR_ACCESS_DENIED;
  system_.failAtCall = 3;
  const std::vector<ListedService> listed = List();
  ASSERT_FALSE(listed.empty());
  EXPECT_LT(listed.size(), 100u);
  EXPECT_THAT(Names(listed), ElementsAreArray(Names(Services(listed.size()))));
}

TEST_F(ServiceEnumeration, AListThatNeverStopsGrowingEndsAfterABoundedNumberOfCalls) {
  system_.services = Services(5);
  system_.resumes = false;
  system_.beforeCall = [](int call) { managerDouble->services.push_back({L"more" + std::to_wstring(call), L"More"}); };
  List();
  EXPECT_LE(system_.calls, 64);
}

TEST_F(ServiceEnumeration, NoServicesAtAllGiveAnEmptyList) { EXPECT_THAT(List(), IsEmpty()); }

// ---- The source and the switch, against the test prefix's services ----------------------------------

testing::Matcher<const TAutorunInfo&> ServiceEntry(const test::TestService& service, const std::wstring& commandLine,
                                                   bool enabled) {
  return AllOf(Field("From", &TAutorunInfo::From, L"SERV"), Field("Target", &TAutorunInfo::Target, service.Name()),
               Field("Caption", &TAutorunInfo::Caption, service.DisplayName()),
               Field("FileName", &TAutorunInfo::FileName, commandLine),
               Field("RawData", &TAutorunInfo::RawData, commandLine),
               Field("Enabled", &TAutorunInfo::Enabled, enabled));
}

AutorunList ServiceEntries() {
  AutorunList list;
  AddServices(list);
  return list;
}

DWORD StartTypeOf(const std::wstring& name) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  const ScopedServiceHandle service(OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_CONFIG));
  DWORD needed = 0;
  QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  std::vector<std::uint64_t> buffer(needed / 8 + 1);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  return QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size() * 8), &needed)
             ? config->dwStartType
             : 0xFFFFFFFF;
}

TEST(ServiceSource, ListsEachServiceWithItsWholeCommandLineAndAutomaticStartAsEnabled) {
  const std::wstring quoted = L"\"C:\\Program Files\\Vendor\\agent.exe\" --config \"C:\\Vendor\\a b.ini\" -v";
  const std::wstring host = L"C:\\windows\\system32\\svchost.exe -k netsvcs -p";
  const test::TestService automatic(SERVICE_AUTO_START, quoted);
  const test::TestService manual(SERVICE_DEMAND_START, host);
  const test::TestService disabled(SERVICE_DISABLED, L"C:\\Vendor\\off.exe");

  const AutorunList list = ServiceEntries();
  EXPECT_THAT(list, Contains(ServiceEntry(automatic, quoted, true)));
  EXPECT_THAT(list, Contains(ServiceEntry(manual, host, false)));
  EXPECT_THAT(list, Contains(ServiceEntry(disabled, L"C:\\Vendor\\off.exe", false)));
}

// Whether a service runs does not matter: Wine's running services with manual start (the Task
// Scheduler, say) are disabled entries, and a stopped automatic one is enabled.
TEST(ServiceSource, EveryEntryIsEnabledExactlyWhenItsServiceStartsAutomatically) {
  const test::TestService stoppedAutomatic(SERVICE_AUTO_START, L"C:\\Vendor\\stopped.exe");
  const AutorunList list = ServiceEntries();
  ASSERT_GT(list.size(), 1u);
  for (const TAutorunInfo& entry : list) {
    SCOPED_TRACE(testing::PrintToString(entry.Target));
    EXPECT_EQ(entry.From, L"SERV");
    EXPECT_EQ(entry.Enabled, StartTypeOf(entry.Target) == SERVICE_AUTO_START);
  }
  EXPECT_THAT(list, Contains(Field(&TAutorunInfo::Target, L"Schedule")));
}

TEST(ServiceSource, DriversAreNotListed) {
  const ScopedServiceHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  std::vector<std::uint64_t> buffer(1 << 16);
  DWORD needed = 0;
  DWORD count = 0;
  DWORD resume = 0;
  ASSERT_TRUE(EnumServicesStatusW(scm.Get(), SERVICE_DRIVER, SERVICE_STATE_ALL,
                                  reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()),
                                  static_cast<DWORD>(buffer.size() * 8), &needed, &count, &resume));
  ASSERT_GT(count, 0u) << "the prefix has no drivers to leave out";
  const AutorunList list = ServiceEntries();
  const auto* drivers = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    EXPECT_THAT(list, Not(Contains(Field(&TAutorunInfo::Target, drivers[i].lpServiceName))));
}

class ServiceSwitch : public testing::TestWithParam<DWORD> {};

TEST_P(ServiceSwitch, SetsAutomaticStartOrDisabledWithoutStartingTheService) {
  const test::TestService service(GetParam(), L"C:\\Vendor\\switch.exe /service");
  SetAutorunState(service.Name(), L"SERV", false);
  EXPECT_EQ(service.StartType(), static_cast<DWORD>(SERVICE_DISABLED));
  EXPECT_THAT(ServiceEntries(), Contains(ServiceEntry(service, L"C:\\Vendor\\switch.exe /service", false)));

  SetAutorunState(service.Name(), L"serv", true);
  EXPECT_EQ(service.StartType(), static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_THAT(ServiceEntries(), Contains(ServiceEntry(service, L"C:\\Vendor\\switch.exe /service", true)));

  const ScopedServiceHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  const ScopedServiceHandle handle(OpenServiceW(scm.Get(), service.Name().c_str(), SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(handle.Get(), &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
}

INSTANTIATE_TEST_SUITE_P(FromEachStartType, ServiceSwitch,
                         testing::Values(SERVICE_AUTO_START, SERVICE_DEMAND_START, SERVICE_DISABLED));

TEST(ServiceSwitch, AServiceThatDoesNotExistIsLeftAloneWithoutAnError) {
  const test::TestService service(SERVICE_DEMAND_START, L"C:\\Vendor\\other.exe");
  for (const wchar_t* name : {L"QuorvaneNoSuchService", L"", L"C:\\Vendor\\other.exe", L"a\\b"}) {
    EXPECT_NO_THROW(SetServiceState(name, false));
  }
  EXPECT_EQ(service.StartType(), static_cast<DWORD>(SERVICE_DEMAND_START));
}

}  // namespace
}  // namespace quorvane
