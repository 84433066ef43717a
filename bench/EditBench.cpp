// Editing a document of about 300 A4 pages (one paragraph a line, DejaVu Sans 12 pt, the text
// width of an A4 page less 2 cm margins) through the editor's primitive edits and its undo
// lists, each figure beside the toolkit's rich-text document with the same text doing the same
// edit through a cursor and its own undo, in the same program. Both sides bring the layout of
// what changed up to date inside the timing (ours by reformatting, the toolkit's by asking its
// layout for the document's size).
// - one character inserted near the start, the middle and the end: one undo step with its
//   record, the paragraph reformatted as the width rule says, the caret placed after it;
// - 10,000 characters typed one by one into one text item as one coalesced typing step, then
//   undone and redone as the lists allow (ours one character a call, the toolkit's merged), with
//   the memory the undo list holds for each typed character;
// - every item deleted in one undo step, then the step undone;
// - 200 keys typed one by one through the editor's typing, each laid out and shown after it;
// - Backspace near the start, the middle and the end: the character before the caret deleted as
//   one deletion step, the paragraph reformatted, the caret placed where the character was;
// - the keys' whole road through the control's messages (key down, character, the typing step or
//   the key's edit, the reformat, the caret): a typed character near the start, the middle and the
//   end; Enter in the middle of a long paragraph; Backspace joining two paragraphs; select all,
//   Delete, then undo.
// Each edit is taken back outside the timing, so every iteration starts from the same document;
// the insertion point moves from iteration to iteration.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "EditorPageBench.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVUndo.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/TextPeers.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

// Allocation counting (replaces the global new and delete).
#include "BenchPeers.h"

namespace {

constexpr int kLines = 15600;    // 52 lines a page
constexpr int kTyped = 10000;
// One paragraph of about 3,000 characters for Enter in the middle of a long paragraph.
constexpr int kLongItem = kLines / 2 + 100;
constexpr int kLongLines = 50;

// The editor with the document, and the toolkit's document with the same text.
struct TEditDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  TToolkitDocumentPeer Peer;
  std::vector<std::u16string> Lines;

  TEditDoc() {
    TFontInfo* f = SetPlainPageStyles(Sheet);
    unsigned seed = 2024;
    for (int n = 0; n < kLines; ++n) {
      const std::string line = VariedLine(n, seed, 60);
      Lines.emplace_back(line.begin(), line.end());
    }
    std::u16string longText;
    for (int n = 0; n < kLongLines; ++n) {
      const std::string line = VariedLine(n, seed, 60);
      longText.append(line.begin(), line.end());
      longText += u' ';
    }
    Lines[kLongItem] = longText;

    Editor = OpenPageEditor(Sheet);
    for (const auto& l : Lines) Data()->AddNL(l, 0, 0);
    FormatToPageWidth(*Editor);
    AddPeerLines(Peer, Lines, *f);
    Peer.Layout(TextWidth());
    Peer.SetUndoRedoEnabled(true);
  }
  TRVEditRVData* Data() const { return Editor->GetEditRVData(); }
  int TextWidth() const { return Editor->GetClientWidth() - 2 * kMargin; }
};

// Kept until the process ends: windows cannot be destroyed after the application object.
TEditDoc& Doc() {
  static TEditDoc* doc = new TEditDoc;
  return *doc;
}

void DocCounters(benchmark::State& state) {
  TRVEditRVData* data = Doc().Data();
  state.counters["items"] = data->ItemCount();
  state.counters["doc_width_px"] = data->DocumentWidth;
  state.counters["pages_A4"] = data->DocumentHeight / 971.0;  // 29.7 cm less 2 x 2 cm at 96 ppi
}

// Characters of the item that its draw items show.
int DrawnLength(TRVEditRVData* data, int ItemNo) {
  int n = 0;
  if (!data->DrawItems) return 0;
  for (int i = data->Item2FirstDrawItem(ItemNo); i >= 0 && i < data->DrawItems->Count(); ++i) {
    if (data->DrawItems->Get(i)->ItemNo != ItemNo) break;
    n += data->DrawItems->Get(i)->TextLength;
  }
  return n;
}

// Undoes what the undo list holds and forgets the redo steps it made (outside the timing).
void TakeBack(TRVEditRVData* data) {
  for (int steps = data->UndoList->Count(); steps > 0 && data->UndoList->Count(); --steps) data->UndoList->Undo(data);
  data->RedoList->Clear();
}

// ---- one character inserted -------------------------------------------------------------------

// Where an iteration inserts: one of twenty paragraphs from a share of the document on (0 start,
// 50 middle, 100 end), at an offset that moves along the line (item offsets count from 1).
struct TSite {
  int ItemNo, Offset;
};

TSite Site(int Percent, int n) {
  const int first = std::min(kLines - 20, kLines * Percent / 100);
  return {first + n % 20, 10 + (n * 7) % 40};
}

