#include "engine/foundation/RVCollectionBuilder.h"

#include <memory>

#include "engine/foundation/RVError.h"

// ---- TRVCollectionBuilderItem ---------------------------------------------------------------

const TClassInfo& TRVCollectionBuilderItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVCollectionBuilderItem>(u"TRVCollectionBuilderItem", &inherited::StaticClassInfo())
          .String(u"ItemClassName", &TRVCollectionBuilderItem::GetItemClassName,
                  &TRVCollectionBuilderItem::SetItemClassName)
          .Object(u"Item", [](TRVCollectionBuilderItem& self) -> TPersistent* { return self.FItem; })
          .Build();
  return info;
}

TRVCollectionBuilderItem::~TRVCollectionBuilderItem() {
  if (FOwnsItem) delete FItem;
}

void TRVCollectionBuilderItem::SetItemClassName(const TRVUnicodeString& value) {
  // An item this builder item only refers to belongs to its collection and is left alone.
  if (FOwnsItem) delete FItem;
  FItem = nullptr;
  FOwnsItem = false;
  FItemClassName = value;
  const TClassInfo* cls = GetClass(value);
  std::unique_ptr<TPersistent> made;
  if (cls && cls->Create && cls->InheritsFrom(TCollectionItem::StaticClassInfo())) made = cls->Create();
  auto* item = dynamic_cast<TCollectionItem*>(made.get());
  if (!item) throw EViroZereError(Format(u"Unknown collection item class in DocObjects: %s", {value}));
  made.release();
  FItem = item;
  FOwnsItem = true;
}

void TRVCollectionBuilderItem::SetItem(TCollectionItem* value) {
  if (FItem) FItem->Assign(value);
}

// ---- TRVCollectionBuilder -------------------------------------------------------------------

const TClassInfo& TRVCollectionBuilder::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVCollectionBuilder>(u"TRVCollectionBuilder", &inherited::StaticClassInfo()).Build();
  return info;
}

TRVCollectionBuilder::TRVCollectionBuilder(TPersistent* owner, TCollection* collection)
    : TCollection(NewCollectionItem<TRVCollectionBuilderItem>), FOwner(owner), FCollection(collection) {
  if (!collection) return;
  for (int i = 0; i < collection->Count(); ++i) {
    auto* entry = static_cast<TRVCollectionBuilderItem*>(Add());
    entry->FItem = collection->GetItem(i);
    entry->FItemClassName = entry->FItem->ClassName();
  }
}

void TRVCollectionBuilder::BuildCollection() {
  if (!FCollection) return;
  // Items that still sit in a collection (the target's own, for a builder made over a filled
  // collection) are taken out first, so that clearing the target cannot free them.
  for (int i = 0; i < Count(); ++i) {
    TRVCollectionBuilderItem* entry = GetBuilderItem(i);
    if (entry->FItem && entry->FItem->GetCollection()) {
      entry->FItem->SetCollection(nullptr);
      entry->FOwnsItem = true;
    }
  }
  FCollection->Clear();
  for (int i = 0; i < Count(); ++i) {
    TRVCollectionBuilderItem* entry = GetBuilderItem(i);
    if (!entry->FItem) continue;
    entry->FItem->SetCollection(FCollection);
    entry->FOwnsItem = false;
  }
}
