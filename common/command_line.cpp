#include "common/command_line.h"

#include <array>

#include "common/text.h"

namespace quorvane {

namespace {

// Windows' CSIDL values for the folders the placeholders stand for.
constexpr int kCsidlAppData = 26;
constexpr int kCsidlCommonAppData = 35;
constexpr int kCsidlWindows = 36;
constexpr int kCsidlProgramFiles = 38;
constexpr int kCsidlProgramFilesX86 = 42;
constexpr int kCsidlProgramFilesCommon = 43;
constexpr int kCsidlProgramFilesCommonX86 = 44;
constexpr int kCsidlCommonDocuments = 46;

// Extensions that end the program of an unquoted command line, in order of preference when
// two are found at the same place.
constexpr std::array<std::wstring_view, 5> kProgramExtensions = {L".EXE", L".BAT", L".COM", L".CMD", L".MSI"};

constexpr std::wstring_view kNativePathPrefix = L"\\??\\";
constexpr std::wstring_view kDllRunner = L"rundll32.exe";

// The earliest of the program extensions in the upper-cased command line, or npos.
std::wstring_view::size_type FindFirstProgramExtension(std::wstring_view upperText) {
  auto best = std::wstring_view::npos;
  for (std::wstring_view extension : kProgramExtensions) {
    const auto found = upperText.find(extension);
    if (found < best) best = found;
  }
  return best;
}

// The DLL that "rundll32.exe <arguments>" runs: the quoted path, or the text before the comma.
// An opening quote without a closing one is dropped and the rest kept, as for the program.
std::wstring DllFromRunnerArguments(const std::wstring& arguments) {
  std::wstring path = arguments;
  if (!path.empty() && path.front() == L'"') {
    const auto closing = path.find(L'"', 1);
    path = closing == std::wstring::npos ? path.substr(1) : path.substr(1, closing - 1);
  }
  const auto comma = path.find(L',');
  if (comma != std::wstring::npos) path.erase(comma);
  return path;
}

// Turns each pair of backslashes into one, left to right, without scanning the result again.
std::wstring CollapseDoubleBackslashes(std::wstring_view path) {
  std::wstring result;
  result.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    result += path[i];
    if (path[i] == L'\\' && i + 1 < path.size() && path[i + 1] == L'\\') ++i;
  }
  return result;
}

}  // namespace

PlaceholderMap BuildFolderPlaceholders(bool nativeX64, const std::function<std::wstring(int csidl)>& folderOf) {
  const std::wstring commonFiles = folderOf(kCsidlProgramFilesCommon);
  const std::wstring programFiles = folderOf(kCsidlProgramFiles);
  return {
      {L"%ProgramData%", folderOf(kCsidlCommonAppData)},
      {L"%SystemRoot%", folderOf(kCsidlWindows)},
      {L"%Public%", folderOf(kCsidlCommonDocuments)},
      {L"%AppData%", folderOf(kCsidlAppData)},
      {L"%WinDir%", folderOf(kCsidlWindows)},
      {L"%CommonProgramFiles(x86)%", nativeX64 ? folderOf(kCsidlProgramFilesCommonX86) : commonFiles},
      {L"%CommonProgramFiles%", nativeX64 ? RemoveX86Suffix(commonFiles) : commonFiles},
      {L"%ProgramFiles(x86)%", nativeX64 ? folderOf(kCsidlProgramFilesX86) : programFiles},
      {L"%ProgramFiles%", nativeX64 ? RemoveX86Suffix(programFiles) : programFiles},
  };
}

std::wstring RemoveX86Suffix(std::wstring_view folder) {
  std::wstring result(folder);
  const auto found = FindIgnoreAsciiCase(result, L" (x86)");
  if (found != std::wstring::npos) result.erase(found, 6);
  return result;
}

std::wstring ExpandPlaceholder(std::wstring_view text, const PlaceholderMap& placeholders) {
  for (const FolderPlaceholder& entry : placeholders) {
    const std::wstring_view key = entry.placeholder;
    if (text.size() > key.size() && text[key.size()] == L'\\' &&
        EqualsIgnoreAsciiCase(text.substr(0, key.size()), key)) {
      return entry.folder + std::wstring(text.substr(key.size()));
    }
  }
  return std::wstring(text);
}

void SplitCommandLine(std::wstring_view commandLine, std::wstring& program, std::wstring& arguments) {
  program.clear();
  arguments.clear();
  const std::wstring text = Trim(commandLine);
  if (text.empty()) return;

  if (text.front() == L'"') {
    const auto closing = text.find(L'"', 1);
    if (closing == std::wstring::npos) {
      program = text.substr(1);
    } else {
      program = Trim(std::wstring_view(text).substr(1, closing - 1));
      arguments = Trim(std::wstring_view(text).substr(closing + 1));
    }
    return;
  }

  const auto extension = FindFirstProgramExtension(AsciiUpper(text));
  if (extension != std::wstring::npos) {
    const auto programEnd = extension + 4;
    program = Trim(std::wstring_view(text).substr(0, programEnd));
    arguments = Trim(std::wstring_view(text).substr(programEnd));
    return;
  }

  const auto blank = text.find(L' ');
  if (blank != std::wstring::npos) {
    program = Trim(std::wstring_view(text).substr(0, blank));
    arguments = Trim(std::wstring_view(text).substr(blank + 1));
  } else {
    program = text;
  }
}

std::wstring ResolveTarget(std::wstring_view commandLine, const PlaceholderMap& placeholders) {
  if (commandLine.starts_with(kNativePathPrefix)) commandLine.remove_prefix(kNativePathPrefix.size());

  std::wstring program;
  std::wstring arguments;
  SplitCommandLine(commandLine, program, arguments);

  const bool runsDll = !arguments.empty() && EqualsIgnoreAsciiCase(FileNamePart(program), kDllRunner);
  const std::wstring path = runsDll ? DllFromRunnerArguments(arguments) : program;
  return CollapseDoubleBackslashes(ExpandPlaceholder(path, placeholders));
}

}  // namespace quorvane
