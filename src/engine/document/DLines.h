// Draw items: the positioned rectangles into which formatting turns a document's items. Items
// read and write the size of their own draw item while they are measured and drawn; the
// formatted layer keeps the lists of them (engine/layout/DrawLines.h).
//
// A draw item stores only what its line needs, so there is one class per kind of line: plain
// lines, lines that may be justified (or start with a list marker), lines with extra spacing
// below, lines with extra spacing above and below, and floating boxes. Code that handles any
// draw item reads the extra fields through the virtual accessors, which answer 0 (and ignore
// writes) where a class has no such field. Documents hold draw items by the hundred thousand:
// keep the classes free of anything but their fields.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/base/Types.h"

struct TRVScreenAndDevice;
class TCanvas;
class TList;

class TRVDrawLineInfo;

// A class reference of the draw-item classes: the formatter chooses the class per line and
// creates its draw items through it.
struct TRVDrawLineInfoClassRec {
  const char* Name;
  int KindCode;
  std::unique_ptr<TRVDrawLineInfo> (*Create)();
  // A new draw item of this class with the position and size given (through SetData and SetSize).
  std::unique_ptr<TRVDrawLineInfo> CreateEx(int ALeft, int ATop, int AWidth, int AHeight, int AItemNo,
                                            bool AFromNewLine) const;
};
using TRVDrawLineInfoClass = const TRVDrawLineInfoClassRec*;

class TRVDrawLineInfo : public TObject {
 public:
  TRVDrawLineInfo() = default;
  ~TRVDrawLineInfo() override = default;

  // A new draw item of class T stored through the virtual SetData and SetSize, so that a class
  // that keeps its own size (a printing draw item) has its say.
  template <typename T = TRVDrawLineInfo>
  static std::unique_ptr<T> CreateEx(int ALeft, int ATop, int AWidth, int AHeight, int AItemNo, bool AFromNewLine) {
    auto d = std::make_unique<T>();
    d->SetData(ALeft, ATop, AFromNewLine, AItemNo);
    d->SetSize(AWidth, AHeight);
    return d;
  }

  virtual int GetSpaceAtLeft() const { return 0; }
  virtual void SetSpaceAtLeft(int) {}
  virtual int GetExtraSpaceAbove() const { return 0; }
  virtual void SetExtraSpaceAbove(int) {}
  virtual int GetExtraSpaceBelow() const { return 0; }
  virtual void SetExtraSpaceBelow(int) {}
  virtual int GetObjectHeight() const { return Height; }
  virtual int GetObjectLeft() const { return Left; }
  virtual int GetObjectTop() const { return Top; }
  virtual int GetObjectWidth() const { return Width; }
  virtual int GetTextWidth() const { return Width; }
  virtual int GetSpaceCount() const { return 0; }
  // 0 to 4: the record kind of the formatting stream.
  virtual int GetKindCode() const { return 0; }
  virtual int GetLeftNoExpandIndex() const { return 0; }
  virtual int GetRightNoExpandIndex() const { return 0; }
  virtual void SetLeftNoExpandIndex(int) {}
  virtual void SetRightNoExpandIndex(int) {}
  virtual void SetSpaceCount(int) {}
  virtual void SetTextWidth(int) {}
  virtual void SetData(int ALeft, int ATop, bool AFromNewLine, int AItemNo) {
    Left = ALeft;
    Top = ATop;
    FromNewLine = AFromNewLine;
    ItemNo = AItemNo;
  }
  virtual void SetSize(int AWidth, int AHeight) {
    Width = AWidth;
    Height = AHeight;
  }

  // Splitting an item across pages: only printing draw items can; the base answers false.
  virtual bool InitSplit(const TRVScreenAndDevice& /*sad*/, bool /*IgnorePageBreaks*/) { return false; }
  virtual bool CanSplitFirst(int /*Y*/, const TRVScreenAndDevice& /*sad*/, bool /*FirstOnPage*/,
                             bool /*PageHasFootnotes*/, bool /*FootnotesChangeHeight*/, bool /*IgnorePageBreaks*/) {
    return false;
  }
  virtual bool SplitAt(int /*Y*/, const TRVScreenAndDevice& /*sad*/, bool /*FirstOnPage*/,
                       TList*& /*FootnoteRVDataList*/, int& /*MaxHeight*/, bool /*FootnotesChangeHeight*/,
                       bool /*IgnorePageBreaks*/) {
    return false;
  }
  // A printing draw item of a full-line item that prints the item itself, page by page (its Print
  // gets the part of the page), instead of the screen's full-width painting.
  virtual bool PrintsFullLineItem() const { return false; }
  // Such a draw item lays its item out for the printing device after the item has been told its
  // width (DocWidth) and keeps the size it finds.
  virtual void LayOutForPrinting(int /*DocWidth*/, TCanvas* /*Canvas*/) {}

