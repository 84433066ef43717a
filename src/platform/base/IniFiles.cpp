#include "platform/base/IniFiles.h"

#include <cstdio>
#include <unordered_map>

#include "platform/base/NLS.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

UnicodeString TrimBlanks(std::u16string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return UnicodeString(s.substr(b, e - b));
}

bool HasLineBreak(std::u16string_view s) { return s.find_first_of(u"\r\n") != std::u16string_view::npos; }

}  // namespace

// One "Key=Value" line, or a line kept as it was (comments, lines without "=", repeated keys).
struct TIniEntry {
  UnicodeString Key;
  UnicodeString Value;
  bool Raw = false;
};

struct TIniSection {
  UnicodeString Name;
  std::vector<TIniEntry> Entries;
  std::unordered_map<UnicodeString, std::size_t> Index;  // upper-case key -> entry

  void Reindex() {
    Index.clear();
    for (std::size_t i = 0; i < Entries.size(); ++i)
      if (!Entries[i].Raw) Index.emplace(UpperCaseAscii(Entries[i].Key), i);
  }
  TIniEntry* Find(const UnicodeString& key) {
    auto it = Index.find(UpperCaseAscii(key));
    return it == Index.end() ? nullptr : &Entries[it->second];
  }
};

class TIniData {
 public:
  std::vector<UnicodeString> Preamble;  // lines before the first section
  std::vector<TIniSection> Sections;
  std::unordered_map<UnicodeString, std::size_t> Index;  // upper-case name -> section
  bool Utf8 = false;

  void Clear() {
    Preamble.clear();
    Sections.clear();
    Index.clear();
  }
  void Reindex() {
    Index.clear();
    for (std::size_t i = 0; i < Sections.size(); ++i) Index.emplace(UpperCaseAscii(Sections[i].Name), i);
  }
  TIniSection* Find(const UnicodeString& name) {
    auto it = Index.find(UpperCaseAscii(TrimBlanks(name)));
    return it == Index.end() ? nullptr : &Sections[it->second];
  }
  TIniSection& Get(const UnicodeString& name) {
    if (TIniSection* s = Find(name)) return *s;
    Sections.emplace_back();
    Sections.back().Name = name;
    Index.emplace(UpperCaseAscii(name), Sections.size() - 1);
    return Sections.back();
  }

  void Parse(std::u16string_view text) {
    Clear();
    TIniSection* cur = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find_first_of(u"\r\n", pos);
      if (end == std::u16string_view::npos) end = text.size();
      const UnicodeString line = TrimBlanks(text.substr(pos, end - pos));
      pos = end;
      if (pos < text.size() && text[pos] == u'\r') ++pos;
      if (pos < text.size() && text[pos] == u'\n') ++pos;
      if (line.empty()) continue;
      if (line.front() == u'[' && line.back() == u']') {
        cur = &Get(TrimBlanks(std::u16string_view(line).substr(1, line.size() - 2)));
        continue;
      }
      const std::size_t eq = line.find(u'=');
      const bool comment = line.front() == u';' || line.front() == u'#';
      if (!cur) {
        Preamble.push_back(line);
        continue;
      }
      TIniEntry e;
      if (comment || eq == UnicodeString::npos || eq == 0) {
        e.Raw = true;
        e.Value = line;
      } else {
        e.Key = TrimBlanks(std::u16string_view(line).substr(0, eq));
        e.Value = TrimBlanks(std::u16string_view(line).substr(eq + 1));
        if (cur->Find(e.Key)) {  // a repeated key: the first one counts, the line is kept
          e.Raw = true;
          e.Value = line;
        }
      }
      cur->Entries.push_back(std::move(e));
      if (!cur->Entries.back().Raw) cur->Index.emplace(UpperCaseAscii(cur->Entries.back().Key), cur->Entries.size() - 1);
    }
  }

  void Lines(std::vector<UnicodeString>& out) const {
    for (const UnicodeString& l : Preamble) out.push_back(l);
    bool first = Preamble.empty();
    for (const TIniSection& s : Sections) {
      if (!first) out.push_back(UnicodeString());
      first = false;
      out.push_back(u"[" + s.Name + u"]");
      for (const TIniEntry& e : s.Entries) out.push_back(e.Raw ? e.Value : e.Key + u"=" + e.Value);
    }
  }
};

