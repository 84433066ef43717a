// Run-time binding of the visual-styles library. Every entry point is null when unavailable and
// every caller then draws without themes. This platform has no such library, so the default
// loader finds nothing and all callers take their unthemed paths.
#pragma once

#include <functional>
#include <string>

#include "platform/base/Types.h"

using HTHEME = void*;
using RVTHEME_HDC = void*;  // a device context handle as the library takes it

struct RVTHEME_RECT {
  LONG left, top, right, bottom;
};
struct RVTHEME_SIZE {
  LONG cx, cy;
};

using TRVIsThemeActive = BOOL (*)();
using TRVIsAppThemed = BOOL (*)();
using TRVOpenThemeData = HTHEME (*)(void* hwnd, const WideChar* pszClassList);
using TRVCloseThemeData = std::int32_t (*)(HTHEME hTheme);
using TRVDrawThemeParentBackground = std::int32_t (*)(void* hwnd, RVTHEME_HDC hdc,
                                                      const RVTHEME_RECT* prc);
using TRVDrawThemeText = std::int32_t (*)(HTHEME hTheme, RVTHEME_HDC hdc, int iPartId,
                                          int iStateId, const WideChar* pszText, int iCharCount,
                                          DWORD dwTextFlags, DWORD dwTextFlags2,
                                          const RVTHEME_RECT* pRect);
using TRVDrawThemeEdge = std::int32_t (*)(HTHEME hTheme, RVTHEME_HDC hdc, int iPartId,
                                          int iStateId, const RVTHEME_RECT* pDestRect,
                                          UINT uEdge, UINT uFlags, RVTHEME_RECT* pContentRect);
using TRVDrawThemeBackground = std::int32_t (*)(HTHEME hTheme, RVTHEME_HDC hdc, int iPartId,
                                                int iStateId, const RVTHEME_RECT* pRect,
                                                const RVTHEME_RECT* pClipRect);
using TRVIsThemeBackgroundPartiallyTransparent = BOOL (*)(HTHEME hTheme, int iPartId,
                                                          int iStateId);
using TRVGetThemeRect = std::int32_t (*)(HTHEME hTheme, int iPartId, int iStateId, int iPropId,
                                         RVTHEME_RECT* pRect);
using TRVGetThemePartSize = std::int32_t (*)(HTHEME hTheme, RVTHEME_HDC hdc, int iPartId,
                                             int iStateId, const RVTHEME_RECT* prc, int eSize,
                                             RVTHEME_SIZE* psz);

extern TRVIsThemeActive IsThemeActive;
extern TRVIsAppThemed IsAppThemed;
extern TRVOpenThemeData OpenThemeData;
extern TRVCloseThemeData CloseThemeData;
extern TRVDrawThemeParentBackground DrawThemeParentBackground;
extern TRVDrawThemeText DrawThemeText;
extern TRVDrawThemeEdge DrawThemeEdge;
extern TRVDrawThemeBackground DrawThemeBackground;
extern TRVIsThemeBackgroundPartiallyTransparent IsThemeBackgroundPartiallyTransparent;
extern TRVGetThemeRect GetThemeRect;
extern TRVGetThemePartSize GetThemePartSize;

// How the library is reached: open a module by name, look an entry point up by name, free it.
struct TRVThemeLibraryLoader {
  std::function<void*(const std::string& Name)> Load;
  std::function<void*(void* Module, const char* Name)> GetProc;
  std::function<void(void* Module)> Free;
};

// The loader of this platform: there is no visual-styles library to open.
TRVThemeLibraryLoader RVDefaultThemeLibraryLoader();
// Replaces the loader the binding uses (tests give one that finds a library).
void SetThemeLibraryLoader(TRVThemeLibraryLoader Loader);

// The module handle of the bound library, or null.
void* GetThemeLibraryHandle();

// Binds the entry points for a platform of the given version; the version gate is NT 5.1 or later.
void LoadXPThemeLibrary(bool IsNT, DWORD MajorVersion, DWORD MinorVersion);
// Binds for the running platform (NT 10 here).
void LoadXPThemeLibrary();
// Frees the library when it was loaded; the entry points become null.
void FreeXPThemeLibrary();
