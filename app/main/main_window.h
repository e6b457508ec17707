// The program's one window: a header with the home button and the publisher's logo, and on its
// only page the startup list. It owns the three name lists and starts the check-in as the last
// step of its creation; the list loads when the check-in has finished.
#pragma once

#include <memory>
#include <string>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/image.h"
#include "ui/styled_button.h"
#include "common/name_list.h"
#include "listview/frm_autorun.h"

namespace quorvane {

class TFrmQuorvane final : public ui::Form {
 public:
  // Builds the window and runs FormCreate; the window is not shown yet.
  TFrmQuorvane();
  ~TFrmQuorvane() override;

  // The lists stay the window's; the caller does not take them over.
  const NameList& GetFileWhite() const { return *FileWhite; }
  const NameList& GetNameWhite() const { return *NameWhite; }
  const NameList& GetNameBlack() const { return *NameBlack; }

  ui::Panel& PnlHead;
  ui::Panel& PnlLogo;
  ui::Image& ImgLogo;
  ui::StyledToolBar& BtnHead;
  ui::StyledButton& BtnHome;
  ui::CardPanel& PnlMain;
  ui::Panel& PnlAutorun;
  TFrmAutorun* FrmAutorun = nullptr;

 private:
  void FormCreate();
  void FormDestroy();
  void ImgLogoClick();
  // The check-in's completion: closes the window when the user took an update, else merges
  // the reply's lists and loads the startup list.
  void CheckInDone(bool accepted, const std::wstring& reply);

  std::unique_ptr<NameList> FileWhite;
  std::unique_ptr<NameList> NameWhite;
  std::unique_ptr<NameList> NameBlack;
};

}  // namespace quorvane
