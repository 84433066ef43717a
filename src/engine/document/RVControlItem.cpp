#include "engine/document/RVControlItem.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVPlainText.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVControlImages.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"
#include "platform/ui/Controls.h"

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* ARVData) : TRVRectItemInfo(ARVData) {
  StyleNo = ItemKindControl;
}

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* ARVData, TControl* AControl, TRVVAlign AVAlign)
    : TRVControlItemInfo(ARVData) {
  Control = AControl;
  VAlign = AVAlign;
}

TRVControlItemInfo::~TRVControlItemInfo() {
  if (!FShared) delete Control;
}

bool TRVControlItemInfo::OwnsControl(TObject* AControl) {
  return AControl && AControl == static_cast<TObject*>(Control);
}

void TRVControlItemInfo::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRVControlItemInfo*>(Source)) {
    PercentWidth = src->PercentWidth;
    FResizable = src->FResizable;
    FVisible = src->FVisible;
    FDPIScalable = src->FDPIScalable;
  }
  TRVRectItemInfo::Assign(Source);
}

TWinControl* TRVControlItemInfo::ParentWindow(TCustomRVData* ARVData) {
  return ARVData ? dynamic_cast<TWinControl*>(ARVData->GetParentControl()) : nullptr;
}

void TRVControlItemInfo::SetControl(std::unique_ptr<TControl> AControl, TCustomRVData* ARVData) {
  if (!FShared) delete Control;
  Control = AControl.release();
  if (!Control) return;
  Control->SetVisible(false);
  Control->SetParent(ParentWindow(ARVData));
}

// ---- sizes and questions ------------------------------------------------------------------------------

int TRVControlItemInfo::GetImageWidth(TRVStyle*) { return Control ? Control->GetWidth() : 0; }
int TRVControlItemInfo::GetImageHeight(TRVStyle*) { return Control ? Control->GetHeight() : 0; }

int TRVControlItemInfo::GetWidth(TRVStyle* ARVStyle) {
  return GetImageWidth(ARVStyle) + 2 * (ARVStyle ? ARVStyle->GetAsPixels(GetBorderWidth()) : GetBorderWidth());
}
int TRVControlItemInfo::GetHeight(TRVStyle* ARVStyle) {
  return GetImageHeight(ARVStyle) + 2 * (ARVStyle ? ARVStyle->GetAsPixels(GetBorderHeight()) : GetBorderHeight());
}
int TRVControlItemInfo::GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int w = sad ? ScreenToDeviceX(GetImageWidth(ARVStyle), *sad) : GetImageWidth(ARVStyle);
  return w + 2 * (ARVStyle ? ARVStyle->GetAsDevicePixelsX(GetBorderWidth(), sad) : GetBorderWidth());
}
int TRVControlItemInfo::GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) {
  const int h = sad ? ScreenToDeviceY(GetImageHeight(ARVStyle), *sad) : GetImageHeight(ARVStyle);
  return h + 2 * (ARVStyle ? ARVStyle->GetAsDevicePixelsY(GetBorderHeight(), sad) : GetBorderHeight());
}

int TRVControlItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData* ARVData) {
  if (PercentWidth != 0) return 20;
  return GetWidthEx(ARVData ? ARVData->GetRVStyle() : nullptr, sad);
}

bool TRVControlItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const {
  switch (Prop) {
    case rvbpValid: return Control != nullptr;
    case rvbpImmediateControlOwner: return true;
    default: return TRVRectItemInfo::GetBoolValue(Prop);
  }
}

bool TRVControlItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) {
  switch (Prop) {
    case rvbpSpecialPrintImageWidth: return PercentWidth != 0;
    case rvbpResizable: return FResizable && PercentWidth == 0;
    case rvbpResizeHandlesOutside:
    case rvbpDisplayActiveState: return true;
    case rvbpAllowsFocus: return dynamic_cast<TWinControl*>(Control) != nullptr;
    case rvbpXORFocus: return false;
    case rvbpActualPrintSize: return ValidPercent();
    default: return TRVRectItemInfo::GetBoolValueEx(Prop, ARVStyle);
  }
}

