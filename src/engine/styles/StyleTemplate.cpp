#include "engine/styles/StyleTemplate.h"

#include <algorithm>
#include <climits>
#include <random>

#include "engine/styles/RVStyle.h"
#include "platform/base/ComponentStream.h"

namespace {

const UnicodeString NormalName = u"Normal";

[[noreturn]] void NotValidHere() { throw EViroZereError(std::string_view("This property is not valid here")); }

// Adds the four base properties that a template's copy does not have: never written, and
// setting them through the stream is an error.
template <typename T>
TClassInfo HiddenBaseInfo(const char16_t* name, const TClassInfo& styleInfo) {
  TClassInfo info =
      TClassInfoBuilder<T>(name, &TPersistent::StaticClassInfo())
          .Integer(u"BaseStyleNo", [](T&) { return -1; }, [](T&, int) { NotValidHere(); })
          .StoredIf([](T&) { return false; })
          .Boolean(u"Standard", [](T&) { return true; }, [](T&, bool) { NotValidHere(); })
          .StoredIf([](T&) { return false; })
          .String(u"StyleName", [](T&) { return UnicodeString(); }, [](T&, const UnicodeString&) { NotValidHere(); })
          .StoredIf([](T&) { return false; })
          .Integer(u"StyleTemplateId", [](T&) { return -1; }, [](T&, int) { NotValidHere(); })
          .StoredIf([](T&) { return false; })
          .Build();
  info.Properties.insert(info.Properties.end(), styleInfo.Properties.begin(), styleInfo.Properties.end());
  return info;
}

int DrawId() {
  static std::mt19937 gen{std::random_device{}()};
  std::uniform_int_distribution<int> dist(0, 2147483646);
  const int v = dist(gen);
  return v == 0 ? 1 : v;
}

template <typename SetT, typename E>
std::vector<UnicodeString> SetToNames(const SetT& s, const char* const* names) {
  std::vector<UnicodeString> r;
  s.ForEach([&](E e) { r.push_back(AsciiToUnicode(names[static_cast<int>(e)])); });
  return r;
}

template <typename SetT, typename E>
void ReadPropertySet(TReader& r, SetT& target, int (*lookup)(std::string_view), const char16_t* propName) {
  if (r.NextValue() != vaSet) {
    r.SkipValue();
    throw EViroZereError(Format(u"Invalid value of property %s", {UnicodeString(propName)}));
  }
  target.Clear();
  for (const std::string& n : r.ReadSet()) {
    const int v = lookup(n);
    if (v >= 0) target.Include(static_cast<E>(v));
  }
}

// "rvfiFontName rvfiSize" without the four-letter prefixes, in enumeration order.
template <typename SetT, typename E>
UnicodeString SetToIniWords(const SetT& s, const char* const* names) {
  UnicodeString r;
  s.ForEach([&](E e) {
    if (!r.empty()) r += u' ';
    r += AsciiToUnicode(names[static_cast<int>(e)] + 4);
  });
  return r;
}

template <typename SetT, typename E>
SetT IniWordsToSet(const UnicodeString& text, const char* prefix, int (*lookup)(std::string_view)) {
  SetT r;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find(u' ', pos);
    if (end == UnicodeString::npos) end = text.size();
    if (end > pos) {
      const int v = lookup(prefix + UnicodeToUtf8(text.substr(pos, end - pos)));
      if (v >= 0) r.Include(static_cast<E>(v));
    }
    pos = end + 1;
  }
  return r;
}

std::unique_ptr<TCollectionItem> NewDefaultStyle(TRVStyle* sheet, bool text) {
  TCollectionItemClass cls = sheet ? (text ? sheet->GetTextStyleClass() : sheet->GetParaStyleClass())
                                   : (text ? &NewCollectionItem<TFontInfo> : &NewCollectionItem<TParaInfo>);
  return std::unique_ptr<TCollectionItem>(cls(nullptr));
}

// The sheet a template's own text or paragraph copy belongs to, through the template's collection.
TRVStyle* SheetOfTemplate(const TRVStyleTemplate* Template) {
  TRVStyleTemplateCollection* c = Template ? Template->GetTemplates() : nullptr;
  return c ? dynamic_cast<TRVStyle*>(c->GetOwner()) : nullptr;
}

