#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "platform/graphics/EmfRecordCases.h"
#include "platform/graphics/EmfRecorder.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"

namespace {

constexpr int W = 200, H = 100;

std::string Fixture(const char* name) {
  TMemoryStream ms;
  ms.LoadFromFile(Utf8ToUnicode(std::string(TAVRELO_TEST_DATA) + "/pictures/" + name));
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

// Lines, rectangles, Latin and Cyrillic text and a bitmap.
void DrawScene(HDC dc) {
  const RECT all{0, 0, W, H};
  HBRUSH white = CreateSolidBrush(0xFFFFFF);
  FillRect(dc, &all, white);
  DeleteObject(white);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 200));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, 5, 5, nullptr);
  LineTo(dc, 120, 5);
  HBRUSH brush = CreateSolidBrush(RGB(0, 160, 0));
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, 10, 15, 60, 45);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 130, 10, 190, 40);
  LOGFONTW lf;
  lf.lfHeight = -16;
  const std::u16string face = u"Liberation Sans";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(200, 0, 0));
  const std::u16string latin = u"Hello, text", cyrillic = u"Привет, мир";
  TextOutW(dc, 10, 50, latin.data(), static_cast<int>(latin.size()));
  TextOutW(dc, 10, 72, cyrillic.data(), static_cast<int>(cyrillic.size()));
  // An 8x8 bitmap stretched to 32x32.
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 8;
  bmi.bmiHeader.biHeight = -8;
  bmi.bmiHeader.biBitCount = 32;
  std::uint32_t px[64];
  for (int i = 0; i < 64; ++i) px[i] = (i / 8 + i % 8) % 2 ? 0xFF00C0C0u : 0xFF800080u;
  StretchDIBits(dc, 150, 55, 32, 32, 0, 0, 8, 8, px, &bmi, DIB_RGB_COLORS, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(font);
  DeleteObject(brush);
  DeleteObject(pen);
}

HENHMETAFILE RecordScene() {
  const RECT frame{0, 0, MulDiv(W, 2540, 96), MulDiv(H, 2540, 96)};
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, u"Tavrelopad\0scene\0");
  DrawScene(dc);
  return CloseEnhMetaFile(dc);
}

std::map<DWORD, int> RecordTypes(HENHMETAFILE emf, std::vector<DWORD>* order = nullptr) {
  std::map<DWORD, int> types;
  EnumEnhMetaFileRecords(emf, [&](DWORD type, const BYTE*, DWORD) {
    ++types[type];
    if (order) order->push_back(type);
    return true;
  });
  return types;
}

}  // namespace

