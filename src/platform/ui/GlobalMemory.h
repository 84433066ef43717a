// Global memory blocks: the movable, shareable blocks in which data travels to and from the
// clipboard. A block's size is exactly what was asked for.
#pragma once

#include <cstddef>

#include "platform/base/Types.h"

struct TGlobalBlock;
using HGLOBAL = TGlobalBlock*;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_SHARE = 0x2000;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// The largest block GlobalAlloc grants; larger requests fail as if memory had run out.
extern std::size_t GlobalAllocLimit;

// nullptr when the block cannot be had. The contents are zero-filled either way.
HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
// The block's memory (nullptr for a null handle); the address is stable while the block lives.
void* GlobalLock(HGLOBAL h);
BOOL GlobalUnlock(HGLOBAL h);
std::size_t GlobalSize(HGLOBAL h);
// Always succeeds here and so answers nullptr.
HGLOBAL GlobalFree(HGLOBAL h);
