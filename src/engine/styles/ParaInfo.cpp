#include "engine/styles/ParaInfo.h"

#include <algorithm>
#include <cstdlib>

#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/Classes.h"
#include "platform/base/ComponentStream.h"

namespace {

// Plain properties of the style itself, i.e. neither border, background, references nor custom.
constexpr TRVParaInfoProperties PlainParaProperties = {
    rvpiFirstIndent, rvpiLeftIndent, rvpiRightIndent, rvpiSpaceBefore, rvpiSpaceAfter,
    rvpiAlignment, rvpiLastLineAlignment, rvpiLineSpacing, rvpiLineSpacingType, rvpiNoWrap,
    rvpiReadOnly, rvpiStyleProtect, rvpiDoNotWantReturns, rvpiKeepLinesTogether, rvpiKeepWithNext,
    rvpiWidowOrphanControl, rvpiTabs, rvpiBiDiMode, rvpiOutlineLevel};

TRVParaOption OptionOf(TRVParaInfoProperty p) {
  return static_cast<TRVParaOption>(p - rvpiNoWrap);
}

bool SamePlain(TRVParaInfoProperty p, const TCustomRVParaInfo& a, const TCustomRVParaInfo& b) {
  switch (p) {
    case rvpiFirstIndent: return a.FirstIndent == b.FirstIndent;
    case rvpiLeftIndent: return a.LeftIndent == b.LeftIndent;
    case rvpiRightIndent: return a.RightIndent == b.RightIndent;
    case rvpiSpaceBefore: return a.GetSpaceBefore() == b.GetSpaceBefore();
    case rvpiSpaceAfter: return a.GetSpaceAfter() == b.GetSpaceAfter();
    case rvpiAlignment: return a.Alignment == b.Alignment;
    case rvpiLastLineAlignment: return a.LastLineAlignment == b.LastLineAlignment;
    case rvpiLineSpacing: return a.LineSpacing == b.LineSpacing;
    case rvpiLineSpacingType: return a.LineSpacingType == b.LineSpacingType;
    case rvpiTabs: return a.Tabs()->IsEqual(b.Tabs());
    case rvpiBiDiMode: return a.BiDiMode == b.BiDiMode;
    case rvpiOutlineLevel: return a.OutlineLevel == b.OutlineLevel;
    default:
      if (p >= rvpiNoWrap && p <= rvpiWidowOrphanControl)
        return a.Options.Contains(OptionOf(p)) == b.Options.Contains(OptionOf(p));
      return true;
  }
}

}  // namespace

std::vector<UnicodeString> RVParaInfoPropertiesToNames(const TRVParaInfoProperties& Props) {
  std::vector<UnicodeString> r;
  Props.ForEach([&](TRVParaInfoProperty p) { r.push_back(AsciiToUnicode(RVParaInfoPropertyNames[p])); });
  return r;
}

// ---- TCustomRVParaInfo ---------------------------------------------------------------------------

TCustomRVParaInfo::TCustomRVParaInfo(TCollection* ACollection)
    : TCustomFontOrParaRVInfo(ACollection),
      FBorder(std::make_unique<TRVBorder>(this)),
      FBackground(std::make_unique<TRVBackgroundRect>(this)),
      FTabs(std::make_unique<TRVTabInfos>(this)) {
  InitStyleName();
}

TCustomRVParaInfo::~TCustomRVParaInfo() = default;

const TClassInfo& TCustomRVParaInfo::StaticClassInfo() {
  using T = TCustomRVParaInfo;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TCustomRVParaInfo", &inherited::StaticClassInfo())
          .Integer(u"FirstIndent", [](T& s) { return s.FirstIndent; }, [](T& s, int v) { s.FirstIndent = v; }, 0)
          .Integer(u"LeftIndent", [](T& s) { return s.LeftIndent; }, [](T& s, int v) { s.LeftIndent = v; }, 0)
          .Integer(u"RightIndent", [](T& s) { return s.RightIndent; }, [](T& s, int v) { s.RightIndent = v; }, 0)
          .Integer(u"SpaceBefore", [](T& s) { return s.GetSpaceBefore(); }, [](T& s, int v) { s.SetSpaceBefore(v); }, 0)
          .Integer(u"SpaceAfter", [](T& s) { return s.GetSpaceAfter(); }, [](T& s, int v) { s.SetSpaceAfter(v); }, 0)
          .Enum(u"Alignment", [](T& s) { return s.Alignment; }, [](T& s, TRVAlignment v) { s.Alignment = v; },
                RVValueNames({u"rvaLeft", u"rvaRight", u"rvaCenter", u"rvaJustify", u"rvaDistribute"}), rvaLeft)
          .Enum(u"LastLineAlignment", [](T& s) { return s.LastLineAlignment; },
                [](T& s, TRVLastLineAlignment v) { s.LastLineAlignment = v; },
                RVValueNames({u"rvllaDefault", u"rvllaLeft", u"rvllaRight", u"rvllaCenter", u"rvllaJustify"}), rvllaDefault)
          .Object(u"Border", [](T& s) -> TPersistent* { return s.Border(); })
          .Object(u"Background", [](T& s) -> TPersistent* { return s.Background(); })
          .Integer(u"LineSpacing", [](T& s) { return s.LineSpacing; }, [](T& s, int v) { s.LineSpacing = v; }, 100)
          .Enum(u"LineSpacingType", [](T& s) { return s.LineSpacingType; },
                [](T& s, TRVLineSpacingType v) { s.LineSpacingType = v; },
                RVValueNames({u"rvlsPercent", u"rvlsSpaceBetween", u"rvlsLineHeightAtLeast", u"rvlsLineHeightExact"}), rvlsPercent)
          .Set(u"Options", [](T& s) { return s.Options; }, [](T& s, TRVParaOptions v) { s.Options = v; },
               RVValueNames({u"rvpaoNoWrap", u"rvpaoReadOnly", u"rvpaoStyleProtect", u"rvpaoDoNotWantReturns",
                      u"rvpaoKeepLinesTogether", u"rvpaoKeepWithNext", u"rvpaoWidowOrphanControl"}),
               TRVParaOptions{})
          .Enum(u"BiDiMode", [](T& s) { return s.BiDiMode; }, [](T& s, TRVBiDiMode v) { s.BiDiMode = v; },
                RVBiDiModeNames(), rvbdUnspecified)
          .Integer(u"OutlineLevel", [](T& s) { return s.OutlineLevel; }, [](T& s, int v) { s.OutlineLevel = v; }, 0)
          .Object(u"Tabs", [](T& s) -> TPersistent* { return s.Tabs(); })
          .Build();
  return info;
}

void TCustomRVParaInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomRVParaInfo*>(Source)) {
    FirstIndent = s->FirstIndent;
    LeftIndent = s->LeftIndent;
    RightIndent = s->RightIndent;
    Alignment = s->Alignment;
    LastLineAlignment = s->LastLineAlignment;
    SetSpaceBefore(s->GetSpaceBefore());
    SetSpaceAfter(s->GetSpaceAfter());
    LineSpacing = s->LineSpacing;
    LineSpacingType = s->LineSpacingType;
    FBackground->Assign(s->Background());
    FBorder->Assign(s->Border());
    FTabs->Assign(s->Tabs());
    Options = s->Options;
    BiDiMode = s->BiDiMode;
    OutlineLevel = s->OutlineLevel;
  }
  TCustomFontOrParaRVInfo::Assign(Source);
}

void TCustomRVParaInfo::AssignSelectedProperties(TCustomRVParaInfo* Source, const TRVParaInfoProperties& Props) {
  if (!Source) return;
  (Props * PlainParaProperties).ForEach([&](TRVParaInfoProperty p) {
    switch (p) {
      case rvpiFirstIndent: FirstIndent = Source->FirstIndent; break;
      case rvpiLeftIndent: LeftIndent = Source->LeftIndent; break;
      case rvpiRightIndent: RightIndent = Source->RightIndent; break;
      case rvpiSpaceBefore: SetSpaceBefore(Source->GetSpaceBefore()); break;
      case rvpiSpaceAfter: SetSpaceAfter(Source->GetSpaceAfter()); break;
      case rvpiAlignment: Alignment = Source->Alignment; break;
      case rvpiLastLineAlignment: LastLineAlignment = Source->LastLineAlignment; break;
      case rvpiLineSpacing:
      case rvpiLineSpacingType:
        LineSpacing = Source->LineSpacing;
        LineSpacingType = Source->LineSpacingType;
        break;
      case rvpiTabs: FTabs->Assign(Source->Tabs()); break;
      case rvpiBiDiMode: BiDiMode = Source->BiDiMode; break;
      case rvpiOutlineLevel: OutlineLevel = Source->OutlineLevel; break;
      default:
        if (Source->Options.Contains(OptionOf(p))) Options.Include(OptionOf(p)); else Options.Exclude(OptionOf(p));
        break;
    }
  });
  FBackground->AssignValidProperties(Source->Background(), Props);
  FBorder->AssignValidProperties(Source->Border(), Props);
}

void TCustomRVParaInfo::ResetMainProperties() {
  FirstIndent = LeftIndent = RightIndent = 0;
  FSpaceBefore = FSpaceAfter = 0;
  Alignment = rvaLeft;
  LastLineAlignment = rvllaDefault;
  LineSpacing = 100;
  LineSpacingType = rvlsPercent;
  FTabs->Clear();
  Options.Clear();
  BiDiMode = rvbdUnspecified;
  OutlineLevel = 0;
}

void TCustomRVParaInfo::ResetBorderAndBackProperties() {
  FBackground->Reset();
  FBorder->Reset();
}

void TCustomRVParaInfo::Reset() {
  TCustomFontOrParaRVInfo::Reset();
  ResetMainProperties();
  ResetBorderAndBackProperties();
}

void TCustomRVParaInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits) {
  const TRVStyle* sheet = GetRVStyle();
  LeftIndent = RVConvertStyleLength(sheet, LeftIndent, NewUnits);
  FirstIndent = RVConvertStyleLength(sheet, FirstIndent, NewUnits);
  RightIndent = RVConvertStyleLength(sheet, RightIndent, NewUnits);
  SetSpaceBefore(RVConvertStyleLength(sheet, FSpaceBefore, NewUnits));
  SetSpaceAfter(RVConvertStyleLength(sheet, FSpaceAfter, NewUnits));
  if (LineSpacingType != rvlsPercent) LineSpacing = RVConvertStyleLength(sheet, LineSpacing, NewUnits);
  FTabs->ConvertToDifferentUnits(sheet, NewUnits);
  FBorder->ConvertToDifferentUnits(sheet, NewUnits);
  FBackground->ConvertToDifferentUnits(sheet, NewUnits);
}

bool TCustomRVParaInfo::HasNonSingleLineSpacing() const {
  return LineSpacingType == rvlsPercent ? LineSpacing != 100 : LineSpacing > 0;
}

bool TCustomRVParaInfo::IsEqual(TCustomRVParaInfo* Value, const TRVParaInfoProperties& IgnoreList) {
  if (!Value) return false;
  bool equal = true;
  (PlainParaProperties - IgnoreList).ForEach([&](TRVParaInfoProperty p) {
    if (equal && !SamePlain(p, *this, *Value)) equal = false;
  });
  return equal && FBackground->IsEqual_Para(Value->Background(), IgnoreList) &&
         FBorder->IsEqual_Para(Value->Border(), IgnoreList) &&
         (!CompareStyleNames || StyleName == Value->StyleName);
}

bool TCustomRVParaInfo::IsSimpleEqual(TCustomRVInfo* AValue, bool, bool) {
  auto* Value = dynamic_cast<TCustomRVParaInfo*>(AValue);
  if (!Value) return false;
  bool equal = true;
  PlainParaProperties.ForEach([&](TRVParaInfoProperty p) {
    if (equal && !SamePlain(p, *this, *Value)) equal = false;
  });
  return equal && FBackground->IsEqual(Value->Background()) && FBorder->IsEqual(Value->Border()) &&
         (!CompareStyleNames || StyleName == Value->StyleName);
}

