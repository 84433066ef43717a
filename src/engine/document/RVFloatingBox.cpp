#include "engine/document/RVFloatingBox.h"

#include <algorithm>

#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"

namespace {

struct TBoxPropName {
  int No;
  const char* Name;  // after the prefix "box"
  int Default;
};

const TBoxPropName BoxPropertyNames[] = {
    {600, "width", 100},       {601, "height", 100},        {602, "widthtype", 0},
    {603, "heighttype", 5},    {604, "bordercolor", static_cast<int>(clWindowText)},
    {605, "borderwidth", 1},   {606, "borderiwidth", 1},    {607, "borderstyle", 1},
    {608, "vb_left", 1},       {609, "vb_top", 1},          {610, "vb_right", 1},
    {611, "vb_bottom", 1},     {612, "bo_left", 10},        {613, "bo_top", 5},
    {614, "bo_right", 10},     {615, "bo_bottom", 5},       {616, "color", static_cast<int>(clWindow)},
    {617, "padding_left", 10}, {618, "padding_top", 5},     {619, "padding_right", 10},
    {620, "padding_bottom", 5}, {621, "contentvalign", 0},  {622, "opacity", 100000},
};
const int BoxSaveOrder[] = {600, 601, 621, 602, 603, 604, 605, 606, 607, 608, 609, 610,
                            611, 612, 613, 614, 615, 616, 622, 617, 618, 619, 620};

const TBoxPropName PositionPropertyNames[] = {
    {500, "hanchor", 0}, {501, "hposkind", 1}, {502, "hoffs", 0},  {503, "halign", 0},    {504, "vanchor", 0},
    {505, "vposkind", 1}, {506, "voffs", 0},   {507, "valign", 0}, {508, "reltocell", 1}, {509, "posintext", 0},
};
const int PositionSaveOrder[] = {500, 501, 503, 502, 504, 505, 507, 506, 509, 508};

template <std::size_t N>
const TBoxPropName* FindByNo(const TBoxPropName (&Table)[N], int No) {
  for (const TBoxPropName& p : Table)
    if (p.No == No) return &p;
  return nullptr;
}

template <std::size_t N>
const TBoxPropName* FindByName(const TBoxPropName (&Table)[N], const TRVRawByteString& Name) {
  if (Name.compare(0, 3, "box") != 0) return nullptr;
  for (const TBoxPropName& p : Table)
    if (Name.compare(3, TRVRawByteString::npos, p.Name) == 0) return &p;
  return nullptr;
}

// A value of an enumeration stored from a file: out-of-range values are refused.
template <typename E>
bool SetEnum(E& Field, int Value, int Count) {
  if (Value < 0 || Value >= Count) return false;
  Field = static_cast<E>(Value);
  return true;
}

int TotalPadding(const TRVStyle* RVStyle, TRVStyleLength Padding, TRVStyleLength BorderOffset, TRVStyleLength Width) {
  auto px = [RVStyle](TRVStyleLength v) { return RVStyle ? RVStyle->GetAsPixels(v) : v; };
  const int pad = std::max(0, px(Padding));
  const int off = std::max(0, px(BorderOffset));
  return std::max(pad, off + px(Width));
}

}  // namespace

// ---- box properties ---------------------------------------------------------------------------------

void TRVBoxProperties::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVBoxProperties*>(Source)) {
    Border.Assign(&s->Border);
    Background.Assign(&s->Background);
    Width = s->Width;
    Height = s->Height;
    WidthType = s->WidthType;
    HeightType = s->HeightType;
    return;
  }
  TPersistent::Assign(Source);
}

int TRVBoxProperties::GetTotalLeftPadding(const TRVStyle* RVStyle) {
  const TRVStyleLength w = Border.Style == rvbNone ? 0 : Border.GetTotalWidth();
  return TotalPadding(RVStyle, Background.BorderOffsets()->Left, Border.BorderOffsets()->Left, w);
}
int TRVBoxProperties::GetTotalRightPadding(const TRVStyle* RVStyle) {
  const TRVStyleLength w = Border.Style == rvbNone ? 0 : Border.GetTotalWidth();
  return TotalPadding(RVStyle, Background.BorderOffsets()->Right, Border.BorderOffsets()->Right, w);
}
int TRVBoxProperties::GetTotalTopPadding(const TRVStyle* RVStyle) {
  const TRVStyleLength w = Border.Style == rvbNone ? 0 : Border.GetTotalWidth();
  return TotalPadding(RVStyle, Background.BorderOffsets()->Top, Border.BorderOffsets()->Top, w);
}
int TRVBoxProperties::GetTotalBottomPadding(const TRVStyle* RVStyle) {
  const TRVStyleLength w = Border.Style == rvbNone ? 0 : Border.GetTotalWidth();
  return TotalPadding(RVStyle, Background.BorderOffsets()->Bottom, Border.BorderOffsets()->Bottom, w);
}

