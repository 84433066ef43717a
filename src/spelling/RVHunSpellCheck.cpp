// The interactive check of an editor: the component's side.
#include "spelling/RVHunSpell.h"

void TRVHunSpell::Check(TCustomViroZereEdit* Editor, TRVEnumScope Scope) {
  (void)Editor;
  (void)Scope;
  FDialogShown = false;
}
