#include "engine/styles/ListInfo.h"

#include <algorithm>
#include <random>

#include "engine/styles/RVStyle.h"
#include "platform/base/ComponentStream.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVUni.h"

namespace {

constexpr int MaxIniLevelCount = 1000;

const UnicodeString DefaultFormatString(1, u'\u00B7');

struct TColorName {
  TColor Color;
  const char16_t* Name;
};
const TColorName ColorNames[] = {
    {clBlack, u"clBlack"}, {clMaroon, u"clMaroon"}, {clGreen, u"clGreen"}, {clOlive, u"clOlive"},
    {clNavy, u"clNavy"}, {clPurple, u"clPurple"}, {clTeal, u"clTeal"}, {clGray, u"clGray"},
    {clSilver, u"clSilver"}, {clRed, u"clRed"}, {clLime, u"clLime"}, {clYellow, u"clYellow"},
    {clBlue, u"clBlue"}, {clFuchsia, u"clFuchsia"}, {clAqua, u"clAqua"}, {clWhite, u"clWhite"},
    {clScrollBar, u"clScrollBar"}, {clBackground, u"clBackground"}, {clActiveCaption, u"clActiveCaption"},
    {clInactiveCaption, u"clInactiveCaption"}, {clMenu, u"clMenu"}, {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"}, {clMenuText, u"clMenuText"}, {clWindowText, u"clWindowText"},
    {clCaptionText, u"clCaptionText"}, {clActiveBorder, u"clActiveBorder"},
    {clInactiveBorder, u"clInactiveBorder"}, {clAppWorkSpace, u"clAppWorkSpace"},
    {clHighlight, u"clHighlight"}, {clHighlightText, u"clHighlightText"}, {clBtnFace, u"clBtnFace"},
    {clBtnShadow, u"clBtnShadow"}, {clGrayText, u"clGrayText"}, {clBtnText, u"clBtnText"},
    {clInactiveCaptionText, u"clInactiveCaptionText"}, {clBtnHighlight, u"clBtnHighlight"},
    {cl3DDkShadow, u"cl3DDkShadow"}, {cl3DLight, u"cl3DLight"}, {clInfoText, u"clInfoText"},
    {clInfoBk, u"clInfoBk"}, {clNone, u"clNone"}, {clDefault, u"clDefault"}};

UnicodeString ColorToText(TColor c) {
  for (const auto& n : ColorNames)
    if (n.Color == c) return n.Name;
  return u"$" + IntToHex(static_cast<std::uint32_t>(c), 8);
}

bool TextToColor(const UnicodeString& s, TColor& c) {
  for (const auto& n : ColorNames)
    if (SameTextAscii(s, n.Name)) {
      c = n.Color;
      return true;
    }
  std::int64_t v = 0;
  if (!TryStrToInt64(s, v)) return false;
  c = static_cast<TColor>(static_cast<std::uint32_t>(v));
  return true;
}

int DrawListID() {
  static std::mt19937 gen{std::random_device{}()};
  std::uniform_int_distribution<int> dist(0, 2147483646);
  int v = 0;
  while (v == 0) v = dist(gen);
  return v;
}

}  // namespace

// ---- TRVMarkerFont -------------------------------------------------------------------------------

const TClassInfo& TRVMarkerFont::StaticClassInfo() {
  using T = TRVMarkerFont;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVMarkerFont", &inherited::StaticClassInfo())
          .Integer(u"Charset", [](T& f) { return int(f.Charset); }, [](T& f, int v) { f.Charset = TFontCharset(v); }, 1)
          .Integer(u"Color", [](T& f) { return f.Color; }, [](T& f, TColor v) { f.Color = v; }, clWindowText)
          .String(u"Name", [](T& f) { return f.Name; }, [](T& f, const UnicodeString& v) { f.Name = v; })
          .StoredIf([](T& f) { return f.Name != u"Arial"; })
          .Set(u"Style", [](T& f) { return f.Style; }, [](T& f, TFontStyles v) { f.Style = v; },
               RVFontStyleValueNames(), TFontStyles{})
          .Integer(u"Height", [](T& f) { return f.GetHeight(); }, [](T& f, int v) { f.SetHeight(v); })
          .StoredIf([](T& f) { return f.GetHeight() >= 0; })
          .Integer(u"Size", [](T& f) { return f.GetSize(); }, [](T& f, int v) { f.SetSize(v); })
          .StoredIf([](T& f) { return f.GetSize() >= 1 && f.GetSize() != 8; })
          .Build();
  return info;
}

int TRVMarkerFont::GetSize() const { return -MulDiv(FHeight, 72, GetScreenPixelsPerInch()); }
void TRVMarkerFont::SetSize(int Value) { FHeight = -MulDiv(Value, GetScreenPixelsPerInch(), 72); }

void TRVMarkerFont::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVMarkerFont*>(Source)) {
    Name = s->Name;
    Style = s->Style;
    Color = s->Color;
    Charset = s->Charset;
    Pitch = s->Pitch;
    FHeight = s->FHeight;
    return;
  }
  TPersistent::Assign(Source);
}

