// The program as far as it goes today: one window with the editor showing an RVF or plain-text
// file given on the command line, or a built-in sample document when none is given, for editing
// with the keyboard.
//
//   tavrelopad [FILE]
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFileFuncs.h"
#include "engine/foundation/RVStartUp.h"
#include "engine/foundation/RVUni.h"
#include "engine/layout/RVAnimate.h"
#include "engine/tables/RVTableStartUp.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/RVStyleDraw.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/GuiSession.h"
#include "spelling/RVHunSpell.h"
#include "spelling/RVHunSpellHelper.h"

namespace {

enum : int { tsBody, tsBold, tsItalic, tsHeading, tsLink, tsMono, tsCount };
enum : int { psBody, psHeading, psJustified, psList, psCentered, psCount };

// Text, paragraph and list styles of the sample; the first text and paragraph styles also show
// plain-text files.
void SetSampleStyles(TRVStyle& Sheet) {
  TFontInfos* ts = Sheet.TextStyles();
  while (ts->Count() < tsCount) ts->Add();
  struct {
    const char16_t* Face;
    int Size;
    TFontStyles Style;
    TColor Color;
  } const text[tsCount] = {
      {u"Arial", 11, {}, clWindowText},
      {u"Arial", 11, {fsBold}, clWindowText},
      {u"Times New Roman", 12, {fsItalic}, TColor(0x404040)},
      {u"Arial", 16, {fsBold}, TColor(0x803000)},
      {u"Arial", 11, {fsUnderline}, TColor(0xCC3300)},
      {u"Courier New", 10, {}, TColor(0x006000)},
  };
  for (int i = 0; i < tsCount; ++i) {
    TFontInfo* f = ts->Items(i);
    f->FontName = text[i].Face;
    f->SetSize(text[i].Size);
    f->Style = text[i].Style;
    f->Color = text[i].Color;
    f->Jump = i == tsLink;
    if (i == tsLink) f->HoverColor = TColor(0x0000FF);
  }
  TParaInfos* ps = Sheet.ParaStyles();
  while (ps->Count() < psCount) ps->Add();
  for (int i = 0; i < psCount; ++i) {
    TParaInfo* p = ps->Items(i);
    p->Alignment = i == psJustified ? rvaJustify : i == psCentered ? rvaCenter : rvaLeft;
    p->FirstIndent = i == psJustified ? 24 : 0;
    p->SetSpaceBefore(i == psHeading ? 12 : 0);
    p->SetSpaceAfter(i == psHeading ? 8 : 6);
  }
  TRVListInfos* ls = Sheet.ListStyles();
  while (ls->Count() < 1) ls->Add();
  TRVListLevel* level =
      ls->Items(0)->Levels()->Count() > 0 ? ls->Items(0)->Levels()->Items(0) : ls->Items(0)->Levels()->Add();
  level->ListType = rvlstBullet;
  level->FormatString = u"\u2022";
  level->LeftIndent = 24;
  level->FirstIndent = 0;
  level->MarkerIndent = 8;
}

// A small picture drawn here: a sun over hills.
std::unique_ptr<TGraphic> SamplePicture() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(160, 90);
  TCanvas* c = bmp->GetCanvas();
  c->Brush().SetColor(TColor(0xF0D8A0));
  c->FillRect(TRect(0, 0, 160, 90));
  c->Brush().SetColor(TColor(0x30C0F0));
  c->Pen().SetColor(TColor(0x30C0F0));
  c->Ellipse(TRect(100, 10, 136, 46));
  c->Brush().SetColor(TColor(0x308030));
  c->Pen().SetColor(TColor(0x308030));
  c->Ellipse(TRect(-40, 50, 100, 130));
  c->Ellipse(TRect(60, 60, 220, 140));
  return bmp;
}

void AddSampleDocument(TCustomRVData& D) {
  D.AddNL(u"Tavrelopad", tsHeading, psHeading);
  D.AddNL(u"This window shows a document formatted by the engine at the window's width; type to edit it. ", tsBody,
          psJustified);
  D.AddNL(u"Resize the window", tsBold, -1);
  D.AddNL(
      u" and the text flows again; scroll it with the wheel, the scroll bars or the keys. "
      u"Text comes in several styles: ",
      tsBody, -1);
  D.AddNL(u"italic serif", tsItalic, -1);
  D.AddNL(u", ", tsBody, -1);
  D.AddNL(u"bold", tsBold, -1);
  D.AddNL(u" and ", tsBody, -1);
  D.AddNL(u"monospaced", tsMono, -1);
  D.AddNL(u".", tsBody, -1);
  D.AddNL(u"A list", tsHeading, psHeading);
  const char16_t* items[] = {u"Paragraphs with their own alignment and spacing",
                             u"Bulleted list paragraphs with markers", u"Pictures inside the text",
                             u"Hyperlinks that change colour under the mouse"};
  bool first = true;
  for (const char16_t* item : items) {
    D.SetListMarkerInfo(-1, 0, 0, 1, psList, first);
    first = false;
    D.AddNL(item, tsBody, -1);
  }
  D.AddNL(u"A picture", tsHeading, psHeading);
  auto* pic = new TRVGraphicItemInfo(&D, SamplePicture(), rvvaBaseline);
  pic->ParaNo = psCentered;
  D.AddItem(u"", pic);
  D.AddNL(u"A hyperlink", tsHeading, psHeading);
  D.AddNL(u"More about the project: ", tsBody, psBody);
  D.AddNL(u"https://example.org/tavrelopad", tsLink, -1, u"https://example.org/tavrelopad");
  for (int i = 1; i <= 12; ++i)
    D.AddNL(u"Paragraph " + IntToStr(i) +
                u" of filler text, so that the document is taller than the window "
                u"and there is something to scroll. The quick brown fox jumps over the lazy dog.",
            i % 3 == 0 ? tsItalic : tsBody, psJustified);
}

