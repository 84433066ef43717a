// The style sheet read from an INI file. LoadINI answers false on a damaged file and never
// raises; a sheet that loaded saves and loads again.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "FuzzCommon.h"
#include "StyleFuzz.h"

namespace {

std::string TempName(const char* tag) {
  return "/tmp/tavrelo-fuzz-" + std::to_string(getpid()) + "-" + tag + ".ini";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  const std::string in = TempName("in"), out = TempName("out");
  {
    std::ofstream f(in, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TRVStyle sheet(nullptr);
  const TRVStyle fresh(nullptr);
  const bool loaded = sheet.LoadINI(Utf8ToUnicode(in), u"Style");
  // A file that does not load leaves the sheet as it was.
  if (!loaded && (sheet.TextStyles()->Count() != fresh.TextStyles()->Count() ||
                  sheet.ParaStyles()->Count() != fresh.ParaStyles()->Count() ||
                  sheet.ListStyles()->Count() != fresh.ListStyles()->Count() ||
                  sheet.StyleTemplates()->Count() != fresh.StyleTemplates()->Count()))
    std::abort();
  if (loaded) {
    fuzz::VisitSheet(sheet);
    std::remove(out.c_str());
    sheet.SaveINI(Utf8ToUnicode(out), u"Style");
    TRVStyle again(nullptr);
    if (!again.LoadINI(Utf8ToUnicode(out), u"Style")) std::abort();
    if (again.TextStyles()->Count() != sheet.TextStyles()->Count() ||
        again.ParaStyles()->Count() != sheet.ParaStyles()->Count() ||
        again.ListStyles()->Count() != sheet.ListStyles()->Count() ||
        again.StyleTemplates()->Count() != sheet.StyleTemplates()->Count())
      std::abort();
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
  return 0;
}
