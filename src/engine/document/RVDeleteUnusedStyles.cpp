#include "engine/document/RVDeleteUnusedStyles.h"

#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

TRVDeleteUnusedStylesData::TRVDeleteUnusedStylesData(bool ATextStyles, bool AParaStyles, bool AListStyles)
    : FTextStyles(ATextStyles), FParaStyles(AParaStyles), FListStyles(AListStyles) {}

void TRVDeleteUnusedStylesData::Init(TRVStyle* ARVStyle) {
  if (FInitialized) return;
  FInitialized = true;
  FUsedTextStyles = std::make_unique<TRVIntegerList>(ARVStyle->TextStyles()->Count(), FTextStyles ? 0 : 1);
  FUsedParaStyles = std::make_unique<TRVIntegerList>(ARVStyle->ParaStyles()->Count(), FParaStyles ? 0 : 1);
  FUsedListStyles = std::make_unique<TRVIntegerList>(ARVStyle->ListStyles()->Count(), FListStyles ? 0 : 1);
  if (FTextStyles && ARVStyle->DefUnicodeStyle >= 0) {
    if (ARVStyle->DefUnicodeStyle < FUsedTextStyles->Count())
      FUsedTextStyles->Put(ARVStyle->DefUnicodeStyle, 1);
    else
      ARVStyle->DefUnicodeStyle = -1;
  }
  auto markStandard = [](TCustomRVInfos* styles, TRVIntegerList* l) {
    for (int i = 0; i < styles->Count(); ++i)
      if (styles->GetInfo(i)->Standard) l->Put(i, 1);
  };
  if (FTextStyles) markStandard(ARVStyle->TextStyles(), FUsedTextStyles.get());
  if (FParaStyles) markStandard(ARVStyle->ParaStyles(), FUsedParaStyles.get());
  if (FListStyles) markStandard(ARVStyle->ListStyles(), FUsedListStyles.get());
}

void TRVDeleteUnusedStylesData::FlagsToShifts(TRVIntegerList* L) {
  int v = 1;
  for (int i = 0; i < L->Count(); ++i) {
    if (L->Get(i) != 0)
      L->Put(i, v);
    else
      ++v;
  }
}

void TRVDeleteUnusedStylesData::DeleteUnused(TCustomRVInfos* Styles, const TRVIntegerList* L) {
  for (int i = std::min(L->Count(), Styles->Count()) - 1; i >= 0; --i)
    if (L->Get(i) == 0) Styles->Delete(i);
}

int TRVDeleteUnusedStylesData::ShiftReference(const TRVIntegerList* L, int I) {
  if (I < 0) return I;
  if (!L || I >= L->Count()) return -1;
  return I + 1 - L->Get(I);
}

void TRVDeleteUnusedStylesData::ConvertFlagsToShifts(TRVStyle* ARVStyle) {
  if (FConvertedToShifts || !FInitialized) return;
  FConvertedToShifts = true;
  if (FTextStyles) {
    TRVIntegerList* L = FUsedTextStyles.get();
    FlagsToShifts(L);
    TFontInfos* S = ARVStyle->TextStyles();
    DeleteUnused(S, L);
    for (int i = 0; i < S->Count(); ++i) {
      TFontInfo* f = S->Items(i);
      f->BaseStyleNo = ShiftReference(L, f->BaseStyleNo);
      f->NextStyleNo = ShiftReference(L, f->NextStyleNo);
    }
  }
  if (FParaStyles) {
    TRVIntegerList* L = FUsedParaStyles.get();
    FlagsToShifts(L);
    TParaInfos* S = ARVStyle->ParaStyles();
    DeleteUnused(S, L);
    for (int i = 0; i < S->Count(); ++i) {
      TParaInfo* p = S->Items(i);
      p->BaseStyleNo = ShiftReference(L, p->BaseStyleNo);
      p->NextParaNo = ShiftReference(L, p->NextParaNo);
      if (FTextStyles) p->DefStyleNo = ShiftReference(FUsedTextStyles.get(), p->DefStyleNo);
    }
  }
  if (FListStyles) {
    TRVIntegerList* L = FUsedListStyles.get();
    FlagsToShifts(L);
    TRVListInfos* S = ARVStyle->ListStyles();
    DeleteUnused(S, L);
    for (int i = 0; i < S->Count(); ++i) {
      TRVListInfo* li = S->Items(i);
      li->BaseStyleNo = ShiftReference(L, li->BaseStyleNo);
    }
  }
}
