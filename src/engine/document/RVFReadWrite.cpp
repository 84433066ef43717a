// The native format: the writer of whole documents and the reader that loads, inserts and appends
// RVF with style mapping and warnings. Object items write and read their own records; text
// records, checkpoints and document-level records are handled here.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDocParams.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/styles/FontInfo.h"
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
constexpr int RVFDataDocParameters = 7;
constexpr int RVFDataStyleUnits = 9;
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
bool HexToText(const TRVRawByteString& Hex, TRVUnicodeString& Text) {
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
  for (std::size_t i = 0; i < Text.size(); ++i, h += 4) {
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

class TRVFWriter {
 public:
  TRVFWriter(TCustomRVData* Doc, TStream* Stream) : Doc(Doc), Stream(Stream) {
    TRVDataRootProperties* rp = Doc->GetRootProperties();
    if (rp) Options = rp->RVFOptions;
    St = Doc->GetRVStyle();
    Binary = Options.Contains(rvfoSaveBinary);
    UseNames = Options.Contains(rvfoUseStyleNames);
    PChars = Doc->GetOptions().Contains(rvoTagsArePChars);
  }

  void WriteCheckpoint(TRVCPInfo* CP) {
    if (!CP) return;
    WriteRVFLine(Stream, "-2 1 0 0 0 " + EncodeRVFStringField(PChars, CP->Tag) + " " + (CP->RaiseEvent ? "1" : "0") +
                             " " + (CP->Persistent ? "1" : "0"));
    WriteRVFLine(Stream, EncodeRVFString(CP->Name));
  }

  void WriteStyleCollection(int SubKind, const TRVRawByteString& Name, TCollection* Collection) {
    const TRVRawByteString bytes = CollectionBytes(Collection);
    WriteRVFLine(Stream, "-9 2 0 0 " + Num(Binary ? 2 : 0) + " 0 " + Num(SubKind));
    WriteRVFLine(Stream, Name);
    WriteBlock(bytes);
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

  // The pending record: items First .. First + Count - 1, all text, packed by CanPack.
  void WriteTextRecord(int First, int Count) {
    if (Count <= 0) return;
    TCustomRVItemInfo* item = Doc->GetItem(First);
    WriteCheckpoint(item->Checkpoint);
    const int paraNo = item->GetSameAsPrev() ? -1 : item->ParaNo;
    TRVRawByteString header = EncodeRVFTextStyleRef(St, UseNames, std::max(item->StyleNo, 0)) + " " + Num(Count) +
                              " " + EncodeRVFItemParaRef(St, UseNames, paraNo, paraNo < 0) + " " +
                              Num(ItemOptionsForRVF(item->ItemOptions, false)) + " " + Num(Binary ? 0 : 3) + " " +
                              EncodeRVFStringField(PChars, item->Tag);
    if (!item->Hint.empty()) header += " " + QuotedHint(item->Hint);
    WriteRVFLine(Stream, header);
    for (int i = First; i < First + Count; ++i)
      WriteRVFItemTextLine(Stream, TextBytes(Doc->GetItemTextW(i)), true, !Binary);
  }

  bool CanPack(int Template, int i) const {
    TCustomRVItemInfo* a = Doc->GetItem(Template);
    TCustomRVItemInfo* b = Doc->GetItem(i);
    return !b->GetSameAsPrev() && b->StyleNo >= 0 && b->StyleNo == a->StyleNo && b->ParaNo == a->ParaNo &&
           ItemOptionsForRVF(b->ItemOptions, false) == ItemOptionsForRVF(a->ItemOptions, false) && b->Tag == a->Tag &&
           b->Hint == a->Hint && !b->Checkpoint;
  }

  void WriteItems(int First, int Last) {
    int pendingFirst = -1, pendingCount = 0;
    for (int i = First; i <= Last; ++i) {
      TCustomRVItemInfo* item = Doc->GetItem(i);
      if (pendingCount > 0 && CanPack(pendingFirst, i)) {
        ++pendingCount;
        continue;
      }
      WriteTextRecord(pendingFirst, pendingCount);
      pendingCount = 0;
      if (item->StyleNo >= 0) {
        pendingFirst = i;
        pendingCount = 1;
        continue;
      }
      WriteCheckpoint(item->Checkpoint);
      const int paraNo = item->GetSameAsPrev() ? -1 : item->ParaNo;
      item->SaveRVF(Stream, Doc, i, paraNo, Doc->GetItemTextW(i), nullptr, false, nullptr);
    }
    WriteTextRecord(pendingFirst, pendingCount);
  }

  TCustomRVData* Doc;
  TStream* Stream;
  TRVStyle* St = nullptr;
  TRVFOptions Options;
  bool Binary = false, UseNames = false, PChars = false;
};

}  // namespace

bool TCustomRVData::SaveRVFToStreamEx(TStream* Stream, int SaveScope, TColor /*Color*/, TObject* /*Background*/,
                                      TRVLayoutInfo* Layout, bool Root, const TRVScreenAndDevice* /*sad*/) {
  if (ItemCount() == 0) return true;
  try {
    TRVFWriter w(this, Stream);
    if (SaveScope != rvfss_Selection) DoBeforeSaving();
    WriteRVFLine(Stream, "-8 1 3 2");
    TRVStyle* st = w.St;
    if (Root && st) {
      if (st->Units == rvstuTwips) {
        WriteRVFLine(Stream, "-9 1 0 0 0 0 9");
        WriteRVFLine(Stream, "1");
      }
      WriteRVFLine(Stream, "-9 1 0 0 0 0 13");
      WriteRVFLine(Stream, Num(GetScreenPixelsPerInch()));
      if (w.Options.Contains(rvfoSaveTextStyles)) w.WriteStyleCollection(RVFDataTextStyles, "", st->TextStyles());
      if (w.Options.Contains(rvfoSaveParaStyles)) {
        w.WriteStyleCollection(RVFDataParaStyles, "", st->ParaStyles());
        w.WriteStyleCollection(RVFDataListStyles, "", st->ListStyles());
      }
    }
    if (Root && w.Options.Contains(rvfoSaveDocProperties) && SaveScope != rvfss_Page && SaveScope != rvfss_FromPage) {
      TRVDataRootProperties* rp = GetRootProperties();
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
    if (SaveScope != rvfss_Selection && Layout && w.Options.Contains(rvfoSaveLayout)) {
      const bool onlyPageInfo = GetRootData() != this;
      WriteRVFLine(Stream, "-9 2 0 0 " + Num(w.Binary ? 2 : 0) + " 0 3");
      WriteRVFLine(Stream, "");
      if (w.Binary)
        Layout->SaveToStream(Stream, true, onlyPageInfo);
      else
        Layout->SaveTextToStream(Stream, onlyPageInfo);
    }
    w.WriteItems(0, ItemCount() - 1);
    // A checkpoint after the last item: saved unless the last item is text with text in it.
    if (NotAddedCP) {
      const int last = ItemCount() - 1;
      if (GetItem(last)->StyleNo < 0 || GetItemTextW(last).empty()) w.WriteCheckpoint(NotAddedCP);
    }
    return true;
  } catch (...) {
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
  TRVFReader(TCustomRVData* Doc, bool AllowReplaceStyles, bool AppendMode, int AppendParaNo)
      : Doc(Doc), AllowReplaceStyles(AllowReplaceStyles), AppendMode(AppendMode), AppendParaNo(AppendParaNo) {
    St = Doc->GetRVStyle();
    Root = Doc->GetRootProperties();
    if (Root) Options = Root->RVFOptions;
    CodePage = St ? St->DefCodePage : 0;
  }
  ~TRVFReader() {
    delete PendingCP;
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
  bool AllowReplaceStyles, AppendMode;
  int AppendParaNo;

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
    if (!ReadRVFTextStyleRef(St, P, StyleNo, AssStyleNameUsed, UTF8Strings)) return false;
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
    if (!ReadRVFParaStyleRef(St, P, ParaNo, paraNameUsed, UTF8Strings)) return false;
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
      return ReadRVFInteger(P, style) && ReadRVFInteger(P, color);
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
    if (ParaNo < 0 && InsertIndex > 0 && Doc->ItemCount() > 0 &&
        !Doc->GetItem(InsertIndex - 1)->GetBoolValue(rvbpFullWidth)) {
      item->ItemOptions.Include(rvioSameAsPrev);
      item->ParaNo = Doc->GetItem(InsertIndex - 1)->ParaNo;
    } else {
      item->ItemOptions.Exclude(rvioSameAsPrev);
      item->ParaNo = ParaNo < 0 ? 0 : ParaNo;
    }
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item.get())) {
      if (St && marker->ListNo >= 0) {
        if (ListMap) {
          if (marker->ListNo < ListMap->Count()) {
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
      ++Doc->CPCount;
      TRVCPInfo* cp = PendingCP;
      PendingCP = nullptr;
      Doc->SetCP(item.get(), PrevCP, cp);
      PrevCP = item->Checkpoint;
    }
    TCustomRVItemInfo* raw = item.get();
    if (FirstPending) {
      bool fullReformat = false;
      int newListNo = -1;
      TCustomRVItemInfo* p = item.release();
      if (!Doc->InsertFirstRVFItem(InsertIndex, Text, p, false, fullReformat, newListNo)) {
        delete p;
        return false;
      }
      FirstPending = false;
      if (!p) return true;
      raw = p;
      FirstIndex = InsertIndex;
    } else {
      raw->Inserting(Doc, Text, true);
      Doc->GetItems()->InsertObject(InsertIndex, Text, item.release());
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

  void DropPendingCP() {
    if (PendingCP && PendingCP != Doc->NotAddedCP) delete PendingCP;
    PendingCP = nullptr;
  }

  bool ReadStyles(int Kind, const TRVRawByteString& Part) {
    if (!St) return true;
    TRVRawByteString bytes;
    if (!PartBytes(Part, ReadType, bytes)) return false;
    if (bytes.empty()) return true;
    const TRVFReaderStyleMode mode =
        Kind == RVFDataTextStyles ? (Root ? Root->RVFTextStylesReadMode : rvf_sInsertMerge)
                                  : (Root ? Root->RVFParaStylesReadMode : rvf_sInsertMerge);
    if (mode == rvf_sIgnore) return true;
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
    TMemoryStream ms;
    ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    ms.SetPosition(0);
    TReader r(ms);
    r.OnError = [this](TReader&, const UnicodeString&, bool& handled) {
      Warn(rvfwUnknownStyleProperties);
      handled = true;
    };
    r.ReadCollection(read.get());
    if (St->Units != FileUnits) {
      read->ConvertToDifferentUnits(St->Units);
      Warn(rvfwConvUnits);
    }
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

  bool ReadDocumentData(const TRVRawByteString& Part) {
    const int partNo = DataRead;
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
        if (partNo == 0) {
          if (ReadType == 2) ReadMode = rmBeforeBinary;
        } else if (partNo == 1 && Layout && AllowReplaceStyles && Options.Contains(rvfoLoadLayout)) {
          if (ReadType == 2)
            Layout->LoadBinary(Part);
          else
            Layout->LoadText(Part);
        }
        return true;
      case RVFDataDocProperties:
        if (AllowReplaceStyles && Options.Contains(rvfoLoadDocProperties) && Root &&
            Doc->GetFlags().Contains(rvflRoot))
          Root->DocProperties.push_back(DecodeRVFString(Part, UTF8Strings, CodePage));
        return true;
      case RVFDataDocParameters:
        if (AllowReplaceStyles && Options.Contains(rvfoLoadDocProperties)) {
          if (TRVDocParameters* params = Doc->GetDocParameters(true))
            params->ReadProperyFromString(Part, UTF8Strings, CodePage);
        }
        return true;
      case RVFDataTextStyles:
      case RVFDataParaStyles:
      case RVFDataListStyles:
        if (partNo == 0) {
          if (ReadType == 2) ReadMode = rmBeforeBinary;
          return true;
        }
        if (partNo == 1) return ReadStyles(ExtraValue, Part);
        return true;
      default:
        // Records this reader does not take (layout, markers, templates, objects, extra
        // documents): their parts are passed over, binary ones included.
        if (partNo == 0 && ReadType == 2 && DataCount > 1) ReadMode = rmBeforeBinary;
        return true;
    }
  }

  bool ReadTextPart(const TRVRawByteString& Part) {
    TRVUnicodeString text;
    if (Item->ItemOptions.Contains(rvioUnicode)) {
      if (ReadType == 3) {
        if (!HexToText(Part, text)) return false;
      } else {
        if (Part.size() % 2 != 0) return false;
        text.resize(Part.size() / 2);
        for (std::size_t i = 0; i < text.size(); ++i)
          text[i] = static_cast<char16_t>(static_cast<unsigned char>(Part[2 * i]) |
                                          (static_cast<unsigned char>(Part[2 * i + 1]) << 8));
      }
    } else {
      int s = Item->StyleNo;
      if (s == StyleNoFromParagraph) s = 0;
      text = AnsiToUnicodeCP(Doc->GetStyleCodePage(s), Part);
      Warn(rvfwConvToUnicode);
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
    return InsertItem(item.release(), text);
  }

  bool ProcessPart(const TRVRawByteString& Part, std::size_t BytesLeft) {
    switch (ReadState) {
      case rstHeader: {
        if (!ParseHeader(Part, BytesLeft)) return false;
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
          if (!ReadDocumentData(Part)) return false;
        } else if (StyleNo == RVFRecordBackground) {
          if (DataRead == 0 && ReadType == 2 && DataCount > 1) ReadMode = rmBeforeBinary;
        } else if (StyleNo == RVFRecordCheckpoint) {
          if (!PendingCP) {
            PendingCP = new TRVCPInfo();
            PendingCP->Name = DecodeRVFString(Part, UTF8Strings, CodePage);
            PendingCP->Tag = CPTag;
            PendingCP->RaiseEvent = CPRaiseEvent;
            PendingCP->Persistent = CPPersistent;
          }
        } else if (StyleNo < 0) {
          if (DataRead == 0) Name.clear();
          if (!Item->ReadRVFLine(Part, Doc, ReadType, DataRead, DataCount, Name, ReadMode, ReadState, UTF8Strings,
                                 AssStyleNameUsed))
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

bool TRVFReader::Read(const char* Data, std::size_t Size, int& Index, int& NewItemCount) {
  InsertIndex = Index;
  const char* p = Data;
  const char* const end = Data + Size;
  bool ok = true, truncated = false;
  while (ok && p < end) {
    TRVRawByteString part;
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
      part.assign(p, static_cast<std::size_t>(n));
      p += n;
    } else if (cutMode == rmUnicode) {
      const char* q = p;
      while (end - q >= 2) {
        const unsigned u = static_cast<unsigned char>(q[0]) | (static_cast<unsigned char>(q[1]) << 8);
        if (u == 0x2029 || u == 0) break;
        q += 2;
      }
      if (end - q == 1) q = end;  // an odd last byte belongs to the part (and fails it)
      part.assign(p, static_cast<std::size_t>(q - p));
      p = q;
      if (p == end) truncated = true;  // the writer ends every raw text with U+2029
      if (end - p >= 2 && p[0] == 0 && p[1] == 0) p += 2;
    } else {
      const char* q = p;
      while (q < end && *q != 0 && *q != '\n' && *q != '\r') ++q;
      part.assign(p, static_cast<std::size_t>(q - p));
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
                                          TObject* /*Background*/, TColor& /*Color*/, bool EditFlag, bool AppendMode,
                                          bool AllowReplaceStyles, int AppendParaNo) {
  FullReformat = false;
  RVFInserted = false;
  FailedBecauseOfProtect = false;
  NewItemCount = 0;
  TRVFReader reader(this, AllowReplaceStyles, AppendMode, AppendParaNo);
  reader.Layout = Layout;
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
    if (index >= ItemCount()) {
      reader.PrevCP = LastCP;
      if (!EditFlag) reader.PendingCP = NotAddedCP;
    } else {
      reader.PrevCP = FindCheckpointBefore(index);
    }
    const std::int64_t left = Stream->GetSize() - Stream->GetPosition();
    std::string data;
    if (left > 0) {
      data.resize(static_cast<std::size_t>(left));
      Stream->ReadBuffer(data.data(), left);
    }
    int newCount = 0;
    ok = reader.Read(data.data(), data.size(), index, newCount);
    NewItemCount = newCount;
    RVFInserted = newCount > 0;
    if (!EditFlag && ItemCount() > 0) UnifyParagraphStyle(std::min(initial, ItemCount() - 1));
  } catch (...) {
    ok = false;
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
  try {
    Clear();
  } catch (...) {
    return false;
  }
  return InsertRVFFromStream(Stream, 0, Color, Background, Layout, true);
}

bool TCustomRVData::LoadRVF(const TRVUnicodeString& FileName, TColor& Color, TObject* Background,
                            TRVLayoutInfo* Layout) {
  try {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
    return LoadRVFFromStream(&stream, Color, Background, Layout);
  } catch (...) {
    return false;
  }
}

TRVFWarnings TCustomRVData::GetRVFWarnings() {
  TRVDataRootProperties* rp = GetRootProperties();
  return rp ? rp->RVFWarnings : TRVFWarnings{};
}
