// The page-layout editor as documents see it. The editor installs this interface on its inner
// editor; a document asks its absolute root (GetScaleViroZereInterface) for it on every use, gets
// nil when no page-layout editor hosts it, and then does without.
#pragma once

#include <memory>

#include "engine/foundation/RVFuncs.h"

class TCustomRVData;
class TCustomRVItemInfo;
class TCanvas;
class TObject;

enum TRVRepaintOperation { rvrrInvalidate, rvrrUpdate };

class IRVScaleViroZereInterface {
 public:
  virtual ~IRVScaleViroZereInterface() = default;

  // A note item was read from RVF and inserted at ItemNo of RVData.
  virtual void DoAfterReadNote(TCustomRVData* RVData, int ItemNo) = 0;
  // A root document is about to be saved in any format; ViroZere is its parent control.
  virtual void DoBeforeSaving(TObject* ViroZere) = 0;
  // The colour mode of the pages on screen.
  virtual TRVColorMode GetColorMode() = 0;
  // The text of a note item was replaced: reformat and repaint it.
  virtual void NoteDocChanged(TCustomRVItemInfo* Note) = 0;
  // The editor's formatting record for a record kind read from a formatting stream (owned by the note).
  virtual std::unique_ptr<TObject> CreateNoteSRVData(int Kind) = 0;
  // The canvas hosted documents are formatted on.
  virtual TCanvas* GetFormatCanvas() = 0;
  virtual void DoOnBiDiModeChange(TObject* Viewer) = 0;
  // The page-layout control (the parent of the smart-popup button).
  virtual TObject* GetSViroZereEdit() = 0;
  virtual void DoOnSetHint(TObject* Viewer) = 0;
  virtual void DoOnRepaint(TObject* Viewer, TRVRepaintOperation Operation, bool Flag) = 0;
  virtual void DoOnClear(TCustomRVData* RVData) = 0;
  virtual TObject* GetSmartPopupProperties() = 0;
  // A client point of the inner viewer as a client point of the page-layout control.
  virtual void ConvertRVToSRV(TPoint& Point) = 0;
  virtual int GetCurrentPageZoomPercent() = 0;
  virtual double GetDrawnPageZoomPercent() = 0;
  virtual bool IsOnReadHyperlinkAssigned() = 0;
  virtual bool IsOnWriteHyperlinkAssigned() = 0;
  virtual bool IsOnReadMergeFieldAssigned() = 0;
  virtual bool IsOnCopyAssigned() = 0;
  // The class of RTF reader settings a hosted viewer creates (a factory here).
  virtual std::unique_ptr<TObject> CreateRTFReadProperties(TObject* Owner) = 0;
  virtual void UpdateHFEditors(bool Format) = 0;
  // A hosted root document is about to be formatted.
  virtual void DoBeforeFormat(TCustomRVData* /*RVData*/) {}
  // What a hosted editor tells: a step was added to or dropped from its undo list, its document
  // was formatted and the caret placed, the caret is about to measure a line, the document
  // changed; Paginate asks for the pages to be made again.
  virtual void DoOnAddUndo(TObject* /*Editor*/) {}
  virtual void DoOnDeleteLastUndo(TObject* /*Editor*/) {}
  virtual void DoOnFormat(TCustomRVData* /*RVData*/) {}
  virtual void DoBeforeCaretPositioning(TCustomRVData* /*RVData*/, int /*FirstDrawItemNo*/, int /*LastDrawItemNo*/) {}
  virtual void DoOnChange(TObject* /*Editor*/, bool /*ClearRedo*/) {}
  virtual void Paginate() {}
};
