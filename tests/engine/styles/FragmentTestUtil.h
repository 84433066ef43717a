// Helpers of the tests of style fragments: the text a stream received and an XML check.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/base/Classes.h"

inline std::string StreamText(TMemoryStream& ms) {
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

inline bool XmlLintAvailable() { return std::system("command -v xmllint >/dev/null 2>&1") == 0; }

// Wraps run and paragraph properties in a minimal document and asks xmllint whether it is
// well-formed. Name keeps the files of different tests apart.
inline bool XmlWellFormed(const std::string& Name, const std::string& PPr, const std::string& RPr) {
  const std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/fragment-" + Name + ".xml";
  {
    std::ofstream f(path, std::ios::binary);
    f << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
         "<w:p><w:pPr>" << PPr << "</w:pPr><w:r><w:rPr>" << RPr << "</w:rPr><w:t>x</w:t></w:r></w:p>"
         "</w:body></w:document>\n";
  }
  return std::system(("xmllint --noout '" + path + "' 2>/dev/null").c_str()) == 0;
}

#include <vector>

#include "platform/base/IniFiles.h"
#include "platform/base/SysUtils.h"

// The keys of an INI section, without the style-name keys that every style writes.
inline std::vector<std::string> StyleKeysOf(TCustomIniFile& ini, const UnicodeString& Section) {
  TStringList keys;
  ini.ReadSection(Section, keys);
  std::vector<std::string> r;
  for (int i = 0; i < keys.Count(); ++i) {
    const std::string k = UnicodeToUtf8(keys.Get(i));
    if (k.rfind("StyleName", 0) != 0) r.push_back(k);
  }
  return r;
}
