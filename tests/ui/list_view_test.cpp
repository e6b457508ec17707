// List views in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/images.h"
#include "ui/list_view.h"
#include "support/ui_fixture.h"

namespace quorvane::ui {
namespace {

void SelectRow(const ListView& list, std::size_t row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list.Handle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

TEST_F(UiTest, ListRowsKeepTheirSelectionWhenRowsBeforeThemGoOrRowsAreAdded) {
  Form form;
  ListView& list = Component::Create<ListView>(form, form);
  list.SetAlign(Align::Client);
  list.AddColumn(L"name", 100);
  list.SetRowCount(5);
  SelectRow(list, 3);
  list.DeleteRow(1);
  EXPECT_EQ(list.RowCount(), 4u);
  EXPECT_EQ(list.FirstSelectedRow(), 2u);
  EXPECT_EQ(list.FocusedRow(), 2u);
  list.SetRowCount(9);
  EXPECT_EQ(list.FirstSelectedRow(), 2u);
  list.DeleteRow(2);
  EXPECT_EQ(list.FirstSelectedRow(), std::nullopt);
  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0u);
}

TEST_F(UiTest, ListCellsComeFromTheOwnerAndRowsTakeTheMeasuredHeight) {
  Form form;
  ListView& list = Component::Create<ListView>(form, form);
  list.SetAlign(Align::Client);
  list.AddColumn(L"name", 100);
  list.AddColumn(L"source", 50);
  list.OnGetText = [](std::size_t row, int column) {
    return L"r" + std::to_wstring(row) + L"c" + std::to_wstring(column);
  };
  list.OnGetImageIndex = [](std::size_t row, int column) { return column == 0 ? static_cast<int>(row) : -1; };
  list.OnMeasureRow = [] { return 31; };
  ImageCollection& images = Component::Create<ImageCollection>(form);
  images.Add(L"blank", "");
  ImageList& imageList = Component::Create<ImageList>(form, images);
  list.SetImages(&imageList);
  list.SetRowCount(3);

  wchar_t text[16] = {};
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = 16;
  SendMessageW(list.Handle(), LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"r2c1");
  item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = 2;
  SendMessageW(list.Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 2);

  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageW(list.Handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  EXPECT_EQ(row.bottom - row.top, 31);
  // The pictures stay square in their taller cells.
  EXPECT_EQ(imageList.PictureSize(), 16);
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(imageList.Handle(), &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_LT(height, 31);
  EXPECT_GE(height, 16);
}

}  // namespace
}  // namespace quorvane::ui
