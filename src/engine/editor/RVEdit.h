// The editor control: the scrolling viewer whose document data is an editor data. This unit holds
// the control's state that the editor data reads and writes (the current styles and their change
// events, the modified flag, read-only mode, the editor options, the undo limit, the caret events
// and the change notification); the editing operations, keys, clipboard and drag and drop of the
// control build on it.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/editor/RVEditRVData.h"
#include "engine/viewer/RVViroZere.h"

// Options of the editor control (bit n of the set is value n).
enum TRVEditorOption : std::uint8_t {
  rvoClearTagOnStyleApp, rvoCtrlJumps, rvoDoNotWantReturns, rvoDoNotWantShiftReturns, rvoWantTabs,
  rvoAutoSwitchLang, rvoHideReadOnlyCaret, rvoNoImageResize, rvoNoCaretHighlightJumps, rvoNoReadOnlyJumps,
  rvoDragDropPicturesFromLinks, rvoAlt0CodesUseKeyboardCodepage
};
using TRVEditorOptions = TSet<TRVEditorOption, 16>;
inline const TRVEditorOptions RVDefaultEditorOptions{rvoCtrlJumps, rvoWantTabs};

class TCustomViroZereEdit : public TCustomViroZere {
  TAVRELO_PERSISTENT(TCustomViroZereEdit, TCustomViroZere)
 public:
  explicit TCustomViroZereEdit(TComponent* AOwner);
  ~TCustomViroZereEdit() override;

  TRVEditRVData* GetEditRVData() const { return static_cast<TRVEditRVData*>(GetRVData()); }

  // ---- the gate and the change notification ----
  virtual void SetReadOnly(bool Value) { FReadOnly = Value; }
  virtual bool GetReadOnly() const { return FReadOnly; }
  // Allowed unless read-only, without a style sheet, while an item holds the mouse (unless
  // FromOutside) or when OnChanging refuses; a refusal beeps.
  virtual bool BeforeChange(bool FromOutside);
  bool CanChange() { return BeforeChange(true); }
  virtual bool QueryChanging();
  void Change() { DoChange(true); }
  // Marks the document modified, clears redo when asked, raises OnChange.
  virtual void DoChange(bool AClearRedo);
  bool GetModified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  // ---- current styles and caret events ----
  int GetCurTextStyleNo();
  void SetCurTextStyleNo(int Value);
  int GetCurParaStyleNo();
  void SetCurParaStyleNo(int Value);
  virtual void CurParaStyleChange();
  virtual void CurTextStyleChange();
  void AfterCaretMove();
  int GetCurItemNo();
  int GetOffsetInCurItem();

  // ---- undo ----
  int GetUndoLimit() const;
  void SetUndoLimit(int Value);
  void ClearUndo();
  virtual void ClearRedo();

  // ---- settings ----
  TRVEditorOptions GetEditorOptions() const { return FEditorOptions; }
  void SetEditorOptions(const TRVEditorOptions& Value) { FEditorOptions = Value; }
  bool GetForceFieldHighlight() const { return FForceFieldHighlight; }
  void SetForceFieldHighlight(bool Value) { FForceFieldHighlight = Value; }
  int GetCustomCaretInterval();
  void SetCustomCaretInterval(int Value);

  // ---- events ----
  TNotifyEvent OnCurParaStyleChanged, OnCurTextStyleChanged, OnChange, OnCaretMove;
  std::function<void(TCustomViroZereEdit* Sender, bool& CanEdit)> OnChanging;
  std::function<void(TCustomViroZereEdit* Sender, TCanvas* Canvas, const TRect& Rect)> OnDrawCustomCaret;
  std::function<void(TCustomViroZereEdit* Sender, TRect& Rect)> OnMeasureCustomCaret;
  std::function<void(TCustomViroZereEdit* Sender, TCustomRVFormattedData* RVData, int FirstItemNo, bool& Sticking)>
      OnCheckStickingItems;

 protected:
  bool FModified = false;
  bool FReadOnly = false;
  TRVEditorOptions FEditorOptions = RVDefaultEditorOptions;
  bool FForceFieldHighlight = false;
};

// The editor as a program places it.
class TViroZereEdit : public TCustomViroZereEdit {
  TAVRELO_PERSISTENT(TViroZereEdit, TCustomViroZereEdit)
 public:
  explicit TViroZereEdit(TComponent* AOwner) : TCustomViroZereEdit(AOwner) {}
};