// The editor's insertion of one character at the site: one undo step with its record, the
// paragraph formatted again (the whole document when the width rule says so), the caret after
// the character.
void InsertChar(TRVEditRVData* data, const TSite& s) {
  int w0 = 0, w1 = 0;
  data->BeginItemModify(s.ItemNo, w0);
  data->BeginUndoSequence(rvutInsert, true);
  data->Do_InsertSubstring(s.ItemNo, s.Offset, u"x");
  data->EndUndoSequence();
  data->BeginItemModify(s.ItemNo, w1);
  data->ReformatEx(data->WidthRuleRequiresFull(w0, w1), true, true, s.ItemNo, false, -1, 0, -1, 0);
  data->SetCaretAtItem(s.ItemNo, s.Offset + 1);
  data->ChangeCaret(false, false, false, false);
  data->Change();
}

// Empty when the editor did the insertion as asked, else what went wrong.
std::string CheckInsertion(TRVEditRVData* data, const TSite& s) {
  const int length = data->GetItemTextLength(s.ItemNo), drawn = DrawnLength(data, s.ItemNo);
  data->SetCaretAtItem(s.ItemNo, s.Offset);
  InsertChar(data, s);
  if (data->GetItemTextLength(s.ItemNo) != length + 1) return "the primitive did not insert the character";
  if (data->UndoList->CurrentUndoType() != rvutInsert) return "the insertion made no undo step";
  if (DrawnLength(data, s.ItemNo) != drawn + 1) return "the reformat does not show the character";
  if (data->GetCurItemNo() != s.ItemNo || data->GetOffsetInCurItem() != s.Offset + 1)
    return "the caret is not after the character";
  TakeBack(data);
  if (data->GetItemTextLength(s.ItemNo) != length || DrawnLength(data, s.ItemNo) != drawn)
    return "undo did not take the character back";
  return {};
}

void BM_InsertChar(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const std::string fault = CheckInsertion(data, Site(percent, 0));
  if (!fault.empty()) {
    state.SkipWithError(fault.c_str());
    return;
  }
  int n = 0;
  data->SetCaretAtItem(Site(percent, 0).ItemNo, Site(percent, 0).Offset);
  for (auto _ : state) {
    InsertChar(data, Site(percent, n++));
    state.PauseTiming();
    TakeBack(data);
    // The caret waits where the next character goes, as a user's caret would.
    data->SetCaretAtItem(Site(percent, n).ItemNo, Site(percent, n).Offset);
    state.ResumeTiming();
  }
  state.counters["paragraph"] = Site(percent, 0).ItemNo;
  DocCounters(state);
}

void BM_InsertChar_QTextDocument(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  TToolkitDocumentPeer& peer = Doc().Peer;
  const int chars = peer.CharacterCount();
  peer.Type(Site(percent, 0).ItemNo, Site(percent, 0).Offset - 1, u"x");
  if (peer.CharacterCount() != chars + 1) state.SkipWithError("the toolkit's document did not take the character");
  peer.Undo();
  if (peer.CharacterCount() != chars) state.SkipWithError("the toolkit's undo did not take the character back");
  int n = 0;
  for (auto _ : state) {
    const TSite s = Site(percent, n++);
    benchmark::DoNotOptimize(peer.Type(s.ItemNo, s.Offset - 1, u"x"));
    state.PauseTiming();
    peer.Undo();
    peer.UpdateLayout();
    state.ResumeTiming();
  }
  peer.ClearUndoRedo();
  state.counters["paragraph"] = Site(percent, 0).ItemNo;
}

// ---- typing as one step, undone and redone ---------------------------------------------------------

// The typed text: words and spaces, so that the growing paragraph wraps as prose does.
std::u16string TypedText() {
  unsigned seed = 77;
  std::u16string t;
  while (t.size() < static_cast<std::size_t>(kTyped)) {
    const std::string words = VariedLine(0, seed, 200).substr(7);
    t.append(words.begin(), words.end());
  }
  t.resize(kTyped);
  return t;
}

double Seconds(std::chrono::steady_clock::time_point& t) {
  const auto now = std::chrono::steady_clock::now();
  const double s = std::chrono::duration<double>(now - t).count();
  t = now;
  return s;
}

// Near the end: the toolkit's document lays out every inserted character at once and moves the
// blocks after it (milliseconds a character in the middle); where the edit lies is the first
// benchmark's business.
TSite TypingSite() { return {kLines - 10, 20}; }

// In use by malloc: what the toolkit's allocations hold (they do not all pass through new).
double MallocInUse() { return static_cast<double>(mallinfo2().uordblks); }

