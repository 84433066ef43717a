// Streams and string lists of the class library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/base/Persistent.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

// A method called with the object that raised the event.
using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// Abstract byte stream. Positions are 64-bit; seeking past the end is allowed; Read answers the
// number of bytes actually read.
class TStream : public TObject {
 public:
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  std::int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
  virtual std::int64_t GetSize();
  virtual void SetSize(std::int64_t newSize);

  // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short transfer.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies count bytes from source's position; count 0 copies the whole source from its start.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);

  // Little-endian helpers for binary formats.
  template <typename T>
  void WriteValue(T v) { WriteBuffer(&v, sizeof v); }
  template <typename T>
  T ReadValue() { T v{}; ReadBuffer(&v, sizeof v); return v; }
};

// Growable stream in memory. Capacity grows through Realloc, which descendants may override to
// choose their own growth rule.
class TCustomMemoryStream : public TStream {
 public:
  ~TCustomMemoryStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return FSize; }
  void* Memory() const { return FMemory; }
  void SaveToStream(TStream& stream);
  void SaveToFile(const UnicodeString& fileName);

 protected:
  void SetPointer(void* ptr, std::int64_t size);
  // The growth rule of the memory streams. A positive request other than the size rounds up to
  // a multiple of step where that stays within limit (a request equal to the size trims the
  // block to it). Answers the block for the rounded request: the present one when capacity does
  // not change, nullptr (the block freed) for 0, otherwise what realloc gives. A negative
  // request, one beyond limit, or no block from realloc raises EStreamError "Out of memory
  // while expanding memory stream" and keeps the old block.
  void* ResizeBlock(std::int64_t& request, std::int64_t capacity, std::int64_t step,
                    std::int64_t limit,
                    const std::function<void*(void*, std::size_t)>& realloc);
  // Writes count bytes at the position, calling grow(end) first when the write ends beyond
  // capacity; a gap between the size and the position reads as zeros. Writes nothing (answers
  // 0) when the position is negative, count is not positive or the write would end past limit.
  std::int64_t WriteGrowing(const void* buffer, std::int64_t count, std::int64_t capacity,
                            std::int64_t limit, const std::function<void(std::int64_t)>& grow);
  void* FMemory = nullptr;
  std::int64_t FSize = 0;
  std::int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;
  ~TMemoryStream() override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  void SetSize(std::int64_t newSize) override;
  void Clear();
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const UnicodeString& fileName);
  std::int64_t GetCapacity() const { return FCapacity; }
  void SetCapacity(std::int64_t newCapacity);

 protected:
  // Gives the block for newCapacity bytes (rounded up to 8 KB steps), or nullptr for 0; raises
  // EStreamError when no block can be had, keeping the old one.
  virtual void* Realloc(std::int64_t& newCapacity);
  std::int64_t FCapacity = 0;
};

// File modes; the share bits are accepted and advisory only.
constexpr unsigned fmCreate = 0xFF00;
constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareCompat = 0x0000;
constexpr unsigned fmShareExclusive = 0x0010;
constexpr unsigned fmShareDenyWrite = 0x0020;
constexpr unsigned fmShareDenyRead = 0x0030;
constexpr unsigned fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
 public:
  // Raises EFCreateError / EFOpenError with the file name and the system's reason.
  TFileStream(const UnicodeString& fileName, unsigned mode);
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  ~TFileStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  const UnicodeString& FileName() const { return FFileName; }

 private:
  int FHandle = -1;
  UnicodeString FFileName;
};

// File names are UTF-16 in the program and UTF-8 on the file system.
std::string FileNameToNative(const UnicodeString& fileName);
bool FileExists(const UnicodeString& fileName);
bool DirectoryExists(const UnicodeString& dirName);
bool DeleteFile(const UnicodeString& fileName);

// ---- pointer list ---------------------------------------------------------------------------

// The class library's list of untyped pointers. It owns nothing; descendants that own their
// items override Clear and give their own Delete. Index errors raise EListError
// "List index out of bounds (%d)" and change nothing.
class TList : public TObject {
 public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  ~TList() override;

