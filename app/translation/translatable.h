// What the translation walk needs of the window layer, and the walk itself: windows and frames
// hand themselves to TranslateComponent right after they are created.
#pragma once

#include <cstddef>
#include <string>

namespace quorvane {

// What the translation walk needs of a menu item of the window layer.
class TranslatableMenuItem {
 public:
  virtual std::wstring Caption() const = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual std::size_t ItemCount() const = 0;
  virtual TranslatableMenuItem& Item(std::size_t index) = 0;

 protected:
  ~TranslatableMenuItem() = default;
};

// What the translation walk needs of a component of the window layer: a window, a frame, a
// control, a popup menu, or any other object that a window owns.
class TranslatableComponent {
 public:
  virtual bool HasCaption() const = 0;
  virtual std::wstring Caption() const = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  // The top item of a popup menu; nullptr for every other component.
  virtual TranslatableMenuItem* PopupMenuTopItem() = 0;
  // The components that this one owns, in order of ownership.
  virtual std::size_t OwnedCount() const = 0;
  virtual TranslatableComponent& Owned(std::size_t index) = 0;

 protected:
  ~TranslatableComponent() = default;
};

// Translates the component's caption, every item of its popup menu, and then everything it
// owns at any depth, in order of ownership. A null component is left alone. What is created
// later is not reached: code that creates it translates it itself.
void TranslateComponent(TranslatableComponent* component);

// Translates the item's caption and then those of its sub-items at any depth, in order.
void TranslateMenuItem(TranslatableMenuItem& item);

}  // namespace quorvane