// Typing as the data types one character that continues the item: the text changes through the
// primitive without a record of its own, and the undo list adds the character to its typing step.
void BM_TypingStep(benchmark::State& state) {
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const std::u16string text = TypedText();
  const TSite s = TypingSite();
  const int length = data->GetItemTextLength(s.ItemNo);
  double type = 0, undo = 0, redo = 0, undoListBytes = 0;
  int undoCalls = 0, redoCalls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    data->SetCaretAtItem(s.ItemNo, s.Offset);
    state.ResumeTiming();
    auto t = std::chrono::steady_clock::now();
    int offs = s.Offset;
    for (char16_t c : text) {
      data->UndoDest = udNone;
      data->Do_InsertSubstring(s.ItemNo, offs, std::u16string(1, c));
      data->UndoDest = udUndo;
      data->UndoList->AddTyping(s.ItemNo, offs, true, Doc().Editor.get());
      ++offs;
    }
    data->UndoDest = udNone;
    data->Reformat(false, false, true, s.ItemNo, false);
    data->SetCaretAtItem(s.ItemNo, offs);
    data->ChangeCaret(false, false, false, false);
    type += Seconds(t);
    const int typed = data->GetItemTextLength(s.ItemNo) - length;
    const int steps = data->UndoList->Count();
    undoCalls = redoCalls = 0;
    for (; data->UndoList->Count() && undoCalls <= kTyped; ++undoCalls) data->UndoList->Undo(data);
    undo += Seconds(t);
    const int left = data->GetItemTextLength(s.ItemNo) - length;
    for (; data->RedoList->Count() && redoCalls <= kTyped; ++redoCalls) data->RedoList->Redo(data);
    redo += Seconds(t);
    state.PauseTiming();
    // What the undo list holds for the typed characters: the bytes it gives back when cleared.
    const std::int64_t before = gAllocated.load();
    const int redone = data->GetItemTextLength(s.ItemNo) - length;
    Doc().Editor->ClearUndo();
    undoListBytes = static_cast<double>(before - gAllocated.load());
    // Back to the document as it was, without a record.
    data->UndoDest = udNone;
    if (redone > 0) data->Do_DeleteSubstring(s.ItemNo, s.Offset, redone);
    data->Reformat(false, false, true, s.ItemNo, false);
    state.ResumeTiming();
    if (typed != kTyped || steps != 1) {
      state.SkipWithError("typing did not make one step of the typed characters");
      break;
    }
    if (left != 0 || redone != kTyped) {
      state.SkipWithError("undo and redo did not take every character back and forth");
      break;
    }
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["type_us_per_char"] = type / runs / kTyped * 1e6;
  state.counters["undo_us_per_char"] = undo / runs / kTyped * 1e6;
  state.counters["redo_us_per_char"] = redo / runs / kTyped * 1e6;
  state.counters["undo_calls"] = undoCalls;
  state.counters["redo_calls"] = redoCalls;
  state.counters["undo_list_bytes_per_char"] = undoListBytes / kTyped;
  DocCounters(state);
}

void BM_TypingStep_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const std::u16string text = TypedText();
  const TSite s = TypingSite();
  const int chars = peer.CharacterCount();
  double type = 0, undo = 0, redo = 0, undoBytes = 0;
  int undoCalls = 0, redoCalls = 0;
  for (auto _ : state) {
    auto t = std::chrono::steady_clock::now();
    peer.TypeEach(s.ItemNo, s.Offset - 1, text);
    peer.UpdateLayout();
    type += Seconds(t);
    const int typed = peer.CharacterCount() - chars;
    for (undoCalls = 0; peer.Undo(); ++undoCalls) {
    }
    peer.UpdateLayout();
    undo += Seconds(t);
    const int left = peer.CharacterCount() - chars;
    for (redoCalls = 0; peer.Redo(); ++redoCalls) {
    }
    peer.UpdateLayout();
    redo += Seconds(t);
    state.PauseTiming();
    const int redone = peer.CharacterCount() - chars;
    // What the undo stack holds for the typed characters: the bytes it gives back when cleared.
    const double before = MallocInUse();
    peer.ClearUndoRedo();
    undoBytes = before - MallocInUse();
    // Back to the document as it was.
    peer.RemoveTyped();
    peer.ClearUndoRedo();
    state.ResumeTiming();
    if (typed != kTyped || left != 0 || redone != kTyped) {
      state.SkipWithError("the toolkit's document did not type, undo and redo the characters");
      break;
    }
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["type_us_per_char"] = type / runs / kTyped * 1e6;
  state.counters["undo_us_per_char"] = undo / runs / kTyped * 1e6;
  state.counters["redo_us_per_char"] = redo / runs / kTyped * 1e6;
  state.counters["undo_calls"] = undoCalls;
  state.counters["redo_calls"] = redoCalls;
  state.counters["undo_stack_bytes_per_char"] = undoBytes / kTyped;
}

