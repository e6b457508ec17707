#include "checkin/server_request.h"

#include <winhttp.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <random>
#include <thread>

#include "app/translation/translation.h"
#include "common/debug_switch.h"
#include "common/scoped.h"
#include "common/text.h"
#include "registry/reg_key.h"

namespace quorvane {

namespace {

struct CheckInSettings {
  std::wstring endpoint;
  int layoutOffset = 0;
};

CheckInSettings& Settings() {
  static CheckInSettings settings;
  return settings;
}

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
    auto same = std::find_if(merged.begin(), merged.end(),
                             [&](const RequestHeader& earlier) { return EqualsIgnoreAsciiCase(earlier.name, header.name); });
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

// Seeded once per thread from the high-resolution counter, so that two runs, or two threads,
// never draw the same numbers.
std::mt19937& RandomGenerator() {
  thread_local std::mt19937 generator = [] {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::seed_seq seed{static_cast<std::uint32_t>(counter.QuadPart), static_cast<std::uint32_t>(counter.QuadPart >> 32),
                       static_cast<std::uint32_t>(GetCurrentThreadId())};
    return std::mt19937(seed);
  }();
  return generator;
}

// A random number below limit, as upper-case hexadecimal digits.
std::wstring RandomHex(int limit, int digits) {
  std::uniform_int_distribution<int> below(0, limit - 1);
  wchar_t text[16] = {};
  std::swprintf(text, std::size(text), L"%0*X", digits, static_cast<unsigned>(below(RandomGenerator())));
  return text;
}

std::wstring TwoDigits(int number) {
  wchar_t text[4] = {};
  std::swprintf(text, std::size(text), L"%02d", number % 100);
  return text;
}

std::wstring LocalDate() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return TwoDigits(now.wYear) + TwoDigits(now.wMonth) + TwoDigits(now.wDay);
}

std::wstring LocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return TwoDigits(now.wHour) + TwoDigits(now.wMinute) + TwoDigits(now.wSecond);
}

constexpr wchar_t kClientIdKey[] = L"Software\\Tesmora";
constexpr wchar_t kClientIdValue[] = L"TUID";

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

struct StoredValue {
  DWORD type = REG_NONE;
  std::wstring text;  // for a string value, up to its first NUL
};

std::optional<StoredValue> ReadValue(HKEY key, const wchar_t* name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  StoredValue value{type, {}};
  if (!IsStringType(type)) return value;
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read) != ERROR_SUCCESS ||
      !IsStringType(type)) {
    return std::nullopt;
  }
  data.resize(std::wcslen(data.c_str()));
  value.text = std::move(data);
  return value;
}

bool WriteClientID(HKEY key, const std::wstring& identifier) {
  const auto size = static_cast<DWORD>((identifier.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, kClientIdValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(identifier.c_str()), size) ==
         ERROR_SUCCESS;
}

void SendHoldCommand() {
  std::wstring ignored;
  GetServerText(HoldCommandHeaders(), ignored);
}

}  // namespace

void SetCheckInSettings(std::wstring endpoint, int layoutOffset) {
  Settings().endpoint = std::move(endpoint);
  Settings().layoutOffset = layoutOffset;
}

const std::wstring& CheckInEndpoint() { return Settings().endpoint; }

int CheckInLayoutOffset() { return Settings().layoutOffset; }

bool GetServerText(const HeaderList& headers, std::wstring& body) {
  const std::optional<std::string> bytes = Fetch(CheckInEndpoint(), headers);
  if (!bytes) return false;
  body = FromUtf8(*bytes);
  return true;
}

std::wstring GetClientID() { return ReadOrCreateClientID(HKEY_CURRENT_USER, kClientIdKey, WriteClientID); }

// An identifier is only ever stored whole. A missing or empty value is replaced by a new one;
// when storing fails, whatever the failed write may have left is removed, so that the next start
// tries again instead of sending a broken identifier for good.
std::wstring ReadOrCreateClientID(HKEY root, const std::wstring& keyPath, const ClientIdStore& store) {
  RegKey key;
  if (key.Create(root, keyPath, KEY_READ | KEY_WRITE) != ERROR_SUCCESS) return {};
  std::optional<StoredValue> stored = ReadValue(key.Get(), kClientIdValue);
  const bool usable = stored && !(IsStringType(stored->type) && stored->text.empty());
  if (!usable) {
    if (!store(key.Get(), NewClientID())) {
      RegDeleteValueW(key.Get(), kClientIdValue);
      return {};
    }
    stored = ReadValue(key.Get(), kClientIdValue);
  }
  // A value of another type is left alone: it may be someone else's.
  return (stored && IsStringType(stored->type)) ? stored->text : std::wstring();
}

std::wstring NewClientID() {
  constexpr int kLargeLimit = 2147483647;
  constexpr int kSmallLimit = 65535;
  return RandomHex(kLargeLimit, 8) + LocalDate() + RandomHex(kSmallLimit, 4) + LocalTime() + RandomHex(kLargeLimit, 8);
}

std::wstring GetAppVersion(std::wstring_view format) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return L"0.0.0.0";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return L"0.0.0.0";
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!GetFileVersionInfoW(path, 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixedSize < sizeof *fixed) {
    return L"0.0.0.0";
  }
  const DWORD numbers[] = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
  // Only "%d" is understood, so that no format can make the program read beyond its numbers.
  std::wstring version;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format.substr(i, 2) == L"%d" && next < std::size(numbers)) {
      version += std::to_wstring(numbers[next++]);
      ++i;
    } else {
      version += format[i];
    }
  }
  return version;
}

HeaderList CheckInHeaders() {
  return {{L"User-Version", GetAppVersion(L"%d.%d.%d.%d")},
          {L"User-Language", CurrentLanguage()},
          {L"User-Debug", DebugSwitch() ? L"true" : L"false"},
          {L"User-Union", GetClientID()}};
}

HeaderList HoldCommandHeaders() { return {{L"User-Version", GetAppVersion(L"%d.%d.%d.%d")}, {L"User-Command", L"hold"}}; }

void StartHoldCommand() {
  std::thread([]() noexcept {
    // Nothing on this thread may end the program; a failure only means the command was not sent.
    try {
      SendHoldCommand();
    } catch (...) {
    }
  }).detach();
}

}  // namespace quorvane
