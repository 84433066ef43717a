#include "engine/document/RVGraphicItem.h"

#include <utility>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"

// ---- construction -------------------------------------------------------------------------------------

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* ARVData)
    : TRVRectItemInfo(ARVData), GraphicHolder(std::make_unique<TRVGraphicHolder>(nullptr)) {
  StyleNo = ItemKindPicture;
}

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* ARVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign)
    : TRVGraphicItemInfo(ARVData) {
  GraphicHolder->SetGraphic(AImage.release());
  VAlign = AVAlign;
}

TRVGraphicItemInfo::~TRVGraphicItemInfo() { FreeAnimator(); }

void TRVGraphicItemInfo::FreeAnimator() { delete std::exchange(FAnimator, nullptr); }

void TRVGraphicItemInfo::UpdateAnimator(TCustomRVData* ARVData) {
  auto* host = dynamic_cast<IRVAnimationHost*>(ARVData);
  if (!host) return;  // only formatted documents animate
  if (host->AllowAnimation() && MakeAnimatorProc)
    MakeAnimatorProc(this, ARVData, FAnimator);
  else
    FreeAnimator();
}

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData* ARVData) : TRVGraphicItemInfo(ARVData) {
  StyleNo = ItemKindHotPicture;
}

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData* ARVData, std::unique_ptr<TGraphic> AImage,
                                             TRVVAlign AVAlign)
    : TRVGraphicItemInfo(ARVData, std::move(AImage), AVAlign) {
  StyleNo = ItemKindHotPicture;
}

void TRVGraphicItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVGraphicItemInfo*>(Source)) {
    Alt = src->Alt;
    FResizable = src->FResizable;
    ImageFileName = src->ImageFileName;
    ImageWidth = src->ImageWidth;
    ImageHeight = src->ImageHeight;
    NoHTMLImageSize = src->NoHTMLImageSize;
    GraphicHolder->SetGraphic(nullptr);
    GraphicHolder->Assign(src->GraphicHolder.get());
    ImageCopy.reset();
    if (src->ImageCopy) {
      ImageCopy = GraphicHandler->CreateGraphic(src->ImageCopy->ClassType());
      if (ImageCopy) ImageCopy->Assign(src->ImageCopy.get());
    }
    FHasThumbnail = src->FHasThumbnail && ImageCopy;
  }
  TRVRectItemInfo::Assign(Source);
}

std::unique_ptr<TGraphic> TRVGraphicItemInfo::AsImage() {
  TGraphic* g = GetImage();
  if (!g) return nullptr;
  auto copy = GraphicHandler->CreateGraphic(g->ClassType());
  if (copy) copy->Assign(g);
  return copy;
}

// ---- sizes --------------------------------------------------------------------------------------------

int TRVGraphicItemInfo::GetImageWidth(TRVStyle* ARVStyle) {
  if (ImageWidth > 0) return ARVStyle ? ARVStyle->GetAsPixels(ImageWidth) : ImageWidth;
  return GraphicHolder->GetWidth();
}

int TRVGraphicItemInfo::GetImageHeight(TRVStyle* ARVStyle) {
  if (ImageHeight > 0) return ARVStyle ? ARVStyle->GetAsPixels(ImageHeight) : ImageHeight;
  return GraphicHolder->GetHeight();
}

int TRVGraphicItemInfo::GetImageWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  if (ImageWidth > 0 && ARVStyle) return ARVStyle->GetAsDevicePixelsX(ImageWidth, sad);
  const int w = ImageWidth > 0 ? ImageWidth : GraphicHolder->GetWidth();
  return sad ? ScreenToDeviceX(w, *sad) : w;
}

int TRVGraphicItemInfo::GetImageHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  if (ImageHeight > 0 && ARVStyle) return ARVStyle->GetAsDevicePixelsY(ImageHeight, sad);
  const int h = ImageHeight > 0 ? ImageHeight : GraphicHolder->GetHeight();
  return sad ? ScreenToDeviceY(h, *sad) : h;
}

int TRVGraphicItemInfo::GetWidth(TRVStyle* ARVStyle) {
  const int b = ARVStyle ? ARVStyle->GetAsPixels(GetBorderWidth()) : GetBorderWidth();
  return GetImageWidth(ARVStyle) + 2 * b;
}

