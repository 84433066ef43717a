// The drag-and-drop seam of windows: the initialisation pairing that drop targets and drop
// sources keep, the effects and key states a drop target answers with, the data object of a drag,
// the registration of a window as a drop target and the drag loop of a drag source.
//
// The window system's drag objects stand underneath: a registered window turns the toolkit's
// drag-enter, drag-move, drag-leave and drop events into the calls of its IDropTarget, with the
// data of other programs read through the clipboard's format mapping (Clipbrd.h); DoDragDrop runs
// the toolkit's drag with the data object's formats under their MIME types, so that other
// programs can take them, and a drop inside this process reads the data object itself.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Types.h"
#include "platform/graphics/ScriptString.h"  // HRESULT, S_OK, S_FALSE

constexpr DWORD DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4;

constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100u);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101u);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006Bu);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);

// The layout of a CF_HDROP block, its reader and its writer: ShellAPI.h.

// The data of a drag: blocks by clipboard format id (Clipbrd.h numbers the formats), in the
// order they were set, which is the order a drop target is offered them in.
class TDragDataObject {
 public:
  virtual ~TDragDataObject() = default;
  virtual bool HasFormat(WORD Format) const;
  // False when the format is not offered.
  virtual bool GetData(WORD Format, std::string& Bytes) const;
  // The formats offered, best first.
  virtual std::vector<WORD> Formats() const;
  void SetData(WORD Format, std::string Bytes);

 private:
  std::vector<std::pair<WORD, std::string>> FData;
};

// What a window registered for drops is told. Points are in screen coordinates; KeyState holds the
// MK_ flags (Messages.h) of the buttons and modifiers held. Effect comes in as the effects the
// source allows and goes out as the one the target chooses (DROPEFFECT_NONE: refused).
class IDropTarget {
 public:
  virtual ~IDropTarget() = default;
  virtual HRESULT DragEnter(const TDragDataObject* DataObj, DWORD KeyState, TPoint Pt, DWORD& Effect) = 0;
  virtual HRESULT DragOver(DWORD KeyState, TPoint Pt, DWORD& Effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(const TDragDataObject* DataObj, DWORD KeyState, TPoint Pt, DWORD& Effect) = 0;
};

// The source of a drag. The toolkit's drag loop ends a drag as QueryContinueDrag is meant to
// answer (Escape cancels, releasing the button drops); GiveFeedback hears every change of the
// effect the target chose.
class IDropSource {
 public:
  virtual ~IDropSource() = default;
  virtual HRESULT QueryContinueDrag(bool EscapePressed, DWORD KeyState) = 0;
  virtual HRESULT GiveFeedback(DWORD Effect) = 0;
};

// The window takes drops from now on; the registration holds the target (until RevokeDragDrop or
// the window's end). DRAGDROP_E_INVALIDHWND without a window, DRAGDROP_E_ALREADYREGISTERED when
// it has a target already.
HRESULT RegisterDragDrop(HWND Wnd, std::shared_ptr<IDropTarget> Target);
// Lets the target go; DRAGDROP_E_NOTREGISTERED when the window has none.
HRESULT RevokeDragDrop(HWND Wnd);
// The target registered for the window; null when none.
IDropTarget* RegisteredDropTarget(HWND Wnd);

// Runs a drag of DataObj started in Wnd until it is dropped or cancelled: DRAGDROP_S_DROP with
// the effect the target chose, or DRAGDROP_S_CANCEL with DROPEFFECT_NONE. The data object is read
// only while the call runs.
HRESULT DoDragDrop(HWND Wnd, const TDragDataObject* DataObj, IDropSource* Source, DWORD OkEffects, DWORD* Effect);

// Runs the window system's drag of MIME types and their bytes from Wnd, as a drag of another
// program is seen (drop targets read the bytes, not a data object); answers the effect done.
DWORD DoMimeDragDrop(HWND Wnd, const std::vector<std::pair<std::string, std::string>>& Mime, DWORD OkEffects);

// The drag loop DoDragDrop runs: the window system's own unless replaced (for windows without a
// pointer: a loop that sends the drop events itself, below). Answers the effect of the drop.
using TDragLoop = std::function<DWORD(HWND Wnd, const TDragDataObject* DataObj, DWORD OkEffects)>;
// Replaces the loop (an empty one restores the window system's) and gives the previous one back.
TDragLoop SetDragLoop(TDragLoop Loop);

// Sends Wnd the window system's drag events of a drag passing over its client point and dropped
// there (enter, move, then drop, or leave when the target refused), as the toolkit delivers them
// during a drag; answers the effect of the drop (DROPEFFECT_NONE when refused or not registered).
DWORD SendDragDropEvents(HWND Wnd, const TDragDataObject* DataObj, TPoint ClientPt, DWORD OkEffects, DWORD KeyState);
// The same for data another program offers: MIME types with their bytes.
DWORD SendMimeDragDropEvents(HWND Wnd, const std::vector<std::pair<std::string, std::string>>& Mime, TPoint ClientPt,
                             DWORD OkEffects, DWORD KeyState);

// Each successful call (S_OK the first time on a thread, S_FALSE after) is paired with one
// OleUninitialize.
HRESULT OleInitialize(void* Reserved);
void OleUninitialize();
// How many initialisations of this thread are not yet paired.
int OleInitializationCount();
