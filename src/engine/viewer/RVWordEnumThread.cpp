#include "engine/viewer/RVWordEnumThread.h"

#include "engine/document/CustomRVData.h"
#include "engine/document/RVItem.h"
#include "engine/foundation/RVFileFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"

namespace rvwordenum_detail {

constexpr TRVThreadWorkingStatus stWorking = 0, stStopAsked = 1, stIdle = 2, stEnded = 3;

// Sets the status to 3 and releases the text when the body ends, also by an exception, and
// tells a GUI thread that waits for the step to end.
struct TEndGuard {
  std::mutex& Lock;
  std::condition_variable& Changed;
  std::atomic<TRVThreadWorkingStatus>& Status;
  bool& InStep;
  TRVUnicodeString& Text;
  ~TEndGuard() {
    {
      std::lock_guard<std::mutex> l(Lock);
      Status.store(stEnded);
      InStep = false;
      Text = TRVUnicodeString();
    }
    Changed.notify_all();
    WakeSynchronizeWaiters();
  }
};

}  // namespace rvwordenum_detail

using namespace rvwordenum_detail;

TRVWordEnumThread::TRVWordEnumThread() : TThread(true) { SetPriority(tpLowest); }

// The body uses this object's members: it ends before they go.
TRVWordEnumThread::~TRVWordEnumThread() {
  Finish();
  Terminate();
  Resume();
  try {
    WaitFor();
  } catch (const std::exception&) {
    // The handler's error that ended the pass has no one left to reach.
  }
}

// ---- the GUI thread's side ----

void TRVWordEnumThread::Reset(TCustomViroZere* AViroZere) {
  std::unique_lock<std::mutex> l(StateLock());
  WaitForIdle(l);
  FViroZere = AViroZere;
  if (!AViroZere) return;
  CurRVData = AViroZere->GetRVData();
  CurItemNo = 0;
  CurItemCheckStarted = false;
  FForceSetBack = false;
  CheckUnchecked = false;
  HasModifiedWord = false;
  NextRVData = nullptr;
  NextItemNo = -1;
  NextOffs = -1;
}

void TRVWordEnumThread::WaitForIdle(std::unique_lock<std::mutex>& l) {
  // Inside one of the worker's own synchronised calls the worker waits for this thread: its step
  // cannot end, nor does it read anything, until the call returns.
  if (!FInStep || FServingCall) return;
  SetPriority(tpHigher);
  // Serving the worker's synchronised calls lets a worker that waits inside one end its step.
  while (FInStep) {
    l.unlock();
    CheckSynchronize(10);
    l.lock();
  }
  SetPriority(tpLowest);
}

void TRVWordEnumThread::Stop(bool ResetNexts, bool IgnoreDelayed) {
  std::unique_lock<std::mutex> l(StateLock());
  if (FThreadWorkingStatus.load() == stEnded) return;
  if (ResetNexts) {
    NextRVData = nullptr;
    NextItemNo = -1;
    NextOffs = -1;
  }
  if (GetSuspended()) return;
  FThreadWorkingStatus.store(stStopAsked);
  StateChanged().notify_all();
  // A step under way always ends first. A worker waiting for a pause in editing is outside a
  // step and takes the lock before the next one, where it sees the request: it is left to park
  // itself then.
  WaitForIdle(l);
  if (!Delaying || IgnoreDelayed) SetSuspendedLocked(true);
  if (ResetNexts && CurRVData && CurItemNo >= 0 && CurItemNo < CurRVData->ItemCount())
    CurRVData->GetItem(CurItemNo)->ClearLiveSpellingResult();
  CurItemCheckStarted = false;
}

void TRVWordEnumThread::DoContinueCheck() {
  {
    std::lock_guard<std::mutex> l(StateLock());
    if (FThreadWorkingStatus.load() == stEnded) return;
    FThreadWorkingStatus.store(stWorking);
    StateChanged().notify_all();
  }
  if (GetSuspended()) Resume();
}

void TRVWordEnumThread::ContinueCheck() {
  {
    std::unique_lock<std::mutex> l(StateLock());
    WaitForIdle(l);
    ApplySetBack();
    Delaying = true;
    FDelayUntil = TClock::now() + EditPause;
  }
  DoContinueCheck();
}

