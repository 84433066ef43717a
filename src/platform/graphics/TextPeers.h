// Peers for the text benchmarks: the work of the device layer's text functions done straight
// with the libraries underneath, so that a benchmark can set the two side by side in one run.
// Nothing in the program uses these.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/DeviceContext.h"

// Forgets the glyph images and outlines of the font selected into dc, so that the next drawing
// starts from a cold cache.
void ForgetGlyphImages(HDC dc);

// The shaper alone, on the face file, size and features the device layer takes for the font
// selected into dc: one buffer, one call per line, positions rounded from the cumulative pen.
class TRawShapingPeer {
 public:
  explicit TRawShapingPeer(HDC dc);
  ~TRawShapingPeer();
  // Width of a line of one script (Latin left to right, Arabic right to left).
  int Measure(const char16_t* s, int n, bool arabic);
  // The x of each cluster start, from the line's start in text order (n + 1 values).
  void Carets(const char16_t* s, int n, bool arabic, int* carets);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

// The toolkit's own text: font metrics, a text layout for caret positions, and a painter
// drawing lines onto an image of the given size.
class TToolkitTextPeer {
 public:
  TToolkitTextPeer(const std::u16string& family, int pixelSize, int width, int height);
  ~TToolkitTextPeer();
  double Measure(const char16_t* s, int n);
  void Carets(const char16_t* s, int n, double* carets);  // n + 1 values
  // Draws the lines one below the other, lineHeight apart. A fresh size (fractional pixels)
  // makes the toolkit start with an empty glyph cache.
  void Draw(const std::vector<std::u16string>& lines, int lineHeight, double pixelSize = 0);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

// The toolkit's own rich-text document, the peer of formatting: paragraphs of styled runs, tab
// stops, list items and inline images, laid out at a width; typing one character through a
// cursor relays it out the toolkit's way.
class TToolkitDocumentPeer {
 public:
  struct TRun {
    std::u16string Text;  // "\t" for a tab
    std::u16string Family;
    double PointSize = 10;
    bool Bold = false, Italic = false, Underline = false;
  };
  enum TList { tlNone, tlBullets, tlNumbers };

  TToolkitDocumentPeer();
  ~TToolkitDocumentPeer();
  // Starts a paragraph (pixels); Tabs are left-aligned stop positions.
  void AddParagraph(int leftIndent, int firstIndent, bool justify, TList list, const std::vector<int>& tabs = {},
                    int spaceBefore = 0, int spaceAfter = 0);
  void AddRun(const TRun& run);
  void AddImage(int width, int height);
  // Lays the whole document out again at width pixels; the height of the result.
  double Layout(int width);
  // Lays the whole document out again on pages of width x height pixels (the toolkit's own
  // pagination); the number of pages.
  int Paginate(int width, int height);
  // Records every page of the paginated document into a picture of the toolkit's own recorded
  // drawing; the recorded bytes of all pages.
  std::size_t RecordPages(int width, int height);
  // Paints page (1-based) of the document paginated at width x height onto an image, scaled.
  void PaintPage(int page, int width, int height, double scale);
  // Types text at offset of paragraph (0-based) and answers the height after the relayout; then
  // RemoveTyped takes it out again (to be left out of the timing).
  double Type(int paragraph, int offset, const std::u16string& text);
  void RemoveTyped();
  // Editing with the document's own undo, the peer of the editor's edits. Undo is off while the
  // document is built; switching it on starts from empty stacks. None of these lays out: the
  // edit's layout is brought up to date by UpdateLayout, as a view would before painting.
  void SetUndoRedoEnabled(bool enabled);
  // Types text at offset of paragraph one character at a time through one cursor, as keys do,
  // in one edit block: the layout follows once, at its end. RemoveTyped takes the text out again.
  void TypeEach(int paragraph, int offset, const std::u16string& text);
  // Deletes the character before offset of paragraph (0-based) as Backspace does, through one
  // cursor; the document's undo takes it back. Nothing is laid out.
  void DeletePrevious(int paragraph, int offset);
  // Selects the whole document and removes it (one empty paragraph stays).
  void RemoveAll();
  // Selects the whole document and makes it bold (merged into each fragment's format), as one
  // step of the document's undo. Nothing is laid out.
  void MergeBoldIntoAll();
  // The keys' peers through one cursor, each answering the height after the relayout: Enter at
  // offset of paragraph (a new block), and Backspace at the start of paragraph (joins it to the
  // one before). Undo takes them back.
  double PressEnter(int paragraph, int offset);
  double PressBackspaceAtStart(int paragraph);
  // One step of the document's undo or redo; false when there was none.
  bool Undo();
  bool Redo();
  void ClearUndoRedo();
  // Lays out what the edits left unlaid and answers the height; nothing else is laid out again.
  double UpdateLayout();
  int ParagraphCount() const;
  // Paints the view of the laid-out document from y = top, width x height pixels, onto an image of
  // that size (drawContents with the view as its clip).
  void Paint(int top, int width, int height);
  // Characters of the document, and the lines its layout made.
  int CharacterCount() const;
  int LineCount() const;
  // The character position under a point of the laid-out document (the toolkit's fuzzy hit).
  int HitTest(double x, double y) const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

// The toolkit's rich-text document holding one table of plain texts, the peer of table layout
// and painting: laid out at a width, and an area of it painted onto an image.
class TToolkitTablePeer {
 public:
  // Rows x Cols cells, each with its text; cell padding 1 and spacing 2 pixels, no borders.
  TToolkitTablePeer(int Rows, int Cols, const std::vector<std::u16string>& Texts, const std::u16string& Family,
                    double PointSize);
  ~TToolkitTablePeer();
  // Lays the whole document out again at width pixels; the height of the result.
  double Layout(int width);
  // Paints the area (0, top, width, height) of the laid-out document onto an image.
  void Paint(int top, int width, int height);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};