namespace {

void CheckSectionName(const UnicodeString& section) {
  if (TrimBlanks(section).empty() || HasLineBreak(section) || section.find(u']') != UnicodeString::npos)
    throw EIniFileException(Format(u"Invalid section name: %s", {section}));
}

void CheckKey(const UnicodeString& key) {
  const UnicodeString k = TrimBlanks(key);
  if (k.empty() || HasLineBreak(k) || k.find(u'=') != UnicodeString::npos || k.front() == u'[' ||
      k.front() == u';' || k.front() == u'#')
    throw EIniFileException(Format(u"Invalid key name: %s", {key}));
}

}  // namespace

// ---- TCustomIniFile -------------------------------------------------------------------------

TCustomIniFile::TCustomIniFile(const UnicodeString& fileName)
    : FData(std::make_unique<TIniData>()), FFileName(fileName) {}

TCustomIniFile::~TCustomIniFile() = default;

void TCustomIniFile::LoadFile() {
  FData->Clear();
  if (FFileName.empty() || !FileExists(FFileName)) return;
  std::string bytes;
  try {
    TFileStream f(FFileName, fmOpenRead | fmShareDenyWrite);
    const std::int64_t size = f.GetSize();
    bytes.resize(static_cast<std::size_t>(size));
    f.ReadBuffer(bytes.data(), size);
  } catch (const Exception& e) {
    throw EIniFileException(Format(u"Unable to read %s: %s", {FFileName, e.Message()}));
  }
  UnicodeString text;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    FData->Utf8 = true;
    text = Utf8ToUnicode(std::string_view(bytes).substr(3));
  } else {
    text = AnsiStringToUnicode(bytes);
  }
  const bool utf8 = FData->Utf8;
  FData->Parse(text);
  FData->Utf8 = utf8;
}

void TCustomIniFile::SaveFile() {
  if (FFileName.empty()) return;
  std::vector<UnicodeString> lines;
  FData->Lines(lines);
  UnicodeString text;
  for (const UnicodeString& l : lines) text += l + u"\r\n";
  try {
    const std::string bytes = FData->Utf8 ? "\xEF\xBB\xBF" + UnicodeToUtf8(text) : UnicodeToAnsiString(text);
    TFileStream f(FFileName, fmCreate);
    f.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  } catch (const Exception& e) {
    throw EIniFileException(Format(u"Unable to write to %s: %s", {FFileName, e.Message()}));
  }
}

UnicodeString TCustomIniFile::ReadString(const UnicodeString& section, const UnicodeString& ident,
                                         const UnicodeString& def) {
  TIniSection* s = FData->Find(section);
  if (!s) return def;
  TIniEntry* e = s->Find(TrimBlanks(ident));
  return e ? e->Value : def;
}

void TCustomIniFile::WriteString(const UnicodeString& section, const UnicodeString& ident,
                                 const UnicodeString& value) {
  CheckSectionName(section);
  CheckKey(ident);
  if (HasLineBreak(value)) throw EIniFileException(Format(u"A value of %s holds a line break", {ident}));
  const UnicodeString key = TrimBlanks(ident);
  const UnicodeString v = TrimBlanks(value);
  Modified();
  TIniSection& s = FData->Get(TrimBlanks(section));
  if (TIniEntry* e = s.Find(key)) {
    e->Value = v;
  } else {
    s.Entries.push_back(TIniEntry{key, v, false});
    s.Index.emplace(UpperCaseAscii(key), s.Entries.size() - 1);
  }
}

int TCustomIniFile::ReadInteger(const UnicodeString& section, const UnicodeString& ident, int def) {
  int v = 0;
  return TryStrToInt(ReadString(section, ident, UnicodeString()), v) ? v : def;
}

void TCustomIniFile::WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const UnicodeString& section, const UnicodeString& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(const UnicodeString& section, const UnicodeString& ident, double def) {
  long double v = 0;
  return TryStrToFloat(ReadString(section, ident, UnicodeString()), v) ? static_cast<double>(v) : def;
}

