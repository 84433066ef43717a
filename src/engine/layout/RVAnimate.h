// Picture animation. Each animated picture item owns an animator that knows the current frame,
// the time until the next one and how to draw it; the root document of a viewer keeps its
// animators in a TRVAnimatorList, which the viewer's animation timer advances.
//
// Animators are made through the process-wide maker (MakeAnimatorProc, RVAnimatorLink.h), which
// this module installs when the program starts: the GIF maker, falling back on the maker of
// bitmaps that hold their frames as a grid of cells.
#pragma once

#include <climits>
#include <memory>

#include "engine/document/RVAnimatorLink.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

class TCanvas;
class TCustomRVData;
class TCustomRVItemInfo;
class TRVAnimator;
class TRVAnimatorList;
class TRVGraphicItemInfo;
class TRVStyle;

// What the animation timer asks of the formatted document that holds an animated item and,
// through it, of the control that shows it. The formatted document implements it beside
// IRVAnimationHost; an animator whose document does not implement it steps its frames but is
// never visible, so it is never drawn by the timer.
class IRVAnimationView {
 public:
  // The object rectangle of Item's draw item (its ObjectLeft, Top, ObjectWidth, ObjectHeight) in
  // document coordinates; false when the item's draw item number is outside the draw items.
  virtual bool GetAnimatedObjectRect(TCustomRVItemInfo* Item, TRect& DocRect) = 0;
  // DocRect turned to screen orientation for the absolute root, then both corners converted to
  // the root viewer's client coordinates.
  virtual TRect AnimatedRectToClient(const TRect& DocRect) = 0;
  // The root viewer's client height.
  virtual int GetAnimationClientHeight() = 0;
  // When a page-layout editor shows the document it decides whether Rect (in the viewer's client
  // coordinates) is visible and may adjust Rect and ZoomPercent: answers true with Visible set.
  // Without such an editor, false.
  virtual bool IsAniRectVisibleInEditor(TRect& Rect, float& ZoomPercent, bool& Visible) = 0;
  // Draws the animator's current frame where its object is shown: on the control's canvas with
  // the document's transform, or on the page-layout editor's canvas at the animator's
  // FSRVClientRect and zoom, through TRVAnimator::DrawFrameInRect.
  virtual void DrawAnimationFrame(TRVAnimator* Animator) = 0;
  // What lies under the item's own image area (ImageArea, relative to the image): a bitmap of
  // that size, already turned by the document's rotation (Bitmap), or a plain colour (Color,
  // Bitmap left empty).
  virtual void GetAnimationBackground(TCustomRVItemInfo* Item, const TRect& ImageArea, std::unique_ptr<TBitmap>& Bitmap,
                                      TColor& Color) = 0;

 protected:
  ~IRVAnimationView() = default;
};

// The animator of one picture item.
class TRVAnimator : public TRVItemAnimator {
 public:
  // Binds the animator (Update).
  TRVAnimator(TCustomRVData* ARVData, TCustomRVItemInfo* AItem);
  // Leaves its list and tells the item to forget it.
  ~TRVAnimator() override;
  TRVAnimator(const TRVAnimator&) = delete;
  TRVAnimator& operator=(const TRVAnimator&) = delete;

  void Update(TCustomRVData* ARVData, TCustomRVItemInfo* AItem) override;

  virtual int GetFrameCount() = 0;
  // The next frame, back to 0 after the last.
  virtual void NextFrame();
  // Drops what the animator keeps for drawing (the object went out of view).
  virtual void ReleaseFrames() {}
  // Back to the first frame with its full waiting time.
  virtual void Reset() = 0;
  // The waiting time ran out: the next frame with its waiting time.
  virtual void ChangeFrame() = 0;
  // (Draw of TRVItemAnimator: the current frame at (X, Y).)
  // The size of the picture an export draws.
  virtual TSize GetExportImageSize();
  // Draws the picture for export at (0, 0), the current frame kept.
  virtual void DrawForExport(TCanvas* Canvas) = 0;
  virtual bool ExportIgnoresScale() { return false; }

