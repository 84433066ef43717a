// Page-number and page-count fields on printed pages: each page shows its own number and the
// number of pages, never the placeholder the screen shows.
#include "ReportTestUtil.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/document/RVFieldItems.h"
#include "platform/graphics/Metafile.h"
#include "platform/ui/Printers.h"

namespace {

std::uint32_t Le32(const BYTE* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The strings of the text records of a recorded page, in drawing order.
std::vector<std::u16string> RecordedTexts(TMetafile& mf) {
  std::vector<std::u16string> texts;
  EnumEnhMetaFileRecords(mf.GetHandle(), [&](DWORD type, const BYTE* rec, DWORD size) {
    if (type != EMR_EXTTEXTOUTW || size < 76) return true;
    const std::uint32_t n = Le32(rec + 44), off = Le32(rec + 48);
    if (off + 2 * n > size) return true;
    std::u16string s(n, u'\0');
    std::memcpy(s.data(), rec + off, 2 * n);
    texts.push_back(s);
    return true;
  });
  return texts;
}

}  // namespace

// Adds a field item continuing the last paragraph.
template <typename T>
void AddField(TCustomRVData* Doc) {
  auto* f = new T(Doc, rvpntDefault, 0);
  f->ParaNo = -1;
  Doc->AddItem(u"", f);
}

TEST_F(PrintFixture, PageNumberAndPageCountFieldsPrintThePagesValues) {
  // Every paragraph: "line N " [page number] " of " [page count].
  for (int i = 0; i < 24; ++i) {
    AddPara(u"line " + IntToStr(i) + u" ");
    AddField<TRVPageNumberItemInfo>(Doc());
    Doc()->AddNL(u" of ", 0, -1);
    AddField<TRVPageCountItemInfo>(Doc());
  }
  // On the screen's resolution and on a device of twice that.
  for (int ppi : {96, 192}) {
    TPrinter prn;
    prn.SetOutputFileName(u"/dev/null");
    prn.SetFileResolution(ppi);
    const int w = MulDiv(400, ppi, 96), h = MulDiv(100, ppi, 96);
    const int pages = Paginate(prn.GetCanvas(), w, h);
    ASSERT_GE(pages, 2) << ppi;
    for (int p = 1; p <= pages; ++p) {
      TMetafile mf;
      mf.SetWidth(w);
      mf.SetHeight(h);
      {
        TMetafileCanvas mc(mf, prn.GetCanvas()->GetHandle());
        R->DrawPage(p, &mc, false, h);
      }
      const std::vector<std::u16string> texts = RecordedTexts(mf);
      int lines = 0;
      for (std::size_t k = 0; k < texts.size(); ++k) {
        if (texts[k].rfind(u"line ", 0) != 0) continue;
        ++lines;
        ASSERT_LT(k + 3, texts.size()) << ppi << " ppi, page " << p;
        EXPECT_EQ(texts[k + 1], IntToStr(p)) << ppi << " ppi, page " << p;
        EXPECT_EQ(texts[k + 2], u" of ") << ppi << " ppi, page " << p;
        EXPECT_EQ(texts[k + 3], IntToStr(pages)) << ppi << " ppi, page " << p;
      }
      EXPECT_GT(lines, 0) << ppi << " ppi, page " << p;
    }
  }
}
