// Command lines, as the Run keys and services hold them, through the splitting and the
// resolution of the started file, over the placeholder maps of an x64 and of another system.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/command_line.h"
#include "common/text.h"
#include "fuzz_text.h"

namespace quorvane::fuzz {
namespace {

// The folders as a 32-bit program sees them on 64-bit Windows, so that the "(x86)" suffix
// rules apply; the all-users Documents folder stands for a lookup that failed.
std::wstring FolderOf(int csidl) {
  switch (csidl) {
    case 26:
      return L"C:\\Users\\u\\AppData\\Roaming";
    case 35:
      return L"C:\\ProgramData";
    case 36:
      return L"C:\\Windows";
    case 38:
    case 42:
      return L"C:\\Program Files (x86)";
    case 43:
    case 44:
      return L"C:\\Program Files (x86)\\Common Files";
    default:
      return L"";
  }
}

const std::array<PlaceholderMap, 2>& Maps() {
  static const std::array<PlaceholderMap, 2> maps = {BuildFolderPlaceholders(true, FolderOf),
                                                     BuildFolderPlaceholders(false, FolderOf)};
  return maps;
}

std::size_t LongestFolder(const PlaceholderMap& map) {
  std::size_t longest = 0;
  for (const FolderPlaceholder& entry : map) longest = std::max(longest, entry.folder.size());
  return longest;
}

constexpr std::array<std::wstring_view, 5> kProgramExtensions = {L".EXE", L".BAT", L".COM", L".CMD", L".MSI"};

bool IsTrimmedAway(wchar_t c) { return static_cast<std::uint32_t>(c) <= 32; }

bool IsTrimmed(std::wstring_view text) {
  return text.empty() || (!IsTrimmedAway(text.front()) && !IsTrimmedAway(text.back()));
}

// Whether one of the program extensions, in any ASCII letter case, occurs anywhere but at the
// very end of the text.
bool HasExtensionBeforeEnd(std::wstring_view text) {
  const std::wstring upper = AsciiUpper(text);
  for (const std::wstring_view extension : kProgramExtensions) {
    for (auto found = upper.find(extension); found != std::wstring::npos; found = upper.find(extension, found + 1)) {
      if (found + extension.size() != upper.size()) return true;
    }
  }
  return false;
}

std::size_t LongestBackslashRun(std::wstring_view text) {
  std::size_t longest = 0;
  std::size_t run = 0;
  for (const wchar_t c : text) {
    run = c == L'\\' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

// A path that resolution has nothing left to do with: no blank or control character, no
// opening quote, no "\??\" prefix, no placeholder to expand, no doubled backslash, and no
// program extension before its end. Such a path must resolve to itself.
bool IsSettledPath(std::wstring_view path, const PlaceholderMap& map) {
  if (path.empty() || path.front() == L'"' || path.starts_with(L"\\??\\")) return false;
  if (std::any_of(path.begin(), path.end(), IsTrimmedAway)) return false;
  if (path.find(L"\\\\") != std::wstring_view::npos) return false;
  if (ExpandPlaceholder(path, map) != path) return false;
  return !HasExtensionBeforeEnd(path);
}

void CheckSplit(const std::wstring& commandLine) {
  std::wstring program;
  std::wstring arguments;
  SplitCommandLine(commandLine, program, arguments);
  Require(program.size() + arguments.size() <= commandLine.size(), "the split is no longer than the command line",
          {commandLine, program, arguments});
  Require(commandLine.find(program) != std::wstring::npos && commandLine.find(arguments) != std::wstring::npos,
          "program and arguments are parts of the command line", {commandLine, program, arguments});
  Require(IsTrimmed(arguments), "the arguments are trimmed", {commandLine, arguments});
  // Only a program after an opening quote without a closing one keeps its leading blanks.
  const std::wstring trimmed = Trim(commandLine);
  const bool unclosedQuote = trimmed.starts_with(L'"') && trimmed.find(L'"', 1) == std::wstring::npos;
  Require(IsTrimmed(program) || (unclosedQuote && !IsTrimmedAway(program.back())), "the program is trimmed",
          {commandLine, program});
  if (!trimmed.starts_with(L'"')) {
    Require(!HasExtensionBeforeEnd(program), "an unquoted program ends at the first program extension",
            {commandLine, program});
  }

  std::wstring paddedProgram;
  std::wstring paddedArguments;
  SplitCommandLine(L" \t" + commandLine + L"\r\n ", paddedProgram, paddedArguments);
  Require(paddedProgram == program && paddedArguments == arguments, "surrounding blanks do not change the split",
          {commandLine, paddedProgram, paddedArguments});
}

void CheckResolution(const std::wstring& commandLine, const PlaceholderMap& map) {
  const std::wstring target = ResolveTarget(commandLine, map);
  Require(target.size() <= commandLine.size() + LongestFolder(map), "resolution grows only by one folder",
          {commandLine, target});
  Require(LongestBackslashRun(target) <= (LongestBackslashRun(commandLine) + 1) / 2,
          "each pair of backslashes becomes one", {commandLine, target});
  if (!commandLine.starts_with(L"\\??\\")) {
    Require(ResolveTarget(L"\\??\\" + commandLine, map) == target, "a leading \\??\\ is dropped",
            {commandLine, target});
  }
  Require(AsciiUpper(ResolveTarget(AsciiUpper(commandLine), map)) == AsciiUpper(target),
          "the ASCII letter case of the command line changes only the letter case of the target",
          {commandLine, target});

  const std::wstring expanded = ExpandPlaceholder(commandLine, map);
  Require(ExpandPlaceholder(expanded, map) == expanded, "expanding a placeholder is done once and for all",
          {commandLine, expanded});

  for (const std::wstring& path : {commandLine, target}) {
    if (IsSettledPath(path, map)) {
      const std::wstring again = ResolveTarget(path, map);
      Require(again == path, "a settled path resolves to itself", {commandLine, path, again});
    }
  }
}

void CheckX86Suffix(const std::wstring& folder) {
  const std::wstring removed = RemoveX86Suffix(folder);
  const bool hasSuffix = ContainsIgnoreAsciiCase(folder, L" (x86)");
  Require(hasSuffix ? removed.size() + 6 == folder.size() : removed == folder, "one \" (x86)\" goes, and nothing else",
          {folder, removed});
}

}  // namespace
}  // namespace quorvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane::fuzz;
  const std::wstring commandLine = CodeUnits(data, size);
  NoExceptionEscapes(commandLine, [&] {
    CheckSplit(commandLine);
    for (const quorvane::PlaceholderMap& map : Maps()) CheckResolution(commandLine, map);
    CheckX86Suffix(commandLine);
  });
  return 0;
}
