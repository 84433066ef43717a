// The spelling component: a non-visual component that checks words against Hunspell
// dictionaries (one per language), keeps the ignore list and the automatic replacements for the
// life of the program and the user word list in a file under the user's data folder, and runs
// the interactive check of an editor with the spelling dialogs.
//
// The dictionaries are loaded through the platform's Hunspell layer (platform/base/HunspellLayer.h),
// bound at run time from the library named by DllName in DllDir. Each dictionary recodes the
// editor's UTF-16 words into its own encoding (UTF-8, KOI8, an ISO 8859 part or a code page).
//
// Words are checked from the editors' live-spelling threads as well as from the GUI thread; one
// lock of the component keeps the word lists and the library calls apart.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"
#include "platform/base/Persistent.h"

class TRVHunSpell;
class TDictionaries;
class TCustomViroZereEdit;
class TfrmRVCustomSpell;

// How a dictionary's words are recoded, chosen from the encoding name the dictionary reports.
enum TRVHunSpellEncoding { rvhseUTF8, rvhseKOI8, rvhseISO8859, rvhseMicrosoftCP, rvhseOther };

enum TRVHunSpellFormStyle { rvhfClassic, rvhfMSWord };

// The user's answer in the spelling dialog.
enum TRVHunSpellFormAction { rvhsIgnore, rvhsIgnoreAll, rvhsChange, rvhsChangeAll, rvhsAdd };

using TRVHunSpellFormActionEvent = std::function<void(
    TObject* Sender, const TRVUnicodeString& AWord, const TRVUnicodeString& AReplaceTo, TRVHunSpellFormAction AAction)>;
using TRVHunSpellFormEvent = std::function<void(TObject* Sender, TfrmRVCustomSpell* Form)>;

// ==== interactive check (RVHunSpellCheck.cpp) ====

// Where the interactive check starts: at the caret or at the start of the document.
enum TRVEnumScope { rvesFromCursor, rvesFromStart };

// ==== dictionaries (RVHunSpellDictionary.cpp) ====

// The recoding chosen for an encoding name: Number is the ISO 8859 part or the code page
// (0 when the name carries none, or the encoding needs no number).
void RVHunSpellEncodingOfName(const char* Name, TRVHunSpellEncoding& Encoding, std::uint32_t& Number);

// One .dic/.aff pair loaded under a language name (the files' base name).
class TDictionary : public TCollectionItem {
  TAVRELO_PERSISTENT(TDictionary, TCollectionItem)
 public:
  explicit TDictionary(TCollection* collection);
  ~TDictionary() override;

  // Loads the files Language.dic and Language.aff of the owner's DictDir (an empty Language
  // means the stored one). True when loaded; a failure leaves the dictionary inactive with an
  // empty language.
  bool Load(const TRVUnicodeString& Language);
  void UnLoad();
  // True when Word is correct in this dictionary; a word of fewer than 2 code units is correct.
  bool Spell(const TRVUnicodeString& Word) const;
  // Adds the dictionary's suggestions for Word that Suggestions does not hold yet.
  void Suggest(const TRVUnicodeString& Word, TStrings& Suggestions) const;

  bool GetActive() const { return FSpell != nullptr; }
  void SetActive(bool Value);
  const TRVUnicodeString& GetLanguage() const { return FLanguage; }
  TRVHunSpellEncoding GetEncoding() const { return FEncoding; }
  std::uint32_t GetEncodingNumber() const { return FEncodingNumber; }

  // The word in the dictionary's encoding; false when a character has no counterpart there.
  bool EncodeWord(const TRVUnicodeString& Word, TRVRawByteString& Bytes) const;
  // A string of the dictionary back in UTF-16.
  TRVUnicodeString DecodeWord(const TRVRawByteString& Bytes) const;

 protected:
  TRVHunSpell* Speller() const;

 private:
  void* FSpell = nullptr;
  TRVUnicodeString FLanguage;
  TRVHunSpellEncoding FEncoding = rvhseOther;
  std::uint32_t FEncodingNumber = 0;
  // The name the dictionary reported, and whether words are recoded by that name (an encoding
  // that neither a table nor a code page number covers).
  std::string FEncodingName;
  bool FRecodeByName = false;

 public:
  void Assign(TPersistent* Source) override;
  // The name of the dictionary's encoding as the dictionary reports it.
  const std::string& GetEncodingName() const { return FEncodingName; }
};

// The dictionaries of one spelling component.
class TDictionaries : public TOwnedCollection {
  TAVRELO_PERSISTENT(TDictionaries, TOwnedCollection)
 public:
  explicit TDictionaries(TRVHunSpell* speller);
  TDictionary* Add() { return static_cast<TDictionary*>(TCollection::Add()); }
  TDictionary* Items(int index) const { return static_cast<TDictionary*>(GetItem(index)); }
  TRVHunSpell* Speller() const { return FSpeller; }

 protected:
  // A string list receives the languages in collection order.
  void AssignTo(TPersistent* Dest) override;

 private:
  TRVHunSpell* FSpeller;
};

// ==== the spelling component (RVHunSpell.cpp) ====