int TCustomRVParaInfo::SimilarityValue(TCustomRVInfo* AValue) {
  auto* V = dynamic_cast<TCustomRVParaInfo*>(AValue);
  if (!V) return 0;
  const int wht = RVUnitsPerPixel(GetRVStyle());
  const int W = 1000 / wht;
  int r = IntSimilarity(FirstIndent, V->FirstIndent, W) + IntSimilarity(LeftIndent, V->LeftIndent, W) +
          IntSimilarity(RightIndent, V->RightIndent, W) + IntSimilarity(FSpaceBefore, V->FSpaceBefore, W) +
          IntSimilarity(FSpaceAfter, V->FSpaceAfter, W);
  r += FBackground->SimilarityValue(V->Background(), wht) + FTabs->SimilarityValue(V->Tabs(), wht) +
       FBorder->SimilarityValue(V->Border(), wht);
  if (Alignment == V->Alignment) r += LastLineAlignment == V->LastLineAlignment ? 66666 : 50000;
  if (BiDiMode == V->BiDiMode) r += 10000;
  if (OutlineLevel == V->OutlineLevel) r += 50000;
  auto opt = [&](TRVParaOption o, int w) { return Options.Contains(o) == V->Options.Contains(o) ? w : 0; };
  r += opt(rvpaoNoWrap, 1000) + opt(rvpaoReadOnly, 100000) + opt(rvpaoStyleProtect, 1000) +
       opt(rvpaoDoNotWantReturns, 10000) + opt(rvpaoKeepLinesTogether, 500) + opt(rvpaoKeepWithNext, 500) +
       opt(rvpaoWidowOrphanControl, 500);
  if (LineSpacingType == V->LineSpacingType)
    r += IntSimilarity(LineSpacing, V->LineSpacing, LineSpacingType == rvlsPercent ? 5000 : 5000 / wht);
  else if (HasNonSingleLineSpacing() != V->HasNonSingleLineSpacing())
    r -= 20000;
  return r;
}

TRVParaInfoProperties TCustomRVParaInfo::CalculateModifiedProperties(TCustomRVParaInfo* Source,
                                                                     const TRVParaInfoProperties& PossibleProps) {
  TRVParaInfoProperties r;
  if (!Source) return r;
  (PossibleProps * PlainParaProperties).ForEach([&](TRVParaInfoProperty p) {
    if (p == rvpiLineSpacing || p == rvpiLineSpacingType) return;
    if (!SamePlain(p, *this, *Source)) r.Include(p);
  });
  if ((PossibleProps.Contains(rvpiLineSpacing) || PossibleProps.Contains(rvpiLineSpacingType)) &&
      (LineSpacing != Source->LineSpacing || LineSpacingType != Source->LineSpacingType)) {
    r.Include(rvpiLineSpacing);
    r.Include(rvpiLineSpacingType);
  }
  // Border and background: each property that differs, one by one.
  (PossibleProps * (BackgroundParaProperties + BorderParaProperties)).ForEach([&](TRVParaInfoProperty p) {
    const TRVParaInfoProperties ignoreAllBut = (BackgroundParaProperties + BorderParaProperties) - p;
    const bool same = FBackground->IsEqual_Para(Source->Background(), ignoreAllBut) &&
                      FBorder->IsEqual_Para(Source->Border(), ignoreAllBut);
    if (!same) r.Include(p);
  });
  return r;
}

TRVParaInfoProperties TCustomRVParaInfo::CalculateModifiedProperties2(const TRVParaInfoProperties& PossibleProps) {
  TCustomRVParaInfo defaults(nullptr);
  return TCustomRVParaInfo::CalculateModifiedProperties(&defaults, PossibleProps);
}

// ---- INI form ------------------------------------------------------------------------------------

void TCustomRVParaInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                                  const TRVParaInfoProperties& P) {
  TCustomFontOrParaRVInfo::SaveToINI(ini, Section, fs);
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  const TRVIniPropWriter write(ini, Section, fs, P);
  auto option = [&](TRVParaInfoProperty p, const char16_t* name) {
    write.Bool(p, name, false, Options.Contains(OptionOf(p)));
  };
  write.Int(rvpiSpaceBefore, u"SpaceBefore", 0, FSpaceBefore);
  write.Int(rvpiSpaceAfter, u"SpaceAfter", 0, FSpaceAfter);
  write.Int(rvpiLeftIndent, u"LeftIndent", 0, LeftIndent);
  write.Int(rvpiRightIndent, u"RightIndent", 0, RightIndent);
  write.Int(rvpiFirstIndent, u"FirstIndent", 0, FirstIndent);
  if (P.Contains(rvpiLineSpacing) || P.Contains(rvpiLineSpacingType)) {
    IniWriteInteger(ini, Section, key(u"LineSpacing"), 100, LineSpacing);
    IniWriteInteger(ini, Section, key(u"LSType"), 0, LineSpacingType);
  }
  write.Int(rvpiAlignment, u"Alignment", 0, Alignment);
  write.Int(rvpiLastLineAlignment, u"LastLineAlignment", 0, LastLineAlignment);
  write.Int(rvpiBiDiMode, u"BiDiMode", 0, BiDiMode);
  write.Int(rvpiOutlineLevel, u"OutlineLevel", 0, OutlineLevel);
  option(rvpiNoWrap, u"NoWrap");
  option(rvpiReadOnly, u"ReadOnly");
  option(rvpiStyleProtect, u"StyleProtect");
  option(rvpiDoNotWantReturns, u"DoNotWantReturns");
  option(rvpiKeepLinesTogether, u"KeepLinesTogether");
  option(rvpiKeepWithNext, u"KeepWithNext");
  option(rvpiWidowOrphanControl, u"WidowOrphanControl");
  FBorder->SaveToINI(ini, Section, key(u"Border%s"), P);
  FBackground->SaveToINI(ini, Section, key(u"Background%s"), P);
  if (P.Contains(rvpiTabs)) FTabs->SaveToINI(ini, Section, key(u"Tab%s"));
}

void TCustomRVParaInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  TCustomFontOrParaRVInfo::LoadFromINI(ini, Section, fs, u"Paragraph Style");
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  auto readInt = [&](const char16_t* name, int def) { return ini->ReadInteger(Section, key(name), def); };
  SetSpaceBefore(readInt(u"SpaceBefore", 0));
  SetSpaceAfter(readInt(u"SpaceAfter", 0));
  LeftIndent = readInt(u"LeftIndent", 0);
  RightIndent = readInt(u"RightIndent", 0);
  FirstIndent = readInt(u"FirstIndent", 0);
  LineSpacing = readInt(u"LineSpacing", 100);
  LineSpacingType = RVOrdinalOr(readInt(u"LSType", 0), 4, rvlsPercent);
  Alignment = RVOrdinalOr(readInt(u"Alignment", 0), 5, rvaLeft);
  LastLineAlignment = RVOrdinalOr(readInt(u"LastLineAlignment", 0), 5, rvllaDefault);
  BiDiMode = RVOrdinalOr(readInt(u"BiDiMode", 0), 3, rvbdUnspecified);
  OutlineLevel = readInt(u"OutlineLevel", 0);
  Options.Clear();
  const char16_t* optionKeys[] = {u"NoWrap", u"ReadOnly", u"StyleProtect", u"DoNotWantReturns",
                                  u"KeepLinesTogether", u"KeepWithNext", u"WidowOrphanControl"};
  for (int i = 0; i < 7; ++i)
    if (IniReadBool(ini, Section, key(optionKeys[i]), false)) Options.Include(static_cast<TRVParaOption>(i));
  FBorder->LoadFromINI(ini, Section, key(u"Border%s"));
  FBackground->LoadFromINI(ini, Section, key(u"Background%s"));
  FTabs->LoadFromINI(ini, Section, key(u"Tab%s"));
}

// ---- TParaInfo -----------------------------------------------------------------------------------

const TClassInfo& TParaInfo::StaticClassInfo() {
  using T = TParaInfo;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TParaInfo", &inherited::StaticClassInfo())
          .Integer(u"NextParaNo", [](T& s) { return s.NextParaNo; }, [](T& s, int v) { s.NextParaNo = v; }, -1)
          .Integer(u"DefStyleNo", [](T& s) { return s.DefStyleNo; }, [](T& s, int v) { s.DefStyleNo = v; }, -1)
          .Build();
  return info;
}

void TParaInfo::DefineProperties(TFiler& Filer) {
  TCustomRVParaInfo::DefineProperties(Filer);
  TRVStyle* sheet = GetRVStyle();
  Filer.DefineProperty(
      u"ModifiedProps",
      [this](TReader& r) {
        if (r.NextValue() != vaSet) {
          r.SkipValue();
          throw EViroZereError(Format(u"Invalid value of property %s", {UnicodeString(u"ModifiedProps")}));
        }
        ModifiedProperties.Clear();
        for (const std::string& name : r.ReadSet()) {
          const int p = RVParaInfoPropertyFromName(name);
          if (p >= 0) ModifiedProperties.Include(static_cast<TRVParaInfoProperty>(p));
        }
      },
      [this](TWriter& w) { w.WriteSet(RVParaInfoPropertiesToNames(ModifiedProperties)); },
      !ModifiedProperties.Empty() && (!sheet || !sheet->IgnoreStyleTemplates));
}

void TParaInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TParaInfo*>(Source)) {
    NextParaNo = s->NextParaNo;
    DefStyleNo = s->DefStyleNo;
    ModifiedProperties = s->ModifiedProperties;
  }
  TCustomRVParaInfo::Assign(Source);
}

void TParaInfo::Reset() {
  TCustomRVParaInfo::Reset();
  NextParaNo = -1;
  DefStyleNo = -1;
}

bool TParaInfo::IsEqual(TCustomRVParaInfo* Value, const TRVParaInfoProperties& IgnoreList) {
  if (!TCustomRVParaInfo::IsEqual(Value, IgnoreList)) return false;
  if (auto* v = dynamic_cast<TParaInfo*>(Value)) {
    if (!IgnoreList.Contains(rvpiNextParaNo) && NextParaNo != v->NextParaNo) return false;
    if (!IgnoreList.Contains(rvpiDefStyleNo) && DefStyleNo != v->DefStyleNo) return false;
    if (StyleTemplateId != v->StyleTemplateId) return false;
  }
  return true;
}

bool TParaInfo::IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID) {
  if (!TCustomRVParaInfo::IsSimpleEqual(Value, IgnoreReferences, IgnoreID)) return false;
  if (auto* v = dynamic_cast<TParaInfo*>(Value)) {
    if (ModifiedProperties != v->ModifiedProperties || StyleTemplateId != v->StyleTemplateId) return false;
    if (!IgnoreReferences && (NextParaNo != v->NextParaNo || DefStyleNo != v->DefStyleNo)) return false;
  }
  return true;
}

bool TParaInfo::IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping& Mapping) {
  const bool r = IsSimpleEqual(Value, true);
  auto* v = dynamic_cast<TParaInfo*>(Value);
  if (!r || !v) return r;
  if (v->NextParaNo < 0) return true;
  if (v->NextParaNo < Mapping.Count())
    return Mapping.Get(v->NextParaNo) == NextParaNo;
  v->NextParaNo = -1;
  return true;
}

void TParaInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                          const TRVParaInfoProperties& Properties) {
  TCustomRVParaInfo::SaveToINI(ini, Section, fs, Properties);
  const TRVIniPropWriter write(ini, Section, fs, Properties);
  write.Int(rvpiNextParaNo, u"NextParaNo", -1, NextParaNo);
  write.Int(rvpiDefStyleNo, u"DefStyleNo", -1, DefStyleNo);
}

void TParaInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  TCustomRVParaInfo::LoadFromINI(ini, Section, fs);
  NextParaNo = ini->ReadInteger(Section, RVIniKey(fs, u"NextParaNo"), -1);
  DefStyleNo = ini->ReadInteger(Section, RVIniKey(fs, u"DefStyleNo"), -1);
}

