// Pictures and objects in the RTF reader: "\pict" with its kinds, sizes and data, "\shppict",
// "\nonshppict", "\object" with its data and result.
#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrHandler.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"

namespace rvrtfpictures_detail {

// Nibbles by byte: the value of a hexadecimal digit, -1 for a line end or a space (skipped in
// picture data), -2 for any other byte.
struct THexNibbles {
  signed char Value[256];
  constexpr THexNibbles() : Value() {
    for (int c = 0; c < 256; ++c) Value[c] = -2;
    for (int c = '0'; c <= '9'; ++c) Value[c] = static_cast<signed char>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) Value[c] = static_cast<signed char>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) Value[c] = static_cast<signed char>(c - 'A' + 10);
    Value['\r'] = Value['\n'] = Value[' '] = -1;
  }
};
constexpr THexNibbles HexNibbles;

int HexValue(unsigned char ch) {
  const int v = HexNibbles.Value[ch];
  return v >= 0 ? v : -1;
}

// The largest device-dependent bitmap taken from a document, in pixels.
constexpr std::int64_t MaxDDBPixels = std::int64_t{1} << 26;

void PutLE16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void PutLE32(std::string& s, std::size_t at, std::uint32_t v) {
  PutLE16(s, at, v & 0xFFFF);
  PutLE16(s, at + 2, v >> 16);
}

[[noreturn]] void InvalidPicture(const char16_t* message) { throw EInvalidGraphic(message); }

// Rows of a device-dependent bitmap ("\wbitmap": top-down rows of WidthBytes each) as a packed
// DIB. Its sizes and depth come from the document and are checked against the data and a cap.
std::string DDBToPackedDIB(const TRVRTFPicture& pic, const std::string_view data) {
  const std::int64_t width = pic.FPicW, height = pic.FPicH;
  const int planes = pic.FWBMPlanes, bits = pic.FWBMBitsPixel;
  const int depth = planes * bits;
  if (width <= 0 || height <= 0 || planes < 1 || bits < 1 || width * height > MaxDDBPixels)
    InvalidPicture(u"Invalid bitmap size");
  if (planes != 1 || (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32))
    InvalidPicture(u"Invalid bitmap depth");
  const std::int64_t minRow = (width * depth + 7) / 8;
  // Rows of a device bitmap are word-aligned unless the document says how long they are.
  const std::int64_t rowBytes = pic.FWBMWidthBytes > 0 ? pic.FWBMWidthBytes : (width * depth + 15) / 16 * 2;
  if (rowBytes < minRow || rowBytes * height > static_cast<std::int64_t>(data.size()))
    InvalidPicture(u"Bitmap data too short");
  const std::int64_t stride = (width * depth + 31) / 32 * 4;
  const int colors = depth <= 8 ? 1 << depth : 0;
  const std::size_t header = 40 + static_cast<std::size_t>(colors) * 4;
  std::string dib(header + static_cast<std::size_t>(stride * height), '\0');
  PutLE32(dib, 0, 40);
  PutLE32(dib, 4, static_cast<std::uint32_t>(width));
  PutLE32(dib, 8, static_cast<std::uint32_t>(height));
  PutLE16(dib, 12, 1);
  PutLE16(dib, 14, static_cast<std::uint32_t>(depth));
  PutLE32(dib, 32, static_cast<std::uint32_t>(colors));
  // A device bitmap has no colours of its own: grey steps from black to white.
  for (int i = 0; i < colors; ++i) {
    const auto v = static_cast<std::uint32_t>(colors == 1 ? 0 : i * 255 / (colors - 1));
    PutLE32(dib, 40 + static_cast<std::size_t>(i) * 4, v | v << 8 | v << 16);
  }
  for (std::int64_t y = 0; y < height; ++y) {
    const std::size_t from = static_cast<std::size_t>(y * rowBytes);
    const std::size_t to = header + static_cast<std::size_t>((height - 1 - y) * stride);
    dib.replace(to, static_cast<std::size_t>(minRow), data.substr(from, static_cast<std::size_t>(minRow)));
  }
  return dib;
}

