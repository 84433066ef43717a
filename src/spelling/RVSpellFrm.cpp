#include "spelling/RVSpellFrm.h"

#include "platform/base/Classes.h"

const TClassInfo& TfrmRVSpell::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TfrmRVSpell>(u"TfrmRVSpell", &TfrmRVCustomSpell::StaticClassInfo()).Build();
  return info;
}

TfrmRVSpell::TfrmRVSpell(TComponent* AOwner) : TfrmRVCustomSpell(AOwner) {
  txtWrongWord = new TEdit(nullptr);
  txtWrongWord->SetParent(this);
  txtWrongWord->SetBounds(7, 26, 210, 21);
  txtWrongWord->SetReadOnly(true);
  txtWrongWord->SetColor(clBtnFace);
  txtWrongWord->SetTabStop(false);
  cmb = new TComboBox(nullptr);
  cmb->SetParent(this);
  cmb->SetStyle(csSimple);
  cmb->SetBounds(7, 72, 210, 147);
  cmb->SetTabStop(true);
  lblCmb->SetFocusControl(cmb);
  SetActiveControl(cmb);
  OnShow = [this](TObject*) {
    cmb->SetText(cmb->Items().Count() > 0 ? cmb->Items().Get(0) : UnicodeString());
    cmb->EditPart()->SetSelStart(static_cast<int>(cmb->GetText().size()));
  };
  cmb->OnKeyDown = [this](TObject*, WORD& Key, TShiftState) {
    if (Key != VK_ESCAPE) return;
    Key = 0;
    SetModalResult(mrCancel);
  };
  cmb->OnDblClick = [this](TObject*) {
    if (cmb->GetItemIndex() >= 0) SetModalResult(mrYes);
  };
}

TRVUnicodeString TfrmRVSpell::GetCorrectedText() { return cmb->GetText(); }

TStrings* TfrmRVSpell::GetStringsForSuggestions() { return &cmb->Items(); }
