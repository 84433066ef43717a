#include "platform/base/NLSTables.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <map>
#include <mutex>

namespace nls_tables {

namespace {

// Bytes whose mapping in the converter library's table is not the system's. Character 0 leaves
// the byte undefined.
struct TByteFix {
  UINT CodePage;
  unsigned char Byte;
  char16_t Character;
};

constexpr TByteFix kSingleByteFixes[] = {
    // The micro sign, which the library's tables of these PC code pages read as the Greek letter.
    {437, 0xE6, 0x00B5}, {860, 0xE6, 0x00B5}, {861, 0xE6, 0x00B5}, {862, 0xE6, 0x00B5},
    {863, 0xE6, 0x00B5}, {865, 0xE6, 0x00B5},
    // The not sign.
    {852, 0xAA, 0x00AC},
    // The middle dot and the Greek tonos, which the library's table has the wrong way round.
    {869, 0x88, 0x00B7}, {869, 0xEF, 0x0384},
    // Arabic: the percent sign of the code page is the Arabic one; the library's table also
    // swaps in other presentation forms and a zero-width space.
    {864, 0x25, 0x066A}, {864, 0x9F, 0}, {864, 0xD7, 0xFEC1}, {864, 0xD8, 0xFEC5},
    {864, 0xF1, 0x0651},
    // Code page 720 passes these C1 controls through.
    {720, 0x80, 0x0080}, {720, 0x81, 0x0081}, {720, 0x84, 0x0084}, {720, 0x86, 0x0086},
    {720, 0x8D, 0x008D}, {720, 0x8E, 0x008E}, {720, 0x8F, 0x008F}, {720, 0x90, 0x0090},
};

// Single bytes of double-byte code pages that the library's table leaves undefined.
constexpr TByteFix kDoubleByteFixes[] = {
    {932, 0x80, 0x0080}, {932, 0xA0, 0xF8F0}, {932, 0xFD, 0xF8F1},
    {932, 0xFE, 0xF8F2}, {932, 0xFF, 0xF8F3},
};

// Best fit of double-byte code pages beyond the general rules: the character the code page
// writes for a lookalike it lacks.
struct TLookalike {
  UINT CodePage;
  char16_t Character;
  char16_t Written;
};
constexpr TLookalike kLookalikes[] = {
    {932, 0x2016, 0x2225},  // double vertical line: parallel to
    {932, 0x2212, 0xFF0D},  // minus sign: fullwidth hyphen-minus
    {932, 0x301C, 0xFF5E},  // wave dash: fullwidth tilde
    {950, 0x223C, 0xFF5E},  // tilde operator: fullwidth tilde
};

// Typographic punctuation and spacing modifiers written as their plain forms where a code page
// lacks them (those whose compatibility form is plain already follow from the decomposition).
struct TPlainForm {
  char16_t Character;
  char16_t Plain;
};
constexpr TPlainForm kPlainForms[] = {
    {0x2018, u'\''}, {0x2019, u'\''}, {0x201A, u'\''}, {0x201B, u'\''}, {0x2032, u'\''},
    {0x2035, u'`'},  {0x02B9, u'\''}, {0x02BC, u'\''}, {0x02C8, u'\''}, {0x02CB, u'`'},
    {0x201C, u'"'},  {0x201D, u'"'},  {0x201E, u'"'},  {0x201F, u'"'},  {0x2033, u'"'},
    {0x02BA, u'"'},  {0x00AB, u'<'},  {0x00BB, u'>'},  {0x2039, u'<'},  {0x203A, u'>'},
    {0x2010, u'-'},  {0x2011, u'-'},  {0x2012, u'-'},  {0x2013, u'-'},  {0x2014, u'-'},
    {0x2015, u'-'},  {0x2212, u'-'},  {0x00AD, u'-'},  {0x2043, u'-'},  {0x02C6, u'^'},
    {0x02DC, u'~'},  {0x223C, u'~'},  {0x2044, u'/'},  {0x2215, u'/'},  {0x2216, u'\\'},
    {0x2217, u'*'},  {0x2223, u'|'},  {0x2236, u':'},  {0x2022, 0x00B7}, {0x00B7, u'.'},
};

const UNormalizer2* Instance(const UNormalizer2* (*get)(UErrorCode*)) {
  UErrorCode err = U_ZERO_ERROR;
  const UNormalizer2* n = get(&err);
  return U_SUCCESS(err) ? n : nullptr;
}

// One level of the decomposition of c (canonical, or compatibility as well); 0 parts when none.
int RawDecomposition(const UNormalizer2* n, UChar32 c, UChar32 parts[8]) {
  if (!n) return 0;
  UChar units[16];
  UErrorCode err = U_ZERO_ERROR;
  const int32_t len = unorm2_getRawDecomposition(n, c, units, 16, &err);
  if (U_FAILURE(err) || len <= 0) return 0;
  int count = 0;
  for (int32_t i = 0; i < len && count < 8;) {
    UChar32 c32;
    U16_NEXT(units, i, len, c32);
    parts[count++] = c32;
  }
  return count;
}

bool AllMarksAfterFirst(const UChar32* parts, int count) {
  for (int i = 1; i < count; ++i)
    if (u_getCombiningClass(parts[i]) == 0) return false;
  return true;
}

// Halfwidth and fullwidth forms by the character they are a form of.
const std::unordered_map<UChar32, UChar32>& FullwidthForms() {
  static const std::unordered_map<UChar32, UChar32> forms = [] {
    std::unordered_map<UChar32, UChar32> m;
    const UNormalizer2* nfkd = Instance(unorm2_getNFKDInstance);
    for (UChar32 f = 0xFF01; f <= 0xFFEE; ++f) {
      UChar32 parts[8];
      if (RawDecomposition(nfkd, f, parts) == 1 && u_getIntPropertyValue(f, UCHAR_EAST_ASIAN_WIDTH) == U_EA_FULLWIDTH)
        m.emplace(parts[0], f);
    }
    return m;
  }();
  return forms;
}

}  // namespace

int BestFitCandidates(UINT codePage, UChar32 c, bool doubleByte, UChar32 out[4]) {
  int n = 0;
  for (const TLookalike& l : kLookalikes)
    if (l.CodePage == codePage && l.Character == c) out[n++] = l.Written;
  if (doubleByte) {
    const auto& forms = FullwidthForms();
    const auto it = forms.find(c);
    if (it != forms.end()) out[n++] = it->second;
  }
  for (const TPlainForm& p : kPlainForms)
    if (p.Character == c) {
      out[n++] = p.Plain;
      break;
    }
  // The letter without its marks, or the plain character a compatibility form stands for, one
  // step at a time so that the nearest form the code page has wins.
  static const UNormalizer2* nfkd = Instance(unorm2_getNFKDInstance);
  UChar32 x = c;
  while (n < 4) {
    UChar32 parts[8];
    const int count = RawDecomposition(nfkd, x, parts);
    if (count == 0 || !AllMarksAfterFirst(parts, count)) break;
    x = parts[0];
    out[n++] = x;
  }
  return n;
}

char16_t DecodeCorrection(UINT codePage, unsigned char lead, int trail) {
  if (trail >= 0) return 0;
  for (const TByteFix& f : kDoubleByteFixes)
    if (f.CodePage == codePage && f.Byte == lead) return f.Character;
  return 0;
}

std::string_view EncodeCorrection(UINT codePage, char16_t c) {
  for (const TByteFix& f : kDoubleByteFixes)
    if (f.CodePage == codePage && f.Character == c)
      return std::string_view(reinterpret_cast<const char*>(&f.Byte), 1);
  return {};
}

namespace {
const std::array<std::uint16_t, 256> kEmptyPage{};
}  // namespace

std::uint16_t& TSingleByteTable::Slot(char16_t c) {
  const std::uint16_t*& page = Pages_[c >> 8];
  if (page == kEmptyPage.data()) {
    OwnPages_.push_back(std::make_unique<std::array<std::uint16_t, 256>>());
    page = OwnPages_.back()->data();
  }
  return const_cast<std::uint16_t&>(page[c & 0xFF]);
}

std::unique_ptr<TSingleByteTable> TSingleByteTable::Build(UINT codePage, UConverter* cnv) {
  if (!cnv || ucnv_getMaxCharSize(cnv) != 1) return nullptr;
  auto t = std::unique_ptr<TSingleByteTable>(new TSingleByteTable);
  t->Pages_.fill(kEmptyPage.data());

  UErrorCode err = U_ZERO_ERROR;
  ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    UChar out[4];
    err = U_ZERO_ERROR;
    ucnv_resetToUnicode(cnv);
    const int32_t n = ucnv_toUChars(cnv, out, 4, &byte, 1, &err);
    t->Defined_[b] = U_SUCCESS(err) && n == 1 && out[0] != 0xFFFD;
    t->ToUnicode_[b] = t->Defined_[b] ? out[0] : 0xFFFD;
  }
  ucnv_resetToUnicode(cnv);
  // Some tables follow a PC convention that rotates the controls 1A, 1C and 7F; the code pages
  // map them to themselves.
  for (int b : {0x1A, 0x1C, 0x7F}) {
    t->ToUnicode_[b] = static_cast<char16_t>(b);
    t->Defined_[b] = true;
  }
  for (const TByteFix& f : kSingleByteFixes)
    if (f.CodePage == codePage) {
      t->Defined_[f.Byte] = f.Character != 0;
      t->ToUnicode_[f.Byte] = f.Character ? f.Character : 0xFFFD;
    }

