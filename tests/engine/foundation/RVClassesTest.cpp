#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/foundation/RVClasses.h"

namespace {

// Records its name in a shared log when freed.
class TTracked : public TObject {
 public:
  TTracked(std::vector<int>& log, int id) : FLog(log), FId(id) {}
  ~TTracked() override { FLog.push_back(FId); }
  int Id() const { return FId; }

 private:
  std::vector<int>& FLog;
  int FId;
};

std::vector<int> Values(const TRVIntegerList& list) {
  std::vector<int> v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Get(i));
  return v;
}

std::vector<std::uint8_t> Bytes(TRVMemoryStream& ms) {
  const auto* p = static_cast<const std::uint8_t*>(ms.Memory());
  return std::vector<std::uint8_t>(p, p + ms.GetSize());
}

}  // namespace

// ---- owning list ----------------------------------------------------------------------------

TEST(RVList, OwnsItsObjects) {
  std::vector<int> freed;
  auto list = std::make_unique<TRVList>();
  for (int i = 0; i < 5; ++i) list->Add(new TTracked(freed, i));

  list->Delete(1);
  EXPECT_EQ(freed, (std::vector<int>{1}));

  std::unique_ptr<TObject> kept(list->Get(0));
  list->DeleteAsPointer(0);
  EXPECT_EQ(freed, (std::vector<int>{1}));
  EXPECT_EQ(static_cast<TTracked*>(kept.get())->Id(), 0);

  // Put, Remove and Extract hand back ownership instead of freeing.
  std::unique_ptr<TObject> replaced(list->Get(0));
  list->Put(0, new TTracked(freed, 7));
  std::unique_ptr<TObject> removed(list->Get(1));
  EXPECT_EQ(list->Remove(removed.get()), 1);
  EXPECT_EQ(freed, (std::vector<int>{1}));

  list->Add(new TTracked(freed, 8));
  list->Clear();
  EXPECT_EQ(freed, (std::vector<int>{1, 7, 4, 8}));
  EXPECT_EQ(list->Count(), 0);

  list->Add(new TTracked(freed, 9));
  list.reset();
  EXPECT_EQ(freed, (std::vector<int>{1, 7, 4, 8, 9}));
  EXPECT_THROW(TRVList().Delete(0), EListError);
}

TEST(RVList, FindInSortedList) {
  std::vector<int> freed;
  auto compare = [](TObject* item, const int& key) { return static_cast<TTracked*>(item)->Id() - key; };
  struct Case {
    std::vector<int> ids;
    int key;
    int expected;
  };
  const Case cases[] = {
      {{}, 5, -1},
      {{5}, 5, 0},
      {{5}, 4, -1},
      {{1, 3, 5, 7, 9}, 1, 0},
      {{1, 3, 5, 7, 9}, 9, 4},
      {{1, 3, 5, 7, 9}, 7, 3},
      {{1, 3, 5, 7, 9}, 6, -1},
      {{1, 3, 5, 7, 9}, 10, -1},
      {{1, 3, 5, 7, 9}, 0, -1},
      // the first probe that matches wins, not the lowest equal index
      {{2, 2, 2, 2, 2}, 2, 2},
      {{1, 2, 2, 2}, 2, 1},
  };
  for (const Case& c : cases) {
    TRVList list;
    for (int id : c.ids) list.Add(new TTracked(freed, id));
    EXPECT_EQ(list.Find(c.key, compare), c.expected) << "key " << c.key << " in " << c.ids.size() << " items";
  }
}

// ---- integer and colour lists ---------------------------------------------------------------

TEST(RVIntegerList, CreatingAndCopying) {
  EXPECT_EQ(Values(*TRVIntegerList::CreateEx(3, -7)), (std::vector<int>{-7, -7, -7}));
  EXPECT_EQ(TRVIntegerList::CreateEx(0, 1)->Count(), 0);
  EXPECT_THROW(TRVIntegerList::CreateEx(-1, 1), EListError);

  TRVIntegerList source;
  for (int v : {4, INT_MIN, INT_MAX, 0}) source.Add(v);
  auto copy = TRVIntegerList::CreateCopy(source);
  EXPECT_EQ(Values(*copy), (std::vector<int>{4, INT_MIN, INT_MAX, 0}));
  copy->Put(0, 5);
  EXPECT_EQ(source.Get(0), 4);

  TRVIntegerList target(2, 9);
  target.Assign(source);
  EXPECT_EQ(Values(target), Values(source));
  target.Assign(target);
  EXPECT_EQ(Values(target), Values(source));

  target.InitWith(3, 2);
  EXPECT_EQ(Values(target), (std::vector<int>{3, 3}));
  target.Fill(-1);
  EXPECT_EQ(Values(target), (std::vector<int>{-1, -1}));
  TRVIntegerList empty;
  empty.Fill(5);
  EXPECT_EQ(empty.Count(), 0);
}

