// A generated RTF document of about 300 pages (3 MB) for tests and benchmarks of RTF reading and
// writing: paragraphs of 40 to 120 words in several fonts, sizes and colours, headings, bulleted
// and numbered lists (list table, overrides and "\listtext" labels), Cyrillic paragraphs in a
// Windows-1251 font, Unicode escapes, hyperlink fields, footnotes, a bordered table every few
// pages and a PNG picture every ten pages or so (hexadecimal, every third one as "\bin" data).
// The same seed gives the same bytes on every machine (the random numbers are our own).
//
//   TRTFSampleInfo info;
//   const std::string rtf = GenerateRTFSample({.Seed = 7}, &info);
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "GeneratedDocument.h"

struct TRTFSampleOptions {
  std::uint32_t Seed = 1;
  // 11 paragraphs make a page, as in the generated document of the engine.
  int Pages = 300;
  bool Pictures = true;
  bool Tables = true;
};

// What was generated, for the counters of a benchmark and the checks of a test. Paragraphs
// counts every paragraph mark of the main text, cells' paragraphs included.
struct TRTFSampleInfo {
  int Paragraphs = 0, Words = 0, ListParagraphs = 0, Tables = 0, Cells = 0, Pictures = 0, BinaryPictures = 0,
      Hyperlinks = 0, Footnotes = 0, CyrillicParagraphs = 0;
  std::size_t Bytes = 0;
};

namespace rtf_sample_detail {

// Fonts of the font table: 0 Arial, 1 Times New Roman, 2 Courier New, 3 Georgia, 4 Times New
// Roman in Windows-1251 ("\fcharset204").
constexpr int FontCount = 4;  // fonts of the Latin runs
constexpr int CyrillicFont = 4;
// Colours 1..7 of the colour table (0 is the automatic colour).
constexpr int ColorCount = 7;

inline const char* const CyrillicWords[] = {"\xe4\xee\xea\xf3\xec\xe5\xed\xf2",
                                            "\xf1\xf2\xf0\xe0\xed\xe8\xf6\xe0",
                                            "\xf2\xe5\xea\xf1\xf2",
                                            "\xe8",
                                            "\xe2",
                                            "\xed\xe0",
                                            "\xf1",
                                            "\xef\xee",
                                            "\xf0\xe5\xea\xe0",
                                            "\xea\xe0\xec\xe5\xed\xfc",
                                            "\xf2\xe0\xe1\xeb\xe8\xf6\xe0",
                                            "\xe0\xe1\xe7\xe0\xf6",
                                            "\xef\xee\xeb\xe5",
                                            "\xe3\xee\xf0\xee\xe4",
                                            "\xe4\xee\xf0\xee\xe3\xe0",
                                            "\xf1\xe5\xe3\xee\xe4\xed\xff",
                                            "\xb8\xeb\xea\xe0",
                                            "\xc5\xec\xe5\xeb\xfc\xff\xed",
                                            "\xef\xf0\xe8\xec\xe5\xf7\xe0\xed\xe8\xe5",
                                            "\xe1\xf3\xec\xe0\xe3\xe0"};
constexpr int CyrillicWordCount = sizeof CyrillicWords / sizeof *CyrillicWords;

// Appends UTF-16 text as RTF: ASCII as it is (with "\", "{" and "}" escaped), Latin-1 as "\'xx",
// everything else as "\uN?" (one replacement byte, the document's "\uc1").
inline void AppendText(std::string& Out, const std::u16string& Text) {
  static const char hex[] = "0123456789abcdef";
  for (char16_t c : Text) {
    if (c == u'\\' || c == u'{' || c == u'}') {
      Out += '\\';
      Out += static_cast<char>(c);
    } else if (c < 0x80) {
      Out += static_cast<char>(c);
    } else if (c >= 0xA0 && c <= 0xFF) {
      Out += "\\'";
      Out += hex[c >> 4];
      Out += hex[c & 15];
    } else {
      Out += "\\u";
      Out += std::to_string(static_cast<std::int16_t>(c));
      Out += '?';
    }
  }
}

inline std::uint32_t Crc32(const std::string& Bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : Bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

inline void Put32(std::string& Out, std::uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) Out += static_cast<char>((V >> s) & 0xFF);
}

// A valid W x H 24-bit PNG whose pixels follow from the seed. Its image data is zlib-wrapped
// deflate in stored blocks: no compressor needed, and the size is what a photo's would be.
inline std::string Png(TGenRandom& R, int W, int H) {
  std::string raw;
  const int tint = R.Range(0, 255);
  for (int y = 0; y < H; ++y) {
    raw += '\0';
    for (int x = 0; x < W; ++x) {
      raw += static_cast<char>((x * 255 / W + tint) & 0xFF);
      raw += static_cast<char>((y * 255 / H) & 0xFF);
      raw += static_cast<char>((x ^ y) * 8 & 0xFF);
    }
  }
  std::string z = "\x78\x01";
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < raw.size() || at == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z += static_cast<char>(at + n == raw.size() ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, at, n);
    at += n;
    if (n == 0) break;
  }
  Put32(z, (b << 16) | a);
  auto chunk = [](std::string& Out, const char* Type, const std::string& Data) {
    Put32(Out, static_cast<std::uint32_t>(Data.size()));
    const std::string td = std::string(Type, 4) + Data;
    Out += td;
    Put32(Out, Crc32(td));
  };
  std::string ihdr;
  Put32(ihdr, static_cast<std::uint32_t>(W));
  Put32(ihdr, static_cast<std::uint32_t>(H));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  std::string png = "\x89PNG\r\n\x1a\n";
  chunk(png, "IHDR", ihdr);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", std::string());
  return png;
}

