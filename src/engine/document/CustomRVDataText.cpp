// Plain text: reading text lines into text items and writing a document, a selection or a page
// range as UTF-16 or 8-bit text.
#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVPlainText.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFileFuncs.h"
#include "engine/foundation/RVSafeSave.h"
#include "engine/foundation/RVSymbolFonts.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"

bool TextPageBreaksAsFormFeed = false;

namespace {

// Restores the add-paragraph mode of a document however the reading ends.
class TAddParaModeKeeper {
 public:
  explicit TAddParaModeKeeper(TCustomRVData* D) : FData(D), FMode(D->GetAddParagraphMode()) {}
  ~TAddParaModeKeeper() { FData->SetAddParagraphMode(FMode); }
  TAddParaModeKeeper(const TAddParaModeKeeper&) = delete;
  TAddParaModeKeeper& operator=(const TAddParaModeKeeper&) = delete;

 private:
  TCustomRVData* FData;
  bool FMode;
};

TRVRawByteString ReadRest(TStream* Stream) {
  const std::int64_t rest = Stream->GetSize() - Stream->GetPosition();
  TRVRawByteString s;
  if (rest <= 0) return s;
  s.resize(static_cast<std::size_t>(rest));
  Stream->ReadBuffer(s.data(), rest);
  return s;
}

void WriteW(TStream* Stream, const TRVUnicodeString& S) {
  if (S.empty()) return;
  static_assert(sizeof(char16_t) == 2);
  if constexpr (std::endian::native == std::endian::little) {
    Stream->WriteBuffer(S.data(), static_cast<std::int64_t>(S.size() * 2));
  } else {
    TRVUnicodeString t = S;
    SwapUTF16Bytes(t.data(), static_cast<int>(t.size()));
    Stream->WriteBuffer(t.data(), static_cast<std::int64_t>(t.size() * 2));
  }
}

// Takes the UTF-16 text of a save and writes it to Target in a code page, converting a block of
// whole lines at a time: neither form of the whole text is held. Blocks end after a line break,
// so no character, surrogate pair or composition is split and the bytes equal those of one
// conversion of the whole text.
class TCodePageWriter : public TStream {
 public:
  TCodePageWriter(TStream& Target, TRVCodePage CodePage) : FTarget(Target), FCodePage(CodePage) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    if (Count <= 0) return 0;
    auto p = static_cast<const unsigned char*>(Buffer);
    std::int64_t rest = Count;
    if (FOddByte >= 0) {
      AppendUnit(static_cast<unsigned char>(FOddByte), *p++);
      FOddByte = -1;
      --rest;
    }
    const std::size_t old = FPending.size(), units = static_cast<std::size_t>(rest / 2);
    FPending.resize(old + units);
    std::memcpy(FPending.data() + old, p, units * 2);
    if constexpr (std::endian::native != std::endian::little)
      SwapUTF16Bytes(FPending.data() + old, static_cast<int>(units));
    if (rest % 2) FOddByte = p[units * 2];
    for (std::size_t i = FPending.size(); i > old; --i)
      if (FPending[i - 1] == u'\n' || FPending[i - 1] == u'\r') {
        FConvertible = i;
        break;
      }
    if (FConvertible >= BlockUnits) Convert(FConvertible);
    FSize += Count;
    return Count;
  }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FSize; }
  std::int64_t GetSize() override { return FSize; }
  // Writes what is left; UTF-16 text of an odd byte count cannot be converted.
  void Finish() {
    if (FOddByte >= 0) throw EViroZereError("Can't perform Unicode operation");
    Convert(FPending.size());
  }

 private:
  static constexpr std::size_t BlockUnits = 65536;
  void AppendUnit(unsigned char Lo, unsigned char Hi) { FPending += static_cast<char16_t>(Lo | (Hi << 8)); }
  void Convert(std::size_t Units) {
    if (Units == 0) return;
    const TRVRawByteString bytes = UnicodeToAnsiCP(FCodePage, std::u16string_view(FPending.data(), Units));
    if (!bytes.empty()) FTarget.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    FPending.erase(0, Units);
    FConvertible = 0;
  }
  TStream& FTarget;
  TRVCodePage FCodePage;
  TRVUnicodeString FPending;
  std::size_t FConvertible = 0;  // units of FPending up to its last line break
  int FOddByte = -1;
  std::int64_t FSize = 0;
};

}  // namespace

