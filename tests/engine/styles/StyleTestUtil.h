// Shared fixtures of the style tests: an in-memory INI file and a sheet.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/foundation/RVClasses.h"

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/IniFiles.h"

// Lengths in pixels refer to a 96-dpi screen in every test, whatever the display says.
inline const bool StyleTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

inline std::unique_ptr<TMemIniFile> NewIni() {
  return std::make_unique<TMemIniFile>(u"/nonexistent-dir-for-tests/styles.ini");
}

inline UnicodeString U(const char* s) { return AsciiToUnicode(s); }

inline std::vector<int> V(const TRVIntegerList& l) {
  std::vector<int> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l.Get(i));
  return r;
}

inline TRVIntegerList L(std::initializer_list<int> values) {
  TRVIntegerList r;
  for (int v : values) r.Add(v);
  return r;
}

// A sheet without its default text and paragraph styles, for tests that build the collections
// from nothing.
class TEmptyRVStyle : public TRVStyle {
 public:
  TEmptyRVStyle() : TRVStyle(nullptr) {
    TextStyles()->Clear();
    ParaStyles()->Clear();
  }
};
