// Shared fixtures of the style tests: an in-memory INI file and a sheet.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/styles/RVStyle.h"
#include "platform/base/IniFiles.h"

inline std::unique_ptr<TMemIniFile> NewIni() {
  return std::make_unique<TMemIniFile>(u"/nonexistent-dir-for-tests/styles.ini");
}

inline UnicodeString U(const char* s) { return AsciiToUnicode(s); }