bool IsHeadingName(const UnicodeString& name) {
  const UnicodeString prefix = u"heading ";
  return name.size() == prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0 &&
         name.back() >= u'1' && name.back() <= u'9';
}

}  // namespace

// ---- template copies -----------------------------------------------------------------------------

const TClassInfo& TRVSTFontInfo::StaticClassInfo() {
  static const TClassInfo info = HiddenBaseInfo<TRVSTFontInfo>(u"TRVSTFontInfo", TCustomRVFontInfo::StaticClassInfo());
  return info;
}

TPersistent* TRVSTFontInfo::GetOwner() const { return FOwner; }

TRVStyle* TRVSTFontInfo::GetRVStyle() const { return SheetOfTemplate(FOwner); }

const TClassInfo& TRVSTParaInfo::StaticClassInfo() {
  static const TClassInfo info = HiddenBaseInfo<TRVSTParaInfo>(u"TRVSTParaInfo", TCustomRVParaInfo::StaticClassInfo());
  return info;
}

TPersistent* TRVSTParaInfo::GetOwner() const { return FOwner; }

TRVStyle* TRVSTParaInfo::GetRVStyle() const { return SheetOfTemplate(FOwner); }

// ---- TRVStyleTemplate ----------------------------------------------------------------------------

TRVStyleTemplate::TRVStyleTemplate(TCollection* ACollection)
    : TCollectionItem(ACollection),
      FTextStyle(std::make_unique<TRVSTFontInfo>(this)),
      FParaStyle(std::make_unique<TRVSTParaInfo>(this)) {
  TRVStyleTemplateCollection* c = GetTemplates();
  if (!c) return;
  auto* sheet = dynamic_cast<TComponent*>(c->GetOwner());
  if ((sheet && sheet->ComponentState().Contains(csLoading)) || c->FNoUniqueNames) return;
  if (c->Count() == 1) c->NameCounter = 0;
  SetName(c->GetUniqueName(this));
}

TRVStyleTemplate::~TRVStyleTemplate() { Unlink(nullptr); }

void TRVStyleTemplate::Unlink(TRVStyleTemplateCollection* c) {
  if (FParent) FParent->RemoveChild(this);
  FParent = nullptr;
  for (TRVStyleTemplate* child : FChildren) {
    child->FParent = nullptr;
    child->FParentId = -1;
  }
  FChildren.clear();
  if (!c) return;
  if (c->FNormalStyleTemplate == this) c->FNormalStyleTemplate = nullptr;
  if (c->FClearing) return;
  for (int i = 0; i < c->Count(); ++i) {
    TRVStyleTemplate* t = c->Items(i);
    if (t == this) continue;
    if (FId > 0 && t->FNextId == FId) t->FNextId = -1;
    if (t->FNext == this) t->FNext = nullptr;
  }
}

const TClassInfo& TRVStyleTemplate::StaticClassInfo() {
  using T = TRVStyleTemplate;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVStyleTemplate", &inherited::StaticClassInfo())
          .Object(u"TextStyle", [](T& t) -> TPersistent* { return t.TextStyle(); })
          .Object(u"ParaStyle", [](T& t) -> TPersistent* { return t.ParaStyle(); })
          .String(u"Name", [](T& t) { return t.GetName(); }, [](T& t, const UnicodeString& v) { t.SetName(v); })
          .Integer(u"ParentId", [](T& t) { return t.GetParentId(); }, [](T& t, int v) { t.SetParentId(v); }, -1)
          .Integer(u"NextId", [](T& t) { return t.GetNextId(); }, [](T& t, int v) { t.SetNextId(v); }, -1)
          .Enum(u"Kind", [](T& t) { return t.GetKind(); }, [](T& t, TRVStyleTemplateKind v) { t.SetKind(v); },
                std::vector<UnicodeString>{u"rvstkParaText", u"rvstkPara", u"rvstkText"}, rvstkParaText)
          .Boolean(u"QuickAccess", [](T& t) { return t.QuickAccess; }, [](T& t, bool v) { t.QuickAccess = v; }, true)
          .Build();
  return info;
}