void TRVWordEnumThread::ContinueCheckWithoutResuming() {
  std::unique_lock<std::mutex> l(StateLock());
  WaitForIdle(l);
  ApplySetBack();
}

void TRVWordEnumThread::Finish() {
  {
    std::unique_lock<std::mutex> l(StateLock());
    if (FThreadWorkingStatus.load() == stEnded) return;
    FThreadWorkingStatus.store(stStopAsked);
    StateChanged().notify_all();
    WaitForIdle(l);
  }
  Terminate();
  if (GetSuspended()) Resume();
}

void TRVWordEnumThread::LaterSetBackTo(TCustomRVData* RVData, int ItemNo, int Offs) {
  std::lock_guard<std::mutex> l(StateLock());
  // "The item before the first one" of an edit at the document's start is its first item (-1
  // would read as no position at all).
  if (ItemNo < 0) {
    ItemNo = 0;
    Offs = 0;
  }
  if (NextItemNo < 0 || NextRVData != RVData || ItemNo < NextItemNo || (ItemNo == NextItemNo && Offs < NextOffs)) {
    NextRVData = RVData;
    NextItemNo = ItemNo;
    NextOffs = Offs;
  }
}

void TRVWordEnumThread::SetBackToCurItem(TCustomRVData* RVData, int ItemNo) {
  if (!HasModifiedWord.exchange(false)) return;
  std::unique_lock<std::mutex> l(StateLock());
  WaitForIdle(l);
  if (!CurRVData || !RVData) return;
  const int cmp = CurRVData->CompareItemPositions(CurItemNo, RVData, ItemNo);
  if (cmp < 0) return;
  if (cmp == 0)
    CheckUnchecked = true;
  else if (ItemNo >= 0 && ItemNo < RVData->ItemCount())
    RVData->GetItem(ItemNo)->ClearLiveSpellingResult();
  NextRVData = RVData;
  NextItemNo = ItemNo;
  NextOffs = 0;
  CheckUnchecked = false;
  ApplySetBack();
}

void TRVWordEnumThread::RemoveRVData(TCustomRVData* RVData) {
  std::unique_lock<std::mutex> l(StateLock());
  WaitForIdle(l);
  if (RVData && RVData == CurRVData) FForceSetBack = true;
  // A pending position in the document that goes away would point into freed memory.
  if (RVData && RVData == NextRVData) {
    NextRVData = nullptr;
    NextItemNo = -1;
    NextOffs = -1;
    FForceSetBack = true;
  }
}

bool TRVWordEnumThread::IsChecked(TCustomRVData* RVData, int ItemNo) {
  std::unique_lock<std::mutex> l(StateLock());
  WaitForIdle(l);
  if (!CurRVData || !RVData || FForceSetBack) return false;
  return CurRVData->CompareItemPositions(CurItemNo, RVData, ItemNo) >= 0;
}

bool TRVWordEnumThread::IsAt(TCustomRVData* RVData, int ItemNo) {
  std::unique_lock<std::mutex> l(StateLock());
  WaitForIdle(l);
  return CurRVData == RVData && CurItemNo == ItemNo;
}

bool TRVWordEnumThread::IsDelaying() {
  std::lock_guard<std::mutex> l(StateLock());
  return Delaying;
}

// StateLock() is held.
void TRVWordEnumThread::ApplySetBack() {
  if (NextItemNo < 0) {
    if (FForceSetBack) {
      // The walked document is gone: the pass starts again from the root document.
      CurRVData = FViroZere ? FViroZere->GetRVData() : nullptr;
      CurItemNo = 0;
      CurItemCheckStarted = false;
      FForceSetBack = false;
      CheckUnchecked = false;
      HasModifiedWord = false;
    }
    return;
  }
  TCustomRVData* data = NextRVData;
  const int itemNo = NextItemNo, offs = NextOffs;
  NextRVData = nullptr;
  NextItemNo = -1;
  NextOffs = -1;
  if (!data) return;
  const int cmp = (FForceSetBack || !CurRVData) ? 1 : CurRVData->CompareItemPositions(CurItemNo, data, itemNo);
  FForceSetBack = false;
  if (cmp < 0) return;
  CurRVData = data;
  CurItemNo = itemNo;
  if (cmp > 0) {
    CurItemCheckStarted = offs > 1 && itemNo < data->ItemCount() && data->GetItem(itemNo)->StyleNo >= 0;
    if (CurItemCheckStarted) {
      LoadCurText();
      RestartScanAt(offs);
    }
  } else {
    if (!CheckUnchecked && itemNo >= 0 && itemNo < data->ItemCount()) data->GetItem(itemNo)->ClearLiveSpellingResult();
    CurItemCheckStarted = false;
  }
}