void TCustomIniFile::WriteFloat(const UnicodeString& section, const UnicodeString& ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

bool TCustomIniFile::SectionExists(const UnicodeString& section) { return FData->Find(section) != nullptr; }

bool TCustomIniFile::ValueExists(const UnicodeString& section, const UnicodeString& ident) {
  TIniSection* s = FData->Find(section);
  return s && s->Find(TrimBlanks(ident));
}

namespace {
// Fills strings with a line for each entry of the section (none when there is no such section).
template <typename Line>
void ListEntries(TIniSection* s, TStrings& strings, Line line) {
  strings.BeginUpdate();
  strings.Clear();
  if (s)
    for (const TIniEntry& e : s->Entries)
      if (!e.Raw) strings.Add(line(e));
  strings.EndUpdate();
}
}  // namespace

void TCustomIniFile::ReadSection(const UnicodeString& section, TStrings& strings) {
  ListEntries(FData->Find(section), strings, [](const TIniEntry& e) { return e.Key; });
}

void TCustomIniFile::ReadSections(TStrings& strings) {
  strings.BeginUpdate();
  strings.Clear();
  for (const TIniSection& s : FData->Sections) strings.Add(s.Name);
  strings.EndUpdate();
}

void TCustomIniFile::ReadSectionValues(const UnicodeString& section, TStrings& strings) {
  ListEntries(FData->Find(section), strings,
              [](const TIniEntry& e) { return e.Key + u"=" + e.Value; });
}

void TCustomIniFile::EraseSection(const UnicodeString& section) {
  auto it = FData->Index.find(UpperCaseAscii(TrimBlanks(section)));
  if (it == FData->Index.end()) return;
  Modified();
  FData->Sections.erase(FData->Sections.begin() + static_cast<std::ptrdiff_t>(it->second));
  FData->Reindex();
}

void TCustomIniFile::DeleteKey(const UnicodeString& section, const UnicodeString& ident) {
  TIniSection* s = FData->Find(section);
  if (!s) return;
  auto it = s->Index.find(UpperCaseAscii(TrimBlanks(ident)));
  if (it == s->Index.end()) return;
  Modified();
  s->Entries.erase(s->Entries.begin() + static_cast<std::ptrdiff_t>(it->second));
  s->Reindex();
}

// ---- TMemIniFile ----------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const UnicodeString& fileName) : TCustomIniFile(fileName) { LoadFile(); }

void TMemIniFile::UpdateFile() { SaveFile(); }

void TMemIniFile::GetStrings(TStrings& list) {
  std::vector<UnicodeString> lines;
  FData->Lines(lines);
  list.BeginUpdate();
  list.Clear();
  for (const UnicodeString& l : lines) list.Add(l);
  list.EndUpdate();
}

void TMemIniFile::SetStrings(const TStrings& list) {
  UnicodeString text;
  for (int i = 0; i < list.Count(); ++i) text += list.Get(i) + u"\n";
  const bool utf8 = FData->Utf8;
  FData->Parse(text);
  FData->Utf8 = utf8;
}

void TMemIniFile::Clear() { FData->Clear(); }

// ---- TIniFile -------------------------------------------------------------------------------

TIniFile::TIniFile(const UnicodeString& fileName) : TCustomIniFile(fileName) { LoadFile(); }

TIniFile::~TIniFile() {
  if (!FDirty) return;
  try {
    SaveFile();
  } catch (...) {
    // Nothing can report it from here; UpdateFile is the checked way.
  }
}

void TIniFile::Modified() {
  if (!FChecked && !GetFileName().empty()) {
    std::FILE* f = std::fopen(FileNameToNative(GetFileName()).c_str(), "ab");
    if (!f) throw EIniFileException(Format(u"Unable to write to %s", {GetFileName()}));
    std::fclose(f);
    FChecked = true;
  }
  FDirty = true;
}

void TIniFile::UpdateFile() {
  if (!FDirty) return;
  SaveFile();
  FDirty = false;
}
