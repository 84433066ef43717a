#include "platform/graphics/FontData.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/base/SysUtils.h"
#include "platform/graphics/FontEngine.h"

namespace {

bool SameFamily(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = char16_t(x + 32);
    if (y >= u'A' && y <= u'Z') y = char16_t(y + 32);
    if (x != y) return false;
  }
  return true;
}

bool IsTrueType(FcPattern* p) {
  FcChar8* format = nullptr;
  return FcPatternGetString(p, FC_FONTFORMAT, 0, &format) == FcResultMatch &&
         std::string(reinterpret_cast<const char*>(format)) == "TrueType";
}

}  // namespace

std::vector<TTrueTypeFaceEntry> EnumTrueTypeFaces(const std::u16string& faceName) {
  std::vector<TTrueTypeFaceEntry> r;
  if (faceName.empty()) return r;
  std::u16string family = SubstituteFaceName(faceName);
  if (family.empty()) family = faceName;
  std::lock_guard<std::recursive_mutex> lock(FontLock());
  FcPattern* p = FcPatternCreate();
  const std::string fam = UnicodeToUtf8(family);
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.c_str()));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, FC_SLANT, FC_FONTFORMAT, nullptr);
  FcFontSet* set = FcFontList(nullptr, p, os);
  if (set) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* f = set->fonts[i];
      if (!IsTrueType(f)) continue;
      TTrueTypeFaceEntry e;
      // The family name among the face's names that equals the one asked for.
      FcChar8* name = nullptr;
      for (int k = 0; FcPatternGetString(f, FC_FAMILY, k, &name) == FcResultMatch; ++k) {
        const std::u16string n = Utf8ToUnicode(reinterpret_cast<const char*>(name));
        if (SameFamily(n, family)) {
          e.Family = n;
          break;
        }
      }
      if (e.Family.empty()) continue;
      int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
      FcPatternGetInteger(f, FC_WEIGHT, 0, &weight);
      FcPatternGetInteger(f, FC_SLANT, 0, &slant);
      e.Weight = FcWeightToOpenType(weight);
      e.Italic = slant != FC_SLANT_ROMAN;
      r.push_back(e);
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(os);
  FcPatternDestroy(p);
  return r;
}

std::u16string DefaultTrueTypeFamily() {
  std::lock_guard<std::recursive_mutex> lock(FontLock());
  std::u16string r;
  FcPattern* p = FcPatternCreate();
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddString(p, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("TrueType"));
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult res;
  FcFontSet* set = FcFontSort(nullptr, p, FcFalse, nullptr, &res);
  if (set) {
    for (int i = 0; i < set->nfont && r.empty(); ++i) {
      FcChar8* name = nullptr;
      if (IsTrueType(set->fonts[i]) && FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch)
        r = Utf8ToUnicode(reinterpret_cast<const char*>(name));
    }
    FcFontSetDestroy(set);
  }
  FcPatternDestroy(p);
  return r;
}

std::vector<TFontFamilyEntry> EnumFontFamiliesForCharset(const std::u16string& faceName, BYTE charset) {
  std::vector<TFontFamilyEntry> r;
  std::u16string family;
  if (!faceName.empty()) {
    family = SubstituteFaceName(faceName);
    if (family.empty()) family = faceName;
  }
  const char* lang = charset == ANSI_CHARSET ? "en" : LangOfCharset(charset);
  const std::u16string preferred = faceName.empty() ? DefaultTrueTypeFamily() : std::u16string();
  std::lock_guard<std::recursive_mutex> lock(FontLock());
  FcPattern* p = FcPatternCreate();
  const std::string fam = UnicodeToUtf8(family);
  if (!family.empty()) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.c_str()));
  if (lang) FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, nullptr);
  FcFontSet* set = FcFontList(nullptr, p, os);
  if (set) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* f = set->fonts[i];
      // The family name asked for, or the face's first one when listing all.
      std::u16string name;
      FcChar8* n = nullptr;
      for (int k = 0; FcPatternGetString(f, FC_FAMILY, k, &n) == FcResultMatch; ++k) {
        std::u16string u = Utf8ToUnicode(reinterpret_cast<const char*>(n));
        if (family.empty() || SameFamily(u, family)) {
          name = u;
          break;
        }
      }
      if (name.empty()) continue;
      const bool tt = IsTrueType(f);
      auto it = std::find_if(r.begin(), r.end(), [&](const TFontFamilyEntry& e) { return SameFamily(e.Family, name); });
      if (it == r.end())
        r.push_back({name, tt});
      else
        it->TrueType = it->TrueType || tt;
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(os);
  FcPatternDestroy(p);
  std::sort(r.begin(), r.end(), [&](const TFontFamilyEntry& a, const TFontFamilyEntry& b) {
    const bool pa = !preferred.empty() && SameFamily(a.Family, preferred);
    const bool pb = !preferred.empty() && SameFamily(b.Family, preferred);
    if (pa != pb) return pa;
    return a.Family < b.Family;
  });
  return r;
}
