#include "app/translation/translatable.h"

#include "app/translation/translation.h"

namespace quorvane {

void TranslateComponent(TranslatableComponent* component) {
  if (component == nullptr) return;
  if (TranslatableMenuItem* topItem = component->PopupMenuTopItem()) TranslateMenuItem(*topItem);
  if (component->HasCaption()) component->SetCaption(Translate(component->Caption()));
  for (std::size_t i = 0; i < component->OwnedCount(); ++i) TranslateComponent(&component->Owned(i));
}

void TranslateMenuItem(TranslatableMenuItem& item) {
  item.SetCaption(Translate(item.Caption()));
  for (std::size_t i = 0; i < item.ItemCount(); ++i) TranslateMenuItem(item.Item(i));
}

}  // namespace quorvane
