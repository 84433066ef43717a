#include "engine/document/RVBulletItem.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData* ARVData) : TRVRectItemInfo(ARVData) { StyleNo = ItemKindBullet; }

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData* ARVData, int AImageIndex, TCustomImageList* AImageList,
                                     TRVVAlign AVAlign)
    : TRVBulletItemInfo(ARVData) {
  ImageIndex = AImageIndex;
  ImageList = AImageList;
  VAlign = AVAlign;
}

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData* ARVData) : TRVBulletItemInfo(ARVData) {
  StyleNo = ItemKindHotspot;
}

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData* ARVData, int AImageIndex, int AHotImageIndex,
                                       TCustomImageList* AImageList, TRVVAlign AVAlign)
    : TRVBulletItemInfo(ARVData, AImageIndex, AImageList, AVAlign) {
  StyleNo = ItemKindHotspot;
  HotImageIndex = AHotImageIndex;
}

void TRVBulletItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVBulletItemInfo*>(Source)) {
    ImageList = src->ImageList;
    ImageIndex = src->ImageIndex;
    NoHTMLImageSize = src->NoHTMLImageSize;
  }
  TRVRectItemInfo::Assign(Source);
}

void TRVHotspotItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVHotspotItemInfo*>(Source)) HotImageIndex = src->HotImageIndex;
  TRVBulletItemInfo::Assign(Source);
}

// ---- sizes and questions ------------------------------------------------------------------------------

int TRVBulletItemInfo::GetImageWidth(TRVStyle*) { return ImageList ? ImageList->GetWidth() : 0; }
int TRVBulletItemInfo::GetImageHeight(TRVStyle*) { return ImageList ? ImageList->GetHeight() : 0; }

int TRVBulletItemInfo::GetWidth(TRVStyle* ARVStyle) {
  return GetImageWidth(ARVStyle) + 2 * (ARVStyle ? ARVStyle->GetAsPixels(GetBorderWidth()) : GetBorderWidth());
}
int TRVBulletItemInfo::GetHeight(TRVStyle* ARVStyle) {
  return GetImageHeight(ARVStyle) + 2 * (ARVStyle ? ARVStyle->GetAsPixels(GetBorderHeight()) : GetBorderHeight());
}
int TRVBulletItemInfo::GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int w = sad ? ScreenToDeviceX(GetImageWidth(ARVStyle), *sad) : GetImageWidth(ARVStyle);
  return w + 2 * (ARVStyle ? ARVStyle->GetAsDevicePixelsX(GetBorderWidth(), sad) : GetBorderWidth());
}
int TRVBulletItemInfo::GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int h = sad ? ScreenToDeviceY(GetImageHeight(ARVStyle), *sad) : GetImageHeight(ARVStyle);
  return h + 2 * (ARVStyle ? ARVStyle->GetAsDevicePixelsY(GetBorderHeight(), sad) : GetBorderHeight());
}
int TRVBulletItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData* ARVData) {
  return GetWidthEx(ARVData ? ARVData->GetRVStyle() : nullptr, sad);
}

bool TRVBulletItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  if (Prop == rvbpValid) return ImageList != nullptr;
  return TRVRectItemInfo::GetBoolValue(Prop);
}

bool TRVBulletItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  if (Prop == rvbpDisplayActiveState) return true;
  return TRVRectItemInfo::GetBoolValueEx(Prop, ARVStyle);
}

bool TRVHotspotItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus: return true;
    case rvbpHotColdJump: return ImageIndex != HotImageIndex;
    default: return TRVBulletItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

// ---- properties ---------------------------------------------------------------------------------------

bool TRVBulletItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) {
  if (Prop == rvepNoHTMLImageSize) {
    NoHTMLImageSize = Value != 0;
    return true;
  }
  return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
}

bool TRVBulletItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
  if (Prop == rvepNoHTMLImageSize) {
    Value = NoHTMLImageSize;
    return true;
  }
  return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
}

bool TRVBulletItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  if (Prop == 200) {
    ImageIndex = Value;
    return true;
  }
  return TRVRectItemInfo::SetExtraIntPropertyEx(Prop, Value);
}

bool TRVBulletItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  if (Prop == 200) {
    Value = ImageIndex;
    return true;
  }
  return TRVRectItemInfo::GetExtraIntPropertyEx(Prop, Value);
}

bool TRVHotspotItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  if (Prop == 201) {
    HotImageIndex = Value;
    return true;
  }
  return TRVBulletItemInfo::SetExtraIntPropertyEx(Prop, Value);
}

bool TRVHotspotItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  if (Prop == 201) {
    Value = HotImageIndex;
    return true;
  }
  return TRVBulletItemInfo::GetExtraIntPropertyEx(Prop, Value);
}

bool TRVBulletItemInfo::SetExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) {
  if (Prop == rvespAlt) {
    Alt = Value;
    return true;
  }
  return TRVRectItemInfo::SetExtraStrProperty(Prop, Value);
}

bool TRVBulletItemInfo::GetExtraStrProperty(TRVExtraItemStrProperty Prop, TRVUnicodeString& Value) {
  if (Prop == rvespAlt) {
    Value = Alt;
    return true;
  }
  return TRVRectItemInfo::GetExtraStrProperty(Prop, Value);
}

