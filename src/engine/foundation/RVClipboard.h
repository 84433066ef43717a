// The engine's clipboard formats and the routines that move text blocks, URLs and the code page
// of 8-bit text between the engine and the clipboard.
#pragma once

#include <cstddef>
#include <string>

#include "engine/foundation/RVTypes.h"
#include "engine/foundation/RVUni.h"

// Registered by RegisterFoundation (RVStartUp.h), in this order; 0 until then.
extern const UINT& RVFClipboardFormat;   // "ViroZere Format": RVF bytes of the copied selection
extern const UINT& RTFClipboardFormat;   // "Rich Text Format"
extern const UINT& URLClipboardFormat;   // "UniformResourceLocator": 8-bit URL
extern const UINT& URLWClipboardFormat;  // "UniformResourceLocatorW": UTF-16 URL
extern const UINT& HTMLClipboardFormat;  // "HTML Format"
// Registers the formats above; calling it again does nothing.
void RegisterClipboardFormats();

// Opens the clipboard, waiting for another program to let it go: five attempts with sleeps of
// 250, 500, 750 and 1000 ms between them. The last failure reaches the caller.
bool OpenClipboardWithRetries();
// The bytes of the format's block ("" when absent), read with the clipboard opened through
// OpenClipboardWithRetries and closed again on every path.
std::string ReadClipboardBlock(UINT Format);

// False when the clipboard does not hold the format; otherwise the text up to its first zero.
bool GetClipboardUnicodeText(TRVUnicodeString& Text, UINT Format);
bool GetClipboardAnsiText(TRVAnsiString& Text, UINT Format);
// Raise EViroZereError "No memory" when the block cannot be allocated.
void SetClipboardUnicodeText(const TRVUnicodeString& Text, UINT Format);
void SetClipboardAnsiText(const TRVAnsiString& Text, UINT Format);
// The UTF-16 URL when present, else the 8-bit one in the system ANSI code page.
bool GetClipboardUrl(TRVUnicodeString& Text);
// The code page of 8-bit clipboard text: the clipboard's locale, else the keyboard layout's.
TRVCodePage GetClipboardCodePage();

// The native-format block: a 32-bit little-endian byte count, then that many bytes of RVF.
// Puts Size bytes of RVF on the opened clipboard under RVFClipboardFormat; raises
// EViroZereError "No memory" when the block cannot be allocated.
void SetClipboardRVF(const void* RVF, std::size_t Size);
// The RVF of a block of Size bytes; false (RVF emptied) when the block is shorter than its count
// says or too short to hold one. Bytes after the counted ones are ignored.
bool ReadRVFClipboardBlock(const void* Block, std::size_t Size, TRVRawByteString& RVF);
// The RVF of the clipboard's native-format block; false when it holds none or a damaged one.
bool GetClipboardRVF(TRVRawByteString& RVF);
