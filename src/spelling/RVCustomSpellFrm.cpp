#include "spelling/RVCustomSpellFrm.h"

const TClassInfo& TfrmRVCustomSpell::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TfrmRVCustomSpell>(u"TfrmRVCustomSpell", &TForm::StaticClassInfo()).Build();
  return info;
}

TfrmRVCustomSpell::TfrmRVCustomSpell(TComponent* AOwner) : TForm(AOwner) {
  SetFormBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetCaption(u"Spelling");
  SetClientWidth(364);
  SetClientHeight(228);
  lblTxt = new TLabel(nullptr);
  lblTxt->SetParent(this);
  lblTxt->SetCaption(u"Not in dictionary:");
  lblTxt->SetBounds(7, 8, 200, 17);
  lblCmb = new TLabel(nullptr);
  lblCmb->SetParent(this);
  lblCmb->SetCaption(u"Change &to:");
  lblCmb->SetBounds(7, 54, 200, 17);
  btnIgnore = AddButton(u"&Ignore", 232, 26, mrNo);
  btnIgnore->SetDefault(true);
  btnIgnoreAll = AddButton(u"I&gnore All", 232, 56, mrNoToAll);
  btnChange = AddButton(u"&Change", 232, 90, mrYes);
  btnChangeAll = AddButton(u"C&hange All", 232, 120, mrYesToAll);
  btnAdd = AddButton(u"&Add", 232, 154, mrOk);
  btnCancel = AddButton(u"Cancel", 232, 195, mrCancel);
  btnCancel->SetCancel(true);
}

TButton* TfrmRVCustomSpell::AddButton(const UnicodeString& Caption, int Left, int Top, int ModalResult) {
  auto* b = new TButton(nullptr);
  b->SetParent(this);
  b->SetCaption(Caption);
  b->SetBounds(Left, Top, 120, 25);
  b->SetModalResult(ModalResult);
  b->SetTabStop(true);
  return b;
}

TRVUnicodeString TfrmRVCustomSpell::GetCorrectedText() { return {}; }

TStrings* TfrmRVCustomSpell::GetStringsForSuggestions() { return nullptr; }

bool TfrmRVCustomSpell::IsReplacingItemText() { return false; }
