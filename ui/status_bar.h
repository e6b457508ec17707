// A status bar of panels along an edge of a form. A panel shows its text, or, when it is owner
// drawn, whatever the bar's panel-drawing handler draws; the last panel reaches the right edge.
// A click anywhere on the bar runs its click handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace quorvane::ui {

enum class PanelAlignment { Left, Center, Right };

struct StatusPanel {
  std::wstring text;
  PanelAlignment alignment = PanelAlignment::Left;
  bool ownerDraw = false;
  int width = 50;  // design pixels
};

class StatusBar : public Control {
 public:
  StatusBar(Component& owner, Control& parent);

  void AddPanel(StatusPanel panel);
  std::size_t PanelCount() const { return panels_.size(); }
  const StatusPanel& Panel(std::size_t index) const { return panels_.at(index); }
  void SetPanelText(std::size_t index, std::wstring text);

  // Paints through a bitmap of its own, so that the bar never flickers.
  void SetDoubleBuffered(bool doubleBuffered) { doubleBuffered_ = doubleBuffered; }

  std::function<void(StatusBar& bar, HDC dc, const StatusPanel& panel, const RECT& rect)> OnDrawPanel;

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override { UpdatePanels(); }

 private:
  void UpdatePanels();
  void PaintInto(HDC dc);
  void PaintBuffered();

  std::vector<StatusPanel> panels_;
  bool doubleBuffered_ = false;
};

}  // namespace quorvane::ui