  int Count() const { return static_cast<int>(FList.size()); }
  // Growing fills the new slots with nullptr; shrinking drops the tail (nothing is freed).
  void SetCount(int newCount);
  int GetCapacity() const { return static_cast<int>(FList.capacity()); }
  // Below the count raises "List capacity out of bounds (%d)".
  void SetCapacity(int newCapacity);

  void* Get(int index) const;
  void Put(int index, void* item);
  int Add(void* item);
  void Insert(int index, void* item);
  // Removes the entry only; the item is the caller's concern.
  void Delete(int index);
  // Index of the first entry equal to item (-1 when absent); that entry is deleted as by
  // TList::Delete.
  int Remove(const void* item);
  // Removes the first entry equal to item and gives it back (nullptr when absent).
  void* Extract(const void* item);
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  int IndexOf(const void* item) const;
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  virtual void Clear();
  // Ordered by compare(a, b) < 0; the order of equal items is kept.
  void Sort(const std::function<int(void*, void*)>& compare);

 protected:
  void CheckIndex(int index) const;
  std::vector<void*> FList;
};

// ---- string lists ---------------------------------------------------------------------------

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
  TAVRELO_PERSISTENT(TStrings, TPersistent)
 public:
  virtual int Count() const = 0;
  virtual UnicodeString Get(int index) const = 0;
  virtual void Put(int index, const UnicodeString& s) = 0;
  virtual TObject* GetObject(int index) const = 0;
  virtual void PutObject(int index, TObject* obj) = 0;
  virtual void Insert(int index, const UnicodeString& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  virtual int Add(const UnicodeString& s);
  int AddObject(const UnicodeString& s, TObject* obj);
  void AddStrings(const TStrings& other);
  void Assign(const TStrings& other);
  // Another string list is copied; anything else is the base class's assignment.
  void Assign(TPersistent* source) override;
  virtual int IndexOf(const UnicodeString& s) const;
  int IndexOfName(const UnicodeString& name) const;
  int IndexOfObject(const TObject* obj) const;
  // "Name=Value" access.
  UnicodeString Names(int index) const;
  UnicodeString ValueFromIndex(int index) const;
  UnicodeString Values(const UnicodeString& name) const;
  void SetValue(const UnicodeString& name, const UnicodeString& value);
  // Lines joined with LineBreak after each; setting splits at CR LF, CR or LF.
  UnicodeString GetText() const;
  void SetText(std::u16string_view text);
  UnicodeString GetCommaText() const;
  void SetCommaText(std::u16string_view text);
  // UTF-8 files (a byte-order mark is skipped when present).
  void LoadFromFile(const UnicodeString& fileName);
  void SaveToFile(const UnicodeString& fileName) const;
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  UnicodeString LineBreak = u"\r\n";
  WideChar NameValueSeparator = u'=';
  bool CaseSensitive = false;

 protected:
  int CompareStrings(const UnicodeString& a, const UnicodeString& b) const;
  int FUpdateCount = 0;
  virtual void Changed() {}
};

class TStringList : public TStrings {
  TAVRELO_PERSISTENT(TStringList, TStrings)
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(FItems.size()); }
  UnicodeString Get(int index) const override;
  void Put(int index, const UnicodeString& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  void Insert(int index, const UnicodeString& s) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const UnicodeString& s) override;
  int IndexOf(const UnicodeString& s) const override;
  const UnicodeString& operator[](int index) const;

  // Binary search in a sorted list: true when found; index is the match or the insert place.
  bool Find(const UnicodeString& s, int& index) const;
  void Sort();
  void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool value);
  TDuplicates Duplicates = dupIgnore;
  std::function<void(TObject*)> OnChange;
  bool OwnsObjects() const { return FOwnsObjects; }

 protected:
  void Changed() override;

 private:
  struct Item {
    UnicodeString S;
    TObject* Obj = nullptr;
  };
  void CheckIndex(int index) const;
  std::vector<Item> FItems;
  bool FSorted = false;
  bool FOwnsObjects = false;
};

// The state of the modifier keys and mouse buttons that comes with input events.
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch, ssPen, ssCommand,
                       ssHorizontal };
using TShiftState = TSet<TShiftStateItem, 16>;