// ---- TErrParaInfo, TParaInfos --------------------------------------------------------------------

const TClassInfo& TErrParaInfo::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TErrParaInfo>(u"TErrParaInfo", &inherited::StaticClassInfo()).Build();
  return info;
}

std::unique_ptr<TErrParaInfo> TErrParaInfo::CreateErr(TRVStyle* RVStyle) {
  auto r = std::make_unique<TErrParaInfo>();
  r->FRVStyle = RVStyle;
  return r;
}

TParaInfos::TParaInfos(TCollectionItemClass ItemClass, TPersistent* AOwner) : TCustomRVInfos(ItemClass, AOwner) {}
TParaInfos::~TParaInfos() = default;

const TClassInfo& TParaInfos::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TParaInfos>(u"TParaInfos", &inherited::StaticClassInfo()).Build();
  return info;
}

TParaInfo* TParaInfos::Items(int Index) {
  if (Index < 0 || Index >= Count()) return GetInvalidItem();
  return static_cast<TParaInfo*>(GetItem(Index));
}

TParaInfo* TParaInfos::GetInvalidItem() {
  if (!FInvalidItem) {
    TRVStyle* sheet = dynamic_cast<TRVStyle*>(GetOwner());
    FInvalidItem = TErrParaInfo::CreateErr(sheet);
    if (Count() > 0) FInvalidItem->Assign(GetItem(0));
    auto units = [&](TRVStyleLength px) { return sheet ? sheet->PixelsToUnits(px) : px; };
    FInvalidItem->SetSpaceBefore(units(3));
    FInvalidItem->SetSpaceAfter(units(3));
    FInvalidItem->LeftIndent = units(3);
    FInvalidItem->RightIndent = units(3);
    TRVBorder* b = FInvalidItem->Border();
    b->Color = clRed;
    b->Style = rvbSingle;
    b->Width = units(2);
    b->BorderOffsets()->SetAll(units(1));
  }
  return FInvalidItem.get();
}

void TParaInfos::SetInvalidItem(TParaInfo* Value) {
  if (Value != FInvalidItem.get()) GetInvalidItem()->Assign(Value);
}

int TParaInfos::FindSuchStyle(int BaseStyle, TParaInfo* Style, const TRVParaInfoProperties& Mask) {
  return RVFindSuchStyle(*this, BaseStyle, Style, Mask, AllParaStyleProperties);
}

int TParaInfos::FindSuchStyleEx(int BaseStyle, TParaInfo* Style, const TRVParaInfoProperties& Mask) {
  return RVFindSuchStyleEx(*this, BaseStyle, Style, Mask, AllParaStyleProperties);
}

// ---- CSS, RTF and OOXML fragments ----------------------------------------------------------------

namespace {

TRVAnsiString IntStr(std::int64_t Value) { return std::to_string(Value); }

// Lengths may come from damaged files: sums and products are taken wide and kept in range.
TRVStyleLength ClampLength(std::int64_t Value) {
  return static_cast<TRVStyleLength>(std::clamp<std::int64_t>(Value, INT32_MIN, INT32_MAX));
}

// Percent spacing as the 240ths of a line that both RTF and OOXML use.
std::int64_t PercentToLine240(TRVLineSpacingValue LineSpacing) {
  return static_cast<std::int64_t>(LineSpacing) * 240 / 100;
}

bool BorderCounts(const TRVBorder* Border) { return Border->Style != rvbNone && Border->Color != clNone; }

// The CSS box of a paragraph: padding and border width as its CSS would set them.
struct TCSSBox {
  TRVStyleLength Left = 0, Top = 0, Right = 0, Bottom = 0;
  std::int64_t BorderWidth = 0;
  bool SamePadding(const TCSSBox& b) const {
    return Left == b.Left && Top == b.Top && Right == b.Right && Bottom == b.Bottom;
  }
};

TCSSBox CSSBoxOf(const TCustomRVParaInfo* P) {
  TCSSBox box;
  if (BorderCounts(P->Border())) {
    const TRVRect* o = P->Border()->BorderOffsets();
    box = {o->Left, o->Top, o->Right, o->Bottom, P->Border()->GetTotalWidth()};
  }
  // A background reaches at least its own offsets, so the padding grows to them.
  if (P->Background()->Color != clNone) {
    const TRVRect* o = P->Background()->BorderOffsets();
    box.Left = std::max(box.Left, o->Left);
    box.Top = std::max(box.Top, o->Top);
    box.Right = std::max(box.Right, o->Right);
    box.Bottom = std::max(box.Bottom, o->Bottom);
  }
  return box;
}

struct TCSSMargins {
  TRVStyleLength Left, Right, Top, Bottom;
  bool operator==(const TCSSMargins&) const = default;
};

TCSSMargins CSSMarginsOf(const TCustomRVParaInfo* P, const TCSSBox& Box) {
  auto nonNegative = [](std::int64_t v) { return v < 0 ? 0 : ClampLength(v); };
  const std::int64_t w = Box.BorderWidth;
  auto margin = [&](TRVStyleLength Length, TRVStyleLength Padding) {
    return nonNegative(static_cast<std::int64_t>(Length) - Padding - w);
  };
  return {margin(P->LeftIndent, Box.Left), margin(P->RightIndent, Box.Right), margin(P->GetSpaceBefore(), Box.Top),
          margin(P->GetSpaceAfter(), Box.Bottom)};
}

// Space before or after less what a visible border on that side takes of it.
TRVStyleLength SpaceLessBorder(const TRVBorder* Border, TRVStyleLength Space, bool SideVisible,
                               TRVStyleLength Offset) {
  std::int64_t r = Space;
  if (Border->Style != rvbNone && Border->Width > 0 && SideVisible)
    r -= static_cast<std::int64_t>(Border->GetTotalWidth()) + (Offset > 0 ? Offset : 0);
  return r < 0 ? 0 : ClampLength(r);
}

bool IsThickBorder(const TRVBorder* Border) {
  return Border->Style == rvbThickInside || Border->Style == rvbThickOutside;
}

TRVStyleLength BorderLineTwips(const TRVStyle* Sheet, const TRVBorder* Border) {
  return RVTwipsOf(Sheet, IsThickBorder(Border) ? ClampLength(2 * static_cast<std::int64_t>(Border->Width))
                                               : Border->Width);
}

const char* AlignmentCSS(TRVAlignment a) {
  static const char* const Words[] = {"left", "right", "center", "justify", "justify"};
  return Words[a];
}

const char* LeaderRTF(const UnicodeString& Leader) {
  if (Leader.empty()) return "";
  switch (Leader[0]) {
    case u'-': return "\\tlhyph";
    case u'=': return "\\tleq";
    case u'_': return "\\tlul";
    case u'\u00B7': return "\\tlmdot";
    default: return "\\tldot";
  }
}

const char* LeaderOOXML(const UnicodeString& Leader) {
  switch (Leader[0]) {
    case u'-': return "hyphen";
    case u'=': return "heavy";
    case u'_': return "underscore";
    case u'\u00B7': return "middleDot";
    default: return "dot";
  }
}

}  // namespace

