#include "app/main/main_window.h"

#include "app/style/theme_helper.h"
#include "app/translation/translatable.h"
#include "app/translation/translation.h"
#include "ui/application.h"
#include "checkin/check_update.h"
#include "checkin/reply_lists.h"
#include "common/publisher.h"
#include "common/shell.h"

namespace quorvane {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
// The update dialog's layout offset, which the check-in passes on to it.
constexpr int kUpdateDialogOffset = 10;

}  // namespace

TFrmQuorvane::TFrmQuorvane()
    : PnlHead(Create<ui::Panel>(*this, *this)),
      PnlLogo(Create<ui::Panel>(*this, PnlHead)),
      ImgLogo(Create<ui::Image>(*this, PnlLogo, L"LOGO")),
      BtnHead(Create<ui::StyledToolBar>(*this, PnlHead)),
      BtnHome(BtnHead.AddButton(*this, L"\uCC98\uC74C\uD654\uBA74")),  // 처음화면
      PnlMain(Create<ui::CardPanel>(*this, *this)),
      PnlAutorun(PnlMain.AddCard(*this)) {
  SetCaption(L"Quorvane");
  SetClientSize(412, 432);
  SetColor(kWhite);

  PnlHead.SetName(L"PnlHead");
  PnlHead.SetAlign(ui::Align::Top);
  PnlHead.SetHeight(50);
  PnlHead.SetColor(kWhite);

  PnlLogo.SetName(L"PnlLogo");
  PnlLogo.SetAlign(ui::Align::Right);
  PnlLogo.SetWidth(120);
  PnlLogo.SetColor(kWhite);
  ImgLogo.SetName(L"ImgLogo");
  ImgLogo.SetBounds(3, 0, 112, 50);
  ImgLogo.SetCursor(LoadCursorW(nullptr, IDC_HAND));
  ImgLogo.OnClick = [this](ui::Control&) { ImgLogoClick(); };

  BtnHead.SetName(L"BtnHead");
  BtnHead.SetAlign(ui::Align::Client);
  BtnHead.SetMargins({10, 10, 10, 10});
  BtnHead.SetColor(kWhite);
  BtnHead.SetButtonSize(70, 30);
  BtnHead.SetIndent(10);
  BtnHead.SetButtonStyle(L"Tesmora", L"Header", ui::DrawType::RoundRect, 4);
  BtnHome.SetName(L"BtnHome");
  BtnHome.SetDown(true);

  PnlMain.SetName(L"PnlMain");
  PnlMain.SetAlign(ui::Align::Client);
  PnlMain.SetColor(kWhite);
  PnlMain.SetPadding({8, 0, 8, 0});
  PnlAutorun.SetName(L"PnlAutorun");
  PnlAutorun.SetColor(kWhite);

  FormCreate();
}

TFrmQuorvane::~TFrmQuorvane() { FormDestroy(); }

void TFrmQuorvane::FormCreate() {
  Create<TThemeHelper>(*this);
  TranslateComponent(this);
  SetCaption(Translate(Caption()));
  ui::application::SetTitle(Caption());
  PnlMain.SetActiveCard(0);

  FileWhite = std::make_unique<NameList>();
  NameWhite = std::make_unique<NameList>();
  NameBlack = std::make_unique<NameList>();
  LoadNameList(*NameWhite, L"name_white");
  LoadNameList(*NameBlack, L"name_black");

  FrmAutorun = &Create<TFrmAutorun>(*this, PnlAutorun);
  FrmAutorun->SetName(L"FrmAutorun");
  FrmAutorun->SetFileWhite(FileWhite.get());
  FrmAutorun->SetNameWhite(NameWhite.get());
  FrmAutorun->SetNameBlack(NameBlack.get());

  CheckUpdate(
      publisher::kCheckInEndpoint, [this](bool accepted, const std::wstring& reply) { CheckInDone(accepted, reply); },
      kUpdateDialogOffset);
}

void TFrmQuorvane::CheckInDone(bool accepted, const std::wstring& reply) {
  if (accepted) {
    Close();
    return;
  }
  MergeReplyLists(reply, *FileWhite, *NameWhite, *NameBlack);
  FrmAutorun->LoadAutorun();
}

// The frame, which refers to the lists, is not asked to load again once the window goes.
void TFrmQuorvane::FormDestroy() {
  NameBlack.reset();
  NameWhite.reset();
  FileWhite.reset();
}

void TFrmQuorvane::ImgLogoClick() { ShellOpen(publisher::kHomePage); }

}  // namespace quorvane