  // Encoding: the inverse of decoding (the lowest byte wins where two decode alike).
  for (int b = 0; b < 256; ++b) {
    if (!t->Defined_[b]) continue;
    const char16_t c = t->ToUnicode_[b];
    const bool mark = u_getCombiningClass(c) != 0;
    if (mark) t->MayCombine_ = true;
    std::uint16_t& slot = t->Slot(c);
    if (slot == Unmapped) slot = static_cast<std::uint16_t>((mark ? ExactMark : Exact) | b);
  }

  // A letter the code page lacks is written as its canonical decomposition where the code page
  // has every part (Vietnamese in 1258); otherwise, for best fit, as the nearest form it has.
  const UNormalizer2* nfd = Instance(unorm2_getNFDInstance);
  auto exactByte = [&t](UChar32 c) -> int {
    if (c > 0xFFFF) return -1;
    const std::uint16_t e = t->Entry(static_cast<char16_t>(c));
    return (e & 0xFF00) == Exact || (e & 0xFF00) == ExactMark ? (e & 0xFF) : -1;
  };
  auto decomposed = [&](auto&& self, UChar32 c, std::string& out, int depth) -> bool {
    const int b = exactByte(c);
    if (b >= 0) {
      out.push_back(static_cast<char>(b));
      return true;
    }
    UChar32 parts[8];
    const int count = depth > 4 ? 0 : RawDecomposition(nfd, c, parts);
    if (count < 2 || !AllMarksAfterFirst(parts, count)) return false;
    for (int i = 0; i < count; ++i)
      if (!self(self, parts[i], out, depth + 1)) return false;
    return true;
  };
  std::vector<char16_t> unmapped;
  for (UChar32 c = 0; c < 0x10000; ++c) {
    if (U_IS_SURROGATE(c)) continue;
    const auto u = static_cast<char16_t>(c);
    if (t->Entry(u) != Unmapped) continue;
    std::string bytes;
    if (decomposed(decomposed, c, bytes, 0)) {
      t->Slot(u) = Sequence;
      t->Sequences_.emplace(u, std::move(bytes));
    } else {
      unmapped.push_back(u);
    }
  }
  for (char16_t u : unmapped) {
    UChar32 candidates[4];
    const int n = BestFitCandidates(codePage, u, false, candidates);
    for (int i = 0; i < n; ++i) {
      if (candidates[i] > 0xFFFF) continue;
      const auto cand = static_cast<char16_t>(candidates[i]);
      const std::uint16_t e = t->Entry(cand);
      if (e == Unmapped || (e & 0xFF00) == BestFit || (e & 0xFF00) == BestFitSequence) continue;
      if (e == Sequence) {
        t->Slot(u) = BestFitSequence;
        t->Sequences_.emplace(u, t->Sequences_.at(cand));
      } else {
        t->Slot(u) = static_cast<std::uint16_t>(BestFit | (e & 0xFF));
      }
      break;
    }
  }
  return t;
}

const TSingleByteTable* SingleByteTableFor(UINT codePage, UConverter* converter) {
  static std::mutex lock;
  static std::map<UINT, std::unique_ptr<TSingleByteTable>> tables;
  std::lock_guard<std::mutex> guard(lock);
  auto it = tables.find(codePage);
  if (it == tables.end())
    it = tables.emplace(codePage, TSingleByteTable::Build(codePage, converter)).first;
  return it->second.get();
}

}  // namespace nls_tables