TEST(MetafileTest, RecordingIsAWellFormedEnhancedMetafile) {
  HENHMETAFILE emf = RecordScene();
  ASSERT_NE(emf, nullptr);
  ENHMETAHEADER h;
  ASSERT_EQ(GetEnhMetaFileHeader(emf, sizeof h, &h), sizeof h);
  EXPECT_EQ(h.iType, EMR_HEADER);
  EXPECT_EQ(h.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(h.nBytes, GetEnhMetaFileBits(emf, 0, nullptr));
  EXPECT_EQ(h.rclFrame, TRect(0, 0, 5292, 2646));
  // Everything was drawn inside the 200 x 100 area, the white fill covering it.
  EXPECT_EQ(h.rclBounds, TRect(0, 0, W - 1, H - 1));
  EXPECT_GE(h.nHandles, 2);
  std::vector<DWORD> order;
  auto types = RecordTypes(emf, &order);
  EXPECT_EQ(order.front(), EMR_HEADER);
  EXPECT_EQ(order.back(), EMR_EOF);
  EXPECT_EQ(h.nRecords, order.size());
  for (DWORD t : {EMR_EXTTEXTOUTW, EMR_STRETCHDIBITS, EMR_RECTANGLE, EMR_LINETO, EMR_MOVETOEX, EMR_CREATEPEN,
                  EMR_CREATEBRUSHINDIRECT, EMR_EXTCREATEFONTINDIRECTW, EMR_SELECTOBJECT, EMR_DELETEOBJECT})
    EXPECT_GE(types[t], 1) << t;
  EXPECT_EQ(types[EMR_EXTTEXTOUTW], 2);
  // Text carries its characters and a full advance array.
  EnumEnhMetaFileRecords(emf, [](DWORD type, const BYTE* rec, DWORD size) {
    if (type != EMR_EXTTEXTOUTW) return true;
    const std::string_view r(reinterpret_cast<const char*>(rec), size);
    const std::uint32_t n = LE32(r, 44), offString = LE32(r, 48), offDx = LE32(r, 72);
    EXPECT_EQ(n, 11u);
    EXPECT_NE(offDx, 0u);
    EXPECT_LE(offDx + 4 * n, size);
    EXPECT_LE(offString + 2 * n, offDx);
    for (std::uint32_t i = 0; i < n; ++i) EXPECT_GT(static_cast<int>(LE32(r, offDx + 4 * i)), 0);
    return true;
  });
  DeleteEnhMetaFile(emf);
}

TEST(MetafileTest, DescriptionKeepsBothStrings) {
  // Through the recording call, and through a canvas given the two strings.
  HENHMETAFILE recorded = RecordScene();
  TMetafile fromCanvas;
  {
    TMetafileCanvas c(fromCanvas, nullptr, u"Tavrelopad", u"scene");
    c.Rectangle(TRect(1, 1, 20, 10));
  }
  std::string viaCanvas(GetEnhMetaFileBits(fromCanvas.GetHandle(), 0, nullptr), '\0');
  GetEnhMetaFileBits(fromCanvas.GetHandle(), static_cast<UINT>(viaCanvas.size()),
                     reinterpret_cast<BYTE*>(viaCanvas.data()));
  std::string viaCall(GetEnhMetaFileBits(recorded, 0, nullptr), '\0');
  GetEnhMetaFileBits(recorded, static_cast<UINT>(viaCall.size()), reinterpret_cast<BYTE*>(viaCall.data()));
  DeleteEnhMetaFile(recorded);
  const std::u16string want(u"Tavrelopad\0scene\0\0", 18);
  for (const std::string& bytes : {viaCall, viaCanvas}) {
    // The header's own fields, read from the bytes.
    const std::uint32_t n = LE32(bytes, 60), at = LE32(bytes, 64);
    ASSERT_EQ(n, want.size());
    ASSERT_LE(at + 2 * n, LE32(bytes, 4));
    std::u16string stored;
    for (std::uint32_t i = 0; i < n; ++i) stored.push_back(static_cast<char16_t>(LE16(bytes, at + 2 * i)));
    EXPECT_EQ(stored, want);
    // Read back by the picture, also after saving and loading it.
    TMetafile mf;
    TMemoryStream ms;
    ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    ms.SetPosition(0);
    mf.LoadFromStream(ms);
    EXPECT_EQ(mf.GetCreatedBy(), u"Tavrelopad");
    EXPECT_EQ(mf.GetDescription(), u"scene");
    std::u16string buf(4, u'x');
    EXPECT_EQ(GetEnhMetaFileDescriptionW(mf.GetHandle(), 4, buf.data()), 4u);
    EXPECT_EQ(buf, u"Tavr");
  }
  // A header pointing its description outside itself gives an error, not a read past the end.
  std::string bad = viaCall;
  SetLE32(bad, 64, 0x7FFFFFF0u);
  HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(bad.size()), reinterpret_cast<const BYTE*>(bad.data()));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetEnhMetaFileDescriptionW(h, 0, nullptr), GDI_ERROR);
  TMetafile damaged;
  damaged.SetHandle(h);
  EXPECT_EQ(damaged.GetCreatedBy(), u"");
  // A picture recorded without a description has none.
  TMetafile none;
  { TMetafileCanvas c(none, nullptr); }
  EXPECT_EQ(GetEnhMetaFileDescriptionW(none.GetHandle(), 0, nullptr), 0u);
  EXPECT_EQ(none.GetDescription(), u"");
}

