#include "engine/foundation/RVSafeSave.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/base/Classes.h"

namespace {

// A name beside the target that no other save of this process uses at the same time.
TRVUnicodeString TemporaryNameFor(const TRVUnicodeString& FileName) {
  static std::atomic<unsigned> counter{0};
  const std::string suffix = "." + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
  return FileName + TRVUnicodeString(suffix.begin(), suffix.end());
}

// Pushes the written data to the disk, so that a full disk is seen here and not after the rename.
bool SyncFile(const std::string& Path) {
  const int fd = ::open(Path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

}  // namespace

bool RVSaveFileSafely(const TRVUnicodeString& FileName, const std::function<bool(TStream*)>& Write) {
  const TRVUnicodeString tempName = TemporaryNameFor(FileName);
  std::string temp, target;
  try {
    temp = FileNameToNative(tempName);
    target = FileNameToNative(FileName);
  } catch (...) {
    return false;
  }
  bool ok = false;
  try {
    TFileStream stream(tempName, fmCreate);
    ok = Write(&stream);
  } catch (...) {
    ok = false;
  }
  if (ok) ok = SyncFile(temp);
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}
