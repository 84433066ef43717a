// Animation of GIF pictures: each frame composed onto the previous ones by the frames' disposal
// methods, incrementally from the last frame drawn.
#pragma once

#include <memory>
#include <vector>

#include "engine/layout/RVAnimate.h"

class TGIFImage;

class TRVGifImageAnimator : public TRVAnimator {
 public:
  using TRVAnimator::TRVAnimator;
  int GetFrameCount() override { return static_cast<int>(FIntervals.size()); }
  // Steps forward (wrapping to 0) to the next frame that is shown for some time.
  void NextFrame() override;
  void ReleaseFrames() override;
  void Reset() override;
  void ChangeFrame() override;
  // Draws the composed current frame at (X, Y). During the animation (Animation set) the kept
  // composition is carried forward from the last frame drawn; it is made again from frame 0 when
  // the picture moved, changed size or paragraph, or is painted outside the timer.
  void Draw(int X, int Y, TCanvas* Canvas, bool Animation) override;
  TSize GetExportImageSize() override;
  void DrawForExport(TCanvas* Canvas) override;

  std::unique_ptr<TBitmap> bmp;     // the composed current frame (image size)
  std::unique_ptr<TBitmap> bmpsrc;  // the background under the picture; nil for a plain colour
  TColor FBackColor = clWhite;
  int FX = 0, FY = 0;
  int FParaNo = -1;
  int FLastDrawnFrameIndex = -1;
  std::vector<int> FIntervals;  // per frame, milliseconds; 0 for an empty frame

 private:
  TGIFImage* GetGif() const;
  void PrepareBackground(TCanvas* Canvas);
  TRect FrameRect(const TGIFImage& Gif, int Index) const;
  void RestoreBackground(const TRect& R);
  void ComposeFrame(const TGIFImage& Gif, int Index);
  // The composition before a frame whose disposal restores the previous image, and that frame.
  std::unique_ptr<TBitmap> FBeforeFrame;
  int FBeforeFrameIndex = -1;
};

// The number of frames a GIF animates over: its frames less the empty ones at the end.
int GifAnimationFrameCount(const TGIFImage& Gif);
// The GIF maker; other pictures go to the maker installed before it.
void MakeGifAnimator(TCustomRVItemInfo* Item, TCustomRVData* RVData, TRVItemAnimator*& Animator);
// Keeps the installed maker and installs the GIF maker in front of it.
void InstallGifAnimator();
