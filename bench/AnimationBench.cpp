// One cycle of a 40-frame 320x240 GIF animation (a full first frame, then 64x48 patches at moving
// places, some with transparent pixels, disposed of alternately by keeping and by restoring the
// background), each frame composed and drawn onto a 322x242 canvas. Ours: the GIF animator driven
// by the animator list's timer, which composes each frame onto the last one. Peers in the same run:
// the GIF picture's own rendering of each frame from frame 0 drawn onto the same canvas (what a
// painter without an animator does), and the floor of drawing an already composed frame 40 times the
// way the animator draws it (the style sheet's graphic interface).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/foundation/RVGrIn.h"
#include "engine/layout/RVAnimate.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Graphics.h"

namespace {

constexpr int W = 320, H = 240, Frames = 40;

void Put16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8 & 0xFF));
}

// Image data as literal codes after clear codes (8-bit codes, the code size never grows).
void PutIndices(std::string& s, const std::vector<std::uint8_t>& idx) {
  s.push_back(8);
  std::string packed;
  std::uint32_t bits = 0;
  int n = 0;
  auto code = [&](int c) {
    bits |= static_cast<std::uint32_t>(c) << n;
    n += 9;
    while (n >= 8) {
      packed.push_back(static_cast<char>(bits & 0xFF));
      bits >>= 8;
      n -= 8;
    }
  };
  for (std::uint8_t i : idx) {
    code(256);
    code(i);
  }
  code(257);
  if (n) packed.push_back(static_cast<char>(bits & 0xFF));
  for (std::size_t p = 0; p < packed.size(); p += 255) {
    const std::size_t len = std::min<std::size_t>(255, packed.size() - p);
    s.push_back(static_cast<char>(len));
    s.append(packed, p, len);
  }
  s.push_back(0);
}

std::string MakeGif() {
  std::mt19937 rng(11);
  std::string s = "GIF89a";
  Put16(s, W);
  Put16(s, H);
  s += std::string("\xF7\x00\x00", 3);  // global map of 256 colours
  for (int i = 0; i < 256; ++i) {
    s.push_back(static_cast<char>(i));
    s.push_back(static_cast<char>(255 - i));
    s.push_back(static_cast<char>(i * 7));
  }
  for (int f = 0; f < Frames; ++f) {
    const bool full = f == 0;
    const int fw = full ? W : 64, fh = full ? H : 48;
    const int fx = full ? 0 : (f * 37) % (W - fw), fy = full ? 0 : (f * 23) % (H - fh);
    const bool transparent = f % 3 == 1;
    s += std::string("\x21\xF9\x04", 3);
    s.push_back(static_cast<char>(((f % 2 ? 2 : 1) << 2) | (transparent ? 1 : 0)));
    Put16(s, 4);
    s.push_back(static_cast<char>(255));
    s.push_back(0);
    s.push_back(0x2C);
    Put16(s, fx);
    Put16(s, fy);
    Put16(s, fw);
    Put16(s, fh);
    s.push_back(0);
    std::vector<std::uint8_t> idx(static_cast<std::size_t>(fw) * fh);
    for (auto& i : idx) i = static_cast<std::uint8_t>(rng() % 256);
    PutIndices(s, idx);
  }
  s.push_back(0x3B);
  return s;
}

std::unique_ptr<TGIFImage> LoadGif() {
  static const std::string bytes = MakeGif();
  auto gif = std::make_unique<TGIFImage>();
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  m.SetPosition(0);
  gif->LoadFromStream(m);
  return gif;
}

struct TSheetHolder {
  TRVStyle Sheet{nullptr};
};

// A formatted document as the animators see one: the picture always in view at (0, 0).
class TAnimDoc : private TSheetHolder, public TRVPlainRootData, public IRVAnimationHost, public IRVAnimationView {
 public:
  TAnimDoc() : TRVPlainRootData(&Sheet) { Target.SetSize(W + 2, H + 2); }
  ~TAnimDoc() override { Clear(); }
  bool AllowAnimation() override { return true; }
  void InsertAnimator(TRVItemAnimator*& A) override {
    auto* a = static_cast<TRVAnimator*>(A);
    List.Add(a);
    A = a;
  }
  bool GetAnimatedObjectRect(TCustomRVItemInfo*, TRect& R) override {
    R = TRect(0, 0, W + 2, H + 2);
    return true;
  }
  TRect AnimatedRectToClient(const TRect& R) override { return R; }
  int GetAnimationClientHeight() override { return H + 2; }
  bool IsAniRectVisibleInEditor(TRect&, float&, bool&) override { return false; }
  void DrawAnimationFrame(TRVAnimator* A) override {
    ++Draws;
    A->DrawFrameInRect(Target.GetCanvas(), A->FRVClientRect);
  }
  void GetAnimationBackground(TCustomRVItemInfo*, const TRect&, std::unique_ptr<TBitmap>&, TColor& C) override {
    C = clWhite;
  }
  TRVAnimatorList List;
  TBitmap Target;
  std::int64_t Draws = 0;
};

void BM_AnimatorCycle(benchmark::State& state) {
  TAnimDoc d;
  d.AddItem(u"", new TRVGraphicItemInfo(&d, LoadGif(), rvvaBaseline));
  for (auto _ : state) {
    for (int i = 0; i < Frames; ++i) d.List.TimerEvent();
    benchmark::DoNotOptimize(d.Target.GetPixel(10, 10));
  }
  state.SetItemsProcessed(state.iterations() * Frames);
  state.counters["draws_per_cycle"] = static_cast<double>(d.Draws) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AnimatorCycle)->Unit(benchmark::kMillisecond);

void BM_RenderEachFrameFromStart(benchmark::State& state) {
  auto gif = LoadGif();
  TBitmap target;
  target.SetSize(W + 2, H + 2);
  for (auto _ : state) {
    for (int i = 0; i < Frames; ++i) DrawPixelImage(*target.GetCanvas(), TRect(1, 1, W + 1, H + 1), gif->RenderFrame(i));
    benchmark::DoNotOptimize(target.GetPixel(10, 10));
  }
  state.SetItemsProcessed(state.iterations() * Frames);
}
BENCHMARK(BM_RenderEachFrameFromStart)->Unit(benchmark::kMillisecond);

void BM_DrawComposedFrameFloor(benchmark::State& state) {
  auto gif = LoadGif();
  TBitmap frame, target;
  frame.FromPixels(gif->RenderFrame(Frames - 1));
  frame.SetAlphaFormat(afIgnored);  // opaque, as the animator's composition
  target.SetSize(W + 2, H + 2);
  TRVStyle sheet(nullptr);  // drawn as the animator draws: through the style sheet's graphic interface
  for (auto _ : state) {
    for (int i = 0; i < Frames; ++i) sheet.GetGraphicInterface()->DrawGraphic(target.GetCanvas(), 1, 1, &frame);
    benchmark::DoNotOptimize(target.GetPixel(10, 10));
  }
  state.SetItemsProcessed(state.iterations() * Frames);
}
BENCHMARK(BM_DrawComposedFrameFloor)->Unit(benchmark::kMillisecond);

}  // namespace
