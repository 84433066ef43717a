// Fixtures of the formatting tests: a style sheet measuring with fixed metrics (every character
// 10 pixels wide, 8 above and 2 below the baseline) and a formatted document over it, and a
// compact text form of draw items for table-driven checks.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

inline const bool LayoutTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct TLayoutDoc {
  TRVStyle Sheet{nullptr};
  TRVPlainFormattedData Doc{&Sheet};

  explicit TLayoutDoc(int Width = 70, int TextStyles = 2, int ParaStyles = 2) {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < TextStyles) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < ParaStyles) Sheet.ParaStyles()->Add();
    for (int i = 0; i < Sheet.ParaStyles()->Count(); ++i) Sheet.ParaStyles()->Items(i)->Alignment = rvaLeft;
    Doc.SetWidth(Width);
    Doc.SetFlags(Doc.GetFlags() + rvflTrim);
  }
  // A tab character continuing the paragraph.
  void AddTab(int TextStyle = 0) {
    auto* tab = new TRVTabItemInfo(&Doc);
    tab->SetTextStyleNo(TextStyle);
    tab->ParaNo = -1;
    Doc.AddItem(u"", tab);
  }
  TParaInfo* Para(int i) { return Sheet.ParaStyles()->Items(i); }
  TFontInfo* Font(int i) { return Sheet.TextStyles()->Items(i); }
  TRVDrawLines& D() { return *Doc.DrawItems; }

  // "L,T WxH" of draw item i, with its text for text items: "0,10 30x10 'ccc'".
  std::string Box(int i) {
    TRVDrawLineInfo* d = D().Get(i);
    std::string s = std::to_string(d->Left) + "," + std::to_string(d->Top) + " " + std::to_string(d->Width) + "x" +
                    std::to_string(d->Height);
    if (Doc.GetItem(d->ItemNo)->StyleNo >= 0) {
      std::string t;
      for (char16_t c : D().GetString(i, Doc.GetItems())) t += c < 128 ? static_cast<char>(c) : '?';
      s += " '" + t + "'";
    }
    return s;
  }
  // Every draw item's box, separated by " | ".
  std::string Boxes() {
    std::string s;
    for (int i = 0; i < D().Count(); ++i) s += (i ? " | " : "") + Box(i);
    return s;
  }
  // The texts of the visual lines, "/" between lines.
  std::string Lines() {
    std::string s;
    for (int i = 0; i < D().Count(); ++i) {
      if (i && D().Get(i)->FromNewLine) s += "/";
      for (char16_t c : D().GetString(i, Doc.GetItems())) s += c < 128 ? static_cast<char>(c) : '?';
      if (Doc.GetItem(D().Get(i)->ItemNo)->StyleNo < 0) s += "#";
    }
    return s;
  }
};
