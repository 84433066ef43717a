#include "engine/tables/RVTableRVF.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDataRootTypes.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVTextItems.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "engine/layout/RVBack.h"
#include "engine/layout/RVFormattedData.h"
#include "engine/styles/RVStyle.h"
#include "engine/tables/RVTable.h"
#include "engine/tables/RVTablePrint.h"
#include "platform/base/NLS.h"
#include "platform/graphics/Pictures.h"

namespace rvtablervf_detail {

const UnicodeString WrongEndOfCells = u"Wrong end of cells list";

// A grid of up to this many positions is accepted from any stream; beyond it every position must
// be matched by a byte still unread. A merged cell covers many positions with one record, so the
// bound cannot be tighter without refusing real tables; it keeps a damaged count from making
// millions of cell documents.
constexpr std::int64_t FreePositions = 4096;

std::int64_t BytesLeft(TStream& s) { return s.GetSize() - s.GetPosition(); }

// Puts Info on the table for the time of one operation and restores the previous one.
class TSaveInfoScope {
 public:
  TSaveInfoScope(TRVTableItemInfo* Table, TRVTableStreamSaveInfo* Info) : FTable(Table), FPrev(Table->FStreamSaveInfo) {
    Table->FStreamSaveInfo = Info;
  }
  ~TSaveInfoScope() { FTable->FStreamSaveInfo = FPrev; }
  TSaveInfoScope(const TSaveInfoScope&) = delete;
  TSaveInfoScope& operator=(const TSaveInfoScope&) = delete;

 private:
  TRVTableItemInfo* FTable;
  TRVTableStreamSaveInfo* FPrev;
};

class TExportScope {
 public:
  explicit TExportScope(TRVTableItemInfo* Table) : FTable(Table) { Table->StartExport(); }
  ~TExportScope() { FTable->EndExport(); }
  TExportScope(const TExportScope&) = delete;
  TExportScope& operator=(const TExportScope&) = delete;