class TWriter {
 public:
  TWriter(const TRTFSampleOptions& Options, TRTFSampleInfo& Info) : O(Options), I(Info), R(Options.Seed) {}

  std::string Run() {
    Header();
    const int paragraphs = O.Pages * 11;
    int sinceTable = 0, sincePicture = 0, tableEvery = R.Range(33, 66), pictureEvery = R.Range(90, 130);
    for (int p = 0; p < paragraphs;) {
      if (O.Tables && sinceTable >= tableEvery) {
        p += Table();
        sinceTable = 0;
        tableEvery = R.Range(33, 66);
        continue;
      }
      if (O.Pictures && sincePicture >= pictureEvery) {
        Picture();
        sincePicture = 0;
        pictureEvery = R.Range(90, 130);
        ++p;
        continue;
      }
      const int kind = R.Range(0, 99);
      int n = 1;
      if (kind < 4)
        Heading();
      else if (kind < 12)
        n = List();
      else if (kind < 16)
        Cyrillic();
      else
        Body();
      p += n;
      sinceTable += n;
      sincePicture += n;
    }
    S += "}\r\n";
    I.Bytes = S.size();
    return std::move(S);
  }

 private:
  void Header() {
    S += "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1033"
         "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}"
         "{\\f2\\fmodern\\fcharset0 Courier New;}{\\f3\\froman\\fcharset0 Georgia;}"
         "{\\f4\\froman\\fcharset204 Times New Roman Cyr;}}\r\n"
         "{\\colortbl;\\red0\\green0\\blue0;\\red192\\green0\\blue0;\\red0\\green96\\blue192;"
         "\\red0\\green128\\blue0;\\red128\\green0\\blue128;\\red96\\green96\\blue96;\\red204\\green102\\blue0;}\r\n"
         "{\\stylesheet{\\ql\\f0\\fs20\\sa80 \\snext0 Normal;}"
         "{\\s1\\ql\\sb240\\sa120\\keepn\\b\\f0\\fs28\\cf3 \\sbasedon0\\snext0 heading 1;}"
         "{\\s2\\ql\\li720\\fi-360\\f0\\fs20 \\sbasedon0\\snext2 List Paragraph;}"
         "{\\*\\cs10\\additive\\ul\\cf3 Hyperlink;}}\r\n"
         "{\\*\\listtable"
         "{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0\\levelstartat1"
         "{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}\\listid1}"
         "{\\list\\listtemplateid2{\\listlevel\\levelnfc0\\leveljc0\\levelfollow0\\levelstartat1"
         "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}"
         "{\\listlevel\\levelnfc4\\leveljc0\\levelfollow0\\levelstartat1"
         "{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}\\fi-360\\li1440}\\listid2}}\r\n"
         "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
         "{\\listoverride\\listid2\\listoverridecount0\\ls2}}\r\n"
         "{\\info{\\title Generated sample}{\\author Tavrelopad tests}}\r\n"
         "\\paperw11906\\paperh16838\\margl1417\\margr1134\\margt1134\\margb1134\\widowctrl\r\n";
  }