void TRVStyleTemplate::DefineProperties(TFiler& Filer) {
  TCollectionItem::DefineProperties(Filer);
  Filer.DefineProperty(
      u"IDProp", [this](TReader& r) { FId = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(std::int32_t(GetId())); }, true);
  Filer.DefineProperty(
      u"ValidParaProps",
      [this](TReader& r) {
        ReadPropertySet<TRVParaInfoProperties, TRVParaInfoProperty>(r, ValidParaProperties,
                                                                    &RVParaInfoPropertyFromName, u"ValidParaProps");
      },
      [this](TWriter& w) {
        w.WriteSet(SetToNames<TRVParaInfoProperties, TRVParaInfoProperty>(ValidParaProperties, RVParaInfoPropertyNames));
      },
      !ValidParaProperties.Empty());
  Filer.DefineProperty(
      u"ValidTextProps",
      [this](TReader& r) {
        ReadPropertySet<TRVFontInfoProperties, TRVFontInfoProperty>(r, ValidTextProperties,
                                                                    &RVFontInfoPropertyFromName, u"ValidTextProps");
      },
      [this](TWriter& w) {
        w.WriteSet(SetToNames<TRVFontInfoProperties, TRVFontInfoProperty>(ValidTextProperties, RVFontInfoPropertyNames));
      },
      !ValidTextProperties.Empty());
}

TRVStyleTemplateCollection* TRVStyleTemplate::GetTemplates() const {
  return dynamic_cast<TRVStyleTemplateCollection*>(GetCollection());
}

bool TRVStyleTemplate::LinkingActive() const {
  TRVStyleTemplateCollection* c = GetTemplates();
  if (!c) return false;
  auto* owner = dynamic_cast<TComponent*>(c->GetOwner());
  return owner && !owner->ComponentState().Contains(csLoading);
}

TRVStyleTemplateId TRVStyleTemplate::GetId() {
  if (FId > 0) return FId;
  TRVStyleTemplateCollection* c = GetTemplates();
  // Templates whose Ids are not drawn yet compare against this one when they draw theirs.
  for (;;) {
    const int candidate = DrawId();
    bool taken = false;
    if (c) {
      for (int i = 0; i < c->Count() && !taken; ++i) {
        TRVStyleTemplate* t = c->Items(i);
        if (t != this && t->FId == candidate) taken = true;
      }
      if (!taken && c->FForbiddenIds) taken = c->FForbiddenIds->IndexOf(candidate) >= 0;
    }
    if (!taken) {
      FId = candidate;
      return FId;
    }
  }
}

void TRVStyleTemplate::SetName(const TRVStyleTemplateName& Value) {
  if (Value == FName) return;
  TRVStyleTemplateCollection* c = GetTemplates();
  if (FName == NormalName && c && c->FNormalStyleTemplate == this) c->FNormalStyleTemplate = nullptr;
  FName = Value;
  if (FName == NormalName && c) c->FNormalStyleTemplate = this;
  AdjustKindToName();
  if (FName == NormalName) SetParentId(-1);
}

void TRVStyleTemplate::SetKind(TRVStyleTemplateKind Value) {
  FKind = Value;
  AdjustKindToName();
}

void TRVStyleTemplate::AdjustKindToName() {
  if (FName == NormalName) {
    if (FKind != rvstkPara) FKind = rvstkPara;
    return;
  }
  if (FKind != rvstkParaText && IsHeadingName(FName)) {
    FKind = rvstkParaText;
    return;
  }
  if (FName == u"Hyperlink") {
    if (FKind != rvstkText) FKind = rvstkText;
    return;
  }
  if (FName == u"caption" && FKind == rvstkText) FKind = rvstkPara;
}

void TRVStyleTemplate::AddChild(TRVStyleTemplate* Child) {
  if (std::find(FChildren.begin(), FChildren.end(), Child) == FChildren.end()) FChildren.push_back(Child);
}

void TRVStyleTemplate::RemoveChild(TRVStyleTemplate* Child) {
  FChildren.erase(std::remove(FChildren.begin(), FChildren.end(), Child), FChildren.end());
}

void TRVStyleTemplate::SetParentLink(TRVStyleTemplate* NewParent) {
  if (FParent) FParent->RemoveChild(this);
  FParent = NewParent;
  if (FParent) FParent->AddChild(this);
}

