#include "platform/base/Classes.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- TStream --------------------------------------------------------------------------------

std::int64_t TStream::GetSize() {
  const std::int64_t pos = Seek(0, soCurrent);
  const std::int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError(u"Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  const std::int64_t result = count;
  std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)) + 1);
  while (count > 0) {
    const std::int64_t n = std::min<std::int64_t>(count, static_cast<std::int64_t>(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return result;
}

// ---- memory streams -------------------------------------------------------------------------

TCustomMemoryStream::~TCustomMemoryStream() = default;

void TCustomMemoryStream::SetPointer(void* ptr, std::int64_t size) {
  FMemory = ptr;
  FSize = size;
}

std::int64_t TCustomMemoryStream::Read(void* buffer, std::int64_t count) {
  if (FPosition < 0 || count <= 0) return 0;
  std::int64_t n = FSize - FPosition;
  if (n <= 0) return 0;
  if (n > count) n = count;
  std::memcpy(buffer, static_cast<char*>(FMemory) + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: FPosition = offset; break;
    case soCurrent: FPosition += offset; break;
    case soEnd: FPosition = FSize + offset; break;
  }
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  if (FSize) stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const UnicodeString& fileName) {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(fs);
}

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void* TCustomMemoryStream::ResizeBlock(std::int64_t& request, std::int64_t capacity,
                                       std::int64_t step, std::int64_t limit,
                                       const std::function<void*(void*, std::size_t)>& realloc) {
  if (request > 0 && request != FSize && request <= limit - (step - 1))
    request = (request + (step - 1)) / step * step;
  if (request == capacity) return FMemory;
  if (request == 0) {
    std::free(FMemory);
    return nullptr;
  }
  void* block = request < 0 || request > limit
                    ? nullptr
                    : realloc(capacity == 0 ? nullptr : FMemory, static_cast<std::size_t>(request));
  if (!block) throw EStreamError(u"Out of memory while expanding memory stream");
  return block;
}

std::int64_t TCustomMemoryStream::WriteGrowing(const void* buffer, std::int64_t count,
                                               std::int64_t capacity, std::int64_t limit,
                                               const std::function<void(std::int64_t)>& grow) {
  if (FPosition < 0 || count <= 0 || count > limit - FPosition) return 0;
  const std::int64_t end = FPosition + count;
  if (end > FSize) {
    if (end > capacity) grow(end);
    // a gap left by seeking past the end reads as zeros
    if (FPosition > FSize)
      std::memset(static_cast<char*>(FMemory) + FSize, 0, static_cast<std::size_t>(FPosition - FSize));
    FSize = end;
  }
  std::memmove(static_cast<char*>(FMemory) + FPosition, buffer, static_cast<std::size_t>(count));
  FPosition = end;
  return count;
}

void* TMemoryStream::Realloc(std::int64_t& newCapacity) {
  // Beyond what the address space can hold; also keeps the size arithmetic from overflowing.
  constexpr std::int64_t Limit = std::numeric_limits<std::int64_t>::max() / 2;
  return ResizeBlock(newCapacity, FCapacity, 0x2000, Limit, [](void* block, std::size_t size) {
    return std::realloc(block, size);
  });
}

void TMemoryStream::SetCapacity(std::int64_t newCapacity) {
  std::int64_t cap = newCapacity;
  FMemory = Realloc(cap);
  FCapacity = cap;
  if (FSize > FCapacity) FSize = FCapacity;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0) throw EStreamError(u"Out of memory while expanding memory stream");
  const std::int64_t old = FSize;
  if (newSize > FCapacity) SetCapacity(newSize);
  if (newSize > old) std::memset(static_cast<char*>(FMemory) + old, 0, static_cast<std::size_t>(newSize - old));
  FSize = newSize;
  if (FPosition > newSize) FPosition = newSize;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  return WriteGrowing(buffer, count, FCapacity, std::numeric_limits<std::int64_t>::max(),
                      [this](std::int64_t end) { SetCapacity(end); });
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const std::int64_t count = stream.GetSize();
  SetSize(count);
  if (count) stream.ReadBuffer(FMemory, count);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const UnicodeString& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(fs);
}

// ---- files ----------------------------------------------------------------------------------

std::string FileNameToNative(const UnicodeString& fileName) { return UnicodeToUtf8(fileName); }

bool FileExists(const UnicodeString& fileName) {
  struct stat st;
  return ::stat(FileNameToNative(fileName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const UnicodeString& dirName) {
  struct stat st;
  return ::stat(FileNameToNative(dirName).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const UnicodeString& fileName) { return ::unlink(FileNameToNative(fileName).c_str()) == 0; }

TFileStream::TFileStream(const UnicodeString& fileName, unsigned mode) : FFileName(fileName) {
  const std::string native = FileNameToNative(fileName);
  if ((mode & 0xFF00) == fmCreate) {
    FHandle = ::open(native.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (FHandle < 0)
      throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + Utf8ToUnicode(std::strerror(errno)));
    return;
  }
  int flags = O_RDONLY;
  if ((mode & 3) == fmOpenWrite) flags = O_WRONLY;
  else if ((mode & 3) == fmOpenReadWrite) flags = O_RDWR;
  FHandle = ::open(native.c_str(), flags | O_CLOEXEC);
  if (FHandle >= 0) {
    struct stat st;
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FHandle);
      FHandle = -1;
      errno = EISDIR;
    }
  }
  if (FHandle < 0)
    throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + Utf8ToUnicode(std::strerror(errno)));
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(FHandle, static_cast<char*>(buffer) + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(FHandle, static_cast<const char*>(buffer) + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  return ::lseek(FHandle, offset, whence);
}

void TFileStream::SetSize(std::int64_t newSize) {
  if (::ftruncate(FHandle, newSize) != 0) throw EWriteError(u"Stream write error");
  if (GetPosition() > newSize) Seek(newSize, soBeginning);
}

// ---- TStrings -------------------------------------------------------------------------------

int TStrings::Add(const UnicodeString& s) {
  const int i = Count();
  Insert(i, s);
  return i;
}

int TStrings::AddObject(const UnicodeString& s, TObject* obj) {
  const int i = Add(s);
  PutObject(i, obj);
  return i;
}

void TStrings::AddStrings(const TStrings& other) {
  BeginUpdate();
  for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
  EndUpdate();
}

const TClassInfo& TStrings::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TStrings>(u"TStrings", &TPersistent::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TStringList::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TStringList>(u"TStringList", &TStrings::StaticClassInfo()).Build();
  return info;
}

void TStrings::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TStrings*>(source)) {
    Assign(*other);
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::Assign(const TStrings& other) {
  if (&other == this) return;
  BeginUpdate();
  Clear();
  AddStrings(other);
  EndUpdate();
}

int TStrings::CompareStrings(const UnicodeString& a, const UnicodeString& b) const {
  if (CaseSensitive) return a.compare(b);
  return CompareTextAscii(a, b);
}

int TStrings::IndexOf(const UnicodeString& s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const UnicodeString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Names(i), name) == 0) {
      const UnicodeString s = Get(i);
      if (s.find(NameValueSeparator) != UnicodeString::npos) return i;
    }
  return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

UnicodeString TStrings::Names(int index) const {
  const UnicodeString s = Get(index);
  const auto p = s.find(NameValueSeparator);
  return p == UnicodeString::npos ? UnicodeString() : s.substr(0, p);
}

UnicodeString TStrings::ValueFromIndex(int index) const {
  const UnicodeString s = Get(index);
  const auto p = s.find(NameValueSeparator);
  return p == UnicodeString::npos ? UnicodeString() : s.substr(p + 1);
}

UnicodeString TStrings::Values(const UnicodeString& name) const {
  const int i = IndexOfName(name);
  return i < 0 ? UnicodeString() : ValueFromIndex(i);
}

void TStrings::SetValue(const UnicodeString& name, const UnicodeString& value) {
  const int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(name + NameValueSeparator + value);
  } else {
    Put(i, name + NameValueSeparator + value);
  }
}

UnicodeString TStrings::GetText() const {
  UnicodeString r;
  for (int i = 0; i < Count(); ++i) {
    r += Get(i);
    r += LineBreak;
  }
  return r;
}

void TStrings::SetText(std::u16string_view text) {
  BeginUpdate();
  Clear();
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && text[j] != u'\r' && text[j] != u'\n') ++j;
    Add(UnicodeString(text.substr(i, j - i)));
    if (j < text.size() && text[j] == u'\r') ++j;
    if (j < text.size() && text[j] == u'\n') ++j;
    i = j;
  }
  EndUpdate();
}

