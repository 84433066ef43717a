#include "platform/graphics/Gif.h"

#include <algorithm>
#include <map>

#include "platform/graphics/ImageCodecs.h"

namespace {

[[noreturn]] void BadGif() { throw EInvalidGraphic(std::string_view("GIF image is not valid")); }

class TGifReader {
 public:
  explicit TGifReader(std::string_view d) : D(d) {}
  std::uint8_t Byte() {
    if (P >= D.size()) BadGif();
    return static_cast<std::uint8_t>(D[P++]);
  }
  std::uint32_t Word() {
    const std::uint32_t lo = Byte();
    return lo | (static_cast<std::uint32_t>(Byte()) << 8);
  }
  std::vector<std::uint32_t> ColorMap(int entries) {
    std::vector<std::uint32_t> map(static_cast<std::size_t>(entries));
    for (auto& c : map) {
      const std::uint32_t r = Byte(), g = Byte(), b = Byte();
      c = r << 16 | g << 8 | b;
    }
    return map;
  }
  // Concatenated data sub-blocks up to the terminator.
  std::string SubBlocks() {
    std::string out;
    for (;;) {
      const std::uint8_t n = Byte();
      if (n == 0) return out;
      if (P + n > D.size()) BadGif();
      out.append(D.substr(P, n));
      P += n;
    }
  }
  std::string_view D;
  std::size_t P = 0;
};

// Where the expanded indices of a frame go, row by row in the file's order (interlaced or not).
// Only the part from the frame's top-left that lies on the screen is kept: nothing else is ever
// shown, and a frame may declare any size up to 65535 x 65535.
class TFrameSink {
 public:
  TFrameSink(int width, int height, int keepW, int keepH, bool interlaced, std::vector<std::uint8_t>& out)
      : FWidth(width), FHeight(height), FKeepW(keepW), FKeepH(keepH), FInterlaced(interlaced), FOut(out),
        FLeft(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height)) {}
  bool Done() const { return FLeft == 0; }
  void Put(std::uint8_t v) {
    if (FX < FKeepW && FY < FKeepH) FOut[static_cast<std::size_t>(FY) * FKeepW + FX] = v;
    --FLeft;
    if (++FX == FWidth) NextRow();
  }

 private:
  void NextRow() {
    FX = 0;
    if (!FInterlaced) {
      ++FY;
      return;
    }
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    FY += step[FPass];
    while (FY >= FHeight && FPass < 3) FY = start[++FPass];
  }
  const int FWidth, FHeight, FKeepW, FKeepH;
  const bool FInterlaced;
  std::vector<std::uint8_t>& FOut;
  std::uint64_t FLeft;
  int FX = 0, FY = 0, FPass = 0;
};

// LZW expansion of one frame's indices; missing data leaves the rest at index 0.
void Lzw(std::string_view data, int minCode, TFrameSink& out) {
  if (minCode < 1 || minCode > 11) BadGif();
  const int clear = 1 << minCode, eoi = clear + 1;
  std::vector<std::uint16_t> prefix(4096);
  std::vector<std::uint8_t> suffix(4096), stack(4097);
  int codeSize = minCode + 1, next = clear + 2, old = -1;
  std::uint8_t first = 0;
  std::uint32_t bits = 0;
  int bitCount = 0;
  std::size_t p = 0;
  for (int i = 0; i < clear; ++i) suffix[i] = static_cast<std::uint8_t>(i);
  while (!out.Done()) {
    while (bitCount < codeSize && p < data.size()) {
      bits |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[p++])) << bitCount;
      bitCount += 8;
    }
    if (bitCount < codeSize) break;
    int code = static_cast<int>(bits & ((1u << codeSize) - 1));
    bits >>= codeSize;
    bitCount -= codeSize;
    if (code == clear) {
      codeSize = minCode + 1;
      next = clear + 2;
      old = -1;
      continue;
    }
    if (code == eoi) break;
    if (old < 0) {
      if (code >= clear) break;
      out.Put(static_cast<std::uint8_t>(code));
      old = code;
      first = static_cast<std::uint8_t>(code);
      continue;
    }
    int in = code, sp = 0;
    if (code >= next) {
      if (code > next) break;
      stack[sp++] = first;
      code = old;
    }
    while (code >= clear) {
      if (sp >= 4096) BadGif();
      stack[sp++] = suffix[code];
      code = prefix[code];
    }
    first = suffix[code];
    stack[sp++] = first;
    while (sp > 0 && !out.Done()) out.Put(stack[--sp]);
    if (next < 4096) {
      prefix[next] = static_cast<std::uint16_t>(old);
      suffix[next] = first;
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    old = in;
  }
}

}  // namespace

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() = default;

