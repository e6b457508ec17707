#include "app/translation/translatable.h"

#include "app/translation/translation.h"

namespace quorvane {

void TranslateComponent(ui::Component* component) {
  if (component == nullptr) return;
  if (component->HasCaption()) component->SetCaption(Translate(component->Caption()));
  for (std::size_t i = 0; i < component->OwnedCount(); ++i) TranslateComponent(&component->Owned(i));
}

}  // namespace quorvane
