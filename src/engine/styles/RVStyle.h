// The style sheet: owner of the text, paragraph and list styles and of the style templates, and
// the converter between its units and pixels or twips. This is the part of the sheet that the
// style collections rely on; the sheet's drawing, colours and events come with the sheet itself.
#pragma once

#include <memory>

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/base/Persistent.h"

// Options of the sheet's CSS writer.
enum TRVSaveCSSOption : std::uint8_t {
  rvcssOnlyDifference, rvcssIgnoreLeftAlignment, rvcssNoDefCSSStyle, rvcssUTF8, rvcssDefault0Style,
  rvcssMarkersAsText
};
using TRVSaveCSSOptions = TSet<TRVSaveCSSOption, 6>;

// Points as CSS text: "12pt", "12.5pt", "12.05pt", "-18.5pt".
TRVAnsiString PointsToCSSText(long double Value);

class TFontInfos;
class TParaInfos;
class TRVListInfos;
class TRVStyleTemplateCollection;

class TRVStyle : public TComponent {
  TAVRELO_PERSISTENT(TRVStyle, TComponent)
 public:
  explicit TRVStyle(TComponent* AOwner);
  ~TRVStyle() override;

  // Made on first use, when the item classes of a descendant sheet can be asked for.
  TFontInfos* TextStyles() const;
  TParaInfos* ParaStyles() const;
  TRVListInfos* ListStyles() const;
  TRVStyleTemplateCollection* StyleTemplates() const;

  // Item classes of the three collections; descendants may choose their own.
  virtual TCollectionItemClass GetTextStyleClass() const;
  virtual TCollectionItemClass GetParaStyleClass() const;
  virtual TCollectionItemClass GetListStyleClass() const;

  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  void Loaded() override;

  // Unit conversions (halves to even). Twips to pixels never turns a non-zero length into 0.
  TRVStyleLength GetAsPixels(TRVStyleLength Value, int MinNonZeroValue = 1) const;
  TRVStyleLength GetAsTwips(TRVStyleLength Value) const;
  // Device pixels of a print job (screen pixels without one).
  int GetAsDevicePixelsX(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue = 1) const;
  int GetAsDevicePixelsY(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue = 1) const;
  TRVStyleLength GetAsDifferentUnits(TRVStyleLength Value, TRVStyleUnits NewUnits) const;
  TRVStyleLength PixelsToUnits(TRVStyleLength Value) const;
  long double GetAsPoints(TRVStyleLength Value) const;
  // A length as CSS text: points for a sheet in twips, else pixels ("30px").
  TRVAnsiString GetCSSSize(TRVStyleLength Value) const;
  TRVAnsiString GetCSSSizeInPoints(TRVStyleLength Value) const { return PointsToCSSText(GetAsPoints(Value)); }
  static TRVStyleLength PixelsToTwips(TRVStyleLength Value);
  static TRVStyleLength TwipsToPixels(TRVStyleLength Value);

  TRVStyleUnits Units = rvstuPixels;
  // Set while the collections are streamed into a document: styles then leave their template
  // links out.
  bool IgnoreStyleTemplates = false;

 private:
  mutable std::unique_ptr<TFontInfos> FTextStyles;
  mutable std::unique_ptr<TParaInfos> FParaStyles;
  mutable std::unique_ptr<TRVListInfos> FListStyles;
  mutable std::unique_ptr<TRVStyleTemplateCollection> FStyleTemplates;
};

// Converts a length between units when no sheet is at hand.
TRVStyleLength RVConvertStyleLength(const TRVStyle* Sheet, TRVStyleLength Value,
                                    TRVStyleUnits NewUnits);
