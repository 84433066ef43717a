// The part every test viewer shares: a scroller answering what a root data asks of its viewer
// from plain fields, so each double only sets the values its tests depend on.
#pragma once

#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVRootData.h"
#include "engine/viewer/RVScroller.h"

class TRootDataViewerDouble : public TRVScroller, public TRVRootDataViewer {
 public:
  explicit TRootDataViewerDouble(TComponent* AOwner = nullptr) : TRVScroller(AOwner) {}

  TRVScroller* GetScroller() override { return this; }
  TRVOptions GetViewerOptions() override { return Options; }
  void SetViewerOptions(const TRVOptions& Value) override { Options = Value; }
  TRVFlags GetViewerFlags() const override { return Flags; }
  void SetViewerFlags(const TRVFlags& Value) override { Flags = Value; }
  TRVStyle* GetStyle() const override { return const_cast<TRVStyle*>(&Sheet); }
  TRVBackground* GetBackground() override { return Background; }
  int GetLeftMargin() override { return LeftMargin; }
  int GetRightMargin() override { return RightMargin; }
  int GetTopMargin() override { return TopMargin; }
  int GetBottomMargin() override { return BottomMargin; }
  int GetMinTextWidth() override { return 0; }
  int GetMaxTextWidth() override { return 0; }
  TTextLayout GetVAlign() override { return VAlign; }
  int GetMaxLength() override { return 0; }
  bool GetWordWrap() override { return true; }
  TRVAnimationMode GetAnimationMode() override { return AnimationMode; }
  void StartAnimation() override { ++AnimationStarts; }
  void StopAnimation() override { ++AnimationStops; }
  TCanvas* GetFormatCanvas(TCanvas* DefCanvas) override { return RefCanvas ? RefCanvas : DefCanvas; }
  void DoOnClear() override { ++Clears; }
  void DoBeforeSaving() override {}
  void ClearLiveSpellingResult() override {}
  TObject* GetDocObjects() override { return nullptr; }
  TObject* GetRTFReadProperties() override { return nullptr; }
  bool IsDestroying() override { return Destroying; }

  TRVStyle Sheet{nullptr};
  TRVOptions Options;
  TRVFlags Flags{rvflRoot, rvflTrim};
  TRVBackground* Background = nullptr;
  // The canvas text is measured on, when not the drawing canvas (the deriving double owns it).
  TCanvas* RefCanvas = nullptr;
  int LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
  TTextLayout VAlign = tlTop;
  TRVAnimationMode AnimationMode = rvaniDisabled;
  int AnimationStarts = 0, AnimationStops = 0, Clears = 0;
  // Set first thing in the deriving double's destructor, so the data sees its viewer going.
  bool Destroying = false;
};
