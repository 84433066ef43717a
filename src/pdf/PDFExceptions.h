// Exceptions of the PDF writer.
#pragma once

#include "platform/base/SysUtils.h"

TAVRELO_EXCEPTION(EPDFException, Exception)
// Failures of signing: keys too small for the digest, values that cannot change.
TAVRELO_EXCEPTION(EPDFSignatureException, EPDFException)