TEST(RVIntegerList, SearchingAndSorting) {
  TRVIntegerList list;
  for (int v : {5, -3, INT_MAX, INT_MIN, 5, 0}) list.Add(v);
  EXPECT_EQ(list.IndexOf(5), 0);
  EXPECT_EQ(list.IndexOf(INT_MIN), 3);
  EXPECT_EQ(list.IndexOf(42), -1);
  EXPECT_EQ(list.AddUnique(INT_MAX), 2);
  EXPECT_EQ(list.AddUnique(42), 6);
  EXPECT_EQ(list.Count(), 7);
  list.Insert(0, 1);
  list.Sort();
  EXPECT_EQ(Values(list), (std::vector<int>{INT_MIN, -3, 0, 1, 5, 5, 42, INT_MAX}));
  EXPECT_THROW(list.Get(8), EListError);
  EXPECT_THROW(list.Insert(9, 0), EListError);
}

TEST(RVIntegerList, AreAllEqualTo) {
  struct Case {
    std::vector<int> values;
    int value;
    bool expected;
  };
  const Case cases[] = {
      {{}, 0, true}, {{}, 5, true}, {{5}, 5, true}, {{5, 5, 5}, 5, true}, {{5, 5, 4}, 5, false},
      {{4, 5, 5}, 5, false}, {{-1}, 1, false},
  };
  for (const Case& c : cases) {
    TRVIntegerList list;
    for (int v : c.values) list.Add(v);
    EXPECT_EQ(list.AreAllEqualTo(c.value), c.expected) << c.values.size() << " values, " << c.value;
  }
}

TEST(RVIntegerList, StreamForm) {
  struct Case {
    std::vector<int> values;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {{}, {0, 0, 0, 0}},
      {{1}, {1, 0, 0, 0, 1, 0, 0, 0}},
      {{-2, 0x12345678}, {2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
  };
  for (const Case& c : cases) {
    TRVIntegerList list;
    for (int v : c.values) list.Add(v);
    TRVMemoryStream ms;
    list.SaveToStream(ms);
    EXPECT_EQ(Bytes(ms), c.bytes);

    TRVIntegerList loaded(3, 77);
    ms.SetPosition(0);
    loaded.LoadFromStream(ms);
    EXPECT_EQ(Values(loaded), c.values);
    EXPECT_EQ(ms.GetPosition(), ms.GetSize());
  }
}

TEST(RVIntegerList, DamagedStreamRaisesAndKeepsWhatWasRead) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::vector<int> kept;
  };
  const Case cases[] = {
      {"no count", {}, {1, 2}},
      {"short count", {1, 0}, {1, 2}},
      {"one value of three", {3, 0, 0, 0, 9, 0, 0, 0, 8, 0}, {9}},
      {"huge count", {0xFF, 0xFF, 0xFF, 0x7F, 6, 0, 0, 0}, {6}},
      {"negative count", {0xFF, 0xFF, 0xFF, 0xFF, 6, 0, 0, 0}, {}},
  };
  for (const Case& c : cases) {
    TRVMemoryStream ms;
    if (!c.bytes.empty()) ms.WriteBuffer(c.bytes.data(), static_cast<std::int64_t>(c.bytes.size()));
    ms.SetPosition(0);
    TRVIntegerList list;
    list.Add(1);
    list.Add(2);
    EXPECT_THROW(list.LoadFromStream(ms), EReadError) << c.what;
    EXPECT_EQ(Values(list), c.kept) << c.what;
  }
}

TEST(RVColorList, AddUniqueSkipsNoColour) {
  TRVColorList list;
  list.AddUnique(clNone);
  EXPECT_EQ(list.Count(), 0);
  list.AddUnique(clRed);
  list.AddUnique(clBlue);
  list.AddUnique(clRed);
  list.AddUnique(clNone);
  EXPECT_EQ(Values(list), (std::vector<int>{clRed, clBlue}));
}

// ---- memory stream --------------------------------------------------------------------------

