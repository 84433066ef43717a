// Plain text: 10 MB of UTF-8 and of CP1251 text loaded into a document and saved back in the same
// encoding, beside two floors: the plain conversion of the same bytes to UTF-16 and back by the
// platform's code-page functions, and by the converter library's own calls (no table of ours).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVPlainText.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/CodePagePeer.h"
#include "platform/base/NLS.h"

namespace {

// About 10 MB of Cyrillic words in lines of 40 to 100 characters, ended by CR LF.
TRVRawByteString MakeBytes(TRVCodePage cp) {
  std::mt19937 rng(cp);
  std::uniform_int_distribution<int> letter(0x0430, 0x044F), length(2, 9), lineLen(40, 100);
  TRVUnicodeString text;
  TRVRawByteString bytes;
  while (bytes.size() < 10u * 1024 * 1024) {
    TRVUnicodeString line;
    const int target = lineLen(rng);
    while (static_cast<int>(line.size()) < target) {
      for (int n = length(rng); n > 0; --n) line.push_back(static_cast<char16_t>(letter(rng)));
      line.push_back(u' ');
    }
    line += u"\r\n";
    bytes += UnicodeToAnsiCP(cp, line);
  }
  return bytes;
}

const TRVRawByteString& Bytes(TRVCodePage cp) {
  static const TRVRawByteString utf8 = MakeBytes(65001), cp1251 = MakeBytes(1251);
  return cp == 65001 ? utf8 : cp1251;
}

void LoadAndSave(benchmark::State& state, TRVCodePage cp) {
  const TRVRawByteString& bytes = Bytes(cp);
  TRVStyle sheet(nullptr);
  sheet.SpacesInTab = 8;
  for (auto _ : state) {
    TRVPlainRootData doc(&sheet);
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    in.SetPosition(0);
    doc.LoadTextFromStream(&in, 0, 0, false, cp);
    TMemoryStream out;
    doc.SaveTextToStreamA(u"", &out, 80, false, false, cp, true);
    if (out.GetSize() != static_cast<std::int64_t>(bytes.size())) state.SkipWithError("round trip differs");
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// The floor: the platform's code-page functions (ICU converters underneath) convert the bytes to
// UTF-16 and back, into buffers made once.
void IcuFloor(benchmark::State& state, TRVCodePage cp) {
  const TRVRawByteString& bytes = Bytes(cp);
  std::vector<WideChar> u(bytes.size() + 1);
  std::vector<char> back(bytes.size() * 2 + 16);
  for (auto _ : state) {
    const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), u.data(),
                                      static_cast<int>(u.size()));
    const int m = WideCharToMultiByte(cp, 0, u.data(), n, back.data(), static_cast<int>(back.size()), nullptr, nullptr);
    if (m != static_cast<int>(bytes.size())) state.SkipWithError("round trip differs");
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// The converter library's floor: its own two calls, each into a result sized beforehand.
void LibraryFloor(benchmark::State& state, TRVCodePage cp) {
  const TRVRawByteString& bytes = Bytes(cp);
  for (auto _ : state) {
    UnicodeString u;
    std::string back;
    if (!LibraryCodePageToUnicode(cp, bytes, u) || !LibraryUnicodeToCodePage(cp, u, back) ||
        back.size() != bytes.size())
      state.SkipWithError("round trip differs");
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

BENCHMARK_CAPTURE(LoadAndSave, UTF8, 65001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IcuFloor, UTF8, 65001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadAndSave, CP1251, 1251)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IcuFloor, CP1251, 1251)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LibraryFloor, UTF8, 65001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LibraryFloor, CP1251, 1251)->Unit(benchmark::kMillisecond);

}  // namespace