// ---- everything deleted, then undone ---------------------------------------------------------------

void BM_DeleteAllAndUndo(benchmark::State& state) {
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const int items = data->ItemCount(), height = data->DocumentHeight;
  int emptied = -1, restored = -1, restoredHeight = -1;
  for (auto _ : state) {
    state.PauseTiming();
    data->SetCaretAtItem(0, 1);
    data->ChangeCaret(false, false, true, false);  // the selection follows the caret
    state.ResumeTiming();
    // Every item goes; the first one keeps the empty paragraph that the caret stands in, as the
    // editor's deletion of everything leaves it.
    data->BeginUndoSequence(rvutDelete, true);
    bool full = false;
    data->Do_DeleteItems(1, data->ItemCount() - 1, full);
    data->Do_DeleteSubstring(0, 1, -1);
    data->EndUndoSequence();
    // Every draw item but the first lost its item: only a full format answers that.
    data->ReformatEx(true, true, true, 0, false, -1, 0, -1, 0);
    data->Change();
    emptied = data->ItemCount() == 1 && data->GetItemTextLength(0) == 0 ? 1 : 0;
    if (data->UndoList->Count()) data->UndoList->Undo(data);
    state.PauseTiming();
    restored = data->ItemCount();
    restoredHeight = data->DocumentHeight;
    data->RedoList->Clear();
    state.ResumeTiming();
    if (emptied != 1 || restored != items || restoredHeight != height) {
      static std::string why;
      why = emptied != 1 ? "the primitives did not delete the items"
                         : "undo did not bring the document back as it was: " + std::to_string(restored) + " items of " +
                               std::to_string(items) + ", height " + std::to_string(restoredHeight) + " of " +
                               std::to_string(height);
      state.SkipWithError(why.c_str());
      break;
    }
  }
  state.counters["items_deleted"] = items;
  DocCounters(state);
}

void BM_DeleteAllAndUndo_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const int chars = peer.CharacterCount(), paragraphs = peer.ParagraphCount();
  const double height = peer.UpdateLayout();
  for (auto _ : state) {
    peer.RemoveAll();
    const double emptyHeight = peer.UpdateLayout();
    const bool emptied = peer.CharacterCount() == 1 && emptyHeight < height;
    peer.Undo();
    const double back = peer.UpdateLayout();
    state.PauseTiming();
    peer.ClearUndoRedo();
    state.ResumeTiming();
    if (!emptied || peer.CharacterCount() != chars || back != height) {
      state.SkipWithError("the toolkit's document did not remove everything and bring it back");
      break;
    }
  }
  state.counters["paragraphs"] = paragraphs;
}

// ---- Backspace ----------------------------------------------------------------------------------------

// Backspace as the editor control performs it for the key: the data's OnBackSpacePress_ at the
// caret (one deletion step, the paragraph formatted again, the caret placed before the deleted
// character), then the change announced.
void PressBackspace(TRVEditRVData* data) {
  data->OnBackSpacePress_(false, false, false, 0);
  data->Change();
}

// Empty when Backspace at the site deleted the character before it as asked, else what went wrong.
std::string CheckBackspace(TRVEditRVData* data, const TSite& s) {
  const TRVUnicodeString text = data->GetItemTextW(s.ItemNo);
  const int drawn = DrawnLength(data, s.ItemNo);
  data->SetCaretAtItem(s.ItemNo, s.Offset);
  PressBackspace(data);
  TRVUnicodeString expected = text;
  expected.erase(static_cast<std::size_t>(s.Offset - 2), 1);
  if (data->GetItemTextW(s.ItemNo) != expected) return "Backspace did not delete the character before the caret";
  if (data->UndoList->CurrentUndoType() != rvutDelete) return "Backspace made no deletion step";
  if (DrawnLength(data, s.ItemNo) != drawn - 1) return "the reformat still shows the character";
  if (data->GetCurItemNo() != s.ItemNo || data->GetOffsetInCurItem() != s.Offset - 1)
    return "the caret is not where the character was";
  TakeBack(data);
  if (data->GetItemTextW(s.ItemNo) != text || DrawnLength(data, s.ItemNo) != drawn)
    return "undo did not bring the character back";
  return {};
}

void BM_Backspace(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const std::string fault = CheckBackspace(data, Site(percent, 0));
  if (!fault.empty()) {
    state.SkipWithError(fault.c_str());
    return;
  }
  int n = 0;
  data->SetCaretAtItem(Site(percent, 0).ItemNo, Site(percent, 0).Offset);
  for (auto _ : state) {
    PressBackspace(data);
    ++n;
    state.PauseTiming();
    TakeBack(data);
    data->SetCaretAtItem(Site(percent, n).ItemNo, Site(percent, n).Offset);
    state.ResumeTiming();
  }
  state.counters["paragraph"] = Site(percent, 0).ItemNo;
  DocCounters(state);
}

