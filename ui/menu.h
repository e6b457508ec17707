// Popup menus. A menu item is a component owned by the item above it; the top item of a popup
// menu is owned by the menu and shows nothing itself, so a menu's items are reached through
// its owned components like those of any other component.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/component.h"

namespace quorvane::ui {

class MenuItem : public Component {
 public:
  explicit MenuItem(Component& owner, std::wstring caption = L"");

  // A new item at the end of this one's items.
  MenuItem& Add(std::wstring caption);

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override { caption_ = caption; }
  std::size_t ItemCount() const { return OwnedCount(); }
  MenuItem& Item(std::size_t index) { return static_cast<MenuItem&>(Owned(index)); }

  std::function<void(MenuItem& sender)> OnClick;

 private:
  std::wstring caption_;
};

class PopupMenu : public Component {
 public:
  explicit PopupMenu(Component& owner);

  MenuItem& Items() { return items_; }

  // Shows the menu at a point of the screen, waits for the user's choice and runs the chosen
  // item's click.
  void Popup(HWND ownerWindow, POINT screenPoint);

 private:
  MenuItem& items_;
};

}  // namespace quorvane::ui