TEST(MetafileTest, PlaybackDrawsWhatDirectDrawingDrew) {
  TBitmap direct;
  direct.SetPixelFormat(pf32bit);
  direct.SetSize(W, H);
  DrawScene(direct.GetCanvas()->GetHandle());
  direct.Flush();

  HENHMETAFILE emf = RecordScene();
  ASSERT_NE(emf, nullptr);
  TBitmap played;
  played.SetPixelFormat(pf32bit);
  played.SetSize(W, H);
  const RECT target{0, 0, W, H};
  HDC dc = played.GetCanvas()->GetHandle();
  const RECT all{0, 0, W, H};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ASSERT_TRUE(PlayEnhMetaFile(dc, emf, &target));
  played.Flush();
  DeleteEnhMetaFile(emf);

  int off = 0, inkDirect = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const TColor a = direct.GetPixel(x, y), b = played.GetPixel(x, y);
      if (a != 0xFFFFFF) ++inkDirect;
      const int d = std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                              std::abs(GetBValue(a) - GetBValue(b))});
      if (d > 96) ++off;
    }
  EXPECT_GT(inkDirect, 2000);
  // Antialiased edges may differ; anything more is a fault.
  EXPECT_LE(off, W * H / 100) << off << " pixels differ";
  if (std::getenv("TAVRELO_SHEETS")) {
    SaveBitmapToPng(static_cast<HBITMAP>(direct.GetHandle()), std::string(TAVRELO_TEST_OUTPUT) + "/emf-direct.png");
    SaveBitmapToPng(static_cast<HBITMAP>(played.GetHandle()), std::string(TAVRELO_TEST_OUTPUT) + "/emf-played.png");
  }
  const struct {
    int X, Y;
    TColor Color;
  } probes[] = {{30, 30, RGB(0, 160, 0)},    {160, 25, RGB(0, 160, 0)},   {60, 5, RGB(0, 0, 200)},
                {151, 56, RGB(128, 0, 128)}, {155, 56, RGB(0, 192, 192)}, {100, 95, RGB(255, 255, 255)}};
  for (const auto& p : probes) {
    EXPECT_EQ(direct.GetPixel(p.X, p.Y), p.Color) << p.X << "," << p.Y;
    EXPECT_EQ(played.GetPixel(p.X, p.Y), p.Color) << p.X << "," << p.Y;
  }
}

TEST(MetafileTest, PlaybackScalesIntoTheRectangle) {
  HENHMETAFILE emf = RecordScene();
  TBitmap half;
  half.SetPixelFormat(pf32bit);
  half.SetSize(W / 2, H / 2);
  const RECT target{0, 0, W / 2, H / 2};
  PlayEnhMetaFile(half.GetCanvas()->GetHandle(), emf, &target);
  half.Flush();
  DeleteEnhMetaFile(emf);
  EXPECT_EQ(half.GetPixel(15, 15), RGB(0, 160, 0));
  EXPECT_EQ(half.GetPixel(80, 12), RGB(0, 160, 0));
  EXPECT_EQ(half.GetPixel(50, 45), RGB(255, 255, 255));
}

TEST(MetafileTest, MetafilePictureLoadsSavesAndDraws) {
  HENHMETAFILE emf = RecordScene();
  std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  DeleteEnhMetaFile(emf);
  TMetafile mf;
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  ms.SetPosition(0);
  mf.LoadFromStream(ms);
  EXPECT_TRUE(mf.GetEnhanced());
  EXPECT_EQ(mf.GetMMWidth(), 5292);
  EXPECT_EQ(mf.GetWidth(), W);
  EXPECT_EQ(mf.GetHeight(), H);
  TMemoryStream out;
  mf.SaveToStream(out);
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.GetSize())), bytes);
  const TPixelImage px = mf.ToPixels();
  EXPECT_EQ(px.At(30, 30) & 0xFFFFFF, 0x00A000u);
}

TEST(MetafileTest, WindowsMetafilePlaysIntoItsBox) {
  for (const char* file : {"rect.wmf", "rect-inch0.wmf"}) {
    TMetafile mf;
    TMemoryStream ms;
    const std::string bytes = Fixture(file);
    ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    ms.SetPosition(0);
    mf.LoadFromStream(ms);
    EXPECT_FALSE(mf.GetEnhanced());
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(40, 20);
    b.GetCanvas()->StretchDraw(TRect(0, 0, 40, 20), &mf);
    b.Flush();
    EXPECT_EQ(b.GetPixel(20, 10), RGB(255, 0, 0)) << file;
    // Converted to an enhanced metafile on request, it draws the same.
    ASSERT_NE(mf.GetHandle(), nullptr) << file;
    EXPECT_GE(RecordTypes(mf.GetHandle())[EMR_RECTANGLE], 1) << file;
  }
}

