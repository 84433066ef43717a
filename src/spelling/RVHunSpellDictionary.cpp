// Dictionaries of the spelling component: loading through the Hunspell layer, the encoding a
// dictionary reports, and recoding words into it and suggestions out of it.
#include <cstring>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/HunspellLayer.h"
#include "platform/base/NLS.h"
#include "platform/base/NamedCharset.h"
#include "spelling/RVHunSpell.h"
#include "spelling/RVISO8859.h"
#include "spelling/RVKoi8.h"

namespace rvhunspelldictionary_detail {

constexpr TRVCodePage kCP1251 = 1251;

// The number formed by the characters from position first (1-based) on, at most count of
// them; 0 when they do not form one.
std::uint32_t EncodingNumberAt(const std::string& s, std::size_t first, std::size_t count) {
  if (s.size() < first) return 0;
  const std::string digits = s.substr(first - 1, count);
  if (digits.empty()) return 0;
  std::uint32_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return n;
}

bool EncodingNameStartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace rvhunspelldictionary_detail

using namespace rvhunspelldictionary_detail;

void RVHunSpellEncodingOfName(const char* Name, TRVHunSpellEncoding& Encoding, std::uint32_t& Number) {
  const std::string name = Name ? Name : "";
  Number = 0;
  if (name == "UTF-8") {
    Encoding = rvhseUTF8;
  } else if (name == "KOI8-R" || name == "KOI8-U") {
    Encoding = rvhseKOI8;
  } else if (EncodingNameStartsWith(name, "ISO8859-")) {
    Encoding = rvhseISO8859;
    Number = EncodingNumberAt(name, 9, 2);
  } else if (EncodingNameStartsWith(name, "microsoft-cp")) {
    Encoding = rvhseMicrosoftCP;
    Number = EncodingNumberAt(name, 13, 4);
  } else {
    Encoding = rvhseOther;
  }
}

// ---- TDictionary ----------------------------------------------------------------------------

const TClassInfo& TDictionary::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TDictionary>(u"TDictionary", &inherited::StaticClassInfo()).Build();
  return info;
}

TDictionary::TDictionary(TCollection* collection) : TCollectionItem(collection) {}

TDictionary::~TDictionary() { UnLoad(); }

TRVHunSpell* TDictionary::Speller() const {
  auto* c = dynamic_cast<TDictionaries*>(GetCollection());
  return c ? c->Speller() : nullptr;
}

void TDictionary::Assign(TPersistent* Source) {
  if (auto* d = dynamic_cast<TDictionary*>(Source)) {
    UnLoad();
    FLanguage = d->FLanguage;
    return;
  }
  inherited::Assign(Source);
}

bool TDictionary::Load(const TRVUnicodeString& Language) {
  TRVHunSpell* speller = Speller();
  std::unique_lock<std::recursive_mutex> guard;
  if (speller) guard = std::unique_lock<std::recursive_mutex>(speller->Lock());
  const TRVUnicodeString language = Language.empty() ? FLanguage : Language;
  if (FSpell) {
    if (FLanguage == language) return true;
    UnLoad();
  }
  FLanguage = language;
  if (language.empty()) return true;
  const TRVUnicodeString dllDir = speller ? speller->GetDllDir() : TRVUnicodeString();
  const TRVUnicodeString dllName =
      speller && !speller->GetDllName().empty() ? speller->GetDllName() : TRVUnicodeString(u"libhunspell-1.7.so.0");
  if (!HunspellLoadLibrary(dllDir, dllName)) {
    FLanguage.clear();
    return false;
  }
  // The files are named from the program's folder when DictDir is relative; the process's
  // current folder is left alone (live-spelling threads may be resolving paths meanwhile).
  const TRVUnicodeString folder = speller ? speller->DictFolder() : ProgramFolder();
  void* handle = nullptr;
  bool ok = false;
  try {
    // Paths are handed over in the file system's encoding (UTF-8).
    const std::string aff = UnicodeToUtf8(folder + language + u".aff");
    const std::string dic = UnicodeToUtf8(folder + language + u".dic");
    handle = hunspell_initialize(aff.c_str(), dic.c_str());
    if (handle) {
      FEncodingName = hunspell_get_dic_encoding(handle);
      RVHunSpellEncodingOfName(FEncodingName.c_str(), FEncoding, FEncodingNumber);
      if (FEncoding == rvhseISO8859) ISO8859PairList(FEncodingNumber);
      // An encoding that neither a table nor a code page number covers is recoded by its name
      // when the platform knows it; otherwise by the system's code page, and words it cannot
      // represent are misspelled.
      FRecodeByName = (FEncoding == rvhseOther || (FEncoding == rvhseISO8859 && !ISO8859PartKnown(FEncodingNumber)) ||
                       (FEncoding == rvhseMicrosoftCP && FEncodingNumber == 0)) &&
                      NamedCharsetKnown(FEncodingName.c_str());
      FSpell = handle;
      ok = true;
    }
  } catch (...) {
    // A dictionary that failed half-way is released, whatever stage it reached.
    if (handle) hunspell_uninitialize(handle);
    FSpell = nullptr;
    FLanguage.clear();
    RVRethrowUnlessDataError();
    return false;
  }
  if (!ok) FLanguage.clear();
  return ok;
}

