// Streaming a collection whose items are of mixed classes. Each item travels wrapped in a
// builder item that carries its class name first, so that reading can make an item of the right
// class before its properties arrive:
//   writing: TRVCollectionBuilder over the collection, written with TRVWriter as a collection;
//   reading: TRVCollectionBuilder over the cleared target, read as a collection, then
//            BuildCollection.
// Item classes are found by name in the class registry (RegisterClass) and made without a
// collection, so each needs a constructor that takes none (e.g. a collection defaulting to nil).
#pragma once

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVTypes.h"
#include "platform/base/ComponentStream.h"
#include "platform/base/Persistent.h"

// TRVWriter, the writer the engine streams components and collections with, is RVFMisc's.

// Streamed properties, in this order: ItemClassName, then Item as a nested object.
class TRVCollectionBuilderItem : public TCollectionItem {
  TAVRELO_PERSISTENT(TRVCollectionBuilderItem, TCollectionItem)
 public:
  explicit TRVCollectionBuilderItem(TCollection* collection) : TCollectionItem(collection) {}
  ~TRVCollectionBuilderItem() override;

  const TRVUnicodeString& GetItemClassName() const { return FItemClassName; }
  // Drops the item held so far (freeing it when this builder item made it), then makes a new
  // item of the named class with no collection. Raises EViroZereError
  // "Unknown collection item class in DocObjects: %s" for a name the registry does not know.
  void SetItemClassName(const TRVUnicodeString& value);
  TCollectionItem* GetItem() const { return FItem; }
  // The held item takes over the properties of value (nothing happens while none is held).
  void SetItem(TCollectionItem* value);

 private:
  friend class TRVCollectionBuilder;
  TRVUnicodeString FItemClassName;
  TCollectionItem* FItem = nullptr;
  bool FOwnsItem = false;  // made by SetItemClassName and not yet moved into a collection
};

class TRVCollectionBuilder : public TCollection {
  TAVRELO_PERSISTENT(TRVCollectionBuilder, TCollection)
 public:
  // One builder item per item of collection, in order, each referring to that item (no copy).
  // The collection is not owned; nil gives no builder items.
  TRVCollectionBuilder(TPersistent* owner, TCollection* collection);

  TRVCollectionBuilderItem* GetBuilderItem(int index) const {
    return static_cast<TRVCollectionBuilderItem*>(GetItem(index));
  }
  // Clears the target collection, then moves the item of every builder item that has one into
  // it, in builder order.
  void BuildCollection();
  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
  TCollection* FCollection;
};