// ---- life cycle ---------------------------------------------------------------------------------------

void TRVControlItemInfo::AdjustInserted(int X, int Y, bool adjusty, TCustomRVData* ARVData) {
  if (!Control) return;
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  const int bx = st ? st->GetAsPixels(GetBorderWidth()) : GetBorderWidth();
  const int by = st ? st->GetAsPixels(GetBorderHeight()) : GetBorderHeight();
  Control->SetLeft(X + bx);
  Control->SetTag(Y + by);
  if (adjusty) Control->SetTop(Control->GetTag());
  Control->SetVisible(FVisible && !(ARVData && ARVData->IsRotationUsed()));
}

void TRVControlItemInfo::Inserting(TCustomRVData* ARVData, TRVUnicodeString& AText, bool Safe) {
  if (Control) {
    Control->SetVisible(false);
    Control->SetParent(Safe ? ParentWindow(ARVData) : nullptr);
  }
  TRVRectItemInfo::Inserting(ARVData, AText, Safe);
}

void TRVControlItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) {
  if (Control) {
    Control->SetVisible(false);
    Control->SetParent(nullptr);
  }
  if (ARVData) ARVData->ControlAction(ARVData, rvcaMoveToUndoList, ItemNo, this);
  TRVRectItemInfo::MovingToUndoList(ItemNo, ARVData, AContainerUndoItem);
}

void TRVControlItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) {
  if (ARVData) ARVData->ControlAction(ARVData, rvcaMoveFromUndoList, ItemNo, this);
  if (Control) Control->SetParent(ParentWindow(ARVData));
}

void TRVControlItemInfo::Hiding() {
  if (!Control) return;
  Control->SetVisible(false);
  Control->SetParent(nullptr);
}

void TRVControlItemInfo::Unhiding(TCustomRVData* ARVData) {
  if (!Control) return;
  Control->SetVisible(false);
  Control->SetParent(ParentWindow(ARVData));
}

void TRVControlItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas*, TCustomRVData* ARVData,
                                          const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                                          const TRVDocWidthChangeStates& State) {
  HShift = 0;
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (!ValidPercent() || !dli) {
    Desc = st ? st->GetAsPixels(GetBorderHeight()) : GetBorderHeight();
    return;
  }
  dli->Width = DocWidth * PercentWidth / 100;
  if (!State.Contains(rvdwcsPrinting) && Control)
    Control->SetWidth(dli->Width - 2 * (st ? st->GetAsPixels(GetBorderWidth()) : GetBorderWidth()));
  const int by = st ? st->GetAsDevicePixelsY(GetBorderHeight(), sad) : GetBorderHeight();
  const int h = Control ? (sad ? ScreenToDeviceY(Control->GetHeight(), *sad) : Control->GetHeight()) : 0;
  dli->Height = 2 * by + h;
  Desc = by;
}

void TRVControlItemInfo::Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                               TCustomRVData* ARVData, bool) {
  if (FVisible) PaintDef(X, Y, Canvas, State, dli, ARVData, true);
}

bool TRVControlItemInfo::PrintToBitmap(TObject* Bkgnd, bool, TCustomRVData*, int, TRVMultiDrawItemPart* Part,
                                       TRVColorMode) {
  auto* bmp = dynamic_cast<TBitmap*>(Bkgnd);
  if (!bmp || !Control || !FVisible) return false;
  const int oldWidth = Control->GetWidth();
  if (PercentWidth > 0) Control->SetWidth(bmp->GetWidth());
  std::unique_ptr<TBitmap> img = DrawControlImage(Control, BackgroundColor);
  if (PercentWidth > 0) Control->SetWidth(oldWidth);
  if (!img) return false;
  if (FMinHeightOnPage > 0) {
    const int top = Part ? Part->GetSoftPageBreakInfo() : 0;
    bmp->GetCanvas()->Draw(0, -std::max(top, 0), img.get());
  } else {
    if (bmp->GetWidth() < img->GetWidth() || bmp->GetHeight() < img->GetHeight())
      bmp->SetSize(std::max(bmp->GetWidth(), img->GetWidth()), std::max(bmp->GetHeight(), img->GetHeight()));
    bmp->GetCanvas()->Draw((bmp->GetWidth() - img->GetWidth()) / 2, (bmp->GetHeight() - img->GetHeight()) / 2,
                           img.get());
  }
  return true;
}

