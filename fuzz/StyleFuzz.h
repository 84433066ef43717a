// Shared by the style sheet targets: visiting what a sheet holds, as drawing and saving would.
#pragma once

#include "engine/styles/ListInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/StyleTemplate.h"

namespace fuzz {

inline void VisitSheet(TRVStyle& s) {
  for (int i = 0; i < s.TextStyles()->Count(); ++i) s.TextStyles()->Items(i)->SimilarityValue(s.TextStyles()->Items(0));
  for (int i = 0; i < s.ParaStyles()->Count(); ++i) s.ParaStyles()->Items(i)->IsEqual(s.ParaStyles()->Items(0), {});
  for (int k = 0; k < s.ListStyles()->Count(); ++k)
    for (int j = 0; j < s.ListStyles()->Items(k)->Levels()->Count(); ++j)
      s.ListStyles()->Items(k)->Levels()->Items(j)->GetDisplayName();
  for (int i = 0; i < s.StyleTemplates()->Count(); ++i) s.StyleTemplates()->Items(i)->GetName();
}

}  // namespace fuzz
