// The control-word table of the RTF reader and the dispatch of control words: destinations,
// properties, special words and the handling of characters by destination.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

#include "formats/rtf/RVRTFDocTables.h"
#include "formats/rtf/RVRTFListTables.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFTableProps.h"

namespace rvrtfcontrolwords_detail {

constexpr TRVRTFKeywordAffect No = rtf_af_None, Ch = rtf_af_CharProp, Pa = rtf_af_ParaProp;

constexpr TRVRTFsymbol C(const char* k, int byte) { return {k, 0, false, rtf_kwd_Char, byte, rtf_af_None}; }
constexpr TRVRTFsymbol W(const char* k, int unit, int fallback) {
  return {k, unit, false, rtf_kwd_WideChar, fallback, rtf_af_None};
}
constexpr TRVRTFsymbol S(const char* k, int idx) { return {k, 0, false, rtf_kwd_Spec, idx, rtf_af_None}; }
constexpr TRVRTFsymbol D(const char* k, int dest) { return {k, 0, false, rtf_kwd_Dest, dest, rtf_af_None}; }
constexpr TRVRTFsymbol P(const char* k, int def, int idx, TRVRTFKeywordAffect a) {
  return {k, def, false, rtf_kwd_Prop, idx, a};
}
constexpr TRVRTFsymbol U(const char* k, int value, int idx, TRVRTFKeywordAffect a) {
  return {k, value, true, rtf_kwd_Prop, idx, a};
}

// The rows in no particular order; RTFControlWordTable gives them sorted.
// clang-format off
const TRVRTFsymbol ControlWords[] = {
// Character rows: Idx is the byte passed on.
C("tab", 9), C("par", 10), C("sect", 10), C("\n", 10), C("\r", 10), C("line", 13), C("\\", 92), C("{", 123),
C("}", 125), C("~", 160),
// Wide-character rows: DefValue is the UTF-16 code unit, Idx the 8-bit fallback (0: none).
W("bullet", 8226, 149), W("ldblquote", 8220, 147), W("rdblquote", 8221, 148), W("lquote", 8216, 145),
W("rquote", 8217, 146), W("endash", 8211, 150), W("emdash", 8212, 151), W("emspace", 8195, 32),
W("enspace", 8194, 32), W("qmspace", 8197, 32), W("-", 173, 173), W("_", 8209, 45), W("zwnj", 8204, 0),
W("zwbo", 8204, 0), W("zwj", 8205, 0), W("zwnbo", 8205, 0),
// Special rows.
S("bin", 0), S("'", 1), S("*", 2),
// Destination rows.
D("shppict", 1), D("nonshppict", 2), D("pict", 3),
D("nonesttables", 4), D("buptim", 4), D("comment", 4), D("creatim", 4), D("ftncn", 4), D("ftnsep", 4),
D("ftnsepc", 4), D("keywords", 4), D("operator", 4), D("printim", 4), D("private1", 4), D("revtim", 4),
D("rxe", 4), D("subject", 4), D("tc", 4), D("pntext", 4), D("listtext", 4),
D("fonttbl", 5), D("stylesheet", 6), D("colortbl", 7), D("bkmkstart", 12), D("info", 13), D("author", 14),
D("title", 15), D("doccomm", 16), D("field", 17), D("fldinst", 18), D("fldrslt", 19), D("nesttableprops", 20),
D("header", 21), D("footer", 22), D("headerl", 23), D("footerl", 24), D("headerr", 25), D("footerr", 26),
D("headerf", 27), D("footerf", 28), D("footnote", 29), D("pntxta", 30), D("pntxtb", 31), D("pn", 32),
D("listtable", 34), D("list", 35), D("listname", 36), D("listlevel", 37), D("leveltext", 38),
D("levelnumbers", 39), D("listoverridetable", 40), D("listoverride", 41), D("lfolevel", 42), D("object", 43),
D("objdata", 44), D("result", 45), D("upr", 46), D("ud", 47),
// Property rows: P(keyword, value without a parameter, index, affect); U(keyword, fixed value, index, affect).
P("protect", 1, 0, Ch), P("b", 1, 1, Ch), P("i", 1, 2, Ch), P("strike", 1, 3, Ch), P("ul", 1, 4, Ch),
U("ulnone", 0, 4, Ch),
P("uld", 3, 5, Ch), P("uldash", 5, 5, Ch), P("uldashd", 9, 5, Ch), P("uldashdd", 11, 5, Ch), P("uldb", 2, 5, Ch),
P("ulldash", 7, 5, Ch), P("ulth", 1, 5, Ch), P("ulthd", 4, 5, Ch), P("ulthdash", 6, 5, Ch),
P("ulthdashd", 10, 5, Ch), P("ulthdashdd", 12, 5, Ch), P("ulthldash", 8, 5, Ch),
P("ulc", 0, 6, Ch), U("ltrch", 1, 7, Ch), U("rtlch", 2, 7, Ch), P("charscalex", 100, 8, Ch),
P("expndtw", 0, 9, Ch), U("sub", 1, 10, Ch), U("super", 2, 10, Ch), U("nosupersub", 0, 10, Ch),
P("up", 6, 11, Ch), P("dn", 6, 12, Ch), P("caps", 1, 13, Ch), P("fs", 24, 14, Ch), P("cf", 0, 15, Ch),
P("chcbpat", 0, 16, Ch), P("highlight", 0, 17, Ch), P("lang", 0, 18, Ch), P("deflang", 0, 19, No),
P("sl", 240, 20, Pa), P("slmult", 1, 21, Pa), P("pagebb", 1, 22, Pa), P("li", 0, 23, Pa), P("ri", 0, 24, Pa),
P("fi", 0, 25, Pa), P("cols", 1, 26, No), P("pgnx", 0, 27, No), P("pgny", 0, 28, No), P("headery", 720, 29, No),
P("footery", 720, 30, No), P("widowctrl", 1, 31, No), P("titlepg", 1, 32, No), P("paperw", 12240, 33, No),
P("paperh", 15480, 34, No), P("margl", 1800, 35, No), P("margr", 1800, 36, No), P("margt", 1440, 37, No),
P("margb", 1440, 38, No), P("pgnstart", 1, 39, No),
U("sbknone", 0, 40, No), U("sbkcol", 1, 40, No), U("sbkeven", 2, 40, No), U("sbkodd", 3, 40, No),
U("sbkpage", 4, 40, No),
U("pgndec", 0, 41, No), U("pgnucrm", 1, 41, No), U("pgnlcrm", 2, 41, No), U("pgnucltr", 3, 41, No),
U("pgnlcltr", 4, 41, No),
U("facingp", 1, 42, No), U("margmirror", 1, 43, No), U("landscape", 1, 44, No), P("viewscale", 100, 45, No),
P("viewzk", 0, 46, No),
U("qc", 2, 47, Pa), U("ql", 0, 47, Pa), U("qr", 1, 47, Pa), U("qj", 3, 47, Pa), U("qd", 4, 47, Pa),
U("ltrpar", 1, 48, Pa), U("rtlpar", 2, 48, Pa), P("pard", 0, 49, Pa), P("plain", 0, 50, Ch), P("sectd", 0, 51, No),
P("f", 0, 52, Ch), P("af", 0, 53, Ch), P("deff", 0, 54, No), P("sb", 0, 55, Pa), P("sa", 0, 56, Pa),
U("chbrdr", 0, 57, No),
U("brdrnone", 0, 58, Pa), U("brdrs", 1, 58, Pa), U("brdrth", 2, 58, Pa), U("brdrsh", 3, 58, Pa),
U("brdrdb", 4, 58, Pa), U("brdrdot", 5, 58, Pa), U("brdrdash", 6, 58, Pa), U("brdrhair", 7, 58, Pa),
U("brdrdashsm", 8, 58, Pa), U("brdrdashd", 9, 58, Pa), U("brdrdashdd", 10, 58, Pa), U("brdrtriple", 11, 58, Pa),
U("brdrtnthsg", 12, 58, Pa), U("brdrthtnsg", 13, 58, Pa), U("brdrtnthtnsg", 14, 58, Pa),
U("brdrtnthmg", 15, 58, Pa), U("brdrthtnmg", 16, 58, Pa), U("brdrtnthtnmg", 17, 58, Pa),
U("brdrtnthlg", 18, 58, Pa), U("brdrthtnlg", 19, 58, Pa), U("brdrtnthtnlg", 20, 58, Pa),
U("brdrwavy", 21, 58, Pa), U("brdrwavydb", 22, 58, Pa), U("brdrdashdotstr", 23, 58, Pa),
U("brdremboss", 24, 58, Pa), U("brdrengrave", 25, 58, Pa), U("brdrinset", 26, 58, Pa),
U("brdroutset", 27, 58, Pa),
U("brdrl", 0, 59, Pa), U("brdrt", 1, 59, Pa), U("brdrr", 2, 59, Pa), U("brdrb", 3, 59, Pa), U("box", 4, 59, Pa),
P("brdrw", 1, 60, Pa), P("brdrcf", 0, 61, Pa), P("brsp", 0, 62, Pa), P("cbpat", 0, 63, Pa),
P("cfpat", 0, 64, Pa), P("shading", 0, 65, Pa), P("outlinelevel", -1, 66, Pa), P("ansicpg", 0, 67, No),
P("u", 0, 68, No), P("uc", 1, 69, Ch), P("page", 0, 70, No), P("spltpgpar", 0, 71, No), P("v", 1, 72, Ch),
U("keep", 1, 73, Pa), U("keepn", 1, 74, Pa), U("nowidctlpar", 2, 75, Pa), U("widctlpar", 1, 75, Pa),
P("tx", 0, 76, Pa), U("tqr", 1, 77, Pa), U("tqc", 2, 77, Pa), U("tqdec", 3, 77, Pa),
U("tldot", 1, 78, Pa), U("tlhyph", 3, 78, Pa), U("tlul", 4, 78, Pa), U("tlth", 4, 78, Pa), U("tleq", 5, 78, Pa),
U("tlmdot", 2, 78, Pa), P("jclisttab", 0, 79, Pa),
P("red", 0, 80, No), P("green", 0, 81, No), P("blue", 0, 82, No),
U("fnil", 0, 83, No), U("froman", 1, 83, No), U("fswiss", 2, 83, No), U("fmodern", 3, 83, No),
U("fscript", 4, 83, No), U("fdecor", 5, 83, No), U("ftech", 6, 83, No), U("fbidi", 7, 83, No),
P("fcharset", 0, 84, Ch), P("s", 0, 85, No), P("cs", 0, 86, No), P("ts", 0, 87, No), P("ds", 0, 88, No),
P("sbasedon", 0, 89, No), P("slink", 0, 90, No), P("snext", 0, 91, No), P("additive", 0, 92, No),
P("shidden", 0, 93, No), P("sqformat", 0, 94, No),
P("picw", 0, 95, No), P("pich", 0, 96, No), P("picscalex", 100, 97, No), P("picscaley", 100, 98, No),
P("picwgoal", 0, 99, No), P("pichgoal", 0, 100, No), P("wbmwidthbytes", 0, 101, No),
P("wbmbitspixel", 1, 102, No), P("wbmplanes", 1, 103, No),
U("emfblip", 0, 104, No), U("pngblip", 1, 104, No), U("jpegblip", 2, 104, No), U("macpict", 3, 104, No),
U("pmmetafile", 4, 104, No), U("dibitmap", 6, 104, No), U("wbitmap", 7, 104, No),
P("wmetafile", 1, 105, No), P("picbmp", 1, 106, No),
U("objemb", 0, 107, No), U("objlink", 1, 107, No), U("objautlink", 2, 107, No), U("objsub", 3, 107, No),
U("objpub", 4, 107, No), U("objicemb", 5, 107, No), U("objhtml", 6, 107, No), U("objocx", 7, 107, No),
P("objw", 0, 108, No), P("objh", 0, 109, No),
P("pnlvl", 1, 110, No), U("pnlvlblt", 11, 110, No), U("pnlvlbody", 10, 110, No), P("pnhang", 1, 111, No),
U("pndec", 1, 112, No), U("pnucltr", 3, 112, No), U("pnucrm", 5, 112, No), U("pnlcltr", 2, 112, No),
U("pnlcrm", 4, 112, No), P("pnb", 1, 113, No), P("pni", 1, 114, No),
P("pnuldash", 1, 115, No), P("pnuldashd", 1, 115, No), P("pnuldashdd", 1, 115, No), P("pnulhair", 1, 115, No),
P("pnulth", 1, 115, No), P("pnulwave", 1, 115, No), P("pnul", 1, 115, No), P("pnuld", 1, 115, No),
P("pnuldb", 1, 115, No), P("pnulw", 1, 115, No), U("pnulnone", 0, 115, No),
P("pnstrike", 1, 116, No), P("pncf", 0, 117, No), P("pnf", 0, 118, No), P("pnfs", 0, 119, No),
P("pnindent", 0, 120, No), P("pnsp", 0, 121, No), U("pnqc", 2, 122, No), U("pnql", 0, 122, No),
U("pnqr", 1, 122, No), P("pnstart", 1, 123, No), P("pnseclvl", 1, 124, No),
P("listid", 0, 125, No), P("listsimple", 1, 127, No), P("levelstartat", 1, 129, No), P("levelnfc", 0, 130, No),
P("leveljc", 0, 131, No), P("levelold", 1, 132, No), P("levelindent", 0, 133, No), P("levelspace", 0, 134, No),
P("levelfollow", 0, 135, No), P("levellegal", 1, 136, No), P("levelnorestart", 1, 137, No),
P("listoverridecount", 0, 138, No), P("ls", 1, 139, Pa), P("listoverridestartat", 1, 140, No),
P("ilvl", 1, 141, Pa), U("listoverrideformat", 1, 142, No), P("ftnalt", 0, 143, No), P("chftn", 0, 144, No),
U("ftnrstcont", 0, 145, No), U("ftnrestart", 0, 145, No), U("ftnrstpg", 1, 145, No),
U("row", 0, 146, No), U("nestrow", 1, 146, No), U("cell", 0, 147, No), U("nestcell", 1, 147, No),
P("intbl", 0, 148, No), P("itap", 1, 149, No), U("lastrow", 0, 150, No), P("trowd", 0, 151, No),
U("trql", 0, 152, No), U("trqr", 1, 152, No), U("trqc", 2, 152, No), P("trgaph", 0, 153, No),
P("trleft", 0, 154, No), P("trrh", 0, 155, No), P("trhdr", 1, 156, No),
P("trpaddl", 0, 157, No), P("trpaddr", 0, 158, No), P("trpaddt", 0, 159, No), P("trpaddb", 0, 160, No),
P("trpaddfl", 0, 161, No), P("trpaddfr", 0, 162, No), P("trpaddft", 0, 163, No), P("trpaddfb", 0, 164, No),
P("trspdl", 0, 165, No), P("trspdr", 0, 166, No), P("trspdt", 0, 167, No), P("trspdb", 0, 168, No),
P("trspdfl", 0, 169, No), P("trspdfr", 0, 170, No), P("trspdft", 0, 171, No), P("trspdfb", 0, 172, No),
P("trwWidth", 0, 173, No), P("trftsWidth", 0, 174, No), P("trkeep", 0, 175, No),
U("clvmrg", 2, 176, No), U("clvmgf", 1, 176, No), U("clmrg", 2, 177, No), U("clmgf", 1, 177, No),
U("cltxtbrl", 1, 178, No), U("cltxbtlr", 2, 178, No), P("clwWidth", 0, 179, No), P("clftsWidth", 0, 180, No),
P("clcbpat", 0, 181, No), P("clcbpatraw", 0, 181, No), P("clcfpat", 0, 182, No), P("clshdng", 0, 183, No),
U("clvertalt", 0, 184, No), U("clvertalc", 2, 184, No), U("clvertalb", 1, 184, No), P("cellx", 0, 185, No),
U("trbrdrl", 0, 186, Pa), U("trbrdrt", 1, 186, Pa), U("trbrdrr", 2, 186, Pa), U("trbrdrb", 3, 186, Pa),
U("trbrdrh", 0, 187, Pa), U("trbrdrv", 0, 187, Pa),
U("clbrdrl", 0, 188, Pa), U("clbrdrt", 1, 188, Pa), U("clbrdrr", 2, 188, Pa), U("clbrdrb", 3, 188, Pa),
P("absnoovrlp", 0, 189, Pa),
P("virozerecbw", 0, 191, No), P("virozerecbh", 0, 192, No), P("virozeretbw", 0, 193, No),
P("virozerecbwtw", 0, 194, No), P("virozerecbhtw", 0, 195, No), P("virozeretbwtw", 0, 196, No),
};
// clang-format on

bool KeywordLess(const TRVRTFsymbol& a, const TRVRTFsymbol& b) {
  return std::string_view(a.Keyword) < std::string_view(b.Keyword);
}

// The table sorted once by keyword (ordinal byte order: the character traits of char compare as
// unsigned bytes), with the keywords as views for the lookup.
// Beside the sorted rows, an open-addressing hash of the keywords to their sorted index, so that
// a lookup hashes the word once and compares it with one row in the common case.
constexpr std::size_t KeywordSlotCount = 4096;  // a power of two, several times the rows

std::uint32_t KeywordHash(std::string_view key) {
  std::uint32_t h = 2166136261u;
  for (const char c : key) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

struct TSortedTable {
  std::vector<TRVRTFsymbol> Rows;
  std::vector<std::string_view> Keywords;
  std::vector<std::int16_t> Slots;  // sorted index + 1 of the keyword hashed there, 0 for none
};

const TSortedTable& SortedTable() {
  static const TSortedTable table = [] {
    TSortedTable t;
    t.Rows.assign(std::begin(ControlWords), std::end(ControlWords));
    std::sort(t.Rows.begin(), t.Rows.end(), KeywordLess);
    for (const TRVRTFsymbol& row : t.Rows) t.Keywords.emplace_back(row.Keyword);
    static_assert(std::size(ControlWords) * 2 < KeywordSlotCount);
    t.Slots.assign(KeywordSlotCount, 0);
    for (std::size_t i = 0; i < t.Keywords.size(); ++i) {
      std::size_t slot = KeywordHash(t.Keywords[i]) & (KeywordSlotCount - 1);
      // Every keyword is in the table once.
      while (t.Slots[slot] != 0) slot = (slot + 1) & (KeywordSlotCount - 1);
      t.Slots[slot] = static_cast<std::int16_t>(i + 1);
    }
    return t;
  }();
  return table;
}

const std::vector<TRVRTFsymbol>& SortedControlWords() { return SortedTable().Rows; }

// Any value taken from input, saturated to the range of an Integer.
int Saturate(std::int64_t v) {
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace rvrtfcontrolwords_detail

using namespace rvrtfcontrolwords_detail;

const TRVRTFsymbol* RTFControlWordTable(int& Count) {
  const std::vector<TRVRTFsymbol>& rows = SortedControlWords();
  Count = static_cast<int>(rows.size());
  return rows.data();
}

int TRVRTFReader::FindControlWord(const TRVAnsiString& Keyword) {
  const TSortedTable& table = SortedTable();
  const std::string_view key(Keyword);
  std::size_t slot = KeywordHash(key) & (KeywordSlotCount - 1);
  for (;;) {
    const int entry = table.Slots[slot];
    if (entry == 0) return -1;
    // Keywords are short: compared here rather than through a library call.
    const std::string_view row = table.Keywords[static_cast<std::size_t>(entry - 1)];
    if (row.size() == key.size()) {
      std::size_t i = 0;
      while (i < key.size() && row[i] == key[i]) ++i;
      if (i == key.size()) return entry - 1;
    }
    slot = (slot + 1) & (KeywordSlotCount - 1);
  }
}

int RTFFindControlWord(const TRVAnsiString& Keyword) { return TRVRTFReader::FindControlWord(Keyword); }

// ---- dispatch ----

TRVRTFErrorCode TRVRTFReader::DispatchControlWord(const TRVAnsiString& Keyword, int Param, bool fParam) {
  if (OnTranslateKeyword) {
    bool doDefault = true;
    TRVAnsiString text;
    OnTranslateKeyword(this, Keyword, Param, fParam, text, doDefault);
    for (char c : text) {
      const TRVRTFErrorCode ec = ProcessChar(static_cast<unsigned char>(c));
      if (ec != rtf_ec_OK) return ec;
    }
    if (!doDefault) return rtf_ec_OK;
  }
  const int index = FindControlWord(Keyword);
  if (index < 0) {
    TRVRTFCharProperties& charProps = *FRTFState->CharProps();
    if (FRTFState->rds == rdsNorm && charProps.CanParseKeyword(Keyword)) {
      const TRVRTFErrorCode ec = AppendChar(0, false, true);
      fSkipDestIfUnk = false;
      if (ec != rtf_ec_OK) return ec;
      charProps.ParseKeyword(Keyword, Param, fParam);
    } else if (fSkipDestIfUnk) {
      FRTFState->rds = rdsSkip;
    }
    fSkipDestIfUnk = false;
    return rtf_ec_OK;
  }
  fSkipDestIfUnk = false;
  const TRVRTFsymbol& row = SortedControlWords()[static_cast<std::size_t>(index)];
  switch (row.Kwd) {
    case rtf_kwd_Char:
      if (SkipNext > 0) {
        --SkipNext;
        return rtf_ec_OK;
      }
      return ProcessChar(static_cast<unsigned char>(row.Idx));
    case rtf_kwd_WideChar:
      if (SkipNext > 0) {
        --SkipNext;
        return rtf_ec_OK;
      }
      if (FRTFState->rds == rdsNorm && OnNewUnicodeText)
        return AppendWideChar(static_cast<TRVUnicodeChar>(row.DefValue));
      if (row.Idx != 0) return ProcessChar(static_cast<unsigned char>(row.Idx));
      return rtf_ec_OK;
    case rtf_kwd_Dest: return EnterDestination(row.Idx, 0);
    case rtf_kwd_Prop: {
      const int value = row.UseDef || !fParam ? row.DefValue : Param;
      if (FRTFState->rds == rdsNorm && (row.AffectTo == rtf_af_CharProp || row.AffectTo == rtf_af_BothProp)) {
        const TRVRTFErrorCode ec = AppendChar(0, false, true);
        if (ec != rtf_ec_OK) return ec;
      }
      return ApplyProperty(row.Idx, value);
    }
    case rtf_kwd_Spec: return ApplySpecial(row.Idx);
  }
  return rtf_ec_BadTable;
}

TRVRTFErrorCode TRVRTFReader::ApplySpecial(int Idx) {
  const TRTFrds rds = FRTFState->rds;
  if ((rds == rdsSkip || rds == rdsUpr) && Idx != 0) return rtf_ec_OK;
  switch (Idx) {
    case 0:
      if (lParam > 0) {
        // The data cannot be longer than what is left of the stream.
        cbBin = std::min<std::int64_t>(lParam, InputLeft());
        if (cbBin > 0) FRTFState->ris = risBin;
      }
      return rtf_ec_OK;
    case 1:
      FRTFState->ris = risHex;
      FHexHaveFirst = false;
      return rtf_ec_OK;
    case 2: fSkipDestIfUnk = true; return rtf_ec_OK;
    default: return rtf_ec_BadTable;
  }
}

// ---- destinations ----

TRVRTFErrorCode TRVRTFReader::EnterDestination(int Dest, int Param) {
  TRVRTFReaderState& state = *FRTFState;
  if (state.rds == rdsSkip) return rtf_ec_OK;
  if (state.rds == rdsUpr) {
    // "\ud" reads its group in the destination that surrounded "\upr" (the nearest enclosing
    // one that is not "\upr", kept in the state rather than searched for on the group stack).
    if (Dest == 47) state.rds = state.FUprOuterRds;
    return rtf_ec_OK;
  }
  switch (Dest) {
    case 1:
    case 2:
    case 3:
    case 43:
    case 44:
    case 45: return EnterPictureDestination(Dest);
    case 4: state.rds = rdsSkip; return rtf_ec_OK;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11: return EnterDocTableDestination(Dest, Param);
    case 12: {
      const TRVRTFErrorCode ec = AppendChar(0, true, true);
      if (ec != rtf_ec_OK) return ec;
      state.FBmkStartName.clear();
      state.rds = rdsBmkStart;
      FTmpString.clear();
      return rtf_ec_OK;
    }
    case 13: state.rds = rdsInfo; return rtf_ec_OK;
    case 14:
    case 15:
    case 16:
      if (state.rds == rdsInfo) {
        state.rds = Dest == 14 ? rdsAuthor : Dest == 15 ? rdsTitle : rdsDocComm;
        FTmpString.clear();
      } else {
        state.rds = rdsSkip;
      }
      return rtf_ec_OK;
    case 17:
    case 18:
    case 19: return EnterFieldDestination(Dest);
    case 20: state.rds = rdsNorm; return rtf_ec_OK;
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28: return StartHeaderFooter(Dest);
    case 29: return StartNote();
    case 46:
      state.FUprOuterRds = state.rds;
      state.rds = rdsUpr;
      return rtf_ec_OK;
    default:
      if (Dest >= 30 && Dest <= 42) return EnterListDestination(Dest, Param);
      state.rds = rdsSkip;
      return rtf_ec_OK;
  }
}

TRVRTFErrorCode TRVRTFReader::LeaveDestination(TRTFrds Rds, TRVRTFReaderState& Source) {
  (void)Source;
  switch (Rds) {
    case rdsFontTable:
    case rdsStyleSheet:
    case rdsStyleSheetEntry: return LeaveDocTableDestination(Rds);
    case rdsPict:
    case rdsObject:
    case rdsObjData: return LeavePictureDestination(Rds);
    case rdsBmkStart: {
      TRVUnicodeString& name = FRTFState->FBmkStartName;
      name += AnsiToUnicode(FTmpString, FCodePage);
      FTmpString.clear();
      if (OnBookmarkStart) OnBookmarkStart(this, name);
      name.clear();
      return rtf_ec_OK;
    }
    case rdsAuthor:
      FDocProps->FAuthor += AnsiToUnicode(FTmpString, FCodePage);
      FTmpString.clear();
      return rtf_ec_OK;
    case rdsTitle:
      FDocProps->FTitle += AnsiToUnicode(FTmpString, FCodePage);
      FTmpString.clear();
      return rtf_ec_OK;
    case rdsDocComm:
      FDocProps->FComments += AnsiToUnicode(FTmpString, FCodePage);
      FTmpString.clear();
      return rtf_ec_OK;
    case rdsField:
    case rdsFldInst: return LeaveFieldDestination(Rds);
    case rdsPN:
    case rdsPNTextAfter:
    case rdsPNTextBefore:
    case rdsPNSecLvl:
    case rdsListTable:
    case rdsList:
    case rdsListLevel:
    case rdsListName:
    case rdsListLevelText:
    case rdsListLevelNumbers:
    case rdsLOTable:
    case rdsLO:
    case rdsLOLevel:
    case rdsLOListLevel:
    case rdsLOListLevelText:
    case rdsLOListLevelNumbers: return LeaveListDestination(Rds);
    default: return rtf_ec_OK;
  }
}

// ---- properties ----

TRVRTFErrorCode TRVRTFReader::ApplyProperty(int Idx, int Value) {
  switch (FRTFState->rds) {
    case rdsStyleSheetEntry: {
      bool handled = false;
      const TRVRTFErrorCode ec = ApplyStyleSheetProperty(Idx, Value, handled);
      if (ec != rtf_ec_OK || handled) return ec;
      return ApplyGeneralProperty(Idx, Value);
    }
    case rdsSkip:
    case rdsUpr: return rtf_ec_OK;
    case rdsColorTable:
      if (Idx >= 80 && Idx <= 82) return ApplyDocTableProperty(Idx, Value);
      return rtf_ec_OK;
    case rdsPict: return ApplyPictureProperty(Idx, Value);
    case rdsObject: return ApplyObjectProperty(Idx, Value);
    case rdsPN:
    case rdsPNSecLvl:
    case rdsList:
    case rdsListLevel:
    case rdsLOListLevel:
    case rdsLO:
    case rdsLOLevel: return ApplyListDestinationProperty(Idx, Value);
    default: return ApplyGeneralProperty(Idx, Value);
  }
}

TRVRTFErrorCode TRVRTFReader::ApplyGeneralProperty(int Idx, int Value) {
  TRVRTFReaderState& state = *FRTFState;
  TRVRTFCharProperties& cp = *state.CharProps();
  TRVRTFParaProperties& pp = *state.ParaProps();
  TRVRTFSectionProperties& sp = *state.SectProps();
  TRVRTFDocProperties& dp = *FDocProps;
  auto setStyle = [&cp](TFontStyle style, bool on) {
    if (on)
      cp.FStyle.Include(style);
    else
      cp.FStyle.Exclude(style);
  };
  switch (Idx) {
    case 0: cp.FIsProtected = Value != 0; break;
    case 1: setStyle(fsBold, Value != 0); break;
    case 2: setStyle(fsItalic, Value != 0); break;
    case 3: setStyle(fsStrikeOut, Value != 0); break;
    case 4:
      setStyle(fsUnderline, Value != 0);
      cp.FUnderlineType = rtf_rvut_Normal;
      break;
    case 5:
      setStyle(fsUnderline, Value != 0);
      if (Value > 0 && Value <= rtf_rvut_ThickDashDotDotted)
        cp.FUnderlineType = static_cast<TRVRTFUnderlineType>(Value);
      break;
    case 6: GetTableColor(Value, cp.FUnderlineColor); break;
    case 7: cp.FBiDiMode = static_cast<TRVRTFBiDiMode>(Value); break;
    case 8: cp.FCharScaleX = Value; break;
    case 9: cp.FCharSpacingTw = Value; break;
    case 10: cp.FSScriptType = static_cast<TRVRTFSScriptType>(Value); break;
    case 11: cp.FVShiftPt = Value; break;
    case 12: cp.FVShiftPt = Saturate(-static_cast<std::int64_t>(Value)); break;
    case 13:
      if (Value != 0)
        cp.FStyleEx.Include(rtf_fs_AllCaps);
      else
        cp.FStyleEx.Exclude(rtf_fs_AllCaps);
      break;
    case 14: cp.FSizeDouble = Value; break;
    case 15: GetTableColor(Value, cp.FColor); break;
    case 16:
      if (cp.FHighlight < 0) GetTableColor(Value, cp.FBackColor);
      if (cp.FBackColor == clWindowText) cp.FBackColor = clNone;
      break;
    case 17:
      cp.FHighlight = Value;
      if (ConvertHighlight == rtf_hl_FixedColors) {
        cp.FBackColor = HighlightToColor(Value);
      } else if (ConvertHighlight == rtf_hl_ColorTable) {
        GetTableColor(Value, cp.FBackColor);
        if (cp.FBackColor == clWindowText) cp.FBackColor = clNone;
      }
      break;
    case 18: cp.FLanguage = static_cast<unsigned>(Value); break;
    case 19: state.FDefLanguage = static_cast<unsigned>(Value); break;
    case 20:
      pp.FLineSpacing = Value;
      pp.FLineSpacingMulti = false;
      break;
    case 21: pp.FLineSpacingMulti = Value != 0; break;
    case 22: pp.FPageBreakBefore = true; break;
    case 23: pp.FLeftIndentTw = Value; break;
    case 24: pp.FRightIndentTw = Value; break;
    case 25: pp.FFirstIndentTw = Value; break;
    case 26: sp.FColumnCount = Value; break;
    case 27: sp.FPageNumberXTw = Value; break;
    case 28: sp.FPageNumberYTw = Value; break;
    case 29: sp.FHeaderYTw = Value; break;
    case 30: sp.FFooterYTw = Value; break;
    case 31: FWidowOrphanControl = true; break;
    case 32: sp.FHasTitlePage = true; break;
    case 33: dp.FPaperWidthTw = Value; break;
    case 34: dp.FPaperHeightTw = Value; break;
    case 35: dp.FLeftMarginTw = Value; break;
    case 36: dp.FRightMarginTw = Value; break;
    case 37: dp.FTopMarginTw = Value; break;
    case 38: dp.FBottomMarginTw = Value; break;
    case 39: dp.FPageNumberStart = Value; break;
    case 40: sp.FSectionBreakType = static_cast<TRVRTFSectionBreakType>(Value); break;
    case 41: sp.FPageNumberFormat = static_cast<TRVRTFPageNumberFormat>(Value); break;
    case 42: dp.FFacingPages = true; break;
    case 43: dp.FMirrorMargins = true; break;
    case 44: dp.FLandscape = true; break;
    case 45: dp.FViewScale = Value; break;
    case 46:
      if (Value >= rtf_zk_None && Value <= rtf_zk_BestFit) dp.FZoomKind = static_cast<TRVRTFZoomKind>(Value);
      break;
    case 47: pp.FAlignment = static_cast<TRVRTFAlignment>(Value); break;
    case 48: pp.FBiDiMode = static_cast<TRVRTFBiDiMode>(Value); break;
    case 49:
    case 50:
    case 51:
    case 151: return ResetProperties(Idx);
    case 52:
    case 54:
    case 67:
    case 80:
    case 81:
    case 82:
    case 83:
    case 84:
    case 85:
    case 86: return ApplyDocTableProperty(Idx, Value);
    case 53:
    case 124:
    case 139:
    case 141: return ApplyParaListProperty(Idx, Value);
    case 55: pp.FSpaceBeforeTw = Value; break;
    case 56: pp.FSpaceAfterTw = Value; break;
    case 57:
    case 58:
    case 59:
    case 60:
    case 61:
    case 62: return ApplyBorderProperty(Idx, Value);
    case 63:
      GetTableColor(Value, pp.FColor);
      if (pp.FColor == clWindowText) pp.FColor = clNone;
      break;
    case 64: GetTableColor(Value, pp.ForeColor); break;
    case 65: pp.Shading = Value; break;
    case 66: pp.FOutlineLevel = Saturate(static_cast<std::int64_t>(Value) + 1); break;
    case 68: return ApplyUnicode(Value);
    case 69: cp.FSkipAnsiCount = Value; break;
    case 70: return DoPageBreak();
    case 71: FSpltPgPar = true; break;
    case 72: return ApplyHidden(Value);
    case 73: pp.FKeepLinesTogether = Value != 0; break;
    case 74: pp.FKeepWithNext = Value != 0; break;
    case 75: pp.FWidowOrphanControl = static_cast<TRVRTFParaWidowOrphanControl>(Value); break;
    case 76:
      // A paragraph keeps a bounded number of tab stops, so that a copy of the state per group
      // stays small whatever the input.
      if (!pp.HasTabs() || pp.Tabs()->Count() < MaxTabStops) {
        pp.CurrentTab()->PositionTW = Value;
        pp.Tabs()->AddNew();
      }
      break;
    case 77: pp.CurrentTab()->Align = static_cast<TRVRTFTabAlign>(Value); break;
    case 78: pp.CurrentTab()->Leader = static_cast<TRVRTFTabLeader>(Value); break;
    case 79: pp.CurrentTab()->IsListTab = true; break;
    case 143: return NoteIsEndnote();
    case 144: return NoteCharacter();
    case 145: dp.FFootnotePageRestart = Value != 0; break;
    default:
      if (Idx >= 146 && Idx <= 196) return ApplyTableProperty(Idx, Value);
      // Style-sheet, picture, object and list words outside their destinations.
      break;
  }
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ResetProperties(int Idx) {
  TRVRTFReaderState& state = *FRTFState;
  switch (Idx) {
    case 49: state.ParaProps()->Reset(); return rtf_ec_OK;
    case 50: {
      if (state.DefFontIndex == -1) state.DefFontIndex = GetFontIndexOfNumber(state.DefFontNumber);
      TRVRTFCharProperties& cp = *state.CharProps();
      const int skip = cp.FSkipAnsiCount;
      cp.Reset(state.FDefLanguage, state.DefFontIndex);
      cp.FSkipAnsiCount = skip;
      return rtf_ec_OK;
    }
    case 51: state.SectProps()->Reset(); return rtf_ec_OK;
    case 151: state.RowProps()->Reset(); return rtf_ec_OK;
    default: return rtf_ec_BadTable;
  }
}

TRVRTFErrorCode TRVRTFReader::ApplyUnicode(int Value) {
  const auto unit = static_cast<TRVUnicodeChar>(static_cast<std::uint16_t>(Value));
  const int skip = FRTFState->CharProps()->FSkipAnsiCount;
  switch (FRTFState->rds) {
    case rdsNorm:
      if (!OnNewUnicodeText) return rtf_ec_OK;
      SkipNext = skip;
      return AppendWideChar(unit);
    case rdsFontTable:
    case rdsStyleSheetEntry:
    case rdsBmkStart:
    case rdsAuthor:
    case rdsTitle:
    case rdsDocComm:
    case rdsFldInst:
    case rdsPNTextAfter:
    case rdsPNTextBefore:
    case rdsListLevelText:
    case rdsLOListLevelText: SkipNext = skip; return AppendWideChar(unit);
    default: {
      if (skip < 1) return rtf_ec_OK;
      SkipNext = skip;
      const TRVAnsiString bytes = UnicodeToAnsi(TRVUnicodeString(1, unit));
      for (char c : bytes) {
        const TRVRTFErrorCode ec = ProcessChar(static_cast<unsigned char>(c));
        if (ec != rtf_ec_OK) return ec;
      }
      return rtf_ec_OK;
    }
  }
}

// ---- characters by destination ----

TRVRTFErrorCode TRVRTFReader::ProcessChar(unsigned char ch) {
  TRVRTFErrorCode ec = rtf_ec_OK;
  switch (FRTFState->rds) {
    case rdsNorm:
      if ((ch == 10 || ch == 13) && OnUpdateMarker) {
        DoUpdateMarker();
        ec = AppendChar(ch, true, true);
        if (ec == rtf_ec_OK) DoUpdateMarker();
      } else {
        ec = AppendChar(ch, true, true);
      }
      break;
    case rdsFontTable:
    case rdsColorTable:
    case rdsStyleSheetEntry: ec = ProcessDocTableChar(ch); break;
    case rdsPict:
    case rdsObjData: ec = ProcessPictureChar(ch); break;
    case rdsBmkStart:
    case rdsAuthor:
    case rdsTitle:
    case rdsDocComm: FTmpString.push_back(static_cast<char>(ch)); break;
    case rdsFldInst: ec = ProcessFieldChar(ch); break;
    case rdsPNTextAfter:
    case rdsPNTextBefore:
    case rdsListName:
    case rdsListLevelText:
    case rdsLOListLevelText:
    case rdsListLevelNumbers:
    case rdsLOListLevelNumbers: ec = ProcessListChar(ch); break;
    default: break;
  }
  if (FRTFState->ris == risBin && --cbBin < 1) FRTFState->ris = risNorm;
  return ec;
}

TRVRTFErrorCode TRVRTFReader::AppendWideChar(TRVUnicodeChar ch) {
  TRVUnicodeString* target = nullptr;
  switch (FRTFState->rds) {
    case rdsNorm: return AppendUnicodeChar(ch);
    case rdsFontTable:
    case rdsStyleSheetEntry: return AppendDocTableWideChar(ch);
    case rdsBmkStart: target = &FRTFState->FBmkStartName; break;
    case rdsAuthor: target = &FDocProps->FAuthor; break;
    case rdsTitle: target = &FDocProps->FTitle; break;
    case rdsDocComm: target = &FDocProps->FComments; break;
    case rdsFldInst: return AppendFieldWideChar(ch);
    case rdsPNTextAfter:
    case rdsPNTextBefore:
    case rdsListLevelText:
    case rdsLOListLevelText: return AppendListWideChar(ch);
    default: return rtf_ec_OK;
  }
  *target += AnsiToUnicode(FTmpString, FCodePage);
  FTmpString.clear();
  if (ch != 0) target->push_back(ch);
  return rtf_ec_OK;
}

bool TRVRTFReader::GetTableColor(int Index, TColor& Color) const {
  if (Index < 0 || Index >= FColorTable->Count()) return false;
  Color = FColorTable->Get(Index);
  return true;
}

TColor TRVRTFReader::HighlightToColor(int Index) {
  // The sixteen highlight colours, $00BBGGRR.
  static constexpr TColor colors[16] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
                                        0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};
  if (Index < 1 || Index > 16) return clNone;
  return colors[Index - 1];
}