bool TRVMarkerFont::IsEqual(const TRVMarkerFont* Font) const {
  return FHeight == Font->FHeight && Style == Font->Style && Color == Font->Color &&
         Charset == Font->Charset && RVStyleSameText(Name, Font->Name);
}

bool TRVMarkerFont::IsDefault() const {
  return GetSize() == 8 && Color == clWindowText && Charset == DEFAULT_CHARSET && Style.Empty() &&
         RVStyleSameText(Name, u"Arial");
}

void TRVMarkerFont::AssignTo(TFont& Dest) const {
  Dest.SetName(Name);
  Dest.SetPixelsPerInch(GetScreenPixelsPerInch());
  Dest.SetHeight(FHeight);
  Dest.SetStyle(Style);
  Dest.SetColor(Color);
  Dest.SetCharset(Charset);
  Dest.SetPitch(Pitch);
}

UnicodeString TRVMarkerFont::ToText() const {
  UnicodeString styles;
  if (Style.Contains(fsBold)) styles += u'B';
  if (Style.Contains(fsItalic)) styles += u'I';
  if (Style.Contains(fsUnderline)) styles += u'U';
  if (Style.Contains(fsStrikeOut)) styles += u'S';
  return Name + u"," + IntToStr(FHeight) + u"," + styles + u"," + IntToStr(Pitch) + u"," + ColorToText(Color) +
         u"," + IntToStr(Charset);
}

void TRVMarkerFont::FromText(const UnicodeString& Text) {
  std::vector<UnicodeString> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = Text.find(u',', start);
    fields.push_back(Text.substr(start, comma == UnicodeString::npos ? UnicodeString::npos : comma - start));
    if (comma == UnicodeString::npos) break;
    start = comma + 1;
  }
  int v = 0;
  if (fields.size() > 0) Name = fields[0];
  if (fields.size() > 1 && TryStrToInt(Trim(fields[1]), v)) FHeight = v;
  if (fields.size() > 2) {
    Style.Clear();
    for (char16_t c : fields[2]) {
      switch (c) {
        case u'B': case u'b': Style.Include(fsBold); break;
        case u'I': case u'i': Style.Include(fsItalic); break;
        case u'U': case u'u': Style.Include(fsUnderline); break;
        case u'S': case u's': Style.Include(fsStrikeOut); break;
        default: break;
      }
    }
  }
  if (fields.size() > 3 && TryStrToInt(Trim(fields[3]), v)) Pitch = RVOrdinalOr(v, 3, fpDefault);
  TColor c = 0;
  if (fields.size() > 4 && TextToColor(Trim(fields[4]), c)) Color = c;
  if (fields.size() > 5 && TryStrToInt(Trim(fields[5]), v)) Charset = static_cast<TFontCharset>(v);
}

// ---- TRVListLevel --------------------------------------------------------------------------------

// ---- pictures --------------------------------------------------------------------------------

namespace {

std::string GraphicBytes(TGraphic* g) {
  TMemoryStream ms;
  g->SaveToStream(ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

}  // namespace

const TClassInfo& TRVListLevelPictureData::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVListLevelPictureData>(u"TRVListLevelPictureData", &inherited::StaticClassInfo()).Build();
  return info;
}

void TRVListLevelPictureData::DefineProperties(TFiler& Filer) {
  TPersistent::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      u"Data",
      [this](TStream& s) {
        std::unique_ptr<TGraphic> g = RVReadPictureData(s);
        if (!g) {
          FLevel->SetPicture(nullptr);
          return;
        }
        g->SetTransparent(true);
        FLevel->GetPicture()->TakeGraphic(std::move(g));
      },
      [this](TStream& s) { RVWritePictureData(s, FLevel->GetPicture()->GetGraphic()); },
      FLevel && FLevel->HasPicture());
}

TRVListLevel::TRVListLevel(TCollection* ACollection) : TCollectionItem(ACollection) {}

TRVListLevel::~TRVListLevel() = default;

TRVListInfos* TRVListLevel::GetListInfos() const {
  TCollection* levels = GetCollection();
  auto* list = levels ? dynamic_cast<TRVListInfo*>(levels->GetOwner()) : nullptr;
  return list ? dynamic_cast<TRVListInfos*>(list->GetCollection()) : nullptr;
}

TPicture* TRVListLevel::GetPicture() {
  if (!FPicture) FPicture = std::make_unique<TPicture>();
  return FPicture.get();
}

void TRVListLevel::SetPicture(const TPicture* Value) {
  if (!Value || !Value->GetGraphic() || Value->GetGraphic()->GetEmpty()) {
    FPicture.reset();
    return;
  }
  if (Value == FPicture.get()) return;
  GetPicture()->SetGraphic(Value->GetGraphic());
  FPicture->GetGraphic()->SetTransparent(true);
}