  // Left, Top, Width, Height: the rectangle in document coordinates. ItemNo: the item. Offs: the
  // 1-based first character of a text piece (0 for other items); TextLength: its characters.
  // BaseLine: the y of the text baseline. FromNewLine / FromNewPara: starts a visual line / a
  // paragraph. FloatingAboveUsed: the line was laid out with floating boxes from above in view.
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0, ItemNo = 0, Offs = 0, TextLength = 0, BaseLine = 0;
  bool FromNewLine = false, FromNewPara = false, FloatingAboveUsed = false;
};

// A draw item of a line that may be justified; on a line that starts with a list marker the text
// width field holds the marker's offset instead.
class TRVJustifyDrawLineInfo : public TRVDrawLineInfo {
 public:
  int GetTextWidth() const override { return FTextWidth; }
  void SetTextWidth(int Value) override { FTextWidth = Value; }
  int GetSpaceCount() const override { return FSpaceCount; }
  void SetSpaceCount(int Value) override { FSpaceCount = Value; }
  int GetKindCode() const override { return 1; }
  int GetLeftNoExpandIndex() const override { return FLeftNoExpandIndex; }
  int GetRightNoExpandIndex() const override { return FRightNoExpandIndex; }
  void SetLeftNoExpandIndex(int Value) override { FLeftNoExpandIndex = Value; }
  void SetRightNoExpandIndex(int Value) override { FRightNoExpandIndex = Value; }
  int GetMarkerOffset() const { return FTextWidth; }
  void SetMarkerOffset(int Value) { FTextWidth = Value; }

 private:
  std::int32_t FTextWidth = 0, FSpaceCount = 0, FLeftNoExpandIndex = 0, FRightNoExpandIndex = 0;
};

// A line with extra spacing below it.
class TRVSimpleLineHeightDrawLineInfo : public TRVJustifyDrawLineInfo {
 public:
  int GetKindCode() const override { return 2; }
  int GetExtraSpaceBelow() const override { return FExtraSpaceBelow; }
  void SetExtraSpaceBelow(int Value) override { FExtraSpaceBelow = Value; }

 private:
  std::int32_t FExtraSpaceBelow = 0;
};

// A line with extra spacing above and below it. Printing draw items derive from this class.
class TRVComplexLineHeightDrawLineInfo : public TRVSimpleLineHeightDrawLineInfo {
 public:
  int GetKindCode() const override { return 3; }
  int GetExtraSpaceAbove() const override { return FExtraSpaceAbove; }
  void SetExtraSpaceAbove(int Value) override { FExtraSpaceAbove = Value; }

 private:
  std::int32_t FExtraSpaceAbove = 0;
};

enum TRVDItemFloatingType : std::uint8_t { rvdifLeft, rvdifRight };

// The draw item of a floating box: its object is drawn at the box rectangle, which may differ
// from the draw item's own rectangle.
class TRVFloatingDrawLineInfo : public TRVComplexLineHeightDrawLineInfo {
 public:
  int GetKindCode() const override { return 4; }
  int GetObjectHeight() const override { return FloatHeight; }
  int GetObjectLeft() const override { return FloatLeft; }
  int GetObjectTop() const override { return FloatTop; }
  int GetObjectWidth() const override { return FloatWidth; }
  int GetFloatBottom() const { return FloatTop + FloatHeight; }
  int GetFloatRight() const { return FloatLeft + FloatWidth; }

  std::int32_t FloatLeft = 0, FloatTop = 0, FloatWidth = 0, FloatHeight = 0;
  TRVDItemFloatingType FloatType = rvdifLeft;
};

// The class references of the five draw-item classes, and the class of a kind code (nil for a
// code other than 0 to 4).
template <typename T>
TRVDrawLineInfoClass RVDrawLineInfoClassOf();
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVDrawLineInfo>();
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVJustifyDrawLineInfo>();
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVSimpleLineHeightDrawLineInfo>();
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVComplexLineHeightDrawLineInfo>();
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVFloatingDrawLineInfo>();
TRVDrawLineInfoClass RVDrawLineInfoClassOfKind(int KindCode);
// The floating draw item behind d, or nil.
inline TRVFloatingDrawLineInfo* AsFloatingDrawItem(TRVDrawLineInfo* d) {
  return dynamic_cast<TRVFloatingDrawLineInfo*>(d);
}
inline const TRVFloatingDrawLineInfo* AsFloatingDrawItem(const TRVDrawLineInfo* d) {
  return dynamic_cast<const TRVFloatingDrawLineInfo*>(d);
}
