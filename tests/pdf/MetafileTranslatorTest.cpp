// The metafile translator: a page recorded by the platform's metafile canvas becomes PDF content
// whose words lie where the recorder put them and whose rendering matches the metafile played
// onto a bitmap; clipping, transparent and alpha pictures checked on rendered pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <fstream>
#include <sstream>

#include "PdfTestUtil.h"
#include "pdf/PDFEMF.h"
#include "pdf/PDFImage.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/EmfRecordCases.h"
#include "platform/graphics/EmfRecorder.h"

using namespace pdftest;

namespace {

struct TRgbImage {
  int Width = 0, Height = 0;
  std::string Pixels;  // RGB
  std::uint32_t At(int x, int y) const {
    const std::size_t o = (std::size_t(y) * Width + x) * 3;
    return (std::uint8_t(Pixels[o]) << 16) | (std::uint8_t(Pixels[o + 1]) << 8) | std::uint8_t(Pixels[o + 2]);
  }
};

bool ReadPPM(const std::string& bytes, TRgbImage& img) {
  std::istringstream in(bytes);
  std::string magic;
  int maxv = 0;
  in >> magic >> img.Width >> img.Height >> maxv;
  if (magic != "P6" || maxv != 255) return false;
  in.get();
  img.Pixels.resize(std::size_t(img.Width) * img.Height * 3);
  in.read(img.Pixels.data(), static_cast<std::streamsize>(img.Pixels.size()));
  return in.gcount() == static_cast<std::streamsize>(img.Pixels.size());
}

// Renders page 1 at the given resolution.
bool Render(const std::string& pdf, int dpi, TRgbImage& img) {
  const std::string base = pdf + "-r" + std::to_string(dpi);
  int st = 0;
  RunTool("pdftoppm -r " + std::to_string(dpi) + " -singlefile -f 1 -l 1 '" + pdf + "' '" + base + "'", &st);
  return st == 0 && ReadPPM(ReadFile(base + ".ppm"), img);
}

std::string Pdf(const std::string& name) {
  std::system(("mkdir -p '" + OutPath("pdf") + "'").c_str());
  return OutPath("pdf/" + name + ".pdf");
}

// A document of one page whose metafile canvas receives the drawing.
void WriteRecorded(const std::string& path, const std::function<void(HDC)>& draw) {
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(path));
  doc.BeginDoc();
  draw(doc.Canvas()->GetHandle());
  doc.EndDoc();
}

// A document of one page translated from hand-made records (device 96 pixels per inch).
void WriteRecords(const std::string& path, const std::function<void(TEmfWriter&)>& records) {
  TEmfWriter w;
  records(w);
  const std::string emf = w.Finish(TRect(0, 0, 21000, 29700), TSize(794, 1123), TSize(210, 297), 8, u"");
  std::ofstream(path + ".emf", std::ios::binary) << emf;  // kept beside the PDF
  TPDFDocument doc;
  doc.SetFileName(Utf8ToUnicode(path));
  doc.BeginDoc();
  TPDFPage* page = doc.CurrentPage();
  TEMWParser parser(*page, doc.Images(), &doc.Patterns(), doc.EMFOptions(), &doc.Fonts());
  parser.LoadBytes(emf);
  parser.Execute();
  doc.EndDoc();
}

std::string U32(std::uint32_t v) {
  std::string s;
  TEmfWriter::Put32(s, v);
  return s;
}
std::string RectBytes(int l, int t, int r, int b) { return U32(l) + U32(t) + U32(r) + U32(b); }

void SolidBrush(TEmfWriter& w, int slot, COLORREF c) {
  w.Add(EMR_CREATEBRUSHINDIRECT, U32(slot) + U32(BS_SOLID) + U32(c) + U32(0));
  w.Add(EMR_SELECTOBJECT, U32(slot));
  w.Add(EMR_SELECTOBJECT, U32(0x80000000u | NULL_PEN));
}

