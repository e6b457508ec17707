#include "ui/status_bar.h"

#include <commctrl.h>

namespace quorvane::ui {

namespace {

// The status bar centres what follows one tab and right-aligns what follows two.
std::wstring AlignedText(const StatusPanel& panel) {
  switch (panel.alignment) {
    case PanelAlignment::Center:
      return L"\t" + panel.text;
    case PanelAlignment::Right:
      return L"\t\t" + panel.text;
    case PanelAlignment::Left:
      break;
  }
  return panel.text;
}

}  // namespace

// The layout places and sizes the bar like any other control: it does not move itself to the
// bottom of its parent, nor choose its own height.
StatusBar::StatusBar(Component& owner, Control& parent) : Control(owner, &parent) {
  CreateHandle(STATUSCLASSNAMEW, WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER);
  SetColor(GetSysColor(COLOR_BTNFACE));
}

void StatusBar::AddPanel(StatusPanel panel) {
  panels_.push_back(std::move(panel));
  UpdatePanels();
}

void StatusBar::SetPanelText(std::size_t index, std::wstring text) {
  panels_.at(index).text = std::move(text);
  UpdatePanels();
}

void StatusBar::UpdatePanels() {
  std::vector<int> rightEdges;
  int right = 0;
  for (const StatusPanel& panel : panels_) {
    right += Scale(panel.width);
    rightEdges.push_back(right);
  }
  if (!rightEdges.empty()) rightEdges.back() = -1;
  SendMessageW(Handle(), SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
  for (std::size_t index = 0; index < panels_.size(); ++index) {
    const StatusPanel& panel = panels_[index];
    if (panel.ownerDraw) {
      // An owner-drawn part keeps no text of its own: the handler is told the panel.
      SendMessageW(Handle(), SB_SETTEXTW, index | SBT_OWNERDRAW, static_cast<LPARAM>(index));
    } else {
      const std::wstring text = AlignedText(panel);
      SendMessageW(Handle(), SB_SETTEXTW, index, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  Invalidate();
}

// The control paints into the device context that WM_PAINT hands it, when it is given one.
void StatusBar::PaintInto(HDC dc) {
  const RECT client = ClientRect();
  FillRect(dc, &client, BackgroundBrush());
  DefaultProc(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void StatusBar::PaintBuffered() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(Handle(), &paint);
  const RECT client = ClientRect();
  const HDC memory = CreateCompatibleDC(dc);
  {
    const ScopedBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    const SelectedObject selected(memory, bitmap.Get());
    PaintInto(memory);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  }
  DeleteDC(memory);
  EndPaint(Handle(), &paint);
}

std::optional<LRESULT> StatusBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      if (!doubleBuffered_ || wParam != 0) break;
      PaintBuffered();
      return 0;
    case WM_ERASEBKGND:
      if (doubleBuffered_) return 1;
      break;
    // Not every version of the control draws itself for WM_PRINTCLIENT.
    case WM_PRINTCLIENT:
      PaintInto(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      break;
  }
  return Control::OnMessage(message, wParam, lParam);
}

std::optional<LRESULT> StatusBar::OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (OnDrawPanel && item->itemID < panels_.size())
      OnDrawPanel(*this, item->hDC, panels_[item->itemID], item->rcItem);
    return TRUE;
  }
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == NM_CLICK) {
    if (OnClick) OnClick(*this);
    return 0;
  }
  return Control::OnParentNotify(message, wParam, lParam);
}

}  // namespace quorvane::ui