void TRVStyleTemplate::SetParentId(TRVStyleTemplateId Value) {
  if (FName == NormalName) Value = -1;
  if (Value == FParentId) return;
  const bool linking = LinkingActive();
  if (linking && FParent) FParent->RemoveChild(this);
  FParentId = Value;
  FParent = nullptr;
  if (!linking || Value <= 0) return;
  TRVStyleTemplate* p = GetTemplates()->FindItemById(Value);
  if (!p) return;
  if ((p->FKind == rvstkText) != (FKind == rvstkText)) {
    FParentId = -1;
    throw EViroZereError(std::string_view("Wrong kind of StyleTemplate parent"));
  }
  if (IsAncestorFor(p)) {
    FParentId = -1;
    throw EViroZereError(std::string_view("Circular references in StyleTemplates are not allowed"));
  }
  SetParentLink(p);
}

void TRVStyleTemplate::SetNextId(TRVStyleTemplateId Value) {
  if (Value == FNextId) return;
  FNextId = Value;
  FNext = nullptr;
  if (LinkingActive() && Value > 0) FNext = GetTemplates()->FindItemById(Value);
}

bool TRVStyleTemplate::IsAncestorFor(const TRVStyleTemplate* StyleTemplate) const {
  std::vector<const TRVStyleTemplate*> visited;
  for (const TRVStyleTemplate* t = StyleTemplate; t; t = t->FParent) {
    if (t == this) return true;
    if (std::find(visited.begin(), visited.end(), t) != visited.end()) return false;
    visited.push_back(t);
  }
  return false;
}

TRVTabInfos* TRVStyleTemplate::GetTabs() const {
  std::vector<const TRVStyleTemplate*> visited;
  for (const TRVStyleTemplate* t = this; t; t = t->FParent) {
    if (t->FKind == rvstkText) return nullptr;
    if (t->ValidParaProperties.Contains(rvpiTabs)) return t->FParaStyle->Tabs();
    if (std::find(visited.begin(), visited.end(), t) != visited.end()) return nullptr;
    visited.push_back(t);
  }
  return nullptr;
}

void TRVStyleTemplate::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVStyleTemplate*>(Source)) {
    FTextStyle->Assign(s->TextStyle());
    FParaStyle->Assign(s->ParaStyle());
    if (GetCollection() && GetCollection() == s->GetCollection()) {
      FParentId = s->FParentId;
      FNextId = s->FNextId;
    }
    SetName(s->FName);
    SetKind(s->FKind);
    QuickAccess = s->QuickAccess;
    ValidTextProperties = s->ValidTextProperties;
    ValidParaProperties = s->ValidParaProperties;
    return;
  }
  TCollectionItem::Assign(Source);
}

