// The peer document of the layout benchmarks: a formatted document copied into the toolkit's
// rich-text document (a block per paragraph, a fragment per run, tabs and inline images).
#pragma once

#include <memory>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/TextPeers.h"

// The same document in the toolkit's form: a block per paragraph, a fragment per run.
inline std::unique_ptr<TToolkitDocumentPeer> ToolkitCopy(TCustomRVData& doc, TRVStyle& sheet) {
  auto peer = std::make_unique<TToolkitDocumentPeer>();
  for (int i = 0; i < doc.ItemCount(); ++i) {
    TCustomRVItemInfo* item = doc.GetItem(i);
    if (doc.IsParaStart(i)) {
      TParaInfo* p = sheet.ParaStyles()->Items(item->ParaNo);
      TToolkitDocumentPeer::TList list = TToolkitDocumentPeer::tlNone;
      if (auto* m = dynamic_cast<TRVMarkerItemInfo*>(item)) {
        TRVListLevel* level = m->GetLevelInfo(&sheet);
        list = level && level->HasNumbering() ? TToolkitDocumentPeer::tlNumbers : TToolkitDocumentPeer::tlBullets;
      }
      std::vector<int> tabs;
      for (int t = 0; t < p->Tabs()->Count(); ++t) tabs.push_back(p->Tabs()->Items(t)->GetPosition());
      peer->AddParagraph(p->LeftIndent, p->FirstIndent, p->Alignment == rvaJustify, list, tabs,
                         p->GetSpaceBefore(), p->GetSpaceAfter());
    }
    if (item->StyleNo >= 0 || item->StyleNo == ItemKindTab) {
      const int s = item->StyleNo >= 0 ? item->StyleNo : static_cast<TRVTabItemInfo*>(item)->GetTextStyleNo();
      TFontInfo* f = sheet.TextStyles()->Items(s);
      TToolkitDocumentPeer::TRun run;
      run.Text = item->StyleNo >= 0 ? doc.GetItemTextW(i) : u"\t";
      run.Family = f->FontName;
      run.PointSize = f->SizeDouble / 2.0;
      run.Bold = f->Style.Contains(fsBold);
      run.Italic = f->Style.Contains(fsItalic);
      run.Underline = f->Style.Contains(fsUnderline);
      peer->AddRun(run);
    } else if (auto* pic = dynamic_cast<TRVGraphicItemInfo*>(item)) {
      peer->AddImage(pic->GetImageWidth(&sheet), pic->GetImageHeight(&sheet));
    }
  }
  return peer;
}

