// Control items: a live platform control embedded in the text, parented to the document's window
// when there is one, stored in RVF through component streaming and printed as an image of itself.
#pragma once

#include <memory>

#include "engine/document/RVNonTextItems.h"

class TControl;
class TWinControl;

class TRVControlItemInfo : public TRVRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVControlItemInfo)
 public:
  explicit TRVControlItemInfo(TCustomRVData* ARVData);
  // Takes ownership of AControl unless the item is made shared afterwards.
  TRVControlItemInfo(TCustomRVData* ARVData, TControl* AControl, TRVVAlign AVAlign);
  ~TRVControlItemInfo() override;

  void Assign(TPersistent* Source) override;
  bool OwnsControl(TObject* AControl) override;
  int GetImageWidth(TRVStyle* ARVStyle) override;
  int GetImageHeight(TRVStyle* ARVStyle) override;
  int GetWidth(TRVStyle* ARVStyle) override;
  int GetHeight(TRVStyle* ARVStyle) override;
  int GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  void AdjustInserted(int X, int Y, bool adjusty, TCustomRVData* ARVData) override;
  void Inserting(TCustomRVData* ARVData, TRVUnicodeString& AText, bool Safe) override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) override;
  void Hiding() override;
  void Unhiding(TCustomRVData* ARVData) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                        const TRVDocWidthChangeStates& State) override;
  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;
  // Draws an image of the control into Bkgnd, a TBitmap; false for an invisible control.
  bool PrintToBitmap(TObject* Bkgnd, bool Preview, TCustomRVData* ARVData, int DItemNo, TRVMultiDrawItemPart* Part,
                     TRVColorMode ColorMode) override;
  TRVUnicodeString AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                          TObject* SavingData) override;

  bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) override;
  bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;

  // The new control is hidden and parented to the document's window (when there is one).
  void SetControl(std::unique_ptr<TControl> AControl, TCustomRVData* ARVData);

  bool FResizable = false;
  bool FVisible = true;
  bool FShared = false;
  bool FDPIScalable = true;
  TControl* Control = nullptr;  // owned unless FShared
  int PercentWidth = 0;

 private:
  bool ValidPercent() const { return PercentWidth >= 1 && PercentWidth <= 100; }
  static TWinControl* ParentWindow(TCustomRVData* ARVData);
  TRVRawByteString FClassName;
};
