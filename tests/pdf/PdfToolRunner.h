// More helpers of the PDF writer's tests for the security handler: a command's output with its
// status, the openssl tool, scratch folders, and hexadecimal text.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string_view>

#include "PdfTestUtil.h"

namespace pdftest {

struct TCommandResult {
  int Status = -1;
  std::string Output;
};

inline TCommandResult RunCommand(const std::string& cmd) {
  TCommandResult r;
  r.Output = RunTool(cmd, &r.Status);
  return r;
}

// openssl keeps RC4 in its legacy provider.
inline bool HaveOpenSSL() {
  static const bool have =
      HaveTool("openssl") &&
      RunCommand("printf x | openssl enc -provider legacy -provider default -rc4 -K "
                 "00112233445566778899aabbccddeeff -nosalt >/dev/null 2>&1").Status == 0;
  return have;
}

// A fresh directory under the build's test output, removed by the destructor.
class TScratchDir {
 public:
  explicit TScratchDir(const std::string& name) {
    FPath = std::filesystem::path(TAVRELO_TEST_OUTPUT) / (name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(FPath);
    std::filesystem::create_directories(FPath);
  }
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  std::string File(const std::string& name) const { return (FPath / name).string(); }
  std::string Path() const { return FPath.string(); }

 private:
  std::filesystem::path FPath;
};

inline std::string ToHex(std::string_view s) {
  static const char Hex[] = "0123456789abcdef";
  std::string r;
  for (unsigned char c : s) {
    r += Hex[c >> 4];
    r += Hex[c & 15];
  }
  return r;
}

inline std::string FromHex(std::string_view h) {
  std::string r;
  auto v = [](char c) { return c <= '9' ? c - '0' : (c | 32) - 'a' + 10; };
  for (std::size_t i = 0; i + 1 < h.size(); i += 2) r += static_cast<char>(v(h[i]) * 16 + v(h[i + 1]));
  return r;
}

}  // namespace pdftest
