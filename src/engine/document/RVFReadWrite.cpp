// The native format: the writer of whole documents and the reader that loads, inserts and appends
// RVF with style mapping and warnings. Object items write and read their own records; text
// records, checkpoints and document-level records are handled here.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "engine/foundation/RVCollectionBuilder.h"
#include "engine/foundation/RVGrHandler.h"
#include "platform/graphics/Graphics.h"
#include "engine/styles/ParaInfo.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVUni.h"
#include "platform/base/SysUtils.h"
#include "engine/foundation/RVSafeSave.h"
#include "platform/base/Classes.h"
#include "platform/base/ComponentStream.h"

namespace {

constexpr int RVFRecordVersion = -8;
constexpr int RVFRecordCheckpoint = -2;
constexpr int RVFRecordBackground = -7;
constexpr int RVFRecordDocumentData = -9;

constexpr int RVFDataTextStyles = 1;
constexpr int RVFDataParaStyles = 2;
constexpr int RVFDataLayout = 3;
constexpr int RVFDataListStyles = 4;
constexpr int RVFDataDocProperties = 5;
constexpr int RVFDataListMarkers = 6;
constexpr int RVFDataDocParameters = 7;
constexpr int RVFDataExtraDocument = 8;
constexpr int RVFDataStyleUnits = 9;
constexpr int RVFDataStyleTemplates = 10;
constexpr int RVFDataStyleTemplateNames = 11;
constexpr int RVFDataDocObjects = 12;
constexpr int RVFDataPixelsPerInch = 13;

TRVRawByteString Num(int N) { return std::to_string(N); }

// UTF-16LE bytes of a text.
TRVRawByteString TextBytes(const TRVUnicodeString& S) {
  TRVRawByteString r;
  r.resize(S.size() * 2);
  for (std::size_t i = 0; i < S.size(); ++i) {
    r[2 * i] = static_cast<char>(S[i] & 0xFF);
    r[2 * i + 1] = static_cast<char>(S[i] >> 8);
  }
  return r;
}

TRVRawByteString QuotedHint(const TRVUnicodeString& Hint) {
  const TRVRawByteString e = EncodeRVFString(Hint);
  TRVRawByteString r = "\"";
  for (char c : e) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

// Streams a style collection with the component writer.
TRVRawByteString CollectionBytes(TCollection* Collection) {
  TMemoryStream ms;
  {
    TWriter w(ms);
    w.WriteCollection(Collection);
  }
  return TRVRawByteString(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

// A data part that is hex (read type 0) or raw bytes (2).
bool PartBytes(const TRVRawByteString& Part, int ReadType, TRVRawByteString& Bytes) {
  if (ReadType == 2) {
    Bytes = Part;
    return true;
  }
  if (Part.size() % 2 != 0) return false;
  Bytes = HexToAnsi(Part);
  return Bytes.size() * 2 == Part.size();
}

// Hexadecimal UTF-16LE (four digits per code unit, low byte first) straight into text; false
// for a length that is not a multiple of 4 or a bad digit.
bool HexToText(std::string_view Hex, TRVUnicodeString& Text) {
  static const auto table = [] {
    std::array<std::int8_t, 256> t{};
    t.fill(-1);
    for (int i = 0; i < 10; ++i) t['0' + i] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
      t['A' + i] = static_cast<std::int8_t>(10 + i);
      t['a' + i] = static_cast<std::int8_t>(10 + i);
    }
    return t;
  }();
  if (Hex.size() % 4 != 0) return false;
  Text.resize(Hex.size() / 4);
  const auto* h = reinterpret_cast<const unsigned char*>(Hex.data());
  std::size_t i = 0;
#if defined(__SSE2__)
  if constexpr (std::endian::native == std::endian::little) {
    // Sixteen digits (four code units) at a time; a block with anything but a hex digit is left
    // to the loop below, which refuses it.
    const __m128i c0 = _mm_set1_epi8('0' - 1), c9 = _mm_set1_epi8('9' + 1);
    const __m128i cA = _mm_set1_epi8('A' - 1), cF = _mm_set1_epi8('F' + 1);
    const __m128i fold = _mm_set1_epi8(static_cast<char>(0xDF)), zero = _mm_set1_epi8('0');
    const __m128i letter = _mm_set1_epi8('A' - 10), lowByte = _mm_set1_epi16(0x00FF);
    for (; i + 4 <= Text.size(); i += 4, h += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
      const __m128i isDigit = _mm_and_si128(_mm_cmpgt_epi8(v, c0), _mm_cmplt_epi8(v, c9));
      const __m128i u = _mm_and_si128(v, fold);
      const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi8(u, cA), _mm_cmplt_epi8(u, cF));
      if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF) break;
      const __m128i val = _mm_or_si128(_mm_and_si128(isDigit, _mm_sub_epi8(v, zero)),
                                       _mm_and_si128(isLetter, _mm_sub_epi8(u, letter)));
      // Each 16-bit lane holds a digit pair, high digit in its low byte: one byte of text.
      const __m128i bytes = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(val, lowByte), 4), _mm_srli_epi16(val, 8));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(Text.data() + i), _mm_packus_epi16(bytes, bytes));
    }
  }
#endif
  for (; i < Text.size(); ++i, h += 4) {
    const int a = table[h[0]], b = table[h[1]], c = table[h[2]], d = table[h[3]];
    if ((a | b | c | d) < 0) return false;
    Text[i] = static_cast<char16_t>((c << 12) | (d << 8) | (a << 4) | b);
  }
  return true;
}

}  // namespace

// ===================================================================================================
// Writer

namespace {

bool IsPageScope(int Scope) { return Scope == rvfss_Page || Scope == rvfss_FromPage; }

// Extra documents are written by their main document only, never from inside one.
thread_local int ExtraDocumentDepth = 0;

class TRVFWriter {
 public:
  TRVFWriter(TCustomRVData* Doc, TStream* Stream, int Scope, const TRVScreenAndDevice* sad)
      : Doc(Doc), Stream(Stream), Scope(Scope), SaD(sad) {
    TRVDataRootProperties* rp = Doc->GetRootProperties();
    if (rp) Options = rp->RVFOptions;
    St = Doc->GetRVStyle();
    Binary = Options.Contains(rvfoSaveBinary);
    UseNames = Options.Contains(rvfoUseStyleNames);
    PChars = Doc->GetOptions().Contains(rvoTagsArePChars);
  }

  int RT() const { return Binary ? 2 : 0; }

  void WriteCheckpoint(TRVCPInfo* CP) {
    if (!CP) return;
    WriteRVFLine(Stream, "-2 1 0 0 0 " + EncodeRVFStringField(PChars, CP->Tag) + " " + (CP->RaiseEvent ? "1" : "0") +
                             " " + (CP->Persistent ? "1" : "0"));
    WriteRVFLine(Stream, EncodeRVFString(CP->Name));
  }

  void WriteBlock(const TRVRawByteString& Bytes) {
    if (Binary) {
      const std::int32_t n = static_cast<std::int32_t>(Bytes.size());
      Stream->WriteBuffer(&n, 4);
      if (n > 0) Stream->WriteBuffer(Bytes.data(), n);
    } else {
      WriteRVFLine(Stream, AnsiToHex(Bytes));
    }
  }

  // A document-data record of two parts: a line, then a block.
  void WriteDataRecord(int SubKind, const TRVRawByteString& Line, const TRVRawByteString& Bytes) {
    WriteRVFLine(Stream, "-9 2 0 0 " + Num(RT()) + " 0 " + Num(SubKind));
    WriteRVFLine(Stream, Line);
    WriteBlock(Bytes);
  }

  void WriteStyleCollection(int SubKind, TCollection* Collection) {
    WriteDataRecord(SubKind, "", CollectionBytes(Collection));
  }

  void WriteBackground(TColor Color, TObject* Background) {
    auto* bg = dynamic_cast<IRVFBackground*>(Background);
    if (!bg) return;
    const int style = bg->GetRVFBackgroundStyle();
    TGraphic* image = bg->GetRVFBackgroundImage();
    const TRVRawByteString tail = Num(style) + " " + Num(static_cast<int>(Color));
    if (!image || image->GetEmpty() || style == 0) {
      WriteRVFLine(Stream, "-7 0 -1 0 0 0 " + tail);
      return;
    }
    WriteRVFLine(Stream, "-7 2 0 0 " + Num(RT()) + " 0 " + tail);
    TRVRawByteString cls;
    for (char16_t c : image->ClassName()) cls += static_cast<char>(c & 0xFF);
    WriteRVFLine(Stream, cls);
    WriteBlock(GraphicToBinaryString(image));
  }

  // ---- items ----

  // Record header fields of an item as the template: -1 for a continued line, except for the
  // first item of a saved page, which keeps its paragraph.
  int TemplateParaNo(int ItemNo, bool FirstOfRange) const {
    TCustomRVItemInfo* item = Doc->GetItem(ItemNo);
    if (item->GetSameAsPrev() && !(FirstOfRange && IsPageScope(Scope))) return -1;
    return item->ParaNo;
  }

  TRVRawByteString TextHeader(TCustomRVItemInfo* Item, int StyleNo, int Count, int ParaNo, bool ForceSameAsPrev,
                              bool WithHint) const {
    TRVItemOptions options = Item->ItemOptions;
    options.Include(rvioUnicode);
    TRVRawByteString header = EncodeRVFTextStyleRef(St, UseNames, std::max(StyleNo, 0)) + " " + Num(Count) + " " +
                              EncodeRVFItemParaRef(St, UseNames, ParaNo, ParaNo < 0) + " " +
                              Num(ItemOptionsForRVF(options, ForceSameAsPrev)) + " " + Num(Binary ? 0 : 3) + " " +
                              EncodeRVFStringField(PChars, Item->Tag);
    if (WithHint && !Item->Hint.empty()) header += " " + QuotedHint(Item->Hint);
    return header;
  }

