#include "platform/ui/DragDrop.h"

namespace {
thread_local int GOleInitCount = 0;
}

bool TDragDataObject::GetData(WORD Format, std::string& Bytes) const {
  const auto it = FData.find(Format);
  if (it == FData.end()) return false;
  Bytes = it->second;
  return true;
}

HRESULT OleInitialize(void*) { return GOleInitCount++ == 0 ? S_OK : S_FALSE; }

void OleUninitialize() {
  if (GOleInitCount > 0) --GOleInitCount;
}

int OleInitializationCount() { return GOleInitCount; }
