// The live-spelling worker: one thread per viewer with a spelling handler. It walks the viewer's
// document item by item (descending into the documents that items hold), cuts each text item
// into words, asks the viewer's OnSpellingCheck about each word in the worker, and has each
// misspelling marked and repainted on the GUI thread through a synchronised call.
//
// The GUI thread stops the worker before it changes the document (Stop) and lets it continue
// afterwards (ContinueCheck) from the earliest place the change touched; while edits keep coming
// the worker waits until 50 ms pass without one.
//
// Threading: the worker reads the document only inside one step of work, and the GUI thread
// changes it only while no step runs. The status word, the flags the GUI thread sets while the
// worker runs (HasModifiedWord, CheckUnchecked) are atomics; everything else is changed by the
// GUI thread under the thread's state lock, so that the worker, which takes the same lock before
// each step, sees it whole. Stopping never suspends the thread from outside: the GUI thread asks,
// serves the worker's synchronised calls while it waits for the current step to end, and the
// worker parks on a condition variable until it is continued.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Threads.h"

class TCustomRVData;
class TCustomViroZere;

// 0 working, 1 a stop is asked, 2 the worker has seen the stop and is idle, 3 the worker ended.
using TRVThreadWorkingStatus = int;

class TRVWordEnumThread : public TThread {
 public:
  // Made suspended at the lowest priority; the viewer starts it with DoContinueCheck.
  TRVWordEnumThread();
  ~TRVWordEnumThread() override;

  // Binds the worker to a viewer and sets it to the start of its document.
  void Reset(TCustomViroZere* AViroZere);
  // Stops the worker: it is idle when this returns (unless it waits for a pause in editing and
  // IgnoreDelayed is off; then it sees the stop before it reads the document again). ResetNexts
  // forgets the pending set-back and clears the result of the item the worker was checking.
  void Stop(bool ResetNexts, bool IgnoreDelayed);
  // Status working and the thread resumed.
  void DoContinueCheck();
  // Applies a pending set-back, waits for a pause in editing, then continues.
  void ContinueCheck();
  // Applies a pending set-back only (inside an undo group).
  void ContinueCheckWithoutResuming();
  // Ends the worker; the caller then waits for it (WaitFor).
  void Finish();

  // Checks again from (RVData, ItemNo, Offs) when that is before the pending set-back (or in
  // another document than it, or when none is pending).
  void LaterSetBackTo(TCustomRVData* RVData, int ItemNo, int Offs);
  // Before an edit that is not typing: the item whose word was modified is checked again.
  void SetBackToCurItem(TCustomRVData* RVData, int ItemNo);
  // RVData goes away: when the worker walks it, the next set-back restarts the pass.
  void RemoveRVData(TCustomRVData* RVData);
  // The worker has come to the item or past it.
  bool IsChecked(TCustomRVData* RVData, int ItemNo);

  // For callers and tests: the status word, and whether the worker walks RVData at ItemNo now.
  TRVThreadWorkingStatus GetWorkingStatus() const { return FThreadWorkingStatus.load(); }
  bool IsAt(TCustomRVData* RVData, int ItemNo);
  // Whether the worker waits for a pause in editing.
  bool IsDelaying();

  // A word of a checked item was typed into and its marks not updated yet.
  std::atomic<bool> HasModifiedWord{false};
  // The current item keeps its marks; only words without one are checked.
  std::atomic<bool> CheckUnchecked{false};

  // How long the worker waits after the last edit.
  static constexpr std::chrono::milliseconds EditPause{50};

 protected:
  void Execute() override;

 private:
  using TClock = std::chrono::steady_clock;

  void ApplySetBack();
  void LoadCurText();
  void RestartScanAt(int Offs);
  // One step of work (the status is working): one word, or one move to another item.
  void DoStep();
  bool FindNextWord(TRVUnicodeString& Word);
  void MarkMisspelling();
  // Synchronize, marking the GUI thread as serving this worker while Method runs.
  void CallGUI(const std::function<void()>& Method);
  // Waits (serving synchronised calls) until no step runs; StateLock() is held by l.
  void WaitForIdle(std::unique_lock<std::mutex>& l);

  std::atomic<TRVThreadWorkingStatus> FThreadWorkingStatus{0};
  int NextItemNo = -1, NextOffs = -1;
  TRVUnicodeString CurText;
  std::size_t CurTextPos = 0;  // the scan position in CurText (0-based)
  TCustomViroZere* FViroZere = nullptr;
  int CurItemNo = 0;
  int WordOffs = 0, WordLen = 0;
  bool CurItemCheckStarted = false;
  TCustomRVData* NextRVData = nullptr;
  TCustomRVData* CurRVData = nullptr;
  bool FForceSetBack = false;
  bool Delaying = false;
  TClock::time_point FDelayUntil{};  // the end of the pause Delaying waits for
  bool FInStep = false;              // the worker is inside a step (reads the document)
  bool FServingCall = false;         // the GUI thread runs one of the worker's calls (GUI thread only)
};
