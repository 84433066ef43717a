// The events a document posts to the window of its root viewer (WM_USER + 15) instead of raising
// them inside a mouse message: the viewer raises them from its message loop. A message's data
// belongs to the message and is freed after it is handled, or with the window when it is
// destroyed with the message still queued.
#pragma once

#include <cstdint>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Types.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

// The posted event; the drag to start (WM_USER + 16) carries no data.
constexpr Cardinal WM_RVEVENT = WM_USER + 15;
constexpr Cardinal WM_RVDRAGDROP = WM_USER + 16;

enum TRVEventType : std::uint8_t {
  rvetRVDblClick, rvetJump, rvetRVMouseUp, rvetRVMouseDown, rvetClick, rvetDblClick, rvetTripleClick,
  rvetMouseMove, rvetDragDrop, rvetEndDrag
};

class TRVMessageData : public TObject {
 public:
  explicit TRVMessageData(TRVEventType AEvent) : Event(AEvent) {}
  TRVEventType Event;
};

class TRVClickMessageData : public TRVMessageData {
 public:
  using TRVMessageData::TRVMessageData;
};

class TRVTripleClickMessageData : public TRVMessageData {
 public:
  TRVTripleClickMessageData() : TRVMessageData(rvetTripleClick) {}
};

class TRVDblClickMessageData : public TRVMessageData {
 public:
  TRVDblClickMessageData(const TRVUnicodeString& AClickedWord, int AStyleNo)
      : TRVMessageData(rvetRVDblClick), ClickedWord(AClickedWord), StyleNo(AStyleNo) {}
  TRVUnicodeString ClickedWord;
  int StyleNo;
};

class TRVJumpMessageData : public TRVMessageData {
 public:
  explicit TRVJumpMessageData(int AId) : TRVMessageData(rvetJump), Id(AId) {}
  int Id;
};

class TRVMouseUpDownMessageData : public TRVMessageData {
 public:
  TRVMouseUpDownMessageData(TRVEventType AEvent, TMouseButton AButton, TShiftState AShift, int AItemNo, int AX, int AY)
      : TRVMessageData(AEvent), Button(AButton), Shift(AShift), ItemNo(AItemNo), X(AX), Y(AY) {}
  TMouseButton Button;
  TShiftState Shift;
  int ItemNo, X, Y;
};

class TRVMouseMoveMessageData : public TRVMessageData {
 public:
  TRVMouseMoveMessageData(TShiftState AShift, int AX, int AY) : TRVMessageData(rvetMouseMove), Shift(AShift), X(AX), Y(AY) {}
  TShiftState Shift;
  int X, Y;
};

class TRVDNDMessageData : public TRVMessageData {
 public:
  TRVDNDMessageData(TRVEventType AEvent, TObject* AObj, int AX, int AY) : TRVMessageData(AEvent), Obj(AObj), X(AX), Y(AY) {}
  TObject* Obj;  // not owned
  int X, Y;
};
