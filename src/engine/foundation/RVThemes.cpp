#include "engine/foundation/RVThemes.h"

#include <utility>

// Every entry point once; each variable is named after the function it binds, and typed TRV<name>.
#define RV_THEME_ENTRY_POINTS(X) \
  X(IsThemeActive) \
  X(IsAppThemed) \
  X(OpenThemeData) \
  X(CloseThemeData) \
  X(DrawThemeParentBackground) \
  X(DrawThemeText) \
  X(DrawThemeEdge) \
  X(DrawThemeBackground) \
  X(IsThemeBackgroundPartiallyTransparent) \
  X(GetThemeRect) \
  X(GetThemePartSize)

#define RV_DEFINE_ENTRY_POINT(Name) TRV##Name Name = nullptr;
RV_THEME_ENTRY_POINTS(RV_DEFINE_ENTRY_POINT)
#undef RV_DEFINE_ENTRY_POINT

namespace {

void* ThemeLibrary = nullptr;

TRVThemeLibraryLoader& Loader() {
  static TRVThemeLibraryLoader loader = RVDefaultThemeLibraryLoader();
  return loader;
}

void ClearEntryPoints() {
#define RV_CLEAR_ENTRY_POINT(Name) Name = nullptr;
  RV_THEME_ENTRY_POINTS(RV_CLEAR_ENTRY_POINT)
#undef RV_CLEAR_ENTRY_POINT
}

template <class T>
void Bind(T& entry, const char* name) {
  entry = reinterpret_cast<T>(Loader().GetProc ? Loader().GetProc(ThemeLibrary, name) : nullptr);
}

}  // namespace

TRVThemeLibraryLoader RVDefaultThemeLibraryLoader() {
  TRVThemeLibraryLoader l;
  l.Load = [](const std::string&) -> void* { return nullptr; };
  l.GetProc = [](void*, const char*) -> void* { return nullptr; };
  l.Free = [](void*) {};
  return l;
}

void SetThemeLibraryLoader(TRVThemeLibraryLoader L) { Loader() = std::move(L); }

void* GetThemeLibraryHandle() { return ThemeLibrary; }

void LoadXPThemeLibrary(bool IsNT, DWORD MajorVersion, DWORD MinorVersion) {
  FreeXPThemeLibrary();
  ThemeLibrary = nullptr;
  bool versionOk = IsNT && (MajorVersion > 5 || (MajorVersion == 5 && MinorVersion > 0));
  if (!versionOk) return;
  ClearEntryPoints();
  ThemeLibrary = Loader().Load ? Loader().Load("uxtheme.dll") : nullptr;
  if (!ThemeLibrary) return;
#define RV_BIND_ENTRY_POINT(Name) Bind(Name, #Name);
  RV_THEME_ENTRY_POINTS(RV_BIND_ENTRY_POINT)
#undef RV_BIND_ENTRY_POINT
}

void LoadXPThemeLibrary() {
  // The platform answers as NT 10.
  LoadXPThemeLibrary(true, 10, 0);
}

void FreeXPThemeLibrary() {
  if (ThemeLibrary && Loader().Free) Loader().Free(ThemeLibrary);
  ThemeLibrary = nullptr;
  ClearEntryPoints();
}
