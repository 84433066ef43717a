#include "engine/styles/RVStyle.h"

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/StyleTemplate.h"

TRVStyle::TRVStyle(TComponent* AOwner) : TComponent(AOwner) {}

TFontInfos* TRVStyle::TextStyles() const {
  if (!FTextStyles) FTextStyles = std::make_unique<TFontInfos>(GetTextStyleClass(), const_cast<TRVStyle*>(this));
  return FTextStyles.get();
}

TParaInfos* TRVStyle::ParaStyles() const {
  if (!FParaStyles) FParaStyles = std::make_unique<TParaInfos>(GetParaStyleClass(), const_cast<TRVStyle*>(this));
  return FParaStyles.get();
}

TRVListInfos* TRVStyle::ListStyles() const {
  if (!FListStyles) FListStyles = std::make_unique<TRVListInfos>(GetListStyleClass(), const_cast<TRVStyle*>(this));
  return FListStyles.get();
}

TRVStyleTemplateCollection* TRVStyle::StyleTemplates() const {
  if (!FStyleTemplates)
    FStyleTemplates = std::make_unique<TRVStyleTemplateCollection>(const_cast<TRVStyle*>(this));
  return FStyleTemplates.get();
}

TRVStyle::~TRVStyle() {
  // Templates look at the sheet while they go; they leave first.
  FStyleTemplates.reset();
  FListStyles.reset();
  FParaStyles.reset();
  FTextStyles.reset();
}

const TClassInfo& TRVStyle::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVStyle>(u"TRVStyle", &inherited::StaticClassInfo())
          .Object(u"TextStyles", [](TRVStyle& s) -> TPersistent* { return s.TextStyles(); })
          .Object(u"ParaStyles", [](TRVStyle& s) -> TPersistent* { return s.ParaStyles(); })
          .Object(u"ListStyles", [](TRVStyle& s) -> TPersistent* { return s.ListStyles(); })
          .Object(u"StyleTemplates", [](TRVStyle& s) -> TPersistent* { return s.StyleTemplates(); })
          .Build();
  return info;
}

TCollectionItemClass TRVStyle::GetTextStyleClass() const { return &NewCollectionItem<TFontInfo>; }
TCollectionItemClass TRVStyle::GetParaStyleClass() const { return &NewCollectionItem<TParaInfo>; }
TCollectionItemClass TRVStyle::GetListStyleClass() const { return &NewCollectionItem<TRVListInfo>; }

void TRVStyle::Loaded() {
  TComponent::Loaded();
  StyleTemplates()->UpdateReferences();
}

namespace {
TRVStyleLength ScaleRounded(TRVStyleLength Value, int Num, int Den) {
  return static_cast<TRVStyleLength>(Round(static_cast<long double>(Value) * Num / Den));
}
}  // namespace

TRVStyleLength TRVStyle::PixelsToTwips(TRVStyleLength Value) {
  return ScaleRounded(Value, 1440, GetScreenPixelsPerInch());
}

TRVStyleLength TRVStyle::TwipsToPixels(TRVStyleLength Value) {
  TRVStyleLength r = ScaleRounded(Value, GetScreenPixelsPerInch(), 1440);
  if (r == 0 && Value != 0) r = Value > 0 ? 1 : -1;
  return r;
}

TRVStyleLength TRVStyle::GetAsPixels(TRVStyleLength Value, int MinNonZeroValue) const {
  if (Units == rvstuPixels) return Value;
  TRVStyleLength r = ScaleRounded(Value, GetScreenPixelsPerInch(), 1440);
  if (r == 0 && Value != 0) r = Value > 0 ? MinNonZeroValue : -MinNonZeroValue;
  return r;
}

namespace {
int DevicePixels(const TRVStyle& s, TRVStyleLength Value, int ScreenPPI, int DevicePPI, int MinNonZeroValue) {
  if (s.Units == rvstuPixels) return ScreenPPI > 0 ? ScaleRounded(Value, DevicePPI, ScreenPPI) : Value;
  int r = ScaleRounded(Value, DevicePPI, 1440);
  if (r == 0 && Value != 0) r = Value > 0 ? MinNonZeroValue : -MinNonZeroValue;
  return r;
}
}  // namespace

int TRVStyle::GetAsDevicePixelsX(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue) const {
  if (!PSaD) return GetAsPixels(Value, 1);
  return DevicePixels(*this, Value, PSaD->ppixScreen, PSaD->ppixDevice, MinNonZeroValue);
}

int TRVStyle::GetAsDevicePixelsY(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue) const {
  if (!PSaD) return GetAsPixels(Value, 1);
  return DevicePixels(*this, Value, PSaD->ppiyScreen, PSaD->ppiyDevice, MinNonZeroValue);
}

TRVStyleLength TRVStyle::GetAsTwips(TRVStyleLength Value) const {
  return Units == rvstuTwips ? Value : PixelsToTwips(Value);
}

TRVStyleLength TRVStyle::GetAsDifferentUnits(TRVStyleLength Value, TRVStyleUnits NewUnits) const {
  return NewUnits == rvstuTwips ? GetAsTwips(Value) : GetAsPixels(Value, 1);
}

TRVStyleLength TRVStyle::PixelsToUnits(TRVStyleLength Value) const {
  return Units == rvstuPixels ? Value : PixelsToTwips(Value);
}

long double TRVStyle::GetAsPoints(TRVStyleLength Value) const {
  if (Units == rvstuTwips) return static_cast<long double>(Value) / 20;
  return static_cast<long double>(Value) / GetScreenPixelsPerInch() * 72;
}

TRVAnsiString TRVStyle::GetCSSSize(TRVStyleLength Value) const {
  if (Units == rvstuTwips) return GetCSSSizeInPoints(Value);
  return std::to_string(GetAsPixels(Value, 1)) + "px";
}

TRVAnsiString PointsToCSSText(long double Value) {
  if (Value < 0) return "-" + PointsToCSSText(-Value);
  auto whole = static_cast<std::int64_t>(Value);
  auto hundredths = static_cast<int>(Round((Value - static_cast<long double>(whole)) * 100));
  if (hundredths >= 100) {  // 12.999 is 13pt, not "12.100pt"
    ++whole;
    hundredths -= 100;
  }
  TRVAnsiString r = std::to_string(whole);
  if (hundredths != 0) {
    r += '.';
    r += static_cast<char>('0' + hundredths / 10);
    if (hundredths % 10 != 0) r += static_cast<char>('0' + hundredths % 10);
  }
  return r + "pt";
}

TRVStyleLength RVConvertStyleLength(const TRVStyle* Sheet, TRVStyleLength Value, TRVStyleUnits NewUnits) {
  if (Sheet) return Sheet->GetAsDifferentUnits(Value, NewUnits);
  return NewUnits == rvstuTwips ? TRVStyle::PixelsToTwips(Value) : TRVStyle::TwipsToPixels(Value);
}