TEST(MetafileTest, BareWindowsMetafileBecomesEnhancedAtTheGivenSize) {
  const std::string bytes = Fixture("rect.wmf").substr(22);  // without the placeable header
  const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
  METAFILEPICT mfp;
  mfp.mm = MM_ANISOTROPIC;
  mfp.xExt = 2540;
  mfp.yExt = 1270;
  HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(bytes.size()), data, nullptr, &mfp);
  ASSERT_NE(emf, nullptr);
  ENHMETAHEADER h;
  ASSERT_NE(GetEnhMetaFileHeader(emf, sizeof(h), &h), 0u);
  EXPECT_NEAR(h.rclFrame.Right - h.rclFrame.Left, 2540, 2);
  EXPECT_NEAR(h.rclFrame.Bottom - h.rclFrame.Top, 1270, 2);
  EXPECT_GE(RecordTypes(emf)[EMR_RECTANGLE], 1);
  DeleteEnhMetaFile(emf);
  // No size given: the records' own window at the screen's resolution.
  emf = SetWinMetaFileBits(static_cast<UINT>(bytes.size()), data, nullptr, nullptr);
  ASSERT_NE(emf, nullptr);
  DeleteEnhMetaFile(emf);
  // Not a Windows metafile header, or too short.
  const std::string junk(40, 'x');
  EXPECT_EQ(
      SetWinMetaFileBits(static_cast<UINT>(junk.size()), reinterpret_cast<const BYTE*>(junk.data()), nullptr, &mfp),
      nullptr);
  EXPECT_EQ(SetWinMetaFileBits(10, data, nullptr, &mfp), nullptr);
}

TEST(MetafileTest, BrokenEnhancedMetafilesAreRefused) {
  HENHMETAFILE emf = RecordScene();
  std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  DeleteEnhMetaFile(emf);
  std::string noEof = bytes.substr(0, bytes.size() - 20);
  const std::size_t second = LE32(bytes, 4);
  std::string badSize = bytes;
  badSize.replace(second + 4, 4, std::string("\x03\x00\x00\x00", 4));
  std::string huge = bytes;
  huge.replace(second + 4, 4, std::string("\xF0\xFF\xFF\x7F", 4));
  const struct {
    const char* Name;
    std::string Bytes;
  } cases[] = {{"no end record", noEof}, {"record size 3", badSize}, {"record past the end", huge}, {"empty", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(c.Bytes.size()), reinterpret_cast<const BYTE*>(c.Bytes.data())),
              nullptr)
        << c.Name;
    TMetafile mf;
    TMemoryStream ms;
    ms.WriteBuffer(c.Bytes.data(), static_cast<std::int64_t>(c.Bytes.size()));
    ms.SetPosition(0);
    EXPECT_THROW(mf.LoadFromStream(ms), EInvalidGraphic) << c.Name;
  }
}

TEST(MetafileTest, DamagedRecordsNeverCrash) {
  HENHMETAFILE emf = RecordScene();
  std::string good(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(good.size()), reinterpret_cast<BYTE*>(good.data()));
  DeleteEnhMetaFile(emf);
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(50, 25);
  HDC dc = target.GetCanvas()->GetHandle();
  const RECT rect{0, 0, 50, 25};
  // Values that break counts, offsets and sizes, written over every field after the header.
  const std::size_t first = LE32(good, 4);
  for (std::size_t at = first + 8; at + 4 <= good.size(); at += 4)
    for (std::uint32_t v : {0u, 0x7FFFFFFFu, 0xFFFFFFF0u, 3u}) {
      std::string bad = good;
      SetLE32(bad, at, v);
      HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(bad.size()), reinterpret_cast<const BYTE*>(bad.data()));
      if (!h) continue;
      PlayEnhMetaFile(dc, h, &rect);
      DeleteEnhMetaFile(h);
    }
  // The Windows metafile likewise.
  const std::string wmf = Fixture("rect.wmf");
  for (std::size_t at = 22; at + 2 <= wmf.size(); ++at)
    for (char v : {'\0', '\x7F', '\xFF'}) {
      std::string bad = wmf;
      bad[at] = v;
      bad[at + 1] = v;
      PlayWinMetaFile(dc, reinterpret_cast<const BYTE*>(bad.data()) + 22, static_cast<UINT>(bad.size() - 22),
                      RECT{0, 0, 200, 100}, rect);
    }
}

