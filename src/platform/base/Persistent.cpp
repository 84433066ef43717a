#include "platform/base/Persistent.h"

#include <algorithm>
#include <map>
#include <mutex>

// ---- property descriptions -------------------------------------------------------------------

bool TPropInfo::IsStored(TPersistent& instance) const {
  if (Stored) return Stored(instance);
  switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
      return !Default || GetOrd(instance) != *Default;
    case TPropKind::Set:
      return !DefaultSet || GetSet(instance) != *DefaultSet;
    case TPropKind::Float:
      return GetFloat(instance) != 0;
    case TPropKind::String:
      return !GetStr(instance).empty();
    case TPropKind::AnsiString:
      return !GetAnsi(instance).empty();
    case TPropKind::Object:
      return GetObject(instance) != nullptr;
  }
  return true;
}

UnicodeString TPropInfo::NameOf(int ordinal) const {
  if (ordinal < 0 || ordinal >= static_cast<int>(ValueNames.size())) return {};
  return ValueNames[static_cast<std::size_t>(ordinal)];
}

int TPropInfo::OrdinalOf(std::u16string_view name) const {
  for (std::size_t i = 0; i < ValueNames.size(); ++i)
    if (SameTextAscii(ValueNames[i], name)) return static_cast<int>(i);
  return -1;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == &other) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProperty(std::u16string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TPropInfo& p : c->Properties)
      if (SameTextAscii(p.Name, name)) return &p;
  return nullptr;
}

void TClassInfo::ForEachProperty(const std::function<void(const TPropInfo&)>& f) const {
  if (Parent) Parent->ForEachProperty(f);
  for (const TPropInfo& p : Properties) f(p);
}

// ---- TPersistent ----------------------------------------------------------------------------

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i;
    i.ClassName = u"TPersistent";
    return i;
  }();
  return info;
}

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  const UnicodeString sourceName = source ? source->ClassName() : UnicodeString(u"nil");
  throw EConvertError(Format(u"Cannot assign a %s to a %s", {sourceName, ClassName()}));
}

void TPersistent::DefineProperties(TFiler&) {}

// ---- class registry -------------------------------------------------------------------------

namespace {

struct TClassRegistry {
  std::mutex Lock;
  std::map<UnicodeString, const TClassInfo*> Classes;  // keyed by upper-case name
};

TClassRegistry& Registry() {
  static TClassRegistry r;
  return r;
}

}  // namespace

void RegisterClass(const TClassInfo& cls) {
  TClassRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  r.Classes.emplace(UpperCaseAscii(cls.ClassName), &cls);
}

void UnRegisterClass(const TClassInfo& cls) {
  TClassRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  auto it = r.Classes.find(UpperCaseAscii(cls.ClassName));
  if (it != r.Classes.end() && it->second == &cls) r.Classes.erase(it);
}

const TClassInfo* GetClass(std::u16string_view className) {
  TClassRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.Lock);
  auto it = r.Classes.find(UpperCaseAscii(className));
  return it == r.Classes.end() ? nullptr : it->second;
}

const TClassInfo& FindClass(std::u16string_view className) {
  const TClassInfo* c = GetClass(className);
  if (!c) throw EClassNotFound(Format(u"Class %s not found", {UnicodeString(className)}));
  return *c;
}

// ---- collections ----------------------------------------------------------------------------

const TClassInfo& TCollectionItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCollectionItem>(u"TCollectionItem", &TPersistent::StaticClassInfo()).Build();
  return info;
}

// The descendant is not built yet: joining is reported by TCollection::Add once it is.
TCollectionItem::TCollectionItem(TCollection* collection) {
  if (collection) collection->InsertItem(this, false);
}

TCollectionItem::~TCollectionItem() {
  // The descendant's parts are already gone: no notification could look at this item safely.
  if (FCollection) FCollection->RemoveItem(this, false);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this, true);
  if (value) value->InsertItem(this, true);
}

int TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  const int cur = GetIndex();
  if (cur < 0 || value == cur) return;
  FCollection->MoveItem(cur, value);
  Changed(true);
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

UnicodeString TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + u"[" + IntToStr(GetIndex()) + u"]";
}

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

const TClassInfo& TCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCollection>(u"TCollection", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCollection::TCollection(TCollectionItemClass itemClass) : FItemClass(itemClass) {}

TCollection::~TCollection() {
  // No notifications while the collection itself goes away: descendants are already destroyed.
  std::vector<TCollectionItem*> items;
  items.swap(FItems);
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    (*it)->FCollection = nullptr;
    delete *it;
  }
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass) throw EInvalidOperation(u"Collection has no item class");
  TCollectionItem* item = FItemClass(this);
  if (item->FCollection != this) {
    item->SetCollection(this);
  } else {
    Notify(item, cnAdded);
    Changed();
  }
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = GetItem(index);
  Notify(item, cnDeleting);
  RemoveItem(item, true);
  delete item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) Delete(Count() - 1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::GetItem(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return FItems[static_cast<std::size_t>(index)];
}

void TCollection::SetItem(int index, TCollectionItem* value) { GetItem(index)->Assign(value); }

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->FItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item, bool notify) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  if (notify) {
    Notify(item, cnAdded);
    Changed();
  }
}

void TCollection::RemoveItem(TCollectionItem* item, bool notify) {
  if (notify) Notify(item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it != FItems.end()) FItems.erase(it);
  item->FCollection = nullptr;
  Changed();
}

void TCollection::MoveItem(int from, int to) {
  if (to < 0) to = 0;
  if (to >= Count()) to = Count() - 1;
  TCollectionItem* item = FItems[static_cast<std::size_t>(from)];
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, item);
}

const TClassInfo& TOwnedCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TOwnedCollection>(u"TOwnedCollection", &TCollection::StaticClassInfo()).Build();
  return info;
}

// ---- components -----------------------------------------------------------------------------

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TComponent>(u"TComponent", &TPersistent::StaticClassInfo())
                                     .Integer(u"Tag", &TComponent::GetTag, &TComponent::SetTag, 0)
                                     .Build();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  FState.Include(csDestroying);
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    FComponents.pop_back();
    c->FOwner = nullptr;
    delete c;
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->FOwner == this) return;
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  FComponents.push_back(component);
  component->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find(FComponents.begin(), FComponents.end(), component);
  if (it == FComponents.end()) return;
  FComponents.erase(it);
  component->FOwner = nullptr;
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::Loaded() { FState.Exclude(csLoading); }
