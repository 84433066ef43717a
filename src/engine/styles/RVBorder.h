// What a paragraph style owns beside its plain values: the border with its offsets and visible
// sides, the background rectangle, and the tab stops kept sorted by position.
#pragma once

#include <memory>

#include "engine/foundation/RVFuncs.h"
#include "engine/styles/CustomRVInfo.h"

class TCanvas;
class TRVGraphicInterface;

class TRVRect : public TPersistent {
  TAVRELO_PERSISTENT(TRVRect, TPersistent)
 public:
  TRVRect() = default;
  static std::unique_ptr<TRVRect> CreateOwned(TPersistent* AOwner);
  TPersistent* GetOwner() const override { return FOwner; }

  void Assign(TPersistent* Source) override;
  void AssignValidProperties(TRVRect* Source, bool ValL, bool ValT, bool ValR, bool ValB);
  void SetAll(TRVStyleLength Value) { Left = Top = Right = Bottom = Value; }
  void AssignToRect(TRect& Rect) const { Rect = TRect(Left, Top, Right, Bottom); }
  void AssignToRectIfGreater(TRect& Rect) const;
  // Grows Rect by the offsets in screen pixels; negative offsets count as 0 unless allowed.
  void InflateRect(TRect& Rect, const TRVStyle* RVStyle, bool AllowNegativeValues) const;
  // The same in device pixels of a print job.
  void InflateRectSaD(TRect& Rect, const TRVStyle* RVStyle, const TRVScreenAndDevice& sad,
                      bool AllowNegativeValues) const;
  bool IsEqual(const TRVRect* Value) const;
  bool IsAllEqual(TRVStyleLength Value) const;
  bool IsEqualExcept(const TRVRect* Value, bool IgnoreL, bool IgnoreT, bool IgnoreR, bool IgnoreB) const;
  int SimilarityValue(const TRVRect* Value, int Weight, int Wht) const;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                 bool L, bool T, bool R, bool B) const;
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits);

  TRVStyleLength Top = 0, Left = 0, Right = 0, Bottom = 0;

 private:
  TPersistent* FOwner = nullptr;
};

class TRVBooleanRect : public TPersistent {
  TAVRELO_PERSISTENT(TRVBooleanRect, TPersistent)
 public:
  explicit TRVBooleanRect(bool DefValue = true) { SetAll(DefValue); }
  void SetAll(bool Value) { Left = Top = Right = Bottom = Value; }
  void SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom);
  void GetValues(bool& ALeft, bool& ATop, bool& ARight, bool& ABottom) const;
  void Assign(TPersistent* Source) override;
  void AssignValidProperties(TRVBooleanRect* Source, bool ValL, bool ValT, bool ValR, bool ValB);
  bool IsEqual(const TRVBooleanRect* Value) const;
  bool IsEqual2(bool ALeft, bool ATop, bool ARight, bool ABottom) const;
  bool IsAllEqual(bool Value) const;
  bool IsEqualExcept(const TRVBooleanRect* Value, bool IgnoreL, bool IgnoreT, bool IgnoreR, bool IgnoreB) const;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                 bool L, bool T, bool R, bool B) const;
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);

  bool Top = true, Left = true, Right = true, Bottom = true;
};

enum TRVBorderStyle : std::uint8_t {
  rvbNone, rvbSingle, rvbDouble, rvbTriple, rvbThickInside, rvbThickOutside
};

class TRVBorder : public TPersistent {
  TAVRELO_PERSISTENT(TRVBorder, TPersistent)
 public:
  explicit TRVBorder(TPersistent* AOwner = nullptr);
  ~TRVBorder() override;
  TPersistent* GetOwner() const override { return FOwner; }

  void Reset();
  void Assign(TPersistent* Source) override;
  bool IsEqual(TRVBorder* Value);
  bool IsEqual_Para(TRVBorder* Value, const TRVParaInfoProperties& IgnoreList);
  void AssignValidProperties(TRVBorder* Source, const TRVParaInfoProperties& ValidProperties);
  TRVStyleLength GetTotalWidth() const;
  // Paints the border around Rect (the text area) in screen pixels, or in the device pixels of
  // a print job (Rect is then in device pixels already).
  void Draw(const TRect& Rect, TCanvas* Canvas, const TRVStyle* RVStyle, TRVGraphicInterface* GraphicInterface,
            TRVColorMode ColorMode);
  void DrawSaD(const TRect& Rect, TCanvas* Canvas, const TRVStyle* RVStyle, const TRVScreenAndDevice& sad,
               TRVColorMode ColorMode, TRVGraphicInterface* GraphicInterface);
  int SimilarityValue(TRVBorder* Value, int Wht);
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                 const TRVParaInfoProperties& Properties);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits);

  TRVBooleanRect* VisibleBorders() const { return FVisibleBorders.get(); }
  void SetVisibleBorders(TRVBooleanRect* Value) { FVisibleBorders->Assign(Value); }
  TRVRect* BorderOffsets();
  void SetBorderOffsets(TRVRect* Value) { BorderOffsets()->Assign(Value); }
  // Whether negative offsets draw the border inside the text area.
  virtual bool AllowNegativeOffsets() const { return true; }

  TColor Color = clWindowText;
  TRVBorderStyle Style = rvbNone;
  TRVStyleLength Width = 1;
  TRVStyleLength InternalWidth = 1;

 protected:
  void DrawLines(TRect R, TCanvas* Canvas, TRVGraphicInterface* GraphicInterface, TRVColorMode ColorMode,
                 int WidthX, int WidthY, int InternalX, int InternalY);
  // Makes the offsets rectangle; descendants may make their own kind.
  virtual std::unique_ptr<TRVRect> CreateBorderOffsets();

 private:
  std::unique_ptr<TRVBooleanRect> FVisibleBorders;
  std::unique_ptr<TRVRect> FBorderOffsets;
  TPersistent* FOwner;
};