int TRVGraphicItemInfo::GetHeight(TRVStyle* ARVStyle) {
  const int b = ARVStyle ? ARVStyle->GetAsPixels(GetBorderHeight()) : GetBorderHeight();
  return GetImageHeight(ARVStyle) + 2 * b;
}

int TRVGraphicItemInfo::GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int b = ARVStyle ? ARVStyle->GetAsDevicePixelsX(GetBorderWidth(), sad) : GetBorderWidth();
  return GetImageWidthEx(ARVStyle, sad) + 2 * b;
}

int TRVGraphicItemInfo::GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int b = ARVStyle ? ARVStyle->GetAsDevicePixelsY(GetBorderHeight(), sad) : GetBorderHeight();
  return GetImageHeightEx(ARVStyle, sad) + 2 * b;
}

int TRVGraphicItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData* ARVData) {
  return GetWidthEx(ARVData ? ARVData->GetRVStyle() : nullptr, sad);
}

void TRVGraphicItemInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) {
  TRVRectItemInfo::ConvertToDifferentUnits(NewUnits, ARVStyle, Recursive);
  if (!ARVStyle) return;
  ImageWidth = ARVStyle->GetAsDifferentUnits(ImageWidth, NewUnits);
  ImageHeight = ARVStyle->GetAsDifferentUnits(ImageHeight, NewUnits);
}

// ---- questions ------------------------------------------------------------------------------------------

bool TRVGraphicItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  switch (Prop) {
    case rvbpValid: return !GraphicHolder->IsEmpty();
    case rvbpDrawingChangesFont: return true;
    default: return TRVRectItemInfo::GetBoolValue(Prop);
  }
}

bool TRVGraphicItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpResizable:
      return !GraphicHolder->IsEmpty() && GraphicHandler->IsResizeable2(GraphicHolder->GetGraphicClass()) &&
             FResizable;
    case rvbpResizeHandlesOutside: return FAnimator != nullptr;
    case rvbpDisplayActiveState:
    case rvbpPrintToBMPIfNoMetafiles: return true;
    case rvbpPrintToBMP:
      return GraphicHolder->GetGraphicClass() && !GraphicHandler->IsVectorGraphic2(GraphicHolder->GetGraphicClass());
    default: return TRVRectItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

bool TRVHotGraphicItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus: return true;
    default: return TRVGraphicItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

void TRVGraphicItemInfo::FreeThumbnail() {
  ImageCopy.reset();
  FHasThumbnail = false;
}

void TRVGraphicItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  if (HasThumbnail() && ARVData)
    if (TRVDataRootProperties* rp = ARVData->GetRootProperties()) rp->RemoveThumbnail(this);
  ImageCopy.reset();
  FHasThumbnail = false;
  FreeAnimator();
  TRVRectItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
}

// ---- extra properties ---------------------------------------------------------------------------------

