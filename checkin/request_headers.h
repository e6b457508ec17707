// The request headers that the check-in and the "hold" command send.
#pragma once

#include "checkin/server_request.h"

namespace quorvane {

// The headers of the check-in: version, interface language, debug switch, client identifier.
// Reads or creates the client identifier.
HeaderList CheckInHeaders();

// The headers of the "hold" command: the version, and the command itself.
HeaderList HoldCommandHeaders();

}  // namespace quorvane
