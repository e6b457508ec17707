// The system's dialog that asks for the name of a file to save.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quorvane::ui {

struct SaveDialogOptions {
  std::wstring title;
  // The file types as one text: a name and its pattern, then the next name and pattern, all
  // separated by "|": "Text files (*.txt)|*.txt|All files (*.*)|*.*".
  std::wstring filter;
  // The file type chosen at first, from 1.
  int filterIndex = 1;
  // Added to a name typed without an extension.
  std::wstring defaultExtension;
  // Asks before a file that exists is chosen.
  bool overwritePrompt = false;
};

// Shows the dialog, resizable and without the read-only check box, over the owner window.
// Gives the chosen file's path, or nothing when the user cancels; throws an Error when the
// dialog fails.
std::optional<std::wstring> ShowSaveDialog(HWND owner, const SaveDialogOptions& options);

}  // namespace quorvane::ui