  std::u16string Words(int Count, bool End = true) {
    return generated_document_detail::Sentences(R, Count, I.Words, End);
  }

  // A run of text with a formatting of its own, in a group.
  void Run(const std::u16string& Text) {
    S += "{";
    S += "\\f" + std::to_string(R.Range(0, FontCount - 1));
    S += "\\fs" + std::to_string(2 * R.Range(9, 14));
    if (R.Chance(40)) S += "\\cf" + std::to_string(R.Range(1, ColorCount));
    if (R.Chance(20)) S += "\\b";
    if (R.Chance(20)) S += "\\i";
    if (R.Chance(5)) S += "\\ul";
    if (R.Chance(3)) S += "\\highlight7";
    S += ' ';
    AppendText(S, Text);
    S += "}";
  }

  void Par() {
    S += "\\par\r\n";
    ++I.Paragraphs;
  }

  void Body() {
    S += R.Chance(30) ? "\\pard\\plain\\qj\\fi360\\sa80\\f0\\fs20 " : "\\pard\\plain\\ql\\sa80\\f0\\fs20 ";
    int left = R.Range(40, 120);
    while (left > 0) {
      const int n = std::min(left, R.Range(3, 30));
      left -= n;
      const bool last = left == 0;
      if (R.Chance(4)) {
        ++I.Hyperlinks;
        S += "{\\field{\\*\\fldinst HYPERLINK \"https://example.org/page" + std::to_string(I.Hyperlinks) +
             "\"}{\\fldrslt {\\cs10\\ul\\cf3 ";
        AppendText(S, Words(n, false));
        S += "}}}";
        if (!last) S += ' ';
      } else {
        Run(Words(n, last) + (last ? u"" : u" "));
      }
      if (R.Chance(2)) {
        ++I.Footnotes;
        S += "{\\super\\chftn}{\\footnote\\pard\\plain\\f0\\fs16 {\\super\\chftn} ";
        int dummy = 0;
        AppendText(S, generated_document_detail::Sentences(R, R.Range(5, 15), dummy));
        S += "}";
      }
      if (R.Chance(3)) S += "\\tab ";
    }
    Par();
  }

  void Heading() {
    S += "\\pard\\plain\\s1\\ql\\sb240\\sa120\\keepn\\b\\f0\\fs28\\cf3 ";
    AppendText(S, Words(R.Range(2, 7), false));
    Par();
  }

  int List() {
    const bool numbered = R.Chance(50);
    const int items = R.Range(3, 6);
    int number = 0, sub = 0;
    for (int k = 0; k < items; ++k) {
      const bool nested = numbered && k > 0 && R.Chance(25);
      if (nested)
        ++sub;
      else
        ++number, sub = 0;
      S += "{\\listtext\\pard\\plain\\f0\\fs20 ";
      if (!numbered)
        S += "\\u8226 ?";
      else if (nested)
        S += std::string(1, static_cast<char>('a' + (sub - 1) % 26)) + ")";
      else
        S += std::to_string(number) + ".";
      S += "\\tab}";
      S += numbered ? "\\pard\\plain\\s2\\ls2" : "\\pard\\plain\\s2\\ls1";
      S += nested ? "\\ilvl1\\li1440" : "\\ilvl0\\li720";
      S += "\\fi-360\\f0\\fs20 ";
      Run(Words(R.Range(4, 25)));
      Par();
      ++I.ListParagraphs;
    }
    return items;
  }

