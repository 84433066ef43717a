#include "engine/foundation/RVClipboard.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <thread>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/NLS.h"
#include "platform/ui/Clipbrd.h"

namespace {
const char16_t* const FormatNames[] = {u"ViroZere Format", u"Rich Text Format", u"UniformResourceLocator",
                                       u"UniformResourceLocatorW", u"HTML Format"};
UINT FormatIds[std::size(FormatNames)] = {};
}  // namespace

// Read-only views of the ids, bound without any code running at start-up.
const UINT& RVFClipboardFormat = FormatIds[0];
const UINT& RTFClipboardFormat = FormatIds[1];
const UINT& URLClipboardFormat = FormatIds[2];
const UINT& URLWClipboardFormat = FormatIds[3];
const UINT& HTMLClipboardFormat = FormatIds[4];

void RegisterClipboardFormats() {
  if (FormatIds[0] != 0) return;
  for (std::size_t i = 0; i < std::size(FormatNames); ++i) FormatIds[i] = RegisterClipboardFormatW(FormatNames[i]);
}

bool OpenClipboardWithRetries() {
  constexpr int Attempts = 5;
  int wait = 250;
  for (int attempt = 1;; ++attempt) {
    try {
      Clipboard()->Open();
      return true;
    } catch (const EClipboardException&) {
      if (attempt == Attempts) throw;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    wait += 250;
  }
}

std::string ReadClipboardBlock(UINT Format) {
  OpenClipboardWithRetries();
  std::string bytes;
  try {
    if (HGLOBAL h = Clipboard()->GetAsHandle(Format)) {
      const std::size_t size = GlobalSize(h);
      const char* p = static_cast<const char*>(GlobalLock(h));
      if (p && size) bytes.assign(p, size);
      GlobalUnlock(h);
    }
  } catch (...) {
    Clipboard()->Close();
    throw;
  }
  Clipboard()->Close();
  return bytes;
}

namespace {
void WriteBlock(const void* Data, std::size_t Size, std::size_t ZeroBytes, UINT Format) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, Size + ZeroBytes);
  if (!h) throw EViroZereError(std::string_view("No memory"));
  if (Size) std::memcpy(GlobalLock(h), Data, Size);
  GlobalUnlock(h);
  Clipboard()->SetAsHandle(Format, h);
}
}  // namespace

bool GetClipboardUnicodeText(TRVUnicodeString& Text, UINT Format) {
  if (!Clipboard()->HasFormat(Format)) return false;
  const std::string bytes = ReadClipboardBlock(Format);
  // An odd-sized block ends in half a code unit: its byte is kept and padded with zero, never
  // completed from memory past the block.
  Text.assign((bytes.size() + 1) / 2, u'\0');
  if (!bytes.empty()) std::memcpy(Text.data(), bytes.data(), bytes.size());
  Text.resize(std::min(Text.size(), Text.find(u'\0')));
  return true;
}

bool GetClipboardAnsiText(TRVAnsiString& Text, UINT Format) {
  if (!Clipboard()->HasFormat(Format)) return false;
  const std::string bytes = ReadClipboardBlock(Format);
  Text = bytes.substr(0, bytes.find('\0'));
  return true;
}

void SetClipboardUnicodeText(const TRVUnicodeString& Text, UINT Format) {
  WriteBlock(Text.data(), Text.size() * sizeof(char16_t), sizeof(char16_t), Format);
}

void SetClipboardAnsiText(const TRVAnsiString& Text, UINT Format) { WriteBlock(Text.data(), Text.size(), 1, Format); }

bool GetClipboardUrl(TRVUnicodeString& Text) {
  Text.clear();
  if (GetClipboardUnicodeText(Text, URLWClipboardFormat)) return true;
  TRVAnsiString ansi;
  if (!GetClipboardAnsiText(ansi, URLClipboardFormat)) return false;
  Text = AnsiToUnicodeCP(CP_ACP, ansi);
  return true;
}

TRVCodePage GetClipboardCodePage() {
  if (Clipboard()->HasFormat(CF_LOCALE)) {
    const std::string bytes = ReadClipboardBlock(CF_LOCALE);
    if (bytes.size() >= sizeof(LCID)) {
      LCID locale = 0;
      std::memcpy(&locale, bytes.data(), sizeof locale);
      return LocaleAnsiCodePage(locale);
    }
  }
  return KeyboardCodePage();
}

void SetClipboardRVF(const void* RVF, std::size_t Size) {
  if (Size > 0xFFFFFFFFu) throw EViroZereError(std::string_view("No memory"));
  const std::uint32_t count = static_cast<std::uint32_t>(Size);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, Size + 4);
  if (!h) throw EViroZereError(std::string_view("No memory"));
  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(count >> (8 * i));
  if (Size) std::memcpy(p + 4, RVF, Size);
  GlobalUnlock(h);
  Clipboard()->SetAsHandle(RVFClipboardFormat, h);
}

bool ReadRVFClipboardBlock(const void* Block, std::size_t Size, TRVRawByteString& RVF) {
  RVF.clear();
  if (!Block || Size < 4) return false;
  const auto* p = static_cast<const unsigned char*>(Block);
  const std::uint32_t count = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                              static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  if (count > Size - 4) return false;
  RVF.assign(reinterpret_cast<const char*>(p + 4), count);
  return true;
}

bool GetClipboardRVF(TRVRawByteString& RVF) {
  RVF.clear();
  if (!Clipboard()->HasFormat(RVFClipboardFormat)) return false;
  const std::string bytes = ReadClipboardBlock(RVFClipboardFormat);
  return ReadRVFClipboardBlock(bytes.data(), bytes.size(), RVF);
}