 private:
  TRVTableItemInfo* FTable;
};

TRVFOptions OptionsOf(TCustomRVData* RVData) {
  TRVDataRootProperties* rp = RVData ? RVData->GetRootProperties() : nullptr;
  return rp ? rp->RVFOptions : TRVFOptions{rvfoSavePicturesBody, rvfoSaveBinary};
}

// "BackgroundImg": a 32-bit length, the picture's class name, the picture with its size.
void WriteBackgroundImg(TStream& s, TGraphic* Graphic, TRVGraphicHolder* Holder) {
  std::string cls;
  for (char16_t c : Graphic->ClassName()) cls += static_cast<char>(c & 0xFF);
  const auto n = static_cast<std::int32_t>(cls.size());
  s.WriteBuffer(&n, 4);
  if (n > 0) s.WriteBuffer(cls.data(), n);
  Holder->SaveToStream(s, true);
}

// Nil when the block is empty or holds no readable picture. The class name's length is checked
// against the bytes left before anything is allocated for it.
std::unique_ptr<TGraphic> ReadBackgroundImg(TStream& s, bool IgnoreClasses, bool& Present) {
  Present = BytesLeft(s) > 0;
  if (!Present) return nullptr;
  std::int32_t n = 0;
  s.ReadBuffer(&n, 4);
  if (n < 0 || n > BytesLeft(s)) throw EReadError(u"Invalid picture class name");
  std::string cls(static_cast<std::size_t>(n), '\0');
  if (n > 0) s.ReadBuffer(cls.data(), n);
  TGraphicClass gc = nullptr;
  if (!IgnoreClasses && GraphicHandler) gc = GraphicHandler->GetGraphicClass(AnsiStringToUnicode(cls));
  if (gc && GraphicHandler) {
    std::unique_ptr<TGraphic> g = GraphicHandler->CreateGraphic(gc);
    if (g && LoadGraphicFromSizedStream(&s, g.get())) return g;
    return nullptr;
  }
  return CreateGraphicFromSizedStream(&s);
}

bool IgnoreGraphicClasses(TRVTableItemInfo* Table) {
  TCustomRVData* data = Table->GetRows() ? Table->GetRows()->FMainRVData : nullptr;
  return OptionsOf(data).Contains(rvfoIgnoreGraphicClasses);
}

// The rows a write covers: heading rows first (print parts), then the rectangle's rows.
std::vector<int> WrittenRows(TRVTableItemInfo* Table, const TRVTableStreamSaveInfo& Info, int& HeadingCount) {
  std::vector<int> rows;
  HeadingCount = 0;
  if (Info.SaveHeadingRows)
    HeadingCount = std::clamp(Table->GetHeadingRowCount(), 0, std::min(Info.TopRow, Table->RowCount()));
  for (int r = 0; r < HeadingCount; ++r) rows.push_back(r);
  for (int r = Info.TopRow; r < Info.TopRow + Info.RowCount && r < Table->RowCount(); ++r) rows.push_back(r);
  return rows;
}

// Merges the rectangle at (Row, Col) of a grid being read: the cells it covers are freed and their
// positions become nil. Unlike an editing merge it moves no content (the covered cells are new or
// are overwritten by the stream) and refuses, as damaged data, a rectangle that reaches into
// another merged cell.
void MergeForReading(TRVTableRows* Rows, int Row, int Col, int ColSpan, int RowSpan) {
  if (ColSpan < 1 || RowSpan < 1) throw EReadError(u"Invalid cell span");
  const int rowCount = Rows->Count();
  const int colCount = Rows->GetRow(Row)->Count();
  RowSpan = std::min(RowSpan, rowCount - Row);
  ColSpan = std::min(ColSpan, colCount - Col);
  TRVTableCellData* main = Rows->GetRow(Row)->GetCell(Col);
  if (RowSpan == main->FRowSpan && ColSpan == main->FColSpan) return;
  for (int r = Row; r < Row + RowSpan; ++r)
    for (int c = Col; c < Col + ColSpan; ++c) {
      if (r == Row && c == Col) continue;
      const bool inOwn = r < Row + main->FRowSpan && c < Col + main->FColSpan;
      if (!inOwn && !Rows->GetRow(r)->GetCell(c)) throw EReadError(u"Overlapping merged cells");
    }
  if (RowSpan < main->FRowSpan || ColSpan < main->FColSpan) throw EReadError(u"Overlapping merged cells");
  for (int r = Row; r < Row + RowSpan; ++r)
    for (int c = Col; c < Col + ColSpan; ++c) {
      if (r == Row && c == Col) continue;
      TRVTableCellData* cell = Rows->GetRow(r)->GetCell(c);
      if (!cell) continue;
      Rows->GetRow(r)->PutCell(c, nullptr);
      delete cell;
    }
  main->FRowSpan = RowSpan;
  main->FColSpan = ColSpan;
}

}  // namespace rvtablervf_detail

using namespace rvtablervf_detail;

// ---- the wrappers ---------------------------------------------------------------------------------

const TClassInfo& TD::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TD>(u"TD", &inherited::StaticClassInfo()).Object(u"c", &TD::GetCell).Build();
  return info;
}

const TClassInfo& TRVTableSW::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TRVTableSW>(u"TRVTableSW", &inherited::StaticClassInfo())
                                     .Object(u"T", &TRVTableSW::GetT)
                                     .Build();
  return info;
}

void TRVTableSW::DefineProperties(TFiler& Filer) {
  TRVTableItemInfo* t = FTable;
  Filer.DefineProperty(
      u"C", [this, t](TReader& r) { t->ReadCells(r, FTD); }, [this, t](TWriter& w) { t->WriteCells(w, FTD); }, true);
  const bool writing = dynamic_cast<TWriter*>(&Filer) != nullptr;
  Filer.DefineProperty(
      u"RowVAlign", [t](TReader& r) { t->ReadRowVAlign(r); }, [t](TWriter& w) { t->WriteRowVAlign(w); },
      writing && t->HasRowVAlign());
  Filer.DefineProperty(
      u"RowPageBreakBefore", [t](TReader& r) { t->ReadRowFlags(r, true); },
      [t](TWriter& w) { t->WriteRowFlags(w, true); }, writing && t->HasRowFlag(true));
  Filer.DefineProperty(
      u"RowKeepTogether", [t](TReader& r) { t->ReadRowFlags(r, false); },
      [t](TWriter& w) { t->WriteRowFlags(w, false); }, writing && t->HasRowFlag(false));
}

// ---- the body stream ------------------------------------------------------------------------------

void TRVTableItemInfo::WriteBody(TStream* Stream, TRVTableStreamSaveInfo& Info) {
  TSaveInfoScope scope(this, &Info);
  TRVTableSW sw;
  sw.FTable = this;
  TRVWriter writer(*Stream);
  writer.WriteRootComponent(&sw);
}