bool TRVGraphicItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) {
  switch (Prop) {
    case rvepImageWidth: ImageWidth = Value; return true;
    case rvepImageHeight: ImageHeight = Value; return true;
    case rvepMinHeightOnPage: FMinHeightOnPage = Value; return true;
    case rvepResizable: FResizable = Value != 0; return true;
    case rvepNoHTMLImageSize: NoHTMLImageSize = Value != 0; return true;
    case rvepAnimationInterval: Interval = Value; return true;
    case rvepShared: GraphicHolder->SetShared(Value != 0); return true;
    case rvepTransparent: GraphicHolder->SetTransparent(Value != 0); return true;
    case rvepTransparentMode: GraphicHolder->SetTransparentMode(Value == 1 ? tmFixed : tmAuto); return true;
    case rvepTransparentColor: GraphicHolder->SetTransparentColor(static_cast<TColor>(Value)); return true;
    default: return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
  const bool bitmap = GraphicHolder->IsImageOfClass(TBitmap::StaticClass());
  switch (Prop) {
    case rvepImageWidth: Value = ImageWidth; return true;
    case rvepImageHeight: Value = ImageHeight; return true;
    case rvepMinHeightOnPage: Value = FMinHeightOnPage; return true;
    case rvepResizable: Value = FResizable; return true;
    case rvepNoHTMLImageSize: Value = NoHTMLImageSize; return true;
    case rvepAnimationInterval: Value = Interval; return true;
    case rvepShared: Value = GraphicHolder->GetShared(); return true;
    case rvepTransparent: Value = GraphicHolder->GetTransparent(); return bitmap;
    case rvepTransparentMode: Value = GraphicHolder->GetTransparentMode() == tmFixed; return bitmap;
    case rvepTransparentColor: Value = static_cast<int>(GraphicHolder->GetTransparentColor()); return bitmap;
    default: return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::SetExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) {
  switch (Prop) {
    case rvespAlt: Alt = Value; return true;
    case rvespImageFileName: ImageFileName = Value; return true;
    default: return TRVRectItemInfo::SetExtraStrProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::GetExtraStrProperty(TRVExtraItemStrProperty Prop, TRVUnicodeString& Value) {
  switch (Prop) {
    case rvespAlt: Value = Alt; return true;
    case rvespImageFileName: Value = ImageFileName; return true;
    default: return TRVRectItemInfo::GetExtraStrProperty(Prop, Value);
  }
}

namespace {
bool TransparentBitmap(TRVGraphicHolder* H) {
  return H->IsImageOfClass(TBitmap::StaticClass()) && H->GetTransparent();
}
}  // namespace

int TRVGraphicItemInfo::GetRVFExtraPropertyCount() {
  int n = TRVRectItemInfo::GetRVFExtraPropertyCount();
  n += !FResizable + (ImageWidth > 0) + (ImageHeight > 0) + (FMinHeightOnPage > 0) + NoHTMLImageSize +
       (Interval > 0) + GraphicHolder->GetShared() + !ImageFileName.empty() + !Alt.empty();
  if (TransparentBitmap(GraphicHolder.get())) n += 2 + (GraphicHolder->GetTransparentMode() == tmFixed);
  return n;
}

void TRVGraphicItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVRectItemInfo::SaveRVFExtraProperties(Stream);
  if (!FResizable) WriteRVFExtraIntProperty(Stream, rvepResizable, 0);
  if (ImageWidth > 0) WriteRVFExtraIntProperty(Stream, rvepImageWidth, ImageWidth);
  if (ImageHeight > 0) WriteRVFExtraIntProperty(Stream, rvepImageHeight, ImageHeight);
  if (FMinHeightOnPage > 0) WriteRVFExtraIntProperty(Stream, rvepMinHeightOnPage, FMinHeightOnPage);
  if (NoHTMLImageSize) WriteRVFExtraIntProperty(Stream, rvepNoHTMLImageSize, 1);
  if (Interval > 0) WriteRVFExtraIntProperty(Stream, rvepAnimationInterval, Interval);
  if (GraphicHolder->GetShared()) WriteRVFExtraIntProperty(Stream, rvepShared, 1);
  if (TransparentBitmap(GraphicHolder.get())) {
    WriteRVFExtraIntProperty(Stream, rvepTransparent, 1);
    const bool fixed = GraphicHolder->GetTransparentMode() == tmFixed;
    WriteRVFExtraIntProperty(Stream, rvepTransparentMode, fixed ? 1 : 0);
    if (fixed)
      WriteRVFExtraIntProperty(Stream, rvepTransparentColor, static_cast<int>(GraphicHolder->GetTransparentColor()));
  }
  if (!ImageFileName.empty()) WriteRVFExtraStrProperty(Stream, rvespImageFileName, ImageFileName);
  if (!Alt.empty()) WriteRVFExtraStrProperty(Stream, rvespAlt, Alt);
}

// ---- RVF record ---------------------------------------------------------------------------------------

void TRVGraphicItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo,
                                 const TRVUnicodeString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev,
                                 const TRVScreenAndDevice*) {
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  const TRVFOptions opts = rp ? rp->RVFOptions : TRVFOptions{rvfoSavePicturesBody, rvfoSaveBinary};
  const bool body = opts.Contains(rvfoSavePicturesBody);
  const bool binary = opts.Contains(rvfoSaveBinary);
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  const int extra = GetRVFExtraPropertyCount();
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string((body ? 3 : 1) + extra) + " " +
                           RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " " +
                           std::to_string(body ? (binary ? 2 : 0) : 1) + " " + EncodeRVFStringField(pchars, Tag) +
                           " " + GetRVFHeaderTailText(ARVData));
  WriteRVFLine(Stream, EncodeRVFString(Name));
  if (!body) {
    SaveRVFExtraProperties(Stream);
    return;
  }
  const std::int64_t afterText = Stream->GetPosition();
  const bool atEnd = afterText == Stream->GetSize();
  auto writeBody = [&](TGraphic* g, const TRVRawByteString& Data) {
    TRVRawByteString cls;
    for (char16_t c : g->ClassName()) cls += static_cast<char>(c & 0xFF);
    WriteRVFLine(Stream, cls);
    SaveRVFExtraProperties(Stream);
    if (binary) {
      Stream->WriteValue<std::int32_t>(static_cast<std::int32_t>(Data.size()));
      if (!Data.empty()) Stream->WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
    } else {
      WriteRVFLine(Stream, AnsiToHex(Data));
    }
  };
  try {
    TGraphic* g = nullptr;
    bool wasActive = false;
    GraphicHolder->GetGraphicTemporary(g, wasActive);
    struct TFinal {
      TRVGraphicHolder* H;
      bool W;
      ~TFinal() { H->FinalizeGetGraphicTemporary(W); }
    } fin{GraphicHolder.get(), wasActive};
    if (!g) throw EViroZereError("No picture");
    TMemoryStream data;
    g->SaveToStream(data);
    writeBody(g, TRVRawByteString(static_cast<const char*>(data.Memory()), static_cast<std::size_t>(data.GetSize())));
  } catch (...) {
    RVRethrowUnlessDataError();
    // The stream goes back to just after the text line and the invalid picture takes the place;
    // the caller sees a warning, so the substitution is never silent.
    Stream->SetPosition(afterText);
    if (atEnd) Stream->SetSize(afterText);
    if (rp) rp->RVFWarnings.Include(rvfwInvalidPicture);
    TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
    TGraphic* inv = st && st->GetInvalidPicture() ? st->GetInvalidPicture()->GetGraphic() : nullptr;
    if (!inv) throw;
    TMemoryStream data;
    inv->SaveToStream(data);
    writeBody(inv, TRVRawByteString(static_cast<const char*>(data.Memory()), static_cast<std::size_t>(data.GetSize())));
  }
}

void TRVGraphicItemInfo::UseInvalidPicture(TCustomRVData* ARVData) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TGraphic* inv = st && st->GetInvalidPicture() ? st->GetInvalidPicture()->GetGraphic() : nullptr;
  if (!inv) return;
  auto copy = GraphicHandler->CreateGraphic(inv->ClassType());
  if (!copy) return;
  copy->Assign(inv);
  GraphicHolder->SetGraphic(copy.release());
}

