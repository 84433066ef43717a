#include "engine/foundation/RVThemes.h"

#include <utility>

TRVIsThemeActive IsThemeActive = nullptr;
TRVIsAppThemed IsAppThemed = nullptr;
TRVOpenThemeData OpenThemeData = nullptr;
TRVCloseThemeData CloseThemeData = nullptr;
TRVDrawThemeParentBackground DrawThemeParentBackground = nullptr;
TRVDrawThemeText DrawThemeText = nullptr;
TRVDrawThemeEdge DrawThemeEdge = nullptr;
TRVDrawThemeBackground DrawThemeBackground = nullptr;
TRVIsThemeBackgroundPartiallyTransparent IsThemeBackgroundPartiallyTransparent = nullptr;
TRVGetThemeRect GetThemeRect = nullptr;
TRVGetThemePartSize GetThemePartSize = nullptr;

namespace {

void* ThemeLibrary = nullptr;

TRVThemeLibraryLoader& Loader() {
  static TRVThemeLibraryLoader loader = RVDefaultThemeLibraryLoader();
  return loader;
}

void ClearEntryPoints() {
  IsThemeActive = nullptr;
  IsAppThemed = nullptr;
  OpenThemeData = nullptr;
  CloseThemeData = nullptr;
  DrawThemeParentBackground = nullptr;
  DrawThemeText = nullptr;
  DrawThemeEdge = nullptr;
  DrawThemeBackground = nullptr;
  IsThemeBackgroundPartiallyTransparent = nullptr;
  GetThemeRect = nullptr;
  GetThemePartSize = nullptr;
}

template <class T>
void Bind(T& entry, const char* name) {
  entry = reinterpret_cast<T>(Loader().GetProc ? Loader().GetProc(ThemeLibrary, name) : nullptr);
}

// Binds at start-up and frees at shutdown, as the unit's initialization and finalization.
struct TThemeLibraryLifetime {
  TThemeLibraryLifetime() { LoadXPThemeLibrary(); }
  ~TThemeLibraryLifetime() { FreeXPThemeLibrary(); }
} ThemeLibraryLifetime;

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
  Bind(IsThemeActive, "IsThemeActive");
  Bind(IsAppThemed, "IsAppThemed");
  Bind(OpenThemeData, "OpenThemeData");
  Bind(CloseThemeData, "CloseThemeData");
  Bind(DrawThemeParentBackground, "DrawThemeParentBackground");
  Bind(DrawThemeText, "DrawThemeText");
  Bind(DrawThemeEdge, "DrawThemeEdge");
  Bind(DrawThemeBackground, "DrawThemeBackground");
  Bind(IsThemeBackgroundPartiallyTransparent, "IsThemeBackgroundPartiallyTransparent");
  Bind(GetThemeRect, "GetThemeRect");
  Bind(GetThemePartSize, "GetThemePartSize");
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
