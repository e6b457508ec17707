// quorvanec: the autorun catalogue for scripts and the command prompt.
//
//   quorvanec list           an aligned table: state, source, caption, target
//   quorvanec list --json    a JSON array of the entries
//   quorvanec save FILE      the saved list file, as the window writes it
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
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/shell.h"
#include "common/text.h"

namespace quorvane {
namespace {

constexpr wchar_t kUsage[] = L"usage: quorvanec list [--json] | quorvanec save FILE\r\n";

enum class Action { ListTable, ListJson, Save };

struct Command {
  Action action;
  std::wstring file;
};

std::optional<Command> ParseCommand(const std::vector<std::wstring>& arguments) {
  if (arguments.size() == 1 && arguments[0] == L"list") return Command{Action::ListTable, {}};
  if (arguments.size() == 2 && arguments[0] == L"list" && arguments[1] == L"--json") return Command{Action::ListJson, {}};
  if (arguments.size() == 2 && arguments[0] == L"save" && !arguments[1].empty()) return Command{Action::Save, arguments[1]};
  return std::nullopt;
}

void Run(const Command& command) {
  AutorunList catalogue;
  RefreshAutorunList(catalogue);

  if (command.action == Action::Save) {
    SaveAutorunList(catalogue, command.file);
    return;
  }
  const std::wstring text =
      command.action == Action::ListJson ? FormatCatalogueJson(catalogue) : FormatCatalogueTable(catalogue);
  if (!ConsoleStream(STD_OUTPUT_HANDLE).Write(text)) throw Error(L"cannot write the output");
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
