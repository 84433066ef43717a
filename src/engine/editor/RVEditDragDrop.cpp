// Drag and drop of the editor: the drop target of its window, the drop source of a drag of a
// viewer's selection, and the editor's side of a drop: the drop caret while something is dragged
// over it, auto-scrolling near its edges, and the insertion of what is dropped.
//
// A drag inside one editor moves the selection: the dragged content is rendered before the
// selection is deleted, and the deletion and the insertion are one undo step. When nothing could
// be inserted, the deletion is undone at once, so a refused or failed drop never loses text.
#include "engine/editor/RVEditDragDrop.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/document/RVGraphicItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVUni.h"
#include "engine/viewer/RVRootEvents.h"
#include "platform/base/Classes.h"
#include "platform/base/NLS.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ShellAPI.h"

namespace rveditdragdrop_detail {

TShiftState ShiftOfKeyState(DWORD KeyState) {
  TShiftState s;
  if (KeyState & MK_SHIFT) s.Include(ssShift);
  if (KeyState & MK_CONTROL) s.Include(ssCtrl);
  if (KeyState & MK_LBUTTON) s.Include(ssLeft);
  if (KeyState & MK_RBUTTON) s.Include(ssRight);
  if (KeyState & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TRVUnicodeString Lower(TRVUnicodeString s) {
  for (char16_t& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

// The extension of a file name or URL in lower case, without the dot: the text after the last
// "." when no "/", ":" or "\" follows it; a query part ("?" and after) is removed first.
TRVUnicodeString ExtensionOf(TRVUnicodeString Name) {
  if (const std::size_t q = Name.find(u'?'); q != TRVUnicodeString::npos) Name.resize(q);
  const std::size_t dot = Name.rfind(u'.');
  if (dot == TRVUnicodeString::npos) return {};
  const TRVUnicodeString ext = Name.substr(dot + 1);
  if (ext.find_first_of(u"/:\\") != TRVUnicodeString::npos) return {};
  return Lower(ext);
}

// Whether the caret moved or the document grew: what tells that an insertion inserted.
struct TInsertStamp {
  int ItemCount = 0, ItemNo = -1, Offs = 0;
  std::size_t ItemLength = 0;
  static TInsertStamp Of(TCustomViroZereEdit* Editor) {
    TRVEditRVData* d = Editor->GetEditRVData();
    TInsertStamp s;
    s.ItemCount = d->ItemCount();
    s.ItemNo = d->GetCurItemNo();
    s.Offs = d->GetOffsetInCurItem();
    if (s.ItemNo >= 0 && s.ItemNo < s.ItemCount) s.ItemLength = d->GetItemTextW(s.ItemNo).size();
    return s;
  }
  bool operator==(const TInsertStamp&) const = default;
};

}  // namespace rveditdragdrop_detail

using namespace rveditdragdrop_detail;

// ---- effects ------------------------------------------------------------------------------------

TRVOleDropEffects RVDropEffectsOf(DWORD Effects) {
  TRVOleDropEffects r;
  if (Effects & DROPEFFECT_COPY) r.Include(rvdeCopy);
  if (Effects & DROPEFFECT_MOVE) r.Include(rvdeMove);
  if (Effects & DROPEFFECT_LINK) r.Include(rvdeLink);
  return r;
}

TRVOleDropEffect RVDropEffectOf(DWORD Effect) {
  switch (Effect) {
    case DROPEFFECT_COPY: return rvdeCopy;
    case DROPEFFECT_MOVE: return rvdeMove;
    case DROPEFFECT_LINK: return rvdeLink;
    default: return rvdeNone;
  }
}

DWORD RVDropEffectMaskOf(TRVOleDropEffect Effect) {
  switch (Effect) {
    case rvdeCopy: return DROPEFFECT_COPY;
    case rvdeMove: return DROPEFFECT_MOVE;
    case rvdeLink: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

// ---- the drop target ----------------------------------------------------------------------------

TRVDropTarget::~TRVDropTarget() { OwnerReleaseDropTarget(); }

bool TRVDropTarget::RegisterDragDropWindow() {
  if (!FOwner->HandleAllocated()) return false;
  return RegisterDragDrop(FOwner->GetHandle(), shared_from_this()) == S_OK;
}

void TRVDropTarget::UnRegisterDragDropWindow() {
  if (FOwner->HandleAllocated()) RevokeDragDrop(FOwner->GetHandle());
}

TPoint TRVDropTarget::ScreenToClientPoint(TPoint Pt) {
  if (FOwner->HandleAllocated()) ::ScreenToClient(FOwner->GetHandle(), &Pt);
  return Pt;
}

DWORD TRVDropTarget::ChooseEffect(DWORD KeyState, DWORD OkEffects) const {
  auto* viewer = dynamic_cast<TCustomViroZere*>(FOwner);
  TViroZereRVData* data = viewer ? viewer->GetRVData() : nullptr;
  const bool ownDrag = data && data->IsDragging();
  if (!(KeyState & MK_CONTROL) && (OkEffects & DROPEFFECT_MOVE) && ownDrag) return DROPEFFECT_MOVE;
  if (OkEffects & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  return DROPEFFECT_LINK;
}

HRESULT TRVDropTarget::DragEnter(const TDragDataObject* DataObj, DWORD KeyState, TPoint Pt, DWORD& Effect) {
  const TPoint p = ScreenToClientPoint(Pt);
  FAccepted = false;
  FOkEffects = Effect;
  bool acceptable = false;
  if (DataObj)
    for (WORD f : DataObj->Formats())
      if (OleCanAcceptFormat(f)) {
        acceptable = true;
        break;
      }
  Effect = acceptable ? ChooseEffect(KeyState, FOkEffects) : DROPEFFECT_NONE;
  CallOleDragEnterEvent(DataObj, static_cast<int>(KeyState), p, Effect);
  if (Effect != DROPEFFECT_NONE) {
    FAccepted = OleDragEnter(p.X, p.Y);
    if (!FAccepted) Effect = DROPEFFECT_NONE;
  }
  AfterDragEvent();
  return S_OK;
}

HRESULT TRVDropTarget::DragOver(DWORD KeyState, TPoint Pt, DWORD& Effect) {
  const TPoint p = ScreenToClientPoint(Pt);
  if (FAccepted && CanDragOverAt(p) && OleDragOver(p.X, p.Y)) {
    Effect = ChooseEffect(KeyState, FOkEffects);
    CallOleDragOverEvent(static_cast<int>(KeyState), p, Effect);
  } else {
    Effect = DROPEFFECT_NONE;
  }
  AfterDragEvent();
  return S_OK;
}

HRESULT TRVDropTarget::DragLeave() {
  OleDragLeave();
  AfterDragEvent();
  return S_OK;
}

HRESULT TRVDropTarget::Drop(const TDragDataObject* DataObj, DWORD KeyState, TPoint Pt, DWORD& Effect) {
  const TPoint p = ScreenToClientPoint(Pt);
  const DWORD ok = Effect;
  DWORD done = ok;
  const DWORD result = OleDrop(DataObj, static_cast<int>(KeyState), p, done);
  Effect = result == DROPEFFECT_COPY && !(ok & DROPEFFECT_COPY) ? DROPEFFECT_LINK : result;
  AfterDragEvent();
  return S_OK;
}

// ---- the drop source ------------------------------------------------------------------------------

WORD TRVEnumFormatEtc::FormatAt(int Index) {
  switch (Index) {
    case 0: return static_cast<WORD>(RVFClipboardFormat);
    case 1: return static_cast<WORD>(RTFClipboardFormat);
    case 2: return CF_TEXT;
    case 3: return CF_UNICODETEXT;
    default: return 0;
  }
}

HRESULT TRVEnumFormatEtc::Next(int Count, std::vector<WORD>& Formats) {
  Formats.clear();
  while (static_cast<int>(Formats.size()) < Count && FormatAt(FIndex)) Formats.push_back(FormatAt(FIndex++));
  return static_cast<int>(Formats.size()) == Count ? S_OK : S_FALSE;
}

HRESULT TRVEnumFormatEtc::Skip(int Count) {
  for (int i = 0; i < Count; ++i) {
    if (!FormatAt(FIndex)) return S_FALSE;
    ++FIndex;
  }
  return S_OK;
}

TRVDropSource::TRVDropSource(TCustomViroZere* AOwner) : TRVScrollerInternalIfcObject(AOwner), FViewer(AOwner) {}

HRESULT TRVDropSource::QueryContinueDrag(bool EscapePressed, DWORD KeyState) {
  if (EscapePressed) return DRAGDROP_S_CANCEL;
  if (KeyState & MK_LBUTTON) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT TRVDropSource::GiveFeedback(DWORD /*Effect*/) { return DRAGDROP_S_USEDEFAULTCURSORS; }

bool TRVDropSource::HasFormatData(WORD Format) const {
  return Format && (Format == CF_TEXT || Format == CF_UNICODETEXT || Format == RVFClipboardFormat ||
                    Format == RTFClipboardFormat);
}

std::vector<WORD> TRVDropSource::Formats() const {
  std::vector<WORD> r;
  TRVEnumFormatEtc e;
  e.Next(4, r);
  return r;
}

bool TRVDropSource::GetDataStream(WORD Format, std::string& Block) const {
  Block.clear();
  if (!HasFormatData(Format)) return false;
  if (Format == RVFClipboardFormat) {
    TMemoryStream stream;
    const std::uint32_t zero = 0;
    stream.WriteBuffer(&zero, 4);
    if (!FViewer->SaveRVFToStream(&stream, true)) return false;
    const auto size = static_cast<std::size_t>(stream.GetSize());
    const std::uint32_t count = static_cast<std::uint32_t>(size - 4);
    Block.assign(static_cast<const char*>(stream.Memory()), size);
    std::memcpy(Block.data(), &count, 4);
    return true;
  }
  if (Format == RTFClipboardFormat) {
    TMemoryStream stream;
    if (!FViewer->SaveRTFToStream(&stream, true)) return false;
    Block.assign(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize()));
    Block += '\0';
    return true;
  }
  if (Format == CF_UNICODETEXT) {
    const TRVUnicodeString text = FViewer->GetSelTextW() + u'\0';
    Block.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return true;
  }
  // 8-bit text in the code page copying uses.
  Block = UnicodeToAnsiCP(KeyboardCodePage(), FViewer->GetSelTextW());
  Block += '\0';
  return true;
}

bool TRVDropSource::GetData(WORD Format, std::string& Bytes) const {
  // Data stored ahead is handed over once; a later read renders afresh.
  if (auto it = FStored.find(Format); it != FStored.end()) {
    Bytes = std::move(it->second);
    FStored.erase(it);
    return true;
  }
  return GetDataStream(Format, Bytes);
}

bool TRVDropSource::StoreData(WORD Format) {
  std::string block;
  if (!GetDataStream(Format, block)) return false;
  FStored[Format] = std::move(block);
  return true;
}

DWORD TRVDropSource::ExecuteDrag(HWND Window, DWORD OkEffects) {
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(Window, this, this, OkEffects, &effect);
  return effect;
}

// ---- the editor data: the source of a drag -------------------------------------------------------

bool TRVEditRVData::GetDropSource(TObject*& DropSource, DWORD& OkEffects) {
  DropSource = nullptr;
  OkEffects = DROPEFFECT_NONE;
  if (!IsRoot()) return TViroZereRVData::GetDropSource(DropSource, OkEffects);
  TCustomViroZereEdit* editor = GetEditor();
  if (!editor || FDragSource || IsDragging()) return false;
  FDragSource = std::make_unique<TRVDropSource>(editor);
  SetDropSource(FDragSource.get());
  OkEffects = DROPEFFECT_COPY;
  if (AllowChanging() && !editor->GetReadOnly() && CanDelete()) OkEffects |= DROPEFFECT_MOVE;
  DropSource = FDragSource.get();
  return true;
}

void TRVEditRVData::ReleaseDropSource(bool Moved) {
  if (!IsRoot()) {
    TViroZereRVData::ReleaseDropSource(Moved);
    return;
  }
  std::unique_ptr<TObject> source = std::move(FDragSource);
  TViroZereRVData::ReleaseDropSource();
  // Moved to another place: the selection that was dragged goes.
  if (Moved && source)
    if (TCustomViroZereEdit* editor = GetEditor()) editor->DeleteSelection();
}

// ---- the editor control: its window ----------------------------------------------------------------

void TCustomViroZereEdit::CreateWnd() {
  TCustomViroZere::CreateWnd();
  if (!FDropTarget) {
    auto target = std::make_shared<TRVDropTarget>(this);
    DropTargetCreated(target.get());
    if (target->RegisterDragDropWindow()) FDropTarget = target.get();
  }
}

void TCustomViroZereEdit::DestroyWnd() {
  if (FDropTarget) FDropTarget->UnRegisterDragDropWindow();
  FDropTarget = nullptr;
  TCustomViroZere::DestroyWnd();
}

// ---- the editor control: dragging over it --------------------------------------------------------------

bool TCustomViroZereEdit::OleCanAcceptFormat(WORD Format) {
  const TRVDragDropFormats& f = FAcceptDragDropFormats;
  if (!Format) return false;
  switch (Format) {
    case CF_TEXT: return f.Contains(rvddText);
    case CF_BITMAP:
    case CF_DIB: return f.Contains(rvddBitmap);
    case CF_UNICODETEXT: return f.Contains(rvddUnicodeText);
    case CF_ENHMETAFILE: return f.Contains(rvddMetafile);
    case CF_HDROP: return f.Contains(rvddFiles);
    default: break;
  }
  if (Format == RTFClipboardFormat) return f.Contains(rvddRTF);
  if (Format == RVFClipboardFormat) return f.Contains(rvddRVF);
  if (Format == URLClipboardFormat || Format == URLWClipboardFormat) return f.Contains(rvddURL);
  return false;
}

bool TCustomViroZereEdit::OleDragEnter(int X, int Y) {
  TRVEditRVData* data = GetEditRVData();
  if (!GetStyle() || !data || !data->AllowChanging()) return false;
  TCustomViroZereEdit* root = GetRootEditor();
  if (!root) return false;
  root->GetEditRVData()->CreateDragDropCaretInfo();
  ActivateScrollTimer(true);
  OleDragOver(X, Y);
  GetTopLevelEditor()->GetEditRVData()->ChangeCaret(false, false, true, false);
  return true;
}

bool TCustomViroZereEdit::OleDragOver(int X, int Y) {
  VScrollDelta = Y < 20 ? -1 : (Y > GetClientHeight() - 20 ? 1 : 0);
  TRVEditRVData* data = GetEditRVData();
  TRVDragDropCaretInfo* info = data ? data->GetDragDropCaretInfo() : nullptr;
  if (!info) return false;
  data->SetDragDropCaretTo(X + data->GetHOffs(), Y + data->GetVOffs());
  return info->RVData && info->RVData->CanInsertHere(info->ItemNo, info->ItemOffs);
}

void TCustomViroZereEdit::OleDragLeave() {
  DeactivateScrollTimer();
  VScrollDelta = 0;
  if (TRVEditRVData* data = GetEditRVData()) {
    data->RemoveDragDropCaret();
    if (TCustomViroZereEdit* root = GetRootEditor()) root->GetEditRVData()->ReleaseDragDropCaretInfo();
  }
  GetTopLevelEditor()->GetEditRVData()->ChangeCaret(false, false, true, false);
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  if (OnOleDragLeave) OnOleDragLeave(root);
}

namespace rveditdragdrop_detail {
// The point in the client coordinates of the root editor, for events raised there.
TPoint RootClientPoint(TCustomViroZereEdit* Editor, TCustomViroZereEdit* Root, TPoint Pt) {
  if (Root == Editor || !Editor->HandleAllocated() || !Root->HandleAllocated()) return Pt;
  ::ClientToScreen(Editor->GetHandle(), &Pt);
  ::ScreenToClient(Root->GetHandle(), &Pt);
  return Pt;
}
}  // namespace rveditdragdrop_detail

void TCustomViroZereEdit::CallOleDragEnterEvent(const TDragDataObject* DataObj, int KeyState, TPoint Pt,
                                                DWORD& Effect) {
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  if (!root->OnOleDragEnter) return;
  const TPoint p = RootClientPoint(this, root, Pt);
  TRVOleDropEffect e = RVDropEffectOf(Effect);
  root->OnOleDragEnter(root, DataObj, ShiftOfKeyState(static_cast<DWORD>(KeyState)), p.X, p.Y,
                       RVDropEffectsOf(FDropTarget ? FDropTarget->OkEffects() : Effect), e);
  Effect = RVDropEffectMaskOf(e);
}

void TCustomViroZereEdit::CallOleDragOverEvent(int KeyState, TPoint Pt, DWORD& Effect) {
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  if (!root->OnOleDragOver) return;
  const TPoint p = RootClientPoint(this, root, Pt);
  TRVOleDropEffect e = RVDropEffectOf(Effect);
  root->OnOleDragOver(root, ShiftOfKeyState(static_cast<DWORD>(KeyState)), p.X, p.Y,
                      RVDropEffectsOf(FDropTarget ? FDropTarget->OkEffects() : Effect), e);
  Effect = RVDropEffectMaskOf(e);
}

// ---- the editor control: the drop -------------------------------------------------------------------------

DWORD TCustomViroZereEdit::OleDrop(const TDragDataObject* DataObj, int KeyState, TPoint Pt, DWORD& Effect) {
  const DWORD okEffects = Effect;
  TRVEditRVData* data = GetEditRVData();
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  TRVEditRVData* rootData = root->GetEditRVData();
  auto* source = dynamic_cast<const TRVDropSource*>(DataObj);
  const bool fromSelf = source && rootData->IsDragging() && source == rootData->FDragSource.get();
  bool move = FDropTarget ? FDropTarget->ChooseEffect(static_cast<DWORD>(KeyState), okEffects) == DROPEFFECT_MOVE
                          : (fromSelf && (okEffects & DROPEFFECT_MOVE) && !(KeyState & MK_CONTROL));
  move = move && fromSelf;

  // 1. The drop position is where the drop caret stands.
  DeactivateScrollTimer();
  VScrollDelta = 0;
  TRVDragDropCaretInfo* info = data ? data->GetDragDropCaretInfo() : nullptr;
  if (!info) {
    // A drop without a drag over the window first (a drop that entered and dropped at once).
    if (!OleDragEnter(Pt.X, Pt.Y)) return DROPEFFECT_NONE;
    info = data->GetDragDropCaretInfo();
  }
  OleDragOver(Pt.X, Pt.Y);
  TCustomRVFormattedData* dropData = info ? info->RVData : nullptr;
  const int dropItemNo = info ? info->ItemNo : -1, dropOffs = info ? info->ItemOffs : 0;
  data->RemoveDragDropCaret();
  // The drop position stays recorded while the selection is deleted, so that it follows the
  // content it points at.
  if (info) {
    info->RVData = dropData;
    info->ItemNo = dropItemNo;
    info->ItemOffs = dropOffs;
  }
  DWORD result = DROPEFFECT_NONE;
  FDropGroupOpen = false;
  FDropInsertionBegun = false;
  bool deleted = false;
  TRVUndoInfos* deletionStep = nullptr;

  auto finish = [&] {
    rootData->ReleaseDragDropCaretInfo();
    if (FDropGroupOpen) {
      FDropGroupOpen = false;
      TRVEditRVData* top = GetTopLevelEditor()->GetEditRVData();
      top->SetUndoGroupMode(false);
      top->EndUndoSequence();
      root->Perform(WM_SETREDRAW, 1, 0);
      RefreshAll();
    }
    GetTopLevelEditor()->GetEditRVData()->ChangeCaret(false, false, true, true);
  };

  if (!dropData || dropItemNo < 0) {
    finish();
    return DROPEFFECT_NONE;
  }
  // 2. Onto the selection itself: the selection collapses there and nothing is dropped.
  if (dropData->Item_InsideSelection(dropItemNo, dropOffs, move)) {
    dropData->SetSelectionBounds(dropItemNo, dropOffs, dropItemNo, dropOffs);
    dropData->RefreshControl(false);
    finish();
    return DROPEFFECT_NONE;
  }
  // 3. A place that cannot take an insertion.
  if (!dropData->CanInsertHere(dropItemNo, dropOffs)) {
    finish();
    return DROPEFFECT_NONE;
  }
  // 4. A drag from this editor: the transfer format is rendered now, before the selection may go.
  WORD transfer = 0;
  if (fromSelf) {
    // The first accepted format the source can render: read later, the selection would be gone
    // (or collapsed to the drop point) and give nothing.
    const TRVDragDropFormats& f = FAcceptDragDropFormats;
    const std::pair<TRVDragDropFormat, WORD> candidates[] = {{rvddRVF, static_cast<WORD>(RVFClipboardFormat)},
                                                             {rvddRTF, static_cast<WORD>(RTFClipboardFormat)},
                                                             {rvddUnicodeText, CF_UNICODETEXT},
                                                             {rvddText, CF_TEXT}};
    for (const auto& [flag, format] : candidates)
      if (f.Contains(flag) && const_cast<TRVDropSource*>(source)->StoreData(format)) {
        transfer = format;
        break;
      }
    // Undo must be able to bring the deleted selection back: without an undo list the drop copies.
    if (move && (rootData->UndoList->Limit == 0 || !transfer)) move = false;
    if (move) {
      root->Perform(WM_SETREDRAW, 0, 0);
      data->BeginUndoSequence(rvutInsert, true);
      data->SetUndoGroupMode(true);
      FDropGroupOpen = true;
      TCustomRVData* absRoot = data->GetAbsoluteRootData();
      try {
        deleted = data->DeleteSelection_();
      } catch (...) {
        finish();
        throw;
      }
      // The drag source must not delete the selection a second time.
      absRoot->State.Exclude(rvstCanDragDropDeleteSelection);
      deletionStep = data->UndoList->LastStep();
      if (!deleted) {
        // Nothing was deleted (a refusal): the drop copies instead.
        move = false;
      }
    }
  }
  // 6 (for a move). Nothing was inserted: the deletion is undone at once, inside the step it
  // opened, so the moved text is back where it was and no step is left.
  auto rollBack = [&] {
    if (!deleted) return;
    TRVUndoList* undo = data->UndoList.get();
    if (!deletionStep || undo->LastStep() != deletionStep) return;
    undo->Undo(data);
    if (data->RedoList->Count()) data->RedoList->Delete(data->RedoList->Count() - 1);
    DoChange(false);
  };
  // 5. The drop position's document becomes the edited one, with the caret there.
  TCustomRVData* target = dropData->Edit();
  auto* targetData = dynamic_cast<TRVEditRVData*>(target);
  bool inserted = false;
  if (!targetData) {
    dropData->Beep();
  } else {
    auto* targetFormatted = static_cast<TCustomRVFormattedData*>(targetData);
    const int n = targetData->ItemCount();
    const int itemNo = std::clamp(info->RVData == dropData ? info->ItemNo : dropItemNo, 0, std::max(0, n - 1));
    const int offs = info->RVData == dropData ? info->ItemOffs : dropOffs;
    targetFormatted->SetSelectionBounds(itemNo, offs, itemNo, offs);
    TRVOleDropEffect dropEffect = move ? rvdeMove : rvdeCopy;
    try {
      inserted = InsertOleDropData(DataObj, transfer, move, okEffects, static_cast<DWORD>(KeyState), Pt, dropEffect);
    } catch (...) {
      finish();
      rollBack();
      throw;
    }
    if (inserted)
      result = dropEffect != rvdeNone ? RVDropEffectMaskOf(dropEffect) : (move ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
  }
  finish();
  if (!inserted) {
    rollBack();
    return DROPEFFECT_NONE;
  }
  return result;
}

bool TCustomViroZereEdit::InsertOleDropData(const TDragDataObject* DataObj, WORD TransferFormat, bool Move,
                                            DWORD OkEffects, DWORD KeyState, TPoint Pt,
                                            TRVOleDropEffect& DropEffect) {
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  if (root->OnBeforeOleDrop) root->OnBeforeOleDrop(root);
  bool inserted = false;
  try {
    if (root->OnOleDrop) {
      BeginDropInsertion();
      DropEffect = Move ? rvdeMove : rvdeCopy;
      bool doDefault = true;
      const TPoint p = RootClientPoint(this, root, Pt);
      root->OnOleDrop(root, DataObj, ShiftOfKeyState(KeyState), p.X, p.Y, RVDropEffectsOf(OkEffects), DropEffect,
                      doDefault);
      if (!doDefault) {
        EndDropInsertion();
        if (root->OnAfterOleDrop) root->OnAfterOleDrop(root);
        return true;
      }
    }
    const bool fromSelf = dynamic_cast<const TRVDropSource*>(DataObj) != nullptr;
    if (TransferFormat) {
      inserted = InsertDropFormat(DataObj, TransferFormat, TransferFormat, fromSelf);
    } else {
      const WORD order[] = {static_cast<WORD>(RVFClipboardFormat),  static_cast<WORD>(RTFClipboardFormat),
                            CF_HDROP,
                            static_cast<WORD>(URLWClipboardFormat), CF_UNICODETEXT,
                            CF_TEXT};
      for (WORD f : order)
        if (f && (inserted = InsertDropFormat(DataObj, f, 0, fromSelf))) break;
    }
    if (FDropInsertionBegun) EndDropInsertion();
  } catch (...) {
    if (FDropInsertionBegun) EndDropInsertion();
    if (root->OnAfterOleDrop) root->OnAfterOleDrop(root);
    throw;
  }
  if (root->OnAfterOleDrop) root->OnAfterOleDrop(root);
  return inserted;
}

void TCustomViroZereEdit::BeginDropInsertion() {
  if (FDropInsertionBegun) return;
  FDropInsertionBegun = true;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  TRVEditRVData* topData = top->GetEditRVData();
  if (!FDropGroupOpen) {
    topData->BeginUndoSequence(rvutInsert, true);
    topData->SetUndoGroupMode(true);
    FDropGroupOpen = true;
    if (TCustomViroZereEdit* root = GetRootEditor()) root->Perform(WM_SETREDRAW, 0, 0);
  }
  FDropStartItemNo = topData->GetCurItemNo();
  FDropStartOffs = topData->GetOffsetInCurItem();
  FDropStartIsText =
      FDropStartItemNo >= 0 && FDropStartItemNo < topData->ItemCount() && topData->GetItem(FDropStartItemNo)->StyleNo >= 0;
}

void TCustomViroZereEdit::EndDropInsertion() {
  FDropInsertionBegun = false;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  TRVEditRVData* topData = top->GetEditRVData();
  if (FDropGroupOpen) {
    FDropGroupOpen = false;
    topData->SetUndoGroupMode(false);
    topData->EndUndoSequence();
  }
  Change();
  // The dropped content is selected.
  int startNo = FDropStartItemNo, startOffs = FDropStartOffs;
  const int endNo = topData->GetCurItemNo(), endOffs = topData->GetOffsetInCurItem();
  if (startNo >= 0 && startNo < topData->ItemCount() && endNo >= 0) {
    const bool isText = topData->GetItem(startNo)->StyleNo >= 0;
    if (startOffs == (FDropStartIsText ? 1 : 0) && isText != FDropStartIsText) startOffs = isText ? 1 : 0;
    topData->SetSelectionBounds(startNo, startOffs, endNo, endOffs);
  }
  if (TCustomViroZereEdit* root = GetRootEditor()) root->Perform(WM_SETREDRAW, 1, 0);
  RefreshAll();
}

bool TCustomViroZereEdit::InsertDropFormat(const TDragDataObject* DataObj, WORD Format, WORD TransferFormat,
                                           bool FromSelf) {
  if (!DataObj || !Format) return false;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  // Each format only when it is accepted and offered.
  auto offered = [&](WORD f) { return f && OleCanAcceptFormat(f) && DataObj->HasFormat(f); };
  std::string block;
  // The block readers open the drop's insertion only once their block has been read.
  const auto begin = [this] { BeginDropInsertion(); };
  if (Format == RVFClipboardFormat)
    return offered(Format) && DataObj->GetData(Format, block) && top->InsertRVFBlock(block.data(), block.size(), begin);
  if (Format == RTFClipboardFormat) {
    if (!offered(Format) || !DataObj->GetData(Format, block)) return false;
    // Linked pictures of a drop from elsewhere are found beside the page it came from.
    TRVUnicodeString basePath;
    std::string html;
    if (!FromSelf && HTMLClipboardFormat && DataObj->GetData(static_cast<WORD>(HTMLClipboardFormat), html))
      basePath = BasePathFromHTMLBlock(html.data(), html.size());
    return top->InsertRTFBlock(block.data(), block.size(), basePath, begin);
  }
  if (Format == CF_HDROP) return offered(Format) && InsertDroppedFiles(DataObj);
  if (Format == URLWClipboardFormat || Format == URLClipboardFormat) {
    if (!FAcceptDragDropFormats.Contains(rvddURL)) return false;
    return InsertDroppedURL(DataObj);
  }
  if (Format == CF_UNICODETEXT || Format == CF_TEXT) {
    if (!offered(Format) || !DataObj->GetData(Format, block)) return false;
    // The text may still be refused (a protected place): only a change of the caret or of the
    // document tells that it went in.
    TInsertStamp before;
    const auto stamp = [&] {
      BeginDropInsertion();
      before = TInsertStamp::Of(top);
    };
    const bool read = Format == CF_UNICODETEXT ? top->InsertTextBlockW(block.data(), block.size(), stamp)
                                               : top->InsertTextBlockA(block.data(), block.size(), CP_ACP, stamp);
    return read && !(TInsertStamp::Of(top) == before);
  }
  (void)TransferFormat;
  return false;
}

bool TCustomViroZereEdit::InsertDroppedPicture(std::unique_ptr<TGraphic> Graphic, const TRVUnicodeString& FileName) {
  if (!Graphic || Graphic->GetEmpty()) return false;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  BeginDropInsertion();
  if (!top->InsertPicture(u"", Graphic.release(), GetDefaultPictureVAlign())) return false;
  if (!FileName.empty() && GetOptions().Contains(rvoAssignImageFileNames)) {
    TRVUnicodeString stored = FileName;
    if (TRVDataRootEvents* events = top->GetEditRVData()->GetRootEvents()) stored = events->GetImageFileName(FileName);
    const int itemNo = top->GetCurItemNo();
    if (itemNo >= 0) top->SetItemExtraStrPropertyExEd(itemNo, rvespImageFileName, stored, false);
  }
  return true;
}

bool TCustomViroZereEdit::InsertDroppedFile(const TRVUnicodeString& FileName) {
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  if (root->OnDropFile) {
    bool doDefault = true;
    root->OnDropFile(root, FileName, doDefault);
    if (!doDefault) return true;
  }
  TCustomViroZereEdit* top = GetTopLevelEditor();
  try {
    if (GraphicHandler)
      if (std::unique_ptr<TGraphic> picture = GraphicHandler->LoadFromFile(FileName))
        return InsertDroppedPicture(std::move(picture), FileName);
    const TRVUnicodeString ext = ExtensionOf(FileName);
    if (ext == u"rtf") {
      BeginDropInsertion();
      return top->InsertRTFFromFileEd(FileName);
    }
    if (ext == u"rvf") {
      BeginDropInsertion();
      return top->InsertRVFFromFileEd(FileName);
    }
    if (ext == u"txt") {
      BeginDropInsertion();
      if (TestUnicodeFile(FileName) == rvutrUnicode) return top->InsertTextFromFileW(FileName);
      if (FileHasUTF8BOM(FileName)) return top->InsertTextFromFileUTF8(FileName);
      return top->InsertTextFromFile(FileName, 0);
    }
  } catch (const std::exception&) {
    // A file that cannot be read is not dropped; the other files still are.
    RVRethrowUnlessDataError();
  }
  return false;
}

bool TCustomViroZereEdit::InsertDroppedFiles(const TDragDataObject* DataObj) {
  std::string block;
  if (!DataObj->GetData(CF_HDROP, block)) return false;
  TStringList files;
  for (const UnicodeString& name : DropFileNames(block.data(), block.size())) files.Add(name);
  if (files.Count() == 0) return false;
  TCustomViroZereEdit* root = GetRootEditor() ? GetRootEditor() : this;
  if (root->OnDropFiles) {
    TRVDropFileAction action = rvdfNone;
    bool doDefault = true;
    root->OnDropFiles(root, &files, action, doDefault);
    if (!doDefault) return action != rvdfNone;
  }
  bool any = false;
  for (int i = 0; i < files.Count(); ++i)
    if (InsertDroppedFile(files[i])) any = true;
  return any;
}

bool TCustomViroZereEdit::InsertDroppedURL(const TDragDataObject* DataObj) {
  std::string block;
  TRVUnicodeString url;
  if (URLWClipboardFormat && DataObj->GetData(static_cast<WORD>(URLWClipboardFormat), block))
    url = TextOfBlockW(block.data(), block.size());
  if (url.empty() && URLClipboardFormat && DataObj->GetData(static_cast<WORD>(URLClipboardFormat), block))
    url = AnsiToUnicodeCP(CP_ACP, TextOfBlockA(block.data(), block.size()));
  if (url.empty()) return false;
  TCustomViroZereEdit* top = GetTopLevelEditor();
  TRVEditRVData* topData = top->GetEditRVData();
  // A link to a picture becomes the picture.
  if (FEditorOptions.Contains(rvoDragDropPicturesFromLinks)) {
    TRVGraphicType type;
    const TRVUnicodeString ext = ExtensionOf(url);
    if (!ext.empty() && TRVGraphicHandler::GetGraphicTypeByExt(ext, type) && GraphicHandler &&
        GraphicHandler->GetGraphicClassByType(type)) {
      std::unique_ptr<TGraphic> picture;
      if (TRVDataRootEvents* events = topData->GetRootEvents()) {
        bool invalid = false;
        picture = events->ImportPicture(url, 0, 0, invalid);
        if (invalid) picture.reset();
      }
      if (!picture) {
        TRVUnicodeString file = url;
        if (Lower(file.substr(0, 7)) == u"file://") file.erase(0, 7);
        picture = GraphicHandler->LoadFromFile(file);
      }
      if (picture) return InsertDroppedPicture(std::move(picture), url);
    }
  }
  // Any other link: inserted with the internet shortcut's name.
  TRVUnicodeString name = url;
  if (const UINT f = RegisterClipboardFormatW(u"FileGroupDescriptorW"); DataObj->GetData(static_cast<WORD>(f), block))
    name = ShortcutNameFromDescriptor(block.data(), block.size(), true, url);
  else if (const UINT g = RegisterClipboardFormatW(u"FileGroupDescriptor"); DataObj->GetData(static_cast<WORD>(g), block))
    name = ShortcutNameFromDescriptor(block.data(), block.size(), false, url);
  BeginDropInsertion();
  const TInsertStamp before = TInsertStamp::Of(top);
  top->InsertURLWithName(url, name);
  return !(TInsertStamp::Of(top) == before);
}
