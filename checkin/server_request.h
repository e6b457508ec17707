// The one GET request of the check-in to the publisher's service, with the headers it carries.
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

// Sends one GET request with the headers, in their order, to the endpoint, and reads the whole
// body as UTF-8 into body. Any completed exchange is an answer, whatever its status. False on
// any failure (name resolution, connection, TLS, time-out, a header that cannot be sent), and
// body is then left as it was. A name given twice is sent once, where it first came, with its
// last value.
bool GetServerText(const HeaderList& headers, std::wstring& body);

}  // namespace quorvane