bool TRVListLevel::PicturesEqual(const TRVListLevel* Value) const {
  const bool a = HasPicture(), b = Value->HasPicture();
  if (!a && !b) return true;
  if (a != b) return false;
  TGraphic* g1 = FPicture->GetGraphic();
  TGraphic* g2 = Value->FPicture->GetGraphic();
  return g1->ClassType() == g2->ClassType() && g1->GetWidth() == g2->GetWidth() &&
         g1->GetHeight() == g2->GetHeight() && GraphicBytes(g1) == GraphicBytes(g2);
}

const TClassInfo& TRVListLevel::StaticClassInfo() {
  using T = TRVListLevel;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVListLevel", &inherited::StaticClassInfo())
          .Enum(u"ListType", [](T& l) { return l.ListType; }, [](T& l, TRVListType v) { l.ListType = v; },
                RVValueNames({u"rvlstBullet", u"rvlstPicture", u"rvlstImageList", u"rvlstDecimal", u"rvlstLowerAlpha",
                       u"rvlstUpperAlpha", u"rvlstLowerRoman", u"rvlstUpperRoman", u"rvlstImageListCounter",
                       u"rvlstUnicodeBullet"}),
                rvlstBullet)
          .Integer(u"StartFrom", [](T& l) { return l.StartFrom; }, [](T& l, int v) { l.StartFrom = v; }, 1)
          .Integer(u"ImageIndex", [](T& l) { return l.ImageIndex; }, [](T& l, int v) { l.ImageIndex = v; }, 0)
          .Integer(u"LeftIndent", [](T& l) { return l.LeftIndent; }, [](T& l, int v) { l.LeftIndent = v; }, 0)
          .Integer(u"FirstIndent", [](T& l) { return l.FirstIndent; }, [](T& l, int v) { l.FirstIndent = v; }, 10)
          .Integer(u"MarkerIndent", [](T& l) { return l.MarkerIndent; }, [](T& l, int v) { l.MarkerIndent = v; }, 0)
          .Enum(u"MarkerAlignment", [](T& l) { return l.MarkerAlignment; },
                [](T& l, TRVMarkerAlignment v) { l.MarkerAlignment = v; },
                RVValueNames({u"rvmaLeft", u"rvmaRight", u"rvmaCenter"}), rvmaLeft)
          .Object(u"Picture", [](T& l) -> TPersistent* { return &l.FPictureData; })
          .StoredIf([](T& l) { return l.HasPicture(); })
          .Object(u"Font", [](T& l) -> TPersistent* { return l.GetFont(); })
          .StoredIf([](T& l) { return l.HasFont(); })
          .Set(u"Options", [](T& l) { return l.Options; }, [](T& l, TRVListLevelOptions v) { l.Options = v; },
               RVValueNames({u"rvloContinuous", u"rvloLevelReset", u"rvloLegalStyleNumbering"}),
               TRVListLevelOptions{rvloContinuous, rvloLevelReset})
          .Build();
  return info;
}

void TRVListLevel::DefineProperties(TFiler& Filer) {
  TCollectionItem::DefineProperties(Filer);
  TRVListInfos* lists = GetListInfos();
  IRVListStylesDocument* doc = lists ? lists->FRVData : nullptr;
  Filer.DefineProperty(
      u"ILTag",
      [this, doc](TReader& r) {
        const int tag = r.ReadInteger();
        ImageList = doc ? doc->GetImageListByTag(tag) : nullptr;
      },
      [this](TWriter& w) { w.WriteInteger(std::int32_t(ImageList->Tag)); }, doc && ImageList);
  auto readHexW = [](TReader& r, UnicodeString& target) {
    UnicodeString s;
    if (HexToUnicode(r.ReadAnsiString(), s)) target = s;
  };
  Filer.DefineProperty(
      u"FormatStringWCode", [this, readHexW](TReader& r) { readHexW(r, FormatStringW); },
      [this](TWriter& w) { w.WriteAnsiString(UnicodeToHexAnsi(FormatStringW)); },
      !FormatStringW.empty());
  Filer.DefineProperty(
      u"FormatStringCode",
      [this](TReader& r) {
        FormatString = AnsiToUnicodeCP(0, HexToAnsi(r.ReadAnsiString()));
      },
      nullptr, false);
  Filer.DefineProperty(
      u"FormatStringCodeW", [this, readHexW](TReader& r) { readHexW(r, FormatString); },
      [this](TWriter& w) { w.WriteAnsiString(UnicodeToHexAnsi(FormatString)); },
      FormatString != DefaultFormatString);
}

TRVMarkerFont* TRVListLevel::GetFont() {
  if (!FFont) FFont = std::make_unique<TRVMarkerFont>();
  return FFont.get();
}

void TRVListLevel::SetFont(TRVMarkerFont* Value) {
  if (!Value)
    FFont.reset();
  else
    GetFont()->Assign(Value);
}