void TGIFImage::SetWidth(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of a GIF image"));
}
void TGIFImage::SetHeight(int) {
  throw EInvalidGraphicOperation(std::string_view("Cannot change the size of a GIF image"));
}

bool TGIFImage::GetTransparent() const {
  return std::any_of(FFrames.begin(), FFrames.end(), [](const TGIFFrame& f) { return f.Transparent; });
}

void TGIFImage::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  TGifReader r(data);
  if (data.size() < 13 || (data.compare(0, 6, "GIF87a") != 0 && data.compare(0, 6, "GIF89a") != 0)) BadGif();
  r.P = 6;
  const int w = static_cast<int>(r.Word()), h = static_cast<int>(r.Word());
  CheckPictureSize(w, h);
  const std::uint8_t flags = r.Byte();
  const int background = r.Byte();
  r.Byte();
  std::vector<std::uint32_t> global;
  if (flags & 0x80) global = r.ColorMap(2 << (flags & 7));
  std::vector<TGIFFrame> frames;
  int loop = -1;
  TGIFFrame pending;
  bool ended = false;
  bool drawn = false;  // a frame of pixels was read, even if none of them lies on the screen
  std::int64_t framePixels = 0;
  while (!ended) {
    const std::uint8_t kind = r.Byte();
    if (kind == 0x3B) {
      ended = true;
    } else if (kind == 0x21) {
      const std::uint8_t label = r.Byte();
      const std::string body = r.SubBlocks();
      if (label == 0xF9 && body.size() >= 4) {
        const std::uint8_t packed = static_cast<std::uint8_t>(body[0]);
        const int disposal = (packed >> 2) & 7;
        pending.Disposal = disposal <= 3 ? static_cast<TGIFDisposalMethod>(disposal) : dmNone;
        pending.Transparent = packed & 1;
        pending.Delay = static_cast<int>(LE16(body, 1));
        pending.TransparentIndex = static_cast<std::uint8_t>(body[3]);
        pending.HasControl = true;
      } else if (label == 0xFF && body.size() >= 14 && body.compare(0, 11, "NETSCAPE2.0") == 0 && body[11] == 1) {
        loop = static_cast<int>(LE16(body, 12));
      }
    } else if (kind == 0x2C) {
      TGIFFrame f = pending;
      pending = TGIFFrame{};
      f.Left = static_cast<int>(r.Word());
      f.Top = static_cast<int>(r.Word());
      f.Width = static_cast<int>(r.Word());
      f.Height = static_cast<int>(r.Word());
      const std::uint8_t fl = r.Byte();
      f.Interlaced = fl & 0x40;
      f.ColorMap = (fl & 0x80) ? r.ColorMap(2 << (fl & 7)) : global;
      const int minCode = r.Byte();
      const std::string lzw = r.SubBlocks();
      if (f.Width == 0 || f.Height == 0) {
        f.ColorMap.clear();
        frames.push_back(std::move(f));
        if (r.P >= data.size()) break;
        continue;
      }
      // The frame as shown: its part on the screen. All frames together stay within the budget.
      const int keepW = std::min(f.Width, std::max(w - f.Left, 0)), keepH = std::min(f.Height, std::max(h - f.Top, 0));
      drawn = true;
      if (keepW == 0 || keepH == 0) {
        f.Width = f.Height = 0;
        f.ColorMap.clear();
        frames.push_back(std::move(f));
        if (r.P >= data.size()) break;
        continue;
      }
      CheckPictureSize(keepW, keepH, framePixels);
      framePixels += static_cast<std::int64_t>(keepW) * keepH;
      f.Indices.assign(static_cast<std::size_t>(keepW) * keepH, 0);
      TFrameSink sink(f.Width, f.Height, keepW, keepH, f.Interlaced, f.Indices);
      Lzw(lzw, minCode, sink);
      f.Width = keepW;
      f.Height = keepH;
      frames.push_back(std::move(f));
    } else {
      // Unknown block: the rest of the file cannot be parsed. Keep what was read when it holds a
      // frame, as readers commonly do with truncated files.
      if (frames.empty()) BadGif();
      break;
    }
    if (r.P >= data.size()) break;
  }
  if (!drawn) BadGif();
  if (r.P < data.size()) {
    stream.Seek(static_cast<std::int64_t>(r.P) - static_cast<std::int64_t>(data.size()), soCurrent);
    data.resize(r.P);
  }
  FFrames = std::move(frames);
  FWidth = w;
  FHeight = h;
  LoopCount = loop;
  BackgroundIndex = background;
  CurrentFrame = 0;
  FData = std::move(data);
  FModified = false;
  if (OnChange) OnChange(this);
}