void TRVStyleTemplate::AssignTo(TPersistent* Dest) {
  if (auto* f = dynamic_cast<TCustomRVFontInfo*>(Dest)) {
    ApplyToTextStyle(this, f, nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TCustomRVParaInfo*>(Dest)) {
    ApplyToParaStyle(this, p);
    return;
  }
  TCollectionItem::AssignTo(Dest);
}

// ---- applying templates --------------------------------------------------------------------------

TRVFontInfoProperties TRVStyleTemplate::ApplyTextChain(TCustomRVFontInfo* S, const TRVFontInfoProperties& M,
                                                       bool Defaults) {
  TRVFontInfoProperties applied;
  std::vector<TRVStyleTemplate*> visited;
  for (TRVStyleTemplate* t = this; t; t = t->FParent) {
    if (std::find(visited.begin(), visited.end(), t) != visited.end()) break;
    visited.push_back(t);
    const TRVFontInfoProperties p = (M * t->ValidTextProperties) - applied;
    if (!p.Empty()) {
      S->AssignSelectedProperties(t->TextStyle(), p);
      applied += p;
    }
  }
  if (Defaults) {
    const TRVFontInfoProperties p = M - applied;
    if (!p.Empty()) {
      auto def = NewDefaultStyle(S->GetRVStyle(), true);
      S->AssignSelectedProperties(static_cast<TCustomRVFontInfo*>(def.get()), p);
      applied += p;
    }
  }
  return applied;
}

void TRVStyleTemplate::ApplyToTextStyle(TRVStyleTemplate* Self, TCustomRVFontInfo* ATextStyle,
                                        TRVStyleTemplate* ParaStyleTemplate) {
  if (!ATextStyle) return;
  auto* font = dynamic_cast<TFontInfo*>(ATextStyle);
  TRVFontInfoProperties M = AllTextStyleProperties;
  if (font) M -= font->ModifiedProperties;
  if (Self) {
    if (font) font->StyleTemplateId = Self->FKind == rvstkPara ? -1 : Self->GetId();
    M -= Self->ApplyTextChain(ATextStyle, M, false);
  } else if (font) {
    font->StyleTemplateId = -1;
  }
  if (ParaStyleTemplate && ParaStyleTemplate != Self && ParaStyleTemplate->FKind != rvstkText && !M.Empty())
    M -= ParaStyleTemplate->ApplyTextChain(ATextStyle, M, true);
  if (!M.Empty()) {
    auto def = NewDefaultStyle(ATextStyle->GetRVStyle(), true);
    ATextStyle->AssignSelectedProperties(static_cast<TCustomRVFontInfo*>(def.get()), M);
  }
}

void TRVStyleTemplate::ApplyToParaStyle(TRVStyleTemplate* Self, TCustomRVParaInfo* AParaStyle) {
  if (!AParaStyle) return;
  auto* para = dynamic_cast<TParaInfo*>(AParaStyle);
  if (!Self) {
    if (para) para->StyleTemplateId = -1;
    return;
  }
  TRVParaInfoProperties M = AllParaStyleProperties;
  if (para) {
    M -= para->ModifiedProperties;
    para->StyleTemplateId = Self->GetId();
  }
  TRVParaInfoProperties applied;
  std::vector<TRVStyleTemplate*> visited;
  for (TRVStyleTemplate* t = Self; t; t = t->FParent) {
    if (t->FKind == rvstkText) return;
    if (std::find(visited.begin(), visited.end(), t) != visited.end()) break;
    visited.push_back(t);
    const TRVParaInfoProperties p = (M * t->ValidParaProperties) - applied;
    if (!p.Empty()) {
      AParaStyle->AssignSelectedProperties(t->ParaStyle(), p);
      applied += p;
    }
  }
  const TRVParaInfoProperties rest = M - applied;
  if (!rest.Empty()) {
    auto def = NewDefaultStyle(AParaStyle->GetRVStyle(), false);
    AParaStyle->AssignSelectedProperties(static_cast<TCustomRVParaInfo*>(def.get()), rest);
  }
}

void TRVStyleTemplate::UpdateModifiedTextStyleProperties(TRVStyleTemplate* Self, TCustomRVFontInfo* ATextStyle,
                                                         TRVStyleTemplate* ParaStyleTemplate) {
  auto* font = dynamic_cast<TFontInfo*>(ATextStyle);
  if (!font) return;
  font->ModifiedProperties.Clear();
  TRVFontInfoProperties R = AllTextStyleProperties;
  bool flag = !Self && !ParaStyleTemplate;
  auto walk = [&](TRVStyleTemplate* start, bool trackFlag) {
    std::vector<TRVStyleTemplate*> visited;
    for (TRVStyleTemplate* t = start; t && !R.Empty(); t = t->FParent) {
      if (std::find(visited.begin(), visited.end(), t) != visited.end()) break;
      visited.push_back(t);
      font->ModifiedProperties += font->CalculateModifiedProperties(t->TextStyle(), R * t->ValidTextProperties);
      R -= t->ValidTextProperties;
      if (trackFlag) flag = t->FKind != rvstkText;
    }
  };
  if (Self && Self->FKind != rvstkPara) walk(Self, true);
  if (!flag && ParaStyleTemplate && ParaStyleTemplate != Self && !R.Empty()) walk(ParaStyleTemplate, false);
  if (!R.Empty()) {
    auto def = NewDefaultStyle(font->GetRVStyle(), true);
    font->ModifiedProperties += font->CalculateModifiedProperties(static_cast<TCustomRVFontInfo*>(def.get()), R);
  }
}

void TRVStyleTemplate::UpdateModifiedParaStyleProperties(TRVStyleTemplate* Self, TCustomRVParaInfo* AParaStyle) {
  auto* para = dynamic_cast<TParaInfo*>(AParaStyle);
  if (!para) return;
  para->ModifiedProperties.Clear();
  auto def = NewDefaultStyle(para->GetRVStyle(), false);
  auto* defaults = static_cast<TCustomRVParaInfo*>(def.get());
  if (!Self) {
    para->ModifiedProperties = para->CalculateModifiedProperties(defaults, AllParaStyleProperties);
    return;
  }
  TRVParaInfoProperties R = AllParaStyleProperties;
  std::vector<TRVStyleTemplate*> visited;
  for (TRVStyleTemplate* t = Self; t && !R.Empty(); t = t->FParent) {
    if (t->FKind == rvstkText) return;
    if (std::find(visited.begin(), visited.end(), t) != visited.end()) break;
    visited.push_back(t);
    para->ModifiedProperties += para->CalculateModifiedProperties(t->ParaStyle(), R * t->ValidParaProperties);
    R -= t->ValidParaProperties;
  }
  if (!R.Empty()) para->ModifiedProperties += para->CalculateModifiedProperties(defaults, R);
}

// ---- INI form ------------------------------------------------------------------------------------

void TRVStyleTemplate::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  ini->WriteInteger(Section, key(u"Id"), GetId());
  IniWriteString(ini, Section, key(u"Name"), UnicodeString(), FName);
  ini->WriteInteger(Section, key(u"ParentId"), FParentId);
  ini->WriteInteger(Section, key(u"NextId"), FNextId);
  ini->WriteInteger(Section, key(u"Kind"), FKind);
  IniWriteBool(ini, Section, key(u"QuickAccess"), true, QuickAccess);
  ini->WriteString(Section, key(u"ValidTextProperties"),
                   SetToIniWords<TRVFontInfoProperties, TRVFontInfoProperty>(ValidTextProperties, RVFontInfoPropertyNames));
  ini->WriteString(Section, key(u"ValidParaProperties"),
                   SetToIniWords<TRVParaInfoProperties, TRVParaInfoProperty>(ValidParaProperties, RVParaInfoPropertyNames));
  const UnicodeString prefix = RVIniKey(fs, UnicodeString());
  FTextStyle->SaveToINI(ini, Section, prefix + u"Font%s", ValidTextProperties);
  FParaStyle->SaveToINI(ini, Section, prefix + u"Para%s", ValidParaProperties);
}

