// The base of the two spelling dialogs: a dialog-bordered form with the word's label, the
// suggestions' label and the six answer buttons, each with its modal result. The interactive
// check shows a dialog modally for each rejected word and reads the answer from the result and
// the correction from GetCorrectedText.
#pragma once

#include "engine/foundation/RVTypes.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TStrings;

class TfrmRVCustomSpell : public TForm {
  TAVRELO_PERSISTENT(TfrmRVCustomSpell, TForm)
 public:
  explicit TfrmRVCustomSpell(TComponent* AOwner);

  // The children below belong to the form (it frees them with itself).
  TLabel* lblTxt;
  TLabel* lblCmb;
  TButton* btnIgnore;     // default; mrNo
  TButton* btnIgnoreAll;  // mrNoToAll
  TButton* btnChange;     // mrYes
  TButton* btnChangeAll;  // mrYesToAll
  TButton* btnAdd;        // mrOk
  TButton* btnCancel;     // cancel; mrCancel

  // The text that replaces the word (or the whole item, see IsReplacingItemText); empty here.
  virtual TRVUnicodeString GetCorrectedText();
  // The list the caller fills with suggestions; none here.
  virtual TStrings* GetStringsForSuggestions();
  // Whether GetCorrectedText replaces the whole text of the word's item; false here.
  virtual bool IsReplacingItemText();

 protected:
  // Makes a button of the form at its place.
  TButton* AddButton(const UnicodeString& Caption, int Left, int Top, int ModalResult);
};
