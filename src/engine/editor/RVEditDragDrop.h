// Drag and drop of the editor: the drop target registered for an editor's window, the drop source
// of a drag that starts in a viewer's selection with the enumeration of its formats, and the
// effects and file actions the editor's drop events speak in. The editor control's hooks that do
// the insertion are in RVEditDragDrop.cpp with the rest.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/RVTypes.h"
#include "engine/viewer/RVScroller.h"
#include "engine/layout/RVFormattedData.h"
#include "platform/ui/DragDrop.h"

class TCustomViroZere;
class TCustomViroZereEdit;

// The effect of a drop as the editor's events see it, and the set of the allowed ones.
enum TRVOleDropEffect : std::uint8_t { rvdeNone, rvdeCopy, rvdeMove, rvdeLink };
using TRVOleDropEffects = TSet<TRVOleDropEffect, 8>;
// What an OnDropFiles handler did with the files.
enum TRVDropFileAction : std::uint8_t { rvdfNone, rvdfInsert, rvdfLink };

// The set of the effects in a window-system effect mask, and one effect both ways.
TRVOleDropEffects RVDropEffectsOf(DWORD Effects);
TRVOleDropEffect RVDropEffectOf(DWORD Effect);
DWORD RVDropEffectMaskOf(TRVOleDropEffect Effect);

// The drop target of an editor's window: turns the window's drag events into the owner's hooks.
// The window's registration holds it; when it goes, it tells the owner (ReleaseDropTarget).
class TRVDropTarget : public TRVScrollerInternalIfcObject,
                      public IDropTarget,
                      public std::enable_shared_from_this<TRVDropTarget> {
 public:
  explicit TRVDropTarget(TRVScroller* AOwner) : TRVScrollerInternalIfcObject(AOwner) {}
  ~TRVDropTarget() override;

  HRESULT DragEnter(const TDragDataObject* DataObj, DWORD KeyState, TPoint Pt, DWORD& Effect) override;
  HRESULT DragOver(DWORD KeyState, TPoint Pt, DWORD& Effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(const TDragDataObject* DataObj, DWORD KeyState, TPoint Pt, DWORD& Effect) override;

  // Registers the owner's window for drops (true on success) / revokes it; nothing without a window.
  virtual bool RegisterDragDropWindow();
  virtual void UnRegisterDragDropWindow();
  // The chosen effect: move when Ctrl is not held, moving is allowed and the owner's own document
  // is the source of the running drag; otherwise copy when allowed; otherwise link.
  DWORD ChooseEffect(DWORD KeyState, DWORD OkEffects) const;
  bool Accepted() const { return FAccepted; }
  // The effects the source of the current drag allows.
  DWORD OkEffects() const { return FOkEffects; }

 protected:
  virtual TPoint ScreenToClientPoint(TPoint Pt);
  // Runs at the end of every call from the window; nothing here.
  virtual void AfterDragEvent() {}
  virtual bool CanDragOverAt(TPoint /*ClientPt*/) { return true; }

 private:
  bool FAccepted = false;
  DWORD FOkEffects = DROPEFFECT_NONE;  // what the source of the current drag allows
};

// The formats a drag source offers, in order: the native format, RTF, 8-bit and UTF-16 text.
class TRVEnumFormatEtc {
 public:
  TRVEnumFormatEtc() = default;
  // Fills up to Count formats; S_FALSE when fewer were left.
  HRESULT Next(int Count, std::vector<WORD>& Formats);
  HRESULT Skip(int Count);
  HRESULT Reset() {
    FIndex = 0;
    return S_OK;
  }
  std::unique_ptr<TRVEnumFormatEtc> Clone() const { return std::make_unique<TRVEnumFormatEtc>(*this); }
  // The format at a position; 0 past the end.
  static WORD FormatAt(int Index);

 private:
  int FIndex = 0;
};

// The data and the source of a drag of a viewer's selection. Each format is rendered when asked
// for; StoreData renders one ahead, for the one read that comes after the selection may be gone.
class TRVDropSource : public TRVScrollerInternalIfcObject,
                      public TDragDataObject,
                      public IDropSource,
                      public IRVDragSource,
                      public TObject {
 public:
  explicit TRVDropSource(TCustomViroZere* AOwner);

  // IDropSource.
  HRESULT QueryContinueDrag(bool EscapePressed, DWORD KeyState) override;
  HRESULT GiveFeedback(DWORD Effect) override;
  // The data object.
  bool HasFormat(WORD Format) const override { return HasFormatData(Format); }
  bool GetData(WORD Format, std::string& Bytes) const override;
  std::vector<WORD> Formats() const override;
  // Runs the drag loop over the window.
  DWORD ExecuteDrag(HWND Window, DWORD OkEffects) override;

  bool HasFormatData(WORD Format) const;
  // The rendering of a format into a block: the RVF block (its 32-bit count first), RTF, or text
  // ending in a zero; false for a format it cannot render.
  bool GetDataStream(WORD Format, std::string& Block) const;
  // Renders Format now and keeps it for the next read of it; false when it cannot.
  bool StoreData(WORD Format);

 private:
  TCustomViroZere* FViewer;
  mutable std::map<WORD, std::string> FStored;
};