// A picture record (ALPHABLEND or TRANSPARENTBLT) of a top-down 32-bit DIB at (x, y).
void PictureRecord(TEmfWriter& w, DWORD type, int x, int y, int width, int height, DWORD op,
                   const std::vector<std::uint32_t>& bgra) {
  std::string bmi = U32(40) + U32(width) + U32(static_cast<std::uint32_t>(-height));
  TEmfWriter::Put16(bmi, 1);
  TEmfWriter::Put16(bmi, 32);
  bmi += U32(BI_RGB) + U32(width * height * 4) + U32(0) + U32(0) + U32(0) + U32(0);
  std::string bits;
  for (std::uint32_t p : bgra) bits += U32(p);
  std::string s = RectBytes(x, y, x + width - 1, y + height - 1) + U32(x) + U32(y) + U32(width) + U32(height) + U32(op) +
                  U32(0) + U32(0);
  for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) TEmfWriter::PutFloat(s, f);
  s += U32(0) + U32(DIB_RGB_COLORS) + U32(108) + U32(static_cast<std::uint32_t>(bmi.size())) +
       U32(static_cast<std::uint32_t>(108 + bmi.size())) + U32(static_cast<std::uint32_t>(bits.size())) + U32(width) +
       U32(height);
  w.Add(type, s + bmi + bits);
}

// A MASKBLT record: a blue 32-bit source and a 1-bit mask set on its left half.
void MaskRecord(TEmfWriter& w, int x, int y, int n, int height) {
  auto header = [&](int bits, std::size_t bytes) {
    std::string h = U32(40) + U32(n) + U32(static_cast<std::uint32_t>(-height));
    TEmfWriter::Put16(h, 1);
    TEmfWriter::Put16(h, static_cast<std::uint32_t>(bits));
    return h + U32(BI_RGB) + U32(static_cast<std::uint32_t>(bytes)) + U32(0) + U32(0) + U32(0) + U32(0);
  };
  std::string src;
  for (int i = 0; i < n * height; ++i) src += U32(0xFF0000FF);
  const std::size_t stride = ((n + 31) / 32) * 4;
  std::string mask(stride * height, '\0');
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < n / 2; ++c) mask[r * stride + c / 8] |= static_cast<char>(0x80 >> (c % 8));
  const std::string sbmi = header(32, src.size());
  const std::string mbmi = header(1, mask.size()) + U32(0x000000) + U32(0xFFFFFF);
  const std::uint32_t at = 128, sBits = at + std::uint32_t(sbmi.size()), mBmi = sBits + std::uint32_t(src.size()),
                      mBits = mBmi + std::uint32_t(mbmi.size());
  std::string s = RectBytes(x, y, x + n - 1, y + height - 1) + U32(x) + U32(y) + U32(n) + U32(height) +
                  U32(0xCCAA0020) + U32(0) + U32(0);
  for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) TEmfWriter::PutFloat(s, f);
  s += U32(0) + U32(DIB_RGB_COLORS) + U32(at) + U32(std::uint32_t(sbmi.size())) + U32(sBits) +
       U32(std::uint32_t(src.size())) + U32(0) + U32(0) + U32(DIB_RGB_COLORS) + U32(mBmi) +
       U32(std::uint32_t(mbmi.size())) + U32(mBits) + U32(std::uint32_t(mask.size()));
  w.Add(EMR_MASKBLT, s + sbmi + src + mbmi + mask);
}

bool Near(std::uint32_t a, std::uint32_t b, int tol) {
  for (int k = 0; k < 24; k += 8)
    if (std::abs(int((a >> k) & 0xFF) - int((b >> k) & 0xFF)) > tol) return false;
  return true;
}

#define NEED_TOOLS()                                                            \
  if (!HaveTool("pdftoppm") || !HaveTool("pdftotext") || !HaveTool("qpdf"))     \
    GTEST_SKIP() << "poppler-utils and qpdf are needed to read the files back";

}  // namespace

