#include "checkin/request_headers.h"

#include "app/translation/translation.h"
#include "checkin/client_id.h"
#include "common/debug_switch.h"
#include "common/version_info.h"

namespace quorvane {

HeaderList CheckInHeaders() {
  return {{L"User-Version", GetAppVersion(L"%d.%d.%d.%d")},
          {L"User-Language", CurrentLanguage()},
          {L"User-Debug", DebugSwitch() ? L"true" : L"false"},
          {L"User-Union", GetClientID()}};
}

HeaderList HoldCommandHeaders() {
  return {{L"User-Version", GetAppVersion(L"%d.%d.%d.%d")}, {L"User-Command", L"hold"}};
}

}  // namespace quorvane
