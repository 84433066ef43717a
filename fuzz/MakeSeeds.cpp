// Writes the seed corpus of the fuzz targets with our own writers: for each target a few valid
// inputs, each also cut in half and with a few bytes changed. Run by hand after a format changes:
//   build/<dir>/fuzz_make_seeds tests/data/fuzz
// Inputs kept for faults found by fuzzing are not made here; they stay in the corpus as they are.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FormattingStreamDoc.h"
#include "FuzzCommon.h"
#include "StreamFixtures.h"
#include "StyleFuzz.h"
#include "engine/foundation/RVClasses.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVLabelItem.h"
#include "engine/document/RVNoteItems.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/tables/RVTable.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/IniFiles.h"
#include "platform/base/NLS.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

namespace fs = std::filesystem;

namespace {

fs::path Root;

std::string Bytes(TMemoryStream& ms) {
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::string Saved(TGraphic& g) {
  TMemoryStream ms;
  g.SaveToStream(ms);
  return Bytes(ms);
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Put(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The input, its first half, and a copy with every 7th byte after the first `head` changed.
void Seed(const char* target, const char* name, const std::string& bytes, std::size_t head = 0) {
  const fs::path dir = Root / target;
  fs::create_directories(dir);
  Put(dir / (std::string("valid-") + name), bytes);
  if (bytes.size() > head + 2) {
    Put(dir / (std::string("cut-") + name), bytes.substr(0, head + (bytes.size() - head) / 2));
    std::string flipped = bytes;
    for (std::size_t i = head + 3; i < flipped.size(); i += 7) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    Put(dir / (std::string("flip-") + name), flipped);
  }
}

std::string Mode(int m, const std::string& bytes) { return std::string(1, static_cast<char>(m)) + bytes; }

TBitmap& Sample() {
  static TBitmap b(5, 3);
  static bool done = false;
  if (!done) {
    b.SetPixelFormat(pf24bit);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) b.SetPixel(x, y, static_cast<TColor>(0x102030 * (x + 1) + 0x0F0000 * y));
    done = true;
  }
  return b;
}

void Pictures(const fs::path& fixtures) {
  TBitmap& b = Sample();
  Seed("Bitmap", "24bit.bmp", Mode(0, Saved(b)), 1);
  TBitmap b8;
  b8.Assign(&b);
  b8.SetPixelFormat(pf8bit);
  Seed("Bitmap", "8bit.bmp", Mode(0, Saved(b8)), 1);
  {
    TMemoryStream ms;
    b.WriteData(ms);
    Seed("Bitmap", "sized.bmp", Mode(1, Bytes(ms)), 1);
  }
  Seed("Bitmap", "packed.dib", Mode(2, b8.SaveToDIB()), 1);
  Seed("Bitmap", "pal3x2.bmp", Mode(0, ReadFile(fixtures / "pal3x2.bmp")), 1);

  TIcon icon;
  icon.FromPixels(b.ToPixels());
  Seed("Icon", "5x3.ico", Saved(icon));

  TPngImage png;
  png.Assign(&b);
  Seed("Png", "5x3.png", Saved(png));
  Seed("Png", "rgba3x2.png", ReadFile(fixtures / "rgba3x2.png"));

  TJPEGImage jpeg;
  jpeg.Assign(&b);
  Seed("Jpeg", "5x3.jpg", Mode(0, Saved(jpeg)), 1);
  {
    TMemoryStream ms;
    jpeg.WriteData(ms);
    Seed("Jpeg", "sized.jpg", Mode(1, Bytes(ms)), 1);
  }

  TGIFImage gif;
  gif.Assign(&b);
  Seed("Gif", "5x3.gif", Saved(gif));
  Seed("Gif", "two-frames.gif", ReadFile(fixtures / "two-frames.gif"));

  Seed("Tiff", "rgb2x2.tif", ReadFile(fixtures / "rgb2x2.tif"));
  TWICImage tiff;
  tiff.Assign(&b);
  Seed("Tiff", "5x3.tif", Saved(tiff));

  TMetafile emf;
  {
    TMetafileCanvas c(emf, nullptr);
    c.Brush().SetColor(clRed);
    c.Rectangle(1, 1, 40, 30);
    c.Ellipse(5, 5, 30, 20);
    c.Polygon({{0, 0}, {10, 20}, {20, 5}});
    c.TextOut(3, 3, u"Ab\u0416");
    c.StretchDraw(TRect(0, 0, 10, 10), &b);
  }
  Seed("Metafile", "drawing.emf", Saved(emf));
  emf.SetEnhanced(false);
  Seed("Metafile", "drawing.wmf", Saved(emf));
  Seed("Metafile", "rect.wmf", ReadFile(fixtures / "rect.wmf"));

  // Type detection sees every kind, without the targets' mode bytes.
  Seed("GraphicType", "5x3.bmp", Saved(b));
  Seed("GraphicType", "5x3.ico", Saved(icon));
  Seed("GraphicType", "5x3.png", Saved(png));
  Seed("GraphicType", "5x3.jpg", Saved(jpeg));
  Seed("GraphicType", "5x3.gif", Saved(gif));
  Seed("GraphicType", "rgb2x2.tif", ReadFile(fixtures / "rgb2x2.tif"));
  Seed("GraphicType", "rect.wmf", ReadFile(fixtures / "rect.wmf"));
}

void Components() {
  fuzz::TFuzzPanel root;
  root.SetName(u"Root");
  root.Caption = u"Caption \u0416";
  root.Id = 77;
  auto* a = static_cast<fuzz::TFuzzItem*>(root.Items.Add());
  a->Kind = fuzz::mkRoman;
  a->Start = -40000;
  a->Big = std::int64_t(1) << 40;
  a->Indent = 12.625L;
  a->Ratio = 0.5f;
  a->Flag = true;
  a->Text = u"item \"1\"";
  a->Bytes = "bytes";
  a->Data = std::string("\0\1\2\xFF", 4);
  a->Font.Name = u"Times";
  a->Font.Style = {fuzz::moLegal};
  root.Items.Add();
  auto* child = new fuzz::TFuzzPanel(&root);
  child->SetName(u"Child");
  child->Caption = u"inner";
  root.Children.push_back(child);
  root.Picture.SetGraphic(&Sample());

  TMemoryStream ms;
  TWriter(ms).WriteRootComponent(&root);
  Seed("ComponentStream", "panel-made", Mode(0, Bytes(ms)), 1);
  Seed("ComponentStream", "panel-into", Mode(1, Bytes(ms)), 1);
  TMemoryStream coll;
  TWriter(coll).WriteCollection(&root.Items);
  Seed("ComponentStream", "items", Mode(2, Bytes(coll)), 1);

  // Document-format primitives: tokens, hexadecimal, sized pictures and components.
  Seed("RVF", "tokens", Mode(0, std::string("\x01") + "5 -12 \"a \"\"q\"\" b\" word 0 \"Normal\" 3 " +
                                    EncodeRVFStringField(false, u"line\r\nbreak")), 2);
  Seed("RVF", "hex", Mode(1, std::string(1, '\0') + AnsiToHex(std::string("\x00\x7F\x80\xFF text", 9))), 2);
  {
    TMemoryStream sized;
    WriteGraphicWithSize(&sized, &Sample());
    Seed("RVF", "sized-picture", Mode(2, std::string(1, '\0') + Bytes(sized)), 2);
  }
  const TRVRawByteString control = HexToAnsi(ControlToHex(&root));
  Seed("RVF", "control", Mode(3, std::string("\x00", 1) + control), 2);
  Seed("RVF", "control-hex", Mode(3, "\x03" + ControlToHex(&root)), 2);
  Seed("RVF", "picture-hex", Mode(4, std::string(1, '\0') + GraphicToHex(&Sample())), 2);
  Seed("RVF", "string", Mode(5, "\xCC" + EncodeRVFString(u"\u041f\u0440\u0438\u0432\u0435\u0442\r\n!")), 2);
}

void Texts() {
  const char16_t* sample = u"Text \u00e9\u00df \u0416\u0448 \u03a9 \u05d0 \u0627 \u0e01 \u65e5\u672c \ud55c \u1ea0";
  struct Cp {
    int index;  // in the target's table
    UINT cp;
  };
  for (Cp c : {Cp{4, CP_UTF8}, Cp{6, 932}, Cp{7, 936}, Cp{8, 949}, Cp{9, 950}, Cp{11, 1251}, Cp{18, 1258},
               Cp{19, 1361}, Cp{5, 874}}) {
    std::string bytes;
    UnicodeToCodePage(c.cp, 0, sample, bytes);
    Seed("CodePage", ("cp" + std::to_string(c.cp)).c_str(), Mode(c.index, std::string(1, '\0') + bytes), 2);
  }
  Seed("CodePage", "cp1258-composite", Mode(18, "\x02" + std::string("Vie\xCC\xA3t a\xEC\xD2")), 2);

  Seed("Ini", "plain.ini",
       "; comment\r\n[First]\r\nKey=Value\r\nNumber=0x1F\r\nFloat=2.5\r\nFlag=1\r\n\r\n[Second]\r\n"
       "  Spaced  =  value with blanks  \r\nNoValue=\r\nline without equals\r\n[First]\r\nKey=again\r\n");
  Seed("Ini", "bom.ini", "\xEF\xBB\xBF[\xC3\xA9t\xC3\xA9]\nname=\xE6\x97\xA5\n");

  // Style sheets with something in every collection.
  TRVStyle sheet(nullptr);
  sheet.TextStyles()->Add()->SizeDouble = 21;
  TParaInfo* p = sheet.ParaStyles()->Add();
  p->Tabs()->Add()->SetPosition(10);
  p->Border()->Style = rvbTriple;
  TRVListInfo* l = sheet.ListStyles()->Add();
  TRVListLevel* lvl = l->Levels()->Add();
  lvl->ListType = rvlstUpperAlpha;
  lvl->FormatString = u"%0:s.";
  TRVStyleTemplate* t = sheet.StyleTemplates()->Add();
  t->SetName(u"Normal");
  sheet.StyleTemplates()->Add()->SetParentId(t->GetId());

  const fs::path ini = fs::temp_directory_path() / "tavrelo-seed-style.ini";
  fs::remove(ini);
  sheet.SaveINI(Utf8ToUnicode(ini.string()), u"Style");
  Seed("StyleIni", "sheet.ini", ReadFile(ini));
  fs::remove(ini);

  TMemoryStream ms;
  TWriter(ms).WriteRootComponent(&sheet);
  Seed("StyleStream", "sheet", Bytes(ms));
}

// Documents with every item kind the reader knows, in both forms and with a style mapping.
void Documents() {
  TRVStyle sheet(nullptr);
  while (sheet.TextStyles()->Count() < 3) sheet.TextStyles()->Add();
  while (sheet.ParaStyles()->Count() < 2) sheet.ParaStyles()->Add();
  sheet.TextStyles()->Items(1)->SetSize(14);
  TRVPlainRootData doc(&sheet);
  doc.AddNL(u"Plain", 0, 0);
  doc.AddNL(u"second", 0, 0);
  doc.AddNL(u"bold", 1, -1, u"tag");
  doc.AddCheckpoint(u"cp", true);
  auto* tab = new TRVTabItemInfo(&doc);
  tab->Hidden = true;
  tab->SetSameAsPrev(true);
  doc.AddItem(u"", tab);
  doc.AddBreak(2, rvbsDotted, 0x0000FF);
  doc.AddItem(u"label", new TRVLabelItemInfo(&doc, 2, u"label"));
  doc.AddItem(u"", new TRVSeqItemInfo(&doc, u"Figure", rvseqDecimal, 0, 1, false));
  auto* foot = new TRVFootnoteItemInfo(&doc);
  foot->GetDocument()->AddNL(u"note", 0, 0);
  foot->GetDocument()->AddItem(u"", new TRVNoteReferenceItemInfo(foot->GetDocument()));
  doc.AddItem(u"", foot);
  auto* box = new TRVTextBoxItemInfo(&doc);
  box->BoxProperties.Border.Color = 0x0000FF;
  box->BoxPosition.HorizontalAnchor = rvhanPage;
  box->GetDocument()->AddNL(u"box", 1, 1);
  doc.AddItem(u"", box);
  doc.AddItem(u"", new TRVSidenoteItemInfo(&doc));
  doc.AddItem(u"", new TRVEndnoteItemInfo(&doc));
  doc.AddNL(u"last", 2, 1);
  for (bool binary : {false, true}) {
    TRVFOptions& o = doc.GetRootProperties()->RVFOptions;
    binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
    TMemoryStream ms;
    doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true);
    Seed("RVFDoc", binary ? "doc-binary" : "doc-hex", Mode(binary ? 4 : 0, Bytes(ms)), 1);
    Seed("RVFDoc", binary ? "insert-binary" : "insert-hex", Mode(binary ? 12 : 9, Bytes(ms)), 1);
  }
  Seed("RVFDoc", "unknown-kind", Mode(1, "-8 1 3 2\r\n-150 2 0 0 0 0\r\nx\r\ny\r\n5 1 7 8 3 0\r\n6100\r\n"), 1);
  // The document-level records: template names, a background without a picture, document
  // objects (none registered: the collection is empty), a layout, a marker state and an extra
  // document, in both forms.
  {
    TRVPlainRootData header(&sheet);
    header.AddNL(u"header", 0, 0);
    TRVDataRootProperties* rp = doc.GetRootProperties();
    rp->UseStyleTemplates = true;
    rp->GetExtraDocumentsList()->AddObject(u"header", &header);
    sheet.StyleTemplates()->Add()->SetName(u"Normal");
    for (TRVFOption o : {rvfoSaveBack, rvfoSaveLayout, rvfoSaveStyleTemplatesOnlyNames}) rp->RVFOptions.Include(o);
    TRVLayoutInfo layout;
    layout.LeftMargin = 5;
    for (bool binary : {false, true}) {
      TRVFOptions& o = rp->RVFOptions;
      binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
      TMemoryStream ms;
      doc.SaveRVFToStream(&ms, false, 0x00FF00, nullptr, &layout, true);
      Seed("RVFDoc", binary ? "records-binary" : "records-hex", Mode(binary ? 36 : 32, Bytes(ms)), 1);
      Seed("RVFDoc", binary ? "editor-binary" : "editor-hex", Mode(binary ? 68 : 64, Bytes(ms)), 1);
    }
    Seed("RVFDoc", "background-and-markers",
         Mode(32, "-8 1 3 2\r\n-7 2 0 0 0 0 2 255\r\nTBitmap\r\n424D00\r\n-9 2 0 0 0 0 6\r\n\r\n"
                  "00000000010000000000000000000000000000000000000000\r\n-9 2 0 0 0 0 10\r\n\r\n0E00\r\n"
                  "0 1 0 8 3 0\r\n6100\r\n"),
         1);
    rp->SetExtraDocumentsList(nullptr);
  }
}

// Documents holding tables: a 3x3 table with a merged cell, a picture, a nested table and row
// properties, in both forms; a table record made of a huge grid count.
void TableDocuments() {
  TRVStyle sheet(nullptr);
  while (sheet.TextStyles()->Count() < 3) sheet.TextStyles()->Add();
  while (sheet.ParaStyles()->Count() < 2) sheet.ParaStyles()->Add();
  TRVPlainRootData doc(&sheet);
  doc.AddNL(u"before", 0, 0);
  auto table = TRVTableItemInfo::CreateEx(3, 3, &doc);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      table->GetCells(r, c)->Clear();
      table->GetCells(r, c)->AddNL(u"cell", (r + c) % 3, 0);
    }
  table->GetRows()->MergeCells(0, 0, 2, 2, true, true);
  table->GetRows()->GetRow(1)->FVAlign = rvcBottom;
  table->GetRows()->GetRow(2)->FPageBreakBefore = true;
  table->SetColor(rvtcOddRowsColor, 0x00FFEE);
  TRVTableCellData* cell = table->GetCells(1, 2);
  cell->AddItem(u"pic", new TRVGraphicItemInfo(cell, std::unique_ptr<TGraphic>(new TBitmap(2, 2)), rvvaBaseline));
  TRVTableCellData* outer = table->GetCells(2, 2);
  auto inner = TRVTableItemInfo::CreateEx(1, 2, outer);
  outer->AddItem(u"", inner.release());
  doc.AddItem(u"", table.release());
  doc.AddNL(u"after", 1, 1);
  for (bool binary : {false, true}) {
    TRVFOptions& o = doc.GetRootProperties()->RVFOptions;
    binary ? o.Include(rvfoSaveBinary) : o.Exclude(rvfoSaveBinary);
    TMemoryStream ms;
    doc.SaveRVFToStream(&ms, false, clNone, nullptr, nullptr, true);
    Seed("RVFDoc", binary ? "table-binary" : "table-hex", Mode(binary ? 4 : 0, Bytes(ms)), 1);
    Seed("RVFDoc", binary ? "table-insert-binary" : "table-insert-hex", Mode(binary ? 12 : 9, Bytes(ms)), 1);
  }
}

// The draw items of a formatted document as the formatting stream keeps them: an empty list and
// one of every kind with the items' own blocks.
void FormattingStreams() {
  fuzz::TFormattingStreamDoc doc;
  TRVDrawLines lines;
  TMemoryStream empty;
  lines.SaveToStream(&empty, doc.Items());
  Seed("FormattingStream", "empty", Bytes(empty));
  fuzz::FillFormattingStreamLines(lines);
  TMemoryStream every;
  lines.SaveToStream(&every, doc.Items());
  Seed("FormattingStream", "every-kind", Bytes(every), 4);
  lines.FreeAll();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus root, e.g. tests/data/fuzz>\n", argv[0]);
    return 2;
  }
  Root = argv[1];
  LLVMFuzzerInitialize(&argc, &argv);
  fuzz::RegisterStreamFixtures();
  Pictures(Root / ".." / "pictures");
  Components();
  Texts();
  Documents();
  TableDocuments();
  FormattingStreams();
  return 0;
}