// Clip rectangles narrow the clip in turn, and an excluded rectangle leaves a hole.
TEST(MetafileTranslator, ClipRectanglesIntersectAndExclude) {
  NEED_TOOLS();
  const std::string path = Pdf("emf-clip");
  WriteRecords(path, [](TEmfWriter& w) {
    SolidBrush(w, 1, RGB(255, 0, 0));
    w.Add(EMR_INTERSECTCLIPRECT, RectBytes(96, 96, 480, 480));
    w.Add(EMR_INTERSECTCLIPRECT, RectBytes(288, 288, 672, 672));  // together: 288..480
    w.Add(EMR_EXCLUDECLIPRECT, RectBytes(350, 350, 400, 400));
    w.Add(EMR_RECTANGLE, RectBytes(0, 0, 794, 1000));
  });
  ExpectQpdfClean(path);
  TRgbImage img;
  ASSERT_TRUE(Render(path, 96, img));
  struct {
    int x, y;
    bool red;
  } cases[] = {{150, 150, false}, {600, 600, false}, {300, 300, true}, {470, 470, true},
               {375, 375, false}, {300, 600, false}, {600, 300, false}};
  for (const auto& c : cases)
    EXPECT_EQ(Near(img.At(c.x, c.y), 0xFF0000, 40), c.red) << c.x << "," << c.y;
  // A clip replaced by a region and removed by a restore of the saved state.
  const std::string path2 = Pdf("emf-clip-restore");
  WriteRecords(path2, [](TEmfWriter& w) {
    SolidBrush(w, 1, RGB(0, 0, 255));
    w.Add(EMR_SAVEDC, "");
    w.Add(EMR_INTERSECTCLIPRECT, RectBytes(0, 0, 100, 100));
    w.Add(EMR_RESTOREDC, U32(static_cast<std::uint32_t>(-1)));
    w.Add(EMR_RECTANGLE, RectBytes(0, 0, 400, 400));
  });
  ASSERT_TRUE(Render(path2, 96, img));
  EXPECT_TRUE(Near(img.At(300, 300), 0x0000FF, 40));
}

// Transparent pictures stay transparent: a colour key, per-pixel alpha, a constant alpha.
TEST(MetafileTranslator, TransparentAndAlphaPicturesKeepTheirTransparency) {
  NEED_TOOLS();
  const std::string path = Pdf("emf-alpha");
  const int n = 96;
  WriteRecords(path, [&](TEmfWriter& w) {
    SolidBrush(w, 1, RGB(0, 160, 0));
    w.Add(EMR_RECTANGLE, RectBytes(0, 0, 794, 600));  // green ground
    // Left half magenta (the key), right half blue.
    std::vector<std::uint32_t> keyed(std::size_t(n) * n);
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) keyed[std::size_t(y) * n + x] = x < n / 2 ? 0xFFFF00FF : 0xFF0000FF;
    PictureRecord(w, EMR_TRANSPARENTBLT, 96, 96, n, n, RGB(255, 0, 255), keyed);
    // Premultiplied: top half fully transparent, bottom half red at half coverage.
    std::vector<std::uint32_t> alpha(std::size_t(n) * n);
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) alpha[std::size_t(y) * n + x] = y < n / 2 ? 0 : 0x80800000;
    PictureRecord(w, EMR_ALPHABLEND, 288, 96, n, n, AC_SRC_OVER | (255u << 16) | (std::uint32_t(AC_SRC_ALPHA) << 24),
                  alpha);
    // Opaque white at a constant alpha of a quarter.
    std::vector<std::uint32_t> white(std::size_t(n) * n, 0xFFFFFFFF);
    PictureRecord(w, EMR_ALPHABLEND, 480, 96, n, n, AC_SRC_OVER | (64u << 16), white);
    // Blue through a 1-bit mask whose left half is set.
    MaskRecord(w, 672, 96, n, n);
  });
  ExpectQpdfClean(path);
  TRgbImage img;
  ASSERT_TRUE(Render(path, 96, img));
  EXPECT_TRUE(Near(img.At(672 + 20, 140), 0x0000FF, 30)) << std::hex << img.At(692, 140);  // mask set
  EXPECT_TRUE(Near(img.At(672 + 70, 140), 0x00A000, 30)) << std::hex << img.At(742, 140);  // mask clear
  EXPECT_TRUE(Near(img.At(96 + 20, 140), 0x00A000, 30)) << std::hex << img.At(116, 140);   // key: ground
  EXPECT_TRUE(Near(img.At(96 + 70, 140), 0x0000FF, 30)) << std::hex << img.At(166, 140);   // kept blue
  EXPECT_TRUE(Near(img.At(288 + 40, 110), 0x00A000, 30)) << std::hex << img.At(328, 110);  // alpha 0
  EXPECT_TRUE(Near(img.At(288 + 40, 170), 0x805000, 40)) << std::hex << img.At(328, 170);  // half red
  EXPECT_TRUE(Near(img.At(480 + 40, 140), 0x40B740, 40)) << std::hex << img.At(520, 140);  // quarter white
}

