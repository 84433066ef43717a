#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "platform/base/Classes.h"

TEST(MemoryStream, WriteSeekPastEndAndRead) {
  TMemoryStream ms;
  ms.WriteBuffer("abc", 3);
  ms.Seek(5, soBeginning);
  ms.WriteBuffer("z", 1);
  EXPECT_EQ(ms.GetSize(), 6);
  ms.SetPosition(0);
  char buf[8] = {};
  EXPECT_EQ(ms.Read(buf, 8), 6);
  EXPECT_EQ(std::string(buf, 6), std::string("abc\0\0z", 6));
  EXPECT_THROW(ms.ReadBuffer(buf, 1), EReadError);
  EXPECT_EQ(ms.GetCapacity(), 8192);
}

// Sizes no block can hold are stream errors that leave the data alone, never an overflowed
// request or a size below zero.
TEST(MemoryStream, ImpossibleSizesRaiseStreamErrors) {
  constexpr std::int64_t Huge = std::numeric_limits<std::int64_t>::max();
  TMemoryStream ms;
  ms.WriteBuffer("abc", 3);
  for (std::int64_t size : {std::int64_t(-1), Huge, Huge - 100, Huge / 2 + 1}) {
    EXPECT_THROW(ms.SetSize(size), EStreamError) << size;
    EXPECT_EQ(ms.GetSize(), 3);
  }
  ms.Seek(Huge - 1, soBeginning);
  EXPECT_THROW(ms.WriteBuffer("xy", 2), EStreamError);
  ms.Seek(Huge / 2, soBeginning);
  EXPECT_THROW(ms.WriteBuffer("xy", 2), EStreamError);
  EXPECT_EQ(ms.GetSize(), 3);
  EXPECT_EQ(ms.GetCapacity(), 8192);
  EXPECT_EQ(std::string(static_cast<const char*>(ms.Memory()), 3), "abc");
  ms.SetPosition(3);
  ms.WriteBuffer("d", 1);
  EXPECT_EQ(std::string(static_cast<const char*>(ms.Memory()), 4), "abcd");
}

TEST(FileStream, CreateReadAndErrors) {
  const UnicodeString name = Utf8ToUnicode(TAVRELO_TEST_OUTPUT "/файл.bin");
  {
    TFileStream f(name, fmCreate | fmShareExclusive);
    f.WriteBuffer("hello", 5);
  }
  EXPECT_TRUE(FileExists(name));
  TFileStream f(name, fmOpenRead | fmShareDenyNone);
  EXPECT_EQ(f.GetSize(), 5);
  TMemoryStream ms;
  ms.CopyFrom(f, 0);
  EXPECT_EQ(ms.GetSize(), 5);
  EXPECT_THROW(TFileStream(u"/nonexistent/dir/x", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(u"/nonexistent/dir/x", fmCreate), EFCreateError);
}

TEST(StringList, SortedFindTextAndValues) {
  TStringList sl;
  sl.SetText(u"b\r\na\nc\rd");
  ASSERT_EQ(sl.Count(), 4);
  sl.SetSorted(true);
  EXPECT_EQ(sl.GetText(), u"a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(sl.Add(u"B"), 1);  // duplicates ignored, case-insensitive
  EXPECT_EQ(sl.Count(), 4);
  EXPECT_EQ(sl.IndexOf(u"C"), 2);
  TStringList kv;
  kv.Add(u"Name=Value");
  kv.SetValue(u"name", u"Other");
  EXPECT_EQ(kv.Values(u"NAME"), u"Other");
  kv.SetCommaText(u"a, \"b c\",\"d\"\"e\"");
  EXPECT_EQ(kv.Count(), 3);
  EXPECT_EQ(kv[2], u"d\"e");
  EXPECT_EQ(kv.GetCommaText(), u"a,\"b c\",\"d\"\"e\"");
  EXPECT_THROW(kv.Get(3), EStringListError);
}