bool TRVTableItemInfo::ReadBody(TStream* Stream, TRVTableStreamSaveInfo& Info) {
  TSaveInfoScope scope(this, &Info);
  TRVTableSW sw;
  sw.FTable = this;
  try {
    TReader reader(*Stream);
    reader.ReadRootComponent(&sw);
  } catch (...) {
    RVRethrowUnlessDataError();
    Info.LoadResult = false;
  }
  FState.Include(rvtsModified);
  return Info.LoadResult;
}

void TRVTableItemInfo::WriteCells(TWriter& Writer, TD& td) {
  TRVTableStreamSaveInfo& info = *FStreamSaveInfo;
  TExportScope exportScope(this);
  int h = 0;
  const std::vector<int> rows = WrittenRows(this, info, h);
  Writer.WriteInteger(static_cast<std::int32_t>(rows.size()));
  if (rows.empty()) return;
  const int left = info.LeftCol;
  const int right = std::min(info.LeftCol + info.ColCount, ColCount());
  Writer.WriteInteger(static_cast<std::int32_t>(right - left));
  Writer.WriteListBegin();
  // The normalized cell selection, for selection saves.
  int selTop = 0, selLeft = 0, selBottom = -1, selRight = -1;
  if (info.SelectionOnly && FSelStartRow >= 0) {
    selTop = std::min(FSelStartRow, FSelStartRow + FSelRowOffs);
    selBottom = std::max(FSelStartRow, FSelStartRow + FSelRowOffs);
    selLeft = std::min(FSelStartCol, FSelStartCol + FSelColOffs);
    selRight = std::max(FSelStartCol, FSelStartCol + FSelColOffs);
  }
  const bool printPart = info.Part != nullptr;
  std::set<const TRVTableCellData*> written;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int r = rows[i];
    const bool heading = static_cast<int>(i) < h;
    const bool firstRectRow = static_cast<int>(i) == h;
    // Rows left in the block the row belongs to: merged cells are cut at its edge.
    const int blockEnd = heading ? h : info.TopRow + info.RowCount;
    for (int c = left; c < right; ++c) {
      info.CellPage = 1;
      info.CellPtblRVData = nullptr;
      TRVTableCellData* cell = GetCells(r, c);
      int mr = r, mc = c;
      if (!cell && !heading) {
        TRVTableCellData* main = FRows->GetMainCell(r, c, mr, mc);
        if (printPart) {
          if (firstRectRow && mc == c) cell = main;
        } else if ((firstRectRow || c == left) && main && !(mr >= info.TopRow && mc >= left) && !written.count(main)) {
          cell = main;
        }
      }
      if (!cell) continue;
      written.insert(cell);
      if (printPart && !heading) {
        // The page of the cell's printable copy that this part shows.
        auto* part = static_cast<TRVTablePrintPart*>(info.Part);
        if (firstRectRow && part->FTableTopCutLine && c < part->FTableTopCutLine->Count())
          info.CellPage = part->FTableTopCutLine->Get(c);
        if (auto* owner = dynamic_cast<TRVTablePrintInfo*>(part->GetOwner()))
          info.CellPtblRVData = owner->GetCellCopy(mr, mc);
      }
      const int colSpan = std::min(right - c, mc + cell->FColSpan - c);
      const int rowSpan = std::min(blockEnd - r, mr + cell->FRowSpan - r);
      Writer.WriteInteger(static_cast<std::int32_t>(colSpan));
      Writer.WriteInteger(static_cast<std::int32_t>(rowSpan));
      const bool selected = mr >= selTop && mr <= selBottom && mc >= selLeft && mc <= selRight;
      info.NoContentCell = info.SelectionOnly && !selected ? cell : nullptr;
      td.FCell = cell;
      Writer.WriteComponent(&td);
      info.NoContentCell = nullptr;
    }
  }
  Writer.WriteListEnd();
}

