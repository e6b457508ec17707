#include "checkin/reply_address.h"

namespace quorvane {

std::wstring ReplyAddress(std::wstring_view value) {
  return IsWebAddress(value) ? std::wstring(value) : std::wstring();
}

}  // namespace quorvane
