// Sidenotes and text boxes on the pages of a paginated document. Placement and drawing belong to
// the rectangle documents that print them (RVPageRects.h).
#include "engine/print/PtblRVData.h"
#include "engine/print/RVPageRects.h"

void TCustomMultiPagePtblRVData::PrepareSidenotes(TCustomMainPtblRVData* PrintData, TRVHFType HFType) {
  RVPrepareSidenotes(this, PrintData, HFType);
}

void TCustomMultiPagePtblRVData::DrawSidenotes(TCanvas* Canvas, int PageNo, bool PostFormat, bool PositionInText,
                                               bool Correction, bool Preview, bool Printing, int GlobalPageNo) {
  RVDrawSidenotes(this, Canvas, PageNo, PostFormat, PositionInText, Correction, Preview, Printing, GlobalPageNo);
}