void TRVTableItemInfo::ReadCells(TReader& Reader, TD& td) {
  TRVTableStreamSaveInfo& info = *FStreamSaveInfo;
  Fmt->Clear();
  FState.Include(rvtsModified);
  const std::int32_t n = Reader.ReadInteger();
  if (n < 0) throw EReadError(WrongEndOfCells);
  const bool positioned = info.TopRow != 0 || info.LeftCol != 0 || info.NoReset;
  if (n == 0) {
    if (!positioned) FRows->Reset(0, 0);
    info.RowCount = info.ColCount = 0;
    return;
  }
  const std::int32_t m = Reader.ReadInteger();
  const std::int64_t left = BytesLeft(Reader.Stream());
  if (m < 0 || n > left || m > left || static_cast<std::int64_t>(n) * m > left + FreePositions)
    throw EReadError(u"Invalid table size");
  if (positioned) {
    if (RowCount() < info.TopRow + n || ColCount() < info.LeftCol + m) throw EReadError(WrongEndOfCells);
  } else {
    FRows->Reset(n, m);
  }
  Reader.ReadListBegin();
  info.RowCount = n;
  info.ColCount = m;
  for (int r = info.TopRow; r < info.TopRow + n; ++r)
    for (int c = info.LeftCol; c < info.LeftCol + m; ++c) {
      TRVTableCellData* cell = GetCells(r, c);
      if (!cell) continue;
      if (Reader.EndOfList()) throw EReadError(WrongEndOfCells);
      const std::int32_t colSpan = Reader.ReadInteger();
      const std::int32_t rowSpan = Reader.ReadInteger();
      MergeForReading(FRows.get(), r, c, colSpan, rowSpan);
      // A damaged cell ends the whole read: ReadBody turns the error into a failed load.
      cell->ResetProperties();
      td.FCell = cell;
      Reader.ReadComponent(&td);
    }
  if (!Reader.EndOfList()) throw EReadError(WrongEndOfCells);
  Reader.ReadListEnd();
}

bool TRVTableItemInfo::HasRowVAlign() {
  if (!FStreamSaveInfo) return false;
  int h = 0;
  for (int r : WrittenRows(this, *FStreamSaveInfo, h))
    if (FRows->GetRow(r)->FVAlign != rvcTop) return true;
  return false;
}

bool TRVTableItemInfo::HasRowFlag(bool PageBreak) {
  if (!FStreamSaveInfo) return false;
  int h = 0;
  for (int r : WrittenRows(this, *FStreamSaveInfo, h)) {
    TRVTableRow* row = FRows->GetRow(r);
    if (PageBreak ? row->FPageBreakBefore : row->FKeepTogether) return true;
  }
  return false;
}

void TRVTableItemInfo::WriteRowVAlign(TWriter& Writer) {
  int h = 0;
  Writer.WriteListBegin();
  for (int r : WrittenRows(this, *FStreamSaveInfo, h))
    Writer.WriteInteger(static_cast<std::int32_t>(FRows->GetRow(r)->FVAlign));
  Writer.WriteListEnd();
}

void TRVTableItemInfo::WriteRowFlags(TWriter& Writer, bool PageBreak) {
  int h = 0;
  Writer.WriteListBegin();
  for (int r : WrittenRows(this, *FStreamSaveInfo, h)) {
    TRVTableRow* row = FRows->GetRow(r);
    Writer.WriteBoolean(PageBreak ? row->FPageBreakBefore : row->FKeepTogether);
  }
  Writer.WriteListEnd();
}

void TRVTableItemInfo::ReadRowVAlign(TReader& Reader) {
  const TRVTableStreamSaveInfo& info = *FStreamSaveInfo;
  Reader.ReadListBegin();
  for (int r = info.TopRow; !Reader.EndOfList(); ++r) {
    const std::int32_t v = Reader.ReadInteger();
    if (v < rvcTop || v > rvcVDefault) throw EReadError(u"Invalid row alignment");
    if (r < info.TopRow + info.RowCount && r < RowCount()) FRows->GetRow(r)->FVAlign = static_cast<TRVCellVAlign>(v);
  }
  Reader.ReadListEnd();
}

void TRVTableItemInfo::ReadRowFlags(TReader& Reader, bool PageBreak) {
  const TRVTableStreamSaveInfo& info = *FStreamSaveInfo;
  Reader.ReadListBegin();
  for (int r = info.TopRow; !Reader.EndOfList(); ++r) {
    const bool v = Reader.ReadBoolean();
    if (r >= info.TopRow + info.RowCount || r >= RowCount()) continue;
    (PageBreak ? FRows->GetRow(r)->FPageBreakBefore : FRows->GetRow(r)->FKeepTogether) = v;
  }
  Reader.ReadListEnd();
}

