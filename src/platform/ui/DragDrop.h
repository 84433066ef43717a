// The drag-and-drop seam of windows: the initialisation pairing that drop targets and drop
// sources keep, the effects and key states a drop target answers with, and the data object of a
// drag. Only what the controls' hooks name is here; the drag loop and the window system's drop
// events come with the editor's drag and drop.
#pragma once

#include <map>
#include <string>

#include "platform/base/Types.h"
#include "platform/graphics/ScriptString.h"  // HRESULT, S_OK, S_FALSE

constexpr DWORD DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4;

// The data of a drag: blocks by clipboard format id (Clipbrd.h numbers the formats).
class TDragDataObject {
 public:
  virtual ~TDragDataObject() = default;
  virtual bool HasFormat(WORD Format) const { return FData.count(Format) != 0; }
  // False when the format is not offered.
  virtual bool GetData(WORD Format, std::string& Bytes) const;
  void SetData(WORD Format, std::string Bytes) { FData[Format] = std::move(Bytes); }

 private:
  std::map<WORD, std::string> FData;
};

// Each successful call (S_OK the first time on a thread, S_FALSE after) is paired with one
// OleUninitialize.
HRESULT OleInitialize(void* Reserved);
void OleUninitialize();
// How many initialisations of this thread are not yet paired.
int OleInitializationCount();
