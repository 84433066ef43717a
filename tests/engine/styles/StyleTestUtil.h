// Shared fixtures of the style tests: an in-memory INI file and a sheet.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/IniFiles.h"

// Lengths in pixels refer to a 96-dpi screen in every test, whatever the display says.
inline const bool StyleTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

inline std::unique_ptr<TMemIniFile> NewIni() {
  return std::make_unique<TMemIniFile>(u"/nonexistent-dir-for-tests/styles.ini");
}

inline UnicodeString U(const char* s) { return AsciiToUnicode(s); }
