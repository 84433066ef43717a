#include "platform/graphics/Metafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/MetafileRecords.h"

// ---- handles --------------------------------------------------------------------------------------

namespace {

// Checks the record chain: a header record first, every record at least 8 bytes and a multiple
// of 4 inside the data, EMR_EOF last. Answers the length up to and including EMR_EOF, or 0.
std::size_t EmfExtent(std::string_view d) {
  if (d.size() < 88 || LE32(d, 0) != EMR_HEADER || LE32(d, 40) != ENHMETA_SIGNATURE) return 0;
  TEmfRecordReader records(d);
  while (records.Next()) {
    if (records.Record().Size() % 4 != 0) return 0;
    if (records.Type() == EMR_EOF) return records.End();
  }
  return 0;
}

}  // namespace

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  if (!data) return nullptr;
  const std::string_view d(reinterpret_cast<const char*>(data), size);
  const std::size_t n = EmfExtent(d);
  if (!n) return nullptr;
  auto* h = new TEnhMetaFileObj;
  h->Bits.assign(d.substr(0, n));
  return h;
}

UINT GetEnhMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data) {
  if (!emf) return 0;
  const UINT n = static_cast<UINT>(emf->Bits.size());
  if (!data) return n;
  if (size < n) return 0;
  std::memcpy(data, emf->Bits.data(), n);
  return n;
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE emf, LPCWSTR fileName) {
  if (!emf) return nullptr;
  if (fileName) {
    TFileStream fs(UnicodeString(fileName), fmCreate);
    WriteBytes(fs, emf->Bits);
  }
  return new TEnhMetaFileObj(*emf);
}

BOOL DeleteEnhMetaFile(HENHMETAFILE emf) {
  if (!emf) return FALSE;
  delete emf;
  return TRUE;
}

UINT GetEnhMetaFileHeader(HENHMETAFILE emf, UINT size, ENHMETAHEADER* header) {
  if (!emf) return 0;
  if (!header) return sizeof(ENHMETAHEADER);
  if (size < sizeof(ENHMETAHEADER)) return 0;
  const std::string_view d(emf->Bits);
  ENHMETAHEADER h;
  h.iType = LE32(d, 0);
  h.nSize = LE32(d, 4);
  h.rclBounds = {static_cast<LONG>(LE32(d, 8)), static_cast<LONG>(LE32(d, 12)), static_cast<LONG>(LE32(d, 16)),
                 static_cast<LONG>(LE32(d, 20))};
  h.rclFrame = {static_cast<LONG>(LE32(d, 24)), static_cast<LONG>(LE32(d, 28)), static_cast<LONG>(LE32(d, 32)),
                static_cast<LONG>(LE32(d, 36))};
  h.dSignature = LE32(d, 40);
  h.nVersion = LE32(d, 44);
  h.nBytes = LE32(d, 48);
  h.nRecords = LE32(d, 52);
  h.nHandles = static_cast<WORD>(LE16(d, 56));
  h.sReserved = static_cast<WORD>(LE16(d, 58));
  h.nDescription = LE32(d, 60);
  h.offDescription = LE32(d, 64);
  h.nPalEntries = LE32(d, 68);
  h.szlDevice = {static_cast<LONG>(LE32(d, 72)), static_cast<LONG>(LE32(d, 76))};
  h.szlMillimeters = {static_cast<LONG>(LE32(d, 80)), static_cast<LONG>(LE32(d, 84))};
  *header = h;
  return sizeof(ENHMETAHEADER);
}

UINT GetEnhMetaFileDescriptionW(HENHMETAFILE emf, UINT count, LPWSTR text) {
  if (!emf) return GDI_ERROR;
  const TRecordView header(std::string_view(emf->Bits).substr(0, LE32(emf->Bits, 4)));
  const std::uint32_t n = header.U32(60), at = header.U32(64);
  if (!n) return 0;
  if (!header.HasArray(at, n, 2)) return GDI_ERROR;
  if (!text) return n;
  const UINT copied = std::min<UINT>(count, n);
  for (UINT i = 0; i < copied; ++i) text[i] = static_cast<WCHAR>(header.U16(at + 2 * std::size_t(i)));
  return copied;
}

BOOL EnumEnhMetaFileRecords(HENHMETAFILE emf, const TEnhMetaRecordProc& proc) {
  if (!emf) return FALSE;
  TEmfRecordReader records(emf->Bits);
  while (records.Next()) {
    const TRecordView& r = records.Record();
    if (!proc(records.Type(), reinterpret_cast<const BYTE*>(r.Bytes.data()), static_cast<DWORD>(r.Size())))
      return FALSE;
  }
  return TRUE;
}

