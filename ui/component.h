// The ownership tree of the window layer. A component is created with an owner, which keeps it
// and destroys it, with everything it owns in turn, when the owner itself ends. Components
// carry a name by which their owner can find them, and may carry a caption.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::ui {

class Component {
 public:
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  virtual ~Component();

  Component* Owner() const { return owner_; }
  const std::wstring& Name() const { return name_; }
  void SetName(std::wstring name) { name_ = std::move(name); }

  // Ends one of the components that this one owns, before the owner itself ends.
  void DestroyComponent(Component& owned);

  // The owned component of that name (exact comparison), or nullptr.
  Component* FindComponent(const std::wstring& name) const;

  // Creates a T owned by owner: T's constructor takes the owner as its first argument.
  template <typename T, typename... Args>
  static T& Create(Component& owner, Args&&... args) {
    auto component = std::make_unique<T>(owner, std::forward<Args>(args)...);
    T& created = *component;
    owner.owned_.push_back(std::move(component));
    return created;
  }

  // The text that the component shows as its title or label, for the components that have
  // one (windows, most controls, menu items); most others have none.
  virtual bool HasCaption() const { return false; }
  virtual std::wstring Caption() const { return {}; }
  virtual void SetCaption(const std::wstring&) {}

  // The components that this one owns, in order of ownership.
  std::size_t OwnedCount() const { return owned_.size(); }
  Component& Owned(std::size_t index) { return *owned_.at(index); }

 protected:
  // A component without owner: the top of a tree, which its creator keeps.
  Component() = default;
  explicit Component(Component& owner) : owner_(&owner) {}

  // Ends the owned components now, the last created first.
  void DestroyOwned();

 private:
  Component* owner_ = nullptr;
  std::wstring name_;
  std::vector<std::unique_ptr<Component>> owned_;
};

}  // namespace quorvane::ui
