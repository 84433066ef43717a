// The component model's persistent objects: TPersistent with assignment, the description of
// published (streamed) properties, collections, components and the class registry by name.
//
// Published properties
// --------------------
// There is no language reflection to discover properties, so each streamable class describes
// its own in one function. In the class body:
//
//   class TMyItem : public TCollectionItem {
//     TAVRELO_PERSISTENT(TMyItem, TCollectionItem)
//    public:
//     ...
//   };
//
// and in the source file, the properties in stream order (the base class's come first
// automatically):
//
//   const TClassInfo& TMyItem::StaticClassInfo() {
//     static const TClassInfo info =
//         TClassInfoBuilder<TMyItem>(u"TMyItem", &inherited::StaticClassInfo())
//             .Integer(u"BaseStyleNo", &TMyItem::GetBaseStyleNo, &TMyItem::SetBaseStyleNo, -1)
//             .Boolean(u"Standard", &TMyItem::GetStandard, &TMyItem::SetStandard, true)
//             .String(u"StyleName", &TMyItem::GetStyleName, &TMyItem::SetStyleName)
//             .StoredIf(&TMyItem::IsStyleNameStored)
//             .Enum(u"Kind", &TMyItem::GetKind, &TMyItem::SetKind, KindNames, mkFirst)
//             .Set(u"Options", &TMyItem::GetOptions, &TMyItem::SetOptions, OptionNames, {})
//             .Float(u"Left", &TMyItem::GetLeft, &TMyItem::SetLeft)
//             .Object(u"Levels", &TMyItem::GetLevels)
//             .Build();
//     return info;
//   }
//
// Getters and setters are any callables taking the object (member function pointers are the
// usual choice). A default (last argument of the ordinal kinds) suppresses the value when equal;
// without one the value is always written. Floats are written unless 0, strings unless empty.
// StoredIf replaces those rules for the property just added. Object properties are read-only
// references to nested persistent objects (written as "Name.Sub" properties) or collections.
// Classes that appear in a stream by class name (components) are also made known with
// RegisterClass(TMyComponent::StaticClassInfo()).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

class TPersistent;
class TCollection;
class TCollectionItem;
class TComponent;
class TFiler;

TAVRELO_EXCEPTION(EFilerError, EStreamError)
TAVRELO_EXCEPTION(EClassNotFound, EFilerError)

// ---- property descriptions -------------------------------------------------------------------

enum class TPropKind { Integer, Int64, Boolean, Enumeration, Set, Float, String, AnsiString, Object };

// How a floating-point property is written: Extended as the 80-bit value, Double as 8 bytes,
// Single as 4 bytes, Currency as a 64-bit integer of ten-thousandths, Date as a Double.
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurrency, ftDate };

// One published property, with its accessors erased to the few value types of the stream.
struct TPropInfo {
  UnicodeString Name;
  TPropKind Kind = TPropKind::Integer;
  TFloatType FloatType = ftExtended;
  // Names of the values of an enumeration, or of the members of a set, by ordinal.
  std::vector<UnicodeString> ValueNames;
  // Ordinal default (integers, Booleans as 0/1, enumerations); for sets, the members.
  std::optional<std::int64_t> Default;
  std::optional<std::vector<int>> DefaultSet;

  std::function<std::int64_t(TPersistent&)> GetOrd;
  std::function<void(TPersistent&, std::int64_t)> SetOrd;
  std::function<std::vector<int>(TPersistent&)> GetSet;  // members, ascending
  std::function<void(TPersistent&, const std::vector<int>&)> SetSet;
  std::function<long double(TPersistent&)> GetFloat;
  std::function<void(TPersistent&, long double)> SetFloat;
  std::function<UnicodeString(TPersistent&)> GetStr;
  std::function<void(TPersistent&, const UnicodeString&)> SetStr;
  std::function<std::string(TPersistent&)> GetAnsi;
  std::function<void(TPersistent&, const std::string&)> SetAnsi;
  std::function<TPersistent*(TPersistent&)> GetObject;
  // Replaces the default rule when set.
  std::function<bool(TPersistent&)> Stored;

  // The default rule (or Stored) applied to the current value of instance.
  bool IsStored(TPersistent& instance) const;
  // Name of an enumeration value or set member; empty when out of range.
  UnicodeString NameOf(int ordinal) const;
  // Ordinal of a name (case-insensitive), -1 when unknown.
  int OrdinalOf(std::u16string_view name) const;
};