UnicodeString TStrings::GetCommaText() const {
  UnicodeString r;
  for (int i = 0; i < Count(); ++i) {
    if (i) r += u',';
    const UnicodeString s = Get(i);
    bool quote = s.empty();
    for (char16_t c : s)
      if (c <= u' ' || c == u',' || c == u'"') quote = true;
    if (!quote) {
      r += s;
      continue;
    }
    r += u'"';
    for (char16_t c : s) {
      if (c == u'"') r += u'"';
      r += c;
    }
    r += u'"';
  }
  return r;
}

void TStrings::SetCommaText(std::u16string_view text) {
  BeginUpdate();
  Clear();
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] <= u' ') ++i;
  while (i < n) {
    UnicodeString item;
    if (text[i] == u'"') {
      ++i;
      while (i < n) {
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') { item += u'"'; i += 2; continue; }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < n && text[i] > u' ' && text[i] != u',') item += text[i++];
    }
    Add(item);
    while (i < n && text[i] <= u' ') ++i;
    if (i < n && text[i] == u',') {
      ++i;
      while (i < n && text[i] <= u' ') ++i;
      if (i >= n) Add(UnicodeString());
    }
  }
  EndUpdate();
}

void TStrings::LoadFromStream(TStream& stream) {
  const std::int64_t size = stream.GetSize() - stream.GetPosition();
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::string_view v(bytes);
  if (v.size() >= 3 && v.substr(0, 3) == "\xEF\xBB\xBF") v.remove_prefix(3);
  SetText(Utf8ToUnicode(v));
}

