// Direct manipulation of a document with the mouse or a finger: the eight handles round a selected
// picture or control (the item resizer) and the two handles at the ends of a selection.
//
// The item resizer draws its handles, tells which handle lies under a point and which cursor
// shows there, and follows a drag of one handle with a frame drawn by inverting pixels until the
// new size is taken (MouseUp) or dropped (CancelDrag). The editor data makes it while exactly one
// resizable item is selected and applies the size it ends with.
//
// The selection handles sit under the start and the end of a selection (wedges or circles); a drag
// of one of them moves that end of the selection.
#pragma once

#include <cstdint>

#include "engine/layout/RVFormattedData.h"

class TRVGraphicInterface;
class TRVStyle;

enum TRVResizeHandleIndex : std::uint8_t {
  rvrhLeftTop, rvrhRightTop, rvrhRightBottom, rvrhLeftBottom, rvrhTop, rvrhRight, rvrhBottom, rvrhLeft
};
// Where the handles are drawn: inside the object's edge or beyond it.
enum TRVResizeHandlesPosition : std::uint8_t { rvhpInside, rvhpOutside };

// Corner handles keep the object's proportions (side handles only with Shift). On unless the
// program switches it off.
extern bool RVKeepAspectRatioOnCornerResize;

// The cursors of the screen's table that the handles show.
constexpr TCursor crRVCross = -3;
constexpr TCursor crRVSizeNESW = -6;
constexpr TCursor crRVSizeNS = -7;
constexpr TCursor crRVSizeNWSE = -8;
constexpr TCursor crRVSizeWE = -9;

class TRVItemResizer : public TObject {
 public:
  // ABorderWidth and ABorderHeight: the item's border on each side, in pixels.
  TRVItemResizer(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo, int ABorderWidth,
                 int ABorderHeight, bool ARotated, TCustomRVFormattedData* ARVData);
  void UpdateItem(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo, int ABorderWidth,
                  int ABorderHeight, bool ARotated, TCustomRVFormattedData* ARVData);

  // The handle's centre relative to the object's top-left corner; Shifted moves it inside the
  // object (or beyond its edge), where the handle is drawn and hit.
  void GetResizeHandleCoords(TRVResizeHandleIndex Index, bool Shifted, int& X, int& Y) const;
  // The handle at a document point: the first whose square holds it, or with ExtraRadius (a
  // finger) the nearest within the touch radius.
  bool GetResizeHandleAt(int X, int Y, bool ExtraRadius, TRVResizeHandleIndex& Index) const;
  TCursor GetResizeHandleCursor(TRVResizeHandleIndex Index) const;
  // Draws the eight handles; HOffs and VOffs are the scroll offsets.
  void Draw(TCanvas* Canvas, int HOffs, int VOffs, TRVGraphicInterface* GraphicInterface);

  // A press at a document point: true when it grabbed a handle (the drag starts).
  bool MouseDown(int X, int Y, bool ExtraRadius);
  // Moves the grabbed handle to a document point: Shift keeps the proportions, Ctrl resizes
  // symmetrically about the centre.
  void DragTo(TShiftState Shift, int X, int Y);
  // The dragged frame, drawn by inverting pixels (drawing it twice erases it).
  void XorDrawing(TCanvas* Canvas, int HOffs, int VOffs);
  // Ends the drag: the frame's size becomes the size unless the drag was cancelled.
  void MouseUp(int X, int Y);
  void CancelDrag();

  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  int GetItemNo() const { return FItemNo; }
  int GetDrawItemNo() const { return FDrawItemNo; }
  TRVDrawLineInfo* GetDrawItem() const { return FDrawItem; }
  TCustomRVItemInfo* GetItem() const { return FItem; }
  bool IsDragging() const { return FDragging; }
  bool IsDragCancelled() const { return FDragCancelled; }
  // Relative to the object's top-left corner.
  const TRect& GetDragRect() const { return FDragRect; }
  TRVResizeHandlesPosition GetPosition() const { return FPosition; }
  void SetPosition(TRVResizeHandlesPosition Value) { FPosition = Value; }
  int GetObjectLeft() const { return FDrawItem->GetObjectLeft(); }
  int GetObjectTop() const { return FObjectTop; }

  // The side of a handle's square and the touch radius, in pixels of the formatting resolution.
  static int HandleSize();
  static int TouchRadius();

 private:
  int FWidth = 0, FHeight = 0;
  bool FRotated = false;
  TRVDrawLineInfo* FDrawItem = nullptr;
  int FBorderWidth = 0, FBorderHeight = 0;
  int FDrawItemNo = -1, FItemNo = -1;
  bool FDragging = false, FDragCancelled = false;
  int FDx = 0, FDy = 0;
  TRVResizeHandleIndex FDraggedResizeHandle = rvrhLeftTop;
  TCustomRVItemInfo* FItem = nullptr;
  TRVResizeHandlesPosition FPosition = rvhpInside;
  int FObjectTop = 0;
  TRect FDragRect{};
};

// The two touch handles of a selection. The root data sets the anchors (X1, Top1, Bottom1 at the
// start of the selection, X2, Top2, Bottom2 at its end, document coordinates) and draws them.
class TRVSelectionHandles : public TObject {
 public:
  explicit TRVSelectionHandles(TCustomRVFormattedData* ARVData);
  ~TRVSelectionHandles() override;

  // The offsets that keep the handles apart and inside the document area.
  void CalculatePositions();
  // The handle at a document point; UpperBound tells whether it is the start's.
  bool GetHandleAt(int X, int Y, bool& UpperBound);
  void StartDrag(int X, int Y, bool UpperBound);
  // Moves the dragged end of the selection to follow the finger at a document point; true when
  // the selection changed.
  bool MoveTo(int X, int Y);
  void EndDrag() { FDragging = false; }
  bool IsDragging() const { return FDragging; }
  bool IsDraggingUpperBound() const { return FDraggingUpperBound; }
  void Draw(TCanvas* Canvas, int XOffs, int YOffs, TRVStyle* RVStyle, bool Draw1, bool Draw2);
  // Cuts the drawn handles out of the canvas's clip region.
  void ExcludeRegions(TCanvas* Canvas);

  // Height, width and drawn size of a handle, in pixels of the document (scaled against the zoom
  // of a page-layout owner).
  int HandleHeight() const;
  int HandleWidth() const;
  double DrawnSize() const;

  int X1 = 0, X2 = 0, Top1 = 0, Top2 = 0, Bottom1 = 0, Bottom2 = 0;
  TSize Offset1{}, Offset2{};
  TCustomRVFormattedData* RVData;
  HRGN Rgn1 = nullptr, Rgn2 = nullptr;
  bool RgnValid1 = false, RgnValid2 = false;

 private:
  double ScaleFactor() const;
  int Ppi() const;
  bool Circles() const;
  void DrawHandle(TCanvas* Canvas, int X, int Bottom, TSize Offset, bool Start, TRVStyle* RVStyle);
  TPoint FStartPoint{};
  bool FDragging = false;
  bool FDraggingUpperBound = false;
};