void TRVTableItemInfo::DefineProperties(TFiler& Filer) {
  TRVFullLineItemInfo::DefineProperties(Filer);
  const bool pictures = FStreamSaveInfo && FStreamSaveInfo->SavePictures;
  Filer.DefineBinaryProperty(
      u"BackgroundImg",
      [this](TStream& s) {
        bool present = false;
        std::unique_ptr<TGraphic> g = ReadBackgroundImg(s, IgnoreGraphicClasses(this), present);
        if (!present) return;
        SetBackgroundImage(nullptr);
        if (g) SetBackgroundImage(g.get());
      },
      [this](TStream& s) { WriteBackgroundImg(s, GetBackgroundImage(), GetBackgroundImageGraphicHolder()); },
      pictures && HasBackgroundImage() && GetBackgroundImage());
}

void TRVTableCellData::DefineProperties(TFiler& Filer) {
  TRVItemFormattedData::DefineProperties(Filer);
  TRVTableItemInfo* table = GetTable();
  TRVTableStreamSaveInfo* info = table ? table->FStreamSaveInfo : nullptr;
  const bool content = !(info && info->NoContentCell == this);
  Filer.DefineBinaryProperty(
      u"Data",
      [this, info](TStream& s) {
        Clear();
        TColor color = clNone;
        if (!InsertRVFFromStream(&s, 0, color, nullptr, nullptr, false)) {
          if (info) info->LoadResult = false;
          throw EReadError(u"Cell document could not be read");
        }
      },
      [this, info](TStream& s) {
        // A printed part saves the page of the cell's printable copy it shows (none when the cell
        // finished on an earlier page).
        auto* copy = info ? dynamic_cast<TCustomMultiPagePtblRVData*>(info->CellPtblRVData) : nullptr;
        if (copy && copy->Pages && copy->Pages->Count() > 0) {
          if (info->CellPage > 0 &&
              !copy->SavePageAsRVF(&s, std::min(info->CellPage, copy->Pages->Count()), clNone, nullptr, nullptr))
            throw EWriteError(u"Stream write error");
          return;
        }
        if (!SaveRVFToStreamEx(&s, rvfss_Full, clNone, nullptr, nullptr, false))
          throw EWriteError(u"Stream write error");
      },
      content && HasData(true));
  Filer.DefineBinaryProperty(
      u"BackgroundImg",
      [this, table](TStream& s) {
        bool present = false;
        std::unique_ptr<TGraphic> g = ReadBackgroundImg(s, table && IgnoreGraphicClasses(table), present);
        if (!present) return;
        SetBackgroundImage(nullptr);
        if (g) SetBackgroundImage(g.get());
      },
      [this](TStream& s) { WriteBackgroundImg(s, GetBackgroundImage(), GetBackgroundImageGraphicHolder()); },
      content && info && info->SavePictures && HasBackgroundImage() && GetBackgroundImage());
}

// ---- the RVF record -------------------------------------------------------------------------------

int TRVTableItemInfo::GetRVFExtraPropertyCount() {
  return TRVFullLineItemInfo::GetRVFExtraPropertyCount() + (FBackgroundImageFileName.empty() ? 0 : 1);
}

void TRVTableItemInfo::SaveRVFExtraProperties(TStream* Stream) {
  TRVFullLineItemInfo::SaveRVFExtraProperties(Stream);
  if (!FBackgroundImageFileName.empty()) WriteRVFExtraCustomStrProperty(Stream, "filename", FBackgroundImageFileName);
}

bool TRVTableItemInfo::SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) {
  if (PropName == "filename") {
    FBackgroundImageFileName = Value;
    return true;
  }
  if (PropName != "colwidths") return false;
  auto w = std::make_unique<TRVTableStoredColWidths>();
  const std::string text = UnicodeToAnsiString(Value);
  const char* p = text.c_str();
  int v = 0;
  if (ReadRVFInteger(p, w->ppxDevice) && ReadRVFInteger(p, w->TableWidth))
    while (*p && ReadRVFInteger(p, v)) w->ColWidths.Add(v);
  FStoredColWidths = std::move(w);
  return true;
}