void TCustomRVParaInfo::SaveCSSToStream(TStream* Stream, TCustomRVParaInfo* BaseStyle, bool Multiline,
                                        bool IgnoreLeftAlignment, bool IgnoreStartIndents, TRVBiDiMode MainBiDiMode) {
  TCustomRVParaInfo* base = BaseStyle;
  const TRVStyle* sheet = GetRVStyle();
  auto write = [&](const TRVAnsiString& s) { RVWriteAnsiX(Stream, s, Multiline); };
  auto size = [&](TRVStyleLength v) { return RVCSSSize(sheet, v); };

  if ((!base && !(IgnoreLeftAlignment && Alignment == rvaLeft)) || (base && base->Alignment != Alignment)) {
    write(TRVAnsiString(" text-align: ") + AlignmentCSS(Alignment) + ";");
    if (Alignment == rvaJustify && base) write(" text-justify: inter-word;");
    else if (Alignment == rvaDistribute) write(" text-justify: distribute;");
  }
  if ((Alignment == rvaJustify || Alignment == rvaDistribute) &&
      (!base || base->Alignment != Alignment || base->LastLineAlignment != LastLineAlignment)) {
    static const char* const LastWords[] = {"auto", "left", "right", "center", "justify"};
    write(TRVAnsiString(" text-align-last: ") + LastWords[LastLineAlignment] + ";");
  }
  if ((!base && BiDiMode != rvbdUnspecified) || (base && base->BiDiMode != BiDiMode))
    write(TRVAnsiString(" direction: ") +
          (BiDiMode == rvbdLeftToRight ? "ltr" : BiDiMode == rvbdRightToLeft ? "rtl" : "inherit") + ";");
  if (!IgnoreStartIndents && (!base || base->FirstIndent != FirstIndent))
    write(" text-indent: " + size(FirstIndent) + ";");
  const bool spacingDiffers = base && (base->LineSpacingType != LineSpacingType || base->LineSpacing != LineSpacing);
  switch (LineSpacingType) {
    case rvlsPercent:
      if ((!base && LineSpacing != 100) || spacingDiffers) {
        const int frac = std::abs(LineSpacing % 100);
        write(" line-height: " + IntStr(LineSpacing / 100) + "." + (frac < 10 ? "0" : "") + IntStr(frac) + ";");
      }
      break;
    case rvlsLineHeightAtLeast:
    case rvlsLineHeightExact:
      if (!base || spacingDiffers) write(" line-height: " + size(LineSpacing) + ";");
      break;
    case rvlsSpaceBetween: break;
  }
  auto optionPair = [&](TRVParaOption o, const char* on, const char* off) {
    if (Options.Contains(o)) write(on);
    else if (base && base->Options.Contains(o)) write(off);
  };
  optionPair(rvpaoNoWrap, " white-space: nowrap;", " white-space: normal;");
  optionPair(rvpaoKeepLinesTogether, " page-break-inside: avoid;", " page-break-inside: auto;");
  optionPair(rvpaoKeepWithNext, " page-break-after: avoid;", " page-break-after: auto;");
  if (Options.Contains(rvpaoWidowOrphanControl)) {
    write(" widows: 2;");
    write(" orphans: 2;");
  } else if (base && base->Options.Contains(rvpaoWidowOrphanControl)) {
    write(" widows: 1;");
    write(" orphans: 1;");
  }

  const TRVBorder* border = Border();
  if (BorderCounts(border)) {
    write(" border-color: " + GetHTMLColorStr(border->Color, false) + ";");
    write(TRVAnsiString(" border-style: ") + (border->Style == rvbSingle ? "solid" : "double") + ";");
    write(" border-width: " + size(border->GetTotalWidth()) + ";");
    const TRVBooleanRect* vis = border->VisibleBorders();
    if (!vis->Top) write(" border-top: none;");
    if (!vis->Right) write(" border-right: none;");
    if (!vis->Bottom) write(" border-bottom: none;");
    if (!vis->Left) write(" border-left: none;");
  } else if (base && BorderCounts(base->Border())) {
    write(" border: none;");
  }
  const TColor back = Background()->Color;
  if ((!base && back != clNone) || (base && base->Background()->Color != back))
    write(" background: " + GetCSSColorStr(back) + ";");
  if (back != clNone && ((!base && Background()->Opacity != 100000) ||
                         (base && base->Background()->Opacity != Background()->Opacity)))
    write(" background-color: " + GetCSSColorWithOpacity(back, Background()->Opacity) + ";");
  const TCSSBox box = CSSBoxOf(this);
  // The base's box is taken as the base's own CSS sets it, its background included, so that what
  // is left out here really is inherited.
  const TCSSBox baseBox = base ? CSSBoxOf(base) : TCSSBox();
  if (!base || !baseBox.SamePadding(box))
    write(" padding: " + size(box.Top) + " " + size(box.Right) + " " + size(box.Bottom) + " " + size(box.Left) + ";");
  const TCSSMargins m = CSSMarginsOf(this, box);
  if (base && CSSMarginsOf(base, baseBox) == m) return;
  if (IgnoreStartIndents) {
    const TRVBiDiMode mode = BiDiMode != rvbdUnspecified ? BiDiMode : MainBiDiMode;
    if (mode == rvbdRightToLeft) {
      write(" margin-left: " + size(m.Left) + ";");
      write(" margin-top: " + size(m.Top) + ";");
      write(" margin-bottom: " + size(m.Bottom) + ";");
    } else {
      write(" margin-top: " + size(m.Top) + ";");
      write(" margin-right: " + size(m.Right) + ";");
      write(" margin-bottom: " + size(m.Bottom) + ";");
    }
  } else {
    write(" margin: " + size(m.Top) + " " + size(m.Right) + " " + size(m.Bottom) + " " + size(m.Left) + ";");
  }
}

