#include "spelling/RVSpellFormUtils.h"

#include "engine/editor/RVEdit.h"
#include "engine/styles/FontInfo.h"
#include "engine/viewer/RVViewerLinear.h"
#include "platform/base/Classes.h"
#include "spelling/RVSpellFrm.h"
#include "spelling/RVSpellWordFrm.h"

void CreateSpellForm(TRVHunSpellFormStyle Style, TfrmRVCustomSpell*& Form) {
  if (Form) return;
  if (Style == rvhfMSWord) {
    auto* form = new TfrmRVSpellWord(nullptr);
    form->lst->Items().Clear();
    Form = form;
  } else {
    auto* form = new TfrmRVSpell(nullptr);
    form->cmb->Items().Clear();
    form->txtWrongWord->SetText(u"");
    Form = form;
  }
}

void FillSpellForm(const TRVUnicodeString& AWord, const TRVUnicodeString& AText, int S, int E, TFontInfo* Style,
                   TfrmRVCustomSpell* Form) {
  if (auto* word = dynamic_cast<TfrmRVSpellWord*>(Form)) {
    if (word->lst->Items().Count() > 0) word->lst->SetItemIndex(0);
    word->Init(AText, S, E - S, Style);
    if (Style) word->lst->Font().SetCharset(Style->Charset);
  } else if (auto* classic = dynamic_cast<TfrmRVSpell*>(Form)) {
    if (classic->cmb->Items().Count() > 0) classic->cmb->SetItemIndex(0);
    if (Style) {
      classic->cmb->Font().SetCharset(Style->Charset);
      classic->txtWrongWord->Font().SetCharset(Style->Charset);
    }
    classic->txtWrongWord->SetText(AWord);
  }
}

TRVUnicodeString GetEditorPlainText(TCustomViroZereEdit* Editor) { return GetLinearText(Editor, 0, -1, 2); }
