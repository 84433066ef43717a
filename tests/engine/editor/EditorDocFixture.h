// An editor control with the generated document's style sheet measured by fixed metrics, and a
// picture of every draw item that a formatting produced.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/layout/DrawLines.h"
#include "support/GeneratedDocument.h"

struct TEditorDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;

  explicit TEditorDoc(int Width = 660, int Height = 400) {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(7, 9, 3));
    SetGeneratedDocumentStyles(Sheet);
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, Width, Height);
    Editor->SetStyle(&Sheet);
  }
  TRVEditRVData& D() const { return *Editor->GetEditRVData(); }
  TRVDrawLines& DI() const { return *D().DrawItems; }

  // Every geometric field of every draw item, the document's numbers and each item's first draw item.
  std::string Snapshot() const {
    TRVEditRVData& d = D();
    std::ostringstream s;
    s << "W" << d.DocumentWidth << " H" << d.DocumentHeight << " T" << d.TextWidth << "\n";
    for (int i = 0; i < d.DrawItems->Count(); ++i) {
      TRVDrawLineInfo* di = d.DrawItems->Get(i);
      s << i << ": " << di->Left << "," << di->Top << " " << di->Width << "x" << di->Height << " i" << di->ItemNo
        << " o" << di->Offs << "+" << di->TextLength << " b" << di->BaseLine << " " << di->FromNewLine
        << di->FromNewPara << "\n";
    }
    for (int i = 0; i < d.ItemCount(); ++i) s << "#" << i << ":" << d.GetItem(i)->DrawItemNo << " ";
    return s.str();
  }
};
