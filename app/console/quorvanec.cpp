// quorvanec: the autorun catalogue for scripts and the command prompt.
//
//   quorvanec list           an aligned table: state, source, caption, target
//   quorvanec list --json    a JSON array of the entries
//   quorvanec save FILE      the saved list file, as the window writes it
//   quorvanec enable FROM TARGET, quorvanec disable FROM TARGET
//                            switches the catalogue entry that list shows with this source tag
//                            and target, and checks the outcome in a fresh catalogue
//
// Exit status: 0 done, 1 the work failed (the reason goes to stderr), 2 a wrong command line.
#include <windows.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/console/catalogue_report.h"
#include "app/console/console_stream.h"
#include "catalogue/autorun.h"
#include "catalogue/autorun_state.h"
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/shell.h"
#include "common/text.h"

namespace quorvane {
namespace {

constexpr wchar_t kUsage[] =
    L"usage: quorvanec list [--json] | quorvanec save FILE | quorvanec enable|disable FROM TARGET\r\n";

enum class Action { ListTable, ListJson, Save, Enable, Disable };

struct Command {
  Action action;
  std::wstring file;
  std::wstring from;
  std::wstring target;
};

std::optional<Command> ParseCommand(const std::vector<std::wstring>& arguments) {
  if (arguments.size() == 1 && arguments[0] == L"list") return Command{Action::ListTable, {}, {}, {}};
  if (arguments.size() == 2 && arguments[0] == L"list" && arguments[1] == L"--json") {
    return Command{Action::ListJson, {}, {}, {}};
  }
  if (arguments.size() == 2 && arguments[0] == L"save" && !arguments[1].empty()) {
    return Command{Action::Save, arguments[1], {}, {}};
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

// The entry with exactly this source tag and target, as list prints them.
const TAutorunInfo* FindEntry(const AutorunList& catalogue, const std::wstring& from, const std::wstring& target) {
  for (const TAutorunInfo& entry : catalogue) {
    if (entry.From == from && entry.Target == target) return &entry;
  }
  return nullptr;
}

// Switches only what the catalogue lists, as the window does, and judges the switch by the
// catalogue that follows it: the system may refuse a switch without a word.
void Switch(const std::wstring& from, const std::wstring& target, bool enable) {
  const std::wstring entryName = from + L" " + target;
  if (!FindEntry(Refreshed(), from, target)) throw Error(L"no such entry in the catalogue: " + entryName);

  SetAutorunState(target, from, enable);

  const AutorunList after = Refreshed();
  const TAutorunInfo* entry = FindEntry(after, from, target);
  if (SwitchRemovesEntry(from, enable)) {
    if (entry) throw Error(L"the entry is still in the catalogue: " + entryName);
    return;
  }
  if (!entry) throw Error(L"the entry is no longer in the catalogue: " + entryName);
  if (entry->Enabled != enable) throw Error(L"the entry's state is unchanged: " + entryName);
}

void Run(const Command& command) {
  switch (command.action) {
    case Action::Save:
      SaveAutorunList(Refreshed(), command.file);
      return;
    case Action::Enable:
    case Action::Disable:
      Switch(command.from, command.target, command.action == Action::Enable);
      return;
    case Action::ListTable:
    case Action::ListJson: {
      const AutorunList catalogue = Refreshed();
      const std::wstring text =
          command.action == Action::ListJson ? FormatCatalogueJson(catalogue) : FormatCatalogueTable(catalogue);
      if (!ConsoleStream(STD_OUTPUT_HANDLE).Write(text)) throw Error(L"cannot write the output");
      return;
    }
  }
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
    Run(*command);
    return 0;
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
