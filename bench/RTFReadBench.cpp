// RTF reading: the generated 300-page document (about 3 MB: fonts, colours, lists, tables,
// notes, links, pictures) read to events by the reader, beside the floor of a bare pass over the
// same bytes that only splits them into control words, groups and text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"
#include "support/RTFSample.h"

namespace {

const std::string& Sample() {
  static const std::string rtf = GenerateRTFSample({.Seed = 7});
  return rtf;
}

// The reader with the handlers a builder installs, each doing the least: text is counted, 8-bit
// text converted as the builder converts it, pictures and objects declined (the reader frees
// them), tables and notes counted.
void BM_RTFReadToEvents(benchmark::State& state) {
  const std::string& rtf = Sample();
  TMemoryStream in;
  in.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
  std::int64_t units = 0, tableEvents = 0;
  for (auto _ : state) {
    TRVRTFReader reader(nullptr);
    units = tableEvents = 0;
    reader.OnNewText = [&](TObject*, const TRVAnsiString& Text, TRVRTFPosition) {
      units += static_cast<std::int64_t>(reader.AnsiToUnicode(Text, reader.GetCurrentCodePage()).size());
    };
    reader.OnNewUnicodeText = [&](TObject*, const TRVUnicodeString& Text, TRVRTFPosition) {
      units += static_cast<std::int64_t>(Text.size());
    };
    reader.OnNewPicture = [&](TObject*, TRVRTFPicture*, TGraphic*, TRVRTFPosition, const TRVUnicodeString&,
                              bool& Inserted) { Inserted = false; };
    reader.OnTable = [&](TObject*, TRVRTFTableEventKind, bool& Processed) {
      ++tableEvents;
      Processed = true;
    };
    in.SetPosition(0);
    if (reader.ReadFromStream(&in) != rtf_ec_OK) state.SkipWithError("the sample does not read");
    benchmark::DoNotOptimize(units);
  }
  state.counters["text units"] = static_cast<double>(units);
  state.counters["table events"] = static_cast<double>(tableEvents);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(rtf.size()));
}

// The floor: one pass that tells control words (letters and an optional signed number, the
// delimiting space taken), control symbols, "\'" bytes, groups and text apart, skips "\bin" data,
// and counts them. It keeps no state per group and decodes nothing.
void BM_RTFSplitFloor(benchmark::State& state) {
  const std::string& rtf = Sample();
  std::int64_t words = 0, groups = 0, text = 0;
  for (auto _ : state) {
    words = groups = text = 0;
    const char* p = rtf.data();
    const char* const end = p + rtf.size();
    while (p < end) {
      const char c = *p++;
      if (c == '{' || c == '}') {
        ++groups;
      } else if (c == '\\') {
        if (p == end) break;
        ++words;
        if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))) {
          p += *p == '\'' ? 3 : 1;
          continue;
        }
        const char* name = p;
        while (p < end && ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))) ++p;
        const bool bin = p - name == 3 && name[0] == 'b' && name[1] == 'i' && name[2] == 'n';
        const bool negative = p < end && *p == '-';
        if (negative) ++p;
        std::int64_t value = 0;
        while (p < end && *p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
        if (p < end && *p == ' ') ++p;
        if (bin && !negative) p += std::min<std::int64_t>(value, end - p);
      } else if (c != '\r' && c != '\n') {
        ++text;
      }
    }
    benchmark::DoNotOptimize(words + groups + text);
  }
  state.counters["control words"] = static_cast<double>(words);
  state.counters["groups"] = static_cast<double>(groups);
  state.counters["text bytes"] = static_cast<double>(text);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(rtf.size()));
}

BENCHMARK(BM_RTFReadToEvents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RTFSplitFloor)->Unit(benchmark::kMillisecond);

}  // namespace
