// The spelling component: the word lists, the dictionaries of a folder and the user word list.
#include "spelling/RVHunSpell.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVSafeSave.h"
#include "platform/base/HunspellLayer.h"

namespace rvhunspell_detail {

using TGuard = std::lock_guard<std::recursive_mutex>;

// The user's data folder of the program, where the user word list lives by default.
const char16_t* const kUserDataSubfolder = u"tavrelopad";

enum class TWordFile { Absent, Read, Damaged };

// Reads a user word list file (UTF-16 little-endian, one word a line) into Words.
TWordFile ReadWordFile(const TRVUnicodeString& Path, TStringList& Words) {
  const std::filesystem::path path(UnicodeToUtf8(Path));
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return ec ? TWordFile::Damaged : TWordFile::Absent;
  std::ifstream in(path, std::ios::binary);
  if (!in) return TWordFile::Damaged;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || bytes.size() % 2 != 0) return TWordFile::Damaged;
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  if (!text.empty() && text[0] == u'\xFEFF') text.erase(0, 1);  // a byte-order mark another editor left
  TStringList lines;
  lines.SetText(text);
  Words.BeginUpdate();
  for (int i = 0; i < lines.Count(); ++i)
    if (!lines[i].empty()) Words.Add(lines[i]);
  Words.EndUpdate();
  return TWordFile::Read;
}

// The list as UTF-16 little-endian text, every line followed by CR LF, without a byte-order mark.
std::string WordFileBytes(const TStringList& Words) {
  std::string bytes;
  for (int i = 0; i < Words.Count(); ++i) {
    for (char16_t c : Words[i] + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  }
  return bytes;
}

}  // namespace rvhunspell_detail

using namespace rvhunspell_detail;

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
  FIgnore->SetSorted(/*value=*/true);
  FIgnore->CaseSensitive = true;
  FCustomDic->SetSorted(/*value=*/true);
  FCustomDic->CaseSensitive = true;
}

TRVHunSpell::~TRVHunSpell() {
  // The list is written only when it was read or changed: a component that never read the
  // file must not replace (or delete) the words another one stored there.
  if (FCustomDicLoaded || FCustomDicChanged) SaveCustomDic();
  TGuard guard(FLock);
  FItems->Clear();
}

bool TRVHunSpell::Spell(const TRVUnicodeString& Word, const TRVUnicodeString& Language) {
  if (Word.size() < 2) return true;
  TGuard guard(FLock);
  int index;
  if (FIgnore->Find(Word, index) || FCustomDic->Find(Word, index)) return true;
  for (int i = 0; i < FItems->Count(); ++i) {
    const TDictionary* d = FItems->Items(i);
    if (!Language.empty() && d->GetLanguage() != Language) continue;
    if (d->Spell(Word)) return true;
  }
  return false;
}

void TRVHunSpell::Suggest(const TRVUnicodeString& Word, TStrings& Suggestions, const TRVUnicodeString& Language) {
  TGuard guard(FLock);
  Suggestions.Clear();
  for (int i = 0; i < FItems->Count(); ++i) {
    const TDictionary* d = FItems->Items(i);
    if (!Language.empty() && d->GetLanguage() != Language) continue;
    d->Suggest(Word, Suggestions);
  }
}

TRVUnicodeString TRVHunSpell::DictFolder() const {
  TRVUnicodeString folder = FDictDir;
  if (folder.empty() || folder[0] != u'/') folder = ProgramFolder() + folder;
  if (!folder.empty() && folder.back() != u'/') folder += u'/';
  return folder;
}

void TRVHunSpell::LoadAllDictionaries() {
  TGuard guard(FLock);
  std::vector<TRVUnicodeString> languages;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(UnicodeToUtf8(DictFolder()), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dic") == 0)
      languages.push_back(Utf8ToUnicode(name.substr(0, name.size() - 4)));
  }
  // The listing order of a folder is arbitrary; the order of the names keeps checks repeatable.
  std::sort(languages.begin(), languages.end());
  for (const TRVUnicodeString& language : languages) {
    // A language loaded already (an earlier call) is not loaded twice.
    bool loaded = false;
    for (int i = 0; i < FItems->Count() && !loaded; ++i)
      loaded = FItems->Items(i)->GetActive() && FItems->Items(i)->GetLanguage() == language;
    if (loaded) continue;
    TDictionary* d = FItems->Add();
    if (!d->Load(language) || !d->GetActive()) FItems->Delete(d->GetIndex());
  }
  LoadCustomDic();
}

void TRVHunSpell::AddToIgnoreList(const TRVUnicodeString& Word) {
  TGuard guard(FLock);
  FIgnore->Add(Word);
}