  void WriteTextLine(const TRVUnicodeString& Text) { WriteRVFItemTextLine(Stream, TextBytes(Text), true, !Binary); }

  // The pending record: items First .. First + Count - 1, all text, packed by CanPack.
  void FlushText() {
    int first = PendingFirst, count = PendingCount;
    PendingCount = 0;
    if (count <= 0) return;
    TCustomRVItemInfo* item = Doc->GetItem(first);
    WriteCheckpoint(item->Checkpoint);
    if (MarkerFirst) {
      // The paragraph of a selection began with a list marker written before: its first text
      // must continue that paragraph.
      WriteRVFLine(Stream, TextHeader(item, item->StyleNo, 1, -1, true, false));
      WriteTextLine(Doc->GetItemTextW(first));
      MarkerFirst = false;
      ++first;
      --count;
      if (count == 0) return;
      item = Doc->GetItem(first);
    }
    WriteRVFLine(Stream, TextHeader(item, item->StyleNo, count, PendingParaNo, false, true));
    for (int i = first; i < first + count; ++i) WriteTextLine(Doc->GetItemTextW(i));
  }

  bool CanPack(int i) const {
    TCustomRVItemInfo* a = Doc->GetItem(PendingFirst);
    TCustomRVItemInfo* b = Doc->GetItem(i);
    return !b->GetSameAsPrev() && b->StyleNo >= 0 && b->StyleNo == a->StyleNo && b->ParaNo == a->ParaNo &&
           PendingParaNo == a->ParaNo &&
           ItemOptionsForRVF(b->ItemOptions, false) == ItemOptionsForRVF(a->ItemOptions, false) && b->Tag == a->Tag &&
           b->Hint == a->Hint && !b->Checkpoint;
  }

  // One record of one data part: the characters From .. To - 1 (caret offsets) of a text item,
  // or the empty text in the associated style of an object item.
  void WriteTextPart(int ItemNo, int From, int To, bool ForceParaNo) {
    TCustomRVItemInfo* item = Doc->GetItem(ItemNo);
    const int before = Doc->GetOffsBeforeItem(ItemNo);
    if (From <= before) WriteCheckpoint(item->Checkpoint);
    const int style = item->StyleNo >= 0 ? item->StyleNo : item->GetAssociatedTextStyleNo();
    int para = item->ParaNo;
    if (From > before || item->GetSameAsPrev()) para = ForceParaNo ? item->ParaNo : -1;
    WriteRVFLine(Stream, TextHeader(item, style, 1, para, MarkerFirst, true));
    TRVUnicodeString text;
    if (item->StyleNo >= 0) {
      const TRVUnicodeString& s = Doc->GetItemTextW(ItemNo);
      const int a = std::clamp(From - 1, 0, static_cast<int>(s.size()));
      const int b = std::clamp(To - 1, a, static_cast<int>(s.size()));
      text = s.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
    }
    WriteTextLine(text);
    MarkerFirst = false;
  }

  void WriteNonText(int ItemNo, int ParaNo, TRVMultiDrawItemPart* Part) {
    TCustomRVItemInfo* item = Doc->GetItem(ItemNo);
    WriteCheckpoint(item->Checkpoint);
    // A saved page numbers its list on its own: its markers restart at their current counter.
    auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item);
    const bool restart = marker && (IsPageScope(Scope) || Scope == rvfss_FullInPage);
    const int savedStart = marker ? marker->StartFrom : 0;
    const bool savedReset = marker ? marker->Reset : false;
    if (restart) {
      marker->StartFrom = marker->Counter;
      marker->Reset = true;
    }
    try {
      item->SaveRVF(Stream, Doc, ItemNo, ParaNo, Doc->GetItemTextW(ItemNo), Part, MarkerFirst, SaD);
    } catch (...) {
      if (restart) {
        marker->StartFrom = savedStart;
        marker->Reset = savedReset;
      }
      throw;
    }
    if (restart) {
      marker->StartFrom = savedStart;
      marker->Reset = savedReset;
    }
    MarkerFirst = false;
  }

  bool SwitchesToAssStyle(TCustomRVItemInfo* Item) const {
    return Item->StyleNo < 0 && Item->GetAssociatedTextStyleNo() >= 0 && Item->GetBoolValue(rvbpSwitchToAssStyleNo);
  }

  // Steps of the item range (StartItemNo .. EndItemNo with caret offsets).
  void WriteRange(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs, TRVMultiDrawItemPart* StartPart,
                  TRVMultiDrawItemPart* EndPart, bool Root) {
    const bool forcePara = IsPageScope(Scope);
    if (StartItemNo == EndItemNo && Doc->GetItem(StartItemNo)->StyleNo >= 0 &&
        (StartOffs > Doc->GetOffsBeforeItem(StartItemNo) || EndOffs < Doc->GetOffsAfterItem(StartItemNo))) {
      WriteTextPart(StartItemNo, StartOffs, EndOffs, forcePara);
      return;
    }
    int progress = 0;
    const bool progressOn = Root && Doc->SaveProgressInit(progress, EndItemNo - StartItemNo, rvloRVFWrite);
    struct TDone {
      TCustomRVData* D;
      bool On;
      ~TDone() {
        if (On) D->SaveProgressDone(rvloRVFWrite);
      }
    } done{Doc, progressOn};
    const int first = StartItemNo, total = EndItemNo - StartItemNo;
    if (StartPart) {
      WriteNonText(StartItemNo, Doc->GetItem(StartItemNo)->ParaNo, StartPart);
      ++StartItemNo;
      if (StartItemNo < Doc->ItemCount()) StartOffs = Doc->GetOffsBeforeItem(StartItemNo);
    } else if (Scope == rvfss_Selection) {
      const int p = Doc->GetFirstParaItem(StartItemNo);
      if (p < StartItemNo && Doc->GetItem(p)->StyleNo == ItemKindListMarker) {
        WriteNonText(p, Doc->GetItem(p)->ParaNo, nullptr);
        MarkerFirst = true;
      }
    }
    if (EndPart) {
      --EndItemNo;
      if (EndItemNo >= 0) EndOffs = Doc->GetOffsAfterItem(EndItemNo);
    }
    bool lastWasObject = false;
    for (int i = StartItemNo; i <= EndItemNo; ++i) {
      TCustomRVItemInfo* item = Doc->GetItem(i);
      if (progressOn) Doc->SaveProgressRun(progress, i - first, total, rvloRVFWrite);
      if (i == StartItemNo) {
        const bool atItemEnd = StartOffs >= Doc->GetOffsAfterItem(i);
        const bool assSwitch = Scope == rvfss_Selection && SwitchesToAssStyle(item) && atItemEnd &&
                               !(i + 1 < Doc->ItemCount() && Doc->GetItem(i + 1)->GetSameAsPrev());
        if (item->StyleNo >= 0 || assSwitch) {
          if (StartOffs > Doc->GetOffsBeforeItem(i) || forcePara) {
            FlushText();
            WriteTextPart(i, StartOffs, i == EndItemNo ? EndOffs : Doc->GetOffsAfterItem(i), forcePara);
            lastWasObject = false;
            continue;
          }
        } else if (StartOffs > Doc->GetOffsBeforeItem(i)) {
          continue;
        }
      }
      if (i > StartItemNo && PendingCount > 0 && CanPack(i)) {
        ++PendingCount;
        continue;
      }
      FlushText();
      const int para = TemplateParaNo(i, i == StartItemNo);
      if (item->StyleNo >= 0) {
        PendingFirst = i;
        PendingCount = 1;
        PendingParaNo = para;
        lastWasObject = false;
      } else {
        lastWasObject = true;
        if (i < EndItemNo || EndOffs >= 1) WriteNonText(i, para, nullptr);
      }
    }
    if (EndItemNo >= StartItemNo) {
      TCustomRVItemInfo* last = Doc->GetItem(EndItemNo);
      if (lastWasObject && Scope == rvfss_Selection && EndOffs == 0 && SwitchesToAssStyle(last) &&
          !last->GetSameAsPrev()) {
        WriteTextPart(EndItemNo, 0, 0, forcePara);
      } else if (PendingCount > 0 && PendingFirst + PendingCount - 1 == EndItemNo &&
                 EndOffs < Doc->GetOffsAfterItem(EndItemNo)) {
        --PendingCount;
        const bool single = PendingCount == 0;
        FlushText();
        WriteTextPart(EndItemNo, single ? EndPartFrom(EndItemNo) : Doc->GetOffsBeforeItem(EndItemNo), EndOffs,
                      forcePara);
      } else {
        FlushText();
        if (EndItemNo == Doc->ItemCount() - 1 && EndOffs == 1 && !EndPart) WriteCheckpoint(Doc->NotAddedCP);
      }
    }
    if (EndPart && EndItemNo + 1 < Doc->ItemCount())
      WriteNonText(EndItemNo + 1, Doc->GetItem(EndItemNo + 1)->ParaNo, EndPart);
  }

  int EndPartFrom(int ItemNo) const { return Doc->GetOffsBeforeItem(ItemNo); }

  TCustomRVData* Doc;
  TStream* Stream;
  int Scope;
  const TRVScreenAndDevice* SaD;
  TRVStyle* St = nullptr;
  TRVFOptions Options;
  bool Binary = false, UseNames = false, PChars = false;
  int PendingFirst = -1, PendingCount = 0, PendingParaNo = 0;
  bool MarkerFirst = false;
};

}  // namespace

