#include "ui/menu.h"

#include <vector>

#include "common/scoped.h"

namespace quorvane::ui {

namespace {

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyMenu(handle); }
};
using ScopedMenu = UniqueHandle<MenuTraits>;

// An ampersand in a caption is text, not the mark of an access key.
std::wstring MenuText(const std::wstring& caption) {
  std::wstring text;
  for (wchar_t c : caption) {
    text += c;
    if (c == L'&') text += L'&';
  }
  return text;
}

// Adds the items to the menu; each item's command identifier is its place in the list.
void AppendItems(HMENU menu, MenuItem& parent, std::vector<MenuItem*>& byCommand) {
  for (std::size_t i = 0; i < parent.ItemCount(); ++i) {
    MenuItem& item = parent.Item(i);
    if (item.ItemCount() > 0) {
      const HMENU submenu = CreatePopupMenu();
      AppendItems(submenu, item, byCommand);
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), MenuText(item.Caption()).c_str());
    } else {
      byCommand.push_back(&item);
      AppendMenuW(menu, MF_STRING, byCommand.size(), MenuText(item.Caption()).c_str());
    }
  }
}

}  // namespace

MenuItem::MenuItem(Component& owner, std::wstring caption) : Component(owner), caption_(std::move(caption)) {}

MenuItem& MenuItem::Add(std::wstring caption) { return Create<MenuItem>(*this, std::move(caption)); }

PopupMenu::PopupMenu(Component& owner) : Component(owner), items_(Create<MenuItem>(*this)) {}

void PopupMenu::Popup(HWND ownerWindow, POINT screenPoint) {
  const ScopedMenu menu(CreatePopupMenu());
  std::vector<MenuItem*> byCommand;
  AppendItems(menu.Get(), items_, byCommand);
  const UINT command = static_cast<UINT>(TrackPopupMenuEx(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                          screenPoint.x, screenPoint.y, ownerWindow, nullptr));
  if (command == 0 || command > byCommand.size()) return;
  MenuItem& chosen = *byCommand[command - 1];
  if (chosen.OnClick) chosen.OnClick(chosen);
}

}  // namespace quorvane::ui
