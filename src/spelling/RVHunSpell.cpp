#include "spelling/RVHunSpell.h"

// ---- TDictionary ----------------------------------------------------------------------------

const TClassInfo& TDictionary::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TDictionary>(u"TDictionary", &inherited::StaticClassInfo())
                                     .Build();
  return info;
}

TDictionary::TDictionary(TCollection* collection) : TCollectionItem(collection) {}
TDictionary::~TDictionary() { UnLoad(); }

TRVHunSpell* TDictionary::Speller() const {
  auto* c = static_cast<TDictionaries*>(GetCollection());
  return c ? c->Speller() : nullptr;
}

bool TDictionary::Load(const TRVUnicodeString&) { return false; }
void TDictionary::UnLoad() { FSpell = nullptr; }
void TDictionary::SetActive(bool Value) {
  if (Value)
    Load(FLanguage);
  else
    UnLoad();
}
bool TDictionary::Spell(const TRVUnicodeString& Word) const { return Word.size() < 2; }
void TDictionary::Suggest(const TRVUnicodeString&, TStrings&) const {}
bool TDictionary::EncodeWord(const TRVUnicodeString&, TRVRawByteString&) const { return false; }
TRVUnicodeString TDictionary::DecodeWord(const TRVRawByteString&) const { return TRVUnicodeString(); }

void RVHunSpellEncodingOfName(const char*, TRVHunSpellEncoding& Encoding, std::uint32_t& Number) {
  Encoding = rvhseOther;
  Number = 0;
}

// ---- TDictionaries --------------------------------------------------------------------------

const TClassInfo& TDictionaries::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TDictionaries>(u"TDictionaries", &inherited::StaticClassInfo()).Build();
  return info;
}

TDictionaries::TDictionaries(TRVHunSpell* speller)
    : TOwnedCollection(speller, &NewCollectionItem<TDictionary>), FSpeller(speller) {}

void TDictionaries::AssignTo(TPersistent* Dest) {
  if (auto* list = dynamic_cast<TStrings*>(Dest)) {
    list->Clear();
    for (int i = 0; i < Count(); ++i) list->Add(Items(i)->GetLanguage());
    return;
  }
  inherited::AssignTo(Dest);
}

// ---- TRVHunSpell ----------------------------------------------------------------------------

const TClassInfo& TRVHunSpell::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVHunSpell>(u"TRVHunSpell", &inherited::StaticClassInfo())
          .Object(u"Dictionaries", &TRVHunSpell::GetDictionaries)
          .String(u"DictDir", &TRVHunSpell::GetDictDir, &TRVHunSpell::SetDictDir)
          .String(u"DllName", &TRVHunSpell::GetDllName, &TRVHunSpell::SetDllName)
          .String(u"DllDir", &TRVHunSpell::GetDllDir, &TRVHunSpell::SetDllDir)
          .Enum(u"SpellFormStyle", &TRVHunSpell::GetSpellFormStyle, &TRVHunSpell::SetSpellFormStyle,
                {u"rvhfClassic", u"rvhfMSWord"}, rvhfClassic)
          .String(u"CustomDictionaryFileName", &TRVHunSpell::GetCustomDictionaryFileName,
                  &TRVHunSpell::SetCustomDictionaryFileName)
          .Boolean(u"Active", &TRVHunSpell::GetActive, &TRVHunSpell::SetActive)
          .Build();
  return info;
}

TRVHunSpell::TRVHunSpell(TComponent* AOwner)
    : TComponent(AOwner),
      FItems(std::make_unique<TDictionaries>(this)),
      FReplaceFrom(std::make_unique<TStringList>()),
      FReplaceTo(std::make_unique<TStringList>()),
      FIgnore(std::make_unique<TStringList>()),
      FCustomDic(std::make_unique<TStringList>()) {
  FIgnore->SetSorted(true);
  FIgnore->CaseSensitive = true;
  FCustomDic->SetSorted(true);
  FCustomDic->CaseSensitive = true;
}

TRVHunSpell::~TRVHunSpell() = default;

bool TRVHunSpell::Spell(const TRVUnicodeString& Word, const TRVUnicodeString&) { return Word.size() < 2; }
void TRVHunSpell::Suggest(const TRVUnicodeString&, TStrings& Suggestions, const TRVUnicodeString&) {
  Suggestions.Clear();
}
void TRVHunSpell::LoadAllDictionaries() {}
void TRVHunSpell::AddToIgnoreList(const TRVUnicodeString& Word) { FIgnore->Add(Word); }
void TRVHunSpell::AddToDictionary(const TRVUnicodeString& Word) { FCustomDic->Add(Word); }
bool TRVHunSpell::LoadCustomDic() { return true; }
bool TRVHunSpell::SaveCustomDic() { return true; }
TRVUnicodeString TRVHunSpell::CustomDicPath() const { return FCustomDictionaryFileName; }
bool TRVHunSpell::FindReplacement(const TRVUnicodeString&, TRVUnicodeString&) { return false; }
void TRVHunSpell::AddReplacement(const TRVUnicodeString& Word, const TRVUnicodeString& ReplaceTo) {
  FReplaceFrom->Add(Word);
  FReplaceTo->Add(ReplaceTo);
}
void TRVHunSpell::SetDictionaries(TDictionaries* Value) { FItems->Assign(Value); }
void TRVHunSpell::SetDictDir(const TRVUnicodeString& Value) { FDictDir = Value; }
bool TRVHunSpell::GetActive() const { return false; }
void TRVHunSpell::SetActive(bool) {}

void RegisterSpelling() { RegisterClass(TRVHunSpell::StaticClassInfo()); }
