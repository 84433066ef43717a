// Saving a file so that a failure never destroys the previous one: the content goes to a
// temporary file in the target's folder, which replaces the target only when everything was
// written. The native-format and plain-text writers and the PDF writer share it.
#pragma once

#include <functional>

#include "engine/foundation/RVTypes.h"

class TStream;

// Write fills the stream; it answers false (or raises) on failure. The result is true only when
// Write succeeded, the data reached the file and the rename succeeded; on failure the temporary
// file is removed and FileName is untouched. Never raises.
bool RVSaveFileSafely(const TRVUnicodeString& FileName, const std::function<bool(TStream*)>& Write);

// A new file beside FileName that no other writer can have (".<name>.XXXXXX"), with the target's
// permissions or those a new file would get. Answers its name and leaves it open in Fd. Raises
// EFCreateError with the system's reason.
TRVUnicodeString RVCreateTemporaryBeside(const TRVUnicodeString& FileName, int& Fd);

// Pushes a finished temporary file to the disk (so that a full disk is seen here and not after the
// rename) and renames it over FileName. Answers false on failure, leaving both files as they were.
bool RVReplaceWithTemporary(const TRVUnicodeString& TempName, const TRVUnicodeString& FileName);
