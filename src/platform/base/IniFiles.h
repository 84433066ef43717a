// INI files: sections of "Key=Value" lines. Section and key names compare case-insensitively
// (ASCII letters); the spelling first written is kept. The file is text in the ANSI code page
// (UTF-8 when it starts with a UTF-8 byte-order mark, which is kept). Writing rewrites the whole
// file from what was read, touched sections or not: the order of sections and lines and their
// content are kept (comments with ";" or "#", lines without "=", repeated keys, whose first
// occurrence is the one read), but the layout is the writer's own: lines lose their surrounding
// blanks, "Key = Value" becomes "Key=Value", "[ Name ]" becomes "[Name]", a section named twice
// is merged into its first occurrence, blank lines go, one blank line separates sections, and
// every line ends with CR LF.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

TAVRELO_EXCEPTION(EIniFileException, Exception)

class TIniData;

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const UnicodeString& fileName);
  ~TCustomIniFile() override;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const UnicodeString& GetFileName() const { return FFileName; }

  // Missing keys give the default. Values are trimmed of surrounding blanks.
  virtual UnicodeString ReadString(const UnicodeString& section, const UnicodeString& ident,
                                   const UnicodeString& def);
  // Raises EIniFileException for names or values that a line cannot hold: a line break
  // anywhere, "=" in a key, "]" in a section, empty names, names starting with "[", ";" or "#".
  virtual void WriteString(const UnicodeString& section, const UnicodeString& ident, const UnicodeString& value);
  // Decimal or hexadecimal ("$", "0x") text; anything else gives the default.
  int ReadInteger(const UnicodeString& section, const UnicodeString& ident, int def);
  void WriteInteger(const UnicodeString& section, const UnicodeString& ident, int value);
  // Stored as "1" and "0"; any non-zero integer reads as true.
  bool ReadBool(const UnicodeString& section, const UnicodeString& ident, bool def);
  void WriteBool(const UnicodeString& section, const UnicodeString& ident, bool value);
  // With the process decimal separator; bad text gives the default.
  double ReadFloat(const UnicodeString& section, const UnicodeString& ident, double def);
  void WriteFloat(const UnicodeString& section, const UnicodeString& ident, double value);

  // True when the section is present, even without keys.
  bool SectionExists(const UnicodeString& section);
  bool ValueExists(const UnicodeString& section, const UnicodeString& ident);
  // The keys of a section, in file order (cleared first).
  void ReadSection(const UnicodeString& section, TStrings& strings);
  void ReadSections(TStrings& strings);
  // "Key=Value" lines of a section (cleared first).
  void ReadSectionValues(const UnicodeString& section, TStrings& strings);
  virtual void EraseSection(const UnicodeString& section);
  virtual void DeleteKey(const UnicodeString& section, const UnicodeString& ident);
  // Writes pending changes to the file; raises EIniFileException "Unable to write to %s".
  virtual void UpdateFile() = 0;

 protected:
  // Called before every change; raising stops the change.
  virtual void Modified() {}
  void LoadFile();
  void SaveFile();
  std::unique_ptr<TIniData> FData;

 private:
  UnicodeString FFileName;
};

// Reads the file once and keeps it in memory; changes reach the file through UpdateFile only.
class TMemIniFile : public TCustomIniFile {
 public:
  // A missing file gives an empty object; a file that cannot be read raises EIniFileException.
  explicit TMemIniFile(const UnicodeString& fileName);
  void UpdateFile() override;
  // The whole content as lines, and replacing it by lines.
  void GetStrings(TStrings& list);
  void SetStrings(const TStrings& list);
  void Clear();
};

// Changes are meant for the file itself: they are written when UpdateFile is called and when
// the object is destroyed. The first change checks that the file can be written, so an
// unwritable file is reported by the write that would have failed.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const UnicodeString& fileName);
  // Writes pending changes; a failure here cannot be reported and is dropped.
  ~TIniFile() override;
  void UpdateFile() override;

 protected:
  void Modified() override;

 private:
  bool FDirty = false;
  bool FChecked = false;
};
