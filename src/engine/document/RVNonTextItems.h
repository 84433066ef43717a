// Items that are not text runs: the non-text base (deletion protection, hiding, size), items that
// occupy a whole line, simple inline rectangles (tabs, list markers) and rectangular items with
// placement, shift, padding, border, background and outer spacing (pictures, controls, bullets,
// labels), with the decorations they paint and their CSS and HTML attributes.
#pragma once

#include "engine/document/RVItem.h"

class TRVNonTextItemInfo : public TCustomRVItemInfo {
  TAVRELO_ITEM_CLASS(TRVNonTextItemInfo)
 public:
  using TCustomRVItemInfo::TCustomRVItemInfo;

  virtual int GetLeftOverhang() { return 0; }
  virtual void AdjustInserted(int /*X*/, int /*Y*/, bool /*adjusty*/, TCustomRVData* /*ARVData*/) {}
  virtual int GetHeight(TRVStyle* /*ARVStyle*/) { return 0; }
  virtual int GetWidth(TRVStyle* /*ARVStyle*/) { return 0; }
  virtual int GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad);
  virtual int GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad);
  virtual bool HasThumbnail() { return false; }
  virtual void FreeThumbnail() {}

  void Assign(TPersistent* Source) override;
  bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) override;
  bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;

  bool DeleteProtect = false;
  bool Hidden = false;
};

class TRVFullLineItemInfo : public TRVNonTextItemInfo {
  TAVRELO_ITEM_CLASS(TRVFullLineItemInfo)
 public:
  using TRVNonTextItemInfo::TRVNonTextItemInfo;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
};

// What the other units need of a table (kind -60), which derives from this class in its own
// library: its selected cells and its position in the document.
class TRVCustomTableItemInfo : public TRVFullLineItemInfo {
 public:
  using TRVFullLineItemInfo::TRVFullLineItemInfo;
  virtual void GetSelectionBounds(int& StartRow, int& StartCol, int& RowOffs, int& ColOffs) = 0;
  virtual void Select(int StartRow, int StartCol, int RowOffs, int ColOffs) = 0;
  virtual int GetMyItemNo() = 0;
};

class TRVSimpleRectItemInfo : public TRVNonTextItemInfo {
  TAVRELO_ITEM_CLASS(TRVSimpleRectItemInfo)
 public:
  using TRVNonTextItemInfo::TRVNonTextItemInfo;
};

class TRVRectItemInfo : public TRVSimpleRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVRectItemInfo)
 public:
  explicit TRVRectItemInfo(TCustomRVData* ARVData);

  void Assign(TPersistent* Source) override;
  TRVStyleLength GetBorderWidth() const override { return Spacing + BorderWidth + OuterHSpacing; }
  TRVStyleLength GetBorderHeight() const override { return Spacing + BorderWidth + OuterVSpacing; }
  TRVStyleLength GetPadding() const override { return Spacing; }
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) override;
  TRVRawByteString GetRVFHeaderTailText(TCustomRVData* ARVData) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;
  bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) override;
  bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;

  // Background, border, current-item frame and hidden mark around the draw item at (X, Y).
  void PaintDef(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
                TCustomRVData* ARVData, bool PaintBackground);
  virtual void AppendCSSProperties(TRVStyle* ARVStyle, bool NoPadding, TRVAnsiString& CSS, bool NoBackground);
  void GetCSSVShift(TRVStyle* ARVStyle, TRVAnsiString& CSS);
  void GetCSSVAlign(TRVAnsiString& CSS);
  TRVAnsiString GetHTMLImgAttributes(TRVStyle* ARVStyle, bool UseCSS, bool NoBackground, bool PaddingInSize,
                                     const TRVUnicodeString& Alt, const TRVSaveOptions& SaveOptions,
                                     bool NoHTMLImageSize);
  static TRVAnsiString GetHTMLAlignAttr(TRVVAlign VAlign, const TRVSaveOptions& SaveOptions, bool UseCSS);

  int FMinHeightOnPage = 0;
  TRVVAlign VAlign = rvvaBaseline;
  int VShift = 0;
  bool VShiftAbs = false;
  TRVStyleLength Spacing = 1;
  TRVStyleLength BorderWidth = 0;
  TRVStyleLength OuterHSpacing = 0;
  TRVStyleLength OuterVSpacing = 0;
  TColor BackgroundColor = clNone;
  TColor BorderColor = 0;
};

// The text style an item with an associated text style is measured and drawn in: its own style
// number when not negative, else the associated one; the paragraph default for
// StyleNoFromParagraph (0 when that is negative); then the style template mapping, which is
// stored into the item when it changes the number, unless the item takes the paragraph default.
int RVResolveItemTextStyle(TCustomRVItemInfo* Item, TCustomRVData* ARVData);

// rvbpJump, rvbpAllowsFocus, rvbpXORFocus and rvbpHotColdJump of an item drawn in a text style:
// whether that style is a link (and, for hot-cold, also hover-sensitive); false without a style sheet.
bool RVTextStyleJumpValue(const TCustomRVItemInfo* Item, TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle);
