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

// Keeps errno across cleanup, so that a failure reports its first cause.
class TKeepErrno {
 public:
  TKeepErrno() : FSaved(errno) {}
  ~TKeepErrno() { errno = FSaved; }

 private:
  int FSaved;
};

std::string DirectoryOf(const std::string& Path) {
  const auto slash = Path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

std::string BaseOf(const std::string& Path) {
  const auto slash = Path.find_last_of('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// The file a save really changes: symbolic links are followed to their end, so that the link stays
// a link and the file it names gets the new content. A dangling link names the file to create.
// Answers false with errno ELOOP for a cycle.
bool FinalTarget(const std::string& Path, std::string& Target) {
  constexpr int MaxLinks = 40;  // as the kernel's own limit
  std::string p = Path;
  for (int i = 0; i <= MaxLinks; ++i) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      Target = p;
      return true;
    }
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    for (;;) {
      const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
      if (n < 0) return false;
      if (static_cast<size_t>(n) < buf.size()) {
        const std::string link(buf.data(), static_cast<size_t>(n));
        p = !link.empty() && link[0] == '/' ? link : DirectoryOf(p) + "/" + link;
        break;
      }
      buf.resize(buf.size() * 2);  // the link changed since lstat
    }
  }
  errno = ELOOP;
  return false;
}

bool SyncFd(int Fd) { return ::fsync(Fd) == 0; }

// Pushes the written data to the disk, so that a full disk is seen here and not after the rename.
bool SyncFile(const std::string& Path) {
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = SyncFd(fd);
  TKeepErrno keep;
  return (::close(fd) == 0) && ok;
}

// The rename itself reaches the disk only with its folder.
void SyncDirectory(const std::string& Dir) {
  TKeepErrno keep;
  const int fd = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool WriteAll(int Fd, const char* Data, size_t Size) {
  while (Size > 0) {
    const ssize_t n = ::write(Fd, Data, Size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data += n;
    Size -= static_cast<size_t>(n);
  }
  return true;
}

// Copies the bytes of one open file into another from their current positions.
bool CopyFd(int From, int To) {
  std::vector<char> buf(1 << 16);
  for (;;) {
    const ssize_t n = ::read(From, buf.data(), buf.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(To, buf.data(), static_cast<size_t>(n))) return false;
  }
}

// Replaces the content of the existing file Target by that of Source, keeping Target's inode, so
// its other names, owner, group and mode stay as they were.
bool OverwriteInPlace(const std::string& Source, const std::string& Target) {
  const int in = ::open(Source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = ::open(Target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (out < 0) {
    TKeepErrno keep;
    ::close(in);
    return false;
  }
  bool ok = CopyFd(in, out) && SyncFd(out);
  int error = errno;
  ::close(in);
  if (::close(out) != 0 && ok) {
    error = errno;
    ok = false;
  }
  errno = error;
  return ok;
}

// A copy of Target beside it, written to the disk; answers its name, or empty with errno set.
std::string MakeBackup(const std::string& Target) {
  std::string templ = DirectoryOf(Target) + "/." + BaseOf(Target) + ".XXXXXX~";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  const int out = ::mkstemps(buf.data(), 1);
  if (out < 0) return {};
  const std::string name(buf.data());
  const int in = ::open(Target.c_str(), O_RDONLY | O_CLOEXEC);
  bool ok = in >= 0 && CopyFd(in, out) && SyncFd(out);
  TKeepErrno keep;
  if (in >= 0) ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) {
    ::unlink(name.c_str());
    return {};
  }
  return name;
}

// Where a rename would split the file from its other names or give it to whoever saves, the new
// content goes into the file itself, after a copy of the old content is made beside it; the copy
// goes once the file is whole again. If the overwrite fails, the old content is put back.
bool ReplaceInPlace(const std::string& Temp, const std::string& Target) {
  const std::string backup = MakeBackup(Target);
  if (backup.empty()) return false;
  if (OverwriteInPlace(Temp, Target)) {
    ::unlink(backup.c_str());
    ::unlink(Temp.c_str());
    return true;
  }
  TKeepErrno keep;
  // The copy stays when the old content cannot be put back: it is then the only whole one.
  if (OverwriteInPlace(backup, Target)) ::unlink(backup.c_str());
  return false;
}

}  // namespace

TRVUnicodeString RVCreateTemporaryBeside(const TRVUnicodeString& FileName, int& Fd) {
  auto fail = [&](int Error) {
    return EFCreateError(Format(u"Cannot create file \"%s\". %s", {FileName, Utf8ToUnicode(std::strerror(Error))}));
  };
  std::string target;
  if (!FinalTarget(FileNameToNative(FileName), target)) throw fail(errno);
  const std::string base = BaseOf(target);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (base.empty() || (exists && S_ISDIR(st.st_mode))) throw fail(EISDIR);
  const std::string templ = DirectoryOf(target) + "/." + base + ".XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  Fd = ::mkstemp(buf.data());
  if (Fd < 0) throw fail(errno);
  // The finished file takes the target's permissions, or those a new file would get.
  mode_t mode;
  if (exists) {
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
  const std::string temp = FileNameToNative(TempName);
  std::string target;
  if (!FinalTarget(FileNameToNative(FileName), target)) return false;
  if (!SyncFile(temp)) return false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    // Anything but a plain file (a device, a pipe) is written to, never replaced.
    if (!S_ISREG(st.st_mode)) return OverwriteInPlace(temp, target) && ::unlink(temp.c_str()) == 0;
    if (st.st_nlink > 1) return ReplaceInPlace(temp, target);
    struct stat own {};
    if (::stat(temp.c_str(), &own) != 0) return false;
    if (own.st_uid != st.st_uid || own.st_gid != st.st_gid) {
      if (::chown(temp.c_str(), st.st_uid, st.st_gid) != 0) return ReplaceInPlace(temp, target);
      // A change of owner clears the set-id bits; they come back with the target's mode.
      ::chmod(temp.c_str(), st.st_mode & 07777);
    }
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) return false;
  SyncDirectory(DirectoryOf(target));
  return true;
}

bool RVSaveFileSafely(const TRVUnicodeString& FileName, const std::function<bool(TStream*)>& Write) {
  TRVUnicodeString tempName;
  try {
    int fd = -1;
    tempName = RVCreateTemporaryBeside(FileName, fd);
    ::close(fd);
  } catch (const EStreamError&) {
    return false;
  }
  bool ok = false;
  try {
    TFileStream stream(tempName, fmOpenReadWrite);
    ok = Write(&stream);
  } catch (...) {
    // The temporary file goes whatever the failure; what is not a write failure goes on.
    ::unlink(FileNameToNative(tempName).c_str());
    try {
      throw;
    } catch (const EStreamError&) {
      return false;
    } catch (const EConvertError&) {
      return false;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if (ok) ok = RVReplaceWithTemporary(tempName, FileName);
  if (!ok) {
    TKeepErrno keep;
    ::unlink(FileNameToNative(tempName).c_str());
  }
  return ok;
}
