#include "platform/base/SystemRandom.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "platform/base/SysUtils.h"

void GetSystemRandomBytes(void* buffer, std::size_t count) {
  auto* p = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    // One call gives at most 256 bytes without a short read; ask in such pieces.
    std::size_t piece = count < 256 ? count : 256;
    ssize_t got = getrandom(p, piece, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EOSError(std::string("No random bytes from the system: ") + std::strerror(errno));
    }
    p += got;
    count -= static_cast<std::size_t>(got);
  }
}

std::string SystemRandomBytes(std::size_t count) {
  std::string s(count, '\0');
  if (count) GetSystemRandomBytes(s.data(), count);
  return s;
}