TRect TRVBoxProperties::GetInternalRect(const TRect& R, const TRVStyle* RVStyle) {
  return TRect(R.Left + GetTotalLeftPadding(RVStyle), R.Top + GetTotalTopPadding(RVStyle),
               R.Right - GetTotalRightPadding(RVStyle), R.Bottom - GetTotalBottomPadding(RVStyle));
}

void TRVBoxProperties::ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle) {
  if (!RVStyle) return;
  if (WidthType == rvbwtAbsolute) Width = RVStyle->GetAsDifferentUnits(Width, NewUnits);
  if (HeightType == rvbhtAbsolute) Height = RVStyle->GetAsDifferentUnits(Height, NewUnits);
  Border.ConvertToDifferentUnits(RVStyle, NewUnits);
  Background.BorderOffsets()->ConvertToDifferentUnits(RVStyle, NewUnits);
}

bool TRVBoxProperties::GetExtraIntPropertyEx(int Prop, int& Value) {
  TRVRect* bo = Border.BorderOffsets();
  TRVRect* pad = Background.BorderOffsets();
  TRVBooleanRect* vb = Border.VisibleBorders();
  switch (Prop) {
    case 600: Value = Width; break;
    case 601: Value = Height; break;
    case 602: Value = WidthType; break;
    case 603: Value = HeightType; break;
    case 604: Value = static_cast<int>(Border.Color); break;
    case 605: Value = Border.Width; break;
    case 606: Value = Border.InternalWidth; break;
    case 607: Value = Border.Style; break;
    case 608: Value = vb->Left; break;
    case 609: Value = vb->Top; break;
    case 610: Value = vb->Right; break;
    case 611: Value = vb->Bottom; break;
    case 612: Value = bo->Left; break;
    case 613: Value = bo->Top; break;
    case 614: Value = bo->Right; break;
    case 615: Value = bo->Bottom; break;
    case 616: Value = static_cast<int>(Background.Color); break;
    case 617: Value = pad->Left; break;
    case 618: Value = pad->Top; break;
    case 619: Value = pad->Right; break;
    case 620: Value = pad->Bottom; break;
    case 621: Value = VAlign; break;
    case 622: Value = Background.Opacity; break;
    default: return false;
  }
  return true;
}

bool TRVBoxProperties::SetExtraIntPropertyEx(int Prop, int Value) {
  TRVRect* bo = Border.BorderOffsets();
  TRVRect* pad = Background.BorderOffsets();
  TRVBooleanRect* vb = Border.VisibleBorders();
  switch (Prop) {
    case 600: Width = Value; break;
    case 601: Height = Value; break;
    case 602: SetEnum(WidthType, Value, 7); break;
    case 603: SetEnum(HeightType, Value, 6); break;
    case 604: Border.Color = static_cast<TColor>(Value); break;
    case 605: Border.Width = Value; break;
    case 606: Border.InternalWidth = Value; break;
    case 607: SetEnum(Border.Style, Value, 6); break;
    case 608: vb->Left = Value != 0; break;
    case 609: vb->Top = Value != 0; break;
    case 610: vb->Right = Value != 0; break;
    case 611: vb->Bottom = Value != 0; break;
    case 612: bo->Left = Value; break;
    case 613: bo->Top = Value; break;
    case 614: bo->Right = Value; break;
    case 615: bo->Bottom = Value; break;
    case 616: Background.Color = static_cast<TColor>(Value); break;
    case 617: pad->Left = Value; break;
    case 618: pad->Top = Value; break;
    case 619: pad->Right = Value; break;
    case 620: pad->Bottom = Value; break;
    case 621: SetEnum(VAlign, Value, 3); break;
    case 622: Background.Opacity = Value; break;
    default: return false;
  }
  return true;
}

TRVReformatType TRVBoxProperties::GetExtraIntPropertyReformat(int Prop) {
  switch (Prop) {
    case 604: case 608: case 609: case 610: case 611: case 616: case 622: return rvrfSRVRepaint;
    default: return rvrfSRVReformat;
  }
}

bool TRVBoxProperties::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  const TBoxPropName* p = FindByName(BoxPropertyNames, PropName);
  if (!p) return false;
  SetExtraIntPropertyEx(p->No, StrToInt(Value));
  return true;
}