void TRVTableItemInfo::WriteRecord(TStream* Stream, TCustomRVData* ARVData, int AParaNo, TRVMultiDrawItemPart* Part,
                                   bool /*ForceSameAsPrev*/, const TRVScreenAndDevice* PSaD, bool Selection) {
  const TRVFOptions opts = OptionsOf(ARVData);
  const bool binary = opts.Contains(rvfoSaveBinary);
  const bool pictures = opts.Contains(rvfoSavePicturesBody);
  const bool pchars = ARVData && ARVData->GetOptions().Contains(rvoTagsArePChars);
  TRVTableStreamSaveInfo info(RowCount(), ColCount());
  info.SavePictures = pictures;
  if (auto* part = dynamic_cast<TRVTablePrintPart*>(Part); part && part->FRowIndices.Count() > 1) {
    // A printed page of a split table: the heading rows, then the page's rows. A part that stops
    // on a row boundary repeats its last row in its last entries, so the rows run to the last
    // one printed rather than over the entry count.
    info.SaveHeadingRows = true;
    info.Part = part;
    info.TopRow = part->FRowIndices.Get(0);
    int lastRow = info.TopRow;
    for (int k = 0; k + 1 < part->FRowIndices.Count(); ++k) lastRow = std::max(lastRow, part->FRowIndices.Get(k));
    info.RowCount = std::min(lastRow, RowCount() - 1) - info.TopRow + 1;
  }
  if (Selection && FSelStartRow >= 0) {
    info.SelectionOnly = true;
    info.TopRow = std::max(0, std::min(FSelStartRow, FSelStartRow + FSelRowOffs));
    info.LeftCol = std::max(0, std::min(FSelStartCol, FSelStartCol + FSelColOffs));
    info.RowCount = std::abs(FSelRowOffs) + 1;
    info.ColCount = std::abs(FSelColOffs) + 1;
  }
  // The body first, so that a failure writes nothing of the record.
  TMemoryStream body;
  WriteBody(&body, info);
  const bool colWidths = Part && PSaD && !Selection;
  const int lineCount = GetRVFExtraPropertyCount() + 3 + (colWidths ? 1 : 0);
  WriteRVFLine(Stream, std::to_string(StyleNo) + " " + std::to_string(lineCount) + " " +
                           RVFItemParaRef(ARVData, AParaNo, false) + " " +
                           std::to_string(ItemOptionsForRVF(ItemOptions, false)) + " " + (binary ? "2" : "0") + " " +
                           EncodeRVFStringField(pchars, Tag) + " ");
  WriteRVFLine(Stream, EncodeRVFString(FRVFName));
  SaveRVFExtraProperties(Stream);
  if (colWidths) {
    std::string line = "colwidths=" + std::to_string(PSaD->ppixDevice) + " " + std::to_string(Fmt->FWidth);
    for (int i = 0; i < Fmt->ColWidths.Count(); ++i) line += " " + std::to_string(Fmt->ColWidths.Get(i));
    WriteRVFLine(Stream, line);
  }
  WriteRVFLine(Stream, pictures ? "1" : "2");
  if (binary)
    WriteStreamWithSize(&body, Stream);
  else
    WriteRVFLine(Stream, StreamToHex(&body));
}

void TRVTableItemInfo::SaveRVF(TStream* Stream, TCustomRVData* ARVData, int /*ItemNo*/, int AParaNo,
                               const TRVUnicodeString& Name, TRVMultiDrawItemPart* Part, bool ForceSameAsPrev,
                               const TRVScreenAndDevice* PSaD) {
  FRVFName = Name;
  WriteRecord(Stream, ARVData, AParaNo, Part, ForceSameAsPrev, PSaD, false);
}

void TRVTableItemInfo::SaveRVFSelection(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo) {
  FRVFName =
      ARVData && ItemNo >= 0 && ItemNo < ARVData->ItemCount() ? ARVData->GetItemText(ItemNo) : TRVUnicodeString();
  WriteRecord(Stream, ARVData, AParaNo, nullptr, false, nullptr, true);
}