TRVUnicodeString TRVControlItemInfo::AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString&,
                                            TObject* SavingData) {
  TRVDataRootEvents* ev = ARVData ? ARVData->GetRootEvents() : nullptr;
  if (!ev || !ev->OnSaveComponentToFile || !Control) return {};
  TRVUnicodeString path;
  if (auto* sd = dynamic_cast<TRVTextSavingData*>(SavingData)) path = sd->Path;
  return ev->OnSaveComponentToFile(path, Control, ARVData, ItemNo, rvsfText);
}

// ---- properties ---------------------------------------------------------------------------------------

bool TRVControlItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) {
  switch (Prop) {
    case rvepMinHeightOnPage: FMinHeightOnPage = Value; return true;
    case rvepResizable: FResizable = Value != 0; return true;
    case rvepVisible:
      FVisible = Value != 0;
      if (Control && Control->GetParent()) Control->SetVisible(FVisible);
      return true;
    case rvepShared: FShared = Value != 0; return true;
    default: return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVControlItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
  switch (Prop) {
    case rvepMinHeightOnPage: Value = FMinHeightOnPage; return true;
    case rvepResizable: Value = FResizable; return true;
    case rvepVisible: Value = FVisible; return true;
    case rvepShared: Value = FShared; return true;
    default: return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

bool TRVControlItemInfo::SetExtraIntPropertyEx(int Prop, int Value) {
  if (Prop == 200) {
    PercentWidth = Value;
    return true;
  }
  if (Prop == 201) {
    FDPIScalable = Value != 0;
    return true;
  }
  return TRVRectItemInfo::SetExtraIntPropertyEx(Prop, Value);
}

bool TRVControlItemInfo::GetExtraIntPropertyEx(int Prop, int& Value) {
  if (Prop == 200) {
    Value = PercentWidth;
    return true;
  }
  if (Prop == 201) {
    Value = FDPIScalable;
    return true;
  }
  return TRVRectItemInfo::GetExtraIntPropertyEx(Prop, Value);
}

bool TRVControlItemInfo::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  if (PropName != "percentwidth" && PropName != "dpiscalable") return false;
  const int v = StrToIntDef(Value, 0);
  return SetExtraIntPropertyEx(PropName == "percentwidth" ? 200 : 201, v);
}

int TRVControlItemInfo::GetRVFExtraPropertyCount() {
  return TRVRectItemInfo::GetRVFExtraPropertyCount() + (FMinHeightOnPage > 0) + FResizable + !FVisible + FShared +
         (PercentWidth != 0) + !FDPIScalable;
}

void TRVControlItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVRectItemInfo::SaveRVFExtraProperties(Stream);
  if (FMinHeightOnPage > 0) WriteRVFExtraIntProperty(Stream, rvepMinHeightOnPage, FMinHeightOnPage);
  if (FResizable) WriteRVFExtraIntProperty(Stream, rvepResizable, 1);
  if (!FVisible) WriteRVFExtraIntProperty(Stream, rvepVisible, 0);
  if (FShared) WriteRVFExtraIntProperty(Stream, rvepShared, 1);
  if (PercentWidth != 0) WriteRVFExtraCustomStrProperty(Stream, "percentwidth", IntToStr(PercentWidth));
  if (!FDPIScalable) WriteRVFExtraCustomStrProperty(Stream, "dpiscalable", u"0");
}

// ---- RVF record ---------------------------------------------------------------------------------------

void TRVControlItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo,
                                 const TRVUnicodeString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev,
                                 const TRVScreenAndDevice*) {
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  const TRVFOptions opts = rp ? rp->RVFOptions : TRVFOptions{rvfoSaveControlsBody, rvfoSaveBinary};
  const bool body = opts.Contains(rvfoSaveControlsBody) && Control;
  const bool binary = opts.Contains(rvfoSaveBinary);
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string((body ? 3 : 1) + GetRVFExtraPropertyCount()) +
                           " " + RVFItemParaRef(ARVData, AParaNo, ForceSameAsPrev) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, ForceSameAsPrev)) + " " +
                           std::to_string(body ? (binary ? 2 : 0) : 1) + " " + EncodeRVFStringField(pchars, Tag) +
                           " " + GetRVFHeaderTailText(ARVData));
  WriteRVFLine(Stream, EncodeRVFString(Name));
  if (!body) {
    SaveRVFExtraProperties(Stream);
    return;
  }
  TRVRawByteString cls;
  for (char16_t c : Control->ClassName()) cls += static_cast<char>(c & 0xFF);
  WriteRVFLine(Stream, cls);
  SaveRVFExtraProperties(Stream);
  if (ARVData) ARVData->ControlAction(ARVData, rvcaBeforeRVFSave, ItemNo, this);
  if (binary)
    WriteControlWithSize(Stream, Control);
  else
    WriteRVFLine(Stream, ControlToHex(Control));
  if (ARVData) ARVData->ControlAction(ARVData, rvcaAfterRVFSave, ItemNo, this);
}

