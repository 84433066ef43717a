// The interactive check of an editor: the component's side.
#include "spelling/RVHunSpell.h"
#include "spelling/RVHunSpellHelper.h"

void TRVHunSpell::Check(TCustomViroZereEdit* Editor, TRVEnumScope Scope) {
  FDialogShown = false;
  TRVHunSpellHelper helper(this);
  struct TCopyShown {
    TRVHunSpellHelper& H;
    bool& Shown;
    ~TCopyShown() { Shown = H.GetDialogShown(); }
  } copy{helper, FDialogShown};
  helper.Check(Editor, Scope);
}
