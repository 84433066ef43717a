// The root events of a viewer: the document tree's events (TRVDataRootEvents) with what only a
// viewer raises. The viewer's root data makes one with the viewer as its owner.
#pragma once

#include <functional>

#include "engine/document/CustomRVData.h"

class TRVDataRootEventsEx : public TRVDataRootEvents {
 public:
  using TRVDataRootEvents::TRVDataRootEvents;
  // Raises OnDrawHyperlink when assigned.
  void DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R) override;

  // Set by printing to draw the hyperlinks of a page (for example as link annotations).
  std::function<void(TCustomRVData* RVData, int ItemNo, const TRect& R)> OnDrawHyperlink;
};
