// The editor control's clipboard: pasting in a fixed order of formats filtered by
// AcceptPasteFormats, cutting as copying and deleting, and the answers to the paste questions.
//
// Each clipboard block is copied out while the clipboard is open and then turned into an
// insertion by the block readers below, which drops use as well; a reader checks every count,
// offset and name against the size of its block, and pictures go through the picture decoders.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/document/RVRTFReaderProps.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRunProtected.h"
#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/Classes.h"
#include "platform/base/NLS.h"
#include "platform/graphics/Metafile.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ShellAPI.h"

namespace rveditclipboard_detail {

bool Has(UINT Format) { return Format != 0 && Clipboard()->HasFormat(Format); }

// Registered when first needed, like the window system's own names.
UINT FileGroupDescriptorW() { return RegisterClipboardFormatW(u"FileGroupDescriptorW"); }
UINT FileGroupDescriptorA() { return RegisterClipboardFormatW(u"FileGroupDescriptor"); }

std::unique_ptr<TMemoryStream> StreamOf(const void* Block, std::size_t Size) {
  auto Stream = std::make_unique<TMemoryStream>();
  if (Block && Size) Stream->WriteBuffer(Block, static_cast<std::int64_t>(Size));
  Stream->SetPosition(0);
  return Stream;
}

using rvedit_protected::RunProtected;

bool StartsWithNoCase(const TRVUnicodeString& S, const char* Prefix) {
  const std::size_t n = std::strlen(Prefix);
  if (S.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char16_t c = S[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<unsigned char>(Prefix[i])) return false;
  }
  return true;
}

}  // namespace rveditclipboard_detail

// ---- block readers (the clipboard's and the drops') ------------------------------------------------

TRVUnicodeString TCustomViroZereEdit::TextOfBlockW(const void* Block, std::size_t Size) {
  TRVUnicodeString Text(Block ? Size / 2 : 0, u'\0');
  if (!Text.empty()) std::memcpy(Text.data(), Block, Text.size() * 2);
  Text.resize(std::min(Text.size(), Text.find(u'\0')));
  return Text;
}

TRVAnsiString TCustomViroZereEdit::TextOfBlockA(const void* Block, std::size_t Size) {
  if (!Block || Size == 0) return {};
  const auto* p = static_cast<const char*>(Block);
  const void* Zero = std::memchr(p, 0, Size);
  return TRVAnsiString(p, Zero ? static_cast<std::size_t>(static_cast<const char*>(Zero) - p) : Size);
}

bool TCustomViroZereEdit::InsertRVFBlock(const void* Block, std::size_t Size,
                                         const std::function<void()>& BeforeInsert) {
  TRVRawByteString RVF;
  if (!ReadRVFClipboardBlock(Block, Size, RVF)) return false;
  auto Stream = rveditclipboard_detail::StreamOf(RVF.data(), RVF.size());
  if (BeforeInsert) BeforeInsert();
  return InsertRVFFromStreamEd(Stream.get());
}

bool TCustomViroZereEdit::InsertRTFBlock(const void* Block, std::size_t Size, const TRVUnicodeString& BasePath,
                                         const std::function<void()>& BeforeInsert) {
  auto* Props = dynamic_cast<TRVRTFReaderProperties*>(GetRTFReadProperties());
  const TRVAnsiString RTF = TextOfBlockA(Block, Size);
  auto Stream = rveditclipboard_detail::StreamOf(RTF.data(), RTF.size());
  bool Result = false;
  if (Props) Props->BasePath = BasePath;
  rveditclipboard_detail::RunProtected(
      [&] {
        if (BeforeInsert) BeforeInsert();
        Result = InsertRTFFromStreamEd(Stream.get());
      },
      [&] {
        if (Props) Props->BasePath.clear();
      });
  return Result;
}

bool TCustomViroZereEdit::InsertTextBlockW(const void* Block, std::size_t Size,
                                           const std::function<void()>& BeforeInsert) {
  const TRVUnicodeString Text = TextOfBlockW(Block, Size);
  if (Text.empty()) return false;
  if (BeforeInsert) BeforeInsert();
  InsertTextW(Text);
  return true;
}

