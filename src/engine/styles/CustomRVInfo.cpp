#include "engine/styles/CustomRVInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

bool MergedStylesNotStandard = true;
bool CompareStyleNames = false;
bool SmartMergeAppendsNumberedLists = false;
bool DoNotSaveListIDs = false;

// ---- TCustomRVInfo ---------------------------------------------------------------------------

TCustomRVInfo::TCustomRVInfo(TCollection* ACollection) : TCollectionItem(ACollection) {}

const TClassInfo& TCustomRVInfo::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomRVInfo>(u"TCustomRVInfo", &inherited::StaticClassInfo())
          .Integer(u"BaseStyleNo", [](TCustomRVInfo& s) { return s.BaseStyleNo; },
                   [](TCustomRVInfo& s, int v) { s.BaseStyleNo = v; }, -1)
          .Boolean(u"Standard", [](TCustomRVInfo& s) { return s.Standard; },
                   [](TCustomRVInfo& s, bool v) { s.Standard = v; }, true)
          .String(u"StyleName", [](TCustomRVInfo& s) { return s.StyleName; },
                  [](TCustomRVInfo& s, const UnicodeString& v) { s.StyleName = v; })
          .StoredIf([](TCustomRVInfo& s) { return s.StyleName != s.GetDefaultStyleName(); })
          .Build();
  return info;
}

void TCustomRVInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCustomRVInfo*>(Source)) {
    StyleName = src->StyleName;
    BaseStyleNo = src->BaseStyleNo;
    Standard = src->Standard;
    return;
  }
  TCollectionItem::Assign(Source);
}

UnicodeString TCustomRVInfo::GetDisplayName() const { return StyleName; }
UnicodeString TCustomRVInfo::GetDefaultStyleName() { return UnicodeString(); }

TRVStyle* TCustomRVInfo::GetRVStyle() const {
  TCollection* c = GetCollection();
  return c ? dynamic_cast<TRVStyle*>(c->GetOwner()) : nullptr;
}

bool TCustomRVInfo::IsSimpleEqual(TCustomRVInfo*, bool, bool) { return false; }
bool TCustomRVInfo::IsSimpleEqualEx(TCustomRVInfo*, const TRVStyleMapping&) { return false; }
int TCustomRVInfo::SimilarityValue(TCustomRVInfo*) { return 0; }
void TCustomRVInfo::Reset() { BaseStyleNo = -1; }

void TCustomRVInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section,
                              const UnicodeString& fs) {
  IniWriteString(ini, Section, RVIniKey(fs, u"StyleName"), UnicodeString(), StyleName);
  IniWriteInteger(ini, Section, RVIniKey(fs, u"BaseStyleNo"), -1, BaseStyleNo);
  IniWriteInteger(ini, Section, RVIniKey(fs, u"Standard"), 1, Standard ? 1 : 0);
}

void TCustomRVInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section,
                                const UnicodeString& fs, const UnicodeString& DefName) {
  IniReadString(ini, Section, RVIniKey(fs, u"StyleName"), StyleName, DefName);
  BaseStyleNo = ini->ReadInteger(Section, RVIniKey(fs, u"BaseStyleNo"), -1);
  Standard = ini->ReadInteger(Section, RVIniKey(fs, u"Standard"), 1) != 0;
}

// ---- TCustomFontOrParaRVInfo -------------------------------------------------------------------

const TClassInfo& TCustomFontOrParaRVInfo::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomFontOrParaRVInfo>(u"TCustomFontOrParaRVInfo",
                                                 &inherited::StaticClassInfo())
          .Integer(u"StyleTemplateId", [](TCustomFontOrParaRVInfo& s) { return s.StyleTemplateId; },
                   [](TCustomFontOrParaRVInfo& s, int v) { s.StyleTemplateId = v; })
          .StoredIf([](TCustomFontOrParaRVInfo& s) { return s.StoreStyleTemplateId(); })
          .Build();
  return info;
}

bool TCustomFontOrParaRVInfo::StoreStyleTemplateId() {
  if (StyleTemplateId <= 0) return false;
  TRVStyle* sheet = GetRVStyle();
  return !sheet || !sheet->IgnoreStyleTemplates;
}

void TCustomFontOrParaRVInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TCustomFontOrParaRVInfo*>(Source)) StyleTemplateId = src->StyleTemplateId;
  TCustomRVInfo::Assign(Source);
}

void TCustomFontOrParaRVInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section,
                                        const UnicodeString& fs) {
  TCustomRVInfo::SaveToINI(ini, Section, fs);
  TRVStyle* sheet = GetRVStyle();
  if (!sheet || !sheet->IgnoreStyleTemplates)
    IniWriteInteger(ini, Section, RVIniKey(fs, u"StyleTemplateId"), -1, StyleTemplateId);
}

void TCustomFontOrParaRVInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section,
                                          const UnicodeString& fs, const UnicodeString& DefName) {
  TCustomRVInfo::LoadFromINI(ini, Section, fs, DefName);
  StyleTemplateId = ini->ReadInteger(Section, RVIniKey(fs, u"StyleTemplateId"), -1);
}

// ---- TCustomRVInfos ------------------------------------------------------------------------------

TCustomRVInfos::TCustomRVInfos(TCollectionItemClass AItemClass, TPersistent* AOwner)
    : TCollection(AItemClass), FOwner(AOwner) {}

const TClassInfo& TCustomRVInfos::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomRVInfos>(u"TCustomRVInfos", &inherited::StaticClassInfo()).Build();
  return info;
}

void TCustomRVInfos::AssignTo(TPersistent* Dest) { TCollection::AssignTo(Dest); }

void TCustomRVInfos::AssignTo(TStrings* Dest) {
  Dest->Clear();
  for (int i = 0; i < Count(); ++i) Dest->Add(GetInfo(i)->StyleName);
}

namespace {

// A reference to another incoming style, renumbered through Mapping; a reference that the
// mapping does not cover (broken incoming data) becomes "none" instead of reading past it.
int MapReference(int Ref, const TRVStyleMapping& Mapping) {
  if (Ref < 0) return Ref;
  if (Ref < Mapping.Count()) return Mapping.Get(Ref);
  return -1;
}

}  // namespace

void TCustomRVInfos::MergeWith(TCustomRVInfos* Styles, TRVStyleMergeMode Mode,
                               TRVStyleMapping& Mapping, const TRVStyleMapping* TextStyleMapping,
                               IRVStyleAddListener* RVData) {
  Mapping.Clear();
  if (!Styles) return;
  Mapping.SetCapacity(Styles->Count());
  const int OldCount = Count();
  auto* ownLists = dynamic_cast<TRVListInfos*>(this);

  auto appendCopy = [&](TCustomRVInfo* S) -> int {
    auto* NewStyle = static_cast<TCustomRVInfo*>(Add());
    NewStyle->Assign(S);
    return NewStyle->GetIndex();
  };

  switch (Mode) {
    case rvs_merge_SmartMerge: {
      std::vector<int> usedLists;
      auto isUsed = [&](int j) {
        return std::find(usedLists.begin(), usedLists.end(), j) != usedLists.end();
      };
      for (int i = 0; i < Styles->Count(); ++i) {
        TCustomRVInfo* S = Styles->GetInfo(i);
        auto* SList = dynamic_cast<TRVListInfo*>(S);
        const bool numbered = ownLists && SList && SList->HasNumbering();
        const bool allowed = !(ownLists && SmartMergeAppendsNumberedLists && numbered);
        int target = -1;
        if (allowed) {
          if (i < Count() && GetInfo(i)->IsSimpleEqualEx(S, Mapping) && !isUsed(i)) {
            target = i;
          } else {
            for (int j = 0; j < Count(); ++j)
              if (GetInfo(j)->IsSimpleEqualEx(S, Mapping) && !isUsed(j)) {
                target = j;
                break;
              }
          }
        }
        if (target < 0) {
          target = appendCopy(S);
          if (ownLists && SList)
            static_cast<TRVListInfo*>(GetInfo(target))->SetListID(SList->GetListID());
          if (RVData) RVData->AfterAddStyle(GetInfo(target));
        }
        Mapping.Add(target);
        if (ownLists && numbered) usedLists.push_back(target);
      }
      break;
    }
    case rvs_merge_Map: {
      auto best = [&](TCustomRVInfo* S, bool sameJumpOnly, bool jump) {
        int target = -1, bestScore = 0;
        for (int j = 0; j < Count(); ++j) {
          TCustomRVInfo* own = GetInfo(j);
          if (sameJumpOnly) {
            auto* f = dynamic_cast<TFontInfo*>(own);
            if (!f || f->Jump != jump) continue;
          }
          const int score = own->SimilarityValue(S);
          if (target < 0 || score > bestScore) {
            target = j;
            bestScore = score;
          }
        }
        return target;
      };
      for (int i = 0; i < Styles->Count(); ++i) {
        TCustomRVInfo* S = Styles->GetInfo(i);
        int target = -1;
        if (auto* f = dynamic_cast<TFontInfo*>(S)) target = best(S, true, f->Jump);
        if (target < 0) target = best(S, false, false);
        Mapping.Add(target);
      }
      break;
    }
    case rvs_merge_Append:
      for (int i = 0; i < Styles->Count(); ++i) {
        const int target = appendCopy(Styles->GetInfo(i));
        Mapping.Add(target);
        if (RVData) RVData->AfterAddStyle(GetInfo(target));
      }
      break;
  }

  for (int i = OldCount; i < Count(); ++i) {
    TCustomRVInfo* style = GetInfo(i);
    if (MergedStylesNotStandard) style->Standard = false;
    style->BaseStyleNo = MapReference(style->BaseStyleNo, Mapping);
    if (auto* f = dynamic_cast<TFontInfo*>(style)) f->NextStyleNo = MapReference(f->NextStyleNo, Mapping);
    if (auto* p = dynamic_cast<TParaInfo*>(style)) {
      p->NextParaNo = MapReference(p->NextParaNo, Mapping);
      if (TextStyleMapping) p->DefStyleNo = MapReference(p->DefStyleNo, *TextStyleMapping);
    }
  }
}