bool TRVGraphicItemInfo::ReadPictureData(const TRVRawByteString& s, TCustomRVData* ARVData, bool Hex) {
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  const TRVFOptions opts = rp ? rp->RVFOptions : TRVFOptions{};
  bool result = true, failed = false;
  try {
    TRVRawByteString bytes = s;
    if (Hex) {
      bytes = HexToAnsi(s);
      result = bytes.size() * 2 == s.size();
    }
    std::unique_ptr<TGraphic> g;
    TGraphicClass cls = opts.Contains(rvfoIgnoreGraphicClasses) || FClassName.empty()
                            ? nullptr
                            : GraphicHandler->GetGraphicClass(TRVUnicodeString(FClassName.begin(), FClassName.end()));
    TMemoryStream m;
    if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    m.SetPosition(0);
    if (cls) {
      g = GraphicHandler->CreateGraphic(cls);
      if (g) g->LoadFromStream(m);
    } else if (!bytes.empty()) {
      g = GraphicHandler->LoadFromStream(m);
    }
    if (g && (g->GetWidth() <= 0 || g->GetHeight() <= 0) && !bytes.empty()) g.reset();
    if (g) {
      if (!g->ClassType()->InheritsFrom(TBitmap::StaticClass())) g->SetTransparent(true);
      if (GraphicHandler->IsVectorGraphic(g.get())) GraphicHandler->AfterLoadMetafile(g.get());
      GraphicHolder->SetGraphic(g.release());
    }
  } catch (...) {
    RVRethrowUnlessDataError();
    failed = true;
    GraphicHolder->SetGraphic(nullptr);
  }
  if (GraphicHolder->IsEmpty()) {
    UseInvalidPicture(ARVData);
    if (failed) {
      if (rp) rp->RVFWarnings.Include(rvfwInvalidPicture);
    } else {
      if (rp) rp->RVFWarnings.Include(rvfwUnknownPicFmt);
      if (!opts.Contains(rvfoIgnoreUnknownPicFmt)) return false;
    }
  }
  return result;
}