bool TCustomViroZereEdit::InsertTextBlockA(const void* Block, std::size_t Size, TRVCodePage CodePage,
                                           const std::function<void()>& BeforeInsert) {
  const TRVAnsiString Bytes = TextOfBlockA(Block, Size);
  if (Bytes.empty()) return false;
  if (BeforeInsert) BeforeInsert();
  // 8-bit text keeps the current tag, as InsertTextA does; the flag is the top-level data's.
  TRVEditRVData* Data = GetTopLevelEditor()->GetEditRVData();
  Data->State.Include(rvstDoNotClearCurTag);
  rveditclipboard_detail::RunProtected([&] { InsertTextW(AnsiToUnicodeCP(CodePage, Bytes)); },
                                       [&] { Data->State.Exclude(rvstDoNotClearCurTag); });
  return true;
}

bool TCustomViroZereEdit::InsertPictureBlock(const void* Block, std::size_t Size, const TRVUnicodeString& Name,
                                             bool AsBitmap) {
  if (!Block || Size == 0 || !GraphicHandler) return false;
  auto Stream = rveditclipboard_detail::StreamOf(Block, Size);
  std::unique_ptr<TGraphic> Graphic = GraphicHandler->LoadFromStream(*Stream);
  if (!Graphic || Graphic->GetEmpty()) return false;
  if (AsBitmap) {
    std::unique_ptr<TGraphic> Target = GraphicHandler->CreateGraphicByType(rvgtBitmap);
    auto* Bitmap = dynamic_cast<TBitmap*>(Target.get());
    if (Bitmap && typeid(*Target) != typeid(*Graphic)) {
      GraphicHandler->AssignToBitmap(Graphic.get(), Bitmap);
      if (Bitmap->GetEmpty()) return false;
      Graphic = std::move(Target);
    }
  }
  return InsertPicture(Name, Graphic.release(), GetDefaultPictureVAlign());
}

bool TCustomViroZereEdit::InsertGraphicFiles(const std::vector<TRVUnicodeString>& FileNames, bool FileNamesAsNames,
                                             bool StoreFileNames) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this)
    return Top->InsertGraphicFiles(FileNames, FileNamesAsNames, StoreFileNames);
  if (FileNames.empty() || !BeforeChange(false)) return false;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutInsert, true);
  Data->SetUndoGroupMode(true);
  bool Any = false;
  rveditclipboard_detail::RunProtected(
      [&] {
        for (const TRVUnicodeString& FileName : FileNames) {
          bool DoDefault = true;
          if (OnDropFile) OnDropFile(GetRootEditor(), FileName, DoDefault);
          if (!DoDefault) continue;
          // A file that cannot be read or decoded is skipped; the others go on.
          try {
            std::unique_ptr<TGraphic> Graphic = GraphicHandler ? GraphicHandler->LoadFromFile(FileName) : nullptr;
            if (!Graphic) continue;
            if (!InsertPicture(FileNamesAsNames ? FileName : TRVUnicodeString(), Graphic.release(),
                               GetDefaultPictureVAlign()))
              continue;
            Any = true;
            if (StoreFileNames) {
              TRVDataRootEvents* Events = Data->GetRootEvents();
              const TRVUnicodeString Stored = Events ? Events->GetImageFileName(FileName) : FileName;
              SetCurrentItemExtraStrPropertyEx(rvespImageFileName, Stored, true);
            }
          } catch (...) {
            RVRethrowUnlessDataError();
          }
        }
      },
      [&] { Data->SetUndoGroupMode(false); });
  return Any;
}

void TCustomViroZereEdit::InsertURLWithName(const TRVUnicodeString& URL, const TRVUnicodeString& Name) {
  TRVEditRVData* Data = GetEditRVData();
  TRVDataRootEvents* Events = Data->GetRootEvents();
  if (!Events || !Events->IsOnReadHyperlinkAssigned()) {
    InsertTextW(URL);
    return;
  }
  int StyleNo = GetCurTextStyleNo();
  TRVUnicodeString Tag, ItemName = Name;
  Events->RaiseReadHyperlink(URL, TRVUnicodeString(), rvlfURL, StyleNo, Tag, ItemName);
  SetCurTextStyleNo(StyleNo);
  InsertStringWTag(ItemName, Tag);
}