// ---- reading ------------------------------------------------------------------------------------------

void TCustomRVData::AddTextNLW(const TRVUnicodeString& Str, int StyleNo, int FirstParaNo, int OtherParaNo,
                               bool DefAsSingleParagraph, const TRVUnicodeString& Tag) {
  TAddParaModeKeeper keeper(this);
  // The text is copied only when it must be byte-swapped.
  TRVUnicodeString swapped;
  const TRVUnicodeString* src = &Str;
  std::size_t begin = 0;
  if (!Str.empty() && Str[0] == 0xFEFF) {
    begin = 1;
  } else if (!Str.empty() && Str[0] == 0xFFFE) {
    swapped = Str;
    SkipUnicodeBOM(swapped);
    src = &swapped;
    begin = 1;
  }
  const TRVUnicodeString& s = *src;
  const std::size_t n = s.size();
  if (begin >= n) {
    if (FirstParaNo != -1) AddNLW(u"", StyleNo, FirstParaNo, {}, false);
    return;
  }
  TRVDataRootEvents* ev = GetRootEvents();
  const bool progress = ev && ev->OnProgress && n > 1000000;
  int percent = 0;
  if (progress) ev->OnProgress(rvloLoading, rvpstgStarting, 0);

  std::size_t lineStart = begin;
  int paraForLine = FirstParaNo;
  bool lineStartsPara = FirstParaNo >= 0;
  bool pageBreakPending = false;
  TRVStyle* st = GetRVStyle();
  const bool makeTabs = st && st->SpacesInTab < 1;
  char16_t swallow = 0;
  bool swallowing = false;

  // What the scan saw in the current line: a line without tabs needs no search for them when added.
  bool zeroInLine = false, tabInLine = false;
  auto emit = [&](std::size_t end, bool forced) {
    if (end > lineStart || (forced && lineStartsPara)) {
      // The line's one copy, moved into its item.
      TRVUnicodeString line(s.data() + lineStart, end - lineStart);
      if (zeroInLine) std::replace(line.begin(), line.end(), u'\0', u'?');
      AddNLW(std::move(line), StyleNo, (lineStartsPara || pageBreakPending) ? paraForLine : -1, Tag, tabInLine);
      lineStartsPara = false;
      if (pageBreakPending) {
        SetPageBreaksBeforeItems(ItemCount() - 1, true);
        pageBreakPending = false;
      }
    }
    zeroInLine = false;
    tabInLine = false;
  };
  auto newLine = [&](std::size_t i) {
    paraForLine = OtherParaNo;
    lineStartsPara = true;
    lineStart = i + 1;
  };

  // Nothing but line ends, tabs, form feeds and zeros stops the scan (all below 14), and the two
  // Unicode separators.
  auto ordinary = [](char16_t c) { return c > 13 && (c | 1) != 0x2029; };
  for (std::size_t i = begin; i < n; ++i) {
    if (!progress && !swallowing) {
      while (i < n && ordinary(s[i])) ++i;
      if (i == n) break;
    }
    const char16_t c = s[i];
    if (swallowing) {
      swallowing = false;
      if (c == swallow) {
        lineStart = i + 1;
        continue;
      }
    }
    if (progress && (i - begin) % 500 == 0) {
      const int pc = static_cast<int>((i - begin) * 100 / (n - begin));
      if (pc != percent) {
        percent = pc;
        ev->OnProgress(rvloLoading, rvpstgRunning, pc);
      }
    }
    if (ordinary(c)) continue;
    switch (c) {
      case 0:
        zeroInLine = true;
        break;
      case 9:
        tabInLine = true;
        if (makeTabs) {
          emit(i, false);
          auto tab = std::make_unique<TRVTabItemInfo>(this);
          tab->SetTextStyleNo(StyleNo);
          tab->ParaNo = lineStartsPara ? paraForLine : -1;
          lineStartsPara = false;
          AddItem(u"", tab.release());
          if (pageBreakPending) {
            SetPageBreaksBeforeItems(ItemCount() - 1, true);
            pageBreakPending = false;
          }
          lineStart = i + 1;
        }
        break;
      case 13:
      case 10:
        emit(i, true);
        SetAddParagraphMode(!DefAsSingleParagraph);
        newLine(i);
        swallow = c == 13 ? 10 : 13;
        swallowing = true;
        break;
      case 11:
      case 0x2028:
        emit(i, false);
        SetAddParagraphMode(false);
        newLine(i);
        break;
      case 12:
        emit(i, false);
        pageBreakPending = SupportsPageBreaks();
        newLine(i);
        break;
      case 0x2029:
        emit(i, false);
        SetAddParagraphMode(true);
        newLine(i);
        break;
      default: break;
    }
  }
  emit(n, true);
  if (progress) ev->OnProgress(rvloLoading, rvpstgEnding, 100);
}

