#include "ui/list_view.h"

#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/gdi.h"
#include "ui/images.h"
#include "ui/menu.h"

namespace quorvane::ui {

namespace {

// The side of the rows' pictures, in design pixels.
constexpr int kPictureSize = 16;

constexpr DWORD kListStyle =
    LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_NOSORTHEADER;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;

// Whole-row selection, double-buffered painting and the look of the file explorer's lists,
// whose rows light up under the mouse.
void ConfigureList(HWND list) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
  SetWindowTheme(list, L"Explorer", nullptr);
}

// How much taller than its images a row of such a list is. A report list view sizes its rows
// by its images (or its font, when that is taller), so rows get a height of their own through
// images of the height less this.
int RowPadding() {
  static const int padding = [] {
    constexpr int kProbeHeight = 64;
    const HWND probe = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | kListStyle, 0, 0, 200, 200, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    ConfigureList(probe);
    const HIMAGELIST images = ImageList_Create(1, kProbeHeight, ILC_COLOR32, 1, 1);
    SendMessageW(probe, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(probe, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageW(probe, LVM_SETITEMCOUNT, 1, 0);
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(probe, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    DestroyWindow(probe);
    ImageList_Destroy(images);
    return std::max(0, static_cast<int>(row.bottom - row.top) - kProbeHeight);
  }();
  return padding;
}

std::optional<std::size_t> NextRow(HWND list, UINT flags) {
  const auto row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flags));
  if (row < 0) return std::nullopt;
  return static_cast<std::size_t>(row);
}

}  // namespace

ListView::ListView(Component& owner, Control& parent) : Control(owner, &parent) {
  CreateHandle(WC_LISTVIEWW, WS_VISIBLE | WS_TABSTOP | kListStyle);
  ConfigureList(Handle());
}

void ListView::AddColumn(const std::wstring& caption, int width) {
  std::wstring text = caption;
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.cx = Scale(width);
  column.pszText = text.data();
  column.iSubItem = ColumnCount();
  SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount()), reinterpret_cast<LPARAM>(&column));
  columnWidths_.push_back(width);
  FitAutoSizeColumn();
}

void ListView::SetAutoSizeColumn(int column) {
  autoSizeColumn_ = column;
  FitAutoSizeColumn();
}

void ListView::FitAutoSizeColumn() {
  if (autoSizeColumn_ < 0 || autoSizeColumn_ >= ColumnCount()) return;
  int others = 0;
  for (int column = 0; column < ColumnCount(); ++column) {
    if (column != autoSizeColumn_) others += static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, column, 0));
  }
  const int width = std::max(0, static_cast<int>(ClientRect().right) - others);
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(autoSizeColumn_), MAKELPARAM(width, 0));
}

void ListView::ApplyColumnWidths() {
  for (int column = 0; column < ColumnCount(); ++column) {
    SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(Scale(columnWidths_[static_cast<std::size_t>(column)]), 0));
  }
  FitAutoSizeColumn();
}

void ListView::SetImages(ImageList* images) {
  images_ = images;
  UpdateRowHeight();
}

void ListView::UpdateRowHeight() {
  if (!images_) {
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    return;
  }
  const int rowHeight = OnMeasureRow ? OnMeasureRow() : 0;
  images_->SetSize(Scale(kPictureSize), rowHeight - RowPadding());
  // Handing the same list over again would not make the list measure its rows anew.
  SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_->Handle()));
}

void ListView::SetRowCount(std::size_t count) {
  SendMessageW(Handle(), LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

std::size_t ListView::RowCount() const {
  return static_cast<std::size_t>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0));
}

void ListView::DeleteRow(std::size_t row) { SendMessageW(Handle(), LVM_DELETEITEM, row, 0); }

void ListView::DeleteAllRows() { SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0); }

std::optional<std::size_t> ListView::FocusedRow() const { return NextRow(Handle(), LVNI_FOCUSED); }

std::optional<std::size_t> ListView::FirstSelectedRow() const { return NextRow(Handle(), LVNI_SELECTED); }

std::optional<LRESULT> ListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: {
      const LRESULT result = DefaultProc(message, wParam, lParam);
      FitAutoSizeColumn();
      return result;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKeyDown && OnKeyDown(static_cast<WORD>(wParam))) return 0;
      break;
    case WM_KEYUP:
      // Windows opens the menu when the menu key is released, Wine's list view does not; so it
      // is done here, and the key goes no further. Shift+F10 comes as WM_CONTEXTMENU in both.
      if (wParam == VK_APPS && popupMenu_) {
        popupMenu_->Popup(Handle(), KeyboardMenuPoint());
        return 0;
      }
      break;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      const LRESULT result = DefaultProc(message, wParam, lParam);
      if (message == WM_PRINTCLIENT || wParam) {
        DrawEmptyText(reinterpret_cast<HDC>(wParam));
      } else {
        DrawEmptyText(WindowDC(Handle()).Get());
      }
      return result;
    }
    case WM_CONTEXTMENU:
      if (popupMenu_) {
        ShowPopupMenu(lParam);
        return 0;
      }
      break;
    default:
      break;
  }
  return Control::OnMessage(message, wParam, lParam);
}