void TDictionary::UnLoad() {
  TRVHunSpell* speller = Speller();
  std::unique_lock<std::recursive_mutex> guard;
  if (speller) guard = std::unique_lock<std::recursive_mutex>(speller->Lock());
  if (FSpell) hunspell_uninitialize(FSpell);
  FSpell = nullptr;
}

void TDictionary::SetActive(bool Value) {
  if (Value)
    Load(FLanguage);
  else
    UnLoad();
}

bool TDictionary::EncodeWord(const TRVUnicodeString& Word, TRVRawByteString& Bytes) const {
  Bytes.clear();
  if (FRecodeByName) return UnicodeToNamedCharset(FEncodingName.c_str(), Word, Bytes);
  switch (FEncoding) {
    case rvhseUTF8: Bytes = UnicodeToUtf8(Word); return true;
    case rvhseKOI8:
      if (!TryUnicodeToAnsiCP(kCP1251, Word, Bytes)) return false;
      ConvertCP1251ToKOI8R(Bytes);
      return true;
    case rvhseISO8859: return UnicodeToISO8859(FEncodingNumber, Word, Bytes);
    case rvhseMicrosoftCP: return TryUnicodeToAnsiCP(FEncodingNumber, Word, Bytes);
    case rvhseOther: break;
  }
  return TryUnicodeToAnsiCP(GetACP(), Word, Bytes);
}

TRVUnicodeString TDictionary::DecodeWord(const TRVRawByteString& Bytes) const {
  TRVUnicodeString s;
  if (FRecodeByName) {
    NamedCharsetToUnicode(FEncodingName.c_str(), Bytes, s);
    return s;
  }
  switch (FEncoding) {
    case rvhseUTF8: return UTF8ToUnicode(Bytes);
    case rvhseKOI8: {
      TRVRawByteString cp1251 = Bytes;
      ConvertKOI8RToCP1251(cp1251);
      return AnsiToUnicodeCP(kCP1251, cp1251);
    }
    case rvhseISO8859: ISO8859ToUnicode(FEncodingNumber, Bytes, s); return s;
    case rvhseMicrosoftCP: return AnsiToUnicodeCP(FEncodingNumber, Bytes);
    case rvhseOther: break;
  }
  return AnsiToUnicodeCP(GetACP(), Bytes);
}

bool TDictionary::Spell(const TRVUnicodeString& Word) const {
  if (Word.size() < 2) return true;
  if (!FSpell) return false;
  // The word goes to the library zero-terminated: one holding a zero would be checked cut short.
  if (Word.find(u'\0') != TRVUnicodeString::npos) return false;
  TRVRawByteString bytes;
  if (!EncodeWord(Word, bytes)) return false;
  return (hunspell_spell(FSpell, bytes.c_str()) & 0xFF) != 0;
}

void TDictionary::Suggest(const TRVUnicodeString& Word, TStrings& Suggestions) const {
  if (!FSpell || Word.size() < 2 || Word.find(u'\0') != TRVUnicodeString::npos) return;
  TRVRawByteString bytes;
  if (!EncodeWord(Word, bytes)) return;
  char** list = nullptr;
  const int n = hunspell_suggest(FSpell, bytes.c_str(), &list);
  Suggestions.BeginUpdate();
  try {
    for (int i = 0; i < n; ++i) {
      if (!list[i]) continue;
      const TRVUnicodeString s = DecodeWord(TRVRawByteString(list[i]));
      if (!s.empty() && Suggestions.IndexOf(s) < 0) Suggestions.Add(s);
    }
  } catch (...) {
    hunspell_suggest_free(FSpell, list, n);
    Suggestions.EndUpdate();
    throw;
  }
  hunspell_suggest_free(FSpell, list, n);
  Suggestions.EndUpdate();
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
    list->BeginUpdate();
    list->Clear();
    for (int i = 0; i < Count(); ++i) list->Add(Items(i)->GetLanguage());
    list->EndUpdate();
    return;
  }
  inherited::AssignTo(Dest);
}
