// The list of Win32 services that the Service Control Manager gives, gathered across as many
// calls as it takes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorvane {

struct ListedService {
  std::wstring name;  // the key name, by which the service is opened
  std::wstring displayName;
};

// EnumServicesStatusW, or a stand-in with its contract.
using EnumServicesFunction = BOOL(WINAPI*)(SC_HANDLE manager, DWORD serviceType, DWORD serviceState,
                                           LPENUM_SERVICE_STATUSW services, DWORD bufferSize, LPDWORD bytesNeeded,
                                           LPDWORD servicesReturned, LPDWORD resumeHandle);

// Every Win32 service, in any state, in the manager's order. A buffer too small for the rest
// of the list is enlarged to the size the manager asks for (up to a bound), and a partial
// answer is continued from its resume handle, so that services registered between two calls
// and lists longer than one buffer still come out whole. An enumeration that fails in another
// way ends with the services gathered so far.
std::vector<ListedService> ListWin32Services(SC_HANDLE manager, EnumServicesFunction enumerate);

}  // namespace quorvane
