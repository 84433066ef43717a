// The document of the formatting-stream fuzz target and its seeds: items of which some write a
// block of their own (a tab with a leader, a label), and draw items of every kind over them.
#pragma once

#include <memory>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVLabelItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"

namespace fuzz {

struct TFormattingStreamDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Doc{&Sheet};
  TFormattingStreamDoc() {
    Doc.AddNL(u"first words of the text", 0, 0);
    auto* tab = new TRVTabItemInfo(&Doc);
    tab->Align = rvtaCenter;
    tab->Leader = u"-.";
    tab->SetSameAsPrev(true);
    Doc.AddItem(u"", tab);
    auto* label = new TRVLabelItemInfo(&Doc, 0, u"label");
    label->SetSameAsPrev(true);
    Doc.AddItem(u"", label);
    Doc.AddBreak(1, 0, clNone);
    Doc.AddNL(u"last", 0, 0);
  }
  TRVItemList* Items() { return Doc.GetItems(); }
};

// Draw items of every kind over the document: the first text in three pieces, the tab, the label
// as a floating box, the break, the last text.
inline void FillFormattingStreamLines(TRVDrawLines& Lines) {
  int y = 0;
  auto add = [&](TRVDrawLineInfoClass c, int ItemNo, int Offs, int Length, bool NewLine) {
    std::unique_ptr<TRVDrawLineInfo> d = c->CreateEx(NewLine ? 10 : 60, y, 50, 16, ItemNo, NewLine);
    d->Offs = Offs;
    d->TextLength = Length;
    d->BaseLine = y + 12;
    d->FromNewPara = NewLine && Offs <= 1;
    d->SetTextWidth(44);
    d->SetSpaceCount(2);
    d->SetRightNoExpandIndex(Length);
    d->SetExtraSpaceBelow(3);
    d->SetExtraSpaceAbove(1);
    TRVDrawLineInfo* r = d.get();
    Lines.Add(d.release());
    if (NewLine) y += 20;
    return r;
  };
  add(RVDrawLineInfoClassOf<TRVDrawLineInfo>(), 0, 1, 6, true);
  add(RVDrawLineInfoClassOf<TRVJustifyDrawLineInfo>(), 0, 7, 9, true);
  add(RVDrawLineInfoClassOf<TRVSimpleLineHeightDrawLineInfo>(), 0, 16, 8, true);
  add(RVDrawLineInfoClassOf<TRVComplexLineHeightDrawLineInfo>(), 1, 0, 0, false);
  auto* f = static_cast<TRVFloatingDrawLineInfo*>(add(RVDrawLineInfoClassOf<TRVFloatingDrawLineInfo>(), 2, 0, 0, false));
  f->FloatLeft = 300;
  f->FloatTop = 20;
  f->FloatWidth = 40;
  f->FloatHeight = 30;
  f->FloatType = rvdifRight;
  f->FloatingAboveUsed = true;
  add(RVDrawLineInfoClassOf<TRVDrawLineInfo>(), 3, 0, 0, true);
  add(RVDrawLineInfoClassOf<TRVDrawLineInfo>(), 4, 1, 4, true);
}

}  // namespace fuzz