bool HasExtension(const TRVUnicodeString& Name, const char16_t* Ext) {
  const std::u16string ext = Ext;
  if (Name.size() < ext.size()) return false;
  for (std::size_t i = 0; i < ext.size(); ++i) {
    char16_t c = Name[Name.size() - ext.size() + i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != ext[i]) return false;
  }
  return true;
}

// Loads FileName into the editor: RVF by its extension, anything else as plain text.
bool LoadFile(TCustomViroZere& V, const TRVUnicodeString& FileName) {
  TViroZereRVData* d = V.GetRVData();
  if (HasExtension(FileName, u".rvf")) {
    TColor color = clNone;
    TRVLayoutInfo layout;
    if (!d->LoadRVF(FileName, color, nullptr, &layout)) return false;
    if (color != clNone) V.SetColor(color);
    V.ApplyLayoutInfo(layout);
    return true;
  }
  switch (TestUnicodeFile(FileName)) {
    case rvutrUnicode: return d->LoadTextW(FileName, tsBody, psBody, false);
    case rvutrEmpty: return true;
    case rvutrError: return false;
    default: return d->LoadText(FileName, tsBody, psBody, false, 65001);
  }
}

// Why a file that did not load could not be opened, in words for the person who named it.
std::string WhyUnreadable(const char* FileName) {
  std::error_code ec;
  const std::filesystem::path path(FileName);
  if (!std::filesystem::exists(path, ec)) return ec ? ec.message() : "There is no such file.";
  if (std::filesystem::is_directory(path, ec)) return "It is a folder, not a file.";
  if (std::FILE* f = std::fopen(FileName, "rb")) {
    std::fclose(f);
    return "It is damaged or not a document of a kind this program reads.";
  }
  return std::strerror(errno);
}

// Where Debian's dictionary packages put their .dic and .aff files.
const std::string SystemDictionaryDir = "/usr/share/hunspell";

}  // namespace

int main(int argc, char** argv) {
  TGuiSession session(argc, argv);
  // Each library's start-up, from the bottom up; nothing registers itself.
  RegisterPictureClasses();
  RegisterFoundation();
  RegisterStyles();
  RegisterBuiltInItemTypes();
  RegisterAnimators();
  RegisterTables();
  RegisterSpelling();
  TRVStyle sheet(nullptr);
  SetSampleStyles(sheet);
  // The spelling component outlives the editor, whose live-spelling thread calls it.
  TRVHunSpell speller(nullptr);
  TViroZereEdit editor(nullptr);
  editor.SetName(u"Editor");
  editor.SetStyle(&sheet);
  editor.SetBounds(80, 80, 800, 600);
  if (argc > 1) {
    const TRVUnicodeString name = Utf8ToUnicode(argv[1]);
    if (!LoadFile(editor, name)) {
      const std::string why = WhyUnreadable(argv[1]);
      std::fprintf(stderr, "tavrelopad: cannot open %s: %s\n", argv[1], why.c_str());
      MessageBoxW(nullptr, u"Cannot open \"" + name + u"\".\n\n" + Utf8ToUnicode(why), u"Tavrelopad",
                  MB_OK | MB_ICONERROR);
      return 1;
    }
  } else {
    AddSampleDocument(*editor.GetRVData());
  }
  editor.HandleNeeded();
  editor.Format();
  // Live spelling with the system's English dictionary, when it is installed.
  speller.SetDictDir(Utf8ToUnicode(SystemDictionaryDir.c_str()));
  if (std::filesystem::exists(SystemDictionaryDir + "/en_US.dic") && speller.GetDictionaries()->Add()->Load(u"en_US")) {
    speller.LoadCustomDic();
    RVConnectLiveSpelling(&editor, &speller);
    editor.StartLiveSpelling();
  }
  ShowWindow(editor.GetHandle(), SW_SHOW);
  SetForegroundWindow(editor.GetHandle());
  editor.SetFocus();
  while (IsWindowVisible(editor.GetHandle())) WaitMessage();
  return 0;
}