void TRVWordEnumThread::LoadCurText() { CurText = CurRVData->GetItemTextW(CurItemNo); }

// The scan restarts at the delimiter before the word that holds Offs (or at the text's start).
void TRVWordEnumThread::RestartScanAt(int Offs) {
  std::size_t p = std::min<std::size_t>(static_cast<std::size_t>(Offs - 1), CurText.size());
  if (p > 0) --p;
  while (p > 0 && !(p < CurText.size() && CurRVData->IsDelimiterW(CurText[p]))) --p;
  CurTextPos = p;
}

// ---- the worker ----

void TRVWordEnumThread::Execute() {
  TEndGuard guard{StateLock(), StateChanged(), FThreadWorkingStatus, FInStep, CurText};
  std::unique_lock<std::mutex> l(StateLock());
  while (!GetTerminated()) {
    if (GetSuspended()) {
      StateChanged().wait(l);
      continue;
    }
    if (Delaying) {
      // Every edit moves the end of the pause; the worker goes on 50 ms after the last one.
      if (TClock::now() < FDelayUntil) {
        StateChanged().wait_until(l, FDelayUntil);
        continue;
      }
      Delaying = false;
    }
    const TRVThreadWorkingStatus status = FThreadWorkingStatus.load();
    if (status == stStopAsked) {
      FThreadWorkingStatus.store(stIdle);
      StateChanged().notify_all();
      continue;
    }
    if (status != stWorking) {
      StateChanged().wait(l);
      continue;
    }
    FInStep = true;
    l.unlock();
    DoStep();
    l.lock();
    FInStep = false;
    StateChanged().notify_all();
    // A GUI thread that waits for the step serves synchronised calls meanwhile: wake it there.
    if (FThreadWorkingStatus.load() != stWorking) WakeSynchronizeWaiters();
  }
}

// Runs with FInStep set: the GUI thread changes nothing the step reads until it ends.
void TRVWordEnumThread::DoStep() {
  if (!FViroZere || !CurRVData) {
    std::lock_guard<std::mutex> l(StateLock());
    SetSuspendedLocked(true);
    return;
  }
  TCustomRVData* root = FViroZere->GetRVData();
  if (CurItemNo >= CurRVData->ItemCount()) {
    if (CurRVData == root) {
      if (GetTerminated()) return;
      // The pass is complete: one call lets the GUI thread see it, then the worker parks until
      // it is continued (unless a stop or continue came meanwhile).
      CallGUI([] {});
      std::lock_guard<std::mutex> l(StateLock());
      if (FThreadWorkingStatus.load() == stWorking) SetSuspendedLocked(true);
      return;
    }
    // The end of a nested document: its owner's next document, or the item after the owner.
    int parentItemNo = -1;
    TRVStoreSubRVData* location = nullptr;
    CurRVData->GetParentInfo(parentItemNo, location);
    std::unique_ptr<TRVStoreSubRVData> state(location);
    TCustomRVData* parent = CurRVData->GetAbsoluteParentData();
    if (!parent || parentItemNo < 0 || parentItemNo >= parent->ItemCount()) {
      // A document that does not know its place: the pass continues no further.
      CurRVData = root;
      CurItemNo = root->ItemCount();
      return;
    }
    TCustomRVData* next = parent->GetItem(parentItemNo)->GetSubRVData(state, rvdNext, CurRVData);
    if (next) {
      CurRVData = next->GetSourceRVData();
      CurItemNo = 0;
    } else {
      CurRVData = parent->GetSourceRVData();
      CurItemNo = parentItemNo + 1;
    }
    CurItemCheckStarted = false;
    return;
  }
  TCustomRVItemInfo* item = CurRVData->GetItem(CurItemNo);
  if (item->StyleNo < 0 || (item->ItemState.Contains(rvisSpellChecked) && !CheckUnchecked)) {
    std::unique_ptr<TRVStoreSubRVData> state;
    if (TCustomRVData* sub = item->GetSubRVData(state, rvdFirst)) {
      CurRVData = sub->GetSourceRVData();
      CurItemNo = 0;
    } else {
      ++CurItemNo;
    }
    CurItemCheckStarted = false;
    return;
  }
  if (!CurItemCheckStarted) {
    LoadCurText();
    bool noWords = false;
    if (TRVStyle* style = CurRVData->GetRVStyle(); style && item->StyleNo < style->TextStyles()->Count()) {
      TFontInfo* fi = style->TextStyles()->Items(item->StyleNo);
      noWords = (fi->Jump && (IsUrl(CurText) || IsEmailAddress(CurText))) || fi->Charset == SYMBOL_CHARSET;
    }
    if (noWords) CurText.clear();
    if (noWords || !CheckUnchecked) {
      // The marks are painted by the GUI thread: only it removes them. The state is read by
      // this thread alone while it runs.
      item->ItemState.Exclude(rvisSpellChecked);
      if (item->WordPaintList) CallGUI([item] { item->ClearLiveSpellingResult(); });
    }
    CurTextPos = 0;
    CurItemCheckStarted = true;
  }
  TRVUnicodeString word;
  if (!FindNextWord(word)) {
    item->ItemState.Include(rvisSpellChecked);
    ++CurItemNo;
    CurItemCheckStarted = false;
    return;
  }
  if (!FViroZere->OnSpellingCheck) return;
  bool misspelled = false;
  FViroZere->OnSpellingCheck(FViroZere, word, item->StyleNo, misspelled);
  if (misspelled) CallGUI([this] { MarkMisspelling(); });
}