// Description of a class: its name, base, own published properties and how to make one by name.
struct TClassInfo {
  UnicodeString ClassName;
  const TClassInfo* Parent = nullptr;
  std::vector<TPropInfo> Properties;  // own properties only, in stream order
  // Creates an instance without owner; empty for classes that cannot be made by name.
  std::function<std::unique_ptr<TPersistent>()> Create;

  bool InheritsFrom(const TClassInfo& other) const;
  // Searches this class and its bases, case-insensitively.
  const TPropInfo* FindProperty(std::u16string_view name) const;
  // Base properties first, then own, each class in stream order.
  void ForEachProperty(const std::function<void(const TPropInfo&)>& f) const;
};

// Declares the class description of ThisClass. Leaves the access at public.
#define TAVRELO_PERSISTENT(ThisClass, BaseClass)                                    \
 public:                                                                           \
  using inherited = BaseClass;                                                     \
  static const TClassInfo& StaticClassInfo();                                      \
  const TClassInfo& ClassInfo() const override { return ThisClass::StaticClassInfo(); }

// ---- TPersistent ----------------------------------------------------------------------------

class TPersistent : public TObject {
 public:
  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  UnicodeString ClassName() const { return ClassInfo().ClassName; }
  bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }

  // Copies from source. The default asks source to assign itself to this object (AssignTo);
  // when neither side knows the other, EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(TPersistent* source);
  // Streams properties that are not published (raw data, computed values).
  virtual void DefineProperties(TFiler& filer);
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Dotted path used in messages: owner's path and this object's name.
  virtual UnicodeString GetNamePath() const { return ClassName(); }

 protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};

// Builds a TClassInfo for class T; see the header comment.
template <typename T>
class TClassInfoBuilder {
  static T& Self(TPersistent& o) { return static_cast<T&>(o); }
  template <typename G>
  using Result = std::decay_t<std::invoke_result_t<G, T&>>;

 public:
  TClassInfoBuilder(const char16_t* className, const TClassInfo* parent) {
    FInfo.ClassName = className;
    FInfo.Parent = parent;
  }

