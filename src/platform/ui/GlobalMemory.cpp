#include "platform/ui/GlobalMemory.h"

#include <new>
#include <vector>

struct TGlobalBlock {
  std::vector<unsigned char> Bytes;
  int LockCount = 0;
};

std::size_t GlobalAllocLimit = std::size_t(1) << 31;

HGLOBAL GlobalAlloc(UINT /*flags*/, std::size_t bytes) {
  if (bytes > GlobalAllocLimit) return nullptr;
  try {
    auto* b = new TGlobalBlock;
    try {
      b->Bytes.resize(bytes);
    } catch (...) {
      delete b;
      return nullptr;
    }
    return b;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* GlobalLock(HGLOBAL h) {
  if (!h) return nullptr;
  ++h->LockCount;
  // A zero-sized block still answers a usable, distinct address.
  return h->Bytes.empty() ? static_cast<void*>(h) : static_cast<void*>(h->Bytes.data());
}

BOOL GlobalUnlock(HGLOBAL h) {
  if (!h || h->LockCount == 0) return 0;
  return --h->LockCount > 0;
}

std::size_t GlobalSize(HGLOBAL h) { return h ? h->Bytes.size() : 0; }

HGLOBAL GlobalFree(HGLOBAL h) {
  delete h;
  return nullptr;
}
