// Helpers of the PDF writer's tests: files under the test output folder, the independent tools
// that read them back, and a look at the bytes written.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "pdf/PDFDocument.h"

namespace pdftest {

inline std::string OutPath(const std::string& name) { return std::string(TAVRELO_TEST_OUTPUT) + "/" + name; }

inline bool HaveTool(const char* tool) {
  std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// Output (stdout and stderr) and exit status of a shell command.
inline std::string RunTool(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  if (status) *status = WEXITSTATUS(st);
  return out;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// qpdf --check passes without warnings.
inline void ExpectQpdfClean(const std::string& path) {
  if (!HaveTool("qpdf")) return;
  int st = 0;
  std::string out = RunTool("qpdf --check '" + path + "'", &st);
  EXPECT_EQ(st, 0) << out;
  EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
  EXPECT_NE(out.find("No syntax or stream encoding errors"), std::string::npos) << out;
}

// Every cross-reference entry is 20 bytes and /Size is the highest object number plus one.
inline void ExpectXrefWellFormed(const std::string& bytes) {
  auto x = bytes.rfind("\r\nxref\r\n");
  ASSERT_NE(x, std::string::npos);
  std::size_t p = x + 8;
  auto eol = bytes.find("\r\n", p);
  std::string head = bytes.substr(p, eol - p);  // "0 N"
  int n = std::stoi(head.substr(2));
  p = eol + 2;
  for (int i = 0; i < n; ++i) {
    std::string e = bytes.substr(p, 20);
    ASSERT_EQ(e.size(), 20u);
    EXPECT_EQ(e.substr(18), "\r\n") << "entry " << i;
    EXPECT_TRUE(e[17] == 'n' || e[17] == 'f') << "entry " << i;
    p += 20;
  }
  EXPECT_EQ(bytes.compare(p, 7, "trailer"), 0);
  auto size = bytes.find("/Size ", p);
  ASSERT_NE(size, std::string::npos);
  EXPECT_EQ(std::stoi(bytes.substr(size + 6)), n);
  // the highest object number written is n - 1
  std::string last = std::to_string(n - 1) + " 0 obj";
  EXPECT_NE(bytes.find(last), std::string::npos);
  EXPECT_EQ(bytes.find(std::to_string(n) + " 0 obj"), std::string::npos);
}

}  // namespace pdftest
