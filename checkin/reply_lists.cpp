#include "checkin/reply_lists.h"

#include <nlohmann/json.hpp>

#include "common/text.h"

namespace quorvane {

void MergeReplyLists(std::wstring_view reply, NameList& fileWhite, NameList& nameWhite, NameList& nameBlack) {
  // Without exceptions a reply that does not parse comes back as a discarded value, which is
  // no object. The parser and the destructor keep their nesting on the heap, so a deeply nested
  // reply cannot exhaust the stack.
  const nlohmann::json parsed = nlohmann::json::parse(ToUtf8(reply), nullptr, false);
  if (!parsed.is_object()) return;
  MergeJsonArray(fileWhite, parsed, "file_white");
  MergeJsonArray(nameWhite, parsed, "name_white");
  MergeJsonArray(nameBlack, parsed, "name_black");
}

}  // namespace quorvane