  template <typename G, typename S>
  TClassInfoBuilder& Integer(const char16_t* name, G get, S set, std::optional<std::int64_t> def = std::nullopt) {
    TPropInfo& p = NewProp(name, TPropKind::Integer);
    p.Default = def;
    SetOrdAccess(p, get, set);
    return *this;
  }
  template <typename G, typename S>
  TClassInfoBuilder& Int64(const char16_t* name, G get, S set, std::optional<std::int64_t> def = std::nullopt) {
    TPropInfo& p = NewProp(name, TPropKind::Int64);
    p.Default = def;
    SetOrdAccess(p, get, set);
    return *this;
  }
  template <typename G, typename S>
  TClassInfoBuilder& Boolean(const char16_t* name, G get, S set, std::optional<bool> def = std::nullopt) {
    TPropInfo& p = NewProp(name, TPropKind::Boolean);
    if (def) p.Default = *def ? 1 : 0;
    p.GetOrd = [get](TPersistent& o) -> std::int64_t { return std::invoke(get, Self(o)) ? 1 : 0; };
    p.SetOrd = [set](TPersistent& o, std::int64_t v) { std::invoke(set, Self(o), v != 0); };
    return *this;
  }
  template <typename G, typename S>
  TClassInfoBuilder& Enum(const char16_t* name, G get, S set, const std::vector<UnicodeString>& names,
                          std::optional<Result<G>> def = std::nullopt) {
    using E = Result<G>;
    TPropInfo& p = NewProp(name, TPropKind::Enumeration);
    p.ValueNames = names;
    if (def) p.Default = static_cast<std::int64_t>(*def);
    p.GetOrd = [get](TPersistent& o) { return static_cast<std::int64_t>(std::invoke(get, Self(o))); };
    p.SetOrd = [set](TPersistent& o, std::int64_t v) { std::invoke(set, Self(o), static_cast<E>(v)); };
    return *this;
  }
  // The getter answers a TSet; members are written by their names.
  template <typename G, typename S>
  TClassInfoBuilder& Set(const char16_t* name, G get, S set, const std::vector<UnicodeString>& names,
                         std::optional<Result<G>> def = std::nullopt) {
    using SetT = Result<G>;
    TPropInfo& p = NewProp(name, TPropKind::Set);
    p.ValueNames = names;
    if (def) p.DefaultSet = Members(*def);
    p.GetSet = [get](TPersistent& o) { return Members(SetT(std::invoke(get, Self(o)))); };
    p.SetSet = [set](TPersistent& o, const std::vector<int>& m) {
      SetT s;
      for (int i : m) s.Include(static_cast<decltype(FirstMember(s))>(i));
      std::invoke(set, Self(o), s);
    };
    return *this;
  }
  template <typename G, typename S>
  TClassInfoBuilder& Float(const char16_t* name, G get, S set, TFloatType type = ftExtended) {
    TPropInfo& p = NewProp(name, TPropKind::Float);
    p.FloatType = type;
    p.GetFloat = [get](TPersistent& o) { return static_cast<long double>(std::invoke(get, Self(o))); };
    p.SetFloat = [set](TPersistent& o, long double v) {
      std::invoke(set, Self(o), static_cast<Result<G>>(v));
    };
    return *this;
  }
  template <typename G, typename S>
  TClassInfoBuilder& String(const char16_t* name, G get, S set) {
    TPropInfo& p = NewProp(name, TPropKind::String);
    p.GetStr = [get](TPersistent& o) { return UnicodeString(std::invoke(get, Self(o))); };
    p.SetStr = [set](TPersistent& o, const UnicodeString& v) { std::invoke(set, Self(o), v); };
    return *this;
  }
  // An 8-bit string property (written as vaString / vaLString).
  template <typename G, typename S>
  TClassInfoBuilder& AnsiStr(const char16_t* name, G get, S set) {
    TPropInfo& p = NewProp(name, TPropKind::AnsiString);
    p.GetAnsi = [get](TPersistent& o) { return std::string(std::invoke(get, Self(o))); };
    p.SetAnsi = [set](TPersistent& o, const std::string& v) { std::invoke(set, Self(o), v); };
    return *this;
  }
  // A nested persistent object or collection owned by the instance. The getter may create the
  // object on demand (reading calls it); a nil result is skipped when writing.
  template <typename G>
  TClassInfoBuilder& Object(const char16_t* name, G get) {
    TPropInfo& p = NewProp(name, TPropKind::Object);
    p.GetObject = [get](TPersistent& o) -> TPersistent* { return std::invoke(get, Self(o)); };
    return *this;
  }
  // Overrides the storage rule of the property added last.
  template <typename P>
  TClassInfoBuilder& StoredIf(P pred) {
    FInfo.Properties.back().Stored = [pred](TPersistent& o) -> bool { return std::invoke(pred, Self(o)); };
    return *this;
  }

  TClassInfo Build() {
    if constexpr (!std::is_abstract_v<T>) {
      if constexpr (std::is_default_constructible_v<T>)
        FInfo.Create = []() -> std::unique_ptr<TPersistent> { return std::make_unique<T>(); };
      else if constexpr (std::is_constructible_v<T, TComponent*>)
        FInfo.Create = []() -> std::unique_ptr<TPersistent> { return std::make_unique<T>(static_cast<TComponent*>(nullptr)); };
    }
    return std::move(FInfo);
  }

 private:
  template <typename E, std::size_t N>
  static E FirstMember(const TSet<E, N>&) { return E{}; }
  template <typename E, std::size_t N>
  static std::vector<int> Members(const TSet<E, N>& s) {
    std::vector<int> r;
    s.ForEach([&](E e) { r.push_back(static_cast<int>(e)); });
    return r;
  }
  TPropInfo& NewProp(const char16_t* name, TPropKind kind) {
    FInfo.Properties.emplace_back();
    FInfo.Properties.back().Name = name;
    FInfo.Properties.back().Kind = kind;
    return FInfo.Properties.back();
  }
  template <typename G, typename S>
  static void SetOrdAccess(TPropInfo& p, G get, S set) {
    p.GetOrd = [get](TPersistent& o) { return static_cast<std::int64_t>(std::invoke(get, Self(o))); };
    p.SetOrd = [set](TPersistent& o, std::int64_t v) {
      std::invoke(set, Self(o), static_cast<Result<G>>(v));
    };
  }
  TClassInfo FInfo;
};