std::optional<LRESULT> ListView::OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_NOTIFY) return Control::OnParentNotify(message, wParam, lParam);
  switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case LVN_GETDISPINFOW:
      GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
      return 0;
    case NM_CUSTOMDRAW:
      return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    case NM_CLICK:
      if (OnClick) OnClick(*this);
      return 0;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(*this);
      return 0;
    default:
      return std::nullopt;
  }
}

void ListView::GetDisplayInfo(LVITEMW& item) {
  const auto row = static_cast<std::size_t>(item.iItem);
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const std::wstring text = OnGetText ? OnGetText(row, item.iSubItem) : std::wstring();
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), length, item.pszText);
    item.pszText[length] = L'\0';
  }
  if (item.mask & LVIF_IMAGE) item.iImage = OnGetImageIndex ? OnGetImageIndex(row, item.iSubItem) : -1;
}

LRESULT ListView::CustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      // No focus rectangle around the focused row.
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_FOCUS);
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      return PaintCell(draw);
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT ListView::PaintCell(NMLVCUSTOMDRAW& draw) {
  CellPaint paint;
  if (OnPaintText) OnPaintText(static_cast<std::size_t>(draw.nmcd.dwItemSpec), draw.iSubItem, paint);
  if (paint.textColor != CLR_DEFAULT) draw.clrText = paint.textColor;
  // Every cell selects its font, so that a face that one cell asks for ends with that cell.
  SelectObject(draw.nmcd.hdc, paint.fontFace.empty() ? Font() : FontWithFace(paint.fontFace, paint.fixedPitch));
  return CDRF_NEWFONT;
}

HFONT ListView::FontWithFace(const std::wstring& face, bool fixedPitch) {
  if (fontsFor_ != Font()) {
    faceFonts_.clear();
    fontsFor_ = Font();
  }
  ScopedFont& font = faceFonts_[{face, fixedPitch}];
  if (!font) {
    LOGFONTW logFont{};
    GetObjectW(Font(), sizeof logFont, &logFont);
    const std::size_t length = std::min(face.size(), static_cast<std::size_t>(LF_FACESIZE - 1));
    std::fill(std::begin(logFont.lfFaceName), std::end(logFont.lfFaceName), L'\0');
    std::copy_n(face.data(), length, logFont.lfFaceName);
    if (fixedPitch) logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    font.Reset(CreateFontIndirectW(&logFont));
  }
  return font.Get();
}

void ListView::SetEmptyText(const std::wstring& text) {
  if (text == emptyText_) return;
  emptyText_ = text;
  Invalidate();
}

RECT ListView::RowsArea() const {
  RECT area = ClientRect();
  if (const auto header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
      header && IsWindowVisible(header)) {
    RECT headerRect{};
    GetWindowRect(header, &headerRect);
    area.top = std::min(area.bottom, area.top + (headerRect.bottom - headerRect.top));
  }
  return area;
}

// Over what the list has painted: the rows' area is empty then.
void ListView::DrawEmptyText(HDC dc) const {
  if (emptyText_.empty() || RowCount() != 0 || !dc) return;
  RECT area = RowsArea();
  const SelectedObject font(dc, Font());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, emptyText_.c_str(), static_cast<int>(emptyText_.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

void ListView::ShowPopupMenu(LPARAM screenPoint) {
  // From the keyboard (the menu key, Shift+F10) both coordinates are -1, however the 32 bits
  // are widened into the parameter.
  const POINT given{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  popupMenu_->Popup(Handle(), given.x == -1 && given.y == -1 ? KeyboardMenuPoint() : given);
}

// Below the selected row where it is in view, else at the list's top left corner; in screen
// coordinates.
POINT ListView::KeyboardMenuPoint() const {
  POINT point{0, 0};
  RECT row{};
  row.left = LVIR_BOUNDS;
  const RECT rows = RowsArea();
  if (const std::optional<std::size_t> selected = FirstSelectedRow();
      selected && SendMessageW(Handle(), LVM_GETITEMRECT, *selected, reinterpret_cast<LPARAM>(&row)) &&
      row.bottom > rows.top && row.top < rows.bottom) {
    point = {std::max(row.left, LONG{0}), std::min(row.bottom, rows.bottom)};
  }
  ClientToScreen(Handle(), &point);
  return point;
}

void ListView::OnDpiChanged() {
  faceFonts_.clear();
  fontsFor_ = nullptr;
  ApplyColumnWidths();
  UpdateRowHeight();
}

}  // namespace quorvane::ui
