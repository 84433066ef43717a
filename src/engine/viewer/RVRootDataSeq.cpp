// The sequence list of a root data is made and freed here: the label items' header, which
// declares the sequence list, and the window controls' header cannot share a unit.
#include "engine/document/RVSeqItem.h"

TRVSeqList* RVNewRootSeqList() { return new TRVSeqList(); }

void RVFreeRootSeqList(TRVSeqList* List) { delete List; }
