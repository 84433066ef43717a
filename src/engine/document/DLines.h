// Draw items: the positioned rectangles into which formatting turns a document's items. Items
// read and write the size of their own draw item while they are measured and drawn; the
// formatted layer keeps the lists of them.
#pragma once

#include "platform/base/Types.h"

class TRVDrawLineInfo : public TObject {
 public:
  TRVDrawLineInfo() = default;
  ~TRVDrawLineInfo() override = default;

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

  int Left = 0, Top = 0, Width = 0, Height = 0, ItemNo = 0, Offs = 0, TextLength = 0, BaseLine = 0;
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
  int FTextWidth = 0, FSpaceCount = 0, FLeftNoExpandIndex = 0, FRightNoExpandIndex = 0;
};
