#include "checkin/server_request.h"

#include <winhttp.h>

#include <algorithm>
#include <optional>

#include "checkin/checkin_settings.h"
#include "common/scoped.h"
#include "common/text.h"

namespace quorvane {

namespace {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { WinHttpCloseHandle(handle); }
};
using ScopedInternet = UniqueHandle<InternetHandleTraits>;

// The HTTP layer's defaults that the check-in relies on, in milliseconds: WinHTTP's own
// defaults for sending and receiving are shorter.
constexpr int kConnectTimeout = 60000;
constexpr int kSendTimeout = 60000;
constexpr int kReceiveTimeout = 60000;

struct Endpoint {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring pathAndQuery;
};

std::optional<Endpoint> CrackEndpoint(const std::wstring& url) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
  Endpoint endpoint;
  endpoint.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  endpoint.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  endpoint.port = parts.nPort;
  endpoint.pathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  endpoint.pathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (endpoint.pathAndQuery.empty()) endpoint.pathAndQuery = L"/";
  return endpoint;
}

// Each name once, where it first came, with the last value given for it. Header names are
// compared as HTTP compares them, without regard to the case of ASCII letters.
HeaderList MergeRepeatedNames(const HeaderList& headers) {
  HeaderList merged;
  for (const RequestHeader& header : headers) {
    auto same = std::find_if(merged.begin(), merged.end(), [&](const RequestHeader& earlier) {
      return EqualsIgnoreAsciiCase(earlier.name, header.name);
    });
    if (same == merged.end()) {
      merged.push_back(header);
    } else {
      same->value = header.value;
    }
  }
  return merged;
}

// A line break in a name or value would smuggle further headers into the request; a colon in a
// name would move the value. Such a header cannot be sent.
bool CanBeSent(const RequestHeader& header) {
  const auto hasLineBreak = [](const std::wstring& text) { return text.find_first_of(L"\r\n") != std::wstring::npos; };
  return !header.name.empty() && header.name.find(L':') == std::wstring::npos && !hasLineBreak(header.name) &&
         !hasLineBreak(header.value);
}

bool AddHeaders(HINTERNET request, const HeaderList& headers) {
  for (const RequestHeader& header : MergeRepeatedNames(headers)) {
    if (!CanBeSent(header)) return false;
    const std::wstring line = header.name + L": " + header.value;
    if (!WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(line.size()), WINHTTP_ADDREQ_FLAG_ADD)) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> ReadBody(HINTERNET request) {
  std::string body;
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) return std::nullopt;
    if (available == 0) return body;
    const std::size_t start = body.size();
    body.resize(start + available);
    DWORD read = 0;
    if (!WinHttpReadData(request, body.data() + start, available, &read)) return std::nullopt;
    body.resize(start + read);
  }
}

std::optional<std::string> Fetch(const std::wstring& url, const HeaderList& headers) {
  const std::optional<Endpoint> endpoint = CrackEndpoint(url);
  if (!endpoint) return std::nullopt;
  // No user agent: the service knows the program by its own headers.
  const ScopedInternet session(
      WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session || !WinHttpSetTimeouts(session.Get(), 0, kConnectTimeout, kSendTimeout, kReceiveTimeout)) {
    return std::nullopt;
  }
  const ScopedInternet connection(WinHttpConnect(session.Get(), endpoint->host.c_str(), endpoint->port, 0));
  if (!connection) return std::nullopt;
  // Certificates are checked as WinHTTP checks them: an untrusted one fails the request.
  const ScopedInternet request(WinHttpOpenRequest(connection.Get(), L"GET", endpoint->pathAndQuery.c_str(), nullptr,
                                                  WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                  endpoint->secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request || !AddHeaders(request.Get(), headers)) return std::nullopt;
  if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.Get(), nullptr)) {
    return std::nullopt;
  }
  return ReadBody(request.Get());
}

}  // namespace

bool GetServerText(const HeaderList& headers, std::wstring& body) {
  const std::optional<std::string> bytes = Fetch(CheckInEndpoint(), headers);
  if (!bytes) return false;
  body = FromUtf8(*bytes);
  return true;
}

}  // namespace quorvane
