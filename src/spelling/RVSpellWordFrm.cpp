#include "spelling/RVSpellWordFrm.h"

#include <algorithm>

#include "engine/editor/RVEdit.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViewerLinear.h"
#include "platform/base/Classes.h"
#include "platform/ui/Clipbrd.h"
#include "spelling/RVSpellFormUtils.h"

const TClassInfo& TfrmRVSpellWord::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TfrmRVSpellWord>(u"TfrmRVSpellWord", &TfrmRVCustomSpell::StaticClassInfo()).Build();
  return info;
}

TfrmRVSpellWord::TfrmRVSpellWord(TComponent* AOwner)
    : TfrmRVCustomSpell(AOwner), RVStyle1(std::make_unique<TRVStyle>(nullptr)) {
  SetClientWidth(517);
  SetClientHeight(293);
  TFontInfos* fonts = RVStyle1->TextStyles();
  while (fonts->Count() < 2) fonts->Add();
  while (fonts->Count() > 2) fonts->Delete(fonts->Count() - 1);
  for (int i = 0; i < 2; ++i) {
    TFontInfo* f = fonts->Items(i);
    f->StyleName = i == 0 ? u"Normal text" : u"Error";
    f->FontName = u"Arial";
    f->SetSize(10);
    f->Style = i == 0 ? TFontStyles{} : TFontStyles{fsBold};
    f->Color = i == 0 ? clWindowText : clRed;
  }

  lblTxt->SetBounds(10, 12, 359, 17);
  lblCmb->SetBounds(10, 150, 359, 17);
  rve = new TViroZereEdit(nullptr);
  rve->SetParent(this);
  rve->SetBounds(10, 32, 359, 110);
  rve->SetStyle(RVStyle1.get());
  rve->SetTabStop(true);
  TRVEditorOptions options = rve->GetEditorOptions();
  options.Include(rvoDoNotWantReturns);
  options.Include(rvoDoNotWantShiftReturns);
  rve->SetEditorOptions(options);
  rve->SetAcceptDragDropFormats(TRVDragDropFormats{rvddText, rvddUnicodeText});
  rve->OnChange = [this](TObject*) {
    if (!FReplacingItemText) ContextChanged();
  };
  rve->OnPaste = [this](TCustomViroZereEdit*, bool& DoDefault) { PasteContext(DoDefault); };

  lst = new TListBox(nullptr);
  lst->SetParent(this);
  lst->SetBounds(10, 168, 359, 110);
  lblCmb->SetFocusControl(lst);
  lst->OnEnter = [this](TObject*) {
    btnIgnore->SetDefault(false);
    btnChange->SetDefault(true);
  };
  lst->OnDblClick = [this](TObject*) { SetModalResult(btnChange->GetModalResult()); };

  btnIgnore->SetBounds(384, 8, 120, 25);
  btnIgnoreAll->SetBounds(384, 40, 120, 25);
  btnAdd->SetBounds(384, 72, 120, 25);
  btnChange->SetBounds(384, 168, 120, 25);
  btnChangeAll->SetBounds(384, 200, 120, 25);
  btnCancel->SetBounds(384, 258, 120, 25);
  btnUndoEdit = AddButton(u"&Undo Edit", 384, 8, 0);
  btnUndoEdit->SetVisible(false);
  btnUndoEdit->OnClick = [this](TObject*) {
    FillContext();
    if (rve->CanFocus() && HandleAllocated()) rve->SetFocus();
  };

  SetActiveControl(rve);
  OnActivate = [this](TObject*) { btnUndoEdit->SetDefault(true); };
}

TfrmRVSpellWord::~TfrmRVSpellWord() {
  // The editor goes before its style sheet.
  delete rve;
  rve = nullptr;
}

void TfrmRVSpellWord::Init(const TRVUnicodeString& AText, int AStart, int ALength, TFontInfo* Style) {
  FText = AText;
  const int n = static_cast<int>(AText.size());
  FStart = std::clamp(AStart, 1, n + 1);
  FLength = std::clamp(ALength, 0, n + 1 - FStart);
  TFontInfos* fonts = RVStyle1->TextStyles();
  for (int i = 0; i < 2; ++i) {
    TFontInfo* f = fonts->Items(i);
    if (Style) f->Assign(Style);
    f->StyleName = i == 0 ? u"Normal text" : u"Error";
  }
  fonts->Items(0)->Color = clWindowText;
  fonts->Items(1)->Color = clRed;
  fonts->Items(1)->Style.Include(fsBold);
  FillContext();
}

void TfrmRVSpellWord::FillContext() {
  rve->Clear();
  rve->ClearUndo();
  const auto start = static_cast<std::size_t>(FStart - 1);
  const auto length = static_cast<std::size_t>(FLength);
  if (FStart >= 2) rve->AddNL(FText.substr(0, start), 0, 0);
  rve->AddNL(FText.substr(start, length), 1, FStart >= 2 ? -1 : 0);
  if (start + length < FText.size()) rve->AddNL(FText.substr(start + length), 0, -1);
  rve->Format();
  const int word = FStart >= 2 ? 1 : 0;
  rve->SetSelectionBounds(word, FLength + 1, word, FLength + 1);
  FReplacingItemText = false;
  UpdateControls();
  btnChange->SetDefault(false);
  btnIgnore->SetDefault(true);
}

void TfrmRVSpellWord::ContextChanged() {
  int selStart = 0, selLength = 0;
  GetLinearSelection(rve, selStart, selLength, 1);
  const TRVUnicodeString text = GetEditorPlainText(rve);
  rve->Clear();
  rve->AddNL(text, 0, 0);
  rve->Format();
  SetLinearSelection(rve, selStart, selLength, 1);
  FReplacingItemText = true;
  UpdateControls();
}

void TfrmRVSpellWord::UpdateControls() {
  const bool unedited = !FReplacingItemText;
  btnChangeAll->SetEnabled(unedited);
  btnAdd->SetEnabled(unedited);
  lblCmb->SetEnabled(unedited);
  lst->SetEnabled(unedited);
  const bool wasShown = btnUndoEdit->GetVisible();
  btnUndoEdit->SetVisible(!unedited);
  if (!unedited && !wasShown) {
    // Undo Edit takes over the default state of Ignore.
    btnUndoEdit->SetDefault(btnIgnore->GetDefault());
    btnIgnore->SetDefault(false);
  } else if (unedited && wasShown) {
    btnIgnore->SetDefault(btnUndoEdit->GetDefault());
    btnUndoEdit->SetDefault(false);
  }
}

void TfrmRVSpellWord::PasteContext(bool& DoDefault) {
  DoDefault = false;
  TClipboard* clipboard = Clipboard();
  if (!clipboard->HasFormat(CF_UNICODETEXT)) return;
  const UnicodeString text = clipboard->GetAsText();
  if (text.find_first_of(u"\r\n") != UnicodeString::npos) return;
  rve->InsertTextW(text);
}

TRVUnicodeString TfrmRVSpellWord::GetCorrectedText() {
  if (FReplacingItemText) return GetEditorPlainText(rve);
  const int i = lst->GetItemIndex();
  return i >= 0 ? lst->Items().Get(i) : TRVUnicodeString();
}

TStrings* TfrmRVSpellWord::GetStringsForSuggestions() { return &lst->Items(); }

bool TfrmRVSpellWord::IsReplacingItemText() { return FReplacingItemText; }