void TStrings::SaveToStream(TStream& stream) const {
  const std::string bytes = UnicodeToUtf8(GetText());
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TStrings::LoadFromFile(const UnicodeString& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(fs);
}

void TStrings::SaveToFile(const UnicodeString& fileName) const {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(fs);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

// ---- TStringList ----------------------------------------------------------------------------

TStringList::~TStringList() {
  if (FOwnsObjects)
    for (auto& it : FItems) delete it.Obj;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EStringListError(u"List index out of bounds (" + IntToStr(index) + u")");
}

UnicodeString TStringList::Get(int index) const {
  CheckIndex(index);
  return FItems[index].S;
}

const UnicodeString& TStringList::operator[](int index) const {
  CheckIndex(index);
  return FItems[index].S;
}

void TStringList::Put(int index, const UnicodeString& s) {
  if (FSorted) throw EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(index);
  FItems[index].S = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FItems[index].Obj;
}

void TStringList::PutObject(int index, TObject* obj) {
  CheckIndex(index);
  if (FOwnsObjects && FItems[index].Obj != obj) delete FItems[index].Obj;
  FItems[index].Obj = obj;
}

void TStringList::Insert(int index, const UnicodeString& s) {
  if (FSorted) throw EStringListError(u"Operation not allowed on sorted list");
  if (index < 0 || index > Count())
    throw EStringListError(u"List index out of bounds (" + IntToStr(index) + u")");
  FItems.insert(FItems.begin() + index, Item{s, nullptr});
  Changed();
}

int TStringList::Add(const UnicodeString& s) {
  if (!FSorted) return TStrings::Add(s);
  int index;
  if (Find(s, index)) {
    if (Duplicates == dupIgnore) return index;
    if (Duplicates == dupError) throw EStringListError(u"String list does not allow duplicates");
  }
  FItems.insert(FItems.begin() + index, Item{s, nullptr});
  Changed();
  return index;
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  if (FOwnsObjects) delete FItems[index].Obj;
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  if (FOwnsObjects)
    for (auto& it : FItems) delete it.Obj;
  FItems.clear();
  Changed();
}

int TStringList::IndexOf(const UnicodeString& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const UnicodeString& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareStrings(FItems[mid].S, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (Duplicates != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.S, b.S) < 0; });
  Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
  // Sort an index permutation so the callback sees the list unchanged while it runs.
  std::vector<int> order(FItems.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(std::move(FItems[i]));
  FItems = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (value && !FSorted) Sort();
  FSorted = value;
}

void TStringList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

// ---- TList ----------------------------------------------------------------------------------

TList::~TList() = default;

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
}

void TList::SetCount(int newCount) {
  if (newCount < 0) throw EListError(u"List count out of bounds (" + IntToStr(newCount) + u")");
  FList.resize(static_cast<std::size_t>(newCount), nullptr);
}

void TList::SetCapacity(int newCapacity) {
  if (newCapacity < Count()) throw EListError(u"List capacity out of bounds (" + IntToStr(newCapacity) + u")");
  if (newCapacity > GetCapacity()) {
    FList.reserve(static_cast<std::size_t>(newCapacity));
  } else if (newCapacity < GetCapacity()) {
    std::vector<void*> exact;
    exact.reserve(static_cast<std::size_t>(newCapacity));
    exact.assign(FList.begin(), FList.end());
    FList.swap(exact);
  }
}

void* TList::Get(int index) const {
  CheckIndex(index);
  return FList[static_cast<std::size_t>(index)];
}

void TList::Put(int index, void* item) {
  CheckIndex(index);
  FList[static_cast<std::size_t>(index)] = item;
}

int TList::Add(void* item) {
  FList.push_back(item);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
  FList.insert(FList.begin() + index, item);
}

void TList::Delete(int index) {
  CheckIndex(index);
  FList.erase(FList.begin() + index);
}

int TList::Remove(const void* item) {
  const int index = IndexOf(item);
  if (index >= 0) TList::Delete(index);
  return index;
}

void* TList::Extract(const void* item) {
  const int index = IndexOf(item);
  if (index < 0) return nullptr;
  void* result = FList[static_cast<std::size_t>(index)];
  TList::Delete(index);
  return result;
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(FList[static_cast<std::size_t>(index1)], FList[static_cast<std::size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  void* item = FList[static_cast<std::size_t>(curIndex)];
  FList.erase(FList.begin() + curIndex);
  FList.insert(FList.begin() + newIndex, item);
}

int TList::IndexOf(const void* item) const {
  const auto it = std::find(FList.begin(), FList.end(), item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Clear() {
  FList.clear();
  FList.shrink_to_fit();
}

void TList::Sort(const std::function<int(void*, void*)>& compare) {
  std::stable_sort(FList.begin(), FList.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}