void TRVWordEnumThread::CallGUI(const std::function<void()>& Method) {
  Synchronize([this, &Method] {
    FServingCall = true;
    struct TLeave {
      bool& Flag;
      ~TLeave() { Flag = false; }
    } leave{FServingCall};
    Method();
  });
}

// On the GUI thread, while the worker waits in Synchronize.
void TRVWordEnumThread::MarkMisspelling() {
  TCustomRVItemInfo* item = CurRVData->GetItem(CurItemNo);
  item->AddMisspelling(WordOffs, WordLen);
  auto* fd = dynamic_cast<TCustomRVFormattedData*>(CurRVData);
  if (!fd || !fd->DrawItems || fd->DrawItems->Count() == 0) return;
  int first = -1, last = -1, offs = 0;
  fd->Item2DrawItem(CurItemNo, WordOffs, first, offs);
  fd->Item2DrawItem(CurItemNo, WordOffs + WordLen, last, offs);
  if (first < 0 || last < first || last >= fd->DrawItems->Count()) return;
  for (int i = first; i <= last; ++i) fd->InvalidateDrawItem(i, 3, true);
}

bool TRVWordEnumThread::FindNextWord(TRVUnicodeString& Word) {
  const std::size_t n = CurText.size();
  auto isSeparator = [this](TRVUnicodeChar c) { return c == u'&' || CurRVData->IsDelimiterW(c); };
  TCustomRVItemInfo* item = CurRVData->GetItem(CurItemNo);
  std::size_t p = CurTextPos;
  for (;;) {
    while (p < n && (isSeparator(CurText[p]) || IsApostrophe(CurText[p]))) ++p;
    if (p >= n) {
      CurTextPos = n;
      CheckUnchecked = false;
      return false;
    }
    const std::size_t start = p;
    // A word ends at a delimiter or "&", or at an apostrophe that is the text's last character
    // or stands before a delimiter.
    while (p < n) {
      const TRVUnicodeChar c = CurText[p];
      if (isSeparator(c)) break;
      if (IsApostrophe(c) && (p + 1 >= n || CurRVData->IsDelimiterW(CurText[p + 1]))) break;
      ++p;
    }
    // Re-checking an item that keeps its marks: marked words are skipped.
    if (CheckUnchecked && item->IsMisspelled(static_cast<int>(start) + 1)) continue;
    WordOffs = static_cast<int>(start) + 1;
    WordLen = static_cast<int>(p - start);
    CurTextPos = p;
    Word.assign(CurText, start, p - start);
    return true;
  }
}
