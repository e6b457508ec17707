#include "listview/frm_autorun.h"

#include <utility>

#include "app/translation/translatable.h"
#include "app/translation/translation.h"
#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/form.h"
#include "ui/save_dialog.h"
#include "catalogue/autorun_state.h"
#include "catalogue/saved_list.h"
#include "common/publisher.h"
#include "common/resource_text.h"
#include "common/shell.h"
#include "common/text.h"
#include "common/version_info.h"
#include "listview/loading_text.h"

namespace quorvane {

namespace {

constexpr wchar_t kSwitchOn[] = L"\uC0AC\uC6A9\uD568";                        // 사용함
constexpr wchar_t kSwitchOff[] = L"\uC0AC\uC6A9\uC548\uD568";                 // 사용안함
constexpr wchar_t kShowAll[] = L"\uC804\uCCB4\uBAA9\uB85D";                   // 전체목록
constexpr wchar_t kSaveList[] = L"\uBAA9\uB85D \uC800\uC7A5";                 // 목록 저장
constexpr wchar_t kProgramName[] = L"\uD504\uB85C\uADF8\uB7A8 \uC774\uB984";  // 프로그램 이름
constexpr wchar_t kSource[] = L"\uCD9C\uCC98";                                // 출처
constexpr wchar_t kSaveFile[] = L"\uD30C\uC77C \uC800\uC7A5";                 // 파일 저장
constexpr wchar_t kTextFiles[] = L"\uD14D\uC2A4\uD2B8 \uD30C\uC77C";          // 텍스트 파일
constexpr wchar_t kAllFiles[] = L"\uBAA8\uB4E0 \uD30C\uC77C";                 // 모든 파일

constexpr int kNameColumn = 0;
constexpr int kSourceColumn = 1;
constexpr int kSourceColumnWidth = 64;
constexpr int kRowHeight = 24;
constexpr wchar_t kSourceFontFace[] = L"Consolas";

// Runs an action when the scope ends, however it ends.
template <typename Action>
class AtScopeEnd {
 public:
  explicit AtScopeEnd(Action action) : action_(std::move(action)) {}
  ~AtScopeEnd() { action_(); }
  AtScopeEnd(const AtScopeEnd&) = delete;
  AtScopeEnd& operator=(const AtScopeEnd&) = delete;

