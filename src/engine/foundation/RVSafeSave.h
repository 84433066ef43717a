// Saving a file so that a failure never destroys the previous one: the content goes to a
// temporary file in the target's folder, which replaces the target only when everything was
// written. The native-format and plain-text writers share it.
#pragma once

#include <functional>

#include "engine/foundation/RVTypes.h"

class TStream;

// Write fills the stream; it answers false (or raises) on failure. The result is true only when
// Write succeeded, the data reached the file and the rename succeeded; on failure the temporary
// file is removed and FileName is untouched. Never raises.
bool RVSaveFileSafely(const TRVUnicodeString& FileName, const std::function<bool(TStream*)>& Write);
