// Notification lists: per component, one method to call when something happens to a document
// (scrolling, resizing, saving, clearing, a change of the style templates).
#pragma once

#include "engine/foundation/RVClasses.h"
#include "platform/base/Classes.h"

class TRVEventHandlerItem : public TObject {
 public:
  TRVEventHandlerItem(TComponent* AComponent, TNotifyEvent AEvent)
      : Component(AComponent), Event(std::move(AEvent)) {}
  TComponent* Component;  // not owned
  TNotifyEvent Event;
};

// Owns its items; at most one item per component, kept in order of first registration.
class TRVEventHandlerList : public TRVList {
 public:
  // The index of the component's item, -1 when it has none.
  int Find(const TComponent* Component) const;
  TRVEventHandlerItem* GetItem(int Index) const {
    return static_cast<TRVEventHandlerItem*>(Get(Index));
  }
  // Replaces the method of a registered component (keeping its place), else appends an item.
  void RegisterHandler(TComponent* Component, TNotifyEvent Event);
  // Removes and frees the component's item; nothing when it has none.
  void UnregisterHandler(const TComponent* Component);
  // Calls every method with Sender, the last registered first. A handler may register or
  // unregister components (itself included) while it runs.
  void Execute(TObject* Sender) const;
};
