#include "spelling/RVHunSpellHelper.h"

#include <mutex>

#include "engine/viewer/RVViroZere.h"
#include "platform/base/Classes.h"
#include "spelling/RVCustomSpellFrm.h"
#include "spelling/RVSpellFormUtils.h"

namespace rvhunspellhelper_detail {

// Modal results of the spelling dialog's buttons.
constexpr int ResultAdd = 1, ResultChange = 6, ResultIgnore = 7, ResultIgnoreAll = 13, ResultChangeAll = 14;

bool OnList(TRVHunSpell* S, TStringList& List, const TRVUnicodeString& Word) {
  std::lock_guard<std::recursive_mutex> l(S->Lock());
  return List.IndexOf(Word) >= 0;
}

// The spelling dialogs as the check sees them.
class TFormSpellDialog : public IRVSpellDialog {
 public:
  explicit TFormSpellDialog(TRVHunSpellFormStyle Style) {
    TfrmRVCustomSpell* form = nullptr;
    CreateSpellForm(Style, form);
    FForm.reset(form);
  }
  TfrmRVCustomSpell* GetForm() override { return FForm.get(); }
  TStrings* GetStringsForSuggestions() override { return FForm->GetStringsForSuggestions(); }
  void Fill(const TRVUnicodeString& Word, const TRVUnicodeString& Text, int S, int E, TFontInfo* Style) override {
    FillSpellForm(Word, Text, S, E, Style, FForm.get());
  }
  int ShowModal() override { return FForm->ShowModal(); }
  TRVUnicodeString GetCorrectedText() override { return FForm->GetCorrectedText(); }
  bool IsReplacingItemText() override { return FForm->IsReplacingItemText(); }

 private:
  std::unique_ptr<TfrmRVCustomSpell> FForm;
};

}  // namespace rvhunspellhelper_detail

TRVSpellDialogFactory& RVSpellDialogFactory() {
  static TRVSpellDialogFactory factory;
  return factory;
}

TRVHunSpellHelper::TRVHunSpellHelper(TRVHunSpell* AHunSpell) : FRVHunSpell(AHunSpell) {}
TRVHunSpellHelper::~TRVHunSpellHelper() = default;

void TRVHunSpellHelper::CreateDialog() {
  if (frm) return;
  if (const TRVSpellDialogFactory& make = RVSpellDialogFactory())
    frm = make(FRVHunSpell->GetSpellFormStyle());
  else
    frm = std::make_unique<rvhunspellhelper_detail::TFormSpellDialog>(FRVHunSpell->GetSpellFormStyle());
  if (!frm) return;
  if (FRVHunSpell->OnSpellFormLocalize) FRVHunSpell->OnSpellFormLocalize(FRVHunSpell, frm->GetForm());
  if (FRVHunSpell->OnSpellForm) FRVHunSpell->OnSpellForm(FRVHunSpell, frm->GetForm());
}

bool TRVHunSpellHelper::ProcessWord() {
  if (!FRVHunSpell) return true;
  if (rvhunspellhelper_detail::OnList(FRVHunSpell, FRVHunSpell->IgnoreList(), FWord) ||
      rvhunspellhelper_detail::OnList(FRVHunSpell, FRVHunSpell->CustomDic(), FWord))
    return true;
  TRVUnicodeString replaceTo;
  if (FRVHunSpell->FindReplacement(FWord, replaceTo)) {
    FWord = replaceTo;
    FWordChanged = true;
    return true;
  }
  if (FRVHunSpell->Spell(FWord)) return true;

  SelectCurrentWord();
  CreateDialog();
  if (!frm) return false;  // no dialog to ask: the check cannot go on
  if (TStrings* list = frm->GetStringsForSuggestions()) FRVHunSpell->Suggest(FWord, *list);
  frm->Fill(FWord, FText, FStartOffs, FEndOffs, FFontStyle);
  FDialogShown = true;
  const int answer = frm->ShowModal();
  const TRVUnicodeString corrected = frm->GetCorrectedText();

  TRVHunSpellFormAction action;
  switch (answer) {
    case rvhunspellhelper_detail::ResultAdd: action = rvhsAdd; break;
    case rvhunspellhelper_detail::ResultChange: action = rvhsChange; break;
    case rvhunspellhelper_detail::ResultIgnore: action = rvhsIgnore; break;
    case rvhunspellhelper_detail::ResultIgnoreAll: action = rvhsIgnoreAll; break;
    case rvhunspellhelper_detail::ResultChangeAll: action = rvhsChangeAll; break;
    default: return false;  // cancelled: the walk ends, the changes made stay
  }
  if (FRVHunSpell->OnSpellFormAction) FRVHunSpell->OnSpellFormAction(FRVHunSpell, FWord, corrected, action);
  switch (action) {
    case rvhsAdd: FRVHunSpell->AddToDictionary(FWord); break;
    case rvhsIgnoreAll: FRVHunSpell->AddToIgnoreList(FWord); break;
    case rvhsChangeAll: FRVHunSpell->AddReplacement(FWord, corrected); [[fallthrough]];
    case rvhsChange:
      if (frm->IsReplacingItemText()) {
        FText = corrected;
        FTextChanged = true;
      } else {
        FWord = corrected;
        FWordChanged = true;
      }
      break;
    case rvhsIgnore: break;
  }
  return true;
}

void RVConnectLiveSpelling(TCustomViroZere* Viewer, TRVHunSpell* Speller) {
  if (!Speller) {
    Viewer->OnSpellingCheck = nullptr;
    return;
  }
  Viewer->OnSpellingCheck = [Speller](TObject*, const TRVUnicodeString& AWord, int, bool& Misspelled) {
    Misspelled = !Speller->Spell(AWord);
  };
}
