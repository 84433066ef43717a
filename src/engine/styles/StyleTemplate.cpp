#include "engine/styles/StyleTemplate.h"

TRVStyleTemplateCollection::TRVStyleTemplateCollection(TPersistent* AOwner)
    : TCollection(nullptr), FOwner(AOwner) {}

const TClassInfo& TRVStyleTemplateCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVStyleTemplateCollection>(u"TRVStyleTemplateCollection", &inherited::StaticClassInfo())
          .Build();
  return info;
}

void TRVStyleTemplateCollection::UpdateReferences() {}