bool TRVTableItemInfo::ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo,
                                   int LineCount, TRVUnicodeString& Name, TRVFReadMode& ReadMode,
                                   TRVFReadState& ReadState, bool UTF8Strings, bool& AssStyleNameUsed) {
  TRVStyle* st = ARVData ? ARVData->GetRVStyle() : nullptr;
  if (LineCount < 3) return false;
  if (LineNo == 0) {
    Name = DecodeRVFString(s, UTF8Strings, st ? st->DefCodePage : 0);
    FReadSaveType = ReadType;
    return true;
  }
  if (LineNo == LineCount - 2) {
    if (ReadType == 2) ReadMode = rmBeforeBinary;
    FReadSaveType = ReadType;
    if (s == "2") FReadSaveType = ReadType == 0 ? 4 : ReadType == 2 ? 5 : ReadType;
    return true;
  }
  if (LineNo < LineCount - 1)
    return TRVFullLineItemInfo::ReadRVFLine(s, ARVData, ReadType, LineNo, LineCount, Name, ReadMode, ReadState,
                                            UTF8Strings, AssStyleNameUsed);
  TMemoryStream ms;
  if (FReadSaveType == 0 || FReadSaveType == 4) {
    if (!HexToStream(s, &ms)) return false;
  } else if (FReadSaveType == 2 || FReadSaveType == 5) {
    if (!s.empty()) ms.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
    ms.SetPosition(0);
  } else {
    return false;
  }
  if (ARVData && FRows->FMainRVData != ARVData) FRows->FMainRVData = ARVData;
  TRVTableStreamSaveInfo info(RowCount(), ColCount());
  const bool ok = ReadBody(&ms, info);
  ReadState = rstSkip;
  // A stored width list serves only the grid it was made for.
  if (FStoredColWidths && (FStoredColWidths->ppxDevice <= 0 || FStoredColWidths->ColWidths.Count() != ColCount()))
    FStoredColWidths.reset();
  TRVDataRootEvents* events = ARVData ? ARVData->GetRootEvents() : nullptr;
  if (ok && (FReadSaveType == 4 || FReadSaveType == 5) && events) {
    // Pictures were not saved: the application supplies them.
    if (std::unique_ptr<TGraphic> g = events->RVFPictureNeeded(Name, this, -1, -1)) SetBackgroundImage(g.get());
    for (int r = 0; r < RowCount(); ++r)
      for (int c = 0; c < ColCount(); ++c)
        if (TRVTableCellData* cell = GetCells(r, c))
          if (std::unique_ptr<TGraphic> g = events->RVFPictureNeeded(TRVUnicodeString(), this, r, c))
            cell->SetBackgroundImage(g.get());
  }
  return ok;
}

// ---- stand-alone body streams ---------------------------------------------------------------------

void TRVTableItemInfo::SaveRowsToStream(TStream* Stream, int Index, int Count, bool Fragment) {
  SaveRectangleToStream(Stream, Index, 0, Count, ColCount(), false, Fragment);
}

void TRVTableItemInfo::SaveRectangleToStream(TStream* Stream, int TopRow, int LeftCol, int ARowCount, int AColCount,
                                             bool SelectionOnly, bool Fragment) {
  if (FStreamSaveInfo) throw EViroZereError(u"ViroZere Error");
  TRVTableStreamSaveInfo info(ARowCount, AColCount);
  info.TopRow = TopRow;
  info.LeftCol = LeftCol;
  info.SelectionOnly = SelectionOnly;
  info.SavePictures = OptionsOf(FRows->FMainRVData).Contains(rvfoSavePicturesBody);
  const bool hadFragment = FState.Contains(rvtsSavingFragment);
  if (Fragment) FState.Include(rvtsSavingFragment);
  try {
    WriteBody(Stream, info);
  } catch (...) {
    if (!hadFragment) FState.Exclude(rvtsSavingFragment);
    throw;
  }
  if (!hadFragment) FState.Exclude(rvtsSavingFragment);
}

bool TRVTableItemInfo::LoadFromStream(TStream* Stream) { return LoadFromStreamEx(Stream, 0, 0, true); }

bool TRVTableItemInfo::LoadFromStreamEx(TStream* Stream, int StartRow, int StartCol, bool Reset) {
  if (FStreamSaveInfo) throw EViroZereError(u"ViroZere Error");
  TRVTableStreamSaveInfo info(RowCount(), ColCount());
  info.TopRow = StartRow;
  info.LeftCol = StartCol;
  info.NoReset = !Reset;
  return ReadBody(Stream, info);
}

// ---- the formatting stream ------------------------------------------------------------------------

