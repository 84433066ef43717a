#include "platform/base/Persistent.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/base/Classes.h"

namespace {

class TNamedItem : public TCollectionItem {
  TAVRELO_PERSISTENT(TNamedItem, TCollectionItem)
 public:
  explicit TNamedItem(TCollection* c) : TCollectionItem(c) {}
  UnicodeString Text;
  void Assign(TPersistent* source) override {
    if (auto* s = dynamic_cast<TNamedItem*>(source)) {
      Text = s->Text;
      return;
    }
    TCollectionItem::Assign(source);
  }
  void Touch(bool all) { Changed(all); }
  UnicodeString GetDisplayName() const override { return Text; }
};

const TClassInfo& TNamedItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TNamedItem>(u"TNamedItem", &inherited::StaticClassInfo()).Build();
  return info;
}

// Records what the collection reports, as "action:text" entries.
class TLoggedCollection : public TCollection {
 public:
  TLoggedCollection() : TCollection(&NewCollectionItem<TNamedItem>) {}
  std::vector<std::string> Log;
  TNamedItem* At(int i) const { return static_cast<TNamedItem*>(GetItem(i)); }
  TNamedItem* AddNamed(const char16_t* text) {
    auto* item = static_cast<TNamedItem*>(Add());
    item->Text = text;
    return item;
  }
  std::string Texts() const {
    std::string r;
    for (int i = 0; i < Count(); ++i) r += UnicodeToUtf8(At(i)->Text);
    return r;
  }

 protected:
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    Log.push_back(std::string(names[action]) + ":" + UnicodeToUtf8(static_cast<TNamedItem*>(item)->Text));
  }
  void Update(TCollectionItem* item) override {
    Log.push_back("update:" + (item ? UnicodeToUtf8(static_cast<TNamedItem*>(item)->Text) : std::string("*")));
  }
};

TEST(PersistentTest, AssignWithoutAKnownSourceRaisesTheConversionError) {
  TLoggedCollection c;
  TNamedItem* item = c.AddNamed(u"a");
  TStringList strings;
  struct Case {
    TPersistent* dest;
    TPersistent* source;
    const char16_t* message;
  };
  const Case cases[] = {
      {item, &c, u"Cannot assign a TCollection to a TNamedItem"},
      {item, nullptr, u"Cannot assign a nil to a TNamedItem"},
      {&c, item, u"Cannot assign a TNamedItem to a TCollection"},
      {&strings, item, u"Cannot assign a TNamedItem to a TStringList"},
  };
  for (const Case& k : cases) {
    try {
      k.dest->Assign(k.source);
      ADD_FAILURE() << UnicodeToUtf8(k.message);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), k.message);
    }
  }
  TStringList other;
  other.Add(u"x");
  strings.Assign(static_cast<TPersistent*>(&other));
  EXPECT_EQ(strings.GetCommaText(), u"x");
}

TEST(PersistentTest, CollectionReportsAddsDeletesAndChanges) {
  TLoggedCollection c;
  c.AddNamed(u"a");  // Text is set after the item is added, so the log shows it empty
  c.Log.clear();
  c.At(0)->Touch(false);
  c.At(0)->Touch(true);
  EXPECT_EQ(c.Log, (std::vector<std::string>{"update:a", "update:*"}));

  c.AddNamed(u"b");
  c.AddNamed(u"c");
  c.Log.clear();
  c.Delete(1);
  EXPECT_EQ(c.Log, (std::vector<std::string>{"deleting:b", "extracting:b", "update:*"}));
  EXPECT_EQ(c.Texts(), "ac");

  c.Log.clear();
  c.BeginUpdate();
  c.BeginUpdate();
  c.At(0)->Touch(false);
  c.AddNamed(u"d");
  c.EndUpdate();
  EXPECT_EQ(c.Log, (std::vector<std::string>{"added:"}));  // no updates while counting
  c.EndUpdate();
  EXPECT_EQ(c.Log.back(), "update:*");
  EXPECT_EQ(c.UpdateCount(), 0);

  c.Log.clear();
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.Log.back(), "update:*");
  EXPECT_EQ(std::count(c.Log.begin(), c.Log.end(), "update:*"), 1);
}

TEST(PersistentTest, CollectionIndexesIdsAndBounds) {
  TLoggedCollection c;
  for (const char16_t* t : {u"a", u"b", u"c"}) c.AddNamed(t);
  EXPECT_EQ(c.At(2)->GetID(), 2);
  auto* x = static_cast<TNamedItem*>(c.Insert(1));
  x->Text = u"x";
  EXPECT_EQ(c.Texts(), "axbc");
  EXPECT_EQ(x->GetID(), 3);
  EXPECT_EQ(x->GetIndex(), 1);
  EXPECT_EQ(c.FindItemID(3), x);
  EXPECT_EQ(c.FindItemID(42), nullptr);

  c.At(0)->SetIndex(3);
  EXPECT_EQ(c.Texts(), "xbca");
  c.At(3)->SetIndex(99);  // clamped to the last place
  EXPECT_EQ(c.Texts(), "xbca");
  EXPECT_EQ(c.At(0)->GetCollection(), &c);
  EXPECT_EQ(c.At(0)->GetOwner(), &c);

  delete c.At(1);  // an item freed directly leaves its collection
  EXPECT_EQ(c.Texts(), "xca");

  for (int bad : {-1, 3}) {
    try {
      c.GetItem(bad);
      ADD_FAILURE() << bad;
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), u"List index out of bounds (" + IntToStr(bad) + u")");
    }
  }
}

TEST(PersistentTest, CollectionAssignCopiesItems) {
  TLoggedCollection a, b;
  a.AddNamed(u"p");
  a.AddNamed(u"q");
  b.AddNamed(u"old");
  b.Assign(&a);
  EXPECT_EQ(b.Texts(), "pq");
  EXPECT_NE(b.At(0), a.At(0));
  b.SetItem(1, a.At(0));
  EXPECT_EQ(b.Texts(), "pp");
  b.Assign(&b);
  EXPECT_EQ(b.Texts(), "pp");

  // An item moved to another collection belongs to that one.
  TNamedItem* moved = a.At(0);
  moved->SetCollection(&b);
  EXPECT_EQ(a.Texts(), "q");
  EXPECT_EQ(b.Texts(), "ppp");
}

TEST(PersistentTest, ComponentsFreeWhatTheyOwn) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* a = new TComponent(owner.get());
  auto* b = new TComponent(a);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(b->Owner(), a);
  owner->InsertComponent(b);  // changes owner
  EXPECT_EQ(a->ComponentCount(), 0);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete a;  // leaves its owner
  EXPECT_EQ(owner->ComponentCount(), 1);
  owner.reset();  // frees b; the sanitizer would see a leak or a double free
}

}  // namespace