// The acceptance page: lines, shapes, clipping, world transforms, text in two faces and four
// scripts, a 24-bit and a 32-bit picture, recorded by the metafile canvas of a PDF page.
TEST(MetafileTranslator, RecordedPageLandsWhereItWasDrawn) {
  NEED_TOOLS();
  struct TLine {
    const char16_t* Face;
    const char16_t* Text;
    int X, Y;
  };
  const TLine lines[] = {
      {u"Liberation Sans", u"Hello metafile world", 60, 560},
      {u"Liberation Sans", u"Привет, мир", 60, 600},
      {u"DejaVu Serif", u"Καλημέρα κόσμε", 60, 640},
      {u"DejaVu Sans", u"שלום עולם", 60, 680},
  };
  // The line's font selected into dc and its text as WCHARs; the font goes when the line is done.
  auto withLine = [](HDC dc, const TLine& l, auto use) {
    LOGFONTW lf;
    lf.lfHeight = -21;
    std::u16string face(l.Face);
    for (std::size_t i = 0; i < face.size(); ++i) lf.lfFaceName[i] = static_cast<WCHAR>(face[i]);
    HFONT f = CreateFontIndirectW(&lf);
    HGDIOBJ of = SelectObject(dc, f);
    std::u16string t(l.Text);
    std::vector<WCHAR> wt(t.begin(), t.end());
    use(wt);
    SelectObject(dc, of);
    DeleteObject(f);
  };
  auto draw = [&](HDC dc) {
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 200));
    HBRUSH brush = CreateSolidBrush(RGB(220, 40, 40));
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    MoveToEx(dc, 40, 40, nullptr);
    LineTo(dc, 700, 60);
    Rectangle(dc, 60, 100, 260, 200);
    Ellipse(dc, 300, 100, 460, 220);
    // Clipped: only the left part of the wide rectangle shows.
    SaveDC(dc);
    IntersectClipRect(dc, 500, 100, 600, 240);
    Rectangle(dc, 480, 100, 740, 220);
    RestoreDC(dc, -1);
    // A shifted and scaled square.
    SaveDC(dc);
    SetGraphicsMode(dc, GM_ADVANCED);
    XFORM xf{2, 0, 0, 2, 100, 200};
    SetWorldTransform(dc, &xf);
    Rectangle(dc, 0, 50, 60, 100);
    RestoreDC(dc, -1);
    // Pictures: a 24-bit gradient and a 32-bit picture with a transparent half.
    const int w = 96, h = 64;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = 40;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    std::vector<std::uint8_t> rgb(std::size_t(((w * 3 + 3) & ~3)) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint8_t* p = &rgb[std::size_t(y) * ((w * 3 + 3) & ~3) + x * 3];
        p[0] = static_cast<std::uint8_t>(x * 2), p[1] = static_cast<std::uint8_t>(y * 3), p[2] = 200;
      }
    StretchDIBits(dc, 100, 380, w, h, 0, 0, w, h, rgb.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px[y * w + x] = x < w / 2 ? 0 : 0xFF00A000;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, dib);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, 300, 380, w, h, mem, 0, 0, w, h, bf);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    // Text.
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    for (const TLine& l : lines)
      withLine(dc, l, [&](const std::vector<WCHAR>& wt) {
        TextOutW(dc, l.X, l.Y, wt.data(), static_cast<int>(wt.size()));
      });
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);
  };
  const std::string path = Pdf("emf-page");
  WriteRecorded(path, draw);
  ExpectQpdfClean(path);

  // Where the words went: each line's extent and top against the reference context's metrics.
  std::string bbox = RunTool("pdftotext -bbox '" + path + "' -");
  struct TWord {
    double x0, y0, x1, y1;
  };
  std::vector<TWord> words;
  for (std::size_t p = bbox.find("<word "); p != std::string::npos; p = bbox.find("<word ", p + 1)) {
    TWord w{};
    auto attr = [&](const char* name) { return std::atof(bbox.c_str() + bbox.find(name, p) + std::strlen(name)); };
    w.x0 = attr("xMin=\""), w.y0 = attr("yMin=\""), w.x1 = attr("xMax=\""), w.y1 = attr("yMax=\"");
    words.push_back(w);
  }
  HDC ref = CreateCompatibleDC(nullptr);
  const double k = 72.0 / GetDeviceCaps(ref, LOGPIXELSX);
  for (const TLine& l : lines) {
    SIZE sz{};
    TEXTMETRICW tm{};
    withLine(ref, l, [&](const std::vector<WCHAR>& wt) {
      GetTextExtentPoint32W(ref, wt.data(), static_cast<int>(wt.size()), &sz);
      GetTextMetricsW(ref, &tm);
    });
    const double baseline = (l.Y + tm.tmAscent) * k;
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (const TWord& w : words)
      if (w.y0 < baseline && w.y1 > baseline) {
        x0 = std::min(x0, w.x0), x1 = std::max(x1, w.x1), y0 = std::min(y0, w.y0), y1 = std::max(y1, w.y1);
      }
    const std::string what = UnicodeToUtf8(std::u16string(l.Text));
    EXPECT_NEAR(x0, l.X * k, 1.0) << what;
    EXPECT_NEAR(x1, (l.X + sz.cx) * k, 1.0) << what;
    EXPECT_NEAR(y0, l.Y * k, 1.0) << what;
    EXPECT_NEAR(y1, (l.Y + tm.tmAscent + tm.tmDescent) * k, 1.0) << what;
  }
  DeleteDC(ref);
  const std::string text = RunTool("pdftotext '" + path + "' -");
  EXPECT_NE(text.find("Hello metafile world"), std::string::npos) << text;
  EXPECT_NE(text.find("Привет, мир"), std::string::npos) << text;
  EXPECT_NE(text.find("Καλημέρα κόσμε"), std::string::npos) << text;
  // The right-to-left run is drawn in its visual order, so a reader gets it back in reading order.
  EXPECT_NE(text.find("שלום עולם"), std::string::npos) << text;

  // The rendering against the same drawing recorded and played onto a bitmap.
  TMetafile mf;
  mf.SetWidth(794);
  mf.SetHeight(1123);
  {
    TMetafileCanvas c(mf, nullptr);
    draw(c.GetHandle());
  }
  {
    std::string bits(GetEnhMetaFileBits(mf.GetHandle(), 0, nullptr), '\0');
    GetEnhMetaFileBits(mf.GetHandle(), static_cast<UINT>(bits.size()), reinterpret_cast<BYTE*>(bits.data()));
    std::ofstream(path + ".emf", std::ios::binary) << bits;  // kept beside the PDF
  }
  TBitmap played(794, 1123);
  played.SetPixelFormat(pf24bit);
  HDC pdc = played.GetCanvas()->GetHandle();
  RECT all{0, 0, 794, 1123};
  FillRect(pdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // The frame was taken from the drawn bounds: played onto them, the picture keeps its place.
  ENHMETAHEADER hd;
  ASSERT_GT(GetEnhMetaFileHeader(mf.GetHandle(), sizeof hd, &hd), 0u);
  const RECT onto{hd.rclBounds.Left, hd.rclBounds.Top, hd.rclBounds.Right + 1, hd.rclBounds.Bottom + 1};
  PlayEnhMetaFile(pdc, mf.GetHandle(), &onto);
  TRgbImage img;
  ASSERT_TRUE(Render(path, 96, img));
  int differ = 0, total = 0;
  for (int y = 0; y < std::min(img.Height, 1123); ++y)
    for (int x = 0; x < std::min(img.Width, 794); ++x) {
      // A pixel matches when the other picture has its colour within one pixel of it: edges of
      // strokes and glyphs may fall half a pixel apart.
      ++total;
      bool match = false;
      for (int dy = -1; dy <= 1 && !match; ++dy)
        for (int dx = -1; dx <= 1 && !match; ++dx) {
          const TColor c = played.GetPixel(x + dx, y + dy);
          if (c == TColor(-1)) continue;
          const std::uint32_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
          match = Near(img.At(x, y), rgb, 100);
        }
      if (!match) ++differ;
    }
  if (differ >= total / 200) {
    // Kept beside the file for a look.
    std::string ppm = "P6\n794 1123\n255\n";
    for (int y = 0; y < 1123; ++y)
      for (int x = 0; x < 794; ++x) {
        const TColor c = played.GetPixel(x, y);
        ppm += static_cast<char>(c & 0xFF), ppm += static_cast<char>((c >> 8) & 0xFF), ppm += static_cast<char>((c >> 16) & 0xFF);
      }
    std::ofstream(path + "-played.ppm", std::ios::binary) << ppm;
  }
  EXPECT_LT(differ, total / 200) << differ << " of " << total << " pixels differ";
  // Picture halves: the transparent half of the 32-bit picture shows the white page.
  EXPECT_TRUE(Near(img.At(310, 400), 0xFFFFFF, 10)) << std::hex << img.At(310, 400);
  EXPECT_TRUE(Near(img.At(380, 400), 0x00A000, 30)) << std::hex << img.At(380, 400);
}

