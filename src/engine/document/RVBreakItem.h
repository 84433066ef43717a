// The horizontal line: a full-width item on a line of its own, drawn as a line, an outlined bar,
// a 3D groove, or a dotted or dashed line of a given thickness and colour.
#pragma once

#include "engine/document/RVNonTextItems.h"

enum TRVBreakStyle : std::uint8_t { rvbsLine, rvbsRectangle, rvbs3d, rvbsDotted, rvbsDashed };

class TRVBreakItemInfo : public TRVFullLineItemInfo {
  TAVRELO_ITEM_CLASS(TRVBreakItemInfo)
 public:
  explicit TRVBreakItemInfo(TCustomRVData* ARVData);
  TRVBreakItemInfo(TCustomRVData* ARVData, TRVStyleLength ALineWidth, TRVBreakStyle AStyle, TColor AColor);

  void Assign(TPersistent* Source) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                        const TRVDocWidthChangeStates& State) override;
  void PaintFullWidth(int Left, int Right, int Top, TCanvas* Canvas, const TRVItemDrawStates& State, TRVStyle* AStyle,
                      const TRect& ClipRect, TCustomRVData* ARVData, TRVDrawLineInfo* dli, int ExtraX, int ExtraY,
                      TRVPaintItemPart* PaintPart, bool ForMetafile) override;
  void Print(TCanvas* Canvas, int X, int Y, int x2, bool Printing, bool Preview, bool Correction,
             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode, TCustomRVData* ARVData,
             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) override;
  TRVUnicodeString AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                          TObject* SavingData) override;
  TRVRawByteString GetRVFHeaderTailText(TCustomRVData* ARVData) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  void FillRTFTables(TCustomRVRTFTables* RTFTables, TRVIntegerList* ListOverrideCountList,
                     TCustomRVData* ARVData) override;
  void SaveToHTML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                  const TRVUnicodeString& Path, const TRVUnicodeString& imgSavePrefix, int& imgSaveNo,
                  TColor CurrentFileColor, const TRVSaveOptions& SaveOptions, bool UseCSS, TRVList* Bullets,
                  TRVHTMLListCSSList* ListBullets) override;
  void SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                 bool HiddenParent) override;

  TRVStyleLength LineWidth = 1;
  TRVBreakStyle Style = rvbsLine;
  TColor Color = clNone;

 private:
  TColor ActualColor(TRVStyle* st) const;
};

// Width nested frames (at least 1): left and top edges in TopLeftColor, right and bottom in
// BottomRightColor while the rectangle is at least Width high.
void DrawBevelFrame(TCanvas* Canvas, TRect Rect, TColor TopLeftColor, TRVGraphicInterface* GraphicInterface, int Width,
                    TColor BottomRightColor);
