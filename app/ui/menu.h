// Popup menus. A menu item is a component owned by the item above it; the top item of a popup
// menu is owned by the menu and shows nothing itself.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/ui/component.h"

namespace quorvane::ui {

class MenuItem : public Component, public TranslatableMenuItem {
 public:
  explicit MenuItem(Component& owner, std::wstring caption = L"");

  // A new item at the end of this one's items.
  MenuItem& Add(std::wstring caption);

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override { caption_ = caption; }
  std::size_t ItemCount() const override { return OwnedCount(); }
  MenuItem& Item(std::size_t index) override { return static_cast<MenuItem&>(Owned(index)); }

  std::function<void(MenuItem& sender)> OnClick;

 private:
  std::wstring caption_;
};

class PopupMenu : public Component {
 public:
  explicit PopupMenu(Component& owner);

  MenuItem& Items() { return items_; }
  TranslatableMenuItem* PopupMenuTopItem() override { return &items_; }

  // Shows the menu at a point of the screen, waits for the user's choice and runs the chosen
  // item's click.
  void Popup(HWND ownerWindow, POINT screenPoint);

 private:
  MenuItem& items_;
};

}  // namespace quorvane::ui
