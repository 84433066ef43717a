// Shared by the benchmark programs that edit a document of A4 pages in an editor window beside
// the toolkit's rich-text document: the page's sizes, the plain one-paragraph-a-line sheet, the
// editor's window on the page and the toolkit's document with the same lines.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/TextPeers.h"
#include "platform/ui/Controls.h"

namespace {

constexpr int kMargin = 76;      // 2 cm at 96 pixels an inch
constexpr int kPageWidth = 794;  // A4 at 96 pixels an inch
constexpr int kViewHeight = 800;

// Text in DejaVu Sans 12 pt, paragraphs without spacing; the text style.
inline TFontInfo* SetPlainPageStyles(TRVStyle& Sheet) {
  TFontInfo* f = Sheet.TextStyles()->Items(0);
  f->FontName = u"DejaVu Sans";
  f->SetSize(12);
  TParaInfo* para = Sheet.ParaStyles()->Items(0);
  para->SetSpaceBefore(0);
  para->SetSpaceAfter(0);
  return f;
}

// An editor window of the page's width with its margins, shown, on Sheet; its document emptied
// (the editor gave its empty document an empty paragraph when its window came).
inline std::unique_ptr<TViroZereEdit> OpenPageEditor(TRVStyle& Sheet) {
  auto Editor = std::make_unique<TViroZereEdit>(nullptr);
  Editor->SetStyle(&Sheet);
  Editor->SetLeftMargin(kMargin);
  Editor->SetRightMargin(kMargin);
  Editor->SetBounds(0, 0, kPageWidth, kViewHeight);
  Editor->HandleNeeded();
  ShowWindow(Editor->GetHandle(), SW_SHOW);
  ProcessMessages(20);
  Editor->GetEditRVData()->Clear();
  return Editor;
}

// Formats the document; the client area takes the page's width once the frame and the scroll bar
// are known.
inline void FormatToPageWidth(TViroZereEdit& Editor) {
  Editor.Format();
  const int more = kPageWidth - Editor.GetClientWidth();
  if (more != 0) {
    Editor.SetBounds(0, 0, kPageWidth + more, kViewHeight);
    ProcessMessages(20);
    Editor.Format();
  }
}

// The lines as paragraphs of the toolkit's document, in the font of Style.
inline void AddPeerLines(TToolkitDocumentPeer& Peer, const std::vector<std::u16string>& Lines, const TFontInfo& Style) {
  for (const auto& l : Lines) {
    Peer.AddParagraph(0, 0, false, TToolkitDocumentPeer::tlNone);
    TToolkitDocumentPeer::TRun run;
    run.Text = l;
    run.Family = Style.FontName;
    run.PointSize = 12;
    Peer.AddRun(run);
  }
}

}  // namespace
