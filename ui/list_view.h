// A report-style list view whose rows belong to its owner: the list keeps only their number,
// the selection and the focus, and asks for each cell's text and image when it shows the cell.
// Rows are added at the end and deleted one by one; the selection and the focus stay with the
// rows they were on.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/control.h"

namespace quorvane::ui {

class ImageList;
class PopupMenu;

// What the owner may change before a cell's text is painted.
struct CellPaint {
  // CLR_DEFAULT leaves the list's colour.
  COLORREF textColor = CLR_DEFAULT;
  // Another face for the list's font, in the same size and style; empty leaves the font.
  std::wstring fontFace;
  // The face is one of fixed pitch: where the system lacks it, another of fixed pitch stands in.
  bool fixedPitch = false;
};

class ListView : public Control {
 public:
  ListView(Component& owner, Control& parent);

  // A column at the right end; its width is in design pixels.
  void AddColumn(const std::wstring& caption, int width);
  // The column that takes the width the others leave free, whenever the list's width changes.
  void SetAutoSizeColumn(int column);
  int ColumnCount() const { return static_cast<int>(columnWidths_.size()); }

  // The pictures of the rows' first cells. The list does not own them.
  void SetImages(ImageList* images);
  // The menu that a right-click opens, and from the keyboard the menu key or Shift+F10.
  void SetPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }
  // One line in the middle of the list while it has no rows, such as what it waits for; an
  // empty text shows nothing.
  void SetEmptyText(const std::wstring& text);
  const std::wstring& EmptyText() const { return emptyText_; }

  void SetRowCount(std::size_t count);
  std::size_t RowCount() const;
  void DeleteRow(std::size_t row);
  void DeleteAllRows();
  std::optional<std::size_t> FocusedRow() const;
  std::optional<std::size_t> FirstSelectedRow() const;
  // Asks OnMeasureRow for the rows' height again and applies it.
  void UpdateRowHeight();

  std::function<std::wstring(std::size_t row, int column)> OnGetText;
  // The cell's image index, or -1 for none.
  std::function<int(std::size_t row, int column)> OnGetImageIndex;
  std::function<void(std::size_t row, int column, CellPaint& paint)> OnPaintText;
  // The height of every row in screen pixels; rows are never lower than the font needs.
  std::function<int()> OnMeasureRow;
  std::function<void(Control& sender)> OnDblClick;
  // A key pressed while the list has the focus; true when handled, which skips the list's own
  // handling of the key.
  std::function<bool(WORD key)> OnKeyDown;

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
  LRESULT PaintCell(NMLVCUSTOMDRAW& draw);
  void GetDisplayInfo(LVITEMW& item);
  void FitAutoSizeColumn();
  void ApplyColumnWidths();
  void ShowPopupMenu(LPARAM screenPoint);
  POINT KeyboardMenuPoint() const;
  // The client area below the header.
  RECT RowsArea() const;
  void DrawEmptyText(HDC dc) const;
  HFONT FontWithFace(const std::wstring& face, bool fixedPitch);

  std::vector<int> columnWidths_;
  int autoSizeColumn_ = -1;
  ImageList* images_ = nullptr;
  PopupMenu* popupMenu_ = nullptr;
  std::wstring emptyText_;
  // Fonts made for cells that ask for another face, for the list's font of fontsFor_.
  std::map<std::pair<std::wstring, bool>, ScopedFont> faceFonts_;
  HFONT fontsFor_ = nullptr;
};

}  // namespace quorvane::ui