TEST(MetafileTest, PartOfABottomUpBitmap) {
  // A 4x4 bottom-up bitmap, each quadrant its own colour; the source rectangle (0, 0, 2, 2) of
  // such a bitmap is its lower-left quadrant.
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 4;
  bmi.bmiHeader.biHeight = 4;
  bmi.bmiHeader.biBitCount = 32;
  std::uint32_t px[16];
  for (int row = 0; row < 4; ++row)  // row 0 is the bottom row in memory
    for (int x = 0; x < 4; ++x)
      px[row * 4 + x] = row < 2 ? (x < 2 ? 0xFFFF0000u : 0xFF00FF00u) : (x < 2 ? 0xFF0000FFu : 0xFFFFFFFFu);
  auto draw = [&](HDC dc) { StretchDIBits(dc, 0, 0, 8, 8, 0, 0, 2, 2, px, &bmi, DIB_RGB_COLORS, SRCCOPY); };
  TBitmap direct;
  direct.SetPixelFormat(pf32bit);
  direct.SetSize(8, 8);
  draw(direct.GetCanvas()->GetHandle());
  direct.Flush();
  const RECT frame{0, 0, MulDiv(8, 2540, 96), MulDiv(8, 2540, 96)};
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  draw(rec);
  HENHMETAFILE emf = CloseEnhMetaFile(rec);
  TBitmap played;
  played.SetPixelFormat(pf32bit);
  played.SetSize(8, 8);
  const RECT target{0, 0, 8, 8};
  PlayEnhMetaFile(played.GetCanvas()->GetHandle(), emf, &target);
  played.Flush();
  DeleteEnhMetaFile(emf);
  EXPECT_EQ(direct.GetPixel(4, 4), RGB(255, 0, 0));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(played.GetPixel(x, y), direct.GetPixel(x, y)) << x << "," << y;
}