int TRVBoxProperties::GetChangedPropertyCount() {
  int n = 0;
  for (const TBoxPropName& p : BoxPropertyNames) {
    int v = 0;
    GetExtraIntPropertyEx(p.No, v);
    n += v != p.Default;
  }
  return n;
}

void TRVBoxProperties::SaveRVFExtraProperties(TStream* Stream) {
  for (int no : BoxSaveOrder) {
    const TBoxPropName* p = FindByNo(BoxPropertyNames, no);
    int v = 0;
    GetExtraIntPropertyEx(no, v);
    if (v != p->Default) WriteRVFExtraCustomIntProperty(Stream, TRVRawByteString("box") + p->Name, v);
  }
}

// ---- box position -----------------------------------------------------------------------------------

void TRVBoxPosition::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVBoxPosition*>(Source)) {
    HorizontalAnchor = s->HorizontalAnchor;
    VerticalAnchor = s->VerticalAnchor;
    HorizontalPositionKind = s->HorizontalPositionKind;
    VerticalPositionKind = s->VerticalPositionKind;
    HorizontalOffset = s->HorizontalOffset;
    VerticalOffset = s->VerticalOffset;
    HorizontalAlignment = s->HorizontalAlignment;
    VerticalAlignment = s->VerticalAlignment;
    PositionInText = s->PositionInText;
    RelativeToCell = s->RelativeToCell;
    return;
  }
  TPersistent::Assign(Source);
}

void TRVBoxPosition::ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle) {
  if (!RVStyle) return;
  if (HorizontalPositionKind == rvfpkAbsPosition)
    HorizontalOffset = RVStyle->GetAsDifferentUnits(HorizontalOffset, NewUnits);
  if (VerticalPositionKind == rvfpkAbsPosition) VerticalOffset = RVStyle->GetAsDifferentUnits(VerticalOffset, NewUnits);
}

bool TRVBoxPosition::GetExtraIntPropertyEx(int Prop, int& Value) {
  switch (Prop) {
    case 500: Value = HorizontalAnchor; break;
    case 501: Value = HorizontalPositionKind; break;
    case 502: Value = HorizontalOffset; break;
    case 503: Value = HorizontalAlignment; break;
    case 504: Value = VerticalAnchor; break;
    case 505: Value = VerticalPositionKind; break;
    case 506: Value = VerticalOffset; break;
    case 507: Value = VerticalAlignment; break;
    case 508: Value = RelativeToCell; break;
    case 509: Value = PositionInText; break;
    default: return false;
  }
  return true;
}

bool TRVBoxPosition::SetExtraIntPropertyEx(int Prop, int Value) {
  switch (Prop) {
    case 500: SetEnum(HorizontalAnchor, Value, 7); break;
    case 501: SetEnum(HorizontalPositionKind, Value, 3); break;
    case 502: HorizontalOffset = Value; break;
    case 503: SetEnum(HorizontalAlignment, Value, 3); break;
    case 504: SetEnum(VerticalAnchor, Value, 6); break;
    case 505: SetEnum(VerticalPositionKind, Value, 3); break;
    case 506: VerticalOffset = Value; break;
    case 507: SetEnum(VerticalAlignment, Value, 3); break;
    case 508: RelativeToCell = Value != 0; break;
    case 509: SetEnum(PositionInText, Value, 2); break;
    default: return false;
  }
  return true;
}

TRVReformatType TRVBoxPosition::GetExtraIntPropertyReformat(int) { return rvrfSRVReformat; }

bool TRVBoxPosition::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  const TBoxPropName* p = FindByName(PositionPropertyNames, PropName);
  if (!p) return false;
  SetExtraIntPropertyEx(p->No, StrToInt(Value));
  return true;
}

int TRVBoxPosition::GetChangedPropertyCount() {
  int n = 0;
  for (const TBoxPropName& p : PositionPropertyNames) {
    int v = 0;
    GetExtraIntPropertyEx(p.No, v);
    n += v != p.Default;
  }
  return n;
}

void TRVBoxPosition::SaveRVFExtraProperties(TStream* Stream) {
  for (int no : PositionSaveOrder) {
    const TBoxPropName* p = FindByNo(PositionPropertyNames, no);
    int v = 0;
    GetExtraIntPropertyEx(no, v);
    if (v != p->Default) WriteRVFExtraCustomIntProperty(Stream, TRVRawByteString("box") + p->Name, v);
  }
}
