// Saving a file so that a failure never destroys the previous one: the content goes to a
// temporary file beside the target, which replaces the target only when everything was written.
// Symbolic links are followed, so the link stays and the file it names gets the content. The
// replaced file keeps its mode, owner and group; where a rename cannot keep them (the file has
// other hard links, or belongs to someone the process cannot give a file to), the content is
// written into the file itself after a copy of the old content is made beside it, and that copy
// is removed once the file is whole. Every document writer saves through here.
#pragma once

#include <functional>

#include "engine/foundation/RVTypes.h"

class TStream;

// Write fills the stream; it answers false (or raises) on failure. The result is true only when
// Write succeeded, the data reached the file and it replaced the target; on failure the temporary
// file is removed and the target is untouched. Stream, conversion and memory errors give false;
// any other exception (a fault of the writer) goes on to the caller.
bool RVSaveFileSafely(const TRVUnicodeString& FileName, const std::function<bool(TStream*)>& Write);

// A new file beside FileName's final target (symbolic links followed) that no other writer can
// have (".<name>.XXXXXX"), with the target's permissions or those a new file would get. Answers
// its name and leaves it open in Fd. Raises EFCreateError naming FileName with the system's reason.
TRVUnicodeString RVCreateTemporaryBeside(const TRVUnicodeString& FileName, int& Fd);

// Pushes a finished temporary file to the disk (so that a full disk is seen here and not after the
// rename) and puts it in place of FileName's final target as described above; the temporary file
// is gone on success. Answers false with errno set on failure, leaving the target as it was and
// the temporary file to the caller.
bool RVReplaceWithTemporary(const TRVUnicodeString& TempName, const TRVUnicodeString& FileName);