void TCustomRVData::AddTextNLA(const TRVRawByteString& S, int StyleNo, int FirstParaNo, int OtherParaNo,
                               bool AsSingleParagraph, const TRVUnicodeString& Tag, TRVCodePage CodePage) {
  if (CodePage == 0) CodePage = GetDefaultCodePage();
  AddTextNLW(AnsiToUnicodeCP(CodePage, S), StyleNo, FirstParaNo, OtherParaNo, AsSingleParagraph, Tag);
}

void TCustomRVData::LoadTextFromStream(TStream* Stream, int StyleNo, int ParaNo, bool AsSingleParagraph,
                                       TRVCodePage CodePage) {
  const std::int64_t pos = Stream->GetPosition(), size = Stream->GetSize();
  if (pos >= size) return;
  // A memory stream's bytes are converted where they lie; another stream is read in one block.
  TRVRawByteString copy;
  std::string_view bytes;
  if (auto* mem = dynamic_cast<TCustomMemoryStream*>(Stream)) {
    bytes = std::string_view(static_cast<const char*>(mem->Memory()) + pos, static_cast<std::size_t>(size - pos));
    Stream->SetPosition(size);
  } else {
    copy = ReadRest(Stream);
    bytes = copy;
  }
  if (std::memchr(bytes.data(), 0, bytes.size())) {
    if (copy.empty()) copy.assign(bytes);
    std::replace(copy.begin(), copy.end(), '\0', '?');
    bytes = copy;
  }
  if (CodePage == 0) CodePage = GetDefaultCodePage();
  AddTextNLW(AnsiToUnicodeCP(CodePage, bytes), StyleNo, ParaNo, ParaNo, AsSingleParagraph, {});
}

