// Floating boxes (sidenotes, text boxes): their appearance (size, border, padding, background,
// vertical alignment of the content) and their placement (anchors, position kinds, offsets,
// alignments, in front of or behind the text). Both are stored in RVF as named integer
// properties of the item and reached through the numbered extra properties 600-622 and 500-509.
#pragma once

#include "engine/document/RVItem.h"
#include "engine/styles/RVBorder.h"

class TStream;
class TRVStyle;

enum TRVTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
enum TRVBoxWidthType : std::uint8_t {
  rvbwtAbsolute, rvbwtRelPage, rvbwtRelMainTextArea, rvbwtRelLeftMargin, rvbwtRelRightMargin, rvbwtRelInnerMargin,
  rvbwtRelOuterMargin
};
enum TRVBoxHeightType : std::uint8_t {
  rvbhtAbsolute, rvbhtRelPage, rvbhtRelMainTextArea, rvbhtRelTopMargin, rvbhtRelBottomMargin, rvbhtAuto
};
enum TRVHorizontalAnchor : std::uint8_t {
  rvhanCharacter, rvhanPage, rvhanMainTextArea, rvhanLeftMargin, rvhanRightMargin, rvhanInnerMargin, rvhanOuterMargin
};
enum TRVVerticalAnchor : std::uint8_t {
  rvvanLine, rvvanParagraph, rvvanPage, rvvanMainTextArea, rvvanTopMargin, rvvanBottomMargin
};
enum TRVFloatPositionKind : std::uint8_t { rvfpkAlignment, rvfpkAbsPosition, rvfpkPercentPosition };
enum TRVFloatHorizontalAlignment : std::uint8_t { rvfphalLeft, rvfphalCenter, rvfphalRight };
enum TRVFloatVerticalAlignment : std::uint8_t { rvfpvalTop, rvfpvalCenter, rvfpvalBottom };
enum TRVFloatPositionInText : std::uint8_t { rvpitAboveText, rvpitBelowText };

// Padding of a box: 10 left and right, 5 top and bottom.
class TRVBoxPaddingRect : public TRVRect {
 public:
  TRVBoxPaddingRect() {
    Left = Right = 10;
    Top = Bottom = 5;
  }
};

class TRVBoxBorder : public TRVBorder {
 public:
  TRVBoxBorder() { Style = rvbSingle; }
  bool AllowNegativeOffsets() const override { return false; }

 protected:
  std::unique_ptr<TRVRect> CreateBorderOffsets() override { return std::make_unique<TRVBoxPaddingRect>(); }
};

class TRVBoxBackgroundRect : public TRVBackgroundRect {
 public:
  TRVBoxBackgroundRect() { Color = clWindow; }
  bool AllowNegativeOffsets() const override { return false; }

 protected:
  std::unique_ptr<TRVRect> CreateBorderOffsets() override { return std::make_unique<TRVBoxPaddingRect>(); }
};

class TRVBoxProperties : public TPersistent {
 public:
  TRVBoxProperties() = default;
  // Border, background, sizes and size types; VAlign stays.
  void Assign(TPersistent* Source) override;

  int GetTotalLeftPadding(const TRVStyle* RVStyle);
  int GetTotalRightPadding(const TRVStyle* RVStyle);
  int GetTotalTopPadding(const TRVStyle* RVStyle);
  int GetTotalBottomPadding(const TRVStyle* RVStyle);
  int GetMinWidth(const TRVStyle* RVStyle) { return GetTotalLeftPadding(RVStyle) + GetTotalRightPadding(RVStyle); }
  int GetMinHeight(const TRVStyle* RVStyle) { return GetTotalTopPadding(RVStyle) + GetTotalBottomPadding(RVStyle); }
  TRect GetInternalRect(const TRect& ExternalRect, const TRVStyle* RVStyle);
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle);

  // Numbered properties 600-622; false for other numbers.
  bool GetExtraIntPropertyEx(int Prop, int& Value);
  bool SetExtraIntPropertyEx(int Prop, int Value);
  TRVReformatType GetExtraIntPropertyReformat(int Prop);
  // A property by its RVF name ("boxwidth"); raises EConvertError on a value that is not a number.
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value);
  int GetChangedPropertyCount();
  void SaveRVFExtraProperties(TStream* Stream);

  TRVBoxBorder Border;
  TRVBoxBackgroundRect Background;
  int Width = 100;
  int Height = 100;
  TRVBoxWidthType WidthType = rvbwtAbsolute;
  TRVBoxHeightType HeightType = rvbhtAuto;
  TRVTextLayout VAlign = tlTop;
};

class TRVBoxPosition : public TPersistent {
 public:
  TRVBoxPosition() = default;
  void Assign(TPersistent* Source) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, const TRVStyle* RVStyle);

  // Numbered properties 500-509; false for other numbers.
  bool GetExtraIntPropertyEx(int Prop, int& Value);
  bool SetExtraIntPropertyEx(int Prop, int Value);
  TRVReformatType GetExtraIntPropertyReformat(int Prop);
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value);
  int GetChangedPropertyCount();
  void SaveRVFExtraProperties(TStream* Stream);

  TRVHorizontalAnchor HorizontalAnchor = rvhanCharacter;
  TRVVerticalAnchor VerticalAnchor = rvvanLine;
  TRVFloatPositionKind HorizontalPositionKind = rvfpkAbsPosition;
  TRVFloatPositionKind VerticalPositionKind = rvfpkAbsPosition;
  int HorizontalOffset = 0;
  int VerticalOffset = 0;
  TRVFloatHorizontalAlignment HorizontalAlignment = rvfphalLeft;
  TRVFloatVerticalAlignment VerticalAlignment = rvfpvalTop;
  TRVFloatPositionInText PositionInText = rvpitAboveText;
  bool RelativeToCell = true;
};