void TRVStyleTemplate::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  FId = ini->ReadInteger(Section, key(u"Id"), -1);
  UnicodeString name;
  IniReadString(ini, Section, key(u"Name"), name, UnicodeString());
  SetName(name);
  FParentId = ini->ReadInteger(Section, key(u"ParentId"), -1);
  FNextId = ini->ReadInteger(Section, key(u"NextId"), -1);
  const int kind = ini->ReadInteger(Section, key(u"Kind"), 0);
  FKind = (kind >= rvstkParaText && kind <= rvstkText) ? static_cast<TRVStyleTemplateKind>(kind) : rvstkParaText;
  QuickAccess = IniReadBool(ini, Section, key(u"QuickAccess"), true);
  ValidTextProperties = IniWordsToSet<TRVFontInfoProperties, TRVFontInfoProperty>(
      ini->ReadString(Section, key(u"ValidTextProperties"), UnicodeString()), "rvfi", &RVFontInfoPropertyFromName);
  ValidParaProperties = IniWordsToSet<TRVParaInfoProperties, TRVParaInfoProperty>(
      ini->ReadString(Section, key(u"ValidParaProperties"), UnicodeString()), "rvpi", &RVParaInfoPropertyFromName);
  const UnicodeString prefix = RVIniKey(fs, UnicodeString());
  FTextStyle->LoadFromINI(ini, Section, prefix + u"Font%s", false, crJump);
  FParaStyle->LoadFromINI(ini, Section, prefix + u"Para%s");
}

// ---- TRVStyleTemplateCollection ------------------------------------------------------------------

TRVStyleTemplateCollection::TRVStyleTemplateCollection(TPersistent* AOwner)
    : TCollection(&NewCollectionItem<TRVStyleTemplate>), FOwner(AOwner) {}

void TRVStyleTemplateCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  // A template leaving the collection takes its links with it while the others are still there.
  // Deleting reports extracting too, so that one notice is enough.
  if (Action == cnExtracting) static_cast<TRVStyleTemplate*>(Item)->Unlink(this);
  TCollection::Notify(Item, Action);
}