// The toolkit's Backspace: the character before the same place deleted through a cursor, with
// its undo on, and the layout brought up to date.
void BM_Backspace_QTextDocument(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const int chars = peer.CharacterCount();
  peer.DeletePrevious(Site(percent, 0).ItemNo, Site(percent, 0).Offset - 1);
  if (peer.CharacterCount() != chars - 1) state.SkipWithError("the toolkit's document did not delete the character");
  peer.Undo();
  peer.UpdateLayout();
  if (peer.CharacterCount() != chars) state.SkipWithError("the toolkit's undo did not bring the character back");
  int n = 0;
  for (auto _ : state) {
    const TSite s = Site(percent, n++);
    peer.DeletePrevious(s.ItemNo, s.Offset - 1);
    benchmark::DoNotOptimize(peer.UpdateLayout());
    state.PauseTiming();
    peer.Undo();
    peer.UpdateLayout();
    state.ResumeTiming();
  }
  peer.ClearUndoRedo();
  state.counters["paragraph"] = Site(percent, 0).ItemNo;
}

// ---- keys typed one by one through the editor's typing -----------------------------------------

constexpr int kKeys = 200;

// What a key costs as the editor types it: the character joins the typing step, the caret's line is
// laid out again and the caret placed after the character, each key on its own. With the window
// shown (argument 1) the view is also painted after each key, as the editor does; hidden (0), the
// figure is the one to set beside the toolkit's, which lays out without painting.
void BM_KeyPress(benchmark::State& state) {
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const bool shown = state.range(0) != 0;
  if (!shown) ShowWindow(Doc().Editor->GetHandle(), SW_HIDE);
  const TSite s = TypingSite();
  const std::u16string text = TypedText().substr(0, kKeys);
  const int length = data->GetItemTextLength(s.ItemNo), drawn = DrawnLength(data, s.ItemNo);
  for (auto _ : state) {
    state.PauseTiming();
    data->Deselect(nullptr, false);  // keys replace a selection only after the control deleted it
    data->SetCaretAtItem(s.ItemNo, s.Offset);
    data->ChangeCaret(false, false, false, false);
    state.ResumeTiming();
    for (char16_t c : text) {
      WideChar key = c;
      data->KeyPress(key);
    }
    state.PauseTiming();
    // The lines laid out key by key are the lines of the paragraph formatted at once.
    const int laidOut = DrawnLength(data, s.ItemNo);
    data->Reformat(false, false, true, s.ItemNo, false);
    const bool typed = data->GetItemTextLength(s.ItemNo) == length + kKeys && laidOut > drawn &&
                       DrawnLength(data, s.ItemNo) == laidOut && data->UndoList->Count() == 1 &&
                       data->GetCurItemNo() == s.ItemNo && data->GetOffsetInCurItem() == s.Offset + kKeys;
    for (int i = 0; data->UndoList->Count() && i <= kKeys; ++i) data->UndoList->Undo(data);
    Doc().Editor->ClearUndo();
    const bool back = data->GetItemTextLength(s.ItemNo) == length;
    state.ResumeTiming();
    if (!typed || !back) {
      state.SkipWithError(!typed ? "the keys did not make one typing step shown after the caret"
                                 : "undo did not take the keys back");
      break;
    }
  }
  if (!shown) {
    ShowWindow(Doc().Editor->GetHandle(), SW_SHOW);
    ProcessMessages(20);
  }
  state.counters["us_per_key"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kKeys, benchmark::Counter::kIsRate |
                                                                               benchmark::Counter::kInvert);
  DocCounters(state);
}

// The toolkit's document typing the same keys each in its own edit, its layout brought up to date
// after each as a view would before painting the key.
void BM_KeyPress_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const TSite s = TypingSite();
  const std::u16string text = TypedText().substr(0, kKeys);
  const int chars = peer.CharacterCount();
  for (auto _ : state) {
    int offset = s.Offset - 1;
    for (char16_t c : text) benchmark::DoNotOptimize(peer.Type(s.ItemNo, offset++, std::u16string(1, c)));
    state.PauseTiming();
    const bool typed = peer.CharacterCount() == chars + kKeys;
    while (peer.Undo()) {
    }
    peer.UpdateLayout();
    peer.ClearUndoRedo();
    state.ResumeTiming();
    if (!typed || peer.CharacterCount() != chars) {
      state.SkipWithError("the toolkit's document did not type the keys and take them back");
      break;
    }
  }
  state.counters["us_per_key"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kKeys, benchmark::Counter::kIsRate |
                                                                               benchmark::Counter::kInvert);
}

// ---- the keys' whole road ------------------------------------------------------------------------