TEST(MetafileTest, SavedWithoutTheEnhancedFlagInTheWindowsFormat) {
  TMetafile mf;
  mf.SetHandle(RecordScene());
  mf.SetEnhanced(false);
  TMemoryStream ms;
  mf.SaveToStream(ms);
  const std::string bytes(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
  ASSERT_GT(bytes.size(), 40u);
  EXPECT_EQ(LE32(bytes, 0), WMF_PLACEABLE_KEY);
  EXPECT_EQ(LE16(bytes, 14), 96u);  // units per inch: the recording's pixels
  EXPECT_EQ(LE16(bytes, 10), static_cast<std::uint32_t>(W));
  TMetafile back;
  ms.SetPosition(0);
  back.LoadFromStream(ms);
  EXPECT_FALSE(back.GetEnhanced());
  EXPECT_EQ(back.GetWidth(), W);
  EXPECT_EQ(back.GetHeight(), H);
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  b.SetSize(W, H);
  b.GetCanvas()->StretchDraw(TRect(0, 0, W, H), &back);
  b.Flush();
  const struct {
    int X, Y;
    TColor Color;
  } probes[] = {{30, 30, RGB(0, 160, 0)},    {160, 25, RGB(0, 160, 0)},   {60, 5, RGB(0, 0, 200)},
                {151, 56, RGB(128, 0, 128)}, {155, 56, RGB(0, 192, 192)}, {100, 95, RGB(255, 255, 255)}};
  for (const auto& p : probes) EXPECT_EQ(b.GetPixel(p.X, p.Y), p.Color) << p.X << "," << p.Y;
  int red = 0;  // the Latin line of text
  for (int y = 50; y < 68; ++y)
    for (int x = 10; x < 100; ++x) red += GetRValue(b.GetPixel(x, y)) > 150 && GetGValue(b.GetPixel(x, y)) < 100;
  EXPECT_GT(red, 40);
}

TEST(MetafileTest, ClippingIsRecordedAndStaysInsideTheTargetsClip) {
  auto draw = [](HDC dc) {
    const RECT all{0, 0, 100, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SaveDC(dc);
    IntersectClipRect(dc, 10, 10, 50, 30);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    RestoreDC(dc, -1);
    HGDIOBJ old = SelectObject(dc, red);
    Rectangle(dc, 60, 10, 90, 30);
    SelectObject(dc, old);
    DeleteObject(red);
  };
  TBitmap direct;
  direct.SetPixelFormat(pf32bit);
  direct.SetSize(100, 40);
  draw(direct.GetCanvas()->GetHandle());
  direct.Flush();
  const RECT frame{0, 0, MulDiv(100, 2540, 96), MulDiv(40, 2540, 96)};
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  draw(rec);
  HENHMETAFILE emf = CloseEnhMetaFile(rec);
  EXPECT_GE(RecordTypes(emf)[EMR_EXTSELECTCLIPRGN], 1);
  const RECT target{0, 0, 100, 40};
  for (bool targetClip : {false, true}) {
    TBitmap played;
    played.SetPixelFormat(pf32bit);
    played.SetSize(100, 40);
    HDC dc = played.GetCanvas()->GetHandle();
    const RECT all{0, 0, 100, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (targetClip) IntersectClipRect(dc, 0, 0, 30, 40);
    PlayEnhMetaFile(dc, emf, &target);
    if (targetClip) SelectClipRgn(dc, nullptr);
    played.Flush();
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 100; ++x) {
        const TColor want = targetClip && x >= 30 ? clBlack : direct.GetPixel(x, y);
        ASSERT_EQ(played.GetPixel(x, y), want) << x << "," << y << (targetClip ? " clipped target" : "");
      }
  }
  EXPECT_EQ(direct.GetPixel(20, 20), clRed);
  EXPECT_EQ(direct.GetPixel(5, 20), clWhite);
  DeleteEnhMetaFile(emf);
}

TEST(MetafileTest, RecordsOtherProgramsWrite) {
  using W = TEmfWriter;
  auto rgn = [](const TRect& r) {
    std::string s;
    W::Put32(s, 32);
    W::Put32(s, 1);
    W::Put32(s, 1);
    W::Put32(s, 16);
    W::PutRect(s, r);
    W::PutRect(s, r);
    return s;
  };
  auto brush = [](TEmfWriter& w, COLORREF c) {
    std::string s;
    for (std::uint32_t v : {1u, static_cast<std::uint32_t>(BS_SOLID), c, 0u}) W::Put32(s, v);
    w.Add(EMR_CREATEBRUSHINDIRECT, s);
    std::string sel;
    W::Put32(sel, 1);
    w.Add(EMR_SELECTOBJECT, sel);
  };
  const struct {
    const char* Name;
    std::function<void(TEmfWriter&)> Records;
    int X, Y;
    TColor Color;
  } cases[] = {
      {"region painted with the selected brush",
       [&](TEmfWriter& w) {
         brush(w, RGB(0, 0, 255));
         std::string s;
         W::PutRect(s, TRect(0, 0, 40, 20));
         const std::string data = rgn(TRect(10, 5, 30, 15));
         W::Put32(s, static_cast<std::uint32_t>(data.size()));
         w.Add(EMR_PAINTRGN, s + data);
       },
       20, 10, RGB(0, 0, 255)},
      {"horizontal gradient, left end",
       [&](TEmfWriter& w) {
         std::string s;
         W::PutRect(s, TRect(0, 0, 40, 20));
         for (std::uint32_t v : {2u, 1u, 0u}) W::Put32(s, v);
         for (int i = 0; i < 2; ++i) {
           W::Put32(s, i ? 40u : 0u);
           W::Put32(s, i ? 20u : 0u);
           W::Put16(s, i ? 0 : 0xFF00);
           W::Put16(s, 0);
           W::Put16(s, i ? 0xFF00 : 0);
           W::Put16(s, 0);
         }
         W::Put32(s, 0);
         W::Put32(s, 1);
         w.Add(EMR_GRADIENTFILL, s);
       },
       0, 10, RGB(252, 0, 3)},
  };
  for (const auto& c : cases) {
    TEmfWriter w;
    c.Records(w);
    const std::string bytes =
        w.Finish(TRect(0, 0, MulDiv(40, 2540, 96), MulDiv(20, 2540, 96)), TSize(1920, 1080), TSize(508, 286), 2, u"");
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()));
    ASSERT_NE(emf, nullptr) << c.Name;
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(40, 20);
    const RECT target{0, 0, 40, 20};
    PlayEnhMetaFile(b.GetCanvas()->GetHandle(), emf, &target);
    b.Flush();
    DeleteEnhMetaFile(emf);
    EXPECT_EQ(b.GetPixel(c.X, c.Y), c.Color) << c.Name;
  }
}

// The records the PDF translator's test reads too (EmfRecordCases.h): played onto a bitmap they
// give the pixels each case names.
TEST(MetafileTest, PlaysTheSharedRecordCases) {
  for (const emfcases::TCase& c : emfcases::Cases()) {
    const std::string bytes = emfcases::Page(c);
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()));
    ASSERT_NE(emf, nullptr) << c.Name;
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(160, 320);
    const RECT page{0, 0, 794, 1123};
    PlayEnhMetaFile(b.GetCanvas()->GetHandle(), emf, &page);
    b.Flush();
    DeleteEnhMetaFile(emf);
    for (const emfcases::TProbe& p : c.Probes)
      EXPECT_EQ(b.GetPixel(p.X, p.Y), emfcases::Ref(p.Rgb)) << c.Name << " at " << p.X << "," << p.Y;
  }
}
