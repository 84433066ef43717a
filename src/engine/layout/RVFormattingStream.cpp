// The formatting stream of a document: the four numbers that describe the formatted document,
// then its draw items (written and checked by the draw-item list).
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/document/RVTextItems.h"
#include "platform/base/Classes.h"

namespace {

void Write32(TStream* Stream, std::int32_t V) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(V), static_cast<std::uint8_t>(V >> 8),
                       static_cast<std::uint8_t>(V >> 16), static_cast<std::uint8_t>(V >> 24)};
  Stream->WriteBuffer(b, 4);
}

bool Read32(TStream* Stream, std::int32_t& V) {
  std::uint8_t b[4];
  if (Stream->Read(b, 4) != 4) return false;
  V = static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
  return true;
}

}  // namespace

void TCustomRVFormattedData::Item2DrawItem(int ItemNo, int ItemOffs, int& DrawItemNo, int& DrawItemOffs) {
  DrawItemNo = -1;
  DrawItemOffs = 0;
  int d = Item2FirstDrawItem(ItemNo);
  if (d < 0) return;
  if (GetItem(ItemNo)->StyleNo < 0) {
    DrawItemNo = d;
    DrawItemOffs = ItemOffs;
    return;
  }
  while (d + 1 < DrawItems->Count() && (*DrawItems)[d + 1]->ItemNo == ItemNo && (*DrawItems)[d + 1]->Offs <= ItemOffs)
    ++d;
  DrawItemNo = d;
  DrawItemOffs = ItemOffs - (*DrawItems)[d]->Offs + 1;
}

bool TCustomRVFormattedData::SaveFormattingToStream(TStream* Stream) {
  // The selection of the document being edited is kept in item terms around the writing.
  TCustomRVData* top = GetAbsoluteRootData()->GetTopLevelChosenRVData();
  TCustomRVData* srcData = (top ? top : GetAbsoluteRootData())->GetSourceRVData();
  TCustomRVFormattedData* src = srcData ? srcData->AsFormattedData() : nullptr;
  int s = -1, so = 0, e = -1, eo = 0;
  if (src) src->GetSelectionBoundsEx(s, so, e, eo, false);
  if (DrawItems->Count() > 0) {
    FSelStartNo = FSelEndNo = 0;
    FSelStartOffs = FSelEndOffs = GetOffsBeforeDrawItem(0);
  }
  auto restore = [&] {
    if (!src || s < 0) return;
    TCustomRVData* ed = srcData->Edit();
    if (TCustomRVFormattedData* f = ed ? ed->AsFormattedData() : nullptr) f->SetSelectionBounds(s, so, e, eo);
  };
  const std::int64_t pos = Stream->GetPosition();
  bool ok = false;
  try {
    Write32(Stream, LastItemFormatted);
    Write32(Stream, DocumentWidth);
    Write32(Stream, DocumentHeight);
    Write32(Stream, TextWidth);
    ok = DrawItems->SaveToStream(Stream, GetItems());
    if (!ok) {
      // A draw item the reader could not take back: nothing of this document stays written.
      Stream->SetPosition(pos);
      Stream->SetSize(pos);
    }
  } catch (...) {
    RVRethrowUnlessDataError();
    ok = false;
  }
  restore();
  return ok;
}

bool TCustomRVFormattedData::LoadFormattingFromStream(TStream* Stream) {
  for (int i = 0; i < DrawItems->Count(); ++i) delete (*DrawItems)[i];
  DrawItems->Clear();
  std::int32_t last = 0, docWidth = 0, docHeight = 0, textWidth = 0;
  bool ok = false;
  try {
    ok = Read32(Stream, last) && Read32(Stream, docWidth) && Read32(Stream, docHeight) && Read32(Stream, textWidth) &&
         last >= -1 && last < ItemCount() && DrawItems->LoadFromStream(Stream, GetItems());
  } catch (...) {
    RVRethrowUnlessDataError();
    ok = false;
  }
  if (!ok) {
    // A bad stream leaves nothing half-read: the document is formatted afresh.
    DrawItems->FreeAll();
    for (int i = 0; i < ItemCount(); ++i) GetItem(i)->DrawItemNo = -1;
    LastItemFormatted = -1;
    if (GetRVStyle() && GetCanvas()) Format(false);
    return false;
  }
  LastItemFormatted = last;
  DocumentWidth = docWidth;
  DocumentHeight = docHeight;
  TextWidth = textWidth;
  FSelStartNo = FSelEndNo = -1;
  FSelStartOffs = FSelEndOffs = 0;
  return true;
}