  void Cyrillic() {
    ++I.CyrillicParagraphs;
    S += "\\pard\\plain\\ql\\sa80\\f" + std::to_string(CyrillicFont) + "\\fs22\\lang1049 ";
    const int n = R.Range(20, 60);
    for (int w = 0; w < n; ++w) {
      if (w) S += ' ';
      for (unsigned char c : std::string(CyrillicWords[R.Range(0, CyrillicWordCount - 1)])) {
        static const char hex[] = "0123456789abcdef";
        S += "\\'";
        S += hex[c >> 4];
        S += hex[c & 15];
      }
    }
    I.Words += n;
    S += '.';
    Par();
  }

  int Table() {
    ++I.Tables;
    const int rows = R.Range(3, 6), cols = R.Range(2, 4);
    const int width = 9000 / cols;
    for (int r = 0; r < rows; ++r) {
      S += "\\trowd\\trgaph108\\trleft0\\trbrdrt\\brdrs\\brdrw10\\trbrdrb\\brdrs\\brdrw10";
      if (r == 0) S += "\\trhdr";
      for (int c = 0; c < cols; ++c) {
        S += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
        if (r == 0) S += "\\clcbpat6";
        S += "\\cellx" + std::to_string(width * (c + 1));
      }
      S += "\r\n";
      for (int c = 0; c < cols; ++c) {
        S += "\\pard\\plain\\intbl\\ql\\f0\\fs20 ";
        if (r == 0) S += "\\b ";
        AppendText(S, Words(R.Range(1, 8), false));
        S += "\\cell ";
        ++I.Cells;
        ++I.Paragraphs;
      }
      S += "\\row\r\n";
    }
    return rows;
  }

  void Picture() {
    ++I.Pictures;
    const int w = R.Range(56, 136), h = R.Range(40, 100);
    const std::string png = Png(R, w, h);
    // Every other picture in the wrapper that newer writers put around pictures.
    const bool wrapped = I.Pictures % 2 == 0;
    S += wrapped ? "\\pard\\plain\\qc\\f0\\fs20 {\\*\\shppict" : "\\pard\\plain\\qc\\f0\\fs20 ";
    S += "{\\pict\\pngblip\\picw" + std::to_string(w) + "\\pich" + std::to_string(h) + "\\picwgoal" +
         std::to_string(w * 15) + "\\pichgoal" + std::to_string(h * 15);
    if (I.Pictures % 3 == 0) {
      ++I.BinaryPictures;
      S += "\\bin" + std::to_string(png.size()) + " ";
      S += png;
    } else {
      static const char hex[] = "0123456789abcdef";
      S += "\r\n";
      int col = 0;
      for (unsigned char c : png) {
        S += hex[c >> 4];
        S += hex[c & 15];
        if (++col == 64) {
          S += "\r\n";
          col = 0;
        }
      }
    }
    S += wrapped ? "}}" : "}";
    Par();
  }

  const TRTFSampleOptions& O;
  TRTFSampleInfo& I;
  TGenRandom R;
  std::string S;
};

}  // namespace rtf_sample_detail

inline std::string GenerateRTFSample(const TRTFSampleOptions& Options = {}, TRTFSampleInfo* Info = nullptr) {
  TRTFSampleInfo local;
  TRTFSampleInfo& info = Info ? *Info : local;
  info = {};
  return rtf_sample_detail::TWriter(Options, info).Run();
}
