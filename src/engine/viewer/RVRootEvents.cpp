#include "engine/viewer/RVRootEvents.h"

void TRVDataRootEventsEx::DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) {
  if (OnDrawHyperlink) OnDrawHyperlink(RVData, ItemNo, R);
}
