// The startup list frame: the catalogue's entries as rows with an icon, a display name and a
// source, a check box that also shows switched-off entries, and a button that switches the
// selected entry off or on. The main window hands it the name lists and asks it to load.
#pragma once

#include <optional>
#include <string>

#include "ui/controls.h"
#include "ui/images.h"
#include "ui/list_view.h"
#include "ui/menu.h"
#include "ui/styled_button.h"
#include "catalogue/autorun.h"
#include "common/name_list.h"
#include "listview/autorun_rows.h"
#include "listview/file_icons.h"

namespace quorvane {

class TFrmAutorun final : public ui::Panel {
 public:
  // Builds the frame, filling its parent, with no rows; it loads nothing yet. Until the first
  // load ends, the empty list says in its middle, in the interface language, that it is loading.
  TFrmAutorun(ui::Component& owner, ui::Control& parent);

  // The name lists, which the main window keeps: FileWhite hides Startup-folder files,
  // NameWhite registry values, tasks and services. NameBlack is kept for the main window;
  // nothing here reads it. A list that is not set hides nothing.
  void SetFileWhite(const NameList* list) { FFileWhite = list; }
  void SetNameWhite(const NameList* list) { FNameWhite = list; }
  void SetNameBlack(const NameList* list) { FNameBlack = list; }
  const NameList* FileWhite() const { return FFileWhite; }
  const NameList* NameWhite() const { return FNameWhite; }
  const NameList* NameBlack() const { return FNameBlack; }

  // Lets waiting messages be handled, refreshes the catalogue and merges it into the rows. An
  // error of the refresh goes to the caller, with the rows as they were.
  void LoadAutorun();
  // Merges the catalogue as it is into the rows: rows keep their place and take their entry's
  // state, new entries that pass the filters get a row at the end, and rows whose entry has
  // gone are deleted.
  void MergeAutorun();
  // The first row, in list order, with this Target and From (ASCII letters in any case).
  std::optional<std::size_t> FindRow(const std::wstring& target, const std::wstring& from) const;
  const AutorunRows& Rows() const { return rows_; }

  // The catalogue of the last load, hidden entries included; the saved list file is its copy.
  AutorunList ListAutoObj;
  // The icon cache of the list's image collection.
  IconCache ListIconObj;

  // The images first: the list refers to them, so they end after it.
  ui::ImageCollection& DataIcon;
  ui::ImageList& ListIcon;
  ui::PopupMenu& Menu;
  ui::MenuItem& BtnSave;
  ui::Panel& PnlAutorun;
  ui::CheckBox& ChkAllList;
  ui::StyledButton& BtnAutorun;
  ui::ListView& ListAutorun;

 private:
  void LoadBuiltInImages();
  void LayOut();
  void SetUpList();
  void ConnectHandlers();
  FileLook LookUpFile(const std::wstring& fileName);
  // Shows the state on the button: pressed while the entry is off, and the opposite as caption.
  void ShowSwitchState(bool enabled);
  // Deletes every row and loads again, so that the rows come in the catalogue's order.
  void RebuildList();

  std::wstring ListAutorunGetText(std::size_t row, int column) const;
  int ListAutorunGetImageIndex(std::size_t row, int column) const;
  void ListAutorunPaintText(std::size_t row, int column, ui::CellPaint& paint) const;
  void ListAutorunDrawText(std::size_t row, int column, ui::CellPaint& paint) const;
  int ListAutorunMeasureItem() const;
  void ListAutorunClick();
  void ListAutorunDblClick();
  bool ListAutorunKeyDown(WORD key);
  void ChkAllListClick();
  void BtnAutorunClick();
  void BtnSaveClick();

  const NameList* FFileWhite = nullptr;
  const NameList* FNameWhite = nullptr;
  const NameList* FNameBlack = nullptr;
  AutorunRows rows_;
};

}  // namespace quorvane
