// Small containers the whole engine builds on: an owning object list, a list of 32-bit integers
// with a stream form, a colour list, a memory stream with its own growth rule and a string list
// with wide-string accessors. Single-threaded plain containers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"

// A list that owns its objects: deleting an entry or clearing the list frees the objects.
// Put replaces an entry without freeing the object it held (the caller keeps that one).
class TRVList : public TList {
 public:
  TRVList() = default;
  ~TRVList() override;

  // The list takes the object over once the call succeeds.
  int Add(TObject* item) { return TList::Add(item); }
  void Insert(int index, TObject* item) { TList::Insert(index, item); }
  TObject* Get(int index) const { return static_cast<TObject*>(TList::Get(index)); }
  void Put(int index, TObject* item) { TList::Put(index, item); }

  // Frees every object from the first upwards, then empties the list.
  void Clear() override;
  // Frees the object at index and removes its entry.
  void Delete(int index);
  // Removes the entry and leaves the object alive: ownership passes to the caller.
  void DeleteAsPointer(int index) { TList::Delete(index); }

  // Binary search of a list sorted by compare(item, key) (negative, 0 or positive). Gives the
  // first probed index that compares equal, -1 when none does.
  template <typename Key, typename Compare>
  int Find(const Key& key, Compare compare) const {
    int low = 0, high = Count() - 1;
    while (low <= high) {
      const int middle = (low + high) / 2;
      const int c = compare(static_cast<TObject*>(FList[static_cast<std::size_t>(middle)]), key);
      if (c == 0) return middle;
      if (c < 0) low = middle + 1;
      else high = middle - 1;
    }
    return -1;
  }
};

// Signed 32-bit integers kept in the slots of a pointer list.
class TRVIntegerList : public TList {
 public:
  TRVIntegerList() = default;
  // count copies of value.
  TRVIntegerList(int count, int value);
  TRVIntegerList(const TRVIntegerList& source);
  TRVIntegerList& operator=(const TRVIntegerList& source) { Assign(source); return *this; }
  static std::unique_ptr<TRVIntegerList> CreateEx(int count, int value);
  static std::unique_ptr<TRVIntegerList> CreateCopy(const TRVIntegerList& source);

  int Add(int value) { return TList::Add(ToSlot(value)); }
  void Insert(int index, int value) { TList::Insert(index, ToSlot(value)); }
  int Get(int index) const { return FromSlot(TList::Get(index)); }
  void Put(int index, int value) { TList::Put(index, ToSlot(value)); }
  int IndexOf(int value) const { return TList::IndexOf(ToSlot(value)); }
  // The index of value, appending it first when it is absent.
  int AddUnique(int value);
  void Assign(const TRVIntegerList& source);
  // Clears and refills with count copies of value.
  void InitWith(int value, int count);
  // Sets every existing entry to value.
  void Fill(int value);
  // Ascending order of the values.
  void Sort();
  // True when every entry equals value (so true for an empty list).
  bool AreAllEqualTo(int value) const;

  // Little-endian: a signed 32-bit count, then the values in list order. Loading replaces the
  // contents; a stream that ends early raises EReadError and keeps the values read so far.
  void SaveToStream(TStream& stream) const;
  void LoadFromStream(TStream& stream);

 protected:
  static void* ToSlot(int value) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(value)); }
  static int FromSlot(const void* slot) { return static_cast<int>(reinterpret_cast<std::intptr_t>(slot)); }
};

// Colour values; clNone is never added by AddUnique.
class TRVColorList : public TRVIntegerList {
 public:
  using TRVIntegerList::TRVIntegerList;
  void AddUnique(TColor color);
};

// A memory stream over one block that grows in steps of 256 KB. Capacity, size and position are
// signed 32-bit values: the stream never addresses more than 2 GB. Position may lie anywhere
// after a seek; size never exceeds capacity after a write or a size change.
class TRVMemoryStream : public TCustomMemoryStream {
 public:
  static constexpr std::int32_t GrowthStep = 262144;

  TRVMemoryStream() = default;
  TRVMemoryStream(const TRVMemoryStream&) = delete;
  TRVMemoryStream& operator=(const TRVMemoryStream&) = delete;
  ~TRVMemoryStream() override;

  // Nothing is read or written (0 is returned) when the position or the count is negative.
  using TCustomMemoryStream::Read;
  // Reads into buffer from index offset on; never past the end of buffer.
  std::int64_t Read(std::vector<std::uint8_t>& buffer, std::int64_t offset, std::int64_t count);
  // A write past the end zero-fills the gap. A write that would end beyond 2 GB writes nothing.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Only the low 32 bits of offset count; the result is not clamped.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  // Sets the capacity for newSize (which trims the block when newSize equals the size) and the
  // size; a position past the new size moves to the end. Bytes gained read as zeros.
  void SetSize(std::int64_t newSize) override;
  // Releases the block; capacity, size and position become 0.
  void Clear();
  std::int32_t GetCapacity() const { return FCapacity; }

 protected:
  // Gives the block for the request as the growth rule sets it: a positive request other than
  // the size rounds up to a multiple of GrowthStep; 0 frees the block. Raises EStreamError
  // "Out of memory while expanding memory stream" when no block is given, keeping the old one.
  virtual void* ReallocMemory(std::int32_t& newCapacity);
  // Changes the block and records the capacity; the size is kept (cut to a smaller block).
  void ChangeCapacity(std::int32_t requested);
  // The allocator under the growth rule (null when the system gives no block).
  virtual void* ReallocBlock(void* block, std::size_t size);

 private:
  std::int32_t FCapacity = 0;
};

// A string list with wide-string accessors.
class TRVStringList : public TStringList {
 public:
  using TStringList::TStringList;
  int AddUnicodeString(const TRVUnicodeString& s) { return Add(s); }
  TRVUnicodeString GetUnicodeString(int index) const { return Get(index); }
  // Binary search of the sorted list: true when found.
  bool FindUnicodeString(const TRVUnicodeString& s, int& index) const { return Find(s, index); }
  int IndexOfUnicodeString(const TRVUnicodeString& s) const { return IndexOf(s); }
  int AddUnicodeStringWithObject(const TRVUnicodeString& s, TObject* obj) { return AddObject(s, obj); }
};
