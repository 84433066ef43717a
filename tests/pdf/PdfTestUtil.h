// Helpers of the PDF writer's tests: files under the test output folder, the independent tools
// that read them back, a look at the bytes written, a minimal PDF around one image stream, PBM
// reading, and a small TrueType font builder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/PDFDocument.h"

namespace pdftest {

inline std::string OutPath(const std::string& name) { return std::string(TAVRELO_TEST_OUTPUT) + "/" + name; }

// The folder of the font and image tests' files, made if missing.
inline std::string OutDir() {
  const std::string d = std::string(TAVRELO_TEST_OUTPUT) + "/pdf";
  std::system(("mkdir -p '" + d + "'").c_str());
  return d;
}

inline bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command with `redirect` appended (where its standard error goes); returns its exit
// status (-1 when it could not run or did not exit) and, in *out, what it wrote.
inline int RunCommand(const std::string& cmd, const char* redirect, std::string* out) {
  FILE* p = popen((cmd + redirect).c_str(), "r");
  if (!p) return -1;
  std::string s;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) s.append(buf, n);
  const int rc = pclose(p);
  if (out) *out = std::move(s);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Output (stdout and stderr) and exit status of a shell command.
inline std::string RunTool(const std::string& cmd, int* status = nullptr) {
  std::string out;
  const int st = RunCommand(cmd, " 2>&1", &out);
  if (status) *status = st;
  return out;
}

// Exit status of a shell command, and its standard output alone (its errors are dropped).
inline int ToolStatus(const std::string& cmd, std::string* out = nullptr) {
  return RunCommand(cmd, " 2>/dev/null", out);
}

inline void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  f << data;
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

// A one-page PDF showing one image XObject with the given dictionary entries and data.
inline std::string MiniPdf(int w, int h, const std::string& entries, const std::string& data) {
  std::string pdf = "%PDF-1.5\n";
  std::vector<std::size_t> off;
  auto obj = [&](const std::string& body) {
    off.push_back(pdf.size());
    pdf += std::to_string(off.size()) + " 0 obj\n" + body + "\nendobj\n";
  };
  obj("<< /Type /Catalog /Pages 2 0 R >>");
  obj("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  obj("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(w) + " " + std::to_string(h) +
      "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>");
  const std::string content = "q " + std::to_string(w) + " 0 0 " + std::to_string(h) + " 0 0 cm /Im0 Do Q";
  obj("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
  obj("<< /Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " + std::to_string(h) +
      " /ColorSpace /DeviceGray /BitsPerComponent 1 " + entries + " /Length " + std::to_string(data.size()) +
      " >>\nstream\n" + data + "\nendstream");
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(off.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t o : off) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(off.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// A binary PBM: rows of (w + 7) / 8 bytes, a set bit is black. Empty on failure.
struct TPbm {
  int W = 0, H = 0;
  std::vector<std::uint8_t> Bits;
};
inline TPbm ReadPbm(const std::string& data) {
  TPbm r;
  std::istringstream s(data);
  std::string magic;
  s >> magic;
  if (magic != "P4") return r;
  auto skip = [&]() {
    for (;;) {
      s >> std::ws;
      if (s.peek() != '#') return;
      std::string line;
      std::getline(s, line);
    }
  };
  skip();
  s >> r.W;
  skip();
  s >> r.H;
  s.get();
  const std::size_t n = static_cast<std::size_t>((r.W + 7) / 8) * r.H;
  r.Bits.resize(n);
  s.read(reinterpret_cast<char*>(r.Bits.data()), static_cast<std::streamsize>(n));
  if (static_cast<std::size_t>(s.gcount()) != n) r = TPbm();
  return r;
}

// ---- a tiny TrueType font ----------------------------------------------------------------------

inline void P16(std::string& s, std::uint32_t v) {
  s += char((v >> 8) & 0xFF);
  s += char(v & 0xFF);
}
inline void P32(std::string& s, std::uint32_t v) {
  P16(s, v >> 16);
  P16(s, v & 0xFFFF);
}

struct TTinyFont {
  // Glyph data per glyph (empty = no outline); characters mapped to glyphs.
  std::vector<std::string> Glyphs;
  std::map<std::uint16_t, std::uint16_t> Chars;
  bool MacCmapOnly = false;
  bool LongLoca = true;
  std::string Family = "Tiny Face";
  bool PostScriptName = true;
  std::string PostScript = "TinyFace-Regular";

  static std::string Simple(int bytes) {  // one contour, padded with instruction bytes
    std::string g;
    P16(g, 1);
    for (int i = 0; i < 4; ++i) P16(g, 0);
    P16(g, 0);  // end point of contour 0
    P16(g, std::uint32_t(bytes));
    g.append(std::size_t(bytes), '\0');
    g += char(0x31);  // one point on the curve at the origin
    if (g.size() & 1) g += '\0';
    return g;
  }
  // A composite glyph; each component: glyph index and flags for its transform.
  static std::string Composite(const std::vector<std::pair<int, int>>& parts) {
    std::string g;
    P16(g, 0xFFFF);
    for (int i = 0; i < 4; ++i) P16(g, 0);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      int flags = parts[i].second | (i + 1 < parts.size() ? 0x20 : 0);
      P16(g, std::uint32_t(flags));
      P16(g, std::uint32_t(parts[i].first));
      if (flags & 1) P32(g, 0);
      else P16(g, 0);
      if (flags & 0x08) P16(g, 0x4000);
      else if (flags & 0x40) P32(g, 0x40004000);
      else if (flags & 0x80) {
        P32(g, 0x40000000);
        P32(g, 0x00004000);
      }
    }
    return g;
  }

  std::string Build() const {
    std::map<std::string, std::string> t;
    const std::uint32_t n = std::uint32_t(Glyphs.size());
    std::string& head = t["head"];
    P32(head, 0x00010000);
    P32(head, 0x00010000);
    P32(head, 0);
    P32(head, 0x5F0F3CF5);
    P16(head, 0);
    P16(head, 1000);
    head.append(16, '\0');
    P16(head, 0);
    P16(head, 0xFFFF & std::uint32_t(-200));
    P16(head, 1000);
    P16(head, 800);
    P16(head, 0);
    P16(head, 8);
    P16(head, 2);
    P16(head, LongLoca ? 1 : 0);
    P16(head, 0);
    std::string& hhea = t["hhea"];
    P32(hhea, 0x00010000);
    P16(hhea, 800);
    P16(hhea, 0xFFFF & std::uint32_t(-200));
    hhea.append(26, '\0');
    P16(hhea, n);
    std::string& maxp = t["maxp"];
    P32(maxp, 0x00005000);
    P16(maxp, n);
    std::string& hmtx = t["hmtx"];
    for (std::uint32_t i = 0; i < n; ++i) {
      P16(hmtx, 500 + i);
      P16(hmtx, i);
    }
    std::string& glyf = t["glyf"];
    std::string& loca = t["loca"];
    for (const std::string& g : Glyphs) {
      if (LongLoca) P32(loca, std::uint32_t(glyf.size()));
      else P16(loca, std::uint32_t(glyf.size() / 2));
      glyf += g;
    }
    if (LongLoca) P32(loca, std::uint32_t(glyf.size()));
    else P16(loca, std::uint32_t(glyf.size() / 2));
    std::string& cmap = t["cmap"];
    P16(cmap, 0);
    P16(cmap, 1);
    if (MacCmapOnly) {
      P16(cmap, 1);
      P16(cmap, 1);
      P32(cmap, 12);
      P16(cmap, 0);
      P16(cmap, 262);
      P16(cmap, 0);
      for (int i = 0; i < 256; ++i) cmap += char(i < int(n) ? i : 0);
    } else {
      // format 4, one segment per character plus the closing one
      P16(cmap, 3);
      P16(cmap, 1);
      P32(cmap, 12);
      const std::uint32_t segs = std::uint32_t(Chars.size()) + 1;
      std::string sub;
      P16(sub, 4);
      P16(sub, 0);
      P16(sub, 0);
      P16(sub, segs * 2);
      P16(sub, 0);
      P16(sub, 0);
      P16(sub, 0);
      for (auto& [c, g] : Chars) P16(sub, c);
      P16(sub, 0xFFFF);
      P16(sub, 0);
      for (auto& [c, g] : Chars) P16(sub, c);
      P16(sub, 0xFFFF);
      for (auto& [c, g] : Chars) P16(sub, (g - c) & 0xFFFF);
      P16(sub, 1);
      for (std::uint32_t i = 0; i < segs; ++i) P16(sub, 0);
      sub[2] = char(sub.size() >> 8);
      sub[3] = char(sub.size() & 0xFF);
      cmap += sub;
    }
    std::string& name = t["name"];
    std::vector<std::pair<int, std::string>> recs = {{1, Family}, {2, "Regular"}};
    if (PostScriptName) recs.push_back({6, PostScript});
    P16(name, 0);
    P16(name, std::uint32_t(recs.size() * 2));
    P16(name, std::uint32_t(6 + 12 * recs.size() * 2));
    std::string pool;
    for (auto& [id, s] : recs) {
      P16(name, 1), P16(name, 0), P16(name, 0), P16(name, std::uint32_t(id));
      P16(name, std::uint32_t(s.size())), P16(name, std::uint32_t(pool.size()));
      pool += s;
    }
    for (auto& [id, s] : recs) {
      std::string u;
      for (char c : s) P16(u, std::uint8_t(c));
      P16(name, 3), P16(name, 1), P16(name, 1033), P16(name, std::uint32_t(id));
      P16(name, std::uint32_t(u.size())), P16(name, std::uint32_t(pool.size()));
      pool += u;
    }
    name += pool;
    std::string& post = t["post"];
    P32(post, 0x00030000);
    post.append(28, '\0');
    // The file, tables in tag order.
    std::string f;
    P32(f, 0x00010000);
    P16(f, std::uint32_t(t.size()));
    P16(f, 0), P16(f, 0), P16(f, 0);
    std::size_t off = 12 + 16 * t.size();
    std::string body;
    for (auto& [tag, d] : t) {
      f += tag;
      P32(f, 0);
      P32(f, std::uint32_t(off + body.size()));
      P32(f, std::uint32_t(d.size()));
      body += d;
      body.append((4 - d.size() % 4) % 4, '\0');
    }
    return f + body;
  }
};

}  // namespace pdftest
