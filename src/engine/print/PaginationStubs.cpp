#include "engine/print/PtblRVData.h"
void TCustomMultiPagePtblRVData::FormatNextPage(int&, int&, int&, int&, bool&, int&, TRVFootnoteRefList*&, bool) {}
bool TCustomMultiPagePtblRVData::CanPlaceFirstPageHere(int&, bool, const TRVScreenAndDevice&, bool, bool) { return true; }
bool TCustomMultiPagePtblRVData::GetPageNo(TCustomRVData*, int, int, TCustomRVData*, int&, int&, int&, TCustomMultiPagePtblRVData*&) { return false; }
void TCustomMultiPagePtblRVData::GetFirstItemOnPageEx(int, int&, int&, int&) {}
bool TCustomMultiPagePtblRVData::IsComplexSoftPageBreak(int) { return false; }
void TCustomMultiPagePtblRVData::AssignComplexSoftPageBreakToItem(int, TCustomRVData*) {}
bool TCustomMultiPagePtblRVData::SavePageAsRVF(TStream*, int, TColor, TRVBackground*, TRVLayoutInfo*) { return false; }
void TCustomMultiPagePtblRVData::GetSaveScopeRange(int a, int& b, int& c, int& d, int& e, TRVMultiDrawItemPart*& f, TRVMultiDrawItemPart*& g, TCustomRVItemInfo*& h) { TCustomPrintableRVData::GetSaveScopeRange(a,b,c,d,e,f,g,h); }
void TCustomPrintableRVData::DrawPage(int, int, TCanvas*, bool, bool, bool) {}
void TCustomPrintableRVData::DrawBackToBitmapEx(int, int, TBitmap*, const TRVScreenAndDevice&, int, bool, bool, bool, int) {}
void TCustomPrintableRVData::PostFormat(int) {}
void TCustomPrintableRVData::PostFormatPage(int, int, int) {}