TPixelImage TGIFImage::RenderFrame(int index) const {
  TPixelImage img;
  if (FFrames.empty()) return img;
  index = std::clamp(index, 0, FrameCount() - 1);
  img.Resize(FWidth, FHeight, 0);
  img.HasAlpha = true;
  TPixelImage previous;
  for (int i = 0; i <= index; ++i) {
    const TGIFFrame& f = FFrames[static_cast<std::size_t>(i)];
    if (f.Disposal == dmPrevious) previous = img;
    for (int y = 0; y < f.Height; ++y) {
      const int ty = f.Top + y;
      if (ty < 0 || ty >= FHeight) continue;
      for (int x = 0; x < f.Width; ++x) {
        const int tx = f.Left + x;
        if (tx < 0 || tx >= FWidth) continue;
        const std::uint8_t idx = f.Indices[static_cast<std::size_t>(y) * f.Width + x];
        if (f.Transparent && idx == f.TransparentIndex) continue;
        const std::uint32_t c = idx < f.ColorMap.size() ? f.ColorMap[idx] : 0;
        img.At(tx, ty) = 0xFF000000u | c;
      }
    }
    if (i == index) break;
    if (f.Disposal == dmBackground) {
      for (int y = std::max(f.Top, 0); y < std::min(f.Top + f.Height, FHeight); ++y)
        for (int x = std::max(f.Left, 0); x < std::min(f.Left + f.Width, FWidth); ++x) img.At(x, y) = 0;
    } else if (f.Disposal == dmPrevious && !previous.Empty()) {
      img = previous;
    }
  }
  return img;
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (!FFrames.empty()) DrawPixelImage(canvas, rect, RenderFrame(CurrentFrame));
}

bool TGIFImage::AssignFrom(const TGraphic* source) {
  if (const auto* g = dynamic_cast<const TGIFImage*>(source)) {
    FFrames = g->FFrames;
    FData = g->FData;
    FWidth = g->FWidth;
    FHeight = g->FHeight;
    LoopCount = g->LoopCount;
    BackgroundIndex = g->BackgroundIndex;
    return true;
  }
  FFrames.clear();
  FData.clear();
  FWidth = FHeight = 0;
  if (!source || source->GetEmpty()) return true;
  // One frame in the fixed 8-bit palette; fully transparent pixels take a spare index.
  const TPixelImage img = source->ToPixels();
  TBitmap b;
  b.FromPixels(img);
  b.SetAlphaFormat(afIgnored);
  b.SetPixelFormat(pf8bit);
  TGIFFrame f;
  f.Width = img.Width;
  f.Height = img.Height;
  f.ColorMap = b.Palette();
  f.ColorMap.resize(256, 0);
  f.Indices.resize(static_cast<std::size_t>(f.Width) * f.Height);
  for (int y = 0; y < f.Height; ++y) {
    const std::uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < f.Width; ++x) {
      std::uint8_t idx = row[x];
      if (img.HasAlpha && (img.At(x, y) >> 24) < 128) {
        idx = 255;
        f.Transparent = true;
        f.TransparentIndex = 255;
      }
      f.Indices[static_cast<std::size_t>(y) * f.Width + x] = idx;
    }
  }
  FWidth = f.Width;
  FHeight = f.Height;
  FFrames.push_back(std::move(f));
  return true;
}

