#include "catalogue/saved_list.h"

#include "common/files.h"
#include "common/text.h"

namespace quorvane {

std::string FormatSavedList(const AutorunList& list) {
  std::string bytes = "\xEF\xBB\xBF";
  for (const TAutorunInfo& entry : list) {
    // No quoting: a "|" inside a field is written as it is.
    bytes += ToUtf8(entry.From + L'|' + entry.Caption + L'|' + entry.Target);
    bytes += "\r\n";
  }
  return bytes;
}

void SaveAutorunList(const AutorunList& list, const std::wstring& path) {
  WriteFileAtomically(path, FormatSavedList(list));
}

}  // namespace quorvane