// ---- class registry -------------------------------------------------------------------------

// Makes a class known by its name (case-insensitive). Registering the same name again replaces
// nothing: the first registration stays.
void RegisterClass(const TClassInfo& cls);
void UnRegisterClass(const TClassInfo& cls);
// nullptr when unknown.
const TClassInfo* GetClass(std::u16string_view className);
// Raises EClassNotFound "Class %s not found" when unknown.
const TClassInfo& FindClass(std::u16string_view className);

// ---- collections ----------------------------------------------------------------------------

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// Makes a new item of the collection's item class; the item inserts itself (TCollectionItem's
// constructor). NewCollectionItem<T> fits any item class constructible from TCollection*.
using TCollectionItemClass = TCollectionItem* (*)(TCollection*);
template <typename T>
TCollectionItem* NewCollectionItem(TCollection* collection) {
  return new T(collection);
}

class TCollectionItem : public TPersistent {
  TAVRELO_PERSISTENT(TCollectionItem, TPersistent)
 public:
  // Adds the item to collection (when not nil); the collection then owns it. Only items made by
  // the collection's Add or Insert are reported to Notify as added: during this constructor
  // the descendant is not built yet.
  explicit TCollectionItem(TCollection* collection);
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;
  // Removes the item from its collection. Deleting an item this way reports no notification
  // (its descendant parts are gone by then); TCollection::Delete reports both.
  ~TCollectionItem() override;

  TCollection* GetCollection() const { return FCollection; }
  // Moves the item to another collection (nil: takes it out; the caller then owns it).
  virtual void SetCollection(TCollection* value);
  int GetIndex() const;
  // Moves the item within its collection.
  virtual void SetIndex(int value);
  int GetID() const { return FID; }
  virtual UnicodeString GetDisplayName() const { return ClassName(); }
  TPersistent* GetOwner() const override;
  UnicodeString GetNamePath() const override;

 protected:
  // Reports a change to the collection (unless it is updating): this item, or all items.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  TAVRELO_PERSISTENT(TCollection, TPersistent)
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TCollectionItem* GetItem(int index) const;
  // Assigns value to the item at index.
  void SetItem(int index, TCollectionItem* value);
  TCollectionItem* FindItemID(int id) const;
  TCollectionItemClass ItemClass() const { return FItemClass; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // From another collection: the items are replaced by copies (each item's Assign).
  void Assign(TPersistent* source) override;

 protected:
  // Called when an item was added, is being taken out, or is about to be deleted.
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  // Called after a change outside an update; item is nil when all items may have changed.
  virtual void Update(TCollectionItem* item);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item, bool notify);
  void RemoveItem(TCollectionItem* item, bool notify);
  void MoveItem(int from, int to);
  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;  // owned
  int FNextID = 0;
  int FUpdateCount = 0;
};

// A collection with an owner, which GetOwner answers.
class TOwnedCollection : public TCollection {
  TAVRELO_PERSISTENT(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass) : TCollection(itemClass), FOwner(owner) {}
  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
};

// ---- components -----------------------------------------------------------------------------

enum TComponentStateE { csLoading, csReading, csWriting, csDestroying };
using TComponentState = TSet<TComponentStateE, 8>;

// An object with a name and an owner; the owner frees the components it owns. Components are
// what the component stream writes as roots and children.
class TComponent : public TPersistent {
  TAVRELO_PERSISTENT(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* owner);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override { return FOwner; }
  const UnicodeString& GetName() const { return FName; }
  virtual void SetName(const UnicodeString& value) { FName = value; }
  int GetTag() const { return FTag; }
  void SetTag(int value) { FTag = value; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* GetComponent(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }
  // Takes ownership of component (removing it from its previous owner).
  void InsertComponent(TComponent* component);
  // Gives up ownership; the caller then owns component.
  void RemoveComponent(TComponent* component);
  TComponentState ComponentState() const { return FState; }
  UnicodeString GetNamePath() const override { return FName; }

  // Children written after the component's own properties (for controls: their child controls).
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  // Called by the reader for a child it has read.
  virtual void SetParentComponent(TComponent* value);
  // Called after the reader has read the component and everything in it.
  virtual void Loaded();

 protected:
  friend class TReader;
  friend class TWriter;
  TComponentState FState;

 private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;  // owned
  UnicodeString FName;
  int FTag = 0;
};
