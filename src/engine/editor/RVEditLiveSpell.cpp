// The editor's side of live spelling: the worker is stopped before every change and continued
// after it, from the earliest place the change touched.
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVUndo.h"
#include "engine/viewer/RVWordEnumThread.h"

void TCustomViroZereEdit::LiveSpellingBeforeChange() {
  TRVWordEnumThread* Thread = GetRootWordEnumThread();
  if (!Thread) return;
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  TRVEditRVData* TopData = Top->GetEditRVData();
  // A typed character keeps the worker's pending place: typing sets it back itself.
  const bool Typing = TopData->State.Contains(rvstKeyPress);
  Thread->Stop(!Typing, false);
  if (!Typing) Thread->SetBackToCurItem(TopData->GetSourceRVData(), Top->GetCurItemNo());
}

void TCustomViroZereEdit::LiveSpellingAfterChange() {
  TRVWordEnumThread* Thread = GetRootWordEnumThread();
  const bool Grouping = GetEditRVData()->UndoList->GroupModeCount > 0 ||
                        GetTopLevelEditor()->GetEditRVData()->UndoList->GroupModeCount > 0;
  if (Grouping) {
    // The group's later edits come before the worker may read the document again.
    if (Thread) Thread->ContinueCheckWithoutResuming();
    return;
  }
  if (Thread) {
    Thread->Stop(false, false);
    Thread->ContinueCheck();
  } else if (GetLiveSpellingMode() == rvlspOnChange) {
    StartLiveSpelling();
  }
}

void TCustomViroZereEdit::LiveSpellingBeforeUndo() {
  if (TRVWordEnumThread* Thread = GetRootWordEnumThread()) Thread->Stop(true, false);
}

// ---- the editor data's hooks ----

void TRVEditRVData::LaterSetBackLiveSpellingTo(int ItemNo, int Offs, bool ClearPainters) {
  if (ItemNo < 0 || ItemNo >= ItemCount()) return;
  if (ClearPainters) GetItem(ItemNo)->ClearWordPainters(Offs - 1);
  if (auto* Viewer = dynamic_cast<TCustomViroZere*>(GetViroZere()))
    Viewer->LaterSetBackLiveSpellingTo(this, ItemNo, Offs);
}

void TRVEditRVData::LiveSpellingCheckCurrent() {
  TCustomViroZereEdit* Editor = GetEditor();
  TRVWordEnumThread* Thread = Editor ? Editor->GetRootWordEnumThread() : nullptr;
  // Clicks and caret moves come often: nothing is asked of the caret unless a word waits.
  if (!Thread || !Thread->HasModifiedWord) return;
  TRVEditRVData* Top = Editor->GetTopLevelEditor()->GetEditRVData();
  if (Top->ItemCount() == 0) return;
  Editor->LiveSpellingCheckCurrentItem(Top->GetSourceRVData(), Top->GetCurItemNo());
}