class TRVBackgroundRect : public TPersistent {
  TAVRELO_PERSISTENT(TRVBackgroundRect, TPersistent)
 public:
  explicit TRVBackgroundRect(TPersistent* AOwner = nullptr) : FOwner(AOwner) {}
  ~TRVBackgroundRect() override;
  TPersistent* GetOwner() const override { return FOwner; }

  void Reset();
  void Assign(TPersistent* Source) override;
  void PrepareDraw(TRect& Rect, const TRVStyle* RVStyle);
  void PrepareDrawSaD(TRect& Rect, const TRVStyle* RVStyle, const TRVScreenAndDevice& sad);
  void Draw(const TRect& Rect, TCanvas* Canvas, bool Printing, TRVColorMode ColorMode,
            TRVGraphicInterface* GraphicInterface, bool UseOpacity);
  bool IsSemitransparent() const { return Color != clNone && Opacity > 0 && Opacity < 100000; }
  bool IsEqual(TRVBackgroundRect* Value);
  bool IsEqual_Para(TRVBackgroundRect* Value, const TRVParaInfoProperties& IgnoreList);
  void AssignValidProperties(TRVBackgroundRect* Source, const TRVParaInfoProperties& ValidProperties);
  int SimilarityValue(TRVBackgroundRect* Value, int Wht);
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                 const TRVParaInfoProperties& Properties);
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);
  void ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits);

  TRVRect* BorderOffsets();
  void SetBorderOffsets(TRVRect* Value) { BorderOffsets()->Assign(Value); }
  virtual bool AllowNegativeOffsets() const { return true; }

  TColor Color = clNone;
  TRVOpacity Opacity = 100000;

 protected:
  virtual std::unique_ptr<TRVRect> CreateBorderOffsets();

 private:
  std::unique_ptr<TRVRect> FBorderOffsets;
  TPersistent* FOwner;
};

enum TRVTabAlign : std::uint8_t { rvtaLeft, rvtaRight, rvtaCenter };

class TRVTabInfo : public TCollectionItem {
  TAVRELO_PERSISTENT(TRVTabInfo, TCollectionItem)
 public:
  explicit TRVTabInfo(TCollection* ACollection) : TCollectionItem(ACollection) {}

  void Assign(TPersistent* Source) override;
  UnicodeString GetDisplayName() const override;
  bool IsEqual(const TRVTabInfo* Value) const;
  int SimilarityValue(const TRVTabInfo* Value, int Wht) const;
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) const;
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);

  TRVStyleLength GetPosition() const { return FPosition; }
  // A changed position re-sorts the stops of the collection.
  void SetPosition(TRVStyleLength Value);

  UnicodeString Leader;
  TRVTabAlign Align = rvtaLeft;

 private:
  TRVStyleLength FPosition = 0;
};

class TRVTabInfos : public TCollection {
  TAVRELO_PERSISTENT(TRVTabInfos, TCollection)
 public:
  explicit TRVTabInfos(TPersistent* AOwner = nullptr);
  TPersistent* GetOwner() const override { return FOwner; }

  TRVTabInfo* Add() { return static_cast<TRVTabInfo*>(TCollection::Add()); }
  TRVTabInfo* Items(int Index) const { return static_cast<TRVTabInfo*>(GetItem(Index)); }
  void SortTabs();
  bool IsEqual(const TRVTabInfos* Value) const;
  int Find(TRVStyleLength Position) const;
  int SimilarityValue(const TRVTabInfos* Value, int Wht) const;
  void Intersect(const TRVTabInfos* Value);
  void AddFrom(const TRVTabInfos* Source);
  void DeleteList(const TRVIntegerList& Positions);
  void ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits);
  void SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) const;
  void LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs);

 private:
  TPersistent* FOwner;
};
