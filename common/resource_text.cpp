#include "common/resource_text.h"

#include "common/text.h"

namespace quorvane {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::optional<std::string> ReadRcData(HMODULE module, const std::wstring& name) {
  HRSRC resource = FindResourceW(module, name.c_str(), RT_RCDATA);
  if (resource == nullptr) return std::nullopt;
  // A module's resources stay mapped while the module is loaded: nothing here is freed.
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded == nullptr ? nullptr : LockResource(loaded);
  if (data == nullptr) return std::nullopt;
  return std::string(static_cast<const char*>(data), SizeofResource(module, resource));
}

std::optional<std::vector<std::wstring>> ReadTextResourceLines(HMODULE module, const std::wstring& name) {
  const std::optional<std::string> bytes = ReadRcData(module, name);
  if (!bytes) return std::nullopt;
  std::string_view text = *bytes;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return SplitLines(FromUtf8(text));
}

}  // namespace quorvane