void TRVListLevel::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVListLevel*>(Source)) {
    ListType = s->ListType;
    ImageList = s->ImageList;
    ImageIndex = s->ImageIndex;
    FormatString = s->FormatString;
    FormatStringW = s->FormatStringW;
    LeftIndent = s->LeftIndent;
    FirstIndent = s->FirstIndent;
    MarkerIndent = s->MarkerIndent;
    MarkerAlignment = s->MarkerAlignment;
    SetFont(s->FFont.get());
    SetPicture(s->FPicture.get());
    Options = s->Options;
    StartFrom = s->StartFrom;
    return;
  }
  TCollectionItem::Assign(Source);
}

UnicodeString TRVListLevel::GetDisplayName() const {
  static const char16_t* const names[] = {u"bullet", u"pic", u"image-list", u"1,2,3", u"a,b,c",
                                          u"A,B,C", u"i,ii,iii", u"I,II,III", u"image-list counter",
                                          u"unicode bullet"};
  return Format(u"%s %d/%d/%d", {UnicodeString(names[ListType <= rvlstUnicodeBullet ? ListType : 0]),
                                 LeftIndent, MarkerIndent, FirstIndent});
}

bool TRVListLevel::FontsEqual(const TRVListLevel* Value) const {
  const bool a = !FFont || FFont->IsDefault();
  const bool b = !Value->FFont || Value->FFont->IsDefault();
  if (a && b) return true;
  return FFont && Value->FFont && FFont->IsEqual(Value->FFont.get());
}

bool TRVListLevel::IsEqual(const TRVListLevel* Value) const {
  return ListType == Value->ListType && (!HasNumbering() || StartFrom == Value->StartFrom) &&
         ImageList == Value->ImageList && ImageIndex == Value->ImageIndex && FormatString == Value->FormatString &&
         FormatStringW == Value->FormatStringW && LeftIndent == Value->LeftIndent &&
         FirstIndent == Value->FirstIndent && MarkerIndent == Value->MarkerIndent &&
         MarkerAlignment == Value->MarkerAlignment && FontsEqual(Value) && Options == Value->Options &&
         PicturesEqual(Value);
}

int TRVListLevel::SimilarityValue(const TRVListLevel* V) const {
  int r = ListType == V->ListType ? 5000 : 0;
  const bool same[] = {StartFrom == V->StartFrom,
                       ImageList == V->ImageList,
                       ImageIndex == V->ImageIndex,
                       FormatString == V->FormatString,
                       FormatStringW == V->FormatStringW,
                       LeftIndent == V->LeftIndent,
                       FirstIndent == V->FirstIndent,
                       MarkerIndent == V->MarkerIndent,
                       MarkerAlignment == V->MarkerAlignment,
                       Options == V->Options,
                       FontsEqual(V),
                       PicturesEqual(V)};
  for (bool s : same)
    if (s) r += 100;
  return r;
}

void TRVListLevel::ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle) {
  LeftIndent = RVConvertStyleLength(RVStyle, LeftIndent, NewUnits);
  FirstIndent = RVConvertStyleLength(RVStyle, FirstIndent, NewUnits);
  MarkerIndent = RVConvertStyleLength(RVStyle, MarkerIndent, NewUnits);
}

void TRVListLevel::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  IniWriteInteger(ini, Section, key(u"ListType"), 0, ListType);
  IniWriteInteger(ini, Section, key(u"ImageIndex"), 0, ImageIndex);
  IniWriteString(ini, Section, key(u"FormatString"), UnicodeString(), FormatString);
  IniWriteInteger(ini, Section, key(u"LeftIndent"), 0, LeftIndent);
  IniWriteInteger(ini, Section, key(u"FirstIndent"), 10, FirstIndent);
  IniWriteInteger(ini, Section, key(u"MarkerIndent"), 0, MarkerIndent);
  IniWriteInteger(ini, Section, key(u"MarkerAlignment"), 0, MarkerAlignment);
  if (HasPicture()) {
    TGraphic* g = FPicture->GetGraphic();
    ini->WriteString(Section, key(u"GraphicClass"), g->ClassName());
    IniWriteLongString(ini, Section, key(u"Picture"), AsciiToUnicode(AnsiToHex(GraphicBytes(g))));
  }
  if (FFont) ini->WriteString(Section, key(u"Font"), FFont->ToText());
  IniWriteBool(ini, Section, key(u"Continuous"), true, Options.Contains(rvloContinuous));
  IniWriteBool(ini, Section, key(u"LevelReset"), true, Options.Contains(rvloLevelReset));
  // The first number and the legal-style option are what a numbered level is: without them a
  // list read back would restart at 1 and number in its own style.
  IniWriteInteger(ini, Section, key(u"StartFrom"), 1, StartFrom);
  IniWriteBool(ini, Section, key(u"LegalStyleNumbering"), false, Options.Contains(rvloLegalStyleNumbering));
  if (!FormatStringW.empty()) {
    std::string bytes;
    for (char16_t c : FormatStringW) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    ini->WriteString(Section, key(u"FormatStringW"), AsciiToUnicode(AnsiToHex(bytes)));
  }
}