std::string TGIFImage::Encode() const {
  std::string s = "GIF89a";
  PutLE16(s, static_cast<std::uint32_t>(FWidth));
  PutLE16(s, static_cast<std::uint32_t>(FHeight));
  s.push_back(0);  // no global colour map: every frame has its own
  s.push_back(static_cast<char>(BackgroundIndex));
  s.push_back(0);
  if (LoopCount >= 0) {
    s += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    PutLE16(s, static_cast<std::uint32_t>(LoopCount));
    s.push_back(0);
  }
  for (const TGIFFrame& f : FFrames) {
    s += "\x21\xF9\x04";
    s.push_back(static_cast<char>((static_cast<int>(f.Disposal) << 2) | (f.Transparent ? 1 : 0)));
    PutLE16(s, static_cast<std::uint32_t>(f.Delay));
    s.push_back(static_cast<char>(f.TransparentIndex));
    s.push_back(0);
    s.push_back(0x2C);
    PutLE16(s, static_cast<std::uint32_t>(f.Left));
    PutLE16(s, static_cast<std::uint32_t>(f.Top));
    PutLE16(s, static_cast<std::uint32_t>(f.Width));
    PutLE16(s, static_cast<std::uint32_t>(f.Height));
    s.push_back(static_cast<char>(0x80 | 7));
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t c = static_cast<std::size_t>(i) < f.ColorMap.size() ? f.ColorMap[i] : 0;
      s.push_back(static_cast<char>((c >> 16) & 0xFF));
      s.push_back(static_cast<char>((c >> 8) & 0xFF));
      s.push_back(static_cast<char>(c & 0xFF));
    }
    // LZW with 8-bit minimum code size and a dictionary that resets when full.
    const int minCode = 8, clear = 256, eoi = 257;
    s.push_back(static_cast<char>(minCode));
    std::string packed;
    std::uint32_t bits = 0;
    int bitCount = 0, codeSize = minCode + 1, next = eoi + 1;
    auto emit = [&](int code) {
      bits |= static_cast<std::uint32_t>(code) << bitCount;
      bitCount += codeSize;
      while (bitCount >= 8) {
        packed.push_back(static_cast<char>(bits & 0xFF));
        bits >>= 8;
        bitCount -= 8;
      }
    };
    std::map<std::uint32_t, int> dict;
    emit(clear);
    int prefix = -1;
    for (std::uint8_t idx : f.Indices) {
      if (prefix < 0) {
        prefix = idx;
        continue;
      }
      const std::uint32_t key = static_cast<std::uint32_t>(prefix) << 8 | idx;
      auto it = dict.find(key);
      if (it != dict.end()) {
        prefix = it->second;
        continue;
      }
      emit(prefix);
      if (next < 4096) {
        dict.emplace(key, next);
        if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
        ++next;
      } else {
        emit(clear);
        dict.clear();
        codeSize = minCode + 1;
        next = eoi + 1;
      }
      prefix = idx;
    }
    if (prefix >= 0) emit(prefix);
    emit(eoi);
    if (bitCount > 0) packed.push_back(static_cast<char>(bits & 0xFF));
    for (std::size_t p = 0; p < packed.size(); p += 255) {
      const std::size_t n = std::min<std::size_t>(255, packed.size() - p);
      s.push_back(static_cast<char>(n));
      s.append(packed, p, n);
    }
    s.push_back(0);
  }
  s.push_back(0x3B);
  return s;
}

void TGIFImage::SaveToStream(TStream& stream) {
  if (FData.empty() && !FFrames.empty()) FData = Encode();
  WriteBytes(stream, FData);
}