  // The drawing entry for the painting code: the current frame of the object whose box (border
  // included) is ObjectRect on Canvas. The picture is drawn at the box's top-left corner moved
  // by the item's border width and height in pixels.
  void DrawFrameInRect(TCanvas* Canvas, const TRect& ObjectRect, bool Animation = true);
  // Whether the object shows in the viewer's client area; records its rectangles and whether it
  // moved. False when the document cannot show animations (no IRVAnimationView).
  bool CheckVisibility();

  TRect FRVRVDataRect{};   // the object in document coordinates at the last check
  TRect FRVClientRect{};   // the same in the viewer's client coordinates
  TRect FSRVClientRect{};  // handed to the page-layout editor, which may change it
  float FZoomPercent = 100.0f;
  TRVAnimatorList* List = nullptr;  // not owned
  int FrameIndex = 0;
  TCustomRVItemInfo* Item = nullptr;  // not owned: the item owns the animator
  int Interval = 0;                   // milliseconds until the next frame
  bool Moved = false;
  // The timer asked the control to repaint the object: the next paint of the frame is an
  // animation step (the composition kept so far may be continued).
  bool DrawPending = false;
  TCustomRVData* RVData = nullptr;  // the (formatted) document that holds the item

 protected:
  TRVStyle* GetStyle() const;
  TRVGraphicItemInfo* GetGraphicItem() const;
  int GetImageWidth() const;
  int GetImageHeight() const;
  // Draws a whole graphic at (X, Y) through the style sheet's graphic interface.
  void DrawGraphicAt(TCanvas* Canvas, int X, int Y, TGraphic* Graphic);
};

// A bitmap that holds its frames as cells of a grid, each as large as the item's image, shown in
// row order for the item's animation interval.
class TRVBitmapAnimator : public TRVAnimator {
 public:
  using TRVAnimator::TRVAnimator;
  int GetFrameCount() override;
  void Reset() override;
  void ChangeFrame() override;
  void Draw(int X, int Y, TCanvas* Canvas, bool Animation) override;
  void DrawForExport(TCanvas* Canvas) override;
  bool ExportIgnoresScale() override { return true; }
};

// The animators of a root document, advanced together by the viewer's animation timer. Does not
// own them.
class TRVAnimatorList : public TList {
 public:
  TRVAnimatorList() = default;
  ~TRVAnimatorList() override;

  TRVAnimator* GetItem(int Index) const { return static_cast<TRVAnimator*>(Get(Index)); }
  // Appends a reset animator. A full list (MaxAnimators) frees it instead and sets Item to nil.
  void Add(TRVAnimator*& Item);
  // Forgets every animator (they stay with their items); the list stops.
  void Clear() override;
  // Frees every animator; the list stops.
  void FreeAnimators();
  // Every animator drops its kept frames (the background changed).
  void ResetBackground();
  // One tick of the timer after MinInterval milliseconds: every waiting time is reduced by that
  // period, the animators whose time ran out step to their next frame and draw it when they are
  // visible (or drop their kept frames when not), and MinInterval becomes the shortest waiting
  // time left. The timer then runs at MinInterval (restarted only when it differs from
  // LastMinInterval) and stops when the list is empty.
  void TimerEvent();

  bool Active = false;
  int LastMinInterval = INT_MAX;
  int MinInterval = INT_MAX;
};

// A list takes no more animators than this.
extern int MaxAnimators;

// The makers: each creates, re-binds and resets, or frees the animator of a picture item.
void MakeBitmapAnimator(TCustomRVItemInfo* Item, TCustomRVData* RVData, TRVItemAnimator*& Animator);
// The layout library's start-up: installs the bitmap maker, then the GIF maker in front of it. The
// program's main calls it once, after RegisterBuiltInItemTypes; calling it again does nothing.
void RegisterAnimators();

// Frees an animator held in a variable, leaving the variable nil.
void FreeAnimatorVar(TRVItemAnimator*& Animator);
