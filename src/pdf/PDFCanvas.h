// The content stream of a page, form or pattern, collected as lines of PDF operators. Callers
// give coordinates in canvas units (the document's resolution, origin top-left, y downwards);
// the canvas writes points (origin bottom-left, y upwards). It tracks the text state, the current
// font and the resources the content uses, so that the owner can write its resource dictionary.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFEngine.h"
#include "pdf/PDFFont.h"
#include "platform/graphics/Graphics.h"

class TPDFImage;
class TPDFGState;

struct TTextCTM {
  Extended a = 1, b = 0, c = 0, d = 1, x = 0, y = 0;
};

class TPDFCanvas : public TPDFObject {
 public:
  TPDFCanvas(TPDFEngine* engine, TPDFFonts* fonts);

  // ---- size (points inside, canvas units outside) ----
  int WidthPoints() const { return FWidth; }
  int HeightPoints() const { return FHeight; }
  virtual void SetWidth(int value);
  virtual void SetHeight(int value);
  int GetWidth() const;
  int GetHeight() const;
  Extended D2P() const { return FD2P; }

  // ---- coordinates ----
  Extended ExtToIntX(Extended ax);
  Extended ExtToIntY(Extended ay);
  Extended PointsToCanvasX(Extended x);
  Extended PointsToCanvasY(Extended y);

  // ---- graphics state, style and colour ----
  void GStateSave();
  void GStateRestore();
  void SetLineWidth(Extended lw);
  void SetLineCap(TPDFLineCap cap);
  void SetLineJoin(TPDFLineJoin join);
  void SetDash(const std::string& dashSpec);
  void NoDash() { SetDash("[] 0"); }
  void SetColorFill(const TPDFColor& color);
  void SetColorStroke(const TPDFColor& color);
  void Rotate(Extended angle);
  void AppendAction(std::string action);

  // ---- paths ----
  void MoveTo(Extended x, Extended y);
  void LineTo(Extended x, Extended y);
  void Curveto(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3);
  void Rectangle(Extended x1, Extended y1, Extended x2, Extended y2);
  void Circle(Extended x, Extended y, Extended r);
  void Ellipse(Extended x1, Extended y1, Extended x2, Extended y2);
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  TDoublePoint Arc(Extended x1, Extended y1, Extended x2, Extended y2, Extended begAngle,
                   Extended endAngle);
  TDoublePoint Arc(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
                   Extended x4, Extended y4);
  void Pie(Extended x1, Extended y1, Extended x2, Extended y2, Extended x3, Extended y3,
           Extended x4, Extended y4);
  void ClosePath();
  void NewPath();
  void Fill();
  void EoFill();
  void Stroke();
  void FillAndStroke();
  void EoFillAndStroke();
  void Clip();

  // ---- text state ----
  void SetCharacterSpacing(Extended spacing);
  void SetWordSpacing(Extended spacing);
  void SetHorizontalScaling(Extended scale);
  void SetFontWidthScale(Extended scale) { FFontScale = scale; }
  void TextFromBaseLine(bool baseLine) { FBaseLine = baseLine; }

  // ---- fonts ----
  void SetActiveFont(const UnicodeString& fontName, TFontStyles fontStyle, Extended fontSize,
                     BYTE fontCharset = 0);
  // One of the fourteen standard fonts, with underline and strike-out taken from the style.
  void SetActiveFont(TPDFStdFont stdFont, Extended fontSize, TFontStyles fontStyle = {});
  TPDFFont* ResolveFont();
  void SetCurrentFont(int index);
  Extended FontAscent();
  TPDFFont* CurrentFont() const { return FCurrentFont; }
  TPDFFonts* Fonts() const { return FFonts; }

  // ---- text output (canvas units; orientation in degrees, counter-clockwise) ----
  void TextOut(Extended x, Extended y, Extended orientation, const std::string& textStr);
  void WideTextOut(Extended x, Extended y, Extended orientation, const UnicodeString& wideText);
  void ExtTextOut(Extended x, Extended y, Extended orientation, const std::string& textStr,
                  const float* dx);
  void ExtWideTextOut(Extended x, Extended y, Extended orientation, const UnicodeString& wideText,
                      const float* dx);
  void ExtGlyphTextOut(Extended x, Extended y, Extended orientation, const WORD* text, int len,
                       const float* dx);
  Extended GetTextWidth(const std::string& text);
  Extended GetWideTextWidth(const UnicodeString& text);