// A key as the window system delivers it: key down, then the character it makes (when any).
void PressKey(TViroZereEdit* editor, WORD vk, char16_t ch = 0) {
  editor->Perform(WM_KEYDOWN, vk, 0);
  if (ch) editor->Perform(WM_CHAR, ch, 0);
}

// Typing one character through the control: its key, the typing step, the reformat, the caret.
// With the window shown (second argument 1) the changed line is painted too, as the editor
// does; hidden (0) the figure sets beside the toolkit's, which lays out without painting.
void BM_KeyTypeChar(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  const bool shown = state.range(1) != 0;
  TViroZereEdit* editor = Doc().Editor.get();
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const TSite first = Site(percent, 0);
  const int length = data->GetItemTextLength(first.ItemNo);
  data->SetCaretAtItem(first.ItemNo, first.Offset);
  PressKey(editor, 'X', u'x');
  if (data->GetItemTextLength(first.ItemNo) != length + 1 || data->GetOffsetInCurItem() != first.Offset + 1) {
    state.SkipWithError("the key did not type its character before the caret");
    return;
  }
  TakeBack(data);
  if (!shown) ShowWindow(editor->GetHandle(), SW_HIDE);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const TSite s = Site(percent, n++);
    data->SetCaretAtItem(s.ItemNo, s.Offset);
    state.ResumeTiming();
    PressKey(editor, 'X', u'x');
    state.PauseTiming();
    TakeBack(data);
    state.ResumeTiming();
  }
  if (!shown) {
    ShowWindow(editor->GetHandle(), SW_SHOW);
    ProcessMessages(20);
  }
  state.counters["paragraph"] = first.ItemNo;
  DocCounters(state);
}

// Enter in the middle of the long paragraph: the paragraph splits in two.
int LongOffset(int n) { return 1000 + (n * 37) % 1000; }

void BM_KeyEnterLongParagraph(benchmark::State& state) {
  TViroZereEdit* editor = Doc().Editor.get();
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const int items = data->ItemCount();
  data->SetCaretAtItem(kLongItem, LongOffset(0));
  PressKey(editor, VK_RETURN);
  if (data->ItemCount() != items + 1 || data->GetCurItemNo() != kLongItem + 1) {
    state.SkipWithError("Enter did not split the paragraph at the caret");
    return;
  }
  TakeBack(data);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    data->SetCaretAtItem(kLongItem, LongOffset(n++));
    state.ResumeTiming();
    PressKey(editor, VK_RETURN);
    state.PauseTiming();
    TakeBack(data);
    state.ResumeTiming();
  }
  state.counters["paragraph_chars"] = data->GetItemTextLength(kLongItem);
  DocCounters(state);
}

void BM_KeyEnterLongParagraph_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const int paragraphs = peer.ParagraphCount();
  peer.PressEnter(kLongItem, LongOffset(0) - 1);
  if (peer.ParagraphCount() != paragraphs + 1) state.SkipWithError("the toolkit's Enter did not split the paragraph");
  peer.Undo();
  peer.UpdateLayout();
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(peer.PressEnter(kLongItem, LongOffset(n++) - 1));
    state.PauseTiming();
    peer.Undo();
    peer.UpdateLayout();
    state.ResumeTiming();
  }
  peer.ClearUndoRedo();
}

// Backspace at the start of a paragraph: it joins the paragraph before (same style: one item).
int JoinItem(int n) { return kLines / 4 + n % 20; }

void BM_KeyBackspaceJoin(benchmark::State& state) {
  TViroZereEdit* editor = Doc().Editor.get();
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const int items = data->ItemCount(), before = data->GetItemTextLength(JoinItem(0) - 1);
  data->SetCaretAtItem(JoinItem(0), 1);
  PressKey(editor, VK_BACK);
  if (data->ItemCount() != items - 1 || data->GetCurItemNo() != JoinItem(0) - 1 ||
      data->GetOffsetInCurItem() != before + 1) {
    state.SkipWithError("Backspace did not join the paragraphs with the caret at the join");
    return;
  }
  TakeBack(data);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    data->SetCaretAtItem(JoinItem(n++), 1);
    state.ResumeTiming();
    PressKey(editor, VK_BACK);
    state.PauseTiming();
    TakeBack(data);
    state.ResumeTiming();
  }
  DocCounters(state);
}

void BM_KeyBackspaceJoin_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const int paragraphs = peer.ParagraphCount();
  peer.PressBackspaceAtStart(JoinItem(0));
  if (peer.ParagraphCount() != paragraphs - 1) state.SkipWithError("the toolkit's Backspace did not join");
  peer.Undo();
  peer.UpdateLayout();
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(peer.PressBackspaceAtStart(JoinItem(n++)));
    state.PauseTiming();
    peer.Undo();
    peer.UpdateLayout();
    state.ResumeTiming();
  }
  peer.ClearUndoRedo();
}