TRVUnicodeString TCustomViroZereEdit::ShortcutNameFromDescriptor(const void* Block, std::size_t Size, bool Unicode,
                                                                 const TRVUnicodeString& URL) {
  // The first descriptor's file name: 260 characters at byte 76, after the 4-byte count.
  constexpr std::size_t NameOffset = 76, NameChars = 260;
  if (!Block || Size < NameOffset + (Unicode ? 2 : 1)) return URL;
  const auto* p = static_cast<const unsigned char*>(Block);
  const std::uint32_t Count = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                              static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  if (Count == 0) return URL;
  TRVUnicodeString Name;
  const std::size_t Available = std::min(NameChars, (Size - NameOffset) / (Unicode ? 2 : 1));
  if (Unicode) {
    for (std::size_t i = 0; i < Available; ++i) {
      const char16_t c = static_cast<char16_t>(p[NameOffset + 2 * i] | p[NameOffset + 2 * i + 1] << 8);
      if (c == 0) break;
      Name += c;
    }
  } else {
    TRVAnsiString Bytes;
    for (std::size_t i = 0; i < Available && p[NameOffset + i] != 0; ++i) Bytes += static_cast<char>(p[NameOffset + i]);
    Name = AnsiToUnicodeCP(CP_ACP, Bytes);
  }
  if (Name.size() < 5) return URL;
  Name.resize(Name.size() - 4);  // the shortcut file's extension
  return Name;
}

TRVUnicodeString TCustomViroZereEdit::BasePathFromHTMLBlock(const void* Block, std::size_t Size) {
  if (!Block || Size == 0) return {};
  const std::string Bytes(static_cast<const char*>(Block), Size);
  const std::string Key = "SourceURL:";
  const std::size_t At = Bytes.find(Key);
  if (At == std::string::npos) return {};
  const std::size_t From = At + Key.size();
  const std::size_t To = std::min(Bytes.find_first_of(std::string("\0\n\r", 3), From), Bytes.size());
  TRVUnicodeString Value = Utf8ToUnicode(std::string_view(Bytes).substr(From, To - From));
  bool Http = false;
  if (rveditclipboard_detail::StartsWithNoCase(Value, "file://")) {
    Value.erase(0, 7);
    const std::size_t Skip = Value.find_first_not_of(u"\\/");
    Value.erase(0, Skip == TRVUnicodeString::npos ? Value.size() : Skip);
  } else if (rveditclipboard_detail::StartsWithNoCase(Value, "http://")) {
    Http = true;
    Value.erase(0, 7);
  }
  std::replace(Value.begin(), Value.end(), u'/', u'\\');
  const std::size_t Last = Value.rfind(u'\\');
  Value = Last == TRVUnicodeString::npos ? TRVUnicodeString() : Value.substr(0, Last + 1);
  if (Http) {
    std::replace(Value.begin(), Value.end(), u'\\', u'/');
    Value = u"http://" + Value;
  }
  return Value;
}

// ---- the questions ---------------------------------------------------------------------------------

bool TCustomViroZereEdit::CanPasteRVF() { return rveditclipboard_detail::Has(RVFClipboardFormat); }
bool TCustomViroZereEdit::CanPasteRTF() { return rveditclipboard_detail::Has(RTFClipboardFormat); }
bool TCustomViroZereEdit::CanPasteURL() {
  return rveditclipboard_detail::Has(URLWClipboardFormat) || rveditclipboard_detail::Has(URLClipboardFormat);
}

bool TCustomViroZereEdit::CanPaste() {
  using rveditclipboard_detail::Has;
  const TRVDragDropFormats& F = FAcceptPasteFormats;
  return (F.Contains(rvddText) && Has(CF_TEXT)) || (F.Contains(rvddUnicodeText) && Has(CF_UNICODETEXT)) ||
         (F.Contains(rvddBitmap) && Has(CF_BITMAP)) || (F.Contains(rvddMetafile) && Has(CF_METAFILEPICT)) ||
         (F.Contains(rvddFiles) && Has(CF_HDROP)) || (F.Contains(rvddRTF) && CanPasteRTF()) ||
         (F.Contains(rvddURL) && CanPasteURL()) || (F.Contains(rvddRVF) && CanPasteRVF());
}

