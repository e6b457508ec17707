// quorvanec: the autorun catalogue for scripts and the command prompt.
//
//   quorvanec list           an aligned table: state, source, caption, target
//   quorvanec list --json    a JSON array of the entries, with their files' details
//   quorvanec list --csv     the same as CSV
//   quorvanec save FILE      the saved list file, as the window writes it
//   quorvanec enable FROM TARGET, quorvanec disable FROM TARGET
//                            switches the catalogue entry that list shows with this source tag
//                            (in any letter case) and target, and checks the outcome in a fresh
//                            catalogue
//   quorvanec diff BASELINE [--json]
//                            what was added, removed or switched since the baseline, a file
//                            of list --json or a saved list
//   quorvanec watch [--json] [--interval SECONDS]
//                            stays running and prints each change as it happens, until Ctrl+C
//   quorvanec --help, quorvanec --version
//
// Exit status: 0 done, 1 the work failed (the reason goes to stderr), 2 a wrong command line;
// diff gives 0 when nothing changed and 3 when something did.
#include <windows.h>

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/console/baseline.h"
#include "app/console/catalogue_diff.h"
#include "app/console/catalogue_report.h"
#include "app/console/catalogue_watch.h"
#include "app/console/console_stream.h"
#include "catalogue/autorun.h"
#include "catalogue/autorun_state.h"
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/locale_text.h"
#include "common/shell.h"
#include "common/text.h"
#include "common/version_info.h"

namespace quorvane {
namespace {

constexpr wchar_t kUsage[] =
    L"usage: quorvanec list [--json|--csv] | quorvanec save FILE | quorvanec enable|disable FROM TARGET\r\n"
    L"       quorvanec diff BASELINE [--json] | quorvanec watch [--json] [--interval SECONDS]\r\n"
    L"       quorvanec --help | quorvanec --version\r\n";

// Tasks and services give no change notice: they are read again this often.
constexpr DWORD kDefaultPollSeconds = 30;
constexpr DWORD kMaxPollSeconds = 86400;

constexpr int kDone = 0;
constexpr int kChanged = 3;

enum class Action { ListTable, ListJson, ListCsv, Save, Enable, Disable, Diff, DiffJson, Watch, Help, Version };

struct Command {
  Action action;
  std::wstring file;
  std::wstring from;
  std::wstring target;
  bool json = false;
  DWORD pollSeconds = kDefaultPollSeconds;
};

// Whole seconds from 1 to a day, in decimal digits only.
std::optional<DWORD> ParseSeconds(const std::wstring& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  DWORD seconds = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    seconds = seconds * 10 + static_cast<DWORD>(c - L'0');
  }
  if (seconds == 0 || seconds > kMaxPollSeconds) return std::nullopt;
  return seconds;
}

// watch [--json] [--interval SECONDS], the options in either order, each at most once.
std::optional<Command> ParseWatch(const std::vector<std::wstring>& arguments) {
  Command command{Action::Watch, {}, {}, {}};
  bool intervalGiven = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == L"--json" && !command.json) {
      command.json = true;
    } else if (arguments[i] == L"--interval" && !intervalGiven && i + 1 < arguments.size()) {
      const std::optional<DWORD> seconds = ParseSeconds(arguments[++i]);
      if (!seconds) return std::nullopt;
      command.pollSeconds = *seconds;
      intervalGiven = true;
    } else {
      return std::nullopt;
    }
  }
  return command;
}

std::optional<Command> ParseCommand(const std::vector<std::wstring>& arguments) {
  if (arguments.size() == 1 && arguments[0] == L"--help") return Command{Action::Help, {}, {}, {}};
  if (arguments.size() == 1 && arguments[0] == L"--version") return Command{Action::Version, {}, {}, {}};
  if (arguments.size() == 1 && arguments[0] == L"list") return Command{Action::ListTable, {}, {}, {}};
  if (arguments.size() == 2 && arguments[0] == L"list" && arguments[1] == L"--json") {
    return Command{Action::ListJson, {}, {}, {}};
  }
  if (arguments.size() == 2 && arguments[0] == L"list" && arguments[1] == L"--csv") {
    return Command{Action::ListCsv, {}, {}, {}};
  }
  if (arguments.size() == 2 && arguments[0] == L"save" && !arguments[1].empty()) {
    return Command{Action::Save, arguments[1], {}, {}};
  }
  if (!arguments.empty() && arguments[0] == L"watch") return ParseWatch(arguments);
  if (arguments.size() >= 2 && arguments.size() <= 3 && arguments[0] == L"diff" && !arguments[1].empty() &&
      !arguments[1].starts_with(L"--")) {
    if (arguments.size() == 2) return Command{Action::Diff, arguments[1], {}, {}};
    if (arguments[2] == L"--json") return Command{Action::DiffJson, arguments[1], {}, {}};
    return std::nullopt;
  }
  if (arguments.size() == 3 && (arguments[0] == L"enable" || arguments[0] == L"disable")) {
    return Command{arguments[0] == L"enable" ? Action::Enable : Action::Disable, {}, arguments[1], arguments[2]};
  }
  return std::nullopt;
}

