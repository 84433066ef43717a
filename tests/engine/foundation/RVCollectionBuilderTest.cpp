#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVCollectionBuilder.h"
#include "engine/foundation/RVError.h"

namespace {

// Two item classes of one collection; the second adds a property of its own.
class TShapeItem : public TCollectionItem {
  TAVRELO_PERSISTENT(TShapeItem, TCollectionItem)
 public:
  explicit TShapeItem(TCollection* collection = nullptr) : TCollectionItem(collection) {}
  int GetSize() const { return FSize; }
  void SetSize(int v) { FSize = v; }
  void Assign(TPersistent* source) override {
    if (auto* s = dynamic_cast<TShapeItem*>(source)) {
      FSize = s->FSize;
      return;
    }
    TCollectionItem::Assign(source);
  }
  virtual std::string Describe() const { return "shape " + std::to_string(FSize); }

 private:
  int FSize = 0;
};

class TLabelItem : public TShapeItem {
  TAVRELO_PERSISTENT(TLabelItem, TShapeItem)
 public:
  explicit TLabelItem(TCollection* collection = nullptr) : TShapeItem(collection) {}
  const UnicodeString& GetCaption() const { return FCaption; }
  void SetCaption(const UnicodeString& v) { FCaption = v; }
  std::string Describe() const override { return "label " + std::to_string(GetSize()) + " " + UnicodeToUtf8(FCaption); }

 private:
  UnicodeString FCaption;
};

// Registered under a name but no collection item.
class TNotAnItem : public TPersistent {
  TAVRELO_PERSISTENT(TNotAnItem, TPersistent)
};

const TClassInfo& TShapeItem::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TShapeItem>(u"TShapeItem", &inherited::StaticClassInfo())
                                     .Integer(u"Size", &TShapeItem::GetSize, &TShapeItem::SetSize, 0)
                                     .Build();
  return info;
}

const TClassInfo& TLabelItem::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TLabelItem>(u"TLabelItem", &inherited::StaticClassInfo())
                                     .String(u"Caption", &TLabelItem::GetCaption, &TLabelItem::SetCaption)
                                     .Build();
  return info;
}

const TClassInfo& TNotAnItem::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TNotAnItem>(u"TNotAnItem", &inherited::StaticClassInfo()).Build();
  return info;
}

class TShapes : public TCollection {
 public:
  TShapes() : TCollection(&NewCollectionItem<TShapeItem>) {}
  TShapeItem* At(int i) const { return static_cast<TShapeItem*>(GetItem(i)); }
  std::vector<std::string> Describe() const {
    std::vector<std::string> r;
    for (int i = 0; i < Count(); ++i) r.push_back(At(i)->Describe());
    return r;
  }
};

void Fill(TShapes& shapes) {
  static_cast<TShapeItem*>(shapes.Add())->SetSize(3);
  auto* label = new TLabelItem(&shapes);
  label->SetSize(5);
  label->SetCaption(u"\u041F\u0440\u0438\u0432\u0435\u0442");
  new TLabelItem(&shapes);
}

class RVCollectionBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClass(TShapeItem::StaticClassInfo());
    RegisterClass(TLabelItem::StaticClassInfo());
    RegisterClass(TNotAnItem::StaticClassInfo());
  }
  TPersistent Owner;
};

void Write(TCollection& collection, TStream& stream) {
  TRVCollectionBuilder builder(nullptr, &collection);
  TRVWriter writer(stream);
  writer.WriteCollection(&builder);
}

void Read(TCollection& target, TStream& stream) {
  target.Clear();
  TRVCollectionBuilder builder(nullptr, &target);
  TReader reader(stream);
  reader.ReadCollection(&builder);
  builder.BuildCollection();
}

}  // namespace

