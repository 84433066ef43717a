// Sidenotes and text boxes on the pages of a paginated document. Placement and drawing belong to
// the rectangle documents that print them; a document without them has nothing to place.
#include "engine/print/PtblRVData.h"

void TCustomMultiPagePtblRVData::PrepareSidenotes(TCustomMainPtblRVData* /*PrintData*/, TRVHFType /*HFType*/) {}

void TCustomMultiPagePtblRVData::DrawSidenotes(TCanvas* /*Canvas*/, int /*PageNo*/, bool /*PostFormat*/,
                                               bool /*PositionInText*/, bool /*Correction*/, bool /*Preview*/,
                                               bool /*Printing*/, int /*GlobalPageNo*/) {}
