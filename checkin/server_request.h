// The check-in's exchange with the publisher's service, apart from the reply: the settings of
// the check-in, the request headers and the one GET request that carries them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorvane {

struct RequestHeader {
  std::wstring name;
  std::wstring value;
  friend bool operator==(const RequestHeader&, const RequestHeader&) = default;
};
using HeaderList = std::vector<RequestHeader>;

// The check-in settings: the endpoint that every request goes to, and the layout offset of the
// update dialog. CheckUpdate sets them on the main thread before it starts any thread; the
// threads only read them.
void SetCheckInSettings(std::wstring endpoint, int layoutOffset);
const std::wstring& CheckInEndpoint();
int CheckInLayoutOffset();

// Sends one GET request with the headers, in their order, to the endpoint, and reads the whole
// body as UTF-8 into body. Any completed exchange is an answer, whatever its status. False on
// any failure (name resolution, connection, TLS, time-out, a header that cannot be sent), and
// body is then left as it was. A name given twice is sent once, where it first came, with its
// last value.
bool GetServerText(const HeaderList& headers, std::wstring& body);

// The headers of the check-in: version, interface language, debug switch, client identifier.
// Reads or creates the client identifier.
HeaderList CheckInHeaders();

// The headers of the "hold" command: the version, and the command itself.
HeaderList HoldCommandHeaders();

// Sends the "hold" command once, on a thread of its own that ends by itself; its outcome is of
// no interest, and nothing waits for it.
void StartHoldCommand();

}  // namespace quorvane