AutorunList Refreshed() {
  AutorunList catalogue;
  RefreshAutorunList(catalogue);
  return catalogue;
}

// The entry with this target, as list prints it, and this source tag in any letter case, as
// the window's switch reads tags.
const TAutorunInfo* FindEntry(const AutorunList& catalogue, const std::wstring& from, const std::wstring& target) {
  for (const TAutorunInfo& entry : catalogue) {
    if (entry.Target == target && SameTextUserLocale(entry.From, from)) return &entry;
  }
  return nullptr;
}

// Switches only what the catalogue lists, as the window does, and judges the switch by the
// catalogue that follows it: the system may refuse a switch without a word.
void Switch(const std::wstring& from, const std::wstring& target, bool enable) {
  const TAutorunInfo* listed = FindEntry(Refreshed(), from, target);
  if (!listed) throw Error(L"no such entry in the catalogue: " + from + L" " + target);
  const std::wstring tag = listed->From;
  const std::wstring entryName = tag + L" " + target;

  SetAutorunState(target, tag, enable);

  const AutorunList after = Refreshed();
  const TAutorunInfo* entry = FindEntry(after, from, target);
  if (SwitchRemovesEntry(tag, enable)) {
    if (entry) throw Error(L"the entry is still in the catalogue: " + entryName);
    return;
  }
  if (!entry) throw Error(L"the entry is no longer in the catalogue: " + entryName);
  if (entry->Enabled != enable) throw Error(L"the entry's state is unchanged: " + entryName);
}

void WriteOutput(std::wstring_view text) {
  if (!ConsoleStream(STD_OUTPUT_HANDLE).Write(text)) throw Error(L"cannot write the output");
}

// The "FileVersion" string of this program's own version resource.
std::wstring ProgramFileVersion() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) throw WinError(GetLastError(), L"Cannot find the program's own file");
  VersionValues values;
  GetVersionStrings(path, {L"FileVersion"}, values);
  if (!values.contains(L"FileVersion")) throw Error(L"The program has no file version");
  return values[L"FileVersion"];
}

// What the sources gave before one of them failed is still printed, as a complete document;
// the failure follows on stderr.
void List(Action format) {
  AutorunList catalogue;
  std::exception_ptr failure;
  try {
    RefreshAutorunList(catalogue);
  } catch (const std::exception&) {
    failure = std::current_exception();
  }
  switch (format) {
    case Action::ListJson:
      WriteOutput(FormatCatalogueJson(ReportCatalogue(catalogue)));
      break;
    case Action::ListCsv:
      WriteOutput(FormatCatalogueCsv(ReportCatalogue(catalogue)));
      break;
    default:
      WriteOutput(FormatCatalogueTable(catalogue));
      break;
  }
  if (failure) std::rethrow_exception(failure);
}

// The baseline is read first: a wrong file is reported before the catalogue is read.
int Diff(const std::wstring& baselinePath, bool json) {
  const Baseline baseline = ReadBaseline(baselinePath);
  const CatalogueDiff diff = DiffCatalogue(baseline, Refreshed());
  WriteOutput(json ? FormatDiffJson(diff) : FormatDiffTable(diff));
  return diff.Empty() ? kDone : kChanged;
}

int Run(const Command& command) {
  switch (command.action) {
    case Action::Save:
      SaveAutorunList(Refreshed(), command.file);
      break;
    case Action::Enable:
    case Action::Disable:
      Switch(command.from, command.target, command.action == Action::Enable);
      break;
    case Action::ListTable:
    case Action::ListJson:
    case Action::ListCsv:
      List(command.action);
      break;
    case Action::Diff:
    case Action::DiffJson:
      return Diff(command.file, command.action == Action::DiffJson);
    case Action::Watch: {
      ConsoleStream output(STD_OUTPUT_HANDLE);
      ConsoleStream errors(STD_ERROR_HANDLE);
      WatchCatalogue(command.json, command.pollSeconds * 1000, output, errors);
      break;
    }
    case Action::Help:
      WriteOutput(kUsage);
      break;
    case Action::Version:
      WriteOutput(L"quorvanec " + ProgramFileVersion() + L"\r\n");
      break;
  }
  return kDone;
}

int Main(const std::vector<std::wstring>& arguments) {
  ConsoleStream errors(STD_ERROR_HANDLE);
  const std::optional<Command> command = ParseCommand(arguments);
  if (!command) {
    errors.Write(kUsage);
    return 2;
  }

  // Every failure of the work ends here, as one line on stderr and exit status 1.
  std::wstring reason;
  try {
    return Run(*command);
  } catch (const Error& error) {
    reason = error.Message();
  } catch (const std::exception& error) {
    reason = FromUtf8(error.what());
  }
  // A target can hold a line break (a registry value's name may); the reason stays one line.
  for (wchar_t& c : reason) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  errors.Write(L"quorvanec: " + reason + L"\r\n");
  return 1;
}

}  // namespace
}  // namespace quorvane

int wmain(int argc, wchar_t* argv[]) {
  quorvane::InitFolderPlaceholders();
  const int status = quorvane::Main(std::vector<std::wstring>(argv + 1, argv + argc));
  quorvane::ReleaseFolderPlaceholders();
  return status;
}