bool TRVControlItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                     int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                     TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  TRVDataRootProperties* rp = ARVData ? ARVData->GetRootProperties() : nullptr;
  const TRVFOptions opts = rp ? rp->RVFOptions : TRVFOptions{};
  if (LineNo == 0) {
    Name = DecodeRVFString(s, UTF8Strings, st ? st->DefCodePage : 0);
    if (ReadType == 1) {
      TRVDataRootEvents* ev = ARVData ? ARVData->GetRootEvents() : nullptr;
      if (ev && ev->OnRVFControlNeeded)
        if (auto* c = dynamic_cast<TControl*>(ev->OnRVFControlNeeded(Name, Tag)))
          SetControl(std::unique_ptr<TControl>(c), ARVData);
    }
  } else if (ReadType == 1) {
    TRVRectItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState, UTF8Strings,
                                 AssStyleNameUsed);
  } else if (LineNo == 1) {
    FClassName = s;
  } else if (LineNo == LineCount - 1) {
    TCustomRVData* root = ARVData ? ARVData->GetAbsoluteRootData() : nullptr;
    const bool hadSkip = root && root->State.Contains(rvstSkipFormatting);
    if (root) root->State.Include(rvstSkipFormatting);
    std::unique_ptr<TComponent> comp;
    const TRVUnicodeString cls(FClassName.begin(), FClassName.end());
    TReaderError onError;
    if (opts.Contains(rvfoIgnoreUnknownCtrlProperties))
      onError = [](TReader&, const UnicodeString&, bool& handled) { handled = true; };
    bool ok = false;
    const bool known = GetClass(cls) != nullptr;
    if (known) {
      try {
        ok = ReadType == 2 ? LoadControlFromBinaryString(s, comp, cls, onError, nullptr)
                           : LoadControlFromHex(s, comp, cls, onError, nullptr);
      } catch (...) {
        RVRethrowUnlessDataError();
        ok = false;
      }
    }
    if (root && !hadSkip) root->State.Exclude(rvstSkipFormatting);
    auto* c = dynamic_cast<TControl*>(comp.get());
    if (c) {
      comp.release();
      SetControl(std::unique_ptr<TControl>(c), ARVData);
    }
    ReadState = rstSkip;
    if (!Control) {
      if (rp) rp->RVFWarnings.Include(rvfwUnknownCtrls);
      if (!opts.Contains(rvfoIgnoreUnknownCtrls)) return false;
      return true;
    }
    return ok || opts.Contains(rvfoIgnoreUnknownCtrls);
  } else {
    TRVRectItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState, UTF8Strings,
                                 AssStyleNameUsed);
  }
  if (ReadType == 2 && LineNo == LineCount - 2) ReadMode = rmBeforeBinary;
  return true;
}
