// Errors that carry a text for the user.
#pragma once

#include <exception>
#include <string>

namespace quorvane {

class Error : public std::exception {
 public:
  explicit Error(std::wstring message);
  const std::wstring& Message() const { return message_; }
  const char* what() const noexcept override { return utf8Message_.c_str(); }

 private:
  std::wstring message_;
  std::string utf8Message_;
};

// A failed Windows call: the system's text for the error code, after what was being done.
class WinError : public Error {
 public:
  WinError(unsigned long code, const std::wstring& action);
  unsigned long Code() const { return code_; }

 private:
  unsigned long code_;
};

// The system's message text for an error code, on one line without a trailing line break.
std::wstring SystemMessage(unsigned long code);

}  // namespace quorvane
