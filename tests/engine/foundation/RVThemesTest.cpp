#include "engine/foundation/RVThemes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

BOOL FakeTrue() { return 1; }

// A loader that finds a library exporting every entry point, and counts loads and frees.
struct FakeLibrary {
  int Loads = 0;
  int Frees = 0;
  std::vector<std::string> Asked;
  int Module = 0;

  TRVThemeLibraryLoader Make() {
    TRVThemeLibraryLoader l;
    l.Load = [this](const std::string& name) -> void* {
      ++Loads;
      return name == "uxtheme.dll" ? &Module : nullptr;
    };
    l.GetProc = [this](void*, const char* name) -> void* {
      Asked.push_back(name);
      return reinterpret_cast<void*>(&FakeTrue);
    };
    l.Free = [this](void* m) {
      EXPECT_EQ(m, &Module);
      ++Frees;
    };
    return l;
  }
};

class ThemesTest : public ::testing::Test {
 protected:
  FakeLibrary lib;  // outlives TearDown, which may free it
  void TearDown() override {
    FreeXPThemeLibrary();
    SetThemeLibraryLoader(RVDefaultThemeLibraryLoader());
  }
  static std::vector<bool> Bound() {
    return {IsThemeActive != nullptr, IsAppThemed != nullptr, OpenThemeData != nullptr,
            CloseThemeData != nullptr, DrawThemeParentBackground != nullptr,
            DrawThemeText != nullptr, DrawThemeEdge != nullptr,
            DrawThemeBackground != nullptr,
            IsThemeBackgroundPartiallyTransparent != nullptr, GetThemeRect != nullptr,
            GetThemePartSize != nullptr};
  }
};

TEST_F(ThemesTest, ThisPlatformHasNoVisualStyles) {
  LoadXPThemeLibrary();
  EXPECT_EQ(GetThemeLibraryHandle(), nullptr);
  EXPECT_EQ(Bound(), std::vector<bool>(11, false));
}

TEST_F(ThemesTest, VersionGate) {
  struct Case {
    bool NT;
    DWORD Major, Minor;
    bool Loaded;
  };
  const Case cases[] = {{true, 5, 0, false}, {true, 4, 9, false}, {false, 6, 0, false},
                        {true, 5, 1, true},  {true, 6, 0, true},  {true, 10, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.NT << " " << c.Major << "." << c.Minor);
    FakeLibrary lib;
    SetThemeLibraryLoader(lib.Make());
    LoadXPThemeLibrary(c.NT, c.Major, c.Minor);
    EXPECT_EQ(lib.Loads, c.Loaded ? 1 : 0);
    EXPECT_EQ(GetThemeLibraryHandle() != nullptr, c.Loaded);
    EXPECT_EQ(Bound(), std::vector<bool>(11, c.Loaded));
    FreeXPThemeLibrary();
    EXPECT_EQ(lib.Frees, c.Loaded ? 1 : 0);
    EXPECT_EQ(Bound(), std::vector<bool>(11, false));
    FreeXPThemeLibrary();  // a second free does nothing
    EXPECT_EQ(lib.Frees, c.Loaded ? 1 : 0);
    SetThemeLibraryLoader(RVDefaultThemeLibraryLoader());
  }
}

TEST_F(ThemesTest, EntryPointsLookedUpByName) {
  SetThemeLibraryLoader(lib.Make());
  LoadXPThemeLibrary(true, 6, 1);
  const std::vector<std::string> expected = {
      "IsThemeActive",      "IsAppThemed",         "OpenThemeData",
      "CloseThemeData",     "DrawThemeParentBackground", "DrawThemeText",
      "DrawThemeEdge",      "DrawThemeBackground", "IsThemeBackgroundPartiallyTransparent",
      "GetThemeRect",       "GetThemePartSize"};
  EXPECT_EQ(lib.Asked, expected);
  EXPECT_EQ(IsThemeActive(), 1);
}

TEST_F(ThemesTest, MissingEntryPointStaysNull) {
  TRVThemeLibraryLoader l = lib.Make();
  l.GetProc = [](void*, const char* name) -> void* {
    return std::string(name) == "GetThemeRect" ? nullptr : reinterpret_cast<void*>(&FakeTrue);
  };
  SetThemeLibraryLoader(l);
  LoadXPThemeLibrary(true, 6, 0);
  EXPECT_EQ(GetThemeRect, nullptr);
  EXPECT_NE(GetThemePartSize, nullptr);
}

}  // namespace
