#include "app/console/baseline.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include "catalogue/autorun.h"
#include "common/error.h"
#include "common/files.h"
#include "common/scoped.h"
#include "common/text.h"

namespace quorvane {

namespace {

// Far beyond any catalogue's list; it keeps a wrong file from filling the memory.
constexpr LONGLONG kMaxBaselineBytes = 256ll << 20;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

std::string ReadWholeFile(const std::wstring& path) {
  if (FolderExists(path)) {
    throw Error(L"The baseline " + path + L" is a folder, not a file");
  }
  const ScopedFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw WinError(GetLastError(), L"Cannot open the baseline " + path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) throw WinError(GetLastError(), L"Cannot read the baseline " + path);
  if (size.QuadPart > kMaxBaselineBytes) throw Error(L"The baseline " + path + L" is too large to be a catalogue");
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, nullptr)) {
      throw WinError(GetLastError(), L"Cannot read the baseline " + path);
    }
    if (read == 0) break;
    filled += read;
  }
  bytes.resize(filled);
  return bytes;
}

std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) throw Error(L"The baseline ends in the middle of a UTF-16 character: it is truncated");
  std::wstring text(bytes.size() / 2, L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

// The file's text as UTF-8, without a byte order mark.
std::string DecodedText(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LittleEndianMark)) return ToUtf8(FromUtf16(bytes.substr(2), false));
  if (bytes.starts_with(kUtf16BigEndianMark)) return ToUtf8(FromUtf16(bytes.substr(2), true));
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  if (bytes.find('\0') != std::string_view::npos) {
    throw Error(L"The baseline holds NUL bytes: it is not UTF-8 text (UTF-16 needs its byte order mark)");
  }
  if (ToUtf8(FromUtf8(bytes)) != bytes) throw Error(L"The baseline is not UTF-8 text");
  return std::string(bytes);
}

std::wstring TextMember(const nlohmann::json& entry, const char* name, std::size_t number) {
  const auto member = entry.find(name);
  if (member == entry.end() || !member->is_string()) {
    throw Error(L"Entry " + std::to_wstring(number) + L" of the baseline has no text \"" + FromUtf8(name) + L"\"");
  }
  return FromUtf8(member->get<std::string>());
}

Baseline ParseJsonBaseline(const std::string& text) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    throw Error(L"The baseline is not a complete JSON document (truncated?): " + FromUtf8(error.what()));
  }
  if (!document.is_array()) throw Error(L"The baseline is JSON but not the array that list --json writes");
  Baseline baseline;
  baseline.reserve(document.size());
  for (std::size_t i = 0; i < document.size(); ++i) {
    const nlohmann::json& entry = document[i];
    const std::size_t number = i + 1;
    if (!entry.is_object()) throw Error(L"Entry " + std::to_wstring(number) + L" of the baseline is not an object");
    BaselineEntry parsed{TextMember(entry, "from", number), TextMember(entry, "caption", number),
                         TextMember(entry, "target", number), std::nullopt, TextMember(entry, "rawData", number)};
    const auto enabled = entry.find("enabled");
    if (enabled == entry.end() || !enabled->is_boolean()) {
      throw Error(L"Entry " + std::to_wstring(number) + L" of the baseline has no true or false \"enabled\"");
    }
    parsed.enabled = enabled->get<bool>();
    baseline.push_back(std::move(parsed));
  }
  return baseline;
}

// Whether a saved-list line's caption and target belong together, as the catalogue builds
// them: a Run value's target ends in its name, a Startup file's name is the caption and an
// extension, a task's target is a backslash and its name.
bool CaptionFitsTarget(const std::wstring& from, std::wstring_view caption, std::wstring_view target) {
  switch (SourceKindOf(from)) {
    case SourceKind::Registry:
    case SourceKind::Task:
      return target.size() > caption.size() && target.ends_with(caption) &&
             target[target.size() - caption.size() - 1] == L'\\';
    case SourceKind::StartupFile: {
      const std::wstring fileName = FileNamePart(target);
      return fileName.size() > caption.size() && fileName.starts_with(caption) && fileName[caption.size()] == L'.' &&
             fileName.find(L'.', caption.size() + 1) == std::wstring::npos;
    }
    case SourceKind::Service:
      break;
  }
  return false;
}

// "From|Caption|Target", written without quoting: the tag never holds a "|", but caption and
// target may. Of the ways to split the rest, the first where caption and target belong
// together is taken, else the last, since a service's name is less likely to hold one than its
// display name.
BaselineEntry ParseSavedListLine(const std::wstring& line, std::size_t number) {
  const auto firstBar = line.find(L'|');
  if (firstBar == std::wstring::npos) {
    throw Error(L"Line " + std::to_wstring(number) + L" of the baseline has no \"|\"");
  }
  const std::wstring from = line.substr(0, firstBar);
  const std::wstring rest = line.substr(firstBar + 1);
  const auto lastBar = rest.rfind(L'|');
  if (lastBar == std::wstring::npos) {
    throw Error(L"Line " + std::to_wstring(number) + L" of the baseline has one \"|\", not two");
  }
  std::size_t split = lastBar;
  for (auto bar = rest.find(L'|'); bar != std::wstring::npos; bar = rest.find(L'|', bar + 1)) {
    if (CaptionFitsTarget(from, std::wstring_view(rest).substr(0, bar), std::wstring_view(rest).substr(bar + 1))) {
      split = bar;
      break;
    }
  }
  return {from, rest.substr(0, split), rest.substr(split + 1), std::nullopt, std::nullopt};
}

Baseline ParseSavedList(const std::string& text) {
  if (!text.empty() && !text.ends_with('\n')) {
    throw Error(L"The baseline's last line has no line end: it is truncated");
  }
  Baseline baseline;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    std::string_view line(text.data() + start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    baseline.push_back(ParseSavedListLine(FromUtf8(line), ++number));
    start = end + 1;
  }
  return baseline;
}

}  // namespace

Baseline ReadBaseline(const std::wstring& path) { return ParseBaseline(ReadWholeFile(path)); }

Baseline ParseBaseline(std::string_view bytes) {
  if (bytes.empty()) throw Error(L"The baseline is empty");
  const std::string text = DecodedText(bytes);
  const auto firstVisible = text.find_first_not_of(" \t\r\n");
  if (firstVisible != std::string::npos && (text[firstVisible] == '[' || text[firstVisible] == '{')) {
    return ParseJsonBaseline(text);
  }
  // A saved list of an empty catalogue is its byte order mark alone; without one, blank text is
  // no baseline at all.
  if (firstVisible == std::string::npos && !(text.empty() && bytes.starts_with(kUtf8Mark))) {
    throw Error(L"The baseline is empty");
  }
  return ParseSavedList(text);
}

}  // namespace quorvane