void TCustomRVInfos::ConvertToDifferentUnits(TRVStyleUnits NewUnits) {
  for (int i = 0; i < Count(); ++i) GetInfo(i)->ConvertToDifferentUnits(NewUnits);
}

int TCustomRVInfos::FindDuplicate(int Index) {
  if (Count() == 0 || Index < 0 || Index >= Count()) return -1;
  if (dynamic_cast<TCustomRVFontInfo*>(GetInfo(0))) {
    auto* style = static_cast<TCustomRVFontInfo*>(GetInfo(Index));
    for (int j = 0; j < Count(); ++j)
      if (j != Index && static_cast<TCustomRVFontInfo*>(GetInfo(j))->IsEqual(style, {})) return j;
  } else if (dynamic_cast<TCustomRVParaInfo*>(GetInfo(0))) {
    auto* style = static_cast<TCustomRVParaInfo*>(GetInfo(Index));
    for (int j = 0; j < Count(); ++j)
      if (j != Index && static_cast<TCustomRVParaInfo*>(GetInfo(j))->IsEqual(style, {})) return j;
  }
  return -1;
}

// ---- TRVUnitsRect --------------------------------------------------------------------------------

const TClassInfo& TRVUnitsRect::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVUnitsRect>(u"TRVUnitsRect", &inherited::StaticClassInfo())
          .Float(u"Left", [](TRVUnitsRect& r) { return r.Left; }, [](TRVUnitsRect& r, TRVLength v) { r.Left = v; })
          .Float(u"Right", [](TRVUnitsRect& r) { return r.Right; }, [](TRVUnitsRect& r, TRVLength v) { r.Right = v; })
          .Float(u"Top", [](TRVUnitsRect& r) { return r.Top; }, [](TRVUnitsRect& r, TRVLength v) { r.Top = v; })
          .Float(u"Bottom", [](TRVUnitsRect& r) { return r.Bottom; }, [](TRVUnitsRect& r, TRVLength v) { r.Bottom = v; })
          .Build();
  return info;
}