TRVStyleTemplateCollection::~TRVStyleTemplateCollection() {
  // Templates unlink from each other while they go; the collection must still be whole then.
  ClearTemplates();
}

void TRVStyleTemplateCollection::ClearTemplates() {
  FClearing = true;
  try {
    Clear();
  } catch (...) {
    FClearing = false;
    throw;
  }
  FClearing = false;
}

const TClassInfo& TRVStyleTemplateCollection::StaticClassInfo() {
  using T = TRVStyleTemplateCollection;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVStyleTemplateCollection", &inherited::StaticClassInfo())
          .String(u"DefStyleName", [](T& c) { return c.DefStyleName; },
                  [](T& c, const UnicodeString& v) { c.DefStyleName = v; })
          .StoredIf([](T& c) { return c.DefStyleName != u"Style %d"; })
          .Build();
  return info;
}

TRVIntegerList* TRVStyleTemplateCollection::ForbiddenIds() {
  if (!FForbiddenIds) FForbiddenIds = std::make_unique<TRVIntegerList>();
  return FForbiddenIds.get();
}

int TRVStyleTemplateCollection::FindById(TRVStyleTemplateId Id) const {
  if (Id <= 0) return -1;
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetId() == Id) return i;
  return -1;
}

TRVStyleTemplate* TRVStyleTemplateCollection::FindItemById(TRVStyleTemplateId Id) const {
  const int i = FindById(Id);
  return i >= 0 ? Items(i) : nullptr;
}

int TRVStyleTemplateCollection::FindByName(const TRVStyleTemplateName& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetName() == Name) return i;
  return -1;
}

TRVStyleTemplate* TRVStyleTemplateCollection::FindItemByName(const TRVStyleTemplateName& Name) const {
  const int i = FindByName(Name);
  return i >= 0 ? Items(i) : nullptr;
}

TRVStyleTemplateName TRVStyleTemplateCollection::GetUniqueName(const TRVStyleTemplate* IgnoreItem) {
  auto taken = [&](const UnicodeString& name) {
    for (int i = 0; i < Count(); ++i)
      if (Items(i) != IgnoreItem && Items(i)->GetName() == name) return true;
    return false;
  };
  UnicodeString previous;
  for (;;) {
    if (NameCounter == INT_MAX) NameCounter = 0;
    ++NameCounter;
    UnicodeString name;
    try {
      name = Format(DefStyleName, {NameCounter});
    } catch (const EConvertError&) {
      name = DefStyleName;
    }
    // A name format that ignores the number would repeat forever: number the raw text instead.
    if (name == previous) name = DefStyleName + u" " + IntToStr(NameCounter);
    previous = name;
    if (!taken(name)) return name;
  }
}

TRVStyleTemplateName TRVStyleTemplateCollection::MakeNameUnique(const TRVStyleTemplateName& Name) const {
  TRVStyleTemplateName r = Name;
  while (FindByName(r) >= 0) r += u"_";
  return r;
}

void TRVStyleTemplateCollection::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVStyleTemplateCollection*>(Source)) {
    AssignStyleTemplates(s, false);
    return;
  }
  TCollection::Assign(Source);
}

void TRVStyleTemplateCollection::AssignStyleTemplates(TRVStyleTemplateCollection* Source, bool CopyIds) {
  if (!Source || Source == this) return;
  BeginUpdate();
  ClearTemplates();
  FNoUniqueNames = true;
  for (int i = 0; i < Source->Count(); ++i) Add()->Assign(Source->Items(i));
  FNoUniqueNames = false;
  for (int i = 0; i < Source->Count(); ++i) {
    TRVStyleTemplate* src = Source->Items(i);
    TRVStyleTemplate* dst = Items(i);
    if (CopyIds) dst->FId = src->GetId();
  }
  for (int i = 0; i < Source->Count(); ++i) {
    TRVStyleTemplate* src = Source->Items(i);
    TRVStyleTemplate* dst = Items(i);
    if (CopyIds) {
      dst->SetParentId(src->GetParentId());
      dst->SetNextId(src->GetNextId());
    } else {
      if (src->GetParent()) dst->SetParentId(Items(src->GetParent()->GetIndex())->GetId());
      if (src->GetNext()) dst->SetNextId(Items(src->GetNext()->GetIndex())->GetId());
    }
  }
  EndUpdate();
}