TEST(RVMemoryStream, CapacitySizeAndPosition) {
  struct Case {
    const char* what;
    std::function<void(TRVMemoryStream&)> run;
    std::int32_t capacity, size, position;
  };
  const std::string big(262145, 'x');
  const Case cases[] = {
      {"first write of one byte", [](TRVMemoryStream& s) { s.Write("a", 1); }, 262144, 1, 1},
      {"write of zero bytes", [](TRVMemoryStream& s) { EXPECT_EQ(s.Write("a", 0), 0); }, 0, 0, 0},
      {"write of a negative count", [](TRVMemoryStream& s) { EXPECT_EQ(s.Write("a", -1), 0); }, 0, 0, 0},
      {"write at a negative position",
       [](TRVMemoryStream& s) {
         s.Seek(-1, soBeginning);
         EXPECT_EQ(s.Write("a", 1), 0);
       },
       0, 0, -1},
      {"write one step and one byte", [&](TRVMemoryStream& s) { s.WriteBuffer(big.data(), 262145); }, 524288,
       262145, 262145},
      {"size 10 after a write is rounded",
       [](TRVMemoryStream& s) {
         s.Write("a", 1);
         s.SetSize(10);
       },
       262144, 10, 1},
      {"size 10 again trims the block",
       [](TRVMemoryStream& s) {
         s.Write("a", 1);
         s.SetSize(10);
         s.SetSize(10);
       },
       10, 10, 1},
      {"growing a trimmed block rounds again",
       [](TRVMemoryStream& s) {
         s.SetSize(10);
         s.SetSize(10);
         s.Seek(0, soEnd);
         s.Write("abc", 3);
       },
       262144, 13, 13},
      {"size below the position moves it to the end",
       [](TRVMemoryStream& s) {
         s.Write("abcdef", 6);
         s.SetSize(2);
       },
       262144, 2, 2},
      {"size 0 frees the block",
       [](TRVMemoryStream& s) {
         s.Write("abcdef", 6);
         s.SetSize(0);
       },
       0, 0, 0},
      {"write 5 bytes at 100 in a 10-byte stream",
       [](TRVMemoryStream& s) {
         s.SetSize(10);
         s.Seek(100, soBeginning);
         char buf[4];
         EXPECT_EQ(s.Read(buf, 4), 0);
         EXPECT_EQ(s.Write("12345", 5), 5);
       },
       262144, 105, 105},
      {"clear",
       [](TRVMemoryStream& s) {
         s.Write("abc", 3);
         s.Clear();
       },
       0, 0, 0},
  };
  for (const Case& c : cases) {
    TRVMemoryStream s;
    c.run(s);
    EXPECT_EQ(s.GetCapacity(), c.capacity) << c.what;
    EXPECT_EQ(s.GetSize(), c.size) << c.what;
    EXPECT_EQ(s.GetPosition(), c.position) << c.what;
    EXPECT_EQ(s.Memory() == nullptr, c.capacity == 0) << c.what;
  }
}

TEST(RVMemoryStream, SeekUsesLow32BitsWithoutClamping) {
  struct Case {
    std::int64_t start, offset;
    TSeekOrigin origin;
    std::int64_t expected;
  };
  const Case cases[] = {
      {3, 5, soBeginning, 5},
      {3, 5, soCurrent, 8},
      {3, -5, soCurrent, -2},
      {3, -4, soEnd, 6},
      {3, 20, soEnd, 30},
      {0, 0x100000005LL, soBeginning, 5},
      {0, 0xFFFFFFFFLL, soBeginning, -1},
      {INT_MAX, 1, soCurrent, INT_MIN},
  };
  for (const Case& c : cases) {
    TRVMemoryStream s;
    s.SetSize(10);
    s.Seek(c.start, soBeginning);
    EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << c.start << " " << c.offset << " " << c.origin;
    EXPECT_EQ(s.GetPosition(), c.expected);
  }
}

