#include "engine/foundation/RVStartUp.h"

#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVThemes.h"
#include "engine/foundation/RVUni.h"
#include "engine/foundation/RVUniscribeGrIn.h"

void RegisterFoundation() {
  static bool done = false;
  if (done) return;
  done = true;
  InitUnicodeHelpers();
  RegisterClipboardFormats();
  LoadUniscribe();
  LoadXPThemeLibrary();
}