int TRVBulletItemInfo::GetRVFExtraPropertyCount() {
  return TRVRectItemInfo::GetRVFExtraPropertyCount() + NoHTMLImageSize + !Alt.empty();
}

void TRVBulletItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVRectItemInfo::SaveRVFExtraProperties(Stream);
  if (NoHTMLImageSize) WriteRVFExtraIntProperty(Stream, rvepNoHTMLImageSize, 1);
  if (!Alt.empty()) WriteRVFExtraStrProperty(Stream, rvespAlt, Alt);
}

// ---- RVF record ---------------------------------------------------------------------------------------

TRVRawByteString TRVBulletItemInfo::GetRVFHeaderTailText(TCustomRVData*) {
  return std::to_string(ImageList ? ImageList->Tag : 0) + " " + std::to_string(ImageIndex);
}

TRVRawByteString TRVHotspotItemInfo::GetRVFHeaderTailText(TCustomRVData* ARVData) {
  return TRVBulletItemInfo::GetRVFHeaderTailText(ARVData) + " " + std::to_string(HotImageIndex);
}

bool TRVBulletItemInfo::CheckImageIndex(int& Index, TCustomRVData* ARVData) {
  if (!ImageList || (Index >= 0 && Index < ImageList->Count())) return true;
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  if (rp) rp->RVFWarnings.Include(rvfwConvLargeImageIdx);
  if (rp && rp->RVFOptions.Contains(rvfoConvLargeImageIdxToZero)) {
    Index = 0;
    return true;
  }
  return false;
}

bool TRVBulletItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool, bool&) {
  int tag = 0, index = 0;
  while (*P == ' ') ++P;
  if (!ReadRVFInteger(P, tag)) return false;
  while (*P == ' ') ++P;
  if (!ReadRVFInteger(P, index)) return false;
  TRVDataRootEvents* ev = ARVData ? ARVData->GetRootEvents() : nullptr;
  ImageList = ev && ev->OnRVFImageListNeeded ? ev->OnRVFImageListNeeded(tag) : nullptr;
  if (!CheckImageIndex(index, ARVData)) return false;
  ImageIndex = index;
  return true;
}

bool TRVHotspotItemInfo::ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings,
                                           bool& AssStyleNameUsed) {
  if (!TRVBulletItemInfo::ReadRVFHeaderTail(P, ARVData, UTF8Strings, AssStyleNameUsed)) return false;
  while (*P == ' ') ++P;
  if (*P == 0) {
    HotImageIndex = ImageIndex;
    return true;
  }
  int hot = 0;
  if (!ReadRVFInteger(P, hot)) return false;
  if (!CheckImageIndex(hot, ARVData)) return false;
  HotImageIndex = hot;
  return true;
}

void TRVBulletItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int, int AParaNo,
                                const TRVUnicodeString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev,
                                const TRVScreenAndDevice*) {
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  const bool valign = WritesVAlignLine();
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string(1 + valign + GetRVFExtraPropertyCount()) + " " +
                           RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " 0 " +
                           EncodeRVFStringField(pchars, Tag) + " " + GetRVFHeaderTailText(ARVData));
  WriteRVFLine(Stream, EncodeRVFString(Name));
  if (valign) WriteRVFLine(Stream, "valign=" + std::to_string(static_cast<int>(VAlign)));
  SaveRVFExtraProperties(Stream);
}

bool TRVBulletItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                    int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                    TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  if (LineNo == 0) {
    TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
    Name = DecodeRVFString(s, UTF8Strings, st ? st->DefCodePage : 0);
    return true;
  }
  return TRVRectItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState,
                                      UTF8Strings, AssStyleNameUsed);
}

// ---- painting -----------------------------------------------------------------------------------------

void TRVBulletItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                              TCustomRVData* ARVData, bool) {
  PaintDef(X, Y, Canvas, State, dli, ARVData, true);
  if (!ImageList || !Canvas) return;
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const int bx = st ? st->GetAsPixels(GetBorderWidth()) : GetBorderWidth();
  const int by = st ? st->GetAsPixels(GetBorderHeight()) : GetBorderHeight();
  const int index = GetImageIndexForState(State.Contains(rvidsHover));
  if (index < 0 || index >= ImageList->Count()) return;
  const TDrawingStyle style = State.Contains(rvidsSelected) ? dsSelected : dsNormal;
  ImageList->Draw(*Canvas, X + bx, Y + by, index, style, itImage);
}

bool TRVBulletItemInfo::PrintToBitmap(TObject* Bkgnd, bool, TCustomRVData*, int, TRVMultiDrawItemPart*, TRVColorMode) {
  auto* bmp = dynamic_cast<TBitmap*>(Bkgnd);
  if (!bmp) return false;
  if (BackgroundColor != clNone) {
    bmp->GetCanvas()->Brush().SetColor(BackgroundColor);
    bmp->GetCanvas()->FillRect(TRect(0, 0, bmp->GetWidth(), bmp->GetHeight()));
  }
  if (ImageList && ImageIndex >= 0 && ImageIndex < ImageList->Count()) ImageList->Draw(*bmp->GetCanvas(), 0, 0, ImageIndex);
  return true;
}