TEST(RVMemoryStream, ReadWriteAndGaps) {
  TRVMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  s.Seek(8, soBeginning);
  s.WriteBuffer("XY", 2);
  s.Seek(1, soBeginning);
  s.WriteBuffer("__", 2);
  EXPECT_EQ(Bytes(s), (std::vector<std::uint8_t>{'a', '_', '_', 'd', 'e', 'f', 0, 0, 'X', 'Y'}));

  struct Case {
    std::int64_t position, count, read;
  };
  const Case cases[] = {{0, 10, 10}, {0, 100, 10}, {7, 100, 3}, {10, 1, 0}, {12, 1, 0}, {-1, 1, 0}, {0, -1, 0}};
  for (const Case& c : cases) {
    char buf[16] = {};
    s.Seek(c.position, soBeginning);
    EXPECT_EQ(s.Read(buf, c.count), c.read) << c.position << " " << c.count;
    EXPECT_EQ(s.GetPosition(), c.position + c.read);
  }

  // the byte-array form never writes past the array
  struct ArrayCase {
    std::int64_t offset, count, read;
    std::vector<std::uint8_t> after;
  };
  const ArrayCase arrayCases[] = {
      {1, 2, 2, {0, 'a', '_', 0}},
      {2, 10, 2, {0, 0, 'a', '_'}},
      {4, 1, 0, {0, 0, 0, 0}},
      {5, 1, 0, {0, 0, 0, 0}},
      {-1, 1, 0, {0, 0, 0, 0}},
      {0, -1, 0, {0, 0, 0, 0}},
  };
  for (const ArrayCase& c : arrayCases) {
    std::vector<std::uint8_t> buf(4);
    s.Seek(0, soBeginning);
    EXPECT_EQ(s.Read(buf, c.offset, c.count), c.read) << c.offset << " " << c.count;
    EXPECT_EQ(buf, c.after) << c.offset << " " << c.count;
  }

  TRVMemoryStream copy;
  s.SaveToStream(copy);
  EXPECT_EQ(Bytes(copy), Bytes(s));
  TRVMemoryStream empty, target;
  empty.SaveToStream(target);
  EXPECT_EQ(target.GetSize(), 0);
}

TEST(RVMemoryStream, SizeGainedReadsAsZeros) {
  TRVMemoryStream s;
  s.WriteBuffer("abc", 3);
  s.SetSize(1);
  s.SetSize(4);
  EXPECT_EQ(Bytes(s), (std::vector<std::uint8_t>{'a', 0, 0, 0}));
}

TEST(RVMemoryStream, NothingBeyondTwoGigabytes) {
  TRVMemoryStream s;
  s.Seek(INT_MAX - 1, soBeginning);
  EXPECT_EQ(s.Write("ab", 2), 0);
  s.Seek(0, soBeginning);
  EXPECT_EQ(s.Write("ab", 0x100000000LL), 0);
  EXPECT_EQ(s.GetSize(), 0);
  EXPECT_THROW(s.SetSize(-1), EStreamError);
  EXPECT_THROW(s.SetSize(0x80000000LL), EStreamError);
  EXPECT_EQ(s.GetCapacity(), 0);
}

namespace {

// A stream whose allocator refuses blocks above a limit.
class TTightStream : public TRVMemoryStream {
 public:
  std::size_t Limit = 0;

 protected:
  void* ReallocBlock(void* block, std::size_t size) override {
    return size > Limit ? nullptr : TRVMemoryStream::ReallocBlock(block, size);
  }
};

}  // namespace

TEST(RVMemoryStream, OutOfMemoryKeepsTheOldBlock) {
  TTightStream s;
  s.Limit = 262144;
  s.WriteBuffer("abc", 3);
  void* block = s.Memory();
  const std::string big(262144, 'x');
  try {
    s.Write(big.data(), 262144);
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), u"Out of memory while expanding memory stream");
  }
  EXPECT_EQ(s.Memory(), block);
  EXPECT_EQ(s.GetCapacity(), 262144);
  EXPECT_EQ(s.GetSize(), 3);
  EXPECT_EQ(s.GetPosition(), 3);
  EXPECT_THROW(s.SetSize(300000), EStreamError);
  EXPECT_EQ(Bytes(s), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
}

// ---- string list ----------------------------------------------------------------------------

TEST(RVStringList, WideStringAccessors) {
  TRVStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.AddUnicodeString(u"\u044F"), 0);
  EXPECT_EQ(list.AddUnicodeString(u"b"), 0);
  TObject obj;
  EXPECT_EQ(list.AddUnicodeStringWithObject(u"a", &obj), 0);
  EXPECT_EQ(list.GetUnicodeString(2), u"\u044F");
  EXPECT_EQ(list.GetObject(0), &obj);
  int index = -1;
  EXPECT_TRUE(list.FindUnicodeString(u"b", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.FindUnicodeString(u"c", index));
  EXPECT_EQ(list.IndexOfUnicodeString(u"\u044F"), 2);
  EXPECT_EQ(list.IndexOfUnicodeString(u"z"), -1);
}