void TRVTableItemInfo::SaveFormattingToStream(TStream* Stream) {
  const std::int32_t tag = -1;
  Stream->WriteBuffer(&tag, 4);
  Fmt->ColWidths.SaveToStream(*Stream);
  Fmt->RowHeights.SaveToStream(*Stream);
  Fmt->ColStarts.SaveToStream(*Stream);
  Fmt->RowStarts.SaveToStream(*Stream);
  const std::int32_t size[2] = {Fmt->FWidth, Fmt->FHeight};
  Stream->WriteBuffer(size, 8);
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData* cell = GetCells(r, c)) {
        const std::int32_t rect[4] = {cell->FLeft, cell->FTop, cell->FWidth, cell->FHeight};
        Stream->WriteBuffer(rect, 16);
        if (!cell->SaveFormattingToStream(Stream)) throw EWriteError(u"Stream write error");
      }
}

void TRVTableItemInfo::LoadFormattingFromStream(TStream* Stream) {
  Fmt->ColWidths.LoadFromStream(*Stream);
  Fmt->RowHeights.LoadFromStream(*Stream);
  Fmt->ColStarts.LoadFromStream(*Stream);
  Fmt->RowStarts.LoadFromStream(*Stream);
  if (Fmt->ColWidths.Count() != ColCount() || Fmt->RowHeights.Count() != RowCount())
    throw EReadError(u"Formatting of another grid");
  std::int32_t size[2] = {};
  Stream->ReadBuffer(size, 8);
  Fmt->FWidth = size[0];
  Fmt->FHeight = size[1];
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData* cell = GetCells(r, c)) {
        std::int32_t rect[4] = {};
        Stream->ReadBuffer(rect, 16);
        cell->FLeft = rect[0];
        cell->FTop = rect[1];
        cell->FWidth = rect[2];
        cell->FHeight = rect[3];
        if (!cell->LoadFormattingFromStream(Stream)) throw EReadError(u"Invalid cell formatting");
      }
}

// ---- loading and insertion hooks ------------------------------------------------------------------

void TRVTableItemInfo::BeforeLoading(TRVLoadFormat FileFormat) {
  if (FileFormat == rvlfRTF || FileFormat == rvlfRVF || FileFormat == rvlfOther) FState.Exclude(rvtsJustCreated);
}

void TRVTableItemInfo::AfterLoading(TRVLoadFormat FileFormat) { AfterLoadingEx(FileFormat, 0, RowCount()); }

void TRVTableItemInfo::AfterLoadingEx(TRVLoadFormat FileFormat, int Row, int ARowCount) {
  for (int r = std::max(Row, 0); r < Row + ARowCount && r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData* cell = GetCells(r, c))
        for (int i = 0; i < cell->ItemCount(); ++i) {
          cell->DoOnAddSpecialItem(i);
          cell->GetItem(i)->AfterLoading(FileFormat);
        }
}

void TRVTableItemInfo::Inserting(TCustomRVData* ARVData, TRVUnicodeString& AText, bool Safe) {
  FRows->FMainRVData = ARVData;
  if (ARVData)
    FState.Include(rvtsInserted);
  else
    FState.Exclude(rvtsInserted);
  if (ARVData && dynamic_cast<TRVEditRVData*>(ARVData->GetRootData()))
    FState.Include(rvtsEditMode);
  else
    FState.Exclude(rvtsEditMode);
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData* cell = GetCells(r, c)) {
        if (cell->ItemCount() == 0) cell->AddNL(TRVUnicodeString(), 0, 0);
        cell->FList = FRows->GetRow(r);
      }
  TRVFullLineItemInfo::Inserting(ARVData, AText, Safe);
}

void TRVTableItemInfo::Inserted(TCustomRVData* ARVData, int ItemNo) {
  TRVCustomTableItemInfo::Inserted(ARVData, ItemNo);
  // Placed in a document (or back from an undo record): property changes are now recorded.
  FState.Include(rvtsInserted);
  if (!FState.Contains(rvtsJustCreated)) return;
  const bool root = ARVData && ARVData->GetFlags().Contains(rvflRoot);
  const bool nested = ARVData && ARVData->GetParentData() != nullptr;
  if (!root && !nested) return;
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c)
      if (TRVTableCellData* cell = GetCells(r, c))
        for (int i = 0; i < cell->ItemCount(); ++i) {
          cell->DoOnAddSpecialItem(i);
          cell->GetItem(i)->Inserted(cell, i);
        }
  FState.Exclude(rvtsJustCreated);
}
