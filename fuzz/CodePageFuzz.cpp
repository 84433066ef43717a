// Code-page conversion of the character sets' code pages: the length asked for is the length
// written, decoding the same bytes twice gives the same text, and encoding back never fails for
// lack of room.
#include <cstdlib>
#include <vector>

#include "FuzzCommon.h"
#include "platform/base/NLS.h"

namespace {

const UINT CodePages[] = {CP_ACP, CP_OEMCP, CP_MACCP, CP_SYMBOL, CP_UTF8, 874, 932, 936, 949, 950, 1250,
                          1251,   1252,     1253,     1254,      1255,    1256, 1257, 1258, 1361};
const DWORD Flags[] = {0, MB_PRECOMPOSED, MB_COMPOSITE, MB_USEGLYPHCHARS, MB_ERR_INVALID_CHARS,
                       MB_PRECOMPOSED | MB_ERR_INVALID_CHARS};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > fuzz::MaxInput) return 0;
  const UINT cp = CodePages[data[0] % std::size(CodePages)];
  const DWORD flags = Flags[data[1] % std::size(Flags)];
  const char* src = reinterpret_cast<const char*>(data + 2);
  const int len = static_cast<int>(size - 2);
  if (len == 0) return 0;
  const int need = MultiByteToWideChar(cp, flags, src, len, nullptr, 0);
  if (need <= 0) return 0;
  std::vector<WideChar> out(static_cast<std::size_t>(need) + 1, u'\0');
  if (MultiByteToWideChar(cp, flags, src, len, out.data(), need) != need) std::abort();
  // One unit short is reported as a failure, never as a partial success.
  if (need > 1 && MultiByteToWideChar(cp, flags, src, len, out.data(), need - 1) != 0) std::abort();
  UnicodeString text;
  if (!CodePageToUnicode(cp, flags, std::string_view(src, static_cast<std::size_t>(len)), text)) std::abort();
  if (text != UnicodeString(out.data(), static_cast<std::size_t>(need))) std::abort();
  const int back = WideCharToMultiByte(cp, 0, out.data(), need, nullptr, 0, nullptr, nullptr);
  if (back > 0) {
    std::vector<char> bytes(static_cast<std::size_t>(back));
    if (WideCharToMultiByte(cp, 0, out.data(), need, bytes.data(), back, nullptr, nullptr) != back) std::abort();
  }
  return 0;
}
