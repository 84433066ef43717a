// A page-layout editor that answers every question with nothing: tests derive from it and
// override what they observe.
#pragma once

#include <memory>

#include "engine/document/RVScaleViroZere.h"
#include "platform/base/Types.h"

struct TPageLayoutDouble : IRVScaleViroZereInterface {
  void DoAfterReadNote(TCustomRVData*, int) override {}
  void DoBeforeSaving(TObject*) override {}
  TRVColorMode GetColorMode() override { return rvcmColor; }
  void NoteDocChanged(TCustomRVItemInfo*) override {}
  std::unique_ptr<TObject> CreateNoteSRVData(int) override { return nullptr; }
  TCanvas* GetFormatCanvas() override { return nullptr; }
  void DoOnBiDiModeChange(TObject*) override {}
  TObject* GetSViroZereEdit() override { return nullptr; }
  void DoOnSetHint(TObject*) override {}
  void DoOnRepaint(TObject*, TRVRepaintOperation, bool) override {}
  void DoOnClear(TCustomRVData*) override {}
  TObject* GetSmartPopupProperties() override { return nullptr; }
  void ConvertRVToSRV(TPoint&) override {}
  int GetCurrentPageZoomPercent() override { return 100; }
  double GetDrawnPageZoomPercent() override { return 1.0; }
  bool IsOnReadHyperlinkAssigned() override { return false; }
  bool IsOnWriteHyperlinkAssigned() override { return false; }
  bool IsOnReadMergeFieldAssigned() override { return false; }
  bool IsOnCopyAssigned() override { return false; }
  std::unique_ptr<TObject> CreateRTFReadProperties(TObject*) override { return nullptr; }
  void UpdateHFEditors(bool) override {}
};