namespace {

// The content a page gets from hand-made records, and the whole file.
std::string Translate(const std::function<void(TEmfWriter&)>& records, std::string* file = nullptr) {
  TEmfWriter w;
  records(w);
  const std::string emf = w.Finish(TRect(0, 0, 21000, 29700), TSize(794, 1123), TSize(210, 297), 8, u"");
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetOutputStream(&out);
  doc.BeginDoc();
  TPDFPage* page = doc.CurrentPage();
  TEMWParser parser(*page, doc.Images(), &doc.Patterns(), doc.EMFOptions(), &doc.Fonts());
  parser.LoadBytes(emf);
  parser.Execute();
  page->EndText();
  const std::string content = page->Content().Text();
  doc.EndDoc();
  if (file) file->assign(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.GetSize()));
  return content;
}

void FontRecord(TEmfWriter& w, int slot, int height, const char16_t* face) {
  std::string s = U32(slot) + U32(static_cast<std::uint32_t>(height)) + U32(0) + U32(0) + U32(0) + U32(400) + U32(0) +
                  U32(0);
  std::u16string f(face);
  f.resize(32, u'\0');
  for (char16_t c : f) TEmfWriter::Put16(s, c);
  w.Add(EMR_EXTCREATEFONTINDIRECTW, s);
  w.Add(EMR_SELECTOBJECT, U32(slot));
}

