// Embedded TrueType fonts: one font object for the ASCII codes 32..127 under WinAnsiEncoding and
// subset font objects of up to 96 further glyphs each, with codes 32..127 and a ToUnicode map.
// The font programs are subsets of the installed face, written when the document ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pdf/PDFFont.h"
#include "pdf/PDFTrueType.h"

class TPDFTrueTypeFont;

class TPDFTrueTypeSubsetFont : public TPDFFont {
 public:
  TPDFTrueTypeSubsetFont(TPDFEngine* engine, TPDFTrueTypeFont* parent, const std::string& alias);
  TPDFTrueTypeFont* Parent() const { return FParent; }
  int Ascent() override;
  int Descent() override;
  int GetWidth(int code) override;
  bool IsTrueType() const override { return true; }
  TPDFFont* ParentFont() override;
  TFontStyles FontStyle() const override;
  void Save() override;
  int Last() const { return FLast; }
  int IndexOf(int code) const { return FIndexes[code - 32]; }
  char32_t UnicodeOf(int code) const { return FUnicodes[code - 32]; }

 private:
  friend class TPDFTrueTypeFont;
  TPDFTrueTypeFont* FParent;
  int FLast = 31;
  int FIndexes[96] = {};
  char32_t FUnicodes[96] = {};
};

class TPDFTrueTypeFont : public TPDFFont {
 public:
  // name: the face as resolved (kept in capitals); the subset tag is drawn at random.
  TPDFTrueTypeFont(TPDFEngine* engine, const UnicodeString& name, TFontStyles style, bool embedded,
                   const std::string& alias);
  ~TPDFTrueTypeFont() override;

  const UnicodeString& Name() const { return FFontName; }
  TFontStyles Style() const { return FFontStyle; }
  TFontStyles FontStyle() const override { return FFontStyle; }
  const std::string& SubsetTag() const { return FFontNameAddon; }
  bool IsEmbedded() const { return FIsEmbedded; }
  TTrueTypeManager& Manager() { return *FManager; }
  int FirstChar() const { return FFirstChar; }
  int LastChar() const { return FLastChar; }
  int SubsetCount() const { return static_cast<int>(FExtendedFonts.size()); }
  // The PostScript name with the subset tag when the program is embedded.
  std::string FontName(bool embedded) const;

  int Ascent() override { return FManager->Ascent(); }
  int Descent() override { return -FManager->Descent(); }
  int GetWidth(int code) override;
  void FillUsed(std::string_view text) override;
  void UsedChar(BYTE code) override;
  void SetAllASCII() override;
  bool IsTrueType() const override { return true; }
  TPDFFont* GetSubset(int index) override;
  // Characters are code points: a surrogate pair is one character.
  TNewCharInfo GetNewCharByUnicode(char32_t unicode) override;
  TNewCharInfo GetNewCharByIndex(int glyphIndex) override;
  void Save() override;

  // The font descriptor object for a program object (0: none); answers its number.
  int SaveDescriptor(const std::string& fontName, int programID);
  // Writes a ToUnicode map for the codes first..last (unicodes indexed from code 32); every code
  // or only those with a character. Answers its number.
  int SaveToUnicode(const std::string& name, int first, int last, const char32_t* unicodes, bool every);
  // Writes a deflated font program as a stream object; answers its number.
  int SaveProgram(const std::string& program);

 private:
  TNewCharInfo Assign(TGlyphInfo& glyph, int glyphIndex, char32_t unicode, bool byUnicode);

  bool FIsEmbedded;
  int FFirstChar = 128, FLastChar = 31;
  UnicodeString FFontName;
  TFontStyles FFontStyle;
  std::string FFontNameAddon;
  int FASCIIList[96] = {};
  bool FUsedList[96] = {};
  std::vector<std::unique_ptr<TPDFTrueTypeSubsetFont>> FExtendedFonts;
  int FCurrentIndex = 0;
  int FCurrentChar = 128;
  std::unique_ptr<TTrueTypeManager> FManager;
};
