// Text output to a standard handle: through the console's wide-character API when the handle
// is a console, as UTF-8 bytes when it is redirected to a file or a pipe.
#pragma once

#include <windows.h>

#include <string_view>

namespace quorvane {

class ConsoleStream {
 public:
  explicit ConsoleStream(DWORD standardHandle);

  // False when the text could not be written in full.
  bool Write(std::wstring_view text);

 private:
  bool WriteToConsole(std::wstring_view text);
  bool WriteBytes(std::string_view bytes);

  HANDLE handle_;
  bool isConsole_;
};

}  // namespace quorvane