// Select all, Delete, then the control's undo (the toolkit's peer: BM_DeleteAllAndUndo_QTextDocument).
void BM_KeySelectAllDeleteUndo(benchmark::State& state) {
  TViroZereEdit* editor = Doc().Editor.get();
  TRVEditRVData* data = Doc().Data();
  TakeBack(data);
  const int items = data->ItemCount(), height = data->DocumentHeight;
  for (auto _ : state) {
    editor->SelectAll();
    PressKey(editor, VK_DELETE);
    const bool emptied = data->ItemCount() == 1 && data->GetItemTextLength(0) == 0;
    editor->Undo();
    state.PauseTiming();
    const bool restored = data->ItemCount() == items && data->DocumentHeight == height;
    data->RedoList->Clear();
    data->Deselect(nullptr, false);
    state.ResumeTiming();
    if (!emptied || !restored) {
      state.SkipWithError(!emptied ? "Delete did not remove the selected document"
                                   : "undo did not bring the document back as it was");
      break;
    }
  }
  state.counters["items_deleted"] = items;
  DocCounters(state);
}

BENCHMARK(BM_InsertChar)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertChar_QTextDocument)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypingStep)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypingStep_QTextDocument)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteAllAndUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteAllAndUndo_QTextDocument)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK(BM_KeyTypeChar)->ArgsProduct({{0, 50, 100}, {1, 0}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyEnterLongParagraph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyEnterLongParagraph_QTextDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyBackspaceJoin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyBackspaceJoin_QTextDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeySelectAllDeleteUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Backspace)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Backspace_QTextDocument)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyPress)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyPress_QTextDocument)->Unit(benchmark::kMillisecond);

// ---- bold applied to the whole generated document, then undone -------------------------------------
//
// The generated 300-page document (several text styles, headings, lists, tab rows, pictures,
// links) in an editor, and the same runs in the toolkit's document. Ours: everything selected,
// each text style turned into its bold form through the control's style conversion (one step; the
// handler finds or makes the bold form of each style once per application), the document formatted
// as the width rule says, then the step undone; the toolkit's: select all, merge a bold format,
// undo. Each side brings its layout up to date after each edit inside the timing.

#include "ToolkitDocCopy.h"
#include "support/GeneratedDocument.h"

namespace {

struct TBoldDoc {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;
  std::unique_ptr<TToolkitDocumentPeer> Peer;
  TGeneratedDocumentInfo Info;
  std::vector<int> Styles;  // every item's style as generated
  std::vector<int> BoldOf;  // the bold form of each style, found once per application

  TBoldDoc() {
    SetGeneratedDocumentStyles(Sheet);
    Editor = OpenPageEditor(Sheet);
    TRVEditRVData* data = Editor->GetEditRVData();
    Info = GenerateDocument(*data, {.Seed = 5, .Pages = 300, .Pictures = true});
    Editor->Format();
    for (int i = 0; i < data->ItemCount(); ++i) Styles.push_back(data->GetItem(i)->StyleNo);
    Editor->OnStyleConversion = [this](TCustomViroZereEdit*, int StyleNo, int, bool, int& NewStyleNo) {
      if (StyleNo < 0) return;
      if (StyleNo >= static_cast<int>(BoldOf.size())) BoldOf.resize(static_cast<size_t>(StyleNo) + 1, -1);
      int& bold = BoldOf[static_cast<size_t>(StyleNo)];
      if (bold < 0) {
        TFontInfo copy(nullptr);
        copy.Assign(Sheet.TextStyles()->Items(StyleNo));
        copy.Style.Include(fsBold);
        bold = Sheet.TextStyles()->FindSuchStyleEx(StyleNo, &copy, AllTextStyleProperties);
      }
      NewStyleNo = bold;
    };
    Peer = ToolkitCopy(*data, Sheet);
    Peer->Layout(Editor->GetClientWidth() - 2 * kMargin);
    Peer->SetUndoRedoEnabled(true);
  }
};

TBoldDoc& BoldDoc() {
  static TBoldDoc* doc = new TBoldDoc;
  return *doc;
}

// Empty when every text item is bold, else what is not.
std::string NotAllBold(TBoldDoc& d) {
  TRVEditRVData* data = d.Editor->GetEditRVData();
  for (int i = 0; i < data->ItemCount(); ++i) {
    const int s = data->GetItem(i)->StyleNo;
    if (s >= 0 && !d.Sheet.TextStyles()->Items(s)->Style.Contains(fsBold))
      return "item " + std::to_string(i) + " is not bold";
  }
  return {};
}

void BM_BoldAllAndUndo(benchmark::State& state) {
  TBoldDoc& d = BoldDoc();
  TViroZereEdit* editor = d.Editor.get();
  TRVEditRVData* data = editor->GetEditRVData();
  const int items = data->ItemCount(), height = data->DocumentHeight;
  int boldItems = 0;
  for (auto _ : state) {
    d.BoldOf.clear();
    editor->SelectAll();
    editor->ApplyStyleConversion(0);
    state.PauseTiming();
    std::string why = NotAllBold(d);
    boldItems = data->ItemCount();
    state.ResumeTiming();
    editor->Undo();
    state.PauseTiming();
    bool same = data->ItemCount() == items && data->DocumentHeight == height;
    for (int i = 0; same && i < items; ++i) same = data->GetItem(i)->StyleNo == d.Styles[static_cast<size_t>(i)];
    if (why.empty() && !same) why = "undo did not bring the styles back";
    data->RedoList->Clear();
    data->Deselect(nullptr, false);
    state.ResumeTiming();
    if (!why.empty()) {
      static std::string error;
      error = why;
      state.SkipWithError(error.c_str());
      break;
    }
  }
  state.counters["items"] = items;
  state.counters["items_bold"] = boldItems;
  state.counters["chars"] = d.Info.Characters;
  state.counters["pages_A4"] = data->DocumentHeight / 971.0;
}

void BM_BoldAllAndUndo_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = *BoldDoc().Peer;
  peer.ClearUndoRedo();
  const double height = peer.UpdateLayout();
  for (auto _ : state) {
    peer.MergeBoldIntoAll();
    peer.UpdateLayout();
    const bool undone = peer.Undo();
    const double back = peer.UpdateLayout();
    state.PauseTiming();
    peer.ClearUndoRedo();
    state.ResumeTiming();
    if (!undone || back != height) {
      state.SkipWithError("the toolkit's document did not make everything bold and take it back");
      break;
    }
  }
  state.counters["paragraphs"] = peer.ParagraphCount();
}

}  // namespace

