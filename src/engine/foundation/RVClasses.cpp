#include "engine/foundation/RVClasses.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

// ---- TRVList --------------------------------------------------------------------------------

TRVList::~TRVList() { Clear(); }

void TRVList::Clear() {
  // A slot is emptied before its object goes, so an object that clears the list while it is
  // being freed cannot free anything twice.
  for (std::size_t i = 0; i < FList.size(); ++i) {
    TObject* obj = static_cast<TObject*>(FList[i]);
    FList[i] = nullptr;
    delete obj;
  }
  TList::Clear();
}

void TRVList::Delete(int index) {
  TObject* obj = Get(index);
  TList::Delete(index);
  delete obj;
}

// ---- TRVIntegerList -------------------------------------------------------------------------

TRVIntegerList::TRVIntegerList(int count, int value) : TList() { InitWith(value, count); }

TRVIntegerList::TRVIntegerList(const TRVIntegerList& source) : TList() { Assign(source); }

std::unique_ptr<TRVIntegerList> TRVIntegerList::CreateEx(int count, int value) {
  return std::make_unique<TRVIntegerList>(count, value);
}

std::unique_ptr<TRVIntegerList> TRVIntegerList::CreateCopy(const TRVIntegerList& source) {
  return std::make_unique<TRVIntegerList>(source);
}

int TRVIntegerList::AddUnique(int value) {
  const int index = IndexOf(value);
  return index >= 0 ? index : Add(value);
}

void TRVIntegerList::Assign(const TRVIntegerList& source) {
  if (&source == this) return;
  Clear();
  SetCapacity(source.Count());
  FList.assign(source.FList.begin(), source.FList.end());
}

void TRVIntegerList::InitWith(int value, int count) {
  Clear();
  SetCapacity(count);
  FList.assign(static_cast<std::size_t>(count), ToSlot(value));
}

void TRVIntegerList::Fill(int value) { std::fill(FList.begin(), FList.end(), ToSlot(value)); }

void TRVIntegerList::Sort() {
  std::sort(FList.begin(), FList.end(), [](const void* a, const void* b) { return FromSlot(a) < FromSlot(b); });
}

bool TRVIntegerList::AreAllEqualTo(int value) const {
  return std::all_of(FList.begin(), FList.end(), [value](const void* p) { return FromSlot(p) == value; });
}

namespace {

void PutInt32(std::uint8_t* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t GetInt32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

std::int32_t ReadInt32(TStream& stream) {
  std::uint8_t b[4];
  stream.ReadBuffer(b, 4);
  return GetInt32(b);
}

}  // namespace

void TRVIntegerList::SaveToStream(TStream& stream) const {
  std::vector<std::uint8_t> bytes((FList.size() + 1) * 4);
  PutInt32(bytes.data(), Count());
  for (std::size_t i = 0; i < FList.size(); ++i) PutInt32(bytes.data() + (i + 1) * 4, FromSlot(FList[i]));
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TRVIntegerList::LoadFromStream(TStream& stream) {
  const std::int32_t count = ReadInt32(stream);
  Clear();
  if (count < 0) throw EReadError(u"Stream read error");
  // A damaged count must not reserve gigabytes: never reserve more than the stream still holds.
  const std::int64_t left = stream.GetSize() - stream.GetPosition();
  SetCapacity(static_cast<int>(std::clamp<std::int64_t>(left / 4, 0, count)));
  for (std::int32_t i = 0; i < count; ++i) Add(ReadInt32(stream));
}

// ---- TRVColorList ---------------------------------------------------------------------------

void TRVColorList::AddUnique(TColor color) {
  if (color != clNone) TRVIntegerList::AddUnique(color);
}

// ---- TRVMemoryStream ------------------------------------------------------------------------

namespace {
constexpr std::int64_t MaxStreamSize = std::numeric_limits<std::int32_t>::max();
}

TRVMemoryStream::~TRVMemoryStream() { Clear(); }

void* TRVMemoryStream::ReallocBlock(void* block, std::size_t size) { return std::realloc(block, size); }

void* TRVMemoryStream::ReallocMemory(std::int32_t& newCapacity) {
  std::int64_t request = newCapacity;
  void* block = ResizeBlock(request, FCapacity, GrowthStep, MaxStreamSize,
                            [this](void* b, std::size_t size) { return ReallocBlock(b, size); });
  newCapacity = static_cast<std::int32_t>(request);
  return block;
}

void TRVMemoryStream::ChangeCapacity(std::int32_t requested) {
  std::int32_t capacity = requested;
  FMemory = ReallocMemory(capacity);
  FCapacity = capacity;
  if (FSize > FCapacity) FSize = FCapacity;
}

std::int64_t TRVMemoryStream::Read(std::vector<std::uint8_t>& buffer, std::int64_t offset, std::int64_t count) {
  const auto length = static_cast<std::int64_t>(buffer.size());
  if (offset < 0 || count < 0 || offset > length) return 0;
  return Read(buffer.data() + offset, std::min(count, length - offset));
}

std::int64_t TRVMemoryStream::Write(const void* buffer, std::int64_t count) {
  return WriteGrowing(buffer, count, FCapacity, MaxStreamSize,
                      [this](std::int64_t end) { ChangeCapacity(static_cast<std::int32_t>(end)); });
}

std::int64_t TRVMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  // 32-bit arithmetic that wraps as the stream's fields do.
  const auto delta = static_cast<std::uint32_t>(static_cast<std::uint64_t>(offset));
  std::uint32_t base = 0;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = static_cast<std::uint32_t>(FPosition); break;
    case soEnd: base = static_cast<std::uint32_t>(FSize); break;
  }
  FPosition = static_cast<std::int32_t>(base + delta);
  return FPosition;
}

void TRVMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0 || newSize > MaxStreamSize) throw EStreamError(u"Out of memory while expanding memory stream");
  const std::int64_t oldSize = FSize;
  ChangeCapacity(static_cast<std::int32_t>(newSize));
  if (newSize > oldSize)
    std::memset(static_cast<char*>(FMemory) + oldSize, 0, static_cast<std::size_t>(newSize - oldSize));
  FSize = newSize;
  if (FPosition > newSize) FPosition = newSize;
}

void TRVMemoryStream::Clear() {
  std::free(FMemory);
  FMemory = nullptr;
  FCapacity = 0;
  FSize = 0;
  FPosition = 0;
}
