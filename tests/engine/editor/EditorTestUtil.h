// An editor with a fixed-metrics style sheet, a document written as a short string, and the
// opening of undo and redo steps, for the tests of the editor's primitives and undo records.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

inline const bool EditorTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// An object with published properties, standing for the object inside an item whose properties
// the item-property primitives change.
class TEditProbe : public TPersistent {
  TAVRELO_PERSISTENT(TEditProbe, TPersistent)
 public:
  int GetSize() const { return Size; }
  void SetSize(int V) { Size = V; }
  int GetDepth() const { return Depth; }
  void SetDepth(int V) { Depth = V; }
  TRVUnicodeString GetCaption() const { return Caption; }
  void SetCaption(const TRVUnicodeString& V) { Caption = V; }
  int Size = 10, Depth = 1;
  TRVUnicodeString Caption = u"cap";
};

inline const TClassInfo& TEditProbe::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TEditProbe>(u"TEditProbe", &inherited::StaticClassInfo())
                                     .Integer(u"Size", &TEditProbe::GetSize, &TEditProbe::SetSize)
                                     .Integer(u"Depth", &TEditProbe::GetDepth, &TEditProbe::SetDepth)
                                     .String(u"Caption", &TEditProbe::GetCaption, &TEditProbe::SetCaption)
                                     .Build();
  return info;
}

struct EditorFixture : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  TRVEditRVData* Data = nullptr;
  TEditProbe Probe;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 3) Sheet.ParaStyles()->Add();
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, 400, 300);
    Editor->SetStyle(&Sheet);
    Data = Editor->GetEditRVData();
  }

  // Adds a text item: Mode '|' starts a paragraph, '+' continues it, '/' breaks the line.
  void Add(const TRVUnicodeString& Text, int StyleNo, int ParaNo, char Mode = '|') {
    Data->AddNL(Text, StyleNo, Mode == '+' ? -1 : ParaNo);
    TCustomRVItemInfo* item = Data->GetItem(Data->ItemCount() - 1);
    if (Mode == '/') item->SetBR(true);
  }

  // The document as "text@style/para" with flags (S continues, B line break, P page break,
  // L and R clear), "#tag" and "*checkpoint", items separated by spaces; then the probe.
  std::string Snap() const {
    std::string s;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      TCustomRVItemInfo* it = Data->GetItem(i);
      if (i) s += ' ';
      s += ToUtf8(Data->GetItemTextW(i)) + "@" + std::to_string(it->StyleNo) + "/" + std::to_string(it->ParaNo);
      if (it->GetSameAsPrev()) s += 'S';
      if (it->GetBR()) s += 'B';
      if (it->GetPageBreakBefore()) s += 'P';
      if (it->GetClearLeft()) s += 'L';
      if (it->GetClearRight()) s += 'R';
      if (!it->Tag.empty()) s += "#" + ToUtf8(it->Tag);
      if (it->Checkpoint) s += "*" + ToUtf8(it->Checkpoint->Name);
    }
    s += " cp" + std::to_string(Data->CPCount);
    s += " probe" + std::to_string(Probe.Size) + "," + std::to_string(Probe.Depth) + "," + ToUtf8(Probe.Caption);
    return s;
  }
  static std::string ToUtf8(const TRVUnicodeString& S) {
    std::string r;
    for (char16_t c : S) r += static_cast<char>(c);
    return r;
  }

  void OpenUndoStep() { Data->BeginUndoSequence(rvutMiscTyping, false); }
  void OpenRedoStep() { Data->BeginRedoSequence(rvutMiscTyping, u""); }
  TRVUndoInfos* LastUndoStep() const { return Data->UndoList->LastStep(); }
  TRVUndoInfos* LastRedoStep() const { return Data->RedoList->LastStep(); }

  TCustomRVItemInfo* NewTextItem(int StyleNo, int ParaNo, bool SameAsPrev = false) {
    return Data->CreateTextItem(u"", ParaNo, false, SameAsPrev, StyleNo);
  }
};