void TRVListLevel::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  ListType = RVOrdinalOr(ini->ReadInteger(Section, key(u"ListType"), 0), 10, rvlstBullet);
  ImageIndex = ini->ReadInteger(Section, key(u"ImageIndex"), 0);
  IniReadString(ini, Section, key(u"FormatString"), FormatString, UnicodeString());
  LeftIndent = ini->ReadInteger(Section, key(u"LeftIndent"), 0);
  FirstIndent = ini->ReadInteger(Section, key(u"FirstIndent"), 10);
  MarkerIndent = ini->ReadInteger(Section, key(u"MarkerIndent"), 0);
  MarkerAlignment = RVOrdinalOr(ini->ReadInteger(Section, key(u"MarkerAlignment"), 0), 3, rvmaLeft);
  const UnicodeString graphicClass = ini->ReadString(Section, key(u"GraphicClass"), UnicodeString());
  std::unique_ptr<TGraphic> g;
  if (!graphicClass.empty())
    g = RVLoadGraphic(graphicClass, HexToAnsi(UnicodeToUtf8(IniReadLongString(ini, Section, key(u"Picture")))));
  if (g) {
    g->SetTransparent(true);
    GetPicture()->TakeGraphic(std::move(g));
  } else {
    FPicture.reset();
  }
  if (ini->ValueExists(Section, key(u"Font")))
    GetFont()->FromText(ini->ReadString(Section, key(u"Font"), UnicodeString()));
  else
    FFont.reset();
  Options.Clear();
  if (IniReadBool(ini, Section, key(u"Continuous"), true)) Options.Include(rvloContinuous);
  if (IniReadBool(ini, Section, key(u"LevelReset"), true)) Options.Include(rvloLevelReset);
  if (IniReadBool(ini, Section, key(u"LegalStyleNumbering"), false)) Options.Include(rvloLegalStyleNumbering);
  StartFrom = ini->ReadInteger(Section, key(u"StartFrom"), 1);
  const UnicodeString hex = ini->ReadString(Section, key(u"FormatStringW"), UnicodeString());
  const std::string bytes = HexToAnsi(UnicodeToUtf8(hex));
  if (bytes.size() % 2) throw EViroZereError(std::string_view("Can't perform Unicode operation"));
  FormatStringW.clear();
  for (std::size_t i = 0; i < bytes.size(); i += 2)
    FormatStringW += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
}

// ---- TRVListLevelCollection ----------------------------------------------------------------------

TRVListLevelCollection::TRVListLevelCollection(TPersistent* AOwner)
    : TCollection(&NewCollectionItem<TRVListLevel>), FOwner(AOwner) {}

const TClassInfo& TRVListLevelCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVListLevelCollection>(u"TRVListLevelCollection", &inherited::StaticClassInfo()).Build();
  return info;
}

bool TRVListLevelCollection::IsSimpleEqual(const TRVListLevelCollection* Value) const {
  if (Count() != Value->Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->IsEqual(Value->Items(i))) return false;
  return true;
}

void TRVListLevelCollection::ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle) {
  for (int i = 0; i < Count(); ++i) Items(i)->ConvertToDifferentUnits(NewUnits, RVStyle);
}

// ---- TRVListInfo ---------------------------------------------------------------------------------

TRVListInfo::TRVListInfo(TCollection* ACollection)
    : TCustomRVInfo(ACollection), FLevels(std::make_unique<TRVListLevelCollection>(this)) {
  InitStyleName();
}

TRVListInfo::~TRVListInfo() = default;

const TClassInfo& TRVListInfo::StaticClassInfo() {
  using T = TRVListInfo;
  // The list's own properties come before the inherited name, base style and standard flag.
  static const TClassInfo info = [] {
    TClassInfo i = TClassInfoBuilder<T>(u"TRVListInfo", &TCollectionItem::StaticClassInfo())
                       .Object(u"Levels", [](T& l) -> TPersistent* { return l.Levels(); })
                       .Boolean(u"OneLevelPreview", [](T& l) { return l.OneLevelPreview; },
                                [](T& l, bool v) { l.OneLevelPreview = v; }, false)
                       .Build();
    const auto& base = inherited::StaticClassInfo().Properties;
    i.Properties.insert(i.Properties.end(), base.begin(), base.end());
    return i;
  }();
  return info;
}

void TRVListInfo::DefineProperties(TFiler& Filer) {
  TCustomRVInfo::DefineProperties(Filer);
  Filer.DefineProperty(
      u"LstID", [this](TReader& r) { FListID = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(std::int32_t(GetListID())); }, !DoNotSaveListIDs);
}

int TRVListInfo::GetListID() {
  if (FListID == 0) FListID = DrawListID();
  return FListID;
}

void TRVListInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVListInfo*>(Source)) {
    FLevels->Assign(s->Levels());
    OneLevelPreview = s->OneLevelPreview;
    auto* own = dynamic_cast<TRVListInfos*>(GetCollection());
    if (own && own->FViroZereAllowAssignListID) FListID = s->FListID;
  }
  TCustomRVInfo::Assign(Source);
}

bool TRVListInfo::IsSimpleEqual(TCustomRVInfo* AValue, bool, bool IgnoreID) {
  auto* Value = dynamic_cast<TRVListInfo*>(AValue);
  if (!Value) return false;
  return OneLevelPreview == Value->OneLevelPreview && FLevels->Count() == Value->Levels()->Count() &&
         (IgnoreID || GetListID() == Value->GetListID()) && FLevels->IsSimpleEqual(Value->Levels()) &&
         (!CompareStyleNames || StyleName == Value->StyleName);
}

bool TRVListInfo::IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping&) {
  return IsSimpleEqual(Value, true, false);
}

int TRVListInfo::SimilarityValue(TCustomRVInfo* AValue) {
  auto* V = dynamic_cast<TRVListInfo*>(AValue);
  if (!V) return 0;
  int r = GetListID() == V->GetListID() ? 50 : 0;
  if (OneLevelPreview == V->OneLevelPreview) r += 100;
  const int n1 = FLevels->Count(), n2 = V->Levels()->Count();
  for (int i = 0; i < std::min(n1, n2); ++i) r += FLevels->Items(i)->SimilarityValue(V->Levels()->Items(i));
  return r - 100 * std::abs(n1 - n2);
}

void TRVListInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits) {
  FLevels->ConvertToDifferentUnits(NewUnits, GetRVStyle());
}

bool TRVListInfo::HasNumbering() const {
  for (int i = 0; i < FLevels->Count(); ++i)
    if (FLevels->Items(i)->HasNumbering()) return true;
  return false;
}

bool TRVListInfo::AllNumbered() const {
  for (int i = 0; i < FLevels->Count(); ++i)
    if (!FLevels->Items(i)->HasNumbering()) return false;
  return true;
}

bool TRVListInfo::HasVariableWidth() const {
  for (int i = 0; i < FLevels->Count(); ++i)
    if (FLevels->Items(i)->HasVariableWidth()) return true;
  return false;
}

void TRVListInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  TCustomRVInfo::SaveToINI(ini, Section, fs);
  IniWriteInteger(ini, Section, RVIniKey(fs, u"LevelsCount"), 0, FLevels->Count());
  IniWriteBool(ini, Section, RVIniKey(fs, u"OneLevelPreview"), false, OneLevelPreview);
  IniWriteInteger(ini, Section, RVIniKey(fs, u"ListId"), 0, FListID);
  const UnicodeString prefix = RVIniKey(fs, UnicodeString());
  for (int i = 0; i < FLevels->Count(); ++i)
    FLevels->Items(i)->SaveToINI(ini, Section, prefix + u"Lvl%s" + IntToStr(i));
}

void TRVListInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  TCustomRVInfo::LoadFromINI(ini, Section, fs, u"List Style");
  OneLevelPreview = IniReadBool(ini, Section, RVIniKey(fs, u"OneLevelPreview"), false);
  FListID = ini->ReadInteger(Section, RVIniKey(fs, u"ListId"), 0);
  // Loading replaces the levels; appending to levels already there would duplicate them.
  FLevels->Clear();
  const int n = std::clamp(ini->ReadInteger(Section, RVIniKey(fs, u"LevelsCount"), 0), 0, MaxIniLevelCount);
  const UnicodeString prefix = RVIniKey(fs, UnicodeString());
  for (int i = 0; i < n; ++i) FLevels->Add()->LoadFromINI(ini, Section, prefix + u"Lvl%s" + IntToStr(i));
}

// ---- TRVListInfos --------------------------------------------------------------------------------

const TClassInfo& TRVListInfos::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVListInfos>(u"TRVListInfos", &inherited::StaticClassInfo()).Build();
  return info;
}

void TRVListInfos::ForgetImageList(const TCustomImageList* AImageList) {
  for (int i = 0; i < Count(); ++i)
    for (int j = 0; j < Items(i)->Levels()->Count(); ++j)
      if (Items(i)->Levels()->Items(j)->ImageList == AImageList) Items(i)->Levels()->Items(j)->ImageList = nullptr;
}

int TRVListInfos::FindSuchStyle(TRVListInfo* Style, bool AddIfNotFound) {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->IsSimpleEqual(Style, false, true)) return i;
  if (!AddIfNotFound) return -1;
  TRVListInfo* added = Add();
  added->Assign(Style);
  if (MergedStylesNotStandard) added->Standard = false;
  return added->GetIndex();
}