void TCustomRVParaInfo::SaveRTFToStream(TStream* Stream, TCustomRVRTFTables* RTFTables,
                                        TRVStyleLength MinAllowedTabPos, const TRVAnsiString& FILIText,
                                        TRVStyle* RVStyle) {
  const TRVStyle* sheet = RVStyle ? RVStyle : GetRVStyle();
  auto twips = [&](TRVStyleLength v) { return IntStr(RVTwipsOf(sheet, v)); };
  // Without a table entry there is no index to refer to.
  TRVAnsiString s;
  if (BiDiMode == rvbdLeftToRight) s += "\\ltrpar";
  else if (BiDiMode == rvbdRightToLeft) s += "\\rtlpar";
  switch (LineSpacingType) {
    case rvlsPercent:
      if (LineSpacing != 100) s += "\\sl" + IntStr(PercentToLine240(LineSpacing)) + "\\slmult1";
      break;
    case rvlsLineHeightAtLeast: s += "\\sl" + twips(LineSpacing) + "\\slmult0"; break;
    case rvlsLineHeightExact: s += "\\sl" + IntStr(-static_cast<std::int64_t>(RVTwipsOf(sheet, LineSpacing))) + "\\slmult0"; break;
    case rvlsSpaceBetween: break;
  }
  if (Options.Contains(rvpaoKeepLinesTogether)) s += "\\keep";
  if (Options.Contains(rvpaoKeepWithNext)) s += "\\keepn";
  if (Options.Contains(rvpaoWidowOrphanControl)) s += "\\widctlpar";
  if (!FILIText.empty()) s += FILIText;
  else s += "\\fi" + twips(FirstIndent) + "\\li" + twips(LeftIndent);
  for (int i = 0; i < Tabs()->Count(); ++i) {
    const TRVTabInfo* tab = Tabs()->Items(i);
    if (tab->GetPosition() <= MinAllowedTabPos) continue;
    if (tab->Align == rvtaRight) s += "\\tqr";
    else if (tab->Align == rvtaCenter) s += "\\tqc";
    s += LeaderRTF(tab->Leader);
    s += "\\tx" + twips(tab->GetPosition());
  }
  static const char* const AlignLetters[] = {"l", "r", "c", "j", "d"};
  s += TRVAnsiString("\\q") + AlignLetters[Alignment] + "\\ri" + twips(RightIndent);
  if (IsHeading(9)) s += "\\outlinelevel" + IntStr(OutlineLevel - 1);
  if (Background()->Color != clNone) RTFAppendColorKeyword(s, "\\cbpat", RTFTables, Background()->Color);
  const TRVBorder* border = Border();
  if (BorderCounts(border)) {
    TRVAnsiString word, second;
    switch (border->Style) {
      case rvbSingle: word = "\\brdrs"; break;
      case rvbDouble: word = "\\brdrdb"; break;
      case rvbTriple: word = "\\brdrtriple"; break;
      case rvbThickInside: word = "\\brdrthtnmg"; second = "\\brdrtnthmg"; break;
      default: word = "\\brdrtnthmg"; second = "\\brdrthtnmg"; break;
    }
    if (second.empty()) second = word;
    TRVAnsiString tail;
    RTFAppendColorKeyword(tail, "\\brdrcf", RTFTables, border->Color);
    tail += "\\brdrw" + IntStr(BorderLineTwips(sheet, border));
    word += tail;
    second += tail;
    const TRVBooleanRect* vis = border->VisibleBorders();
    const TRVRect* off = const_cast<TRVBorder*>(border)->BorderOffsets();
    auto space = [&](TRVStyleLength v) { return IntStr(std::max(RVTwipsOf(sheet, v), 0)); };
    s += "\\brdrbtw";
    if (vis->Left) s += "\\brdrl\\brsp" + space(off->Left) + word;
    if (vis->Top) s += "\\brdrt\\brsp" + space(off->Top) + word;
    if (vis->Right) s += "\\brdrr\\brsp" + space(off->Right) + second;
    if (vis->Bottom) s += "\\brdrb\\brsp" + space(off->Bottom) + second;
  }
  const TRVRect* off = Border()->BorderOffsets();
  s += "\\sb" + twips(SpaceLessBorder(border, GetSpaceBefore(), border->VisibleBorders()->Top, off->Top)) +
       "\\sa" + twips(SpaceLessBorder(border, GetSpaceAfter(), border->VisibleBorders()->Bottom, off->Bottom));
  Stream->WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

TRVAnsiString TCustomRVParaInfo::GetOOXMLStr(TRVStyle* RVStyle, TRVStyleLength MinAllowedTabPos,
                                             TRVTabInfos* ParentTabs, const TRVParaInfoProperties& Properties) {
  const TRVStyle* sheet = RVStyle ? RVStyle : GetRVStyle();
  auto has = [&](TRVParaInfoProperty p) { return Properties.Contains(p); };
  auto twips = [&](TRVStyleLength v) { return IntStr(RVTwipsOf(sheet, v)); };
  auto attr = [](const char* name, const TRVAnsiString& value) {
    return TRVAnsiString(" ") + name + "=\"" + value + "\"";
  };
  TRVAnsiString r;
  if (has(rvpiAlignment)) {
    static const char* const Values[] = {"left", "right", "center", "both", "distribute"};
    OOXMLValElement("jc", Values[Alignment], r);
  }
  if (has(rvpiOutlineLevel) && IsHeading(9)) OOXMLIntValElement("outlineLvl", OutlineLevel - 1, r);
  if (has(rvpiKeepLinesTogether)) OOXMLBoolElement("keepLines", Options.Contains(rvpaoKeepLinesTogether), r);
  if (has(rvpiKeepWithNext)) OOXMLBoolElement("keepNext", Options.Contains(rvpaoKeepWithNext), r);
  if (has(rvpiWidowOrphanControl))
    OOXMLBoolElement("widowControl", Options.Contains(rvpaoWidowOrphanControl), r);
  if (has(rvpiNoWrap)) OOXMLBoolElement("wordWrap", !Options.Contains(rvpaoNoWrap), r);
  if (has(rvpiFirstIndent) || has(rvpiLeftIndent) || has(rvpiRightIndent)) {
    r += "<w:ind";
    if (has(rvpiLeftIndent)) r += attr("w:left", twips(LeftIndent));
    if (has(rvpiRightIndent)) r += attr("w:right", twips(RightIndent));
    if (has(rvpiFirstIndent))
      r += FirstIndent < 0 ? attr("w:hanging", IntStr(-static_cast<std::int64_t>(RVTwipsOf(sheet, FirstIndent)))) : attr("w:firstLine", twips(FirstIndent));
    r += "/>";
  }
  if (has(rvpiBiDiMode)) OOXMLBoolElement("bidi", BiDiMode == rvbdRightToLeft, r);
  const TRVBorder* border = Border();
  const TRVRect* offsets = Border()->BorderOffsets();
  const TRVBooleanRect* visible = border->VisibleBorders();
  const bool lineSpacing = has(rvpiLineSpacing) || has(rvpiLineSpacingType);
  if (has(rvpiSpaceBefore) || has(rvpiSpaceAfter) || lineSpacing) {
    r += "<w:spacing";
    if (has(rvpiSpaceBefore))
      r += attr("w:before", twips(SpaceLessBorder(border, GetSpaceBefore(), visible->Top, offsets->Top)));
    if (has(rvpiSpaceAfter))
      r += attr("w:after", twips(SpaceLessBorder(border, GetSpaceAfter(), visible->Bottom, offsets->Bottom)));
    if (lineSpacing) {
      switch (LineSpacingType) {
        case rvlsPercent: r += attr("w:lineRule", "auto") + attr("w:line", IntStr(PercentToLine240(LineSpacing))); break;
        case rvlsLineHeightAtLeast: r += attr("w:lineRule", "atLeast") + attr("w:line", twips(LineSpacing)); break;
        case rvlsLineHeightExact: r += attr("w:lineRule", "exact") + attr("w:line", twips(LineSpacing)); break;
        case rvlsSpaceBetween: break;
      }
    }
    r += "/>";
  }
  if (has(rvpiBackground_Color))
    r += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + GetOOXMLColorStr(Background()->Color, true) + "\"/>";

  // Sides in the order the element wants them: top, left, bottom, right.
  struct Side { const char* Name; bool Visible; TRVStyleLength Offset; TRVParaInfoProperty Prop; bool Near; };
  const Side sides[] = {{"top", visible->Top, offsets->Top, rvpiBorder_BO_Top, true},
                        {"left", visible->Left, offsets->Left, rvpiBorder_BO_Left, true},
                        {"bottom", visible->Bottom, offsets->Bottom, rvpiBorder_BO_Bottom, false},
                        {"right", visible->Right, offsets->Right, rvpiBorder_BO_Right, false}};
  const bool anyBorderProp = has(rvpiBorder_Style) || has(rvpiBorder_Width) || has(rvpiBorder_Color);
  TRVAnsiString bdr;
  for (const Side& side : sides) {
    if (!anyBorderProp && !has(side.Prop)) continue;
    const char* val;
    if (!side.Visible || border->Style == rvbNone) val = "none";
    else switch (border->Style) {
        case rvbSingle: val = "single"; break;
        case rvbDouble: val = "double"; break;
        case rvbTriple: val = "triple"; break;
        case rvbThickInside: val = side.Near ? "thickThinMediumGap" : "thinThickMediumGap"; break;
        default: val = side.Near ? "thinThickMediumGap" : "thickThinMediumGap"; break;
      }
    bdr += TRVAnsiString("<w:") + side.Name + attr("w:val", val);
    if (has(rvpiBorder_Width))
      bdr += attr("w:sz", IntStr(static_cast<int>(Round(static_cast<long double>(BorderLineTwips(sheet, border)) * 8 / 20))));
    if (has(side.Prop)) bdr += attr("w:space", IntStr(std::max(RVTwipsOf(sheet, side.Offset) / 20, 0)));
    if (has(rvpiBorder_Color)) bdr += attr("w:color", GetOOXMLColorStr(border->Color, true));
    bdr += "/>";
  }
  if (!bdr.empty()) r += "<w:pBdr>" + bdr + "</w:pBdr>";

  if (has(rvpiTabs)) {
    TRVTabInfos merged;
    const TRVTabInfos* stops = Tabs();
    if (ParentTabs) {
      merged.Assign(ParentTabs);
      merged.AddFrom(Tabs());
      merged.SortTabs();
      stops = &merged;
    }
    TRVAnsiString tabs;
    for (int i = 0; i < stops->Count(); ++i) {
      const TRVTabInfo* tab = stops->Items(i);
      const TRVStyleLength pos = tab->GetPosition();
      if (pos <= MinAllowedTabPos || (ParentTabs && Tabs()->Find(pos) < 0)) {
        tabs += "<w:tab" + attr("w:val", "clear") + attr("w:pos", twips(pos)) + "/>";
        continue;
      }
      static const char* const Aligns[] = {"left", "right", "center"};
      tabs += "<w:tab" + attr("w:val", Aligns[tab->Align]) + attr("w:pos", twips(pos));
      if (!tab->Leader.empty()) tabs += attr("w:leader", LeaderOOXML(tab->Leader));
      tabs += "/>";
    }
    if (!tabs.empty()) r += "<w:tabs>" + tabs + "</w:tabs>";
  }
  return r;
}
