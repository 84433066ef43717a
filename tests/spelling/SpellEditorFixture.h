// An editor with a fixed-metrics style sheet and a document written paragraph by paragraph, for
// the tests of the word enumerator, the interactive check and live spelling.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"

inline const bool SpellTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct SpellEditorFixture : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  TRVEditRVData* Data = nullptr;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 2) Sheet.ParaStyles()->Add();
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetBounds(0, 0, 600, 400);
    Editor->SetStyle(&Sheet);
    Data = Editor->GetEditRVData();
  }
  void TearDown() override {
    if (Editor) Editor->EndLiveSpellingThread();
  }

  // Adds a text item; a new paragraph unless Continue.
  void Add(const TRVUnicodeString& Text, int StyleNo = 0, bool Continue = false) {
    Data->AddNL(Text, StyleNo, Continue ? -1 : 0);
  }
  void Format() {
    Editor->HandleNeeded();
    Editor->Format();
  }

  static std::string ToUtf8(const TRVUnicodeString& S) { return UnicodeToUtf8(S); }
  // The document's text items joined with "|".
  std::string Texts() const {
    std::string s;
    for (int i = 0; i < Data->ItemCount(); ++i) {
      if (i) s += '|';
      s += ToUtf8(Data->GetItemTextW(i));
    }
    return s;
  }
};