int TRVListInfos::FindStyleWithLevels(TRVListLevelCollection* Levels, const UnicodeString& StyleNameForAdding,
                                      bool AddIfNotFound) {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Levels()->IsSimpleEqual(Levels)) return i;
  if (!AddIfNotFound) return -1;
  TRVListInfo* added = Add();
  if (MergedStylesNotStandard) added->Standard = false;
  added->StyleName = StyleNameForAdding;
  added->OneLevelPreview = true;
  added->SetLevels(Levels);
  return added->GetIndex();
}

// ---- CSS and HTML ------------------------------------------------------------------------------

int TRVHTMLListCSSList::Find(const TRVAnsiString& Text) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == Text) return static_cast<int>(i);
  return -1;
}

bool TRVHTMLListCSSList::Add(const TRVAnsiString& Text) {
  if (Find(Text) >= 0) return false;
  FItems.push_back(Text);
  return true;
}

namespace {

template <std::size_t N>
bool OneOf(unsigned c, const unsigned (&set)[N]) {
  return std::find(std::begin(set), std::end(set), c) != std::end(set);
}

// The byte a symbol font shows for a code unit: its low byte in the private-use page F0xx, or
// the code unit itself below 256.
int SymbolByte(char16_t c) {
  if (c >= 0xF000 && c <= 0xF0FF) return c - 0xF000;
  if (c <= 0xFF) return c;
  return -1;
}

void WriteAnsi(TStream* Stream, const TRVAnsiString& s) {
  if (Stream && !s.empty()) Stream->WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

}  // namespace

TRVBulletShape TRVListLevel::GetBulletShape() const {
  const UnicodeString* text = ListType == rvlstBullet          ? &FormatString
                              : ListType == rvlstUnicodeBullet ? &FormatStringW
                                                               : nullptr;
  if (!text || text->size() != 1) return rvbsNoShape;
  const char16_t c = (*text)[0];
  const UnicodeString fontName = FFont ? FFont->Name : UnicodeString(u"Arial");
  if (RVStyleSameText(fontName, u"Wingdings")) {
    const int b = SymbolByte(c);
    if (b < 0) return rvbsNoShape;
    static const unsigned disc[] = {0x6C, 0xAD, 0xAE}, square[] = {0x6E, 0xA7},
                          circle[] = {0x6D, 0xA1, 0xA2, 0xA3, 0xA6};
    if (OneOf(static_cast<unsigned>(b), disc)) return rvbsDisc;
    if (OneOf(static_cast<unsigned>(b), square)) return rvbsSquare;
    if (OneOf(static_cast<unsigned>(b), circle)) return rvbsCircle;
    return rvbsNoShape;
  }
  if (RVStyleSameText(fontName, u"Symbol")) return SymbolByte(c) == 0xB7 ? rvbsDisc : rvbsNoShape;
  static const unsigned disc[] = {0xB7, 0x2022, 0x2219, 0x25CF, 0x2B24, 0x2B2C, 0x2B2E};
  static const unsigned square[] = {0x2B1B, 0x2B1D, 0x25A0, 0x25AA, 0x25AC, 0x25AE, 0x25FC, 0x25FE};
  static const unsigned circle[] = {'o', 'O', '0', 0x25EF, 0x25E6, 0x25CB, 0x2B2D, 0x2B2F, 0x2B55, 0x2B58};
  if (OneOf(static_cast<unsigned>(c), disc)) return rvbsDisc;
  if (OneOf(static_cast<unsigned>(c), square)) return rvbsSquare;
  if (OneOf(static_cast<unsigned>(c), circle)) return rvbsCircle;
  return rvbsNoShape;
}

TRVAnsiString TRVListLevel::GetListStyleTypeCSS() const {
  const char* value = nullptr;
  switch (ListType) {
    case rvlstBullet:
    case rvlstUnicodeBullet: {
      static const char* const shapes[] = {nullptr, "disc", "circle", "square"};
      value = shapes[GetBulletShape()];
      break;
    }
    case rvlstDecimal: value = "decimal"; break;
    case rvlstLowerAlpha: value = "lower-alpha"; break;
    case rvlstUpperAlpha: value = "upper-alpha"; break;
    case rvlstLowerRoman: value = "lower-roman"; break;
    case rvlstUpperRoman: value = "upper-roman"; break;
    default: break;
  }
  return value ? TRVAnsiString(" list-style-type: ") + value + ";" : TRVAnsiString();
}

TRVAnsiString TRVListLevel::GetHTMLOpenCSS(const TRVStyle* RVStyle, TRVBiDiMode BiDiMode) const {
  const int index = GetIndex();
  const TRVStyleLength previous =
      index > 0 ? static_cast<TRVListLevel*>(GetCollection()->GetItem(index - 1))->LeftIndent : 0;
  TRVAnsiString a = RVCSSSize(RVStyle, LeftIndent - previous), b = "0";
  if (BiDiMode == rvbdRightToLeft) std::swap(a, b);
  const bool outside = MarkerIndent < LeftIndent;
  const TRVAnsiString indent = RVCSSSize(RVStyle, outside ? FirstIndent : MarkerIndent - LeftIndent);
  return "text-indent: " + indent + "; padding: 0; margin: 0 " + b + " 0 " + a +
         (outside ? "; list-style-position: outside;" : "; list-style-position: inside;") + GetListStyleTypeCSS();
}

TRVAnsiString TRVListLevel::GetIndentCSSForTextVersion(const TRVStyle* RVStyle, TRVBiDiMode BiDiMode) const {
  const TRVStyleLength v = MarkerIndent - LeftIndent;
  const bool rtl = BiDiMode == rvbdRightToLeft;
  const TRVAnsiString margin = rtl ? "margin-right" : "margin-left";
  const TRVAnsiString padding = rtl ? "padding-right" : "padding-left";
  if (v < 0)
    return "text-indent: " + RVCSSSize(RVStyle, v) + "; " + padding + ": " + RVCSSSize(RVStyle, LeftIndent - MarkerIndent) +
           "; " + margin + ": " + RVCSSSize(RVStyle, MarkerIndent) + ";";
  return "text-indent: " + RVCSSSize(RVStyle, v) + "; " + margin + ": " + RVCSSSize(RVStyle, LeftIndent) + ";";
}

void TRVListLevel::HTMLOpenTag(TStream* Stream, bool UseCSS, const TRVStyle* RVStyle,
                               const TRVSaveOptions& SaveOptions, const TRVHTMLListCSSList* ListBullets,
                               TRVBiDiMode BiDiMode) const {
  TRVAnsiString attr;
  if (UseCSS) {
    const TRVAnsiString css = GetHTMLOpenCSS(RVStyle, BiDiMode);
    const int n = ListBullets ? ListBullets->Find(css) : -1;
    if (n >= 0)
      attr = "class=" + GetHTMLQuotedAttrValue("list" + std::to_string(n), SaveOptions);
    else
      attr = "style=\"" + css + "\"";
  } else {
    const char* type = nullptr;
    switch (ListType) {
      case rvlstBullet:
      case rvlstUnicodeBullet: {
        static const char* const shapes[] = {nullptr, "disc", "circle", "square"};
        type = shapes[GetBulletShape()];
        break;
      }
      case rvlstLowerAlpha: type = "a"; break;
      case rvlstUpperAlpha: type = "A"; break;
      case rvlstLowerRoman: type = "i"; break;
      case rvlstUpperRoman: type = "I"; break;
      default: break;
    }
    if (type) attr = TRVAnsiString("type=\"") + type + "\"";
  }
  if (!attr.empty()) attr = " " + attr;
  WriteAnsi(Stream, (HasNumbering() ? "<ol" : "<ul") + attr + ">");
}

void TRVListLevel::HTMLCloseTag(TStream* Stream, bool) const { WriteAnsi(Stream, HasNumbering() ? "</ol>" : "</ul>"); }

void TRVListInfo::SaveCSSToStream(TStream* Stream, TRVHTMLListCSSList& Bullets, const TRVSaveCSSOptions& SaveOptions,
                                  int& AIndex, const TRVAnsiString& Title, TRVBiDiMode BiDiMode) {
  const TRVStyle* sheet = GetRVStyle();
  const bool markersAsText = SaveOptions.Contains(rvcssMarkersAsText);
  for (int i = 0; i < FLevels->Count(); ++i) {
    TRVListLevel* level = FLevels->Items(i);
    TRVAnsiString text;
    if (markersAsText) {
      if (!level->UsesFont()) continue;
      TFont font;
      const TRVMarkerFont defaultFont;
      (level->HasFont() ? level->GetFont() : &defaultFont)->AssignTo(font);
      const TRVUnicodeString css = GetCSSFontDeclarations(font, true);
      text = SaveOptions.Contains(rvcssUTF8) ? UnicodeToUtf8(css) : UnicodeToAnsiCP(0, css);
      const TRVStyleLength width = level->LeftIndent + level->FirstIndent - level->MarkerIndent;
      if (width > 0)
        text += " display: inline-block; text-indent: " + RVCSSSize(sheet, 0) + "; min-width: " + RVCSSSize(sheet, width) + ";";
    } else {
      text = level->GetHTMLOpenCSS(sheet, BiDiMode);
    }
    if (!Bullets.Add(text) || !Stream) continue;
    if (AIndex == 0) WriteAnsi(Stream, Title + "\r\n");
    WriteAnsi(Stream, (markersAsText ? "span.bullet" : ".list") + std::to_string(AIndex) + " {" + text + "}\r\n");
    ++AIndex;
  }
}

void TRVListInfos::SaveCSSToStream(TStream* Stream, TRVHTMLListCSSList& Bullets, const TRVSaveCSSOptions& SaveOptions,
                                   const TRVAnsiString& Title) {
  int index = 0;
  for (int i = 0; i < Count(); ++i) Items(i)->SaveCSSToStream(Stream, Bullets, SaveOptions, index, Title, rvbdUnspecified);
}
