// INI text: parsed into the in-memory INI file, every section and value read, written back and
// parsed again to the same content.
#include <cstdlib>

#include "FuzzCommon.h"
#include "platform/base/IniFiles.h"
#include "platform/base/SysUtils.h"

namespace {

UnicodeString Dump(TMemIniFile& ini) {
  TStringList lines;
  ini.GetStrings(lines);
  return lines.GetText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  const UnicodeString text = Utf8ToUnicode(fuzz::Bytes(data, size));
  TMemIniFile ini(u"/nonexistent-dir-for-fuzzing/fuzz.ini");
  TStringList lines;
  lines.SetText(text);
  ini.SetStrings(lines);
  TStringList sections;
  ini.ReadSections(sections);
  for (int i = 0; i < sections.Count(); ++i) {
    TStringList values;
    ini.ReadSectionValues(sections.Get(i), values);
    TStringList keys;
    ini.ReadSection(sections.Get(i), keys);
    for (int k = 0; k < keys.Count(); ++k) {
      ini.ReadInteger(sections.Get(i), keys.Get(k), 0);
      ini.ReadBool(sections.Get(i), keys.Get(k), false);
      ini.ReadFloat(sections.Get(i), keys.Get(k), 0);
    }
  }
  // What the object gives as lines reads back to the same lines.
  const UnicodeString once = Dump(ini);
  TStringList again;
  again.SetText(once);
  TMemIniFile ini2(u"/nonexistent-dir-for-fuzzing/fuzz.ini");
  ini2.SetStrings(again);
  if (Dump(ini2) != once) std::abort();
  return 0;
}