class TRVHunSpell : public TComponent {
  TAVRELO_PERSISTENT(TRVHunSpell, TComponent)
 public:
  explicit TRVHunSpell(TComponent* AOwner);
  // Saves the user word list when it was read or changed, then unloads the dictionaries.
  ~TRVHunSpell() override;

  // True when Word is correct: shorter than 2 code units, on the ignore list or the user word
  // list, or accepted by a dictionary of Language (any dictionary when Language is empty).
  bool Spell(const TRVUnicodeString& Word, const TRVUnicodeString& Language = TRVUnicodeString());
  // Replaces Suggestions by the suggestions of the dictionaries of Language (all when empty),
  // each suggestion once.
  void Suggest(const TRVUnicodeString& Word, TStrings& Suggestions,
               const TRVUnicodeString& Language = TRVUnicodeString());
  // One dictionary for every "*.dic" file of DictDir, then the user word list.
  void LoadAllDictionaries();
  void AddToIgnoreList(const TRVUnicodeString& Word);
  void AddToDictionary(const TRVUnicodeString& Word);
  // Reads the user word list; true when the file is absent or was read whole.
  bool LoadCustomDic();
  // Writes the user word list (deletes the file when the list is empty); true on success.
  bool SaveCustomDic();
  // The file of the user word list, as resolved from CustomDictionaryFileName.
  TRVUnicodeString CustomDicPath() const;
  // The automatic replacement of Word (compared ignoring case); false when there is none.
  bool FindReplacement(const TRVUnicodeString& Word, TRVUnicodeString& ReplaceTo);
  void AddReplacement(const TRVUnicodeString& Word, const TRVUnicodeString& ReplaceTo);

  TDictionaries* GetDictionaries() const { return FItems.get(); }
  void SetDictionaries(TDictionaries* Value);
  const TRVUnicodeString& GetDictDir() const { return FDictDir; }
  void SetDictDir(const TRVUnicodeString& Value);
  const TRVUnicodeString& GetDllName() const { return FDllName; }
  void SetDllName(const TRVUnicodeString& Value) { FDllName = Value; }
  const TRVUnicodeString& GetDllDir() const { return FDllDir; }
  void SetDllDir(const TRVUnicodeString& Value) { FDllDir = Value; }
  TRVHunSpellFormStyle GetSpellFormStyle() const { return FSpellFormStyle; }
  void SetSpellFormStyle(TRVHunSpellFormStyle Value) { FSpellFormStyle = Value; }
  const TRVUnicodeString& GetCustomDictionaryFileName() const { return FCustomDictionaryFileName; }
  void SetCustomDictionaryFileName(const TRVUnicodeString& Value) { FCustomDictionaryFileName = Value; }
  bool GetActive() const;
  void SetActive(bool Value);
  bool GetDialogShown() const { return FDialogShown; }

  // The lists, for the interactive check and the dialogs (GUI thread); a change made through
  // them, rather than through AddToIgnoreList or AddToDictionary, holds Lock() meanwhile.
  TStringList& IgnoreList() { return *FIgnore; }
  TStringList& CustomDic() { return *FCustomDic; }
  TStringList& ReplaceFrom() { return *FReplaceFrom; }
  TStringList& ReplaceTo() { return *FReplaceTo; }
  // Held around every use of the lists and the dictionaries.
  std::recursive_mutex& Lock() const { return FLock; }
  // The folder of the dictionary files as DictDir names it (relative to the program's folder),
  // with a trailing "/".
  TRVUnicodeString DictFolder() const;

  TRVHunSpellFormActionEvent OnSpellFormAction;
  TRVHunSpellFormEvent OnSpellForm;
  TRVHunSpellFormEvent OnSpellFormLocalize;

 protected:
  std::unique_ptr<TDictionaries> FItems;
  TRVUnicodeString FDictDir = u"/usr/share/hunspell";
  TRVUnicodeString FDllName = u"libhunspell-1.7.so.0";
  TRVUnicodeString FDllDir;
  std::unique_ptr<TStringList> FReplaceFrom;
  std::unique_ptr<TStringList> FReplaceTo;
  std::unique_ptr<TStringList> FIgnore;
  std::unique_ptr<TStringList> FCustomDic;
  TRVHunSpellFormStyle FSpellFormStyle = rvhfClassic;
  TRVUnicodeString FCustomDictionaryFileName = u"customdic.txt";
  bool FDialogShown = false;

 private:
  mutable std::recursive_mutex FLock;
  // The user word list was read from its file (or the file was absent), or changed since.
  bool FCustomDicLoaded = false;
  bool FCustomDicChanged = false;
  // The file could not be read; it is kept aside before it is written again.
  bool FCustomDicDamaged = false;

  // ==== interactive check, in the component (RVHunSpellCheck.cpp) ====
 public:
  // Walks Editor's words with the spelling dialogs; DialogShown tells whether one was shown.
  void Check(TCustomViroZereEdit* Editor, TRVEnumScope Scope);
};

// ==== interactive check: the enumerator of the component (RVHunSpellHelper.cpp) ====

// ==== registration (RVHunSpell.cpp) ====

// Makes the spelling component known by its class name; may be called more than once.
void RegisterSpelling();
