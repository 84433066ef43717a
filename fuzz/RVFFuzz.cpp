// The primitives under the document format's reader: header tokens of a line, hexadecimal
// blocks, pictures and components with a size in front, and string decoding. The first byte
// chooses the reader; every reader here answers false or nil on bad data and never raises.
#include <cstdlib>

#include "FuzzCommon.h"
#include "StreamFixtures.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVUni.h"

namespace {

// Reads one line's tokens the way a header is read: each step tries a reader, and a step that
// moves nothing ends the line.
void ReadTokens(const std::string& line, std::uint8_t choice) {
  const char* p = line.c_str();
  const char* const end = p + line.size();
  const TRVCodePage cp = CharsetToCodePage(choice);
  for (int step = 0; *p && step < 256; ++step) {
    const char* before = p;
    TRVRawByteString s;
    TRVUnicodeString u;
    int n = 0;
    bool nameUsed = false;
    switch ((choice + step) % 5) {
      case 0: ReadRVFWord(p, s); break;
      case 1: ReadRVFInteger(p, n); break;
      case 2: ReadRVFQuoted(p, s); break;
      case 3: ReadRVFStringField(p, step & 1, step & 2, cp, step & 4, u); break;
      default:
        ReadRVFStyleRef(p, [](const TRVUnicodeString& name) { return static_cast<int>(name.size() % 3); }, cp, n,
                        nameUsed, step & 1);
    }
    if (p < before || p > end) std::abort();
    if (p == before) {
      ReadRVFWord(p, s);  // skip what no reader takes
      if (p == before) break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > fuzz::MaxInput) return 0;
  static const bool registered = (fuzz::RegisterStreamFixtures(), true);
  (void)registered;
  const std::uint8_t mode = data[0] % 6, choice = data[1];
  const std::string rest = fuzz::Bytes(data + 2, size - 2);
  switch (mode) {
    case 0: ReadTokens(rest, choice); break;
    case 1: {
      TMemoryStream ms;
      if (HexToStream(rest, &ms)) {
        // What decoded encodes back to the same digits (either case in, upper or lower out).
        const TRVRawByteString hex = StreamToHex(&ms);
        if (hex.size() != rest.size()) std::abort();
      }
      TRVUnicodeString u;
      HexToUnicode(rest, u);
      HexToAnsi(rest);
      break;
    }
    case 2: {
      TMemoryStream ms;
      ms.WriteBuffer(rest.data(), static_cast<std::int64_t>(rest.size()));
      ms.SetPosition(0);
      std::unique_ptr<TGraphic> g = CreateGraphicFromSizedStream(&ms);
      ms.SetPosition(0);
      TBitmap bmp;
      LoadGraphicFromSizedStream(&ms, &bmp);
      break;
    }
    case 3: {
      std::unique_ptr<TComponent> control;
      LoadControlFromBinaryString(rest, control, choice & 1 ? u"TFuzzPanel" : u"", {}, nullptr);
      if (choice & 2) LoadControlFromHex(rest, control, u"", {}, nullptr);
      break;
    }
    case 4: {
      std::unique_ptr<TGraphic> g = CreateGraphicFromHex(rest);
      break;
    }
    default:
      DecodeRVFString(rest, choice & 1, CharsetToCodePage(choice));
      DecodeRVFStringRTL(rest, choice & 1, CharsetToCodePage(choice));
      // An escaped value stays on its line.
      if (EscapeRVFLineBreaks(rest).find_first_of("\r\n") != std::string::npos) std::abort();
      UnescapeRVFLineBreaks(rest);
  }
  return 0;
}
