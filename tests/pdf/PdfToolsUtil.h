// Helpers of the font and image tests of the PDF writer: running the independent readers, a
// minimal PDF around one image stream, PBM reading, and a small TrueType font builder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace pdfout {

inline bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string OutDir() {
  const std::string d = std::string(TAVRELO_TEST_OUTPUT) + "/pdf";
  std::system(("mkdir -p '" + d + "'").c_str());
  return d;
}

inline void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  f << data;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs a command, returns its exit status and its standard output.
inline int RunTool(const std::string& cmd, std::string* out = nullptr) {
  FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
  if (!p) return -1;
  std::string s;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) s.append(buf, n);
  const int rc = pclose(p);
  if (out) *out = s;
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
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
    if (PostScriptName) recs.push_back({6, "TinyFace-Regular"});
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

}  // namespace pdfout
