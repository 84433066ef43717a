// Damaged component streams of styles: every single-byte change either loads or raises, and
// never crashes or reads out of bounds.
#include "StyleTestUtil.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/ComponentStream.h"

namespace {

std::string Stream(TRVStyle& sheet) {
  TMemoryStream ms;
  TWriter w(ms);
  w.WriteRootComponent(&sheet);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

void Fill(TRVStyle& s) {
  TFontInfo* f = s.TextStyles()->Add();
  f->SizeDouble = 21;
  f->ModifiedProperties = {rvfiBold};
  f->UnderlineType = rvutDotted;
  TParaInfo* p = s.ParaStyles()->Add();
  p->Tabs()->Add()->SetPosition(10);
  p->Border()->Style = rvbTriple;
  p->ModifiedProperties = {rvpiTabs};
  TRVListInfo* l = s.ListStyles()->Add();
  TRVListLevel* lvl = l->Levels()->Add();
  lvl->ListType = rvlstUpperAlpha;
  lvl->FormatString = u"%0:s.";
  lvl->FormatStringW = u"\u2023";
  lvl->GetFont()->Name = u"Symbol";
  TRVStyleTemplate* t = s.StyleTemplates()->Add();
  t->SetName(u"Normal");
  t->ValidParaProperties = {rvpiAlignment};
  TRVStyleTemplate* c = s.StyleTemplates()->Add();
  c->SetParentId(t->GetId());
}

}  // namespace

TEST(StyleStreamDamage, EveryChangedByteLoadsOrRaises) {
  TEmptyRVStyle sheet;
  Fill(sheet);
  const std::string data = Stream(sheet);
  int raised = 0, loaded = 0;
  for (std::size_t i = 4; i < data.size(); ++i) {
    for (unsigned char delta : {0x01, 0x80, 0xFF}) {
      std::string bad = data;
      bad[i] = static_cast<char>(static_cast<unsigned char>(bad[i]) ^ delta);
      TMemoryStream ms;
      ms.WriteBuffer(bad.data(), static_cast<std::int64_t>(bad.size()));
      ms.SetPosition(0);
      TEmptyRVStyle back;
      try {
        TReader r(ms);
        r.ReadRootComponent(&back);
        ++loaded;
      } catch (const Exception&) {
        ++raised;
      }
      // Whatever was read stays usable.
      back.TextStyles()->Items(0)->SimilarityValue(sheet.TextStyles()->Items(0));
      back.ParaStyles()->Items(0)->IsEqual(sheet.ParaStyles()->Items(0), {});
      for (int k = 0; k < back.ListStyles()->Count(); ++k)
        for (int j = 0; j < back.ListStyles()->Items(k)->Levels()->Count(); ++j)
          back.ListStyles()->Items(k)->Levels()->Items(j)->GetDisplayName();
    }
  }
  EXPECT_GT(raised, 0);
  EXPECT_GT(loaded, 0);
}
