// The printable document: page geometry answers and drawing one page.
#include "engine/print/PtblRVData.h"

#include "engine/document/RVNoteItems.h"
#include "engine/layout/DrawLines.h"
#include "platform/graphics/Pictures.h"

TCustomPrintableRVData::TCustomPrintableRVData(TRVRootDataViewer* AViroZere)
    : TViroZereRVData(AViroZere), FPrintableViewer(dynamic_cast<TRVPrintableViewer*>(AViroZere)) {}

TCustomPrintableRVData::~TCustomPrintableRVData() = default;

TRVPrintHost* TCustomPrintableRVData::GetRVPrint() const {
  return FPrintableViewer ? FPrintableViewer->GetRVPrintHost() : nullptr;
}

TRVDocWidthChangeStates TCustomPrintableRVData::GetDrawingStates(bool NoCaching, bool Reformatting,
                                                                 bool UseFormatCanvas, bool ThisLevelOnly) {
  TRVDocWidthChangeStates s =
      TViroZereRVData::GetDrawingStates(NoCaching, Reformatting, UseFormatCanvas, ThisLevelOnly);
  if (NoMetafiles()) s.Include(rvdwcsNoMetafiles);
  if (TRVPrintHost* p = GetRVPrint(); p && p->GetMetafileCompatibility()) s.Include(rvdwcsMetafileCompatibility);
  return s;
}

void TCustomPrintableRVData::GetDrawItemsRange(int /*PageNo*/, int& StartNo, int& EndNo, int& Part) {
  StartNo = 0;
  EndNo = DrawItems ? DrawItems->Count() - 1 : -1;
  Part = -1;
}

void TCustomPrintableRVData::GetPrintableItemsRange(int& MinItemNo, int& MaxItemNo) {
  MinItemNo = 0;
  MaxItemNo = ItemCount() - 1;
}

void TCustomPrintableRVData::CalcFootnotesCoords(TList* References, int PageNo) {
  if (FPrintableViewer) FPrintableViewer->CalcFootnotesCoords(References, PageNo);
}
