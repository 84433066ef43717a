// The word-in-context spelling dialog: the word's paragraph in a small editor with the word
// highlighted, and the suggestions in a list. Editing the paragraph turns the dialog into one
// that replaces the whole text of the word's item; Undo Edit brings the unedited context back.
#pragma once

#include <memory>

#include "platform/ui/StdCtrls.h"
#include "spelling/RVCustomSpellFrm.h"

class TViroZereEdit;
class TRVStyle;
class TFontInfo;

class TfrmRVSpellWord : public TfrmRVCustomSpell {
  TAVRELO_PERSISTENT(TfrmRVSpellWord, TfrmRVCustomSpell)
 public:
  explicit TfrmRVSpellWord(TComponent* AOwner);
  ~TfrmRVSpellWord() override;

  TViroZereEdit* rve;    // the paragraph text
  TListBox* lst;         // the suggestions
  TButton* btnUndoEdit;  // over btnIgnore, shown while the text is edited
  // The editor's style sheet: text style 0 for the text, 1 for the word.
  TRVStyle* GetRVStyle1() const { return RVStyle1.get(); }

  // Shows AText with the ALength characters from the 1-based AStart highlighted, both styles
  // made from Style. A word reaching beyond the text is cut at its end.
  void Init(const TRVUnicodeString& AText, int AStart, int ALength, TFontInfo* Style);

  TRVUnicodeString GetCorrectedText() override;
  TStrings* GetStringsForSuggestions() override;
  bool IsReplacingItemText() override;

 private:
  // Puts the text into the editor, the word highlighted and the caret after it; unedited state.
  void FillContext();
  // The first change of the context: the text becomes one plain paragraph, marked as edited.
  void ContextChanged();
  void UpdateControls();
  // Pastes only one line of Unicode text from the clipboard.
  void PasteContext(bool& DoDefault);
  std::unique_ptr<TRVStyle> RVStyle1;
  TRVUnicodeString FText;
  int FStart = 1;
  int FLength = 0;
  bool FReplacingItemText = false;
};