// ---- 1 MB of plain text pasted at the caret ------------------------------------------------------
// About 16,000 lines of text (1 MB) on the clipboard, pasted through the control's Paste at the
// middle of an item near the document's middle: the clipboard read, one insertion step, the new
// paragraphs formatted, the caret placed after them. The peer inserts the same text through one
// cursor (insertText) and lays the document out. Each paste is undone outside the timing.

namespace {

const std::u16string& PastedText() {
  static const std::u16string text = [] {
    std::u16string t;
    unsigned seed = 77;
    for (int n = 0; t.size() < (1u << 20); ++n) {
      const std::string line = VariedLine(n, seed, 60);
      t.append(line.begin(), line.end());
      t += u'\n';
    }
    return t;
  }();
  return text;
}

int PastedParagraphBreaks() { return static_cast<int>(std::count(PastedText().begin(), PastedText().end(), u'\n')); }

void BM_PastePlainText(benchmark::State& state) {
  TEditDoc& doc = Doc();
  TRVEditRVData* data = doc.Data();
  TakeBack(data);
  const int items = data->ItemCount();
  const std::u16string& text = PastedText();
  const int at = kLines / 2 - 200;
  int added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SetClipboardMimeData({});
    Clipboard()->SetAsText(text);
    data->SetCaretAtItem(at, 10);
    data->ChangeCaret(false, false, true, false);
    state.ResumeTiming();
    doc.Editor->Paste();
    state.PauseTiming();
    added = data->ItemCount() - items;
    TakeBack(data);
    const bool ok = added == PastedParagraphBreaks() && data->ItemCount() == items;
    state.ResumeTiming();
    if (!ok) {
      state.SkipWithError("the paste did not insert the text's paragraphs, or undo did not take them back");
      break;
    }
  }
  state.counters["chars"] = static_cast<double>(text.size());
  state.counters["items_added"] = added;
  DocCounters(state);
}

void BM_PastePlainText_QTextDocument(benchmark::State& state) {
  TToolkitDocumentPeer& peer = Doc().Peer;
  peer.ClearUndoRedo();
  const int paragraphs = peer.ParagraphCount();
  const std::u16string& text = PastedText();
  int added = 0;
  for (auto _ : state) {
    peer.Type(kLines / 2 - 200, 10, text);
    state.PauseTiming();
    added = peer.ParagraphCount() - paragraphs;
    peer.Undo();
    peer.UpdateLayout();
    peer.ClearUndoRedo();
    const bool ok = added == PastedParagraphBreaks() && peer.ParagraphCount() == paragraphs;
    state.ResumeTiming();
    if (!ok) {
      state.SkipWithError("the toolkit's document did not insert the text and take it back");
      break;
    }
  }
  state.counters["paragraphs_added"] = added;
}

}  // namespace

BENCHMARK(BM_BoldAllAndUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoldAllAndUndo_QTextDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PastePlainText)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PastePlainText_QTextDocument)->Iterations(5)->Unit(benchmark::kMillisecond);