bool TCustomViroZereEdit::ClipboardDispatch(TMessage& Message) {
  using rveditclipboard_detail::Has;
  switch (Message.Msg) {
    case WM_PASTE: Paste(); return true;
    case WM_CUT: CutDef(); return true;
    case EM_CANPASTE: {
      const UINT Format = static_cast<UINT>(Message.WParam);
      const TRVDragDropFormats& F = FAcceptPasteFormats;
      bool Can = false;
      if (GetReadOnly())
        Can = false;
      else if (Format == 0)
        Can = CanPaste();
      else if (Format == CF_TEXT)
        Can = F.Contains(rvddText) && Has(Format);
      else if (Format == CF_BITMAP)
        Can = F.Contains(rvddBitmap) && Has(Format);
      else if (Format == CF_METAFILEPICT)
        Can = F.Contains(rvddMetafile) && Has(Format);
      else if (Format == CF_UNICODETEXT)
        Can = F.Contains(rvddUnicodeText) && Has(Format);
      else if (Format == CF_HDROP)
        Can = F.Contains(rvddFiles) && Has(Format);
      else if (Format == RTFClipboardFormat)
        Can = F.Contains(rvddRTF) && CanPasteRTF();
      else if (Format == URLClipboardFormat || Format == URLWClipboardFormat || Format == RVFClipboardFormat)
        Can = Has(Format);
      Message.Result = Can ? 1 : 0;
      return true;
    }
    default: return false;
  }
}

// ---- cutting and pasting ---------------------------------------------------------------------------

void TCustomViroZereEdit::CutDef() {
  if (!BeforeChange(false)) return;
  if (CopyDef()) DeleteSelection();
}

void TCustomViroZereEdit::PasteRVF() {
  if (!CanPasteRVF()) return;
  const std::string Block = ReadClipboardBlock(RVFClipboardFormat);
  // A block shorter than its count says is refused whole rather than read past its end.
  if (!InsertRVFBlock(Block.data(), Block.size())) GetEditRVData()->Beep();
}

bool TCustomViroZereEdit::PasteRTF() {
  if (!CanPasteRTF()) return false;
  const std::string Block = ReadClipboardBlock(RTFClipboardFormat);
  if (Block.empty()) return false;
  TRVUnicodeString BasePath;
  if (rveditclipboard_detail::Has(HTMLClipboardFormat)) {
    const std::string Html = ReadClipboardBlock(HTMLClipboardFormat);
    BasePath = BasePathFromHTMLBlock(Html.data(), Html.size());
  }
  // RTF that inserts nothing (no reader for it yet, or a reader that refuses it) leaves the paste
  // to the formats after it, so that text offered beside it still arrives.
  return InsertRTFBlock(Block.data(), Block.size(), BasePath);
}

void TCustomViroZereEdit::PasteTextW() {
  if (!BeforeChange(false)) return;
  TRVUnicodeString Text;
  if (GetClipboardUnicodeText(Text, CF_UNICODETEXT) && !Text.empty()) InsertTextW(Text);
}

void TCustomViroZereEdit::PasteTextA() {
  if (!BeforeChange(false)) return;
  TRVAnsiString Text;
  if (GetClipboardAnsiText(Text, CF_TEXT) && !Text.empty()) InsertTextW(AnsiToUnicodeCP(GetClipboardCodePage(), Text));
}

bool TCustomViroZereEdit::PasteURL() {
  using rveditclipboard_detail::Has;
  if (!CanPasteURL()) return false;
  TRVUnicodeString URL;
  if (!GetClipboardUrl(URL) || URL.empty()) return false;
  TRVUnicodeString Name = URL;
  if (const UINT W = rveditclipboard_detail::FileGroupDescriptorW(); Has(W)) {
    const std::string Block = ReadClipboardBlock(W);
    Name = ShortcutNameFromDescriptor(Block.data(), Block.size(), true, URL);
  } else if (const UINT A = rveditclipboard_detail::FileGroupDescriptorA(); Has(A)) {
    const std::string Block = ReadClipboardBlock(A);
    Name = ShortcutNameFromDescriptor(Block.data(), Block.size(), false, URL);
  }
  InsertURLWithName(URL, Name);
  return true;
}

