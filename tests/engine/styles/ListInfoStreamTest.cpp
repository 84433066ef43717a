// List styles through the binary component stream, as documents embed them.
#include <gtest/gtest.h>

#include "engine/styles/ListInfo.h"
#include "platform/base/ComponentStream.h"

namespace {

std::unique_ptr<TRVListInfos> NewLists() {
  return std::make_unique<TRVListInfos>(&NewCollectionItem<TRVListInfo>, nullptr);
}

// Two list styles: one with three levels of different kinds, one left at its defaults.
void Fill(TRVListInfos& lists) {
  TRVListInfo* list = lists.Add();
  list->StyleName = u"\u0421\u043f\u0438\u0441\u043e\u043a \"1\"";
  list->OneLevelPreview = true;
  list->Standard = false;
  list->SetListID(987654);

  TRVListLevel* bullet = list->Levels()->Add();
  bullet->FormatString = u"\u2022";
  bullet->GetFont()->Name = u"Symbol";
  bullet->GetFont()->Style = TFontStyles{fsBold};
  bullet->LeftIndent = 24;

  TRVListLevel* number = list->Levels()->Add();
  number->ListType = rvlstUpperRoman;
  number->StartFrom = 40000;
  number->FormatString = u"%1:s.%0:s";
  number->FirstIndent = -12;
  number->MarkerIndent = 6;
  number->MarkerAlignment = rvmaRight;
  number->Options = {rvloLegalStyleNumbering};

  TRVListLevel* wide = list->Levels()->Add();
  wide->ListType = rvlstUnicodeBullet;
  wide->FormatStringW = u"\u25BA";
  wide->ImageIndex = 3;

  lists.Add();
}

std::string Write(TRVListInfos& lists) {
  TMemoryStream ms;
  TWriter w(ms);
  w.WriteCollection(&lists);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

void Read(const std::string& data, TRVListInfos& into, const TReaderError& onError = {}) {
  TMemoryStream ms;
  ms.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  ms.SetPosition(0);
  TReader r(ms);
  r.OnError = onError;
  r.ReadCollection(&into);
}

void ExpectEqualLists(TRVListInfos& a, TRVListInfos& b) {
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) {
    TRVListInfo* x = a.Items(i);
    TRVListInfo* y = b.Items(i);
    EXPECT_TRUE(x->IsSimpleEqual(y, false, false)) << "list " << i;
    EXPECT_EQ(x->StyleName, y->StyleName) << "list " << i;
    EXPECT_EQ(x->Standard, y->Standard) << "list " << i;
    EXPECT_EQ(x->BaseStyleNo, y->BaseStyleNo) << "list " << i;
    ASSERT_EQ(x->Levels()->Count(), y->Levels()->Count());
    for (int j = 0; j < x->Levels()->Count(); ++j) {
      EXPECT_TRUE(x->Levels()->Items(j)->IsEqual(y->Levels()->Items(j))) << "list " << i << " level " << j;
      EXPECT_EQ(x->Levels()->Items(j)->StartFrom, y->Levels()->Items(j)->StartFrom);
    }
  }
}

TEST(ListInfoStream, ListStylesWithTheirLevelsReadBackEqual) {
  auto src = NewLists();
  Fill(*src);
  const std::string data = Write(*src);
  auto dst = NewLists();
  dst->Add();  // replaced by what the stream holds
  Read(data, *dst);
  ExpectEqualLists(*src, *dst);
  EXPECT_EQ(dst->Items(0)->GetListID(), 987654);
  EXPECT_EQ(dst->Items(0)->Levels()->Items(0)->GetFont()->Name, u"Symbol");
  EXPECT_EQ(Write(*dst), data);
}

TEST(ListInfoStream, UnknownPropertyReachesTheErrorHookAndTheRestLoads) {
  auto src = NewLists();
  Fill(*src);
  std::string data = Write(*src);
  const std::string known = "OneLevelPreview";
  const std::size_t at = data.find(known);
  ASSERT_NE(at, std::string::npos);
  data.replace(at, known.size(), "TwoLevelPreview");

  auto strict = NewLists();
  EXPECT_THROW(Read(data, *strict), EReadError);

  std::vector<UnicodeString> messages;
  auto dst = NewLists();
  Read(data, *dst, [&](TReader&, const UnicodeString& m, bool& handled) {
    messages.push_back(m);
    handled = true;
  });
  EXPECT_EQ(messages, std::vector<UnicodeString>{u"Property TwoLevelPreview does not exist"});
  ASSERT_EQ(dst->Count(), 2);
  EXPECT_FALSE(dst->Items(0)->OneLevelPreview);  // the only thing lost
  dst->Items(0)->OneLevelPreview = true;
  ExpectEqualLists(*src, *dst);
}

}  // namespace
