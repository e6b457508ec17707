// What the user sees of the check-in: the update dialog, which offers a new version, and the
// update status bar at the bottom of the main window, which announces one.
#pragma once

#include <windows.h>

#include <string>

#include "ui/status_bar.h"
#include "checkin/update_text.h"

namespace quorvane {

// UpdateText in the interface language.
std::wstring GetUpdateText(UpdateTextKind kind);

// Shows the modal Yes/No dialog that offers the update; true when the user chose Yes. The
// reply's "info" object may decorate it: "style" "hold" adds a check box captioned "text" whose
// tick sends the "hold" command when the dialog closes, "note" adds a link captioned "text" that
// opens "url", any other style only the separator line; "flag" with "stayontop" keeps the dialog
// above all windows.
bool UpdateDialog(const std::wstring& reply);

// Shows the update status bar on the main window, or refreshes it, with url as the address that
// a click opens. Does nothing when there is no main window.
void ShowUpdateStatus(const std::wstring& url);

// The handlers of the update status bar.
class TUpdateHelper {
 public:
  TUpdateHelper() = delete;
  // Draws the panel's text on one line, centred, in the bar's bold red font.
  static void DrawUpdateStatus(ui::StatusBar& statusBar, HDC dc, const ui::StatusPanel& panel, const RECT& rect);
  // Opens the bar's hint, the notice address.
  static void StatusClick(ui::Control& sender);
};

// The handler of the update dialog's link.
class TFormHelper {
 public:
  TFormHelper() = delete;
  // Opens the hint of the control, when it is a web address.
  static void OpenURL(ui::Control& sender);
};

}  // namespace quorvane
