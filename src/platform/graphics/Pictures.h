// Picture classes of the class library: the abstract graphic, bitmaps, icons and the picture
// container, with a registry of graphic classes by name and of file formats by extension.
// Every class keeps the bytes it was loaded from and writes them back unchanged until the picture
// is modified, so loading and saving never re-encodes a picture.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/base/Classes.h"
#include "platform/base/Persistent.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

class TCanvas;
class TGraphic;

TAVRELO_EXCEPTION(EInvalidGraphic, Exception)
TAVRELO_EXCEPTION(EInvalidGraphicOperation, Exception)

// ---- classes as values ----------------------------------------------------------------------

// A picture class as a value. Its identity is the component model's description of the class
// (one record, registered once in the class registry by name); on top of it the constructor typed
// for pictures. Every descendant of TGraphic describes itself with TAVRELO_GRAPHIC_CLASS, so the
// description of a picture class is always one of these.
struct TGraphicClassInfo : TClassInfo {
  // Makes a picture of the class (nullptr for abstract classes). It hides the component model's
  // Create of the base, which makes the same object typed as a TPersistent.
  std::unique_ptr<TGraphic> (*Create)() = nullptr;

  using TClassInfo::InheritsFrom;
  bool InheritsFrom(const TClassInfo* cls) const { return cls && TClassInfo::InheritsFrom(*cls); }
};
using TGraphicClass = const TGraphicClassInfo*;

// Registers a class under its name in the class registry (a second registration of the same name
// is ignored).
void RegisterGraphicClass(TGraphicClass cls);
// A second name under which the class is found.
void RegisterGraphicClassAlias(const UnicodeString& name, TGraphicClass cls);
// The picture class registered under the name or an alias (compared case-insensitively), or
// nullptr (also for a registered class that is not a picture).
TGraphicClass FindGraphicClass(std::u16string_view name);

// ---- pixels ---------------------------------------------------------------------------------

