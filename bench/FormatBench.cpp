// Formatting a generated document of about 300 A4 pages (paragraphs of 40 to 120 words in
// several text styles, lists, tab rows, a picture every few pages, a few links) at a page width
// of 650 pixels with the real shaping back-end, each figure beside its peers in the same program:
// - full format, against the shaper alone over the same runs (the floor: every run shaped once,
//   nothing placed) and against the toolkit's rich-text document laying out the same text;
// - one character typed into a paragraph near the start, the middle and the end, reformatted
//   (our partial reformat against the toolkit's relayout after a cursor's insertion);
// - the minimal width of the document, against the toolkit laying it out at width 1;
// - the memory of the formatted document against that of its text and items.
// Two documents of different seeds take turns, so no cache of a previous iteration answers the
// next one; the shaping caches hold far fewer runs than a document has.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "support/GeneratedDocument.h"
#include "platform/graphics/FontCaches.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/TextPeers.h"

// Allocation counting (replaces the global new and delete).
#include "BenchPeers.h"
#include "ToolkitDocCopy.h"

namespace {

constexpr int PageWidth = 650;
constexpr std::uint32_t Seeds[2] = {11, 12};

struct TBenchDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TRVPlainFormattedData> Doc;
  TGeneratedDocumentInfo Info;
  explicit TBenchDoc(std::uint32_t Seed, bool Pictures = true) {
    SetGeneratedDocumentStyles(Sheet);
    Doc = std::make_unique<TRVPlainFormattedData>(&Sheet);
    // As a viewer formats: on the reference canvas, text wrapped at the page width.
    Doc->SetWidth(PageWidth);
    Doc->SetUseReferenceCanvas(true);
    Info = GenerateDocument(*Doc, {.Seed = Seed, .Pages = 300, .Pictures = Pictures});
  }
};

TBenchDoc& Doc(int i) {
  static TBenchDoc docs[2] = {TBenchDoc(Seeds[0]), TBenchDoc(Seeds[1])};
  return docs[i];
}

// ---- our formatting -----------------------------------------------------------------------------

void Counters(benchmark::State& state, const TBenchDoc& d) {
  state.counters["chars"] = d.Info.Characters;
  state.counters["draw_items"] = static_cast<double>(d.Doc->DrawItems ? d.Doc->DrawItems->Count() : 0);
  state.counters["height_px"] = d.Doc->DocumentHeight;
  // A4 at 96 pixels an inch less margins of 0.8 inch: 969 pixels of text a page.
  state.counters["pages_A4"] = d.Doc->DocumentHeight / 969.0;
  const TFontCacheLimits use = GetFontCacheUsage();
  state.counters["shape_cache_MB"] = static_cast<double>(use.ShapedTextBytes) / 1e6;
  state.counters["font_cache_MB"] = static_cast<double>(use.FontBytes) / 1e6;
}

void BM_FormatFull(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    TBenchDoc& d = Doc(n++ % 2);
    d.Doc->Format(false);
    benchmark::DoNotOptimize(d.Doc->DocumentHeight);
  }
  Counters(state, Doc(0));
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

// ---- the floor: the shaper alone over the same runs ---------------------------------------------

struct TShapingFloor {
  std::vector<std::unique_ptr<TBitmap>> Canvases;  // one per text style, its font selected
  std::vector<std::unique_ptr<TRawShapingPeer>> Peers;
  // Runs as (style, text) of both documents.
  std::vector<std::pair<int, std::u16string>> Runs[2];
  TShapingFloor() {
    TBenchDoc& d = Doc(0);
    for (int s = 0; s < d.Sheet.TextStyles()->Count(); ++s) {
      auto bmp = std::make_unique<TBitmap>();
      bmp->SetPixelFormat(pf32bit);
      bmp->SetSize(8, 8);
      d.Sheet.ApplyStyle(bmp->GetCanvas(), s, rvbdUnspecified, false, false, nullptr, false, false, false, nullptr);
      Peers.push_back(std::make_unique<TRawShapingPeer>(bmp->GetCanvas()->GetHandle()));
      Canvases.push_back(std::move(bmp));
    }
    for (int k = 0; k < 2; ++k) {
      TCustomRVData& doc = *Doc(k).Doc;
      for (int i = 0; i < doc.ItemCount(); ++i)
        if (doc.GetItem(i)->StyleNo >= 0 && !doc.GetItemTextW(i).empty())
          Runs[k].emplace_back(doc.GetItem(i)->StyleNo, doc.GetItemTextW(i));
    }
  }
};