 private:
  Action action_;
};

}  // namespace

TFrmAutorun::TFrmAutorun(ui::Component& owner, ui::Control& parent)
    : ui::Panel(owner, parent),
      DataIcon(Create<ui::ImageCollection>(*this)),
      ListIcon(Create<ui::ImageList>(*this, DataIcon)),
      Menu(Create<ui::PopupMenu>(*this)),
      BtnSave(Menu.Items().Add(kSaveList)),
      PnlAutorun(Create<ui::Panel>(*this, *this)),
      ChkAllList(Create<ui::CheckBox>(*this, PnlAutorun, kShowAll)),
      BtnAutorun(Create<ui::StyledButton>(*this, PnlAutorun, kSwitchOff)),
      ListAutorun(Create<ui::ListView>(*this, *this)) {
  LoadBuiltInImages();
  LayOut();
  TranslateComponent(this);
  SetUpList();
  ConnectHandlers();
}

void TFrmAutorun::LoadBuiltInImages() {
  // A resource that the program lacks still takes its index, as a blank image.
  for (const wchar_t* name : kBuiltInImageResources) {
    DataIcon.Add(name, ReadRcData(GetModuleHandleW(nullptr), name).value_or(std::string()));
  }
  DataIcon.Change();
}

void TFrmAutorun::LayOut() {
  SetAlign(ui::Align::Client);
  PnlAutorun.SetAlign(ui::Align::Bottom);
  PnlAutorun.SetHeight(49);
  PnlAutorun.SetPadding({0, 8, 0, 8});
  ChkAllList.SetBounds(2, 16, 135, 17);
  BtnAutorun.SetAlign(ui::Align::Right);
  BtnAutorun.SetWidth(84);
  BtnAutorun.SetStyle(L"Tesmora", L"Primary", L"Outline");
  BtnAutorun.SetDrawType(ui::DrawType::RoundRect);
  ListAutorun.SetAlign(ui::Align::Client);
}

void TFrmAutorun::SetUpList() {
  // The name column takes the width that the source column leaves.
  ListAutorun.AddColumn(Translate(kProgramName), 0);
  ListAutorun.AddColumn(Translate(kSource), kSourceColumnWidth);
  ListAutorun.SetAutoSizeColumn(kNameColumn);
  ListAutorun.SetPopupMenu(&Menu);
  ListAutorun.OnMeasureRow = [this] { return ListAutorunMeasureItem(); };
  ListAutorun.SetImages(&ListIcon);
  // Until the first load, which waits for the check-in.
  ListAutorun.SetEmptyText(LoadingText(CurrentLanguage()));
}

void TFrmAutorun::ConnectHandlers() {
  ListAutorun.OnGetText = [this](std::size_t row, int column) { return ListAutorunGetText(row, column); };
  ListAutorun.OnGetImageIndex = [this](std::size_t row, int column) { return ListAutorunGetImageIndex(row, column); };
  ListAutorun.OnPaintText = [this](std::size_t row, int column, ui::CellPaint& paint) {
    ListAutorunPaintText(row, column, paint);
    ListAutorunDrawText(row, column, paint);
  };
  ListAutorun.OnClick = [this](ui::Control&) { ListAutorunClick(); };
  ListAutorun.OnDblClick = [this](ui::Control&) { ListAutorunDblClick(); };
  ListAutorun.OnKeyDown = [this](WORD key) { return ListAutorunKeyDown(key); };
  ChkAllList.OnClick = [this](ui::Control&) { ChkAllListClick(); };
  BtnAutorun.OnClick = [this](ui::Control&) { BtnAutorunClick(); };
  BtnSave.OnClick = [this](ui::MenuItem&) { BtnSaveClick(); };
}

// ---- Loading -----------------------------------------------------------------------------------

void TFrmAutorun::LoadAutorun() {
  // A load that fails has ended the wait as well: the list no longer says that it is loading.
  const AtScopeEnd loaded([this] { ListAutorun.SetEmptyText({}); });
  ui::application::ProcessMessages();
  RefreshAutorunList(ListAutoObj);
  MergeAutorun();
}

void TFrmAutorun::MergeAutorun() {
  const MergeFilters filters{FFileWhite, FNameWhite, ChkAllList.Checked()};
  const SeenKeys seen =
      MergeEntries(ListAutoObj, rows_, filters, [this](const std::wstring& fileName) { return LookUpFile(fileName); });
  ListAutorun.SetRowCount(rows_.Count());
  DeleteUnseenRows(rows_, seen, [this](std::size_t row) { ListAutorun.DeleteRow(row); });
  ListAutorun.Invalidate();
}

FileLook TFrmAutorun::LookUpFile(const std::wstring& fileName) {
  VersionValues versions;
  GetVersionStrings(fileName, {L"ProductName"}, versions);
  const auto productName = versions.find(L"ProductName");
  return {productName == versions.end() ? std::wstring() : productName->second,
          GetIconIndex(ListIconObj, DataIcon, fileName, kRegistryImage)};
}

std::optional<std::size_t> TFrmAutorun::FindRow(const std::wstring& target, const std::wstring& from) const {
  return rows_.FindRow(target, from);
}

void TFrmAutorun::RebuildList() {
  rows_.Clear();
  ListAutorun.DeleteAllRows();
  LoadAutorun();
}

// ---- Cells -------------------------------------------------------------------------------------

std::wstring TFrmAutorun::ListAutorunGetText(std::size_t row, int column) const {
  if (row >= rows_.Count()) return {};
  return column == kNameColumn ? rows_[row].FileName : rows_[row].From;
}

int TFrmAutorun::ListAutorunGetImageIndex(std::size_t row, int column) const {
  if (row >= rows_.Count() || column != kNameColumn) return -1;
  return rows_[row].Icon;
}

void TFrmAutorun::ListAutorunPaintText(std::size_t row, int, ui::CellPaint& paint) const {
  if (row < rows_.Count() && !rows_[row].Enabled) paint.textColor = GetSysColor(COLOR_GRAYTEXT);
}

void TFrmAutorun::ListAutorunDrawText(std::size_t, int column, ui::CellPaint& paint) const {
  if (column != kSourceColumn) return;
  paint.fontFace = kSourceFontFace;
  paint.fixedPitch = true;
}

int TFrmAutorun::ListAutorunMeasureItem() const { return ui::ScaleToDpi(kRowHeight, Dpi()); }

// ---- Actions -----------------------------------------------------------------------------------

void TFrmAutorun::ShowSwitchState(bool enabled) {
  BtnAutorun.SetDown(!enabled);
  BtnAutorun.SetCaption(Translate(enabled ? kSwitchOff : kSwitchOn));
}

void TFrmAutorun::ListAutorunClick() {
  const std::optional<std::size_t> row = ListAutorun.FocusedRow();
  if (!row || *row >= rows_.Count()) return;
  ShowSwitchState(rows_[*row].Enabled);
}

void TFrmAutorun::BtnAutorunClick() {
  BtnAutorun.SetEnabled(false);
  const AtScopeEnd enableAgain([this] { BtnAutorun.SetEnabled(true); });
  if (const std::optional<std::size_t> row = ListAutorun.FirstSelectedRow(); row && *row < rows_.Count()) {
    const TAutorunItem item = rows_[*row];
    SetAutorunState(item.Target, item.From, !item.Enabled);
    // What the entry is meant to be now; the reload shows what it is.
    ShowSwitchState(!item.Enabled);
  }
  LoadAutorun();
}

bool TFrmAutorun::ListAutorunKeyDown(WORD key) {
  if (key != VK_F5) return false;
  RebuildList();
  return true;
}

void TFrmAutorun::ChkAllListClick() { RebuildList(); }

void TFrmAutorun::ListAutorunDblClick() {
  const std::optional<std::size_t> row = ListAutorun.FocusedRow();
  if (!row || *row >= rows_.Count()) return;
  const TAutorunItem& item = rows_[*row];
  ShellOpen(publisher::kInformationSite + AsciiLower(item.From + L'/' + FileNamePart(item.Target)));
}

void TFrmAutorun::BtnSaveClick() {
  ui::SaveDialogOptions options;
  options.title = Translate(kSaveFile);
  options.filter = Translate(kTextFiles) + L" (*.txt)|*.txt|" + Translate(kAllFiles) + L" (*.*)|*.*";
  options.filterIndex = 1;
  options.defaultExtension = L"txt";
  options.overwritePrompt = true;
  const std::optional<std::wstring> path = ui::ShowSaveDialog(TopForm().Handle(), options);
  if (!path) return;
  // The file holds either what it held before or the whole new list, never a part of it.
  SaveAutorunList(ListAutoObj, *path);
}

}  // namespace quorvane