int RoundToTwips(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace rvrtfpictures_detail

using namespace rvrtfpictures_detail;

TRVRTFPicture::TRVRTFPicture() : FData(new TMemoryStream) {}

TRVRTFPicture::~TRVRTFPicture() { delete FData; }

TRVRTFObject::TRVRTFObject() : FData(new TMemoryStream) {}

TRVRTFObject::~TRVRTFObject() { delete FData; }

TRVRTFErrorCode TRVRTFReader::EnterPictureDestination(int Dest) {
  TRVRTFReaderState& state = *FRTFState;
  const bool inInstruction = state.rds == rdsFldInst;
  switch (Dest) {
    case 1:  // "\shppict"
      state.rds = inInstruction ? rdsSkip : rdsShpPict;
      break;
    case 2:  // "\nonshppict"
      state.rds = inInstruction || ShpPictInserted ? rdsSkip : rdsNorm;
      break;
    case 3:  // "\pict"
      if (inInstruction) {
        state.rds = rdsSkip;
        break;
      }
      if (FPicture) return rtf_ec_InvalidPicture;
      if (OnNewPicture) {
        FPicture = new TRVRTFPicture;
        FPicture->FShpPict = state.rds == rdsShpPict;
      }
      state.rds = rdsPict;
      PicHexStrt = true;
      PicHexVal = 0;
      break;
    case 43:  // "\object"
      if (OnNewObject) {
        delete FObject;
        FObject = new TRVRTFObject;
        state.rds = rdsObject;
      } else {
        state.rds = rdsNorm;
      }
      break;
    case 44:  // "\objdata"
      if (state.rds == rdsObject && FObject) {
        state.rds = rdsObjData;
        ObjectInserted = false;
        PicHexStrt = true;
        PicHexVal = 0;
      } else {
        state.rds = rdsSkip;
      }
      break;
    case 45:  // "\result"
      state.rds = ObjectInserted ? rdsSkip : rdsNorm;
      break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPictureProperty(int Idx, int Value) {
  if (!FPicture) return rtf_ec_OK;
  TRVRTFPicture& pic = *FPicture;
  switch (Idx) {
    case 95: pic.FPicW = Value; break;
    case 96: pic.FPicH = Value; break;
    case 97: pic.FPicScaleX = Value; break;
    case 98: pic.FPicScaleY = Value; break;
    case 99: pic.FPicWGoalTw = Value; break;
    case 100: pic.FPicHGoalTw = Value; break;
    case 101: pic.FWBMWidthBytes = Value; break;
    case 102: pic.FWBMBitsPixel = Value; break;
    case 103: pic.FWBMPlanes = Value; break;
    case 104:
      if (Value < rtf_pict_EMF || Value > rtf_pict_DDB) break;
      pic.FType = static_cast<TRVRTFPictureType>(Value);
      // Room for the file header that the bitmap is given when it ends.
      if (pic.FType == rtf_pict_DIB && pic.FData->GetSize() < 14) {
        pic.FData->SetSize(14);
        pic.FData->SetPosition(14);
      }
      break;
    case 105:
      pic.FType = rtf_pict_WMF;
      pic.FMetafileMapMode = Value >= 1 && Value <= 8 ? Value : 1;
      break;
    case 106: pic.FMetafileWithBitmap = true; break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyObjectProperty(int Idx, int Value) {
  if (!FObject) return rtf_ec_OK;
  switch (Idx) {
    case 107:
      if (Value >= rtf_obj_Emb && Value <= rtf_obj_OCX) FObject->FType = static_cast<TRVRTFObjectType>(Value);
      break;
    case 108: FObject->FWidthTw = Value; break;
    case 109: FObject->FHeightTw = Value; break;
    default: break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessPictureChar(unsigned char ch) {
  const bool binary = FRTFState->ris == risBin;
  if (FRTFState->rds == rdsPict) {
    if (!FPicture) return rtf_ec_OK;
    if (binary) {
      FPicture->FData->Write(&ch, 1);
      return rtf_ec_OK;
    }
    return ReadPictureHex(ch);
  }
  if (FRTFState->rds != rdsObjData || !FObject) return rtf_ec_OK;
  if (binary) {
    FObject->FData->Write(&ch, 1);
    return rtf_ec_OK;
  }
  const int nibble = HexValue(ch);
  if (nibble < 0) return rtf_ec_InvalidPicture;
  if (PicHexStrt) {
    PicHexVal = nibble;
  } else {
    const auto b = static_cast<unsigned char>(PicHexVal * 16 + nibble);
    FObject->FData->Write(&b, 1);
  }
  PicHexStrt = !PicHexStrt;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ReadPictureHex(unsigned char ch) {
  std::array<unsigned char, 65536> buffer;
  std::size_t used = 0;
  bool anyDigit = false;
  TMemoryStream& data = *FPicture->FData;
  for (;;) {
    const int nibble = HexNibbles.Value[ch];
    if (nibble >= 0) {
      anyDigit = true;
      if (PicHexStrt) {
        PicHexVal = nibble;
      } else {
        buffer[used++] = static_cast<unsigned char>(PicHexVal * 16 + nibble);
        if (used == buffer.size()) {
          data.Write(buffer.data(), static_cast<std::int64_t>(used));
          used = 0;
        }
      }
      PicHexStrt = !PicHexStrt;
    } else if (nibble == -2) {
      if (!anyDigit) return rtf_ec_InvalidPicture;
      LastChar = ch;
      UngetInputChar();
      break;
    }
    if (PicHexStrt && !UseLastChar) {
      // Whole bytes of two digits straight from the buffer, the common case of picture data.
      const unsigned char* begin = InputString.data() + (InputStringIndex - 1);
      const unsigned char* end = InputString.data() + InputStringLength;
      const unsigned char* p = begin;
      while (end - p >= 2) {
        const int high = HexNibbles.Value[p[0]], low = HexNibbles.Value[p[1]];
        if ((high | low) < 0) break;
        buffer[used++] = static_cast<unsigned char>(high * 16 + low);
        if (used == buffer.size()) {
          data.Write(buffer.data(), static_cast<std::int64_t>(used));
          used = 0;
        }
        p += 2;
      }
      if (p != begin) anyDigit = true;
      InputStringIndex += static_cast<int>(p - begin);
    }
    // The next byte straight from the buffer while it holds any, else through a refill.
    if (!UseLastChar && InputStringIndex <= InputStringLength) {
      ch = InputString[static_cast<std::size_t>(InputStringIndex++ - 1)];
      continue;
    }
    if (IsInputEnd()) break;  // the read ends with the groups still open
    ch = GetInputChar();
  }
  if (used) data.Write(buffer.data(), static_cast<std::int64_t>(used));
  return rtf_ec_OK;
}

TGraphic* TRVRTFReader::CreatePictureGraphic() {
  std::unique_ptr<TGraphic> g;
  switch (FPicture->FType) {
    case rtf_pict_EMF:
    case rtf_pict_WMF:
      g = GraphicHandler->CreateGraphicByType(rvgtMetafile);
      if (g) GraphicHandler->SetMetafileEnhanced(g.get(), FPicture->FType == rtf_pict_EMF);
      break;
    case rtf_pict_PNG: g = GraphicHandler->CreateGraphicByType(rvgtPNG); break;
    case rtf_pict_JPEG: g = GraphicHandler->CreateGraphicByType(rvgtJPEG); break;
    case rtf_pict_DIB: {
      // The bitmap file header over the 14 bytes kept free: "BM", the file's size, reserved
      // words and a bit offset of 0 (the loader finds the bits after the colour table).
      TMemoryStream& data = *FPicture->FData;
      if (data.GetSize() >= 14) {
        std::string header(14, '\0');
        header[0] = 'B';
        header[1] = 'M';
        PutLE32(header, 2, static_cast<std::uint32_t>(data.GetSize()));
        data.SetPosition(0);
        data.Write(header.data(), 14);
      }
      g = GraphicHandler->CreateGraphicByType(rvgtBitmap);
      break;
    }
    case rtf_pict_DDB: g = GraphicHandler->CreateGraphicByType(rvgtBitmap); break;
    case rtf_pict_MacPict:
    case rtf_pict_PmMetafile: break;
  }
  return g.release();
}

void TRVRTFReader::LoadPictureGraphic(std::unique_ptr<TGraphic>& Graphic) {
  TRVRTFPicture& pic = *FPicture;
  TMemoryStream& data = *pic.FData;
  if (data.GetSize() == 0) return;
  const std::string_view bytes(static_cast<const char*>(data.Memory()), static_cast<std::size_t>(data.GetSize()));
  switch (pic.FType) {
    case rtf_pict_WMF: {
      if (pic.FPicW > 0 && pic.FPicH > 0) {
        if (pic.FMetafileMapMode == MM_TEXT) {
          const int ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
          pic.SuggestedWidthTw = RoundToTwips(static_cast<double>(pic.FPicW) / ppi * 1440);
          pic.SuggestedHeightTw = RoundToTwips(static_cast<double>(pic.FPicH) / ppi * 1440);
        } else {
          pic.SuggestedWidthTw = RoundToTwips(static_cast<double>(pic.FPicW) / 2540 * 1440);
          pic.SuggestedHeightTw = RoundToTwips(static_cast<double>(pic.FPicH) / 2540 * 1440);
        }
      }
      METAFILEPICT mfp;
      mfp.mm = pic.FMetafileMapMode;
      mfp.xExt = pic.FPicW;
      mfp.yExt = pic.FPicH;
      HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(bytes.size()),
                                            reinterpret_cast<const BYTE*>(bytes.data()), nullptr, &mfp);
      if (!emf) InvalidPicture(u"Invalid metafile");
      GraphicHandler->SetMetafileHandle(Graphic.get(), emf);
      GraphicHandler->SetMetafileEnhanced(Graphic.get(), true);
      if (ExtractMetafileBitmaps) {
        std::unique_ptr<TBitmap> bitmap = GraphicHandler->ExtractBitmapFromMetafile(Graphic.get());
        if (bitmap) Graphic = std::move(bitmap);
      }
      break;
    }
    case rtf_pict_DIB:
      if (bytes.size() > 14) {
        data.SetPosition(0);
        Graphic->LoadFromStream(data);
      }
      break;
    case rtf_pict_DDB: {
      const std::string dib = DDBToPackedDIB(pic, bytes);
      auto* bitmap = dynamic_cast<TBitmap*>(Graphic.get());
      if (!bitmap || !bitmap->LoadFromDIB(reinterpret_cast<const std::uint8_t*>(dib.data()), dib.size()))
        InvalidPicture(u"Invalid bitmap");
      break;
    }
    default:
      data.SetPosition(0);
      Graphic->LoadFromStream(data);
      break;
  }
  if (pic.FPicWGoalTw != 0 && pic.FPicHGoalTw != 0) {
    pic.SuggestedWidthTw = pic.FPicWGoalTw;
    pic.SuggestedHeightTw = pic.FPicHGoalTw;
  }
}

TRVRTFErrorCode TRVRTFReader::DoNewPicture(TGraphic* Graphic, bool& Inserted) {
  std::unique_ptr<TGraphic> owned(Graphic);
  Inserted = false;
  if (OnNewPicture) {
    FRTFState->ParaProps()->Finalize();
    UpdateTableNesting(true);
    FPicture->FData->SetPosition(0);
    bool& inserted = Inserted;
    try {
      OnNewPicture(this, FPicture, owned.release(), Position, TRVUnicodeString(), inserted);
    } catch (...) {
      RVRethrowUnlessDataError();
      return rtf_ec_Aborted;
    }
    if (FPicture->FShpPict) ShpPictInserted = inserted;
    if (inserted) Position = rtf_ts_ContinuePara;
  }
  AfterTableRow = false;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::DoNewObject() {
  FRTFState->ParaProps()->Finalize();
  FObject->FData->SetPosition(0);
  try {
    OnNewObject(this, FObject, Position, ObjectInserted);
  } catch (...) {
    RVRethrowUnlessDataError();
    return rtf_ec_Aborted;
  }
  Position = rtf_ts_ContinuePara;
  AfterTableRow = false;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeavePictureDestination(TRTFrds Rds) {
  TRVRTFReaderState& state = *FRTFState;
  switch (Rds) {
    case rdsPict: {
      TRVRTFErrorCode ec = AppendChar(0, false, true);
      if (ec != rtf_ec_OK) return ec;
      std::unique_ptr<TRVRTFPicture> picture(FPicture);
      FPicture = nullptr;
      auto finish = [&]() {
        delete state.FInvalidFieldPicture;
        state.FInvalidFieldPicture = nullptr;
        AfterTableRow = false;
      };
      if (state.FFieldPictureIncluded) {
        // The field's own picture is in the document already: the result's copy is dropped.
        finish();
        return rtf_ec_OK;
      }
      if (!picture) return OnNewPicture ? rtf_ec_InvalidPicture : rtf_ec_OK;
      FPicture = picture.get();
      std::unique_ptr<TGraphic> graphic;
      try {
        graphic.reset(CreatePictureGraphic());
        if (graphic) {
          LoadPictureGraphic(graphic);
          GraphicHandler->AfterImportGraphic(graphic.get());
        }
      } catch (...) {
        RVRethrowUnlessDataError();
        ec = rtf_ec_InvalidPicture;
      }
      bool inserted = false;
      if (ec == rtf_ec_OK) ec = DoNewPicture(graphic.release(), inserted);
      FPicture = nullptr;
      if (ec == rtf_ec_OK && !inserted && OnNewPicture && state.FInvalidFieldPicture) {
        // The picture of an INCLUDEPICTURE field that its handler called invalid, when the
        // result's own picture was not taken.
        state.ParaProps()->Finalize();
        GraphicHandler->AfterImportGraphic(state.FInvalidFieldPicture);
        bool inserted = false;
        OnNewPicture(this, nullptr, state.FInvalidFieldPicture, Position, TRVUnicodeString(), inserted);
        if (inserted) state.FInvalidFieldPicture = nullptr;
        Position = rtf_ts_ContinuePara;
      }
      finish();
      return ec;
    }
    case rdsObjData: {
      const TRVRTFErrorCode ec = AppendChar(0, false, true);
      if (ec != rtf_ec_OK) return ec;
      return FObject && OnNewObject ? DoNewObject() : rtf_ec_OK;
    }
    case rdsObject:
      delete FObject;
      FObject = nullptr;
      return rtf_ec_OK;
    default: return rtf_ec_OK;
  }
}