bool TCustomViroZereEdit::PasteBitmap(bool TextAsName) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->PasteBitmap(TextAsName);
  if (!BeforeChange(false) || !rveditclipboard_detail::Has(CF_BITMAP)) return false;
  TRVUnicodeString Name;
  if (TextAsName) GetClipboardUnicodeText(Name, CF_UNICODETEXT);
  const std::string Block = ReadClipboardBlock(CF_BITMAP);
  return InsertPictureBlock(Block.data(), Block.size(), Name, true);
}

bool TCustomViroZereEdit::PasteMetafile(bool TextAsName) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->PasteMetafile(TextAsName);
  if (!BeforeChange(false) || !rveditclipboard_detail::Has(CF_METAFILEPICT) || !GraphicHandler) return false;
  std::unique_ptr<TGraphic> Graphic = GraphicHandler->CreateGraphicByType(rvgtMetafile);
  if (!Graphic) return false;
  TRVUnicodeString Name;
  if (TextAsName) GetClipboardUnicodeText(Name, CF_UNICODETEXT);
  const std::string Block = ReadClipboardBlock(CF_METAFILEPICT);
  auto Stream = rveditclipboard_detail::StreamOf(Block.data(), Block.size());
  Graphic->LoadFromStream(*Stream);
  if (Graphic->GetEmpty()) return false;
  GraphicHandler->AfterLoadMetafile(Graphic.get());
  InsertPicture(Name, Graphic.release(), GetDefaultPictureVAlign());
  return true;
}

bool TCustomViroZereEdit::PasteGraphicFiles(bool FileNamesAsNames, bool StoreFileNames) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this)
    return Top->PasteGraphicFiles(FileNamesAsNames, StoreFileNames);
  if (!BeforeChange(false) || !rveditclipboard_detail::Has(CF_HDROP)) return false;
  const std::string Block = ReadClipboardBlock(CF_HDROP);
  std::vector<TRVUnicodeString> Files = DropFileNames(Block.data(), Block.size());
  // Names longer than the system's path limit are not taken, as its query would cut them.
  Files.erase(std::remove_if(Files.begin(), Files.end(), [](const TRVUnicodeString& F) { return F.size() >= 260; }),
              Files.end());
  return InsertGraphicFiles(Files, FileNamesAsNames, StoreFileNames);
}

void TCustomViroZereEdit::Paste() {
  using rveditclipboard_detail::Has;
  if (!BeforeChange(false)) return;
  try {
    bool DoDefault = true;
    if (OnPaste) OnPaste(GetRootEditor(), DoDefault);
    if (!DoDefault) return;
    const TRVDragDropFormats F = FAcceptPasteFormats;
    if (F.Contains(rvddRVF) && CanPasteRVF()) {
      PasteRVF();
      return;
    }
    if (F.Contains(rvddRTF) && CanPasteRTF() && PasteRTF()) return;
    if (F.Contains(rvddURL) && CanPasteURL())
      PasteURL();
    else if (F.Contains(rvddUnicodeText) && Has(CF_UNICODETEXT))
      PasteTextW();
    else if (F.Contains(rvddText) && Has(CF_TEXT))
      PasteTextA();
    else if (F.Contains(rvddFiles) && PasteGraphicFiles(false, GetOptions().Contains(rvoAssignImageFileNames)))
      return;
    else if (F.Contains(rvddBitmap) && Has(CF_BITMAP))
      PasteBitmap(false);
    else if (F.Contains(rvddMetafile) && Has(CF_METAFILEPICT))
      PasteMetafile(false);
  } catch (const EClipboardException&) {
    GetEditRVData()->Beep();
  } catch (...) {
    RVRethrowUnlessDataError();
    GetEditRVData()->Beep();
  }
}
