// The interactive spell check: a word enumerator that asks the spelling component about every
// word and, for a word the component rejects, shows the spelling dialog and applies the answer
// (ignore, ignore all, change, change all, add, or cancel, which ends the walk).
//
// The helper sees the dialog through IRVSpellDialog: the spelling dialogs (RVSpellFormUtils)
// answer it, and tests may put a dialog of their own in their place (RVSpellDialogFactory).
#pragma once

#include <functional>
#include <memory>

#include "engine/foundation/RVTypes.h"
#include "spelling/RVHunSpell.h"
#include "spelling/RVWordEnum.h"

class TStrings;
class TFontInfo;
class TCustomViroZere;

// What the interactive check asks of a spelling dialog. The answer of ShowModal is the modal
// result of the button pressed: Ignore 7, Ignore All 13, Change 6, Change All 14, Add 1; anything
// else cancels the check.
class IRVSpellDialog {
 public:
  virtual ~IRVSpellDialog() = default;
  // The form, for the component's events (null when the dialog is not a form).
  virtual TfrmRVCustomSpell* GetForm() { return nullptr; }
  // The list the suggestions go into.
  virtual TStrings* GetStringsForSuggestions() = 0;
  // The word, its item's text, its first position S and the position E behind it (1-based) and
  // the item's text style.
  virtual void Fill(const TRVUnicodeString& Word, const TRVUnicodeString& Text, int S, int E, TFontInfo* Style) = 0;
  virtual int ShowModal() = 0;
  virtual TRVUnicodeString GetCorrectedText() = 0;
  // Whether the corrected text replaces the item's whole text (the user edited the context).
  virtual bool IsReplacingItemText() = 0;
};

// Makes the dialog of a form style (null: the check stops at the word); when empty, the check
// uses the spelling dialogs.
using TRVSpellDialogFactory = std::function<std::unique_ptr<IRVSpellDialog>(TRVHunSpellFormStyle Style)>;
// The factory of the process (GUI thread); tests set it and put it back.
TRVSpellDialogFactory& RVSpellDialogFactory();

class TRVHunSpellHelper : public TRVWordEnumerator {
 public:
  explicit TRVHunSpellHelper(TRVHunSpell* AHunSpell);
  ~TRVHunSpellHelper() override;

  // Walks Editor's words from Scope on, asking the user about every misspelled one.
  void Check(TCustomViroZereEdit* Editor, TRVEnumScope Scope) { Run(Editor, Scope); }

  TRVHunSpell* GetRVHunSpell() const { return FRVHunSpell; }
  void SetRVHunSpell(TRVHunSpell* Value) { FRVHunSpell = Value; }

 protected:
  bool ProcessWord() override;

 private:
  void CreateDialog();

  TRVHunSpell* FRVHunSpell;
  std::unique_ptr<IRVSpellDialog> frm;
};

// Live spelling with the component: Viewer's spelling event answers with Speller's check of the
// word in every language (null Speller: the event is removed). The event runs on the viewer's
// live-spelling thread; the component keeps its lists and dictionaries apart by its own lock.
void RVConnectLiveSpelling(TCustomViroZere* Viewer, TRVHunSpell* Speller);
