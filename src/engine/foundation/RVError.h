// The engine's own exception: misuse and internal inconsistencies raise it with a fixed text.
#pragma once

#include "platform/base/SysUtils.h"

TAVRELO_EXCEPTION(EViroZereError, Exception)
