// The font objects of a PDF document as the canvas sees them: the base of every font, the
// fourteen standard Type 1 fonts (written by reference, measured from our own width tables) and
// the font manager through which a canvas asks for a font. Embedded TrueType fonts derive from
// TPDFFont and answer the TrueType operations below; the standard fonts refuse them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/PDFEngine.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Graphics.h"

// What a TrueType font gives for one character or glyph: its advance (1/1000 em), the one-byte
// code it was given and the font object that code belongs to (0: the ASCII font, n: subset n).
struct TNewCharInfo {
  int Width = 0;
  BYTE NewCharacter = 0;
  int FontIndex = 0;
};

class TPDFFont : public TPDFObject {
 public:
  using TPDFObject::TPDFObject;

  const std::string& AliasName() const { return FAlias; }
  bool FontUsed() const { return FUsed; }
  void SetFontUsed(bool v) { FUsed = v; }

  virtual int Ascent() = 0;
  virtual int Descent() = 0;
  // Advance of a character in 1/1000 em.
  virtual int GetWidth(int code) = 0;
  virtual void FillUsed(std::string_view) {}
  virtual void UsedChar(BYTE) {}
  virtual void SetAllASCII() {}

  // ---- the operations of embedded TrueType fonts ----
  virtual bool IsTrueType() const { return false; }
  // A subset font answers its parent; every other font itself.
  virtual TPDFFont* ParentFont() { return this; }
  // Bold and italic of the face found (italic is emulated when asked for and missing).
  virtual TFontStyles FontStyle() const { return {}; }
  virtual TPDFFont* GetSubset(int index);
  virtual TNewCharInfo GetNewCharByUnicode(char16_t unicode);
  virtual TNewCharInfo GetNewCharByIndex(int glyphIndex);

 protected:
  std::string FAlias;
  bool FUsed = false;
};

struct TPDFStdFontInfo {
  const char* BaseFont;
  const char* Alias;
  int Ascent;
  int Descent;
};
const TPDFStdFontInfo& StdFontInfo(TPDFStdFont style);
// The advance widths (1/1000 em) of the fourteen styles by 8-bit code: WinAnsiEncoding for the
// first twelve, the fonts' own codes for Symbol and ZapfDingbats.
extern const std::int16_t kStdFontWidths[14][256];

class TPDFStandardFont : public TPDFFont {
 public:
  TPDFStandardFont(TPDFEngine* engine, TPDFStdFont style);
  TPDFStdFont Style() const { return FStyle; }
  int Ascent() override { return StdFontInfo(FStyle).Ascent; }
  int Descent() override { return StdFontInfo(FStyle).Descent; }
  int GetWidth(int code) override;
  TFontStyles FontStyle() const override;
  void Save() override;

 private:
  TPDFStdFont FStyle;
};

class TPDFFonts : public TPDFManager {
 public:
  explicit TPDFFonts(TPDFEngine* engine);
  ~TPDFFonts() override;

  TPDFFont* GetFontByInfo(TPDFStdFont stdFont);
  // The font for a face and style. Until embedded fonts are there, the metric-compatible
  // standard font stands in for the face (sans serif faces become Helvetica, serif faces Times,
  // fixed-pitch faces Courier, symbol faces Symbol).
  TPDFFont* GetFontByInfo(const UnicodeString& fontName, TFontStyles style);
  // The standard font that stands in for a face and style.
  static TPDFStdFont StandardFontFor(const UnicodeString& fontName, TFontStyles style);

  void Clear() override;
  int GetCount() override;
  void Save() override;
  TStringList& NonEmbeddedFonts() { return FNonEmbeddedFonts; }

 private:
  TStringList FNonEmbeddedFonts;
};