void TRVStyleTemplateCollection::MergeWith(TRVStyleTemplateCollection* Value, TRVIntegerList* Map) {
  if (Map) Map->Clear();
  if (!Value) return;
  const int oldCount = Count();
  for (int i = 0; i < Value->Count(); ++i) {
    TRVStyleTemplate* src = Value->Items(i);
    int index = FindByName(src->GetName());
    if (index < 0) {
      TRVStyleTemplate* added = Add();
      added->Assign(src);
      index = added->GetIndex();
    }
    if (Map) Map->Add(index);
  }
  for (int i = oldCount; i < Count(); ++i) {
    TRVStyleTemplate* t = Items(i);
    TRVStyleTemplate* counterpart = Value->FindItemByName(t->GetName());
    if (!counterpart) continue;
    if (TRVStyleTemplate* p = counterpart->GetParent())
      if (TRVStyleTemplate* own = FindItemByName(p->GetName())) t->SetParentId(own->GetId());
    if (TRVStyleTemplate* n = counterpart->GetNext())
      if (TRVStyleTemplate* own = FindItemByName(n->GetName())) t->SetNextId(own->GetId());
  }
}

void TRVStyleTemplateCollection::UpdateReferences() {
  for (int i = 0; i < Count(); ++i) {
    TRVStyleTemplate* t = Items(i);
    TRVStyleTemplate* parent = t->FParentId > 0 ? FindItemById(t->FParentId) : nullptr;
    // A stored link that would close a circle is dropped rather than followed forever.
    if (parent && t->IsAncestorFor(parent)) {
      t->FParentId = -1;
      parent = nullptr;
    }
    t->SetParentLink(parent);
    t->FNext = t->FNextId > 0 ? FindItemById(t->FNextId) : nullptr;
  }
}

void TRVStyleTemplateCollection::ClearTextFormat(TCustomRVFontInfo* ATextStyle) {
  if (!ATextStyle) return;
  ATextStyle->StyleTemplateId = -1;
  if (auto* font = dynamic_cast<TFontInfo*>(ATextStyle)) {
    font->ModifiedProperties.Clear();
    TRVStyleTemplate* t = font->Jump ? FindItemByName(u"Hyperlink") : nullptr;
    TRVStyleTemplate::ApplyToTextStyle(t, font, FindItemById(font->ParaStyleTemplateId));
    return;
  }
  ATextStyle->Reset();
}

void TRVStyleTemplateCollection::ClearParaFormat(TCustomRVParaInfo* AParaStyle) {
  if (!AParaStyle) return;
  if (auto* para = dynamic_cast<TParaInfo*>(AParaStyle)) para->ModifiedProperties.Clear();
  if (FNormalStyleTemplate) {
    TRVStyleTemplate::ApplyToParaStyle(FNormalStyleTemplate, AParaStyle);
    AParaStyle->StyleTemplateId = FNormalStyleTemplate->GetId();
  } else {
    AParaStyle->Reset();
    AParaStyle->StyleTemplateId = -1;
  }
}

void TRVStyleTemplateCollection::ConvertToDifferentUnits(TRVStyleUnits NewUnits) {
  for (int i = 0; i < Count(); ++i) {
    Items(i)->TextStyle()->ConvertToDifferentUnits(NewUnits);
    Items(i)->ParaStyle()->ConvertToDifferentUnits(NewUnits);
  }
}

void TRVStyleTemplateCollection::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section) {
  ini->WriteInteger(Section, u"STItemCount", Count());
  for (int i = 0; i < Count(); ++i) Items(i)->SaveToINI(ini, Section, u"ST%s" + IntToStr(i));
}

void TRVStyleTemplateCollection::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section) {
  constexpr int MaxIniTemplateCount = 10000;  // a damaged count must not keep the loader busy
  const int n = std::clamp(ini->ReadInteger(Section, u"STItemCount", 0), 0, MaxIniTemplateCount);
  BeginUpdate();
  ClearTemplates();
  FNoUniqueNames = true;
  try {
    for (int i = 0; i < n; ++i) Add()->LoadFromINI(ini, Section, u"ST%s" + IntToStr(i));
  } catch (...) {
    FNoUniqueNames = false;
    EndUpdate();
    throw;
  }
  FNoUniqueNames = false;
  EndUpdate();
}