void TextRecord(TEmfWriter& w, int x, int y, const std::u16string& t) {
  std::string s = RectBytes(0, 0, 0, 0) + U32(GM_COMPATIBLE) + U32(0) + U32(0) + U32(x) + U32(y) +
                  U32(static_cast<std::uint32_t>(t.size())) + U32(76) + U32(0) + RectBytes(0, 0, 0, 0) + U32(0);
  for (char16_t c : t) TEmfWriter::Put16(s, c);
  if (t.size() % 2) TEmfWriter::Put16(s, 0);
  w.Add(EMR_EXTTEXTOUTW, s);
}

void StretchDib(TEmfWriter& w, int x, int y, int width, int height, int bits, const std::string& rows) {
  std::string bmi = U32(40) + U32(static_cast<std::uint32_t>(std::abs(width))) + U32(8);
  TEmfWriter::Put16(bmi, 1);
  TEmfWriter::Put16(bmi, static_cast<std::uint32_t>(bits));
  bmi += U32(BI_RGB) + U32(static_cast<std::uint32_t>(rows.size())) + U32(0) + U32(0) + U32(0) + U32(0);
  if (bits == 1) bmi += U32(0x000000) + U32(0xFFFFFF);
  std::string s = RectBytes(x, y, x + std::abs(width), y + 8) + U32(x) + U32(y) + U32(0) + U32(0) +
                  U32(static_cast<std::uint32_t>(std::abs(width))) + U32(8) + U32(80) +
                  U32(static_cast<std::uint32_t>(bmi.size())) + U32(static_cast<std::uint32_t>(80 + bmi.size())) +
                  U32(static_cast<std::uint32_t>(rows.size())) + U32(DIB_RGB_COLORS) + U32(SRCCOPY) +
                  U32(static_cast<std::uint32_t>(width)) + U32(static_cast<std::uint32_t>(height));
  w.Add(EMR_STRETCHDIBITS, s + bmi + rows);
}

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

}  // namespace