bool TRVGraphicItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                     int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                     TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const TRVCodePage cp = st ? st->DefCodePage : 0;
  if (LineNo == 0) {
    Name = DecodeRVFString(s, UTF8Strings, cp);
  } else if (ReadType == 1) {
    TRVRectItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState, UTF8Strings,
                                 AssStyleNameUsed);
  } else if (LineNo == 1) {
    FClassName = s;
  } else if (LineNo == LineCount - 1) {
    if (!ReadPictureData(s, ARVData, ReadType == 0)) return false;
  } else {
    TRVRectItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState, UTF8Strings,
                                 AssStyleNameUsed);
  }
  if (ReadType == 2 && LineNo == LineCount - 2) ReadMode = rmBeforeBinary;
  if (ReadType == 1 && LineNo == LineCount - 1) {
    TRVDataRootEvents* ev = ARVData ? ARVData->GetRootEvents() : nullptr;
    if (ev && ev->OnRVFPictureNeeded)
      if (auto g = ev->OnRVFPictureNeeded(Name, this)) GraphicHolder->SetGraphic(g.release());
  }
  return true;
}

// ---- painting and printing ------------------------------------------------------------------------------

void TRVGraphicItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                               TCustomRVData* ARVData, bool) {
  PaintDef(X, Y, Canvas, State, dli, ARVData, true);
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const int w = GetImageWidth(st), h = GetImageHeight(st);
  X += st ? st->GetAsPixels(GetBorderWidth()) : GetBorderWidth();
  Y += st ? st->GetAsPixels(GetBorderHeight()) : GetBorderHeight();
  if (FAnimator) {
    FAnimator->Draw(X, Y, Canvas, false);
    return;
  }
  try {
    TGraphic* g = GetImage();
    if (!g) return;
    if (ImageWidth > 0 || ImageHeight > 0)
      Canvas->StretchDraw(TRect(X, Y, X + w, Y + h), g);
    else
      Canvas->Draw(X, Y, g);
  } catch (...) {
    RVRethrowUnlessDataError();
    // A picture that cannot be drawn is skipped.
  }
}

void TRVGraphicItemInfo::Print(TCanvas* Canvas, int X, int Y, int, bool, bool, bool, const TRVScreenAndDevice& sad,
                               TRVMultiDrawItemPart*, TRVColorMode, TCustomRVData* ARVData, TRVDrawLineInfo*, int,
                               bool) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const int w = GetImageWidthEx(st, &sad), h = GetImageHeightEx(st, &sad);
  const int bx = st ? st->GetAsDevicePixelsX(GetBorderWidth(), &sad) : GetBorderWidth();
  const int by = st ? st->GetAsDevicePixelsY(GetBorderHeight(), &sad) : GetBorderHeight();
  try {
    if (TGraphic* g = GetImage()) Canvas->StretchDraw(TRect(X + bx, Y + by, X + bx + w, Y + by + h), g);
  } catch (...) {
    RVRethrowUnlessDataError();
  }
}

