// https_probe URL: sends the check-in request to URL from a process of its own, prints the body
// as UTF-8 and exits with 0; exits with 1 when the request fails. The tests of HTTPS need a fresh
// process: a process reads the trusted certificates once, on its first secure connection.
#include <windows.h>

#include <cstdio>

#include "checkin/checkin_settings.h"
#include "checkin/server_request.h"
#include "common/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  quorvane::SetCheckInSettings(argv[1], 0);
  std::wstring body;
  if (!quorvane::GetServerText({{L"User-Version", L"1.0.2.0"}}, body)) return 1;
  const std::string bytes = quorvane::ToUtf8(body);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}