// Font heights become whole points of the reference context's resolution.
TEST(MetafileTranslator, FontHeightsBecomeWholePoints) {
  struct {
    int Height;
    const char* Matrix;
  } cases[] = {{-16, "12 0 0 12 "}, {-15, "11 0 0 11 "}, {-32, "24 0 0 24 "}};
  for (const auto& c : cases) {
    const std::string content = Translate([&](TEmfWriter& w) {
      FontRecord(w, 1, c.Height, u"Liberation Sans");
      TextRecord(w, 96, 96, u"Size");
    });
    EXPECT_NE(content.find(c.Matrix), std::string::npos) << c.Height << "\n" << content;
  }
}

// Pens, brushes and state restores as they reach the page.
TEST(MetafileTranslator, PensBrushesAndRestoredState) {
  // A wide dashed pen draws solid; a thin one dashed.
  std::string c = Translate([](TEmfWriter& w) {
    w.Add(EMR_CREATEPEN, U32(1) + U32(PS_DASH) + U32(3) + U32(0) + U32(0));
    w.Add(EMR_SELECTOBJECT, U32(1));
    w.Add(EMR_MOVETOEX, U32(10) + U32(10));
    w.Add(EMR_LINETO, U32(200) + U32(10));
    w.Add(EMR_CREATEPEN, U32(2) + U32(PS_DASH) + U32(1) + U32(0) + U32(0));
    w.Add(EMR_SELECTOBJECT, U32(2));
    w.Add(EMR_LINETO, U32(200) + U32(100));
  });
  const std::size_t dash = c.find("[4 4] 0 d");
  ASSERT_NE(dash, std::string::npos) << c;
  EXPECT_GT(dash, c.find("\r\nS\r\n")) << "the wide pen was dashed\n" << c;
  // A hatched brush fills with a pattern, the solid brush after it plainly.
  c = Translate([](TEmfWriter& w) {
    w.Add(EMR_CREATEBRUSHINDIRECT, U32(1) + U32(BS_HATCHED) + U32(RGB(0, 0, 255)) + U32(HS_CROSS));
    w.Add(EMR_SELECTOBJECT, U32(1));
    w.Add(EMR_RECTANGLE, RectBytes(10, 10, 100, 100));
    w.Add(EMR_CREATEBRUSHINDIRECT, U32(2) + U32(BS_SOLID) + U32(RGB(255, 0, 0)) + U32(0));
    w.Add(EMR_SELECTOBJECT, U32(2));
    w.Add(EMR_RECTANGLE, RectBytes(110, 10, 200, 100));
  });
  EXPECT_EQ(Count(c, "/Pattern cs"), 1) << c;
  EXPECT_NE(c.find("1 0 0 rg", c.find("/Pattern cs")), std::string::npos) << c;
  // After a restore closes a clip, the pen's colour and width are given again before stroking.
  c = Translate([](TEmfWriter& w) {
    w.Add(EMR_CREATEPEN, U32(1) + U32(PS_SOLID) + U32(2) + U32(0) + U32(RGB(0, 255, 0)));
    w.Add(EMR_SELECTOBJECT, U32(1));
    w.Add(EMR_SAVEDC, "");
    w.Add(EMR_INTERSECTCLIPRECT, RectBytes(0, 0, 50, 50));
    w.Add(EMR_MOVETOEX, U32(10) + U32(10));
    w.Add(EMR_LINETO, U32(40) + U32(40));
    w.Add(EMR_RESTOREDC, U32(static_cast<std::uint32_t>(-1)));
    w.Add(EMR_LINETO, U32(100) + U32(40));
  });
  const std::size_t q = c.rfind("Q\r\n");
  ASSERT_NE(q, std::string::npos) << c;
  EXPECT_NE(c.find("0 1 0 RG", q), std::string::npos) << c;
  EXPECT_NE(c.find(" w", q), std::string::npos) << c;
}

