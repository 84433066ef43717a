// A generated document of about 300 A4 pages for tests and benchmarks: paragraphs of 40 to 120
// words in several text styles, headings, bulleted and numbered lists, tab-aligned rows, a
// picture every few pages and a few hyperlinks. It is built through the document model's public
// calls only, and the same seed gives the same document on every machine (the random numbers are
// our own, not a library distribution's).
//
//   TRVStyle sheet(nullptr);
//   SetGeneratedDocumentStyles(sheet);
//   TRVPlainRootData doc(&sheet);
//   TGeneratedDocumentInfo info = GenerateDocument(doc, {.Seed = 7});
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"

// Text styles of the generated document.
enum TGenTextStyle : int {
  gtsBody,       // Arial 10
  gtsBold,       // Arial 10 bold
  gtsItalic,     // Times New Roman 12 italic
  gtsSerif,      // Times New Roman 12
  gtsMono,       // Courier New 10
  gtsHeading,    // Arial 14 bold
  gtsHyperlink,  // Arial 10, blue, underlined, a link
  gtsCount
};

// Paragraph styles of the generated document.
enum TGenParaStyle : int {
  gpsBody,       // left-aligned
  gpsJustified,  // justified, first line indented 24 pixels
  gpsHeading,    // 12 pixels above, 6 below
  gpsList,       // list paragraphs (the list level gives the indents)
  gpsTabbed,     // tab stops at 160 (left), 420 (right, dotted leader), 560 (centre)
  gpsCount
};

// List styles: 0 bulleted, 1 numbered ("1.", "2.", ...).
enum TGenListStyle : int { glsBullets, glsNumbers, glsCount };

struct TGeneratedDocumentOptions {
  std::uint32_t Seed = 1;
  // Paragraph count follows from it: 11 paragraphs make an A4 page of text 650 pixels wide.
  int Pages = 300;
  // Pictures cost memory and decoding; tests that need none can leave them out.
  bool Pictures = true;
};

// What was generated, for the counters of a benchmark.
struct TGeneratedDocumentInfo {
  int Paragraphs = 0, Words = 0, Characters = 0, Pictures = 0, Tabs = 0, Hyperlinks = 0, ListParagraphs = 0;
};