void TRVHunSpell::AddToDictionary(const TRVUnicodeString& Word) {
  TGuard guard(FLock);
  FCustomDic->Add(Word);
  FCustomDicChanged = true;
  // Stored at once: the program may end without destroying the component.
  SaveCustomDic();
}

TRVUnicodeString TRVHunSpell::CustomDicPath() const {
  const TRVUnicodeString name =
      FCustomDictionaryFileName.empty() ? TRVUnicodeString(u"customdic.txt") : FCustomDictionaryFileName;
  if (name[0] == u'/') return name;
  TRVUnicodeString folder = UserDataFolder(kUserDataSubfolder);
  if (folder.empty()) folder = ProgramFolder();
  return folder + name;
}

bool TRVHunSpell::LoadCustomDic() {
  TGuard guard(FLock);
  TStringList words;
  words.SetSorted(/*value=*/true);
  words.CaseSensitive = true;
  TWordFile result;
  try {
    result = ReadWordFile(CustomDicPath(), words);
  } catch (...) {
    RVRethrowUnlessDataError();
    result = TWordFile::Damaged;
  }
  if (result == TWordFile::Absent) {
    FCustomDicLoaded = true;
    return true;
  }
  FCustomDic->Clear();
  if (result == TWordFile::Damaged) {
    // Reported by the result; the file stays as it is until the list is written again, and
    // then it is kept aside (SaveCustomDic).
    FCustomDicDamaged = true;
    FCustomDicLoaded = true;
    return false;
  }
  FCustomDic->AddStrings(words);
  FCustomDicLoaded = true;
  return true;
}

bool TRVHunSpell::SaveCustomDic() {
  TGuard guard(FLock);
  const TRVUnicodeString path = CustomDicPath();
  const std::filesystem::path file(UnicodeToUtf8(path));
  std::error_code ec;
  if (FCustomDicDamaged) {
    // The damaged file is copied aside once, so that what it held can still be recovered.
    std::filesystem::path aside = file;
    aside += ".damaged";
    if (std::filesystem::exists(file, ec) &&
        !std::filesystem::copy_file(file, aside, std::filesystem::copy_options::overwrite_existing, ec))
      return false;
    FCustomDicDamaged = false;
  } else if (!FCustomDicLoaded) {
    // Words stored by another component since are kept: the file's words join the list.
    TStringList stored;
    stored.SetSorted(/*value=*/true);
    stored.CaseSensitive = true;
    if (ReadWordFile(path, stored) == TWordFile::Damaged) {
      FCustomDicDamaged = true;
      return SaveCustomDic();
    }
    FCustomDic->AddStrings(stored);
    FCustomDicLoaded = true;
  }
  if (FCustomDic->Count() == 0) {
    std::filesystem::remove(file, ec);
    return !ec;
  }
  std::filesystem::create_directories(file.parent_path(), ec);
  const std::string bytes = WordFileBytes(*FCustomDic);
  return RVSaveFileSafely(path, [&bytes](TStream* s) {
    s->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return true;
  });
}

bool TRVHunSpell::FindReplacement(const TRVUnicodeString& Word, TRVUnicodeString& ReplaceTo) {
  TGuard guard(FLock);
  const int i = FReplaceFrom->IndexOf(Word);
  if (i < 0 || i >= FReplaceTo->Count()) return false;
  ReplaceTo = FReplaceTo->Get(i);
  return true;
}

void TRVHunSpell::AddReplacement(const TRVUnicodeString& Word, const TRVUnicodeString& ReplaceTo) {
  TGuard guard(FLock);
  const int i = FReplaceFrom->IndexOf(Word);
  if (i >= 0 && i < FReplaceTo->Count()) {
    FReplaceTo->Put(i, ReplaceTo);
    return;
  }
  FReplaceFrom->Add(Word);
  FReplaceTo->Add(ReplaceTo);
}

void TRVHunSpell::SetDictionaries(TDictionaries* Value) {
  TGuard guard(FLock);
  FItems->Assign(Value);
}

void TRVHunSpell::SetDictDir(const TRVUnicodeString& Value) {
  TGuard guard(FLock);
  if (Value == FDictDir) return;
  FDictDir = Value;
  for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->UnLoad();
}

bool TRVHunSpell::GetActive() const {
  TGuard guard(FLock);
  for (int i = 0; i < FItems->Count(); ++i)
    if (!FItems->Items(i)->GetActive()) return false;
  return true;
}

void TRVHunSpell::SetActive(bool Value) {
  TGuard guard(FLock);
  for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->SetActive(Value);
}

void RegisterSpelling() { RegisterClass(TRVHunSpell::StaticClassInfo()); }
