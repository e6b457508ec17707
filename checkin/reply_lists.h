// The name lists that the check-in reply extends.
#pragma once

#include <string_view>

#include "common/name_list.h"

namespace quorvane {

// Parses the reply as JSON and, when it is an object, merges its arrays "file_white",
// "name_white" and "name_black" into the three lists, in that order. A reply that is not JSON,
// or whose value is not an object, merges nothing and is no error.
void MergeReplyLists(std::wstring_view reply, NameList& fileWhite, NameList& nameWhite, NameList& nameBlack);

}  // namespace quorvane