// A small deterministic generator (a 64-bit linear congruential one, top bits taken), so that a
// seed means the same document with every standard library.
class TGenRandom {
 public:
  explicit TGenRandom(std::uint32_t Seed) : FState(Seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  std::uint32_t Next() {
    FState = FState * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(FState >> 33);
  }
  // Lo..Hi inclusive.
  int Range(int Lo, int Hi) { return Lo + static_cast<int>(Next() % static_cast<std::uint32_t>(Hi - Lo + 1)); }
  bool Chance(int Percent) { return Range(0, 99) < Percent; }

 private:
  std::uint64_t FState;
};

// Makes the sheet hold exactly the styles above (text, paragraph and list styles), in pixels.
inline void SetGeneratedDocumentStyles(TRVStyle& Sheet) {
  TFontInfos* ts = Sheet.TextStyles();
  while (ts->Count() < gtsCount) ts->Add();
  while (ts->Count() > gtsCount) ts->Delete(ts->Count() - 1);
  struct TTextDef {
    const char16_t* Face;
    int Size;
    bool Bold, Italic;
  };
  static const TTextDef text[gtsCount] = {{u"Arial", 10, false, false},       {u"Arial", 10, true, false},
                                          {u"Times New Roman", 12, false, true}, {u"Times New Roman", 12, false, false},
                                          {u"Courier New", 10, false, false}, {u"Arial", 14, true, false},
                                          {u"Arial", 10, false, false}};
  for (int i = 0; i < gtsCount; ++i) {
    TFontInfo* f = ts->Items(i);
    f->FontName = text[i].Face;
    f->SetSize(text[i].Size);
    TFontStyles st;
    if (text[i].Bold) st.Include(fsBold);
    if (text[i].Italic) st.Include(fsItalic);
    if (i == gtsHyperlink) st.Include(fsUnderline);
    f->Style = st;
    f->Color = i == gtsHyperlink ? TColor(0xCC3300) : clWindowText;
    f->Jump = i == gtsHyperlink;
  }

  TParaInfos* ps = Sheet.ParaStyles();
  while (ps->Count() < gpsCount) ps->Add();
  while (ps->Count() > gpsCount) ps->Delete(ps->Count() - 1);
  for (int i = 0; i < gpsCount; ++i) {
    TParaInfo* p = ps->Items(i);
    p->FirstIndent = i == gpsJustified ? 24 : 0;
    p->LeftIndent = 0;
    p->RightIndent = 0;
    p->Alignment = i == gpsJustified ? rvaJustify : rvaLeft;
    p->SetSpaceBefore(i == gpsHeading ? 12 : 0);
    p->SetSpaceAfter(i == gpsHeading ? 6 : i == gpsList ? 0 : 4);
    p->Tabs()->Clear();
  }
  TRVTabInfos* tabs = ps->Items(gpsTabbed)->Tabs();
  tabs->Add()->SetPosition(160);
  TRVTabInfo* right = tabs->Add();
  right->SetPosition(420);
  right->Align = rvtaRight;
  right->Leader = u".";
  TRVTabInfo* centre = tabs->Add();
  centre->SetPosition(560);
  centre->Align = rvtaCenter;

  TRVListInfos* ls = Sheet.ListStyles();
  while (ls->Count() > 0) ls->Delete(ls->Count() - 1);
  for (int i = 0; i < glsCount; ++i) {
    TRVListLevel* l = ls->Add()->Levels()->Add();
    l->ListType = i == glsBullets ? rvlstBullet : rvlstDecimal;
    if (i == glsNumbers) l->FormatString = u"%0:s.";
    l->LeftIndent = 24;
    l->FirstIndent = 0;
    l->MarkerIndent = 6;
  }
}

namespace generated_document_detail {

inline const char16_t* const Vocabulary[] = {
    u"the", u"of", u"and", u"to", u"in", u"a", u"is", u"that", u"for", u"it", u"as", u"was", u"with", u"be",
    u"by", u"on", u"not", u"he", u"this", u"are", u"or", u"his", u"from", u"at", u"which", u"but", u"have",
    u"an", u"had", u"they", u"you", u"were", u"their", u"one", u"all", u"we", u"can", u"her", u"has",
    u"there", u"been", u"if", u"more", u"when", u"will", u"would", u"who", u"so", u"no", u"paragraph",
    u"document", u"margin", u"river", u"stone", u"ledger", u"invoice", u"column", u"quarterly", u"between",
    u"settlement", u"measurement", u"agreement", u"accordingly", u"circumstances", u"responsibility",
    u"notwithstanding", u"characteristic", u"approximately", u"considerable", u"development", u"government",
    u"information", u"particular", u"experience", u"environment", u"different", u"important", u"following",
    u"without", u"another", u"through", u"because", u"however", u"example", u"question", u"children",
    u"morning", u"evening", u"window", u"harbour", u"library", u"lantern", u"orchard", u"meadow", u"village",
    u"journey", u"kitchen", u"weather", u"letter", u"number", u"people", u"little", u"should", u"around",
    u"during", u"before", u"after", u"under", u"years", u"state", u"world", u"house", u"water", u"light",
    u"small", u"large", u"great", u"early", u"later", u"often", u"never", u"again", u"still", u"quite",
    u"Tavrelopad", u"Orsolya", u"Kvetoslav", u"Ngozi", u"Siobhan", u"Mateus", u"Fr\u00E9d\u00E9ric",
    u"M\u00FCller", u"na\u00EFve", u"caf\u00E9", u"\u00C5ngstr\u00F6m", u"2026", u"17.5%", u"$4,200",
    u"(see", u"below)", u"e-mail", u"well-known", u"\u201Cquoted\u201D", u"semi-annual"};
constexpr int VocabularySize = sizeof Vocabulary / sizeof *Vocabulary;

// Count words: a capital after a full stop, commas and full stops now and then, a full stop at
// the end when End is set. Adds Count to Words.
inline std::u16string Sentences(TGenRandom& R, int Count, int& Words, bool End = true) {
  std::u16string s;
  bool capital = true;
  for (int w = 0; w < Count; ++w) {
    std::u16string word = Vocabulary[R.Range(0, VocabularySize - 1)];
    if (capital && word[0] >= u'a' && word[0] <= u'z') word[0] = static_cast<char16_t>(word[0] - u'a' + u'A');
    capital = false;
    if (!s.empty()) s += u' ';
    s += word;
    if (w + 1 == Count) {
      if (End) s += u'.';
    } else if (R.Chance(7)) {
      s += u'.';
      capital = true;
    } else if (R.Chance(6)) {
      s += u',';
    }
  }
  Words += Count;
  return s;
}

inline std::unique_ptr<TGraphic> Picture(TGenRandom& R) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(R.Range(120, 420), R.Range(80, 260));
  // A gradient with a tint of its own, so that the pixels, too, follow from the seed.
  const int tint = R.Range(0, 255), n = bmp->BytesPerScanLine();
  for (int y = 0; y < bmp->GetHeight(); ++y) {
    std::uint8_t* row = bmp->ScanLine(y);
    for (int x = 0; x < n; ++x) row[x] = static_cast<std::uint8_t>((x % 3 == 0 ? tint : x) + y);
  }
  return bmp;
}

}  // namespace generated_document_detail

