#include "engine/foundation/RVEventHandlerList.h"

int TRVEventHandlerList::Find(const TComponent* Component) const {
  for (int i = 0; i < Count(); ++i)
    if (GetItem(i)->Component == Component) return i;
  return -1;
}

void TRVEventHandlerList::RegisterHandler(TComponent* Component, TNotifyEvent Event) {
  const int index = Find(Component);
  if (index >= 0) {
    GetItem(index)->Event = std::move(Event);
    return;
  }
  auto item = std::make_unique<TRVEventHandlerItem>(Component, std::move(Event));
  Add(item.get());
  item.release();
}

void TRVEventHandlerList::UnregisterHandler(const TComponent* Component) {
  const int index = Find(Component);
  if (index >= 0) Delete(index);
}

void TRVEventHandlerList::Execute(TObject* Sender) const {
  // Handlers may change the list while we walk it. Walk a snapshot of the components instead:
  // each is called at most once, one unregistered before its turn is skipped, one registered
  // meanwhile waits for the next call, and a copy of the method runs so that an item freed by
  // its own handler is not destroyed while running.
  std::vector<const TComponent*> components;
  components.reserve(static_cast<std::size_t>(Count()));
  for (int i = Count() - 1; i >= 0; --i) components.push_back(GetItem(i)->Component);
  for (const TComponent* component : components) {
    const int index = Find(component);
    if (index < 0) continue;
    const TNotifyEvent event = GetItem(index)->Event;
    if (event) event(Sender);
  }
}