// A decoded picture: 32 bits a pixel, bytes B, G, R, A, rows top-down without padding. Alpha is
// straight (not premultiplied); HasAlpha says whether the picture carries meaningful alpha.
// Leaves new elements uninitialised, so that a buffer a decoder fills whole is written once.
template <typename T>
struct TUninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = TUninitialisedAllocator<U>;
  };
  TUninitialisedAllocator() = default;
  template <typename U>
  TUninitialisedAllocator(const TUninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

struct TPixelImage {
  int Width = 0;
  int Height = 0;
  bool HasAlpha = false;
  std::vector<std::uint32_t, TUninitialisedAllocator<std::uint32_t>> Pixels;  // 0xAARRGGBB
  void Resize(int w, int h, std::uint32_t fill = 0xFF000000u);
  // Sizes the image leaving the pixels undefined, for a writer that fills every one.
  void Allocate(int w, int h);
  std::uint32_t& At(int x, int y) { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
  bool Empty() const { return Width <= 0 || Height <= 0; }
};

// The most pixels one picture read from bytes may declare, all its frames together, and the most
// a metafile may ask for when it is played onto a bitmap. Decoders refuse a header beyond it as a
// bad picture before they allocate anything for it. The default (2^27, 512 MB of 32-bit pixels)
// is above any photograph or scan a document holds; 0 restores it.
constexpr std::int64_t DefaultPicturePixelBudget = std::int64_t(1) << 27;
std::int64_t PicturePixelBudget();
void SetPicturePixelBudget(std::int64_t pixels);

// Draws an image onto a canvas stretched into rect: per-pixel alpha when the image has it, else
// opaque. Shared by every raster picture class.
void DrawPixelImage(TCanvas& canvas, const TRect& rect, const TPixelImage& image);

// ---- the abstract graphic -------------------------------------------------------------------

// A persistent object of the component model, so that pictures stream as properties and are
// found in the class registry by name.
class TGraphic : public TPersistent {
 public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  static const TGraphicClassInfo& StaticClassInfo();
  static TGraphicClass StaticClass() { return &StaticClassInfo(); }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  virtual TGraphicClass ClassType() const = 0;
  bool InstanceOf(TGraphicClass cls) const { return ClassType()->InheritsFrom(cls); }

  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  bool GetModified() const { return FModified; }
  void SetModified(bool value);

  // Reads the picture from the stream's position. Bad data raises EInvalidGraphic (or a stream
  // error) and leaves the picture as it was.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  void LoadFromFile(const UnicodeString& fileName);
  void SaveToFile(const UnicodeString& fileName);

  // Draws the picture stretched into rect.
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

  // Takes over the source picture; raises EConvertError "Cannot assign a X to a Y" when neither
  // side knows how.
  void Assign(const TGraphic* source);
  void Assign(TPersistent* source) override;

  // The picture inside a component stream's "Data" of a TPicture: by default the saved picture
  // as it is; bitmaps and JPEG pictures put their length in front.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) { SaveToStream(stream); }

  // The picture as 32-bit pixels at its natural size (empty for an empty picture). Every class
  // can give it; conversions between classes go through it.
  virtual TPixelImage ToPixels() const = 0;

  std::function<void(TObject*)> OnChange;

 protected:
  // Answers whether this class took over the source; the default knows nothing.
  virtual bool AssignFrom(const TGraphic* source);
  // The "Data" of classes that put the saved picture's length in front of it.
  void ReadSizedData(TStream& stream);
  void WriteSizedData(TStream& stream);
  virtual void Changed();
  bool FTransparent = false;
  bool FModified = false;
};

// The picture class description of T, made once.
template <typename T>
const TGraphicClassInfo& MakeGraphicClassInfo(const char16_t* name, const TClassInfo& parent) {
  static const TGraphicClassInfo info = [&] {
    TGraphicClassInfo i;
    i.ClassName = name;
    i.Parent = &parent;
    if constexpr (!std::is_abstract_v<T>) {
      i.Create = [] { return std::unique_ptr<TGraphic>(new T); };
      i.TClassInfo::Create = [] { return std::unique_ptr<TPersistent>(new T); };
    }
    return i;
  }();
  return info;
}

// Declares and defines the class description of a picture class; leaves the access at public.
#define TAVRELO_GRAPHIC_CLASS(Cls, Base)                                                         \
 public:                                                                                        \
  using inherited = Base;                                                                       \
  static const TGraphicClassInfo& StaticClassInfo() {                                           \
    return MakeGraphicClassInfo<Cls>(u"" #Cls, Base::StaticClassInfo());                        \
  }                                                                                             \
  static TGraphicClass StaticClass() { return &StaticClassInfo(); }                             \
  TGraphicClass ClassType() const override { return &StaticClassInfo(); }                      \
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

// ---- raster pictures kept encoded ----------------------------------------------------------

// A raster picture kept as the encoded bytes it was read from and written back unchanged, with
// its pixels decoded on first need: the common part of the PNG, JPEG and imaging-component
// pictures. Bytes and pixels may each be missing: a picture made from pixels is encoded when
// first saved.
class TEncodedImage : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TEncodedImage, TGraphic)
 public:
  bool GetEmpty() const override { return FData.empty() && FPixels.Empty(); }
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  const std::string& Data() const { return FData; }

  // Writes the kept bytes, encoding the pixels first when there are none.
  void SaveToStream(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  TPixelImage ToPixels() const override;

 protected:
  // Fills FPixels from FData when there are bytes and no pixels yet.
  virtual void Decode() const = 0;
  // FPixels in the class's format.
  virtual std::string Encode() const = 0;
  // Encodes the pixels when there are no bytes yet.
  void EnsureEncoded() {
    if (FData.empty() && !FPixels.Empty()) FData = Encode();
  }
  // Keeps the first `end` bytes of data, just read from the stream, as the picture of the given
  // size; what follows them is left in the stream for the next reader.
  void KeepRead(TStream& stream, std::string data, std::size_t end, int width, int height);
  // Takes the bytes, pixels and size of another picture of the family.
  void CopyEncoded(const TEncodedImage& source);
  // Takes pixels without bytes: they are encoded when the picture is saved.
  void TakePixels(TPixelImage image);

  std::string FData;
  mutable TPixelImage FPixels;
  int FWidth = 0;
  int FHeight = 0;
};

// ---- bitmaps --------------------------------------------------------------------------------

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

int PixelFormatBits(TPixelFormat pf);

struct TBitmapStorage;

class TBitmap : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  bool GetEmpty() const override { return FWidth == 0 || FHeight == 0; }
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  void SetWidth(int value) override { SetSize(value, FHeight); }
  void SetHeight(int value) override { SetSize(FWidth, value); }
  // New pixels are white, as a freshly created device bitmap; pixels inside both sizes stay.
  void SetSize(int width, int height);

  TPixelFormat GetPixelFormat() const { return FPixelFormat; }
  // Converts the pixels; to 1, 4 and 8 bits through the fixed palettes of those depths.
  void SetPixelFormat(TPixelFormat value);
  TAlphaFormat GetAlphaFormat() const { return FAlphaFormat; }
  void SetAlphaFormat(TAlphaFormat value) { FAlphaFormat = value; }

  // Row y (0 at the top) in the bitmap's own format; rows are 32-bit aligned. Taking a writable
  // scan line counts as a change (the kept file bytes are dropped).
  std::uint8_t* ScanLine(int row);
  const std::uint8_t* ScanLine(int row) const;
  int BytesPerScanLine() const;

  // Colour table of the 1-, 4- and 8-bit formats, as 0x00RRGGBB values (RGBQUAD order in memory).
  const std::vector<std::uint32_t>& Palette() const { return FPalette; }
  void SetPalette(const std::vector<std::uint32_t>& palette);

  // Palettes have no effect on this platform's devices; the flag is kept for callers.
  bool GetIgnorePalette() const { return FIgnorePalette; }
  void SetIgnorePalette(bool value) { FIgnorePalette = value; }

  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor value);
  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  // Pixel access as TColor (0x00BBGGRR), outside the bitmap -1 / ignored.
  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // A canvas over a memory device context with this bitmap selected; created on first use.
  TCanvas* GetCanvas();
  bool HasCanvas() const { return FCanvas != nullptr; }
  // The device bitmap handle (the DIB section behind the canvas); created on first use.
  void* GetHandle();
  // Takes the pixels of a device bitmap (a DIB section). Without copy the bitmap takes the handle
  // over (and frees it); with copy the handle stays the caller's.
  void SetHandle(void* handle, bool copy);
  // Pending drawing of the canvas is written into the pixels.
  void Flush() const;

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;
  // Reads a packed DIB (info header, colour table, bits) without the file header.
  bool LoadFromDIB(const std::uint8_t* data, std::size_t size);
  // The bitmap as a packed DIB (BITMAPINFOHEADER, colour table, bottom-up bits).
  std::string SaveToDIB() const;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  TPixelImage ToPixels() const override;
  // Takes the pixels (32 bits a pixel; with alpha afDefined when image.HasAlpha).
  void FromPixels(const TPixelImage& image);
  // The file bytes this bitmap was read from, while it is unchanged; empty otherwise.
  const std::string& SavedBytes() const { return FSaved; }

 protected:
  bool AssignFrom(const TGraphic* source) override;
  void Changed() override;

 private:
  void Allocate(int width, int height, TPixelFormat pf, std::uint32_t fill);
  // Storage for the current size and format, zeroed: in a device bitmap while a canvas exists
  // and the format is one devices draw on (24 or 32 bits), else in memory of our own.
  void AllocateStorage();
  void SyncFromDevice() const;
  std::uint8_t* Data() const { return FData; }
  std::size_t DataSize() const { return static_cast<std::size_t>(BytesPerScanLine()) * FHeight; }
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TAlphaFormat FAlphaFormat = afIgnored;
  std::vector<std::uint8_t> FBits;  // own storage: top-down rows, BytesPerScanLine apart
  std::uint8_t* FData = nullptr;     // FBits or the device bitmap's memory
  std::vector<std::uint32_t> FPalette;
  std::string FSaved;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  bool FIgnorePalette = false;
  std::unique_ptr<TBitmapStorage> FDevice;
  std::unique_ptr<TCanvas> FCanvas;
};