// Appends the document to Doc, whose style sheet must hold the styles above
// (SetGeneratedDocumentStyles). Item kinds: text runs, list markers, tabs, pictures.
inline TGeneratedDocumentInfo GenerateDocument(TCustomRVData& Doc, const TGeneratedDocumentOptions& Options = {}) {
  using namespace generated_document_detail;
  TGenRandom r(Options.Seed);
  TGeneratedDocumentInfo info;
  const int paragraphs = Options.Pages * 11;
  int listLeft = 0, listStyle = glsBullets, nextPicture = r.Range(15, 30), nextLink = r.Range(20, 60);
  while (info.Paragraphs < paragraphs) {
    const int p = info.Paragraphs++;
    if (p % 40 == 0) {  // a heading now and then
      Doc.AddNL(Sentences(r, r.Range(3, 8), info.Words), gtsHeading, gpsHeading);
      continue;
    }
    if (Options.Pictures && p >= nextPicture) {  // a picture paragraph every few pages
      nextPicture = p + r.Range(20, 34);
      auto* pic = new TRVGraphicItemInfo(&Doc, Picture(r), rvvaBaseline);
      pic->ParaNo = gpsBody;
      Doc.AddItem(u"", pic);
      ++info.Pictures;
      continue;
    }
    if (listLeft == 0 && r.Chance(4)) {  // a list of 3 to 7 items
      listLeft = r.Range(3, 7);
      listStyle = r.Chance(50) ? glsBullets : glsNumbers;
      Doc.SetListMarkerInfo(-1, listStyle, 0, 1, gpsList, true);
    } else if (listLeft > 0) {
      Doc.SetListMarkerInfo(-1, listStyle, 0, 1, gpsList, false);
    }
    if (listLeft > 0) {
      --listLeft;
      ++info.ListParagraphs;
      Doc.AddNL(Sentences(r, r.Range(8, 40), info.Words), r.Chance(80) ? gtsBody : gtsSerif, -1);
      continue;
    }
    if (r.Chance(5)) {  // a row of tab-aligned fields
      Doc.AddNL(Sentences(r, r.Range(1, 3), info.Words), gtsBody, gpsTabbed);
      for (int t = 0; t < 3; ++t) {
        auto* tab = new TRVTabItemInfo(&Doc);
        tab->SetTextStyleNo(gtsBody);
        tab->ParaNo = -1;
        Doc.AddItem(u"", tab);
        ++info.Tabs;
        Doc.AddNL(Sentences(r, r.Range(1, 2), info.Words), t == 1 ? gtsMono : gtsBody, -1);
      }
      continue;
    }
    // A body paragraph of 40 to 120 words in one to five runs of different styles.
    const int words = r.Range(40, 120);
    const int runs = r.Range(1, 5);
    const int para = r.Chance(40) ? gpsJustified : gpsBody;
    const int base = r.Chance(70) ? gtsBody : gtsSerif;
    int left = words;
    for (int k = 0; k < runs && left > 0; ++k) {
      const int n = k + 1 == runs ? left : std::max(1, std::min(left, r.Range(3, words / runs + 4)));
      left -= n;
      int style = k % 2 == 0 ? base : r.Range(gtsBody, gtsMono);
      TRVUnicodeString tag;
      if (p >= nextLink && k == 1) {
        nextLink = p + r.Range(30, 80);
        style = gtsHyperlink;
        tag = u"https://example.org/page" + AsciiToUnicode(std::to_string(p));
        ++info.Hyperlinks;
      }
      const bool last = k + 1 == runs || left == 0;
      std::u16string text = Sentences(r, n, info.Words, last);
      if (!last) text += u' ';
      Doc.AddNL(text, style, k == 0 ? para : -1, tag);
    }
  }
  for (int i = 0; i < Doc.ItemCount(); ++i) info.Characters += Doc.GetItemTextLength(i);
  return info;
}
