#include "engine/foundation/RVSafeSave.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

namespace {

// Pushes the written data to the disk, so that a full disk is seen here and not after the rename.
bool SyncFile(const std::string& Path) {
  const int fd = ::open(Path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

}  // namespace

TRVUnicodeString RVCreateTemporaryBeside(const TRVUnicodeString& FileName, int& Fd) {
  const std::string native = FileNameToNative(FileName);
  std::string dir = ".", base = native;
  const auto slash = native.find_last_of('/');
  if (slash != std::string::npos) {
    dir = slash == 0 ? "/" : native.substr(0, slash);
    base = native.substr(slash + 1);
  }
  if (base.empty())
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {FileName, u"Is a directory"}));
  const std::string templ = dir + "/." + base + ".XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  Fd = ::mkstemp(buf.data());
  if (Fd < 0)
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {FileName, Utf8ToUnicode(std::strerror(errno))}));
  // The finished file takes the target's permissions, or those a new file would get.
  struct stat st {};
  mode_t mode;
  if (::stat(native.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(Fd, mode);
  return Utf8ToUnicode(std::string(buf.data()));
}

bool RVReplaceWithTemporary(const TRVUnicodeString& TempName, const TRVUnicodeString& FileName) {
  std::string temp, target;
  try {
    temp = FileNameToNative(TempName);
    target = FileNameToNative(FileName);
  } catch (...) {
    return false;
  }
  return SyncFile(temp) && ::rename(temp.c_str(), target.c_str()) == 0;
}

bool RVSaveFileSafely(const TRVUnicodeString& FileName, const std::function<bool(TStream*)>& Write) {
  TRVUnicodeString tempName;
  try {
    int fd = -1;
    tempName = RVCreateTemporaryBeside(FileName, fd);
    ::close(fd);
  } catch (...) {
    return false;
  }
  bool ok = false;
  try {
    TFileStream stream(tempName, fmOpenReadWrite);
    ok = Write(&stream);
  } catch (...) {
    ok = false;
  }
  if (ok) ok = RVReplaceWithTemporary(tempName, FileName);
  if (!ok) {
    try {
      ::unlink(FileNameToNative(tempName).c_str());
    } catch (...) {
    }
  }
  return ok;
}
