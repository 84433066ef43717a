// Keyboard handling of the editor control.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

bool TCustomViroZereEdit::KeyDispatch(TMessage& Message) { return false; }