// ---- TMetafile ------------------------------------------------------------------------------------

namespace {
constexpr int ScreenPPI = 96;

[[noreturn]] void BadMetafile() { throw EInvalidGraphic(std::string_view("Metafile is not valid")); }

// Placeable metafile header: key, handle, bbox (4 x 16-bit signed), inch, reserved, checksum.
constexpr std::size_t PlaceableSize = 22;
}  // namespace

TMetafile::TMetafile() { FTransparent = true; }
TMetafile::~TMetafile() = default;

int TMetafile::GetWidth() const { return MulDiv(FMMWidth, ScreenPPI, 2540); }
int TMetafile::GetHeight() const { return MulDiv(FMMHeight, ScreenPPI, 2540); }
void TMetafile::SetWidth(int value) { SetMMWidth(MulDiv(value, 2540, ScreenPPI)); }
void TMetafile::SetHeight(int value) { SetMMHeight(MulDiv(value, 2540, ScreenPPI)); }

void TMetafile::SetMMWidth(int value) {
  if (value == FMMWidth) return;
  FMMWidth = value;
  Changed();
}

void TMetafile::SetMMHeight(int value) {
  if (value == FMMHeight) return;
  FMMHeight = value;
  Changed();
}

void TMetafile::Clear() {
  FHandle.reset();
  FWmf.clear();
  FWmfBox = {};
  FInch = 0;
  FMMWidth = FMMHeight = 0;
  FEnhanced = true;
}

HENHMETAFILE TMetafile::GetHandle() const {
  if (!FHandle && !FWmf.empty()) {
    // A Windows metafile becomes an enhanced one by playing it into a recording sized to it.
    const RECT frame{0, 0, FMMWidth, FMMHeight};
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    if (dc) {
      const RECT target{0, 0, MulDiv(FMMWidth, ScreenPPI, 2540), MulDiv(FMMHeight, ScreenPPI, 2540)};
      PlayWinMetaFile(dc, reinterpret_cast<const BYTE*>(FWmf.data()) + PlaceableSize,
                      static_cast<UINT>(FWmf.size() - PlaceableSize), FWmfBox, target);
      FHandle.reset(CloseEnhMetaFile(dc));
    }
  }
  return FHandle.get();
}

UnicodeString TMetafile::DescriptionPart(int index) const {
  if (!FHandle) return {};
  const UINT n = GetEnhMetaFileDescriptionW(FHandle.get(), 0, nullptr);
  if (n == 0 || n == GDI_ERROR) return {};
  UnicodeString all(n, u'\0');
  GetEnhMetaFileDescriptionW(FHandle.get(), n, all.data());
  std::size_t start = 0;
  for (int i = 0; i < index && start < all.size(); ++i) {
    const std::size_t end = all.find(u'\0', start);
    start = end == UnicodeString::npos ? all.size() : end + 1;
  }
  const std::size_t end = std::min(all.find(u'\0', start), all.size());
  return start < end ? all.substr(start, end - start) : UnicodeString();
}

void TMetafile::SetHandle(HENHMETAFILE value) {
  Clear();
  FHandle.reset(value);
  if (value) {
    ENHMETAHEADER h;
    GetEnhMetaFileHeader(value, sizeof h, &h);
    // The frame is inclusive.
    FMMWidth = h.rclFrame.Right - h.rclFrame.Left;
    FMMHeight = h.rclFrame.Bottom - h.rclFrame.Top;
  }
  Changed();
}

