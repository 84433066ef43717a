// The formatting stream of the draw items. All integers are signed 32-bit little-endian. A
// record is the kind code and the class's fields from Left on, with no length prefix:
//   kind 0: Left Top Width Height ItemNo Offs TextLength BaseLine, FromNewLine FromNewPara
//           FloatingAboveUsed (one byte each, 0 or 255) and a padding byte       36 bytes
//   kind 1: kind 0, TextWidth SpaceCount LeftNoExpandIndex RightNoExpandIndex   52 bytes
//   kind 2: kind 1, ExtraSpaceBelow                                             56 bytes
//   kind 3: kind 2, ExtraSpaceAbove                                             60 bytes
//   kind 4: kind 3, FloatLeft FloatTop FloatWidth FloatHeight, FloatType (one byte) and three
//           padding bytes                                                       80 bytes
// The first record of each item is followed by the item's own block, which starts with -1 when
// there is one; the stream ends with -2.
#include <algorithm>
#include <cstring>
#include <memory>
#include <typeinfo>

#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"

namespace {

constexpr int FieldBytes[5] = {36, 52, 56, 60, 80};
constexpr int MaxRecordBytes = 4 + 80;
constexpr std::int32_t BlockMarker = -1;
constexpr std::int32_t EndMarker = -2;

void Put32(std::uint8_t* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t Get32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

void Write32(TStream* Stream, std::int32_t v) {
  std::uint8_t b[4];
  Put32(b, v);
  Stream->WriteBuffer(b, 4);
}

// Reads a 32-bit value; false at the end of the stream.
bool Read32(TStream* Stream, std::int32_t& v) {
  std::uint8_t b[4];
  if (Stream->Read(b, 4) != 4) return false;
  v = Get32(b);
  return true;
}

// The kind code of a draw item of one of the five classes the stream carries, -1 for any other
// class (a printing draw item reports a kind code of its parent but carries more).
int StreamKindOf(const TRVDrawLineInfo* d) {
  static const std::type_info* const Classes[5] = {&typeid(TRVDrawLineInfo), &typeid(TRVJustifyDrawLineInfo),
                                                   &typeid(TRVSimpleLineHeightDrawLineInfo),
                                                   &typeid(TRVComplexLineHeightDrawLineInfo),
                                                   &typeid(TRVFloatingDrawLineInfo)};
  const int k = d->GetKindCode();
  if (k < 0 || k > 4) return -1;
  // The same class object first (the usual case, no name comparison), then by name.
  const std::type_info& t = typeid(*d);
  return &t == Classes[k] || t == *Classes[k] ? k : -1;
}

// The record of d (kind code, then fields) into p; answers its length.
int EncodeRecord(const TRVDrawLineInfo* d, int Kind, std::uint8_t* p) {
  std::memset(p, 0, MaxRecordBytes);
  Put32(p, Kind);
  std::uint8_t* f = p + 4;
  const std::int32_t base[8] = {d->Left, d->Top, d->Width, d->Height, d->ItemNo, d->Offs, d->TextLength, d->BaseLine};
  for (int i = 0; i < 8; ++i) Put32(f + 4 * i, base[i]);
  f[32] = d->FromNewLine ? 255 : 0;
  f[33] = d->FromNewPara ? 255 : 0;
  f[34] = d->FloatingAboveUsed ? 255 : 0;
  if (Kind >= 1) {
    Put32(f + 36, d->GetTextWidth());
    Put32(f + 40, d->GetSpaceCount());
    Put32(f + 44, d->GetLeftNoExpandIndex());
    Put32(f + 48, d->GetRightNoExpandIndex());
  }
  if (Kind >= 2) Put32(f + 52, d->GetExtraSpaceBelow());
  if (Kind >= 3) Put32(f + 56, d->GetExtraSpaceAbove());
  if (Kind == 4) {
    const auto* fl = static_cast<const TRVFloatingDrawLineInfo*>(d);
    Put32(f + 60, fl->FloatLeft);
    Put32(f + 64, fl->FloatTop);
    Put32(f + 68, fl->FloatWidth);
    Put32(f + 72, fl->FloatHeight);
    f[76] = static_cast<std::uint8_t>(fl->FloatType);
  }
  return 4 + FieldBytes[Kind];
}

// A draw item of class Kind from its field bytes; nil when a field is out of its range.
std::unique_ptr<TRVDrawLineInfo> DecodeRecord(int Kind, const std::uint8_t* f) {
  if (Kind == 4 && f[76] > rvdifRight) return nullptr;
  std::unique_ptr<TRVDrawLineInfo> d = RVDrawLineInfoClassOfKind(Kind)->Create();
  d->Left = Get32(f);
  d->Top = Get32(f + 4);
  d->Width = Get32(f + 8);
  d->Height = Get32(f + 12);
  d->ItemNo = Get32(f + 16);
  d->Offs = Get32(f + 20);
  d->TextLength = Get32(f + 24);
  d->BaseLine = Get32(f + 28);
  d->FromNewLine = f[32] != 0;
  d->FromNewPara = f[33] != 0;
  d->FloatingAboveUsed = f[34] != 0;
  if (Kind >= 1) {
    d->SetTextWidth(Get32(f + 36));
    d->SetSpaceCount(Get32(f + 40));
    d->SetLeftNoExpandIndex(Get32(f + 44));
    d->SetRightNoExpandIndex(Get32(f + 48));
  }
  if (Kind >= 2) d->SetExtraSpaceBelow(Get32(f + 52));
  if (Kind >= 3) d->SetExtraSpaceAbove(Get32(f + 56));
  if (Kind == 4) {
    auto* fl = static_cast<TRVFloatingDrawLineInfo*>(d.get());
    fl->FloatLeft = Get32(f + 60);
    fl->FloatTop = Get32(f + 64);
    fl->FloatWidth = Get32(f + 68);
    fl->FloatHeight = Get32(f + 72);
    fl->FloatType = static_cast<TRVDItemFloatingType>(f[76]);
  }
  return d;
}

// A draw item read back must name an item of the list, come after the previous one in document
// order, and a text piece must lie inside its item's text. What is known of the previous draw
// item's item is kept, since an item usually has several draw items.
struct TItemCheck {
  const TRVItemList* Items;
  int ItemNo = -1;
  TCustomRVItemInfo* Item = nullptr;
  std::int64_t TextLength = -1;  // -1 for a non-text item

  bool Plausible(const TRVDrawLineInfo* d) {
    if (d->ItemNo < 0) return false;
    if (d->ItemNo != ItemNo) {
      if (d->ItemNo < ItemNo || d->ItemNo >= Items->Count()) return false;
      ItemNo = d->ItemNo;
      Item = Items->GetObject(ItemNo);
      if (!Item) return false;
      TextLength = Item->StyleNo >= 0 ? static_cast<std::int64_t>(Item->ItemText.size()) : -1;
    }
    if (TextLength < 0) return true;
    return d->Offs >= 1 && d->TextLength >= 0 && static_cast<std::int64_t>(d->Offs) - 1 + d->TextLength <= TextLength;
  }
};

}  // namespace

bool TRVDrawLines::SaveToStream(TStream* Stream, const TRVItemList* Items) const {
  // Everything is gathered first, so that a list the stream cannot carry leaves Stream untouched
  // and each draw item is visited once.
  const int n = Count();
  TMemoryStream buf;
  buf.SetCapacity(8 + static_cast<std::int64_t>(n) * (4 + FieldBytes[1]));
  Write32(&buf, n);
  std::uint8_t rec[MaxRecordBytes];
  for (int i = 0; i < n; ++i) {
    const TRVDrawLineInfo* d = (*this)[i];
    const int kind = d ? StreamKindOf(d) : -1;
    if (kind < 0 || !Items || d->ItemNo < 0 || d->ItemNo >= Items->Count()) return false;
    buf.WriteBuffer(rec, EncodeRecord(d, kind, rec));
    if (i == 0 || d->ItemNo != (*this)[i - 1]->ItemNo) Items->GetObject(d->ItemNo)->SaveFormattingToStream(&buf);
  }
  Write32(&buf, EndMarker);
  Stream->WriteBuffer(buf.Memory(), buf.GetSize());
  return true;
}

bool TRVDrawLines::LoadFromStream(TStream* Stream, TRVItemList* Items) {
  Clear();
  try {
    std::int32_t n = 0;
    if (!Items || !Read32(Stream, n)) return false;
    // Every record takes at least 40 bytes, and the end marker follows them.
    const std::int64_t left = Stream->GetSize() - Stream->GetPosition();
    if (n < 0 || static_cast<std::int64_t>(n) * (4 + FieldBytes[0]) + 4 > left) return false;
    SetCapacity(n);
    TItemCheck check{Items};
    bool blockMayFollow = false;  // only right after the first record of an item
    std::uint8_t fields[MaxRecordBytes];
    auto readBlock = [&]() {
      blockMayFollow = false;
      check.Item->LoadFormattingFromStream(Stream);
    };
    auto fail = [&]() {
      FreeAll();
      return false;
    };
    while (Count() < n) {
      std::int32_t v;
      if (!Read32(Stream, v)) return fail();
      if (v == BlockMarker) {
        if (!blockMayFollow) return fail();
        readBlock();
        continue;
      }
      if (v < 0 || v > 4) return fail();
      if (Stream->Read(fields, FieldBytes[v]) != FieldBytes[v]) return fail();
      std::unique_ptr<TRVDrawLineInfo> d = DecodeRecord(v, fields);
      const int prevItemNo = check.ItemNo;
      if (!d || !check.Plausible(d.get())) return fail();
      blockMayFollow = Count() == 0 || d->ItemNo != prevItemNo;
      if (blockMayFollow) check.Item->DrawItemNo = Count();
      Add(d.release());
    }
    std::int32_t v;
    if (!Read32(Stream, v)) return fail();
    if (v == BlockMarker && blockMayFollow) {
      readBlock();
      if (!Read32(Stream, v)) return fail();
    }
    if (v != EndMarker) return fail();
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    FreeAll();
    return false;
  }
}
