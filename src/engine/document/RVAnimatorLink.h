// What a picture item knows of its animator. The animators live in the formatted layer
// (engine/layout/RVAnimate.h); the item owns one through this base and asks for one through the
// process-wide maker, which the animation module installs when the program starts.
#pragma once

#include "platform/base/Types.h"

class TCanvas;
class TCustomRVData;
class TCustomRVItemInfo;

class TRVItemAnimator : public TObject {
 public:
  // Binds the animator to another document (when ARVData is given) and to AItem.
  virtual void Update(TCustomRVData* ARVData, TCustomRVItemInfo* AItem) = 0;
  // Draws the current frame with the picture's top-left corner at (X, Y). Animation is false
  // when the document is painted outside the animation timer.
  virtual void Draw(int X, int Y, TCanvas* Canvas, bool Animation) = 0;
};

// What the maker asks of a document before it animates one of its pictures. The formatted
// document implements it (both answers come from the absolute root); a document that does not is
// never animated.
class IRVAnimationHost {
 public:
  // Whether pictures of the document may be animated.
  virtual bool AllowAnimation() = 0;
  // Adds a new animator to the root's list. The list may refuse it: it is then freed and
  // Animator becomes nil.
  virtual void InsertAnimator(TRVItemAnimator*& Animator) = 0;

 protected:
  ~IRVAnimationHost() = default;
};

// Called with the item, its document and the item's animator field: creates, re-binds or frees
// the animator. Nil until the animation module is installed.
using TRVMakeAnimatorProc = void (*)(TCustomRVItemInfo* Item, TCustomRVData* RVData, TRVItemAnimator*& Animator);
extern TRVMakeAnimatorProc MakeAnimatorProc;