void TMetafile::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  const std::string_view d(data);
  if (LE32(d, 0) == WMF_PLACEABLE_KEY) {
    if (d.size() < PlaceableSize + 18) BadMetafile();
    // The checksum is the XOR of the ten words before it; files in the wild often get it wrong,
    // so it is not checked.
    const RECT box{static_cast<std::int16_t>(LE16(d, 6)), static_cast<std::int16_t>(LE16(d, 8)),
                   static_cast<std::int16_t>(LE16(d, 10)), static_cast<std::int16_t>(LE16(d, 12))};
    const int inch = static_cast<int>(LE16(d, 14));
    // Windows metafile header: type 1 or 2, header size 9 words, version, total size in words.
    const std::size_t h = PlaceableSize;
    if ((LE16(d, h) != 1 && LE16(d, h) != 2) || LE16(d, h + 2) != 9) BadMetafile();
    const std::size_t words = LE32(d, h + 6);
    std::size_t end = d.size();
    if (words >= 9 && h + words * 2 <= d.size()) end = h + words * 2;
    Clear();
    FWmfBox = box;
    FInch = inch;
    FEnhanced = false;
    // Units per inch of 0 would divide by zero: such files are sized as if they said 1440.
    const int upi = inch ? inch : 1440;
    FMMWidth = MulDiv(box.Right - box.Left, 2540, upi);
    FMMHeight = MulDiv(box.Bottom - box.Top, 2540, upi);
    if (end < d.size()) {
      stream.Seek(static_cast<std::int64_t>(end) - static_cast<std::int64_t>(d.size()), soCurrent);
      data.resize(end);
    }
    FWmf = std::move(data);
  } else {
    const std::size_t n = EmfExtent(d);
    if (!n) BadMetafile();
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(n), reinterpret_cast<const BYTE*>(d.data()));
    if (!emf) BadMetafile();
    if (n < d.size()) stream.Seek(static_cast<std::int64_t>(n) - static_cast<std::int64_t>(d.size()), soCurrent);
    SetHandle(emf);
  }
  FModified = false;
  if (OnChange) OnChange(this);
}

void TMetafile::SaveToStream(TStream& stream) {
  if (!FWmf.empty()) {
    // The placeable file as read; a changed size or units per inch is written into its header.
    std::string out = FWmf;
    if (FInch != static_cast<int>(LE16(out, 14))) {
      out[14] = static_cast<char>(FInch & 0xFF);
      out[15] = static_cast<char>((FInch >> 8) & 0xFF);
      std::uint32_t sum = 0;
      for (std::size_t i = 0; i < 20; i += 2) sum ^= LE16(out, i);
      out[20] = static_cast<char>(sum & 0xFF);
      out[21] = static_cast<char>((sum >> 8) & 0xFF);
    }
    WriteBytes(stream, out);
    return;
  }
  if (!FHandle) return;
  if (FEnhanced) {
    WriteBytes(stream, FHandle->Bits);
    return;
  }
  // Without the enhanced flag the picture is written in the Windows format, placeable, in the
  // recording device's pixels.
  ENHMETAHEADER h;
  GetEnhMetaFileHeader(FHandle.get(), sizeof h, &h);
  const double pxX =
      h.szlMillimeters.cx > 0 ? double(h.szlDevice.cx) / (h.szlMillimeters.cx * 100.0) : ScreenPPI / 2540.0;
  const double pxY =
      h.szlMillimeters.cy > 0 ? double(h.szlDevice.cy) / (h.szlMillimeters.cy * 100.0) : ScreenPPI / 2540.0;
  const RECT box{
      static_cast<LONG>(std::lround(h.rclFrame.Left * pxX)), static_cast<LONG>(std::lround(h.rclFrame.Top * pxY)),
      static_cast<LONG>(std::lround(h.rclFrame.Right * pxX)), static_cast<LONG>(std::lround(h.rclFrame.Bottom * pxY))};
  const std::string records = EnhMetaFileToWinMetaFile(FHandle.get(), box);
  const int inch = std::max(1, static_cast<int>(std::lround(pxX * 2540)));
  std::string out;
  PutLE32(out, WMF_PLACEABLE_KEY);
  PutLE16(out, 0);
  for (LONG v : {box.Left, box.Top, box.Right, box.Bottom}) PutLE16(out, static_cast<std::uint32_t>(v) & 0xFFFF);
  PutLE16(out, static_cast<std::uint32_t>(inch));
  PutLE32(out, 0);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2) sum ^= LE16(out, i);
  PutLE16(out, sum);
  WriteBytes(stream, out);
  WriteBytes(stream, records);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
  HDC dc = canvas.GetHandle();
  if (!dc) return;
  if (!FWmf.empty() && !FHandle) {
    PlayWinMetaFile(dc, reinterpret_cast<const BYTE*>(FWmf.data()) + PlaceableSize,
                    static_cast<UINT>(FWmf.size() - PlaceableSize), FWmfBox, rect);
    return;
  }
  if (FHandle) PlayEnhMetaFile(dc, FHandle.get(), &rect);
}

TPixelImage TMetafile::ToPixels() const {
  TBitmap b;
  const int w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return {};
  b.SetPixelFormat(pf32bit);
  b.SetSize(w, h);
  const_cast<TMetafile*>(this)->Draw(*b.GetCanvas(), TRect(0, 0, w, h));
  b.Flush();
  return b.ToPixels();
}