void BM_FormatFull_ShapingFloor(benchmark::State& state) {
  static TShapingFloor floor;
  int n = 0;
  for (auto _ : state) {
    long long total = 0;
    for (const auto& r : floor.Runs[n++ % 2])
      total += floor.Peers[static_cast<std::size_t>(r.first)]->Measure(r.second.data(), static_cast<int>(r.second.size()),
                                                                        false);
    benchmark::DoNotOptimize(total);
  }
  state.counters["runs"] = static_cast<double>(floor.Runs[0].size());
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

// ---- the toolkit's document -----------------------------------------------------------------------

TToolkitDocumentPeer& Toolkit(int i) {
  static std::unique_ptr<TToolkitDocumentPeer> peers[2] = {ToolkitCopy(*Doc(0).Doc, Doc(0).Sheet),
                                                           ToolkitCopy(*Doc(1).Doc, Doc(1).Sheet)};
  return *peers[i];
}

void BM_FormatFull_QTextDocument(benchmark::State& state) {
  int n = 0;
  double height = 0;
  for (auto _ : state) height = Toolkit(n++ % 2).Layout(PageWidth);
  state.counters["height_px"] = height;
  state.counters["lines"] = Toolkit(0).LineCount();
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

// ---- one character typed ---------------------------------------------------------------------------

// Text items to type into near a share of the document (0 start, 50 middle, 100 end): twenty
// body paragraphs from there on, so that each iteration edits another one.
struct TEditSite {
  int Paragraph, ItemNo, Offset, ParaOffset;
};

std::vector<TEditSite> EditSites(TBenchDoc& d, int Percent) {
  TCustomRVData& doc = *d.Doc;
  std::vector<int> paraStarts;
  for (int i = 0; i < doc.ItemCount(); ++i)
    if (doc.IsParaStart(i)) paraStarts.push_back(i);
  const int count = static_cast<int>(paraStarts.size());
  int p = std::clamp(count * Percent / 100, 0, count - 1);
  if (Percent == 100) p = std::max(0, count - 60);
  std::vector<TEditSite> sites;
  for (; p < count && sites.size() < 20; ++p) {
    const int first = paraStarts[static_cast<std::size_t>(p)];
    const int last = p + 1 < count ? paraStarts[static_cast<std::size_t>(p) + 1] - 1 : doc.ItemCount() - 1;
    // The middle of the paragraph's longest text item.
    int best = -1, chars = 0, bestChars = 0;
    for (int i = first; i <= last; ++i) {
      const TCustomRVItemInfo* it = doc.GetItem(i);
      const int len = it->StyleNo >= 0 ? doc.GetItemTextLength(i) : it->StyleNo == ItemKindTab ? 1 : 0;
      if (it->StyleNo >= 0 && len > 40 && (best < 0 || len > static_cast<int>(doc.GetItemTextLength(best)))) {
        best = i;
        bestChars = chars;
      }
      chars += len;
    }
    if (best >= 0) {
      const int offset = doc.GetItemTextLength(best) / 2;
      sites.push_back({p, best, offset, bestChars + offset});
    }
  }
  return sites;
}

// Inserts Text at the site and formats the paragraph again; answers how long the reformat took.
void TypeAndReformat(TBenchDoc& d, const TEditSite& s, const std::u16string& Text) {
  TRVPlainFormattedData& doc = *d.Doc;
  std::u16string t = doc.GetItemTextW(s.ItemNo);
  t.insert(static_cast<std::size_t>(s.Offset), Text);
  doc.SetItemTextW(s.ItemNo, t);
  int first = doc.GetFirstParaItem(s.ItemNo), last = s.ItemNo;
  while (last + 1 < doc.ItemCount() && !doc.IsParaStart(last + 1)) ++last;
  doc.FormatParas(doc.Item2FirstDrawItem(first), doc.Item2LastDrawItem(last), 0);
}

void Untype(TBenchDoc& d, const TEditSite& s, int Length) {
  TRVPlainFormattedData& doc = *d.Doc;
  std::u16string t = doc.GetItemTextW(s.ItemNo);
  t.erase(static_cast<std::size_t>(s.Offset), static_cast<std::size_t>(Length));
  doc.SetItemTextW(s.ItemNo, t);
  int first = doc.GetFirstParaItem(s.ItemNo), last = s.ItemNo;
  while (last + 1 < doc.ItemCount() && !doc.IsParaStart(last + 1)) ++last;
  doc.FormatParas(doc.Item2FirstDrawItem(first), doc.Item2LastDrawItem(last), 0);
}

// Characters of the item that its draw items show.
int DrawnLength(TRVPlainFormattedData& Doc, int ItemNo) {
  int n = 0;
  for (int i = Doc.Item2FirstDrawItem(ItemNo); i >= 0 && i < Doc.DrawItems->Count(); ++i) {
    if (Doc.DrawItems->Get(i)->ItemNo != ItemNo) break;
    n += Doc.DrawItems->Get(i)->TextLength;
  }
  return n;
}

void BM_TypeOneChar(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  TBenchDoc& d = Doc(0);
  d.Doc->Format(false);
  const std::vector<TEditSite> sites = EditSites(d, percent);
  // The reformat must show the typed character.
  const int before = DrawnLength(*d.Doc, sites.front().ItemNo);
  TypeAndReformat(d, sites.front(), u"x");
  if (DrawnLength(*d.Doc, sites.front().ItemNo) != before + 1) state.SkipWithError("the reformat lost the character");
  Untype(d, sites.front(), 1);
  int n = 0;
  for (auto _ : state) {
    const TEditSite& s = sites[static_cast<std::size_t>(n++) % sites.size()];
    TypeAndReformat(d, s, u"x");
    state.PauseTiming();
    Untype(d, s, 1);
    state.ResumeTiming();
  }
  state.counters["paragraph"] = sites.front().Paragraph;
}

void BM_TypeOneChar_QTextDocument(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  const std::vector<TEditSite> sites = EditSites(Doc(0), percent);
  TToolkitDocumentPeer& peer = Toolkit(0);
  peer.Layout(PageWidth);
  const int chars = peer.CharacterCount();
  peer.Type(sites.front().Paragraph, sites.front().ParaOffset, u"x");
  if (peer.CharacterCount() != chars + 1) state.SkipWithError("the toolkit's document did not take the character");
  peer.RemoveTyped();
  int n = 0;
  for (auto _ : state) {
    const TEditSite& s = sites[static_cast<std::size_t>(n++) % sites.size()];
    benchmark::DoNotOptimize(peer.Type(s.Paragraph, s.ParaOffset, u"x"));
    state.PauseTiming();
    peer.RemoveTyped();
    state.ResumeTiming();
  }
  state.counters["paragraph"] = sites.front().Paragraph;
}

// ---- minimal width ------------------------------------------------------------------------------------

void BM_MinimalWidth(benchmark::State& state) {
  int n = 0, width = 0;
  for (auto _ : state) width = Doc(n++ % 2).Doc->CalculateMinDocWidthPlus(0, nullptr, nullptr);
  state.counters["width_px"] = width;
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

void BM_MinimalWidth_QTextDocument(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Toolkit(n++ % 2).Layout(1));
  state.SetItemsProcessed(state.iterations() * Doc(0).Info.Characters);
}

// ---- memory ------------------------------------------------------------------------------------------------

// Bytes held by the document (text and items, no pictures: their pixels would hide the rest)
// and bytes the formatting adds to it, measured by the allocation counter.
void BM_FormattedMemory(benchmark::State& state) {
  for (auto _ : state) {
    const std::int64_t before = gAllocated.load();
    auto d = std::make_unique<TBenchDoc>(Seeds[0] + 7, false);
    const std::int64_t document = gAllocated.load() - before;
    d->Doc->Format(false);
    const std::int64_t formatted = gAllocated.load() - before - document;
    state.counters["document_MB"] = static_cast<double>(document) / 1e6;
    state.counters["text_MB"] = d->Info.Characters * 2 / 1e6;
    state.counters["formatted_MB"] = static_cast<double>(formatted) / 1e6;
    state.counters["ratio"] = static_cast<double>(formatted) / static_cast<double>(document);
    state.counters["draw_items"] = d->Doc->DrawItems ? d->Doc->DrawItems->Count() : 0;
    state.counters["items"] = d->Doc->ItemCount();
  }
}

// ---- a line without spaces ----------------------------------------------------------------------

// A paragraph of 3 M characters without a space (letters with kerning pairs and accents): its
// runs are shaped in bounded pieces, so formatting it takes memory linear in its length. The peak
// counts what new and delete allocate (the shaper's own buffers are bounded by the pieces).
// A line of 3 M characters without a space.
std::u16string LongLine() {
  constexpr std::size_t Length = 3u << 20;
  const std::u16string word = u"AVATAR\u00E9tude\u0142awaTypoWAVEfin";
  std::u16string text;
  while (text.size() < Length) text += word;
  text.resize(Length);
  return text;
}

void BM_FormatLongLine(benchmark::State& state) {
  const std::u16string text = LongLine();
  const std::size_t Length = text.size();
  double bytesPerChar = 0;
  for (auto _ : state) {
    TRVStyle sheet(nullptr);
    SetGeneratedDocumentStyles(sheet);
    TRVPlainFormattedData doc(&sheet);
    doc.SetWidth(PageWidth);
    doc.SetUseReferenceCanvas(true);
    doc.AddNL(text, gtsBody, gpsBody);
    const std::int64_t before = gAllocated.load();
    gPeak = before;
    doc.Format(false);
    bytesPerChar = static_cast<double>(gPeak.load() - before) / Length;
    state.counters["lines"] = doc.DrawItems->Count();
  }
  state.counters["peak_bytes_per_char"] = bytesPerChar;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Length));
}