  // ---- images ----
  void ShowImage(int imageIndex, Extended x, Extended y, Extended w, Extended h, Extended angle);

  // ---- content ----
  TAnsiStringList& Content() { return FContent; }
  // Ends text and closes every open "q", the base level included.
  void CloseAllLevels();
  void EndText();
  bool HasActions() const { return FActions; }
  bool BCDStart() const { return FBCDStart; }
  void SetBCDStart(bool v) { FBCDStart = v; }
  // Marks the font to be selected again (after content was replaced from outside).
  void FontChanged() { FFontIsChanged = true; }
  int SaveCount() const { return FSaveCount; }

 protected:
  // Link annotations from text: only pages create them.
  virtual bool AutoURL() const { return false; }
  virtual void CreateUrlLink(const TRect&, const std::string&) {}
  // The resource dictionary entries the page, form and pattern share.
  std::string ColorSpaceEntries();
  std::string ProcSetEntry() const;
  std::string FontEntries() const;
  std::string ExtGStateEntries() const;
  std::string ImageEntries() const;

  TAnsiStringList FContent;
  int FWidth = 595, FHeight = 842;
  Extended FD2P = 1;
  int FRes = 72;
  bool FActions = false;
  bool FPathInited = false;
  bool FTextInited = false;
  TDoublePoint TP;
  Extended FRealAngle = 0;
  int FSaveCount = 0;
  Extended FCharSpace = 0, FWordSpace = 0, FHorizontalScaling = 100;
  std::string FCurrentDash = "[] 0";
  UnicodeString FCurrentFontName;
  TFontStyles FCurrentFontStyle;
  Extended FCurrentFontSize = 8;
  BYTE FCharset = 0;
  bool FIsTrueType = false;
  TPDFStdFont FStdFont = stdfHelvetica;
  TPDFFont* FCurrentFont = nullptr;
  int FCurrentIndex = -1;
  int FCurrentFontIndex = 0;
  bool FFontIsChanged = true;
  bool FItalicEmulated = false;
  Extended FFontScale = 1;
  bool FBaseLine = false;
  TPDFFonts* FFonts;
  std::vector<TPDFFont*> FLinkedFont;
  std::vector<TPDFImage*> FLinkedImages;
  std::vector<TPDFGState*> FLinkedExtGState;
  bool FTextUsed = false, FGrayUsed = false, FColorUsed = false, FRGBUsed = false, FCMYKUsed = false;
  Extended FX = 0, FY = 0;
  TTextCTM FF, FMatrix;
  int FRender = 0;
  bool FBCDStart = false;
  Extended FRise = 0, FTextLeading = 0;

 private:
  struct TTrackedState {
    std::string Dash;
    Extended CharSpace, WordSpace, HorizontalScaling;
  };
  std::vector<TTrackedState> FStateStack;
  // Scratch of ShowGlyphArray, kept between lines.
  std::vector<TNewCharInfo> FGlyphInfos;
  std::vector<double> FDeviations;
  void OpenText();
  void AddLine(std::string_view nums, const char* op);
  void SetTextMatrixAt(Extended angle, Extended x, Extended y);
  void PlaceText(Extended x, Extended y, Extended orientation);
  void SetCharSpacingRaw(Extended v);
  void SetWordSpacingRaw(Extended v);
  void SetHorizontalScalingRaw(Extended v);
  void ShowAnsiText(std::string text);
  void ShowWideText(const UnicodeString& text);
  void ShowWideTextAdvances(const UnicodeString& text, const float* dx);
  void ShowAnsiTextAdvances(std::string text, const float* dx);
  void ShowGlyphs(const WORD* glyphs, int len, const float* dx);
  void ShowGlyphArray(TPDFFont* font, const WORD* glyphs, int len, const float* dx);
  void WriteRun(const std::string& codes);
  void DrawTextDecoration(Extended width);
  bool HasDecoration() const;
  Extended AnsiTextWidth(const std::string& text);
  Extended WideTextWidth(const UnicodeString& text);
  UnicodeString ToUnicode(const std::string& text) const;
  void LinkFont(TPDFFont* f);
  void ArcPieces(Extended cx, Extended cy, Extended rx, Extended ry, Extended startDeg,
                 Extended sweepDeg, bool clockwise);
  // widthOf(n): width in canvas units of the first n characters of the text.
  void MakeUrlLinks(Extended x, Extended y, Extended orientation, const std::string& text8,
                    const std::function<Extended(int)>& widthOf);
};
