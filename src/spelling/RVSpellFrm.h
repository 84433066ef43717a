// The classic spelling dialog: the rejected word in a read-only field and the suggestions in a
// simple combo box, whose text is the correction.
#pragma once

#include "platform/ui/StdCtrls.h"
#include "spelling/RVCustomSpellFrm.h"

class TfrmRVSpell : public TfrmRVCustomSpell {
  TAVRELO_PERSISTENT(TfrmRVSpell, TfrmRVCustomSpell)
 public:
  explicit TfrmRVSpell(TComponent* AOwner);

  TComboBox* cmb;       // the suggestions; its text is the correction
  TEdit* txtWrongWord;  // the rejected word

  TRVUnicodeString GetCorrectedText() override;
  TStrings* GetStringsForSuggestions() override;
};