void TRVUnitsRect::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVUnitsRect*>(Source)) {
    Left = src->Left;
    Right = src->Right;
    Top = src->Top;
    Bottom = src->Bottom;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- INI key functions ---------------------------------------------------------------------------

UnicodeString RVIniKey(const UnicodeString& fs, const UnicodeString& Name) {
  try {
    return Format(fs, {Name});
  } catch (const EConvertError&) {
    return Name;
  }
}

void IniWriteString(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                    const UnicodeString& Default, const UnicodeString& Value) {
  if (Value == Default) return;
  ini->WriteString(Section, Key, Value);
  const bool ascii = std::all_of(Value.begin(), Value.end(), [](char16_t c) { return c <= 127; });
  if (!ascii)
    ini->WriteString(Section, Key + u"_Hex", UnicodeToHexUnicode(Value));
  else if (ini->ValueExists(Section, Key + u"_Hex"))
    ini->DeleteKey(Section, Key + u"_Hex");  // an older form would be read instead of this value
}

void IniReadString(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                   UnicodeString& Value, const UnicodeString& Default) {
  const UnicodeString hex = ini->ReadString(Section, Key + u"_Hex", UnicodeString());
  UnicodeString decoded;
  if (!hex.empty() && HexToUnicode(hex, decoded)) {
    Value = decoded;
    return;
  }
  const UnicodeString plain = ini->ReadString(Section, Key, UnicodeString());
  Value = plain.empty() ? Default : plain;
}

void IniWriteInteger(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                     int Default, int Value) {
  if (Value != Default) ini->WriteInteger(Section, Key, Value);
}

void IniWriteBool(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                  bool Default, bool Value) {
  if (Value != Default) ini->WriteString(Section, Key, Value ? u"Yes" : u"No");
}

bool IniReadBool(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& Key,
                 bool Default) {
  return UpperCaseAscii(ini->ReadString(Section, Key, Default ? u"Yes" : u"No")) == u"YES";
}

namespace {
constexpr std::size_t LongStringPiece = 500;
}

void IniWriteLongString(TCustomIniFile* ini, const UnicodeString& Section,
                        const UnicodeString& Key, const UnicodeString& Text) {
  for (std::size_t pos = 0, n = 0; pos < Text.size(); pos += LongStringPiece, ++n)
    ini->WriteString(Section, Key + u"_" + IntToStr(static_cast<std::int64_t>(n)),
                     Text.substr(pos, LongStringPiece));
}

UnicodeString IniReadLongString(TCustomIniFile* ini, const UnicodeString& Section,
                                const UnicodeString& Key) {
  UnicodeString result;
  for (std::int64_t n = 0;; ++n) {
    const UnicodeString piece = ini->ReadString(Section, Key + u"_" + IntToStr(n), UnicodeString());
    if (piece.empty()) break;
    result += piece;
  }
  return result;
}

// ---- picture data -------------------------------------------------------------------------------

std::unique_ptr<TGraphic> RVLoadGraphic(const UnicodeString& ClassName, const std::string& Bytes) {
  TGraphicClass cls = GraphicHandler ? GraphicHandler->GetGraphicClass(ClassName) : FindGraphicClass(ClassName);
  if (!cls || !cls->Create) return nullptr;
  std::unique_ptr<TGraphic> g = cls->Create();
  try {
    TMemoryStream ms;
    ms.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    ms.SetPosition(0);
    g->LoadFromStream(ms);
  } catch (const Exception&) {
    return nullptr;
  }
  return g;
}

std::unique_ptr<TGraphic> RVReadPictureData(TStream& Stream) {
  BYTE len = 0;
  std::string name, bytes;
  if (Stream.Read(&len, 1) == 1) {
    name.resize(len);
    if (Stream.Read(name.data(), len) != len) name.clear();
    bytes.resize(static_cast<std::size_t>(Stream.GetSize() - Stream.GetPosition()));
    Stream.Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  }
  return name.empty() ? nullptr : RVLoadGraphic(Utf8ToUnicode(name), bytes);
}

void RVWritePictureData(TStream& Stream, TGraphic* Graphic) {
  const std::string name = UnicodeToUtf8(Graphic->ClassName());
  const BYTE len = static_cast<BYTE>(std::min<std::size_t>(name.size(), 255));
  Stream.WriteBuffer(&len, 1);
  Stream.WriteBuffer(name.data(), len);
  Graphic->SaveToStream(Stream);
}

// ---- similarity ----------------------------------------------------------------------------------

int IntSimilarity(int A, int B, int Weight) {
  const std::int64_t sum = static_cast<std::int64_t>(A) + B;
  if (sum == 0) return A == B ? Weight : 0;
  const long double diff = std::fabs(static_cast<long double>(A) - static_cast<long double>(B));
  const long double v = (1.0L - 2.0L * diff / std::fabs(static_cast<long double>(sum))) * Weight;
  return static_cast<int>(Round(v));
}

int ColorSimilarity(TColor Color1, TColor Color2, int Weight, int Bonus) {
  if (Color1 == clNone || Color2 == clNone)
    return (Color1 == clNone && Color2 == clNone) ? 3 * Weight + Bonus : 0;
  const auto c1 = static_cast<COLORREF>(RVColorToRGB(Color1));
  const auto c2 = static_cast<COLORREF>(RVColorToRGB(Color2));
  const int ch1[3] = {GetRValue(c1), GetGValue(c1), GetBValue(c1)};
  const int ch2[3] = {GetRValue(c2), GetGValue(c2), GetBValue(c2)};
  std::int64_t result = 0;
  int bright1 = 0, bright2 = 0;
  for (int k = 0; k < 3; ++k) {
    result -= static_cast<std::int64_t>(std::abs(ch1[k] - ch2[k])) * Weight / 255;
    if (ch1[k] > 64) ++bright1;
    if (ch2[k] > 64) ++bright2;
  }
  if ((bright1 > 0) == (bright2 > 0)) result += Bonus;
  return static_cast<int>(result);
}
