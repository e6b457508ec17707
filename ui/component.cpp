#include "ui/component.h"

namespace quorvane::ui {

Component::~Component() { DestroyOwned(); }

Component* Component::FindComponent(const std::wstring& name) const {
  for (const auto& component : owned_) {
    if (component->Name() == name) return component.get();
  }
  return nullptr;
}

void Component::DestroyComponent(Component& owned) {
  std::erase_if(owned_, [&](const std::unique_ptr<Component>& component) { return component.get() == &owned; });
}

void Component::DestroyOwned() {
  while (!owned_.empty()) owned_.pop_back();
}

}  // namespace quorvane::ui
