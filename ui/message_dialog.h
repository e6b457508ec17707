// The standard message dialog: an icon, a message and a row of buttons, each of which closes
// the dialog with its own modal result. Enter clicks the focused button, or the default button
// when no button has the focus; Escape and the close box give the cancel button's result.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quorvane::ui {

enum class DialogIcon { None, Warning, Error, Information, Confirmation };

class MessageDialog : public Form {
 public:
  // buttons are modal results (IDOK, IDCANCEL, IDYES, IDNO...), shown in that order with the
  // standard captions; defaultResult and cancelResult name two of them. The caption is the
  // application's title.
  MessageDialog(const std::wstring& message, DialogIcon icon, std::initializer_list<int> buttons, int defaultResult,
                int cancelResult);

  Label& Message() { return message_; }
  // The button with that modal result; nullptr when the dialog has none.
  Button* FindButton(int modalResult) const;

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void AddButtons(std::initializer_list<int> buttons, int defaultResult);
  void LayOut(bool hasIcon);
  Button* FocusedButton() const;

  Label& message_;
  Control* icon_ = nullptr;
  std::vector<Button*> buttons_;
  Button* defaultButton_ = nullptr;
  int cancelResult_;
  HWND lastFocus_ = nullptr;
};

}  // namespace quorvane::ui
