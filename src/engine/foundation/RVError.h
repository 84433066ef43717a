// The engine's own exception: misuse and internal inconsistencies raise it with a fixed text.
#pragma once

#include "platform/base/SysUtils.h"

TAVRELO_EXCEPTION(EViroZereError, Exception)

// For a loader's or writer's handler of any exception: returns when the
// exception is a failure of the data read or written (a stream, read or conversion error, a
// picture that cannot be decoded, the engine's own refusal of malformed data, memory running
// out), which the caller answers as its failure; anything else is a fault of the program (an
// index error, a broken assertion) and is raised again, so that tests and fuzzing see it.
void RVRethrowUnlessDataError();