TEST_F(RVCollectionBuilder, MixedItemClassesRoundTrip) {
  TShapes source;
  Fill(source);
  TRVMemoryStream ms;
  Write(source, ms);

  TShapes target;
  static_cast<TShapeItem*>(target.Add())->SetSize(99);
  ms.SetPosition(0);
  Read(target, ms);
  EXPECT_EQ(target.Describe(), source.Describe());
  EXPECT_EQ(target.Describe(),
            (std::vector<std::string>{"shape 3", "label 5 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "label 0 "}));
  EXPECT_EQ(ms.GetPosition(), ms.GetSize());

  TShapes empty;
  TRVMemoryStream ms2;
  Write(empty, ms2);
  ms2.SetPosition(0);
  Read(target, ms2);
  EXPECT_EQ(target.Count(), 0);
}

TEST_F(RVCollectionBuilder, BuilderRefersToTheItemsOfItsCollection) {
  TShapes shapes;
  Fill(shapes);
  TRVCollectionBuilder builder(&Owner, &shapes);
  EXPECT_EQ(builder.GetOwner(), &Owner);
  ASSERT_EQ(builder.Count(), 3);
  const char16_t* names[] = {u"TShapeItem", u"TLabelItem", u"TLabelItem"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(builder.GetBuilderItem(i)->GetItem(), shapes.GetItem(i));
    EXPECT_EQ(builder.GetBuilderItem(i)->GetItemClassName(), names[i]);
  }
  // Building from the target's own items keeps them (nothing is freed by the clearing).
  TShapeItem* first = shapes.At(0);
  builder.BuildCollection();
  ASSERT_EQ(shapes.Count(), 3);
  EXPECT_EQ(shapes.At(0), first);
  EXPECT_EQ(shapes.Describe()[1], "label 5 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  // Renaming an entry that only refers to an item leaves the item with its collection.
  builder.GetBuilderItem(0)->SetItemClassName(u"TLabelItem");
  EXPECT_EQ(shapes.At(0), first);
  EXPECT_NE(builder.GetBuilderItem(0)->GetItem(), first);
}

TEST_F(RVCollectionBuilder, ItemClassNameAndItem) {
  TRVCollectionBuilder builder(&Owner, nullptr);
  EXPECT_EQ(builder.Count(), 0);
  auto* entry = static_cast<TRVCollectionBuilderItem*>(builder.Add());
  TShapeItem given;
  given.SetSize(7);
  entry->SetItem(&given);  // nothing held yet: nothing happens
  EXPECT_EQ(entry->GetItem(), nullptr);

  entry->SetItemClassName(u"tlabelitem");
  ASSERT_NE(entry->GetItem(), nullptr);
  EXPECT_EQ(entry->GetItem()->ClassName(), u"TLabelItem");
  EXPECT_EQ(entry->GetItem()->GetCollection(), nullptr);
  TCollectionItem* held = entry->GetItem();
  entry->SetItem(&given);
  EXPECT_EQ(entry->GetItem(), held);
  EXPECT_EQ(static_cast<TShapeItem*>(held)->GetSize(), 7);

  for (const char16_t* bad : {u"TUnknownItem", u"TNotAnItem", u""}) {
    try {
      entry->SetItemClassName(bad);
      ADD_FAILURE() << UnicodeToUtf8(bad);
    } catch (const EViroZereError& e) {
      EXPECT_EQ(e.Message(), u"Unknown collection item class in DocObjects: " + UnicodeString(bad));
    }
    EXPECT_EQ(entry->GetItem(), nullptr);
  }
  builder.BuildCollection();  // no target: nothing to build
}

TEST_F(RVCollectionBuilder, UnknownItemClassStopsReading) {
  TShapes source;
  Fill(source);
  TRVMemoryStream ms;
  Write(source, ms);
  // Rename the second entry's class to one nobody registered (same length, so nothing moves).
  std::string bytes(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  const std::size_t at = bytes.find("TLabelItem");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 10, "TLostItem_");
  TRVMemoryStream damaged;
  damaged.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  damaged.SetPosition(0);

  TShapes target;
  try {
    Read(target, damaged);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Unknown collection item class in DocObjects: TLostItem_");
  }
  EXPECT_EQ(target.Count(), 0);
}