bool TMetafile::AssignFrom(const TGraphic* source) {
  if (!source) {
    Clear();
    return true;
  }
  if (const auto* m = dynamic_cast<const TMetafile*>(source)) {
    Clear();
    if (m->FHandle) FHandle = std::make_unique<TEnhMetaFileObj>(*m->FHandle);
    FWmf = m->FWmf;
    FWmfBox = m->FWmfBox;
    FInch = m->FInch;
    FEnhanced = m->FEnhanced;
    FMMWidth = m->FMMWidth;
    FMMHeight = m->FMMHeight;
    return true;
  }
  return false;
}

// ---- recording canvas -----------------------------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, HDC refDC)
    : FMetafile(metafile), FDC(CreateEnhMetaFileW(refDC, nullptr, nullptr, nullptr)) {
  SetHandle(FDC);
}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, HDC refDC, const UnicodeString& createdBy,
                                 const UnicodeString& description)
    : FMetafile(metafile) {
  UnicodeString both = createdBy;
  both += u'\0';
  both += description;
  both += u'\0';
  both += u'\0';
  FDC = CreateEnhMetaFileW(refDC, nullptr, nullptr, both.c_str());
  SetHandle(FDC);
}

TMetafileCanvas::~TMetafileCanvas() {
  SetHandle(nullptr);
  if (FDC) FMetafile.SetHandle(CloseEnhMetaFile(FDC));
}

namespace {

// The size of one unit of a fixed mapping mode in 0.01 mm, as a fraction.
bool MapModeUnit(LONG mm, int& num, int& den) {
  switch (mm) {
    case MM_TEXT:
      num = 2540;
      den = ScreenPPI;
      return true;
    case MM_LOMETRIC:
      num = 10;
      den = 1;
      return true;
    case MM_HIMETRIC:
      num = 1;
      den = 1;
      return true;
    case MM_LOENGLISH:
      num = 254;
      den = 100;
      return true;
    case MM_HIENGLISH:
      num = 254;
      den = 1000;
      return true;
    case MM_TWIPS:
      num = 254;
      den = 144;
      return true;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
      num = 1;
      den = 1;
      return true;
    default: return false;
  }
}

// The window extent that the records set first, or false.
bool FindWindowExt(std::string_view d, LONG& cx, LONG& cy) {
  std::size_t pos = static_cast<std::size_t>(LE16(d, 2)) * 2;
  while (pos + 6 <= d.size()) {
    const std::uint32_t words = LE32(d, pos);
    const std::uint16_t fn = LE16(d, pos + 4);
    if (words < 3 || words > (d.size() - pos) / 2) return false;
    if (fn == 0x020C && words >= 5) {  // META_SETWINDOWEXT: y, then x
      cy = static_cast<std::int16_t>(LE16(d, pos + 6));
      cx = static_cast<std::int16_t>(LE16(d, pos + 8));
      return cx != 0 && cy != 0;
    }
    if (fn == 0) return false;  // the end record
    pos += static_cast<std::size_t>(words) * 2;
  }
  return false;
}

}  // namespace

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC /*refDC*/, const METAFILEPICT* mfp) {
  if (!data || size < 18) return nullptr;
  const std::string_view d(reinterpret_cast<const char*>(data), size);
  if ((LE16(d, 0) != 1 && LE16(d, 0) != 2) || LE16(d, 2) != 9) return nullptr;
  // The frame in 0.01 mm: from the picture's size, else from the records' window at the screen's
  // resolution.
  LONG frameW = 0, frameH = 0;
  int num = 1, den = 1;
  if (mfp && mfp->xExt > 0 && mfp->yExt > 0 && MapModeUnit(mfp->mm, num, den)) {
    frameW = static_cast<LONG>(std::min<std::int64_t>(std::int64_t{mfp->xExt} * num / den, 0x7FFFFFF));
    frameH = static_cast<LONG>(std::min<std::int64_t>(std::int64_t{mfp->yExt} * num / den, 0x7FFFFFF));
  } else {
    LONG cx = 0, cy = 0;
    if (!FindWindowExt(d, cx, cy)) return nullptr;
    frameW = MulDiv(std::abs(cx), 2540, ScreenPPI);
    frameH = MulDiv(std::abs(cy), 2540, ScreenPPI);
  }
  if (frameW <= 0 || frameH <= 0) return nullptr;
  const RECT frame{0, 0, frameW, frameH};
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  if (!dc) return nullptr;
  // Records that set no window draw in pixels of the target.
  const RECT target{0, 0, std::max(1, MulDiv(frameW, ScreenPPI, 2540)), std::max(1, MulDiv(frameH, ScreenPPI, 2540))};
  PlayWinMetaFile(dc, data, size, target, target);
  return CloseEnhMetaFile(dc);
}