// ---- icons ----------------------------------------------------------------------------------

// One image of an icon: colour pixels (with alpha when the file had it) and the AND mask
// (1 = transparent, one byte a pixel).
struct TIconImage {
  TPixelImage Color;
  std::vector<std::uint8_t> Mask;
  int BitCount = 32;
};
using HICON = TIconImage*;

class TIcon : public TGraphic {
  TAVRELO_GRAPHIC_CLASS(TIcon, TGraphic)
 public:
  TIcon();
  ~TIcon() override;
  bool GetEmpty() const override { return !FImage; }
  int GetWidth() const override { return FImage ? FImage->Color.Width : 0; }
  int GetHeight() const override { return FImage ? FImage->Color.Height : 0; }
  // Icons keep their size; as the class library, setting it raises.
  void SetWidth(int) override;
  void SetHeight(int) override;
  bool GetTransparent() const override { return true; }

  // The image chosen from the file: the one closest to 32x32, the deepest colour among equals.
  HICON GetHandle() const { return FImage.get(); }
  // Takes the image (the icon owns it).
  void SetHandle(std::unique_ptr<TIconImage> image);
  // Builds a one-image icon of the pixels (alpha kept, mask from alpha).
  void FromPixels(const TPixelImage& image);

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  TPixelImage ToPixels() const override;