// The peer: the shaper alone measuring the same line in one call.
void BM_FormatLongLine_ShapingFloor(benchmark::State& state) {
  static TShapingFloor floor;
  const std::u16string text = LongLine();
  for (auto _ : state)
    benchmark::DoNotOptimize(floor.Peers[static_cast<std::size_t>(gtsBody)]->Measure(text.data(), static_cast<int>(text.size()), false));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// ---- the formatting's result ---------------------------------------------------------------------

// A digest of the formatted draw items of both documents (their formatting stream) on the
// reference canvas and on the screen's, and of their minimal widths: a change of speed must keep
// it. With TAVRELO_FORMAT_STREAM set, the streams are also written to that file, for comparing.
void BM_FormatStreamDigest(benchmark::State& state) {
  std::uint32_t digest = 2166136261u;
  std::string all;
  for (auto _ : state) {
    digest = 2166136261u;
    all.clear();
    for (bool reference : {true, false})
      for (std::uint32_t seed : Seeds) {
        TBenchDoc d(seed);
        d.Doc->SetUseReferenceCanvas(reference);
        d.Doc->Format(false);
        TMemoryStream ms;
        d.Doc->DrawItems->SaveToStream(&ms, d.Doc->GetItems());
        all.append(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
        const int minWidth = d.Doc->CalculateMinDocWidthPlus(0, nullptr, nullptr);
        all.append(reinterpret_cast<const char*>(&minWidth), sizeof minWidth);
      }
    for (char c : all) digest = (digest ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  if (const char* path = std::getenv("TAVRELO_FORMAT_STREAM")) {
    if (FILE* f = std::fopen(path, "wb")) {
      std::fwrite(all.data(), 1, all.size(), f);
      std::fclose(f);
    }
  }
  state.counters["digest"] = digest;
  state.counters["bytes"] = static_cast<double>(all.size());
}

BENCHMARK(BM_FormatFull)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatFull_ShapingFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatFull_QTextDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeOneChar)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeOneChar_QTextDocument)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MinimalWidth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimalWidth_QTextDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormattedMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatLongLine)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatLongLine_ShapingFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatStreamDigest)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
