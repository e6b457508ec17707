// A top-level window: the main window or a dialog. It keeps the dpi of the screen it is on
// and the desktop font at that dpi, which its controls inherit, and follows both when they
// change.
#pragma once

#include "ui/control.h"

namespace quorvane::ui {

enum class BorderStyle { None, Sizeable, Dialog };

class Form : public Control {
 public:
  // The program's main window, which has no owner.
  Form();
  // A window owned by another component, a dialog say; it stays above the main window.
  explicit Form(Component& owner);
  // A dialog that no component owns: whoever makes it keeps it and ends it when done. Like an
  // owned form, it stays above the main window.
  struct Standalone {};
  explicit Form(Standalone);
  ~Form() override;

  // The client area's size in design pixels.
  void SetClientSize(int width, int height);
  SIZE DesignClientSize() const { return clientSize_; }
  void SetBorderStyle(BorderStyle style);
  bool HasBorder() const;
  void CenterOnScreen();
  void Show();
  void Close();

  // Shows the window and handles messages until the modal result is set; closing the window
  // gives IDCANCEL. The other windows of the program take no input meanwhile.
  int ShowModal();
  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResult() const { return modalResult_; }

  int Dpi() const override { return dpi_; }
  HFONT Font() const override { return font_.Get(); }
  const LOGFONTW& BaseLogFont() const { return logFont_; }
  HWND ToolTipWindow();

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateFormWindow(HWND ownerWindow);
  void ApplyDesktopFont();
  void ResizeToClientSize();
  void ChangeDpi(int dpi, const RECT& suggested);

  int dpi_ = 96;
  LOGFONTW logFont_{};
  ScopedFont font_;
  SIZE clientSize_{300, 200};
  int modalResult_ = 0;
  bool inModalLoop_ = false;
  HWND toolTip_ = nullptr;
};

}  // namespace quorvane::ui