 protected:
  bool AssignFrom(const TGraphic* source) override;

 private:
  std::unique_ptr<TIconImage> FImage;
  std::string FSaved;
};

// ---- the picture container ------------------------------------------------------------------

class TPicture : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* GetGraphic() const { return FGraphic.get(); }
  // Holds a copy of the graphic (nullptr clears).
  void SetGraphic(const TGraphic* value);
  // Takes ownership without copying.
  void TakeGraphic(std::unique_ptr<TGraphic> value) { FGraphic = std::move(value); }
  std::unique_ptr<TGraphic> ReleaseGraphic() { return std::move(FGraphic); }
  // The graphic as a bitmap: an existing bitmap, or a new one replacing the graphic.
  TBitmap* GetBitmap();
  int GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
  int GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }

  // Chooses the class by the file's extension; an unknown extension raises EInvalidGraphic
  // "Unknown picture file extension (.ext)".
  void LoadFromFile(const UnicodeString& fileName);
  void SaveToFile(const UnicodeString& fileName);
  void Assign(const TPicture* source);
  // A picture, a graphic (copied) or nil.
  void Assign(TPersistent* source) override;
  // "Data": a length byte, the graphic's class name, then the graphic's own data.
  void DefineProperties(TFiler& filer) override;

  // File formats by extension (without the dot, any case). Later registrations of an extension
  // take precedence, as in the class library.
  static void RegisterFileFormat(const UnicodeString& ext, const UnicodeString& description,
                                 TGraphicClass cls);
  static TGraphicClass FileFormatClass(const UnicodeString& ext);
  // The extension registered for the class (its first registration), or empty.
  static UnicodeString GraphicExtension(TGraphicClass cls);

 private:
  std::unique_ptr<TGraphic> FGraphic;
};

// The graphics library's start-up: registers every picture class of the platform (by name, for
// streams, and by file extension). The program's main calls it once, before the engine's
// registrations; calling it again does nothing.
void RegisterPictureClasses();
