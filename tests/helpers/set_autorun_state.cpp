// set_autorun_state FROM TARGET on|off: one SetAutorunState call in a process of its own, so
// that a test can run it as another Windows version. Prints a line "windows10" or "earlier" as the
// call saw the system; exit status 0, or 1 with the error's text on stderr when one escaped.
#include <windows.h>

#include <cstdio>
#include <string>

#include "catalogue/autorun_state.h"
#include "common/error.h"
#include "common/shell.h"
#include "common/text.h"

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 4) return 2;
  quorvane::InitFolderPlaceholders();
  std::fputs(quorvane::IsWindows10OrLater() ? "windows10\n" : "earlier\n", stdout);
  try {
    quorvane::SetAutorunState(argv[2], argv[1], std::wstring(argv[3]) == L"on");
  } catch (const quorvane::Error& error) {
    std::fputs(error.what(), stderr);
    return 1;
  }
  return 0;
}