bool TCustomRVData::LoadText(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph,
                             TRVCodePage CodePage) {
  try {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadTextFromStream(&stream, StyleNo, ParaNo, AsSingleParagraph, CodePage);
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool TCustomRVData::LoadTextFromStreamW(TStream* Stream, int StyleNo, int ParaNo, bool DefAsSingleParagraph) {
  try {
    const std::int64_t rest = Stream->GetSize() - Stream->GetPosition();
    if (rest % 2 != 0) throw EViroZereError("Can't perform Unicode operation");
    TRVUnicodeString s(static_cast<std::size_t>(std::max<std::int64_t>(rest, 0) / 2), u'\0');
    if (rest > 0) Stream->ReadBuffer(s.data(), rest);
    if constexpr (std::endian::native != std::endian::little) SwapUTF16Bytes(s.data(), static_cast<int>(s.size()));
    AddTextNLW(s, StyleNo, ParaNo, ParaNo, DefAsSingleParagraph, {});
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool TCustomRVData::LoadTextW(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool DefAsSingleParagraph) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);  // an open error reaches the caller
  return LoadTextFromStreamW(&stream, StyleNo, ParaNo, DefAsSingleParagraph);
}

TRVUnicodeString TCustomRVData::ReplaceTabs(const TRVUnicodeString& S) {
  TRVStyle* st = GetRVStyle();
  return ReplaceTabsWithSpaces(S, st ? st->SpacesInTab : 8);
}

// ---- writing ------------------------------------------------------------------------------------------

bool TCustomRVData::SaveTextToStreamW(const TRVUnicodeString& Path, TStream* Stream, int LineWidth,
                                      bool SelectionOnly, bool TextOnly, bool ForANSI, bool UnicodeWriteSignature,
                                      bool Root) {
  TRVTextSavingData data;
  data.LineWidth = LineWidth;
  data.TextOnly = TextOnly;
  data.ForANSI = ForANSI;
  data.WriteSignature = UnicodeWriteSignature;
  data.Path = Path;
  return DoSaveTextToStreamW(Stream, SelectionOnly, data, Root);
}

bool TCustomRVData::DoSaveTextToStreamW(TStream* Stream, bool SelectionOnly, TRVTextSavingData& SaveData, bool Root) {
  bool progressStarted = false;
  try {
    if (!SelectionOnly) DoBeforeSaving();
    int startNo, startOffs, endNo, endOffs;
    TRVMultiDrawItemPart *startPart, *endPart;
    TCustomRVItemInfo* selected;
    GetSaveScopeRange(GetRVFSaveScope(SelectionOnly), startNo, startOffs, endNo, endOffs, startPart, endPart, selected);
    if (selected) {
      selected->SaveTextSelectionW(Stream, this, &SaveData);
      return true;
    }
    if (startNo < 0 || endNo < startNo) return true;
    int progress = 0;
    if (Root) progressStarted = SaveProgressInit(progress, endNo - startNo, rvloTextWrite);
    if (SaveData.WriteSignature) WriteW(Stream, u"\xFEFF");
    TRVStyle* st = GetRVStyle();
    TRVDataRootEvents* ev = GetRootEvents();

    if (SelectionOnly && startNo < ItemCount()) {
      // A selection that starts in a list paragraph begins with the marker's text.
      const int first = GetFirstParaItem(startNo);
      TCustomRVItemInfo* m = GetItem(first);
      if (m && m->StyleNo == ItemKindListMarker && first != startNo)
        WriteW(Stream, m->AsText(this, first, m->ItemText, &SaveData));
    }

    // Whether each text style's font is a symbol font, found once per style.
    std::vector<signed char> symbolFont(st ? static_cast<std::size_t>(st->TextStyles()->Count()) : 0, -1);
    auto isSymbolFont = [&](int ts) {
      signed char& f = symbolFont[static_cast<std::size_t>(ts)];
      if (f < 0) {
        TRVSymbolFontKind kind;
        f = GetSymbolFontKind(st->TextStyles()->Items(ts)->FontName, kind) ? 1 : 0;
      }
      return f == 1;
    };
    const bool saveHook = ev && ev->OnSaveItemToFile;
    TRVUnicodeString buf;
    buf.reserve(32768 + 1024);
    auto flush = [&] {
      if (buf.size() >= 32768) {
        WriteW(Stream, buf);
        buf.clear();
      }
    };
    for (int i = startNo; i <= endNo; ++i) {
      TCustomRVItemInfo* item = GetItem(i);
      const bool hidden = SaveData.TextOnly && IsHiddenItem(i);
      if (i > startNo && !hidden) {
        if (item->GetPageBreakBefore() && TextPageBreaksAsFormFeed)
          buf += u'\f';
        else if (!item->GetSameAsPrev())
          buf += u"\r\n";
      }
      int from = GetOffsBeforeItem(i), to = GetOffsAfterItem(i);
      if (i == startNo) from = startOffs;
      if (i == endNo) to = endOffs;
      std::u16string_view part;
      const bool isText = item->StyleNo >= 0;
      // An object item's text style is asked only when it is written (the question may update it).
      int ts = isText ? GetActualTextStyle(item) : -1;
      bool styled = st && RVInRange(ts, st->TextStyles()->Count());
      bool take = true;
      if (isText) {
        if (SaveData.TextOnly && styled && st->TextStyles()->Items(ts)->Options.Contains(rvteoHidden))
          take = false;
        else if (to > from)
          part = std::u16string_view(item->ItemText)
                     .substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from));
      } else {
        take = from < to && !(SaveData.TextOnly && (hidden || !item->GetBoolValue(rvbpAlwaysInText)));
      }
      if (!take) continue;
      if (isText && !saveHook && (!styled || part.empty() || !isSymbolFont(ts))) {
        // Plain text of a text item: copied straight into the buffer.
        buf.append(part);
        flush();
        if (progressStarted) SaveProgressRun(progress, i - startNo, endNo - startNo, rvloTextWrite);
        continue;
      }
      TRVUnicodeString text(part);
      bool handled = false;
      if (saveHook) {
        TRVUnicodeString t = isText ? text : TRVUnicodeString();
        if (ev->OnSaveItemToFile(SaveData.Path, this, i, rvsfText, t)) {
          handled = true;
          text = t;
        }
      }
      if (!handled) {
        if (!isText) {
          text = item->AsText(this, i, item->ItemText, &SaveData);
          ts = GetActualTextStyle(item);
          styled = st && RVInRange(ts, st->TextStyles()->Count());
        }
        if (styled && !text.empty())
          text = ConvertSymbolFontText(text, SaveData.ForANSI, st->TextStyles()->Items(ts)->FontName);
      }
      buf += text;
      flush();
      if (progressStarted) SaveProgressRun(progress, i - startNo, endNo - startNo, rvloTextWrite);
    }
    WriteW(Stream, buf);
    buf.clear();

    if (!SelectionOnly && !SaveData.TextOnly && GetFlags().Contains(rvflRoot)) {
      std::vector<TCustomRVData*> endnotes;
      for (int i = 0; i < ItemCount(); ++i)
        if (GetItem(i)->StyleNo == ItemKindEndnote) {
          std::unique_ptr<TRVStoreSubRVData> store;
          if (TCustomRVData* d = GetItem(i)->GetSubRVData(store, rvdFirst)) endnotes.push_back(d);
        }
      if (!endnotes.empty()) {
        TRVUnicodeString sep = u"\r\n";
        if (SaveData.LineWidth > 2) sep += TRVUnicodeString(static_cast<std::size_t>(SaveData.LineWidth / 3), u'-');
        sep += u"\r\n";
        WriteW(Stream, sep);
        for (std::size_t k = 0; k < endnotes.size(); ++k) {
          if (k > 0) WriteW(Stream, u"\r\n");
          if (!endnotes[k]->DoSaveTextToStreamW(Stream, false, SaveData, false)) return false;
        }
      }
    }
    if (progressStarted) SaveProgressDone(rvloTextWrite);
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    if (progressStarted) SaveProgressDone(rvloTextWrite);
    return false;
  }
}

bool TCustomRVData::SaveTextToStreamA(const TRVUnicodeString& Path, TStream* Stream, int LineWidth,
                                      bool SelectionOnly, bool TextOnly, TRVCodePage CodePage, bool Root) {
  try {
    TCodePageWriter writer(*Stream, CodePage);
    if (!SaveTextToStreamW(Path, &writer, LineWidth, SelectionOnly, TextOnly, true, false, Root)) return false;
    writer.Finish();
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool TCustomRVData::SaveText(const TRVUnicodeString& FileName, int LineWidth, bool Unicode, TRVCodePage CodePage) {
  // Written beside the target and renamed over it only when complete: a failed save keeps the old file.
  const TRVUnicodeString path = FilePathOf(FileName);
  return RVSaveFileSafely(FileName, [&](TStream* Stream) {
    if (Unicode) return SaveTextToStreamW(path, Stream, LineWidth, false, false, false, true, true);
    return SaveTextToStreamA(path, Stream, LineWidth, false, false, CodePage, true);
  });
}
