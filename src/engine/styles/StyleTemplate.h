// Style templates: named, inheritable formatting definitions applied to text and paragraph styles.
#pragma once

#include "engine/styles/CustomRVInfo.h"

class TRVStyleTemplateCollection : public TCollection {
  TAVRELO_PERSISTENT(TRVStyleTemplateCollection, TCollection)
 public:
  explicit TRVStyleTemplateCollection(TPersistent* AOwner);
  TPersistent* GetOwner() const override { return FOwner; }
  void UpdateReferences();

 private:
  TPersistent* FOwner;
};