bool TRVGraphicItemInfo::PrintToBitmap(TObject* Bkgnd, bool, TCustomRVData*, int, TRVMultiDrawItemPart* Part,
                                       TRVColorMode) {
  auto* bmp = dynamic_cast<TBitmap*>(Bkgnd);
  TGraphic* g = GetImage();
  if (!bmp || !g) return false;
  const int w = g->GetWidth(), h = g->GetHeight();
  try {
    if (BackgroundColor == clNone) {
      if (bmp->GetWidth() != w || (!Part && bmp->GetHeight() != h)) {
        bmp->SetSize(w, Part ? bmp->GetHeight() : h);
        bmp->GetCanvas()->Brush().SetColor(clWhite);
        bmp->GetCanvas()->FillRect(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()));
      }
    } else {
      bmp->GetCanvas()->Brush().SetColor(BackgroundColor);
      bmp->GetCanvas()->FillRect(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()));
    }
    if (auto* part = dynamic_cast<TRVImagePrintPart*>(Part))
      bmp->GetCanvas()->StretchDraw(TRect(0, -part->ImgTop, bmp->GetWidth(), h - part->ImgTop), g);
    else
      bmp->GetCanvas()->StretchDraw(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()), g);
  } catch (...) {
    RVRethrowUnlessDataError();
  }
  return true;
}

std::unique_ptr<TRVDrawLineInfo> TRVGraphicItemInfo::CreatePrintingDrawItem(TCustomRVData* ARVData,
                                                                             const TRVScreenAndDevice* sad) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const bool notStretched = ImageHeight <= 0 || (st && st->GetAsPixels(ImageHeight) == GraphicHolder->GetHeight());
  if (GetBoolValueEx(rvbpPrintToBMP, st) && FMinHeightOnPage != 0 && notStretched) {
    auto d = std::make_unique<TRVMultiImagePrintInfo>(this, ARVData);
    d->SetCreationSize(GetWidthEx(st, sad), GetHeightEx(st, sad));
    return d;
  }
  auto d = std::make_unique<TRVDrawLineInfo>();
  return d;
}

// ---- cutting across pages -----------------------------------------------------------------------------

int TRVMultiImagePrintInfo::BorderRows() const {
  TRVStyle* st = FRVData ? FRVData->GetRVStyle() : nullptr;
  const int b = FItem->GetBorderHeight();
  return 2 * (st ? st->GetAsPixels(b) : b);
}

bool TRVMultiImagePrintInfo::InitSplit(const TRVScreenAndDevice& sad, bool) {
  FParts.clear();
  if (FItem->FMinHeightOnPage == 0) return false;
  TRVStyle* st = FRVData ? FRVData->GetRVStyle() : nullptr;
  auto part = std::make_unique<TRVImagePrintPart>(this);
  part->ImgTop = 0;
  part->ImgHeight = FItem->GetImageHeight(st);
  part->Height = ScreenToDeviceY(BorderRows() + part->ImgHeight, sad);
  FParts.push_back(std::move(part));
  return true;
}

bool TRVMultiImagePrintInfo::CanSplitFirst(int Y, const TRVScreenAndDevice& sad, bool, bool, bool, bool) {
  TRVStyle* st = FRVData ? FRVData->GetRVStyle() : nullptr;
  Y = DeviceToScreenY(Y, sad);
  const int b = BorderRows(), minH = FItem->FMinHeightOnPage;
  if (Y <= 0 || !FItem->GetBoolValueEx(rvbpPrintToBMP, st) || minH < 1 || FItem->GetBoolValue(rvbpFloating) ||
      Y < b + minH)
    return false;
  const int h = FItem->GetImageHeight(st);
  if (h - Y >= minH) return true;
  return h + b < Y;
}

bool TRVMultiImagePrintInfo::SplitAt(int Y, const TRVScreenAndDevice& sad, bool, TList*&, int&, bool, bool) {
  const int minH = FItem->FMinHeightOnPage;
  if (minH <= 0) return false;
  if (FParts.empty()) throw EViroZereError("Internal printing error");
  TRVImagePrintPart* last = FParts.back().get();
  if (minH >= last->ImgHeight) return false;
  const int b = BorderRows();
  const int y = DeviceToScreenY(Y, sad) - b;
  const int rest = last->ImgHeight - y;
  if (rest < minH || y < minH) return false;
  last->ImgHeight = y;
  last->Height = ScreenToDeviceY(y + b, sad);
  auto part = std::make_unique<TRVImagePrintPart>(this);
  part->ImgTop = last->ImgTop + y;
  part->ImgHeight = rest;
  part->Height = ScreenToDeviceY(rest + b, sad);
  FParts.push_back(std::move(part));
  return true;
}
