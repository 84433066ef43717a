// Shared fixtures of the document tests: a sheet with a few text and paragraph styles and a root
// document over it that records what its items report.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

// Lengths in pixels refer to a 96-dpi screen in every test.
inline const bool DocTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct TTestDoc {
  TRVStyle Sheet{nullptr};
  std::vector<std::pair<TRVItemAction, TCustomRVItemInfo*>> Actions;  // outlives Doc, which reports to it
  TRVPlainRootData Doc{&Sheet};

  explicit TTestDoc(int TextStyles = 4, int ParaStyles = 3) {
    while (Sheet.TextStyles()->Count() < TextStyles) Sheet.TextStyles()->Add();
    while (Sheet.TextStyles()->Count() > TextStyles) Sheet.TextStyles()->Delete(Sheet.TextStyles()->Count() - 1);
    while (Sheet.ParaStyles()->Count() < ParaStyles) Sheet.ParaStyles()->Add();
    while (Sheet.ParaStyles()->Count() > ParaStyles) Sheet.ParaStyles()->Delete(Sheet.ParaStyles()->Count() - 1);
    Doc.GetRootEvents()->OnItemAction = [this](TRVItemAction a, TCustomRVItemInfo* i, TRVUnicodeString&,
                                               TCustomRVData*) { Actions.push_back({a, i}); };
  }
  int CountActions(TRVItemAction a) const {
    int n = 0;
    for (const auto& p : Actions) n += p.first == a;
    return n;
  }
  // The options of every item as "S" (same line), "B" (line break) or "P" (new paragraph), with
  // the paragraph number: "P0 S0 B2".
  std::string Structure() const {
    std::string r;
    for (int i = 0; i < Doc.ItemCount(); ++i) {
      const TCustomRVItemInfo* it = Doc.GetItem(i);
      if (!r.empty()) r += ' ';
      r += it->GetSameAsPrev() ? 'S' : it->GetBR() ? 'B' : 'P';
      r += std::to_string(it->ParaNo);
    }
    return r;
  }
};

inline TRVUnicodeString U(const char* s) { return AsciiToUnicode(s); }

inline std::string StreamText(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.GetSize()));
}

inline std::vector<int> V(const TRVIntegerList& l) {
  std::vector<int> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l.Get(i));
  return r;
}