// Pictures: 1-bit ones fax-coded, every record its own image, a negative width mirrored.
TEST(MetafileTranslator, PicturesOfTheStretchRecord) {
  std::string file;
  std::string rows1(8 * 4, '\0');  // 8 rows of 32-bit aligned 1-bit pixels
  for (int y = 0; y < 8; ++y) rows1[std::size_t(y) * 4] = static_cast<char>(0xF0);
  std::string content = Translate(
      [&](TEmfWriter& w) {
        StretchDib(w, 10, 10, 8, 8, 1, rows1);
        StretchDib(w, 30, 10, 8, 8, 1, rows1);
      },
      &file);
  EXPECT_EQ(Count(file, "/CCITTFaxDecode"), 2);
  EXPECT_EQ(Count(content, " Do"), 2) << content;
  // A mirrored picture lies at its destination with a positive width.
  std::string rows24(8 * 24, '\0');
  content = Translate([&](TEmfWriter& w) { StretchDib(w, 100, 10, -8, 8, 24, rows24); }, &file);
  const std::size_t cm = content.find(" cm");
  ASSERT_NE(cm, std::string::npos) << content;
  EXPECT_EQ(content.find("-"), std::string::npos) << content;
}

// A picture brush selected twice is one pattern object, shown by both fills.
TEST(MetafileTranslator, PictureBrushMakesOnePattern) {
  std::string bmi = U32(40) + U32(8) + U32(8);
  TEmfWriter::Put16(bmi, 1);
  TEmfWriter::Put16(bmi, 24);
  bmi += U32(BI_RGB) + U32(8 * 24) + U32(0) + U32(0) + U32(0) + U32(0);
  const std::string bits(8 * 24, '\x40');
  std::string file;
  const std::string content = Translate(
      [&](TEmfWriter& w) {
        w.Add(EMR_CREATEDIBPATTERNBRUSHPT, U32(1) + U32(DIB_RGB_COLORS) + U32(32) +
                                               U32(static_cast<std::uint32_t>(bmi.size())) +
                                               U32(static_cast<std::uint32_t>(32 + bmi.size())) +
                                               U32(static_cast<std::uint32_t>(bits.size())) + bmi + bits);
        w.Add(EMR_SELECTOBJECT, U32(1));
        w.Add(EMR_RECTANGLE, RectBytes(10, 10, 100, 100));
        w.Add(EMR_SELECTOBJECT, U32(0x80000000u | WHITE_BRUSH));
        w.Add(EMR_SELECTOBJECT, U32(1));
        w.Add(EMR_RECTANGLE, RectBytes(110, 10, 200, 100));
      },
      &file);
  EXPECT_EQ(Count(content, "/Pattern cs"), 2) << content;
  EXPECT_EQ(Count(file, "/PatternType 1"), 1);
  EXPECT_EQ(Count(file, "/Subtype /Image"), 1);
}

// The records the player's test reads too (EmfRecordCases.h): the translated page, rendered,
// gives the pixels each case names.
TEST(MetafileTranslator, TranslatesTheSharedRecordCases) {
  NEED_TOOLS();
  int index = 0;
  for (const emfcases::TCase& c : emfcases::Cases()) {
    const std::string path = Pdf("emf-case-" + std::to_string(index++));
    WriteRecords(path, c.Records);
    ASSERT_EQ(ReadFile(path + ".emf"), emfcases::Page(c)) << c.Name;
    ExpectQpdfClean(path);
    TRgbImage img;
    ASSERT_TRUE(Render(path, 96, img)) << c.Name;
    for (const emfcases::TProbe& p : c.Probes)
      EXPECT_TRUE(Near(img.At(p.X, p.Y), p.Rgb, 40))
          << c.Name << " at " << p.X << "," << p.Y << ": " << std::hex << img.At(p.X, p.Y);
  }
}
