// Components with one property of every streamed kind, nested objects, a collection, a binary
// and a custom property, a picture, and child components: what the component-stream target
// reads into and the seed maker writes.
#pragma once

#include <memory>
#include <vector>

#include "platform/base/ComponentStream.h"
#include "platform/graphics/Pictures.h"

namespace fuzz {

enum TMarkKind { mkBullet, mkDecimal, mkRoman };
enum TMarkOption { moContinuous, moReset, moLegal };
using TMarkOptions = TSet<TMarkOption, 3>;

inline const std::vector<UnicodeString> KindNames = {u"mkBullet", u"mkDecimal", u"mkRoman"};
inline const std::vector<UnicodeString> OptionNames = {u"moContinuous", u"moReset", u"moLegal"};

class TFuzzFont : public TPersistent {
  TAVRELO_PERSISTENT(TFuzzFont, TPersistent)
 public:
  UnicodeString Name = u"Arial";
  TMarkOptions Style;
  const UnicodeString& GetName() const { return Name; }
  void SetName(const UnicodeString& v) { Name = v; }
  TMarkOptions GetStyle() const { return Style; }
  void SetStyle(const TMarkOptions& v) { Style = v; }
};

inline const TClassInfo& TFuzzFont::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TFuzzFont>(u"TFuzzFont", &inherited::StaticClassInfo())
          .String(u"Name", &TFuzzFont::GetName, &TFuzzFont::SetName)
          .Set(u"Style", &TFuzzFont::GetStyle, &TFuzzFont::SetStyle, OptionNames, TMarkOptions{})
          .Build();
  return info;
}

class TFuzzItem : public TCollectionItem {
  TAVRELO_PERSISTENT(TFuzzItem, TCollectionItem)
 public:
  explicit TFuzzItem(TCollection* c) : TCollectionItem(c) {}
  TMarkKind Kind = mkBullet;
  int Start = 1;
  std::int64_t Big = 0;
  long double Indent = 0;
  float Ratio = 0;
  bool Flag = false;
  UnicodeString Text;
  std::string Bytes;
  std::string Data;
  TFuzzFont Font;

  TMarkKind GetKind() const { return Kind; }
  void SetKind(TMarkKind v) { Kind = v; }
  int GetStart() const { return Start; }
  void SetStart(int v) { Start = v; }
  std::int64_t GetBig() const { return Big; }
  void SetBig(std::int64_t v) { Big = v; }
  long double GetIndent() const { return Indent; }
  void SetIndent(long double v) { Indent = v; }
  float GetRatio() const { return Ratio; }
  void SetRatio(float v) { Ratio = v; }
  bool GetFlag() const { return Flag; }
  void SetFlag(bool v) { Flag = v; }
  UnicodeString GetText() const { return Text; }
  void SetText(const UnicodeString& v) { Text = v; }
  std::string GetBytes() const { return Bytes; }
  void SetBytes(const std::string& v) { Bytes = v; }
  TFuzzFont* GetFont() { return &Font; }

  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        u"Data",
        [this](TStream& s) {
          Data.resize(static_cast<std::size_t>(s.GetSize()));
          s.ReadBuffer(Data.data(), s.GetSize());
        },
        [this](TStream& s) { s.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }, !Data.empty());
  }
};

inline const TClassInfo& TFuzzItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TFuzzItem>(u"TFuzzItem", &inherited::StaticClassInfo())
          .Enum(u"Kind", &TFuzzItem::GetKind, &TFuzzItem::SetKind, KindNames, mkBullet)
          .Integer(u"Start", &TFuzzItem::GetStart, &TFuzzItem::SetStart, 1)
          .Int64(u"Big", &TFuzzItem::GetBig, &TFuzzItem::SetBig, 0)
          .Float(u"Indent", &TFuzzItem::GetIndent, &TFuzzItem::SetIndent)
          .Float(u"Ratio", &TFuzzItem::GetRatio, &TFuzzItem::SetRatio, ftSingle)
          .Boolean(u"Flag", &TFuzzItem::GetFlag, &TFuzzItem::SetFlag, false)
          .String(u"Text", &TFuzzItem::GetText, &TFuzzItem::SetText)
          .AnsiStr(u"Bytes", &TFuzzItem::GetBytes, &TFuzzItem::SetBytes)
          .Object(u"Font", &TFuzzItem::GetFont)
          .Build();
  return info;
}

// A component with children of its own kind, a collection and a picture.
class TFuzzPanel : public TComponent {
  TAVRELO_PERSISTENT(TFuzzPanel, TComponent)
 public:
  explicit TFuzzPanel(TComponent* owner = nullptr)
      : TComponent(owner), Items(this, &NewCollectionItem<TFuzzItem>) {}
  TOwnedCollection Items;
  TPicture Picture;
  UnicodeString Caption;
  int Id = 0;
  std::vector<TFuzzPanel*> Children;

  const UnicodeString& GetCaption() const { return Caption; }
  void SetCaption(const UnicodeString& v) { Caption = v; }
  TCollection* GetItems() { return &Items; }
  TPicture* GetPicture() { return &Picture; }
  bool HasPicture() const { return Picture.GetGraphic() != nullptr; }

  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        u"Id", [this](TReader& r) { Id = r.ReadInteger(); }, [this](TWriter& w) { w.WriteInteger(Id); }, Id != 0);
  }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override {
    for (TFuzzPanel* c : Children) proc(c);
  }
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* value) override {
    if (auto* p = dynamic_cast<TFuzzPanel*>(value)) p->Children.push_back(this);
  }
};

inline const TClassInfo& TFuzzPanel::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TFuzzPanel>(u"TFuzzPanel", &inherited::StaticClassInfo())
                                     .String(u"Caption", &TFuzzPanel::GetCaption, &TFuzzPanel::SetCaption)
                                     .Object(u"Items", &TFuzzPanel::GetItems)
                                     .Object(u"Picture", &TFuzzPanel::GetPicture)
                                     .StoredIf(&TFuzzPanel::HasPicture)
                                     .Build();
  return info;
}

inline void RegisterStreamFixtures() {
  RegisterClass(TFuzzPanel::StaticClassInfo());
  RegisterPictureClasses();
}

}  // namespace fuzz
