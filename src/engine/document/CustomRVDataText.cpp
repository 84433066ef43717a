// Plain text: reading text lines into text items and writing a document, a selection or a page
// range as UTF-16 or 8-bit text.
#include <bit>
#include <cstring>

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

  auto emit = [&](std::size_t end, bool forced) {
    if (end > lineStart || (forced && lineStartsPara)) {
      TRVUnicodeString line = s.substr(lineStart, end - lineStart);
      for (char16_t& c : line)
        if (c == 0) c = u'?';
      AddNLW(line, StyleNo, (lineStartsPara || pageBreakPending) ? paraForLine : -1, Tag, true);
      lineStartsPara = false;
      if (pageBreakPending) {
        SetPageBreaksBeforeItems(ItemCount() - 1, true);
        pageBreakPending = false;
      }
    }
  };
  auto newLine = [&](std::size_t i) {
    paraForLine = OtherParaNo;
    lineStartsPara = true;
    lineStart = i + 1;
  };

  for (std::size_t i = begin; i < n; ++i) {
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
    switch (c) {
      case 9:
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
  if (Stream->GetPosition() >= Stream->GetSize()) return;
  TRVRawByteString s = ReadRest(Stream);
  for (char& c : s)
    if (c == 0) c = '?';
  AddTextNLA(s, StyleNo, ParaNo, ParaNo, AsSingleParagraph, {}, CodePage);
}

bool TCustomRVData::LoadText(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph,
                             TRVCodePage CodePage) {
  try {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadTextFromStream(&stream, StyleNo, ParaNo, AsSingleParagraph, CodePage);
    return true;
  } catch (...) {
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

    TRVUnicodeString buf;
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
      TRVUnicodeString text;
      const bool isText = item->StyleNo >= 0;
      bool take = true;
      if (isText) {
        const int ts = GetActualTextStyle(item);
        if (SaveData.TextOnly && st && RVInRange(ts, st->TextStyles()->Count()) &&
            st->TextStyles()->Items(ts)->Options.Contains(rvteoHidden))
          take = false;
        else if (to > from)
          text = item->ItemText.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from));
      } else {
        take = from < to && !(SaveData.TextOnly && (hidden || !item->GetBoolValue(rvbpAlwaysInText)));
      }
      if (!take) continue;
      bool handled = false;
      if (ev && ev->OnSaveItemToFile) {
        TRVUnicodeString t = isText ? text : TRVUnicodeString();
        if (ev->OnSaveItemToFile(SaveData.Path, this, i, rvsfText, t)) {
          handled = true;
          text = t;
        }
      }
      if (!handled) {
        if (!isText) text = item->AsText(this, i, item->ItemText, &SaveData);
        const int ts = GetActualTextStyle(item);
        if (st && RVInRange(ts, st->TextStyles()->Count()) && !text.empty())
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
    if (progressStarted) SaveProgressDone(rvloTextWrite);
    return false;
  }
}

bool TCustomRVData::SaveTextToStreamA(const TRVUnicodeString& Path, TStream* Stream, int LineWidth,
                                      bool SelectionOnly, bool TextOnly, TRVCodePage CodePage, bool Root) {
  try {
    TMemoryStream mem;
    if (!SaveTextToStreamW(Path, &mem, LineWidth, SelectionOnly, TextOnly, true, false, Root)) return false;
    mem.SetPosition(0);
    UnicodeStreamToAnsiStream(mem, *Stream, CodePage);
    return true;
  } catch (...) {
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