bool RVFSaveItemSelection = true;
bool RVFSkipStyleChecks = false;
bool RVFUseNormalStyleTemplate = true;

bool TCustomRVData::SaveRVFToStreamEx(TStream* Stream, int SaveScope, TColor Color, TObject* Background,
                                      TRVLayoutInfo* Layout, bool Root, const TRVScreenAndDevice* sad) {
  if (ItemCount() == 0) return true;
  try {
    TRVFWriter w(this, Stream, SaveScope, sad);
    if (SaveScope != rvfss_Selection) DoBeforeSaving();
    // The range first: asking for offsets brings items up to their styles' templates, which may
    // add styles, and the style records must hold them.
    int startNo = 0, startOffs = 0, endNo = 0, endOffs = 0;
    TRVMultiDrawItemPart *startPart = nullptr, *endPart = nullptr;
    TCustomRVItemInfo* selected = nullptr;
    GetSaveScopeRange(SaveScope, startNo, startOffs, endNo, endOffs, startPart, endPart, selected);
    WriteRVFLine(Stream, "-8 1 3 2");
    TRVStyle* st = w.St;
    TRVDataRootProperties* rp = GetRootProperties();
    if (Root && st) {
      if (st->Units == rvstuTwips) {
        WriteRVFLine(Stream, "-9 1 0 0 0 0 9");
        WriteRVFLine(Stream, "1");
      }
      WriteRVFLine(Stream, "-9 1 0 0 0 0 13");
      WriteRVFLine(Stream, Num(GetScreenPixelsPerInch()));
    }
    if (SaveScope != rvfss_Selection && w.Options.Contains(rvfoSaveBack)) w.WriteBackground(Color, Background);
    if (Root && st) {
      const bool textAndPara = w.Options.Contains(rvfoSaveTextStyles) && w.Options.Contains(rvfoSaveParaStyles);
      const bool useTemplates = rp && rp->UseStyleTemplates;
      if (textAndPara && useTemplates && (!st->GetMainRVStyle() || st->SaveStyleTemplatesForNonMain)) {
        TRVStyleTemplateCollection* templates = st->StyleTemplates();
        if (w.Options.Contains(rvfoSaveStyleTemplatesOnlyNames)) {
          WriteRVFLine(Stream, "-9 " + Num(2 * templates->Count()) + " 0 0 0 0 11");
          for (int i = 0; i < templates->Count(); ++i) {
            WriteRVFLine(Stream, EncodeRVFString(templates->Items(i)->GetName()));
            WriteRVFLine(Stream, Num(templates->Items(i)->GetId()));
          }
        } else {
          w.WriteStyleCollection(RVFDataStyleTemplates, templates);
        }
        st->UpdateModifiedProperties();
      }
      // Template ids are stored only together with the templates.
      const bool savedIgnore = st->IgnoreStyleTemplates;
      st->IgnoreStyleTemplates = !(textAndPara && useTemplates);
      try {
        if (w.Options.Contains(rvfoSaveTextStyles)) w.WriteStyleCollection(RVFDataTextStyles, st->TextStyles());
        if (w.Options.Contains(rvfoSaveParaStyles)) {
          w.WriteStyleCollection(RVFDataParaStyles, st->ParaStyles());
          w.WriteStyleCollection(RVFDataListStyles, st->ListStyles());
        }
      } catch (...) {
        st->IgnoreStyleTemplates = savedIgnore;
        throw;
      }
      st->IgnoreStyleTemplates = savedIgnore;
    }
    if (Root && !IsPageScope(SaveScope)) {
      if (w.Options.Contains(rvfoSaveDocProperties)) {
        if (rp && !rp->DocProperties.empty()) {
          WriteRVFLine(Stream, "-9 " + Num(static_cast<int>(rp->DocProperties.size())) + " 0 0 0 0 5");
          for (const TRVUnicodeString& s : rp->DocProperties) WriteRVFLine(Stream, EncodeRVFString(s));
        }
        TRVDocParameters* params = GetDocParameters(false);
        const int n = params ? params->GetRVFLineCount() : 0;
        if (n > 0) {
          WriteRVFLine(Stream, "-9 " + Num(n) + " 0 0 0 0 7");
          params->SaveToRVF(Stream);
        }
      }
      if (w.Options.Contains(rvfoSaveDocObjects)) {
        auto* objects = dynamic_cast<TCollection*>(GetDocObjects());
        if (objects && objects->Count() > 0) {
          TRVCollectionBuilder builder(nullptr, objects);
          w.WriteDataRecord(RVFDataDocObjects, "", CollectionBytes(&builder));
        }
      }
    }
    if (IsPageScope(SaveScope) && Layout) {
      if (startNo >= 0 && endNo >= startNo) {
        TCustomRVItemInfo* firstItem = GetItem(startNo);
        if (startOffs > GetOffsBeforeItem(startNo) || firstItem->GetSameAsPrev() || firstItem->GetBR()) {
          Layout->FirstParaAborted = 1;
          const int p = GetFirstParaItem(startNo);
          if (p < startNo) {
            if (auto* m = dynamic_cast<TRVMarkerItemInfo*>(GetItem(p))) {
              Layout->FirstMarkerListNo = m->ListNo;
              Layout->FirstMarkerLevel = m->Level;
            }
          }
        }
        if (endOffs < GetOffsAfterItem(endNo) ||
            (endNo + 1 < ItemCount() && (GetItem(endNo + 1)->GetSameAsPrev() || GetItem(endNo + 1)->GetBR())))
          Layout->LastParaAborted = 1;
        if (GetRootData() == this) {
          auto* marker = dynamic_cast<TRVMarkerItemInfo*>(FindPreviousMarker(startNo - 1));
          TRVMarkerList* markers = GetMarkers(false);
          const int index = marker && markers ? marker->GetIndexInList(markers) : -1;
          if (index >= 0) {
            WriteRVFLine(Stream, "-9 2 0 0 " + Num(w.RT()) + " 0 6");
            WriteRVFLine(Stream, "");
            if (w.Binary)
              markers->SaveToStream(Stream, index + 1, true);
            else
              markers->SaveTextToStream(Stream, index + 1);
          }
        }
      }
    }
    if (SaveScope != rvfss_Selection && rp && GetFlags().Contains(rvflRoot) && ExtraDocumentDepth == 0) {
      ++ExtraDocumentDepth;
      struct TDepth {
        ~TDepth() { --ExtraDocumentDepth; }
      } depth;
      for (const TRVExtraDocument& extra : rp->ExtraDocumentEntries()) {
        if (!extra.Document || extra.Document == this) continue;
        TMemoryStream ms;
        if (!extra.Document->SaveRVFToStreamEx(&ms, rvfss_Full, clNone, nullptr, nullptr, true, nullptr))
          throw EWriteError("extra document not saved");
        w.WriteDataRecord(RVFDataExtraDocument, EncodeRVFString(extra.Name),
                          TRVRawByteString(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize())));
      }
    }
    if (SaveScope != rvfss_Selection && Layout && w.Options.Contains(rvfoSaveLayout)) {
      const bool onlyPageInfo = GetRootData() != this;
      WriteRVFLine(Stream, "-9 2 0 0 " + Num(w.RT()) + " 0 3");
      WriteRVFLine(Stream, "");
      if (w.Binary)
        Layout->SaveToStream(Stream, true, onlyPageInfo);
      else
        Layout->SaveTextToStream(Stream, onlyPageInfo);
    }
    if (SaveScope == rvfss_Selection) {
      if (TCustomRVData* chosen = GetChosenRVData())
        return chosen->SaveRVFToStreamEx(Stream, rvfss_Selection, clNone, nullptr, nullptr, false, sad);
    }
    if (selected) {
      if (RVFSaveItemSelection) selected->SaveRVFSelection(Stream, this, -1, selected->ParaNo);
      return true;
    }
    if (startNo < 0 || endNo < startNo || endNo >= ItemCount()) return true;
    w.WriteRange(startNo, startOffs, endNo, endOffs, startPart, endPart, Root);
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

bool TCustomRVData::SaveRVFToStream(TStream* Stream, bool SelectionOnly, TColor Color, TObject* Background,
                                    TRVLayoutInfo* Layout, bool Root) {
  return SaveRVFToStreamEx(Stream, GetRVFSaveScope(SelectionOnly), Color, Background, Layout, Root, nullptr);
}

bool TCustomRVData::SaveRVF(const TRVUnicodeString& FileName, bool SelectionOnly, TColor Color, TObject* Background,
                            TRVLayoutInfo* Layout, bool Root) {
  return RVSaveFileSafely(FileName, [&](TStream* Stream) {
    return SaveRVFToStream(Stream, SelectionOnly, Color, Background, Layout, Root);
  });
}

// ===================================================================================================
// Reader

namespace {

class TRVFReader {
 public:
  TRVFReader(TCustomRVData* Doc, bool AllowReplaceStyles, bool AppendMode, int AppendParaNo, bool EditFlag)
      : Doc(Doc), AllowReplaceStyles(AllowReplaceStyles), AppendMode(AppendMode), EditFlag(EditFlag),
        AppendParaNo(AppendParaNo) {
    St = Doc->GetRVStyle();
    Root = Doc->GetRootProperties();
    if (Root) Options = Root->RVFOptions;
    CodePage = St ? St->DefCodePage : 0;
  }
  ~TRVFReader() {
    if (PendingCP != Doc->NotAddedCP) delete PendingCP;
  }

  void Warn(TRVFWarning W) {
    if (Root) Root->RVFWarnings.Include(W);
  }

  bool Read(const char* Data, std::size_t Size, int& Index, int& NewItemCount);

  TCustomRVData* Doc;
  TRVStyle* St = nullptr;
  TRVDataRootProperties* Root = nullptr;
  TRVFOptions Options;
  TRVCodePage CodePage = 0;
  TRVLayoutInfo* Layout = nullptr;
  TColor* Color = nullptr;
  IRVFBackground* Background = nullptr;
  bool AllowReplaceStyles, AppendMode, EditFlag;
  int AppendParaNo;
  bool FailedBecauseOfProtect = false, FullReformat = false;
  // Style templates and their names: the caller's, or made by this read (then owned).
  TRVStyleTemplateCollection* StyleTemplates = nullptr;
  TRVStyleTemplateNameList* TemplateNames = nullptr;
  std::unique_ptr<TRVStyleTemplateCollection> OwnTemplates;
  std::unique_ptr<TRVStyleTemplateNameList> OwnNames;
  bool TemplatesRead = false;
  TRVRawByteString BackgroundClass;
  TRVUnicodeString ExtraName;
  bool ExtraNameRead = false;

  // header
  int StyleNo = 0, ParaNo = 0, ReadType = 0, ExtraValue = 0, DataCount = 0, DataRead = 0;
  int Version = 1, SubVersion = 0;
  bool UTF8Strings = false, UTF8Complete = false, AssStyleNameUsed = false;
  bool CPRaiseEvent = false, CPPersistent = false;
  TRVUnicodeString CPTag, Name;
  std::unique_ptr<TCustomRVItemInfo> Item;  // object item or text template
  TRVFReadState ReadState = rstHeader;
  TRVFReadMode ReadMode = rmText;
  TRVCPInfo* PendingCP = nullptr;
  TRVCPInfo* PrevCP = nullptr;
  bool FirstPending = true;
  int InsertIndex = 0, FirstIndex = -1, Inserted = 0;
  std::shared_ptr<TRVStyleMapping> TextMap, ParaMap, ListMap;
  static thread_local TRVFReader* Active;
  TRVStyleUnits FileUnits = rvstuPixels;

  bool CheckTextStyle(int& S) {
    if (RVFSkipStyleChecks) return true;
    if (S < 0 || S == StyleNoFromParagraph || !St) return true;
    if (TextMap && !AssStyleNameUsed) {
      if (S < TextMap->Count()) {
        S = TextMap->Get(S);
      } else {
        Warn(rvfwConvUnknownStyles);
        if (!Options.Contains(rvfoConvUnknownStylesToZero)) return false;
        S = 0;
      }
    }
    if (S >= St->TextStyles()->Count()) {
      Warn(rvfwConvUnknownStyles);
      if (!Options.Contains(rvfoConvUnknownStylesToZero)) return false;
      S = 0;
    }
    return true;
  }

  bool CheckParaStyle(int& P) {
    if (RVFSkipStyleChecks) return true;
    if (P < 0 || !St) return true;
    if (ParaMap) {
      if (P >= ParaMap->Count()) {
        Warn(rvfwConvUnknownStyles);
        return false;
      }
      P = ParaMap->Get(P);
    }
    if (P >= St->ParaStyles()->Count()) {
      Warn(rvfwConvUnknownStyles);
      if (!Options.Contains(rvfoConvUnknownStylesToZero)) return false;
      P = 0;
    }
    return true;
  }

  bool ParseHeader(const TRVRawByteString& Line, std::size_t BytesLeft) {
    const char* P = Line.c_str();
    DataRead = 0;
    AssStyleNameUsed = false;
    Item.reset();
    // Style numbers are the common case; only a quoted name needs the style sheet's lookup.
    if (*P != '"') {
      if (!ReadRVFInteger(P, StyleNo)) return false;
    } else if (!ReadRVFTextStyleRef(St, P, StyleNo, AssStyleNameUsed, UTF8Strings)) {
      return false;
    }
    if (StyleNo == RVFRecordVersion) {
      DataCount = 0;
      if (!ReadRVFInteger(P, Version) || !ReadRVFInteger(P, SubVersion)) return false;
      int level = 0;
      if (*P && ReadRVFInteger(P, level)) {
        UTF8Strings = level > 0;
        UTF8Complete = level > 1;
      }
      return true;
    }
    if (!ReadRVFInteger(P, DataCount)) return false;
    // Every data part takes at least one byte except a last empty one: a count the bytes left
    // cannot hold is damage, not a reason to loop or allocate.
    if (DataCount < 0 || static_cast<std::size_t>(DataCount) > BytesLeft + 1) return false;
    bool paraNameUsed = false;
    if (*P != '"') {
      if (!ReadRVFInteger(P, ParaNo)) return false;
    } else if (!ReadRVFParaStyleRef(St, P, ParaNo, paraNameUsed, UTF8Strings)) {
      return false;
    }
    const bool special = StyleNo == RVFRecordDocumentData || StyleNo == RVFRecordBackground ||
                         StyleNo == RVFRecordCheckpoint;
    if (!special) {
      Item = CreateItemByStyleNo(StyleNo, Doc);
      if (Item) {
        if (StyleNo >= 0) Item->ItemOptions.Exclude(rvioUnicode);
        Item->BeforeLoading(rvlfRVF);
      }
    }
    if (Version > 0 && SubVersion > 1) {
      int options = 0;
      if (!ReadRVFInteger(P, options)) return false;
      if (Item) Item->ItemOptions = ItemOptionsFromRVF(options);
    }
    if (!ReadRVFInteger(P, ReadType)) return false;
    TRVUnicodeString tag;
    if (!ReadRVFStringField(P, false, Version > 1 || SubVersion > 2, CodePage, UTF8Strings, tag)) return false;
    if (StyleNo == RVFRecordDocumentData) {
      if (!ReadRVFInteger(P, ExtraValue)) return false;
      if (ExtraValue == RVFDataDocParameters && AllowReplaceStyles && Options.Contains(rvfoLoadDocProperties)) {
        if (TRVDocParameters* params = Doc->GetDocParameters(false)) params->Reset();
      }
      return true;
    }
    if (StyleNo == RVFRecordCheckpoint) {
      CPTag = tag;
      int v = 0;
      CPRaiseEvent = false;
      CPPersistent = false;
      if (*P) {
        if (!ReadRVFInteger(P, v)) return false;
        CPRaiseEvent = v != 0;
      }
      if (*P) {
        if (!ReadRVFInteger(P, v)) return false;
        CPPersistent = v != 0;
      }
      return true;
    }
    if (StyleNo == RVFRecordBackground) {
      int style = 0, color = 0;
      if (!ReadRVFInteger(P, style) || !ReadRVFInteger(P, color)) return false;
      if (Options.Contains(rvfoLoadBack) && AllowReplaceStyles) {
        if (Color) *Color = static_cast<TColor>(color);
        if (Background) {
          Background->SetRVFBackgroundStyle(style);
          Background->SetRVFBackgroundImage(nullptr);
        }
      }
      return true;
    }
    if (Item) Item->Tag = tag;
    if (StyleNo >= 0) {
      if (!CheckTextStyle(StyleNo)) return false;
      Item->StyleNo = StyleNo;
    }
    if (ParaNo >= 0 && !paraNameUsed && !CheckParaStyle(ParaNo)) return false;
    if (Item) return Item->ReadRVFHeaderTail(P, Doc, UTF8Strings, AssStyleNameUsed);
    return true;
  }

  // Inserts the current item (an object item, or a new text item for a text part).
  bool InsertItem(TCustomRVItemInfo* NewItem, TRVUnicodeString Text) {
    std::unique_ptr<TCustomRVItemInfo> item(NewItem);
    if (!item->GetBoolValue(rvbpValid)) return true;
    if (item->StyleNo < 0) {
      if (St && FileUnits != St->Units) {
        item->ConvertToDifferentUnits(St->Units, St, true);
        Warn(rvfwConvUnits);
      }
      int ass = item->GetAssociatedTextStyleNo();
      if (ass >= 0 && ass != StyleNoFromParagraph && !AssStyleNameUsed) {
        if (!CheckTextStyle(ass)) {
          DropPendingCP();
          return true;
        }
        item->SetAssociatedTextStyleNo(ass);
      }
    }
    const bool continuesEditor = EditFlag && FirstPending;
    if (ParaNo < 0 && (continuesEditor || (InsertIndex > 0 && Doc->ItemCount() > 0 &&
                                           !Doc->GetItem(InsertIndex - 1)->GetBoolValue(rvbpFullWidth)))) {
      item->ItemOptions.Include(rvioSameAsPrev);
      item->ParaNo = continuesEditor ? Doc->GetCurParaStyleNo() : Doc->GetItem(InsertIndex - 1)->ParaNo;
    } else {
      item->ItemOptions.Exclude(rvioSameAsPrev);
      item->ParaNo = ParaNo < 0 ? 0 : ParaNo;
    }
    int incomingListNo = -1;
    auto* marker = item->StyleNo == ItemKindListMarker ? dynamic_cast<TRVMarkerItemInfo*>(item.get()) : nullptr;
    if (marker && !RVFSkipStyleChecks) {
      if (St && marker->ListNo >= 0) {
        if (ListMap) {
          if (marker->ListNo < ListMap->Count()) {
            incomingListNo = marker->ListNo;
            marker->ListNo = ListMap->Get(marker->ListNo);
          } else {
            Warn(rvfwConvUnknownStyles);
            marker->ListNo = 0;
          }
        }
        if (marker->ListNo >= St->ListStyles()->Count()) {
          Warn(rvfwConvUnknownStyles);
          marker->ListNo = St->ListStyles()->Count() > 0 ? 0 : -1;
        }
      }
    }
    if (FirstPending && AppendMode) {
      if (AppendParaNo < 0) {
        if (InsertIndex > 0 && !Doc->GetItem(InsertIndex - 1)->GetBoolValue(rvbpFullWidth)) {
          item->ItemOptions.Include(rvioSameAsPrev);
          item->ParaNo = Doc->GetItem(InsertIndex - 1)->ParaNo;
        } else {
          item->ItemOptions.Exclude(rvioSameAsPrev);
          item->ParaNo = 0;
        }
      } else {
        item->ItemOptions.Exclude(rvioSameAsPrev);
        item->ParaNo = AppendParaNo;
      }
    }
    if (PendingCP) {
      if (PendingCP == Doc->NotAddedCP) {
        Doc->NotAddedCP = nullptr;
        --Doc->CPCount;
      }
      TRVCPInfo* cp = PendingCP;
      PendingCP = nullptr;
      if (EditFlag) {
        // An editor links the checkpoint itself when it takes the item.
        item->Checkpoint = cp;
        cp->ItemInfo = item.get();
      } else {
        ++Doc->CPCount;
        Doc->SetCP(item.get(), PrevCP, cp);
      }
      PrevCP = item->Checkpoint;
    }
    TCustomRVItemInfo* raw = item.get();
    if (FirstPending) {
      bool fullReformat = false;
      int newListNo = -1;
      TCustomRVItemInfo* p = item.release();
      if (!Doc->InsertFirstRVFItem(InsertIndex, Text, p, EditFlag, fullReformat, newListNo)) {
        if (p && p->Checkpoint && EditFlag) {
          delete p->Checkpoint;
          p->Checkpoint = nullptr;
        }
        delete p;
        FailedBecauseOfProtect = true;
        return false;
      }
      FullReformat = FullReformat || fullReformat;
      FirstPending = false;
      if (incomingListNo >= 0 && newListNo >= 0 && ListMap && incomingListNo < ListMap->Count())
        ListMap->Put(incomingListNo, newListNo);
      if (!p) return true;
      raw = p;
      FirstIndex = InsertIndex;
    } else {
      raw->Inserting(Doc, Text, true);
      raw->ItemText = std::move(Text);
      Doc->GetItems()->Insert(InsertIndex, item.release());
      raw->Inserted(Doc, InsertIndex);
      Doc->DoOnAddSpecialItem(InsertIndex);
    }
    if (raw->GetBoolValue(rvbpIsNote)) Doc->AfterReadNote(Doc, InsertIndex);
    Doc->ControlAction(Doc, rvcaAfterRVFLoad, InsertIndex, raw);
    if (!Doc->State.Contains(rvstLoadingAsPartOfItem)) raw->AfterLoading(rvlfRVF);
    ++InsertIndex;
    ++Inserted;
    return true;
  }

  // Part 0 of a background record is the picture's class, part 1 the picture.
  bool ReadBackgroundPart(const TRVRawByteString& Part) {
    if (DataRead == 0) {
      BackgroundClass = Part;
      if (ReadType == 2 && DataCount > 1) ReadMode = rmBeforeBinary;
      return true;
    }
    if (DataRead != 1) return true;
    TRVRawByteString bytes;
    if (!PartBytes(Part, ReadType, bytes)) return false;
    if (!Options.Contains(rvfoLoadBack) || !Background || bytes.empty()) return true;
    try {
      TGraphicClass cls = Options.Contains(rvfoIgnoreGraphicClasses) || BackgroundClass.empty()
                              ? nullptr
                              : GraphicHandler->GetGraphicClass(AsciiToUnicode(BackgroundClass));
      TMemoryStream m;
      m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      m.SetPosition(0);
      std::unique_ptr<TGraphic> g;
      if (cls) {
        g = GraphicHandler->CreateGraphic(cls);
        if (g) g->LoadFromStream(m);
      } else {
        g = GraphicHandler->LoadFromStream(m);
      }
      if (g && !g->GetEmpty()) Background->SetRVFBackgroundImage(std::move(g));
    } catch (...) {
      RVRethrowUnlessDataError();
      Warn(rvfwInvalidPicture);
    }
    return true;
  }

  void DropPendingCP() {
    if (PendingCP && PendingCP != Doc->NotAddedCP) delete PendingCP;
    PendingCP = nullptr;
  }

  bool TemplatesUsable() const {
    return Root && Root->UseStyleTemplates && Root->RVFTextStylesReadMode == rvf_sInsertMerge &&
           Root->RVFParaStylesReadMode == rvf_sInsertMerge &&
           Root->StyleTemplateInsertMode != rvstimIgnoreSourceStyleTemplates;
  }

  // The name of the template an incoming id stood for: from the names read, else from the
  // templates read. Empty when unknown.
  bool SourceTemplateName(int Id, TRVUnicodeString& Name) const {
    if (Id < 0) return false;
    if (TemplateNames) {
      for (const auto& n : *TemplateNames)
        if (n.second == Id) {
          Name = n.first;
          return true;
        }
      return false;
    }
    if (StyleTemplates)
      if (TRVStyleTemplate* t = StyleTemplates->FindItemById(Id)) {
        Name = t->GetName();
        return true;
      }
    return false;
  }

  TRVStyleTemplate* SourceTemplate(int Id) const {
    return StyleTemplates && !TemplateNames ? StyleTemplates->FindItemById(Id) : nullptr;
  }

  TRVStyleTemplate* TargetByName(int Id, bool NormalFallback) const {
    TRVStyleTemplateCollection* own = St->StyleTemplates();
    TRVUnicodeString name;
    TRVStyleTemplate* t = SourceTemplateName(Id, name) ? own->FindItemByName(name) : nullptr;
    if (!t && NormalFallback && RVFUseNormalStyleTemplate) t = own->NormalStyleTemplate();
    return t;
  }

  // Template ids of styles read from the file are made to refer to the document's templates of
  // the same names (or lost where the document cannot take them).
  void ReconcileTemplates(int Kind, TCustomRVInfos* Read) {
    const bool merging = Root && Root->UseStyleTemplates && Root->RVFTextStylesReadMode == rvf_sInsertMerge &&
                         Root->RVFParaStylesReadMode == rvf_sInsertMerge;
    if (!merging) {
      if (AllowReplaceStyles) return;
      for (int i = 0; i < Read->Count(); ++i) {
        auto* s = static_cast<TCustomFontOrParaRVInfo*>(Read->GetItem(i));
        s->StyleTemplateId = -1;
        if (auto* f = dynamic_cast<TFontInfo*>(s)) f->ParaStyleTemplateId = -1;
      }
      return;
    }
    const bool ignoreSource = !AllowReplaceStyles && Root->StyleTemplateInsertMode == rvstimIgnoreSourceStyleTemplates;
    // A whole load without template names only takes the ids; otherwise the target templates
    // shape the styles (for an insertion only with the target's formatting), after the styles'
    // changes on top of their source templates were worked out where those templates are known.
    const bool apply = (AllowReplaceStyles && TemplateNames) ||
                       (!AllowReplaceStyles && Root->StyleTemplateInsertMode == rvstimUseTargetFormatting);
    const bool derive = apply && !TemplateNames;
    TRVStyleTemplateCollection* own = St->StyleTemplates();
    for (int i = 0; i < Read->Count(); ++i) {
      if (Kind == RVFDataParaStyles) {
        auto* p = static_cast<TCustomRVParaInfo*>(Read->GetItem(i));
        TRVStyleTemplate* source = SourceTemplate(p->StyleTemplateId);
        TRVStyleTemplate* target = ignoreSource ? own->NormalStyleTemplate() : TargetByName(p->StyleTemplateId, true);
        if (derive) TRVStyleTemplate::UpdateModifiedParaStyleProperties(source, p);
        p->StyleTemplateId = target ? target->GetId() : -1;
        if (apply) TRVStyleTemplate::ApplyToParaStyle(target, p);
      } else {
        auto* f = static_cast<TFontInfo*>(Read->GetItem(i));
        TRVStyleTemplate* paraTarget =
            ignoreSource ? own->NormalStyleTemplate() : TargetByName(f->ParaStyleTemplateId, true);
        TRVStyleTemplate* textTarget = ignoreSource ? (f->Jump ? own->FindItemByName(u"Hyperlink") : nullptr)
                                                    : TargetByName(f->StyleTemplateId, false);
        if (textTarget == paraTarget) textTarget = nullptr;
        TRVStyleTemplate* source = SourceTemplate(f->StyleTemplateId);
        TRVStyleTemplate* paraSource = SourceTemplate(f->ParaStyleTemplateId);
        const bool shape = apply && (textTarget || paraTarget);  // a style without targets stays
        if (shape && derive) TRVStyleTemplate::UpdateModifiedTextStyleProperties(source, f, paraSource);
        f->StyleTemplateId = textTarget ? textTarget->GetId() : -1;
        f->ParaStyleTemplateId = paraTarget ? paraTarget->GetId() : -1;
        if (shape) TRVStyleTemplate::ApplyToTextStyle(textTarget, f, paraTarget);
      }
    }
  }

  bool ReadStyles(int Kind, const TRVRawByteString& Part) {
    if (!St) return true;
    TRVRawByteString bytes;
    if (!PartBytes(Part, ReadType, bytes)) return false;
    const TRVFReaderStyleMode mode =
        Kind == RVFDataTextStyles ? (Root ? Root->RVFTextStylesReadMode : rvf_sInsertMerge)
                                  : (Root ? Root->RVFParaStylesReadMode : rvf_sInsertMerge);
    if (Kind != RVFDataListStyles && AllowReplaceStyles && Options.Contains(rvfoCanChangeUnits) &&
        St->Units != FileUnits)
      St->ConvertToDifferentUnits(FileUnits);
    if (bytes.empty() || mode == rvf_sIgnore) return true;
    TCustomRVInfos* target = Kind == RVFDataTextStyles   ? static_cast<TCustomRVInfos*>(St->TextStyles())
                             : Kind == RVFDataParaStyles ? static_cast<TCustomRVInfos*>(St->ParaStyles())
                                                         : static_cast<TCustomRVInfos*>(St->ListStyles());
    std::shared_ptr<TRVStyleMapping>& map =
        Kind == RVFDataTextStyles ? TextMap : Kind == RVFDataParaStyles ? ParaMap : ListMap;
    if (map) return true;
    std::unique_ptr<TCustomRVInfos> read;
    if (Kind == RVFDataTextStyles)
      read = std::make_unique<TFontInfos>(target->ItemClass(), St);
    else if (Kind == RVFDataParaStyles)
      read = std::make_unique<TParaInfos>(target->ItemClass(), St);
    else
      read = std::make_unique<TRVListInfos>(target->ItemClass(), St);
    if (!ReadCollectionBytes(bytes, read.get())) return false;
    if (St->Units != FileUnits) {
      read->ConvertToDifferentUnits(St->Units);
      Warn(rvfwConvUnits);
    }
    if (Kind != RVFDataListStyles && !(AllowReplaceStyles && TemplatesRead) &&
        !(AllowReplaceStyles && !RVFUseNormalStyleTemplate))
      ReconcileTemplates(Kind, read.get());
    if (read->Count() == 0) return true;
    if (AllowReplaceStyles) {
      target->Assign(read.get());
      return true;
    }
    map = std::make_shared<TRVStyleMapping>();
    target->MergeWith(read.get(), mode == rvf_sInsertMap ? rvs_merge_Map : rvs_merge_SmartMerge, *map, TextMap.get(),
                      Doc);
    return true;
  }

  // A component-streamed collection; data that is not one raises, which fails the read.
  bool ReadCollectionBytes(const TRVRawByteString& Bytes, TCollection* Target) {
    TMemoryStream ms;
    ms.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    ms.SetPosition(0);
    TReader r(ms);
    r.OnError = [this](TReader&, const UnicodeString&, bool& handled) {
      Warn(rvfwUnknownStyleProperties);
      handled = true;
    };
    r.ReadCollection(Target);
    return true;
  }

  bool ReadStyleTemplates(const TRVRawByteString& Part) {
    if (!St || !TemplatesUsable()) return true;
    if (StyleTemplates) return false;  // a second collection
    OwnTemplates = std::make_unique<TRVStyleTemplateCollection>(nullptr);
    StyleTemplates = OwnTemplates.get();
    TemplatesRead = true;
    if (AllowReplaceStyles) St->StyleTemplates()->Clear();
    TRVRawByteString bytes;
    if (!PartBytes(Part, ReadType, bytes)) return false;
    if (!bytes.empty()) {
      if (!ReadCollectionBytes(bytes, StyleTemplates)) return false;
      if (St->Units != FileUnits) StyleTemplates->ConvertToDifferentUnits(St->Units);
      StyleTemplates->UpdateReferences();
    }
    if (AllowReplaceStyles)
      St->StyleTemplates()->AssignStyleTemplates(StyleTemplates, true);
    else
      St->StyleTemplates()->MergeWith(StyleTemplates, nullptr);
    return true;
  }

  bool ReadDocumentData(const TRVRawByteString& Part) {
    const int partNo = DataRead;
    // Records with a block after their first line.
    auto blockFollows = [&] {
      if (partNo == 0 && ReadType == 2 && DataCount > 1) ReadMode = rmBeforeBinary;
    };
    const bool rootDoc = Doc->GetFlags().Contains(rvflRoot);
    switch (ExtraValue) {
      case RVFDataStyleUnits: {
        int v = 0;
        if (partNo == 0 && TryStrToInt(AsciiToUnicode(Part), v)) {
          FileUnits = v == 1 ? rvstuTwips : rvstuPixels;
          if (St && AllowReplaceStyles && FileUnits != St->Units && Options.Contains(rvfoCanChangeUnits))
            St->ConvertToDifferentUnits(FileUnits);
        }
        return true;
      }
      case RVFDataPixelsPerInch: return true;
      case RVFDataLayout:
        blockFollows();
        if (partNo == 1 && Layout && AllowReplaceStyles && Options.Contains(rvfoLoadLayout)) {
          if (ReadType == 2)
            Layout->LoadBinary(Part);
          else
            Layout->LoadText(Part);
          if (ListMap && Layout->FirstMarkerListNo >= 0 && Layout->FirstMarkerListNo < ListMap->Count())
            Layout->FirstMarkerListNo = ListMap->Get(Layout->FirstMarkerListNo);
        }
        return true;
      case RVFDataListMarkers:
        blockFollows();
        if (partNo == 1 && AllowReplaceStyles && Options.Contains(rvfoLoadLayout)) {
          if (TRVMarkerList* prev = Doc->GetPrevMarkers()) {
            const bool loaded = ReadType == 2 ? prev->LoadBinary(Part, Doc) : prev->LoadText(Part, Doc);
            if (!loaded) return false;
            for (int i = 0; i < prev->Count(); ++i) {
              TRVMarkerItemInfo* m = prev->Items(i);
              if (ListMap && m->ListNo >= 0 && m->ListNo < ListMap->Count()) m->ListNo = ListMap->Get(m->ListNo);
            }
          }
        }
        return true;
      case RVFDataDocProperties:
        if (AllowReplaceStyles && Options.Contains(rvfoLoadDocProperties) && Root && rootDoc)
          Root->DocProperties.push_back(DecodeRVFString(Part, UTF8Strings, CodePage));
        return true;
      case RVFDataDocParameters:
        if (AllowReplaceStyles && Options.Contains(rvfoLoadDocProperties) && (partNo > 0 || rootDoc)) {
          if (TRVDocParameters* params = Doc->GetDocParameters(true))
            params->ReadProperyFromString(Part, UTF8Strings, CodePage);
        }
        return true;
      case RVFDataExtraDocument:
        blockFollows();
        if (!AllowReplaceStyles || !rootDoc || !Root) return true;
        if (partNo == 0) {
          ExtraName = DecodeRVFString(Part, UTF8Strings, CodePage);
          ExtraNameRead = true;
          return true;
        }
        if (partNo == 1 && ExtraNameRead) {
          ExtraNameRead = false;
          TRVRawByteString bytes;
          if (!PartBytes(Part, ReadType, bytes)) return false;
          for (const TRVExtraDocument& extra : Root->ExtraDocumentEntries()) {
            if (extra.Name != ExtraName || !extra.Document || extra.Document == Doc) continue;
            TMemoryStream ms;
            if (!bytes.empty()) ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            ms.SetPosition(0);
            TColor color = clNone;
            if (!extra.Document->LoadRVFFromStreamEx(&ms, color, nullptr, nullptr, StyleTemplates, TemplateNames))
              return false;
            break;
          }
        }
        return true;
      case RVFDataTextStyles:
      case RVFDataParaStyles:
      case RVFDataListStyles:
        blockFollows();
        if (partNo == 1) return ReadStyles(ExtraValue, Part);
        return true;
      case RVFDataStyleTemplates:
        blockFollows();
        if (partNo == 1) return ReadStyleTemplates(Part);
        return true;
      case RVFDataStyleTemplateNames:
        if (!TemplatesUsable()) return true;
        if (partNo == 0) {
          if (TemplateNames) return false;  // a second list
          OwnNames = std::make_unique<TRVStyleTemplateNameList>();
          TemplateNames = OwnNames.get();
          TemplatesRead = true;
        }
        if (!OwnNames) return true;
        if (partNo % 2 == 0) {
          OwnNames->push_back({DecodeRVFStringRTL(Part, UTF8Strings, CodePage), -1});
        } else {
          int id = -1;
          if (!TryStrToInt(AsciiToUnicode(Part), id)) return false;
          OwnNames->back().second = id;
        }
        return true;
      case RVFDataDocObjects:
        blockFollows();
        if (partNo == 1 && AllowReplaceStyles && Options.Contains(rvfoLoadDocObjects)) {
          auto* objects = dynamic_cast<TCollection*>(Doc->GetDocObjects());
          if (!objects) return true;
          TRVRawByteString bytes;
          if (!PartBytes(Part, ReadType, bytes)) return false;
          objects->Clear();
          if (bytes.empty()) return true;
          TRVCollectionBuilder builder(nullptr, objects);
          TMemoryStream ms;
          ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
          ms.SetPosition(0);
          TReader r(ms);
          r.OnError = [this](TReader&, const UnicodeString&, bool& handled) {
            Warn(rvfwUnknownCtrlProperties);
            handled = true;
          };
          r.ReadCollection(&builder);
          builder.BuildCollection();
        }
        return true;
      default:
        blockFollows();
        return true;
    }
  }

  bool ReadTextPart(std::string_view Part) {
    // An editor does not take text in a style protected against insertion.
    if (EditFlag && St) {
      int s = Item->StyleNo;
      if (s == StyleNoFromParagraph) s = Doc->GetActualTextStyle(Item.get());
      if (s >= 0 && s < St->TextStyles()->Count() &&
          St->TextStyles()->Items(s)->Protection.Contains(rvprRVFInsertProtect))
        return true;
    }
    TRVUnicodeString text;
    if (Item->ItemOptions.Contains(rvioUnicode)) {
      if (ReadType == 3) {
        if (!HexToText(Part, text)) return false;
      } else {
        if (Part.size() % 2 != 0) return false;
        text.resize(Part.size() / 2);
        if constexpr (std::endian::native == std::endian::little) {
          if (!Part.empty()) std::memcpy(text.data(), Part.data(), Part.size());
        } else {
          for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(Part[2 * i]) |
                                            (static_cast<unsigned char>(Part[2 * i + 1]) << 8));
        }
      }
    } else {
      // Files before Unicode text: 8-bit text of the record's style.
      int s = Item->StyleNo;
      if (s == StyleNoFromParagraph) s = Doc->GetActualStyleEx(s, std::max(ParaNo, 0));
      TFontInfo* font = St && s >= 0 && s < St->TextStyles()->Count() ? St->TextStyles()->Items(s) : nullptr;
      if (font && font->IsSymbolCharset()) {
        text.resize(Part.size());
        for (std::size_t i = 0; i < Part.size(); ++i)
          text[i] = static_cast<char16_t>(0xF000 + static_cast<unsigned char>(Part[i]));
      } else {
        text = AnsiToUnicodeCP(Doc->GetStyleCodePage(std::max(s, 0)), Part);
      }
      Warn(rvfwConvToUnicode);
    }
    // The last part of a record takes the template itself; earlier parts take copies of it.
    if (DataRead + 1 >= DataCount) {
      std::unique_ptr<TCustomRVItemInfo> last = std::move(Item);
      last->ItemOptions.Include(rvioUnicode);
      return InsertItem(last.release(), std::move(text));
    }
    auto item = CreateItemByStyleNo(Item->StyleNo, Doc);
    if (!item) return false;
    item->BeforeLoading(rvlfRVF);
    item->Assign(Item.get());
    item->ItemOptions = Item->ItemOptions;
    item->ItemOptions.Include(rvioUnicode);
    item->Tag = Item->Tag;
    item->Hint = Item->Hint;
    item->StyleNo = Item->StyleNo;
    return InsertItem(item.release(), std::move(text));
  }

  // The part as a string of its own (a buffer reused for every part), for the readers that need one.
  const TRVRawByteString& Owned(std::string_view Part) {
    PartBuffer.assign(Part.data(), Part.size());
    return PartBuffer;
  }
  TRVRawByteString PartBuffer;

  // Text parts are read where they lie; other parts are copied into the part buffer first.
  bool ProcessPart(std::string_view Part, std::size_t BytesLeft) {
    switch (ReadState) {
      case rstHeader: {
        if (!ParseHeader(Owned(Part), BytesLeft)) return false;
        if (DataCount > 0) {
          if (Item || StyleNo == RVFRecordCheckpoint || StyleNo == RVFRecordBackground ||
              StyleNo == RVFRecordDocumentData) {
            ReadState = (!Item || Item->GetBoolValue(rvbpRequiresRVFLines)) ? rstData : rstSkip;
            if (Item && StyleNo >= 0) ReadState = rstData;
            if (Item && StyleNo >= 0 && Item->ItemOptions.Contains(rvioUnicode) && ReadType != 3)
              ReadMode = rmBeforeUnicode;
          } else {
            if (StyleNo < 0) Warn(rvfwUnknownItemKind);
            ReadState = rstSkip;
            DropPendingCP();
          }
          if (ReadState == rstSkip && DataCount == 1 && ReadType == 2) ReadMode = rmBeforeBinary;
        } else if (StyleNo != RVFRecordVersion && StyleNo != RVFRecordDocumentData &&
                   StyleNo != RVFRecordBackground && StyleNo != RVFRecordCheckpoint) {
          if (Item && StyleNo < 0) {
            if (!InsertItem(Item.release(), Name)) return false;
          } else if (!Item && StyleNo < 0) {
            Warn(rvfwUnknownItemKind);
            DropPendingCP();
          }
          Item.reset();
        }
        return true;
      }
      case rstData: {
        if (StyleNo == RVFRecordDocumentData) {
          if (!ReadDocumentData(Owned(Part))) return false;
        } else if (StyleNo == RVFRecordBackground) {
          if (!ReadBackgroundPart(Owned(Part))) return false;
        } else if (StyleNo == RVFRecordCheckpoint) {
          if (!PendingCP) {
            PendingCP = new TRVCPInfo();
            PendingCP->Name = DecodeRVFString(Owned(Part), UTF8Strings, CodePage);
            PendingCP->Tag = CPTag;
            PendingCP->RaiseEvent = CPRaiseEvent;
            PendingCP->Persistent = CPPersistent;
          }
        } else if (StyleNo < 0) {
          if (DataRead == 0) Name.clear();
          if (!Item->ReadRVFLine(Owned(Part), Doc, ReadType, DataRead, DataCount, Name, ReadMode, ReadState,
                                 UTF8Strings, AssStyleNameUsed))
            return false;
          if (DataRead + 1 == DataCount) {
            if (!InsertItem(Item.release(), Name)) return false;
          }
        } else {
          if (!ReadTextPart(Part)) return false;
        }
        if (++DataRead >= DataCount) {
          ReadState = rstHeader;
          Item.reset();
          if (ReadMode == rmUnicode) ReadMode = rmAfterUnicode;
        }
        return true;
      }
      case rstSkip: {
        ++DataRead;
        if (DataCount - DataRead == 1 && ReadType == 2) ReadMode = rmBeforeBinary;
        if (DataRead >= DataCount) {
          if (Item && StyleNo < 0 && !InsertItem(Item.release(), Name)) return false;
          Item.reset();
          ReadState = rstHeader;
        }
        return true;
      }
    }
    return false;
  }
};

thread_local TRVFReader* TRVFReader::Active = nullptr;

// The first NUL, CR or LF at or after P (End when none). Lines end with CR LF, so the search for
// CR runs at the C library's speed, and only the stretch before it is looked through for the
// other two.
const char* FindLineEnd(const char* P, const char* End) {
  const auto n = static_cast<std::size_t>(End - P);
  const char* cr = static_cast<const char*>(std::memchr(P, '\r', n));
  const char* q = cr ? cr : End;
  const auto m = static_cast<std::size_t>(q - P);
  if (const char* lf = static_cast<const char*>(std::memchr(P, '\n', m))) q = lf;
  if (const char* nul = static_cast<const char*>(std::memchr(P, 0, static_cast<std::size_t>(q - P)))) q = nul;
  return q;
}

// The first UTF-16LE code unit U+2029 or NUL at an even offset from P (End, or End - 1 for an odd
// length, when none), four units at a time.
const char* FindUnicodeTextEnd(const char* P, const char* End) {
  const char* q = P;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), sep16 = _mm_set1_epi16(0x2029);
  // Texts are long: 64 bytes a step with one test, then 16 at a time to find the unit.
  auto hits = [&](const char* at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return _mm_or_si128(_mm_cmpeq_epi16(v, zero), _mm_cmpeq_epi16(v, sep16));
  };
  while (End - q >= 64) {
    const __m128i any = _mm_or_si128(_mm_or_si128(hits(q), hits(q + 16)), _mm_or_si128(hits(q + 32), hits(q + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
    q += 64;
  }
  while (End - q >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i hit = _mm_or_si128(_mm_cmpeq_epi16(v, zero), _mm_cmpeq_epi16(v, sep16));
    if (_mm_movemask_epi8(hit) != 0) break;
    q += 16;
  }
#endif
  constexpr std::uint64_t ones = 0x0001000100010001ULL, highs = 0x8000800080008000ULL;
  constexpr std::uint64_t sep = 0x2029202920292029ULL;
  while (End - q >= 8) {
    std::uint64_t v;
    std::memcpy(&v, q, 8);  // little-endian: unit k is bits 16k..16k+15
    const std::uint64_t x = v ^ sep;
    if ((((v - ones) & ~v) | ((x - ones) & ~x)) & highs) break;
    q += 8;
  }
  while (End - q >= 2) {
    const unsigned u = static_cast<unsigned char>(q[0]) | (static_cast<unsigned char>(q[1]) << 8);
    if (u == 0x2029 || u == 0) break;
    q += 2;
  }
  return q;
}

bool TRVFReader::Read(const char* Data, std::size_t Size, int& Index, int& NewItemCount) {
  InsertIndex = Index;
  const char* p = Data;
  const char* const end = Data + Size;
  bool ok = true, truncated = false;
  // Progress of long reads, as the share of the bytes consumed.
  TRVDataRootEvents* events = Doc->GetRootEvents();
  const bool progressOn = events && events->OnProgress && Size > 1000000 && !Doc->State.Contains(rvstLoadingAsSubDoc);
  int percent = 0;
  if (progressOn) events->OnProgress(rvloRVFRead, rvpstgStarting, 0);
  struct TProgressEnd {
    TRVDataRootEvents* E;
    bool On;
    ~TProgressEnd() {
      if (On) E->OnProgress(rvloRVFRead, rvpstgEnding, 100);
    }
  } progressEnd{events, progressOn};
  // Parts are cut where they lie; one buffer serves every part that must be copied, so after the
  // first lines it no longer allocates.
  PartBuffer.reserve(256);
  std::string_view part;
  while (ok && p < end) {
    if (progressOn) {
      const int now = static_cast<int>((static_cast<std::uint64_t>(p - Data) * 100) / Size);
      if (now != percent) {
        percent = now;
        events->OnProgress(rvloRVFRead, rvpstgRunning, percent);
      }
    }
    const TRVFReadMode cutMode = ReadMode;
    if (cutMode == rmBinary) {
      if (end - p < 4) {
        ok = false;
        break;
      }
      std::int32_t n = 0;
      std::memcpy(&n, p, 4);
      p += 4;
      if (n < 0 || n > end - p) {
        ok = false;
        break;
      }
      part = std::string_view(p, static_cast<std::size_t>(n));
      p += n;
    } else if (cutMode == rmUnicode) {
      const char* q = FindUnicodeTextEnd(p, end);
      if (end - q == 1) q = end;  // an odd last byte belongs to the part (and fails it)
      part = std::string_view(p, static_cast<std::size_t>(q - p));
      p = q;
      if (p == end) truncated = true;  // the writer ends every raw text with U+2029
      if (end - p >= 2 && p[0] == 0 && p[1] == 0) p += 2;
    } else {
      const char* q = FindLineEnd(p, end);
      part = std::string_view(p, static_cast<std::size_t>(q - p));
      p = q;
      if (p == end) truncated = true;  // the writer ends every line with CR LF
      if (p < end && *p == 0) ++p;
    }
    ok = ProcessPart(part, static_cast<std::size_t>(end - p));
    if (!ok) break;
    switch (ReadMode) {
      case rmText:
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n') ++p;
        break;
      case rmBeforeBinary:
      case rmBeforeUnicode:
        if (end - p < 2 || p[0] != '\r' || p[1] != '\n') {
          ok = false;
          break;
        }
        p += 2;
        ReadMode = ReadMode == rmBeforeBinary ? rmBinary : rmUnicode;
        break;
      case rmUnicode:
        if (end - p >= 2 && static_cast<unsigned char>(p[0]) == 0x29 && static_cast<unsigned char>(p[1]) == 0x20) p += 2;
        break;
      case rmAfterUnicode:
        if (end - p >= 2 && static_cast<unsigned char>(p[0]) == 0x29 && static_cast<unsigned char>(p[1]) == 0x20) p += 2;
        ReadMode = rmText;
        break;
      case rmBinary:
        if (cutMode == rmBinary) ReadMode = rmText;
        break;
    }
  }
  // A stream that ends inside a line was cut: what it held cannot be told from what it lost.
  ok = ok && ReadState == rstHeader && !truncated;
  // A list marker that ends the inserted range gets an empty text after it.
  if (ok && InsertIndex > 0 && Doc->GetItem(InsertIndex - 1)->StyleNo == ItemKindListMarker &&
      (InsertIndex == Doc->ItemCount() || !Doc->GetItem(InsertIndex)->GetSameAsPrev())) {
    auto text = CreateItemByStyleNo(0, Doc);
    text->StyleNo = 0;
    ParaNo = -1;
    ok = InsertItem(text.release(), TRVUnicodeString());
  }
  if (FirstIndex >= 0) Index = FirstIndex;
  NewItemCount = Inserted;
  return ok;
}

}  // namespace

bool TCustomRVData::DoInsertRVFFromStream(TStream* Stream, int& Index, bool& FullReformat, bool& RVFInserted,
                                          bool& FailedBecauseOfProtect, int& NewItemCount, TRVLayoutInfo* Layout,
                                          TObject* Background, TColor& Color, bool EditFlag, bool AppendMode,
                                          bool AllowReplaceStyles, int AppendParaNo,
                                          TRVStyleTemplateCollection* ReadStyleTemplates,
                                          TRVStyleTemplateNameList* ReadStyleTemplateNames) {
  FullReformat = false;
  RVFInserted = false;
  FailedBecauseOfProtect = false;
  NewItemCount = 0;
  TRVFReader reader(this, AllowReplaceStyles, AppendMode, AppendParaNo, EditFlag);
  reader.Layout = Layout;
  reader.Color = &Color;
  reader.Background = dynamic_cast<IRVFBackground*>(Background);
  reader.StyleTemplates = ReadStyleTemplates;
  reader.TemplateNames = ReadStyleTemplateNames;
  // A sub-document read inside an item's record keeps the warnings and style mappings of the
  // read around it, so its styles map exactly like the document's.
  TRVFReader* outer = TRVFReader::Active;
  const bool nested = State.Contains(rvstLoadingAsSubDoc) && outer;
  if (nested) {
    reader.TextMap = outer->TextMap;
    reader.ParaMap = outer->ParaMap;
    reader.ListMap = outer->ListMap;
    reader.FileUnits = outer->FileUnits;
    reader.UTF8Strings = outer->UTF8Strings;
  } else if (reader.Root) {
    reader.Root->RVFWarnings = {};
  }
  struct TActiveGuard {
    TRVFReader* Saved;
    explicit TActiveGuard(TRVFReader* R) : Saved(TRVFReader::Active) { TRVFReader::Active = R; }
    ~TActiveGuard() { TRVFReader::Active = Saved; }
  } activeGuard(&reader);
  const int initial = std::clamp(Index, 0, ItemCount());
  int index = initial;
  bool ok = false;
  try {
    if (AllowReplaceStyles && GetFlags().Contains(rvflRoot) && reader.Root) reader.Root->ClearDocProperties();
    // The checkpoint chain continues from the one before the insertion point.
    if (AllowReplaceStyles && GetFlags().Contains(rvflRoot) && reader.Root)
      for (const TRVExtraDocument& extra : reader.Root->ExtraDocumentEntries())
        if (extra.Document && extra.Document != this) extra.Document->Clear();
    if (index >= ItemCount()) {
      reader.PrevCP = LastCP;
      if (!EditFlag) reader.PendingCP = NotAddedCP;
    } else {
      reader.PrevCP = FindCheckpointBefore(index);
    }
    // The rest of the stream in one buffer: a memory stream's own block, read in place, or a copy.
    const std::int64_t position = Stream->GetPosition();
    const std::int64_t left = std::max<std::int64_t>(Stream->GetSize() - position, 0);
    std::string data;
    const char* bytes = nullptr;
    auto* memory = dynamic_cast<TCustomMemoryStream*>(Stream);
    if (memory && memory->Memory()) {
      bytes = static_cast<const char*>(memory->Memory()) + position;
      Stream->SetPosition(position + left);
    } else if (left > 0) {
      data.resize(static_cast<std::size_t>(left));
      Stream->ReadBuffer(data.data(), left);
      bytes = data.data();
    }
    int newCount = 0;
    ok = reader.Read(bytes ? bytes : "", static_cast<std::size_t>(left), index, newCount);
    NewItemCount = newCount;
    RVFInserted = newCount > 0;
    if (!EditFlag && ItemCount() > 0) UnifyParagraphStyle(std::min(initial, ItemCount() - 1));
  } catch (...) {
    RVRethrowUnlessDataError();
    ok = false;
  }
  FullReformat = reader.FullReformat;
  FailedBecauseOfProtect = reader.FailedBecauseOfProtect;
  if (reader.TemplatesRead && reader.Root && reader.Root->UseStyleTemplates &&
      reader.Root->StyleTemplateInsertMode != rvstimIgnoreSourceStyleTemplates && !State.Contains(rvstLoadingAsSubDoc)) {
    try {
      DoStyleTemplatesChange();
    } catch (...) {
      RVRethrowUnlessDataError();
      ok = false;
    }
  }
  // A checkpoint left at the end of the document becomes its end checkpoint.
  if (reader.PendingCP) {
    if (reader.PendingCP == NotAddedCP) {
      reader.PendingCP = nullptr;
    } else if (ok && index + NewItemCount >= ItemCount() && !NotAddedCP) {
      NotAddedCP = reader.PendingCP;
      ++CPCount;
      reader.PendingCP = nullptr;
    }
  }
  if (NewItemCount > 0) Index = index;
  UpdateCheckpointItemNumbers();
  return ok;
}

bool TCustomRVData::InsertRVFFromStream(TStream* Stream, int Index, TColor& Color, TObject* Background,
                                        TRVLayoutInfo* Layout, bool AllowReplaceStyles) {
  bool fullReformat = false, inserted = false, protect = false;
  int count = 0;
  return DoInsertRVFFromStream(Stream, Index, fullReformat, inserted, protect, count, Layout, Background, Color, false,
                               false, AllowReplaceStyles, 0);
}

bool TCustomRVData::AppendRVFFromStream(TStream* Stream, int ParaNo, TColor& Color, TObject* Background) {
  bool fullReformat = false, inserted = false, protect = false;
  int count = 0;
  int index = ItemCount();
  return DoInsertRVFFromStream(Stream, index, fullReformat, inserted, protect, count, nullptr, Background, Color,
                               false, true, false, ParaNo);
}

bool TCustomRVData::LoadRVFFromStream(TStream* Stream, TColor& Color, TObject* Background, TRVLayoutInfo* Layout) {
  return LoadRVFFromStreamEx(Stream, Color, Background, Layout, nullptr, nullptr);
}

bool TCustomRVData::LoadRVFFromStreamEx(TStream* Stream, TColor& Color, TObject* Background, TRVLayoutInfo* Layout,
                                        TRVStyleTemplateCollection* ReadStyleTemplates,
                                        TRVStyleTemplateNameList* ReadStyleTemplateNames) {
  try {
    Clear();
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
  bool fullReformat = false, inserted = false, protect = false;
  int count = 0, index = 0;
  return DoInsertRVFFromStream(Stream, index, fullReformat, inserted, protect, count, Layout, Background, Color, false,
                               false, true, 0, ReadStyleTemplates, ReadStyleTemplateNames);
}

bool TCustomRVData::LoadRVF(const TRVUnicodeString& FileName, TColor& Color, TObject* Background,
                            TRVLayoutInfo* Layout) {
  try {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
    return LoadRVFFromStream(&stream, Color, Background, Layout);
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

TRVFWarnings TCustomRVData::GetRVFWarnings() {
  TRVDataRootProperties* rp = GetRootProperties();
  return rp ? rp->RVFWarnings : TRVFWarnings{};
}
