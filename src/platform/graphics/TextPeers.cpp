#include "platform/graphics/TextPeers.h"

#include <hb-ot.h>
#include <hb.h>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "platform/graphics/GdiInternal.h"

void ForgetGlyphImages(HDC dc) {
  TDeviceContext* c = DCLookup(dc);
  if (const TFontInstance* font = c ? c->Font() : nullptr) font->ForgetGlyphs();
}

struct TRawShapingPeer::TImpl {
  hb_font_t* Font = nullptr;
  hb_buffer_t* Buffer = hb_buffer_create();
  double Scale = 1;
  ~TImpl() {
    hb_buffer_destroy(Buffer);
    if (Font) hb_font_destroy(Font);
  }
  // The calls the device layer makes for one segment.
  void Shape(const char16_t* s, int n, bool arabic) {
    static const hb_feature_t plain[] = {{HB_TAG('k', 'e', 'r', 'n'), 0, 0, ~0u},
                                         {HB_TAG('l', 'i', 'g', 'a'), 0, 0, ~0u},
                                         {HB_TAG('c', 'l', 'i', 'g'), 0, 0, ~0u}};
    hb_buffer_clear_contents(Buffer);
    hb_buffer_add_utf16(Buffer, reinterpret_cast<const uint16_t*>(s), n, 0, n);
    hb_buffer_set_direction(Buffer, arabic ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(Buffer, arabic ? HB_SCRIPT_ARABIC : HB_SCRIPT_LATIN);
    hb_buffer_set_cluster_level(Buffer, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
    hb_shape(Font, Buffer, arabic ? nullptr : plain, arabic ? 0 : 3);
  }
};

TRawShapingPeer::TRawShapingPeer(HDC dc) : F(std::make_unique<TImpl>()) {
  TDeviceContext* c = DCLookup(dc);
  const TFontInstance* font = c ? c->Font() : nullptr;
  if (!font) return;
  const TFontFace& face = font->Face(0);
  hb_blob_t* blob = hb_blob_create_from_file(face.File.c_str());
  hb_face_t* hf = hb_face_create(blob, static_cast<unsigned>(face.Index) & 0xFFFF);
  F->Font = hb_font_create(hf);
  hb_face_destroy(hf);
  hb_blob_destroy(blob);
  hb_font_set_scale(F->Font, face.UnitsPerEm, face.UnitsPerEm);
  hb_ot_font_set_funcs(F->Font);
  F->Scale = font->Ppem / face.UnitsPerEm * font->XScale;
}

TRawShapingPeer::~TRawShapingPeer() = default;

int TRawShapingPeer::Measure(const char16_t* s, int n, bool arabic) {
  F->Shape(s, n, arabic);
  unsigned count = 0;
  const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(F->Buffer, &count);
  double pen = 0;
  for (unsigned g = 0; g < count; ++g) pen += pos[g].x_advance * F->Scale;
  return static_cast<int>(std::lround(pen));
}

void TRawShapingPeer::Carets(const char16_t* s, int n, bool arabic, int* carets) {
  F->Shape(s, n, arabic);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(F->Buffer, &count);
  const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(F->Buffer, &count);
  for (int i = 0; i <= n; ++i) carets[i] = -1;
  double pen = 0;
  for (unsigned g = 0; g < count; ++g) {
    const int x = static_cast<int>(std::lround(pen));
    pen += pos[g].x_advance * F->Scale;
    // A cluster's leading edge: its left in left-to-right text, its right in right-to-left.
    const unsigned c = info[g].cluster;
    if (arabic)
      carets[c] = static_cast<int>(std::lround(pen));
    else if (carets[c] < 0)
      carets[c] = x;
  }
  carets[n] = arabic ? 0 : static_cast<int>(std::lround(pen));
}

struct TToolkitTextPeer::TImpl {
  QFont Font;
  QImage Image;
  std::unique_ptr<QFontMetricsF> Metrics;
};

TToolkitTextPeer::TToolkitTextPeer(const std::u16string& family, int pixelSize, int width, int height)
    : F(std::make_unique<TImpl>()) {
  F->Font = QFont(QString::fromStdU16String(family));
  F->Font.setPixelSize(pixelSize);
  F->Metrics = std::make_unique<QFontMetricsF>(F->Font);
  F->Image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
  F->Image.fill(Qt::white);
}

TToolkitTextPeer::~TToolkitTextPeer() = default;

double TToolkitTextPeer::Measure(const char16_t* s, int n) {
  return F->Metrics->horizontalAdvance(QString(reinterpret_cast<const QChar*>(s), n));
}

void TToolkitTextPeer::Carets(const char16_t* s, int n, double* carets) {
  QTextLayout layout(QString(reinterpret_cast<const QChar*>(s), n), F->Font);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  for (int i = 0; i <= n; ++i) carets[i] = line.cursorToX(i);
}

void TToolkitTextPeer::Draw(const std::vector<std::u16string>& lines, int lineHeight, double pixelSize) {
  QFont font = F->Font;
  if (pixelSize > 0) font.setPointSizeF(pixelSize * 72.0 / F->Image.logicalDpiY());
  QPainter p(&F->Image);
  p.setFont(font);
  p.setPen(Qt::black);
  int y = lineHeight;
  for (const auto& l : lines) {
    p.drawText(QPointF(5, y), QString::fromStdU16String(l));
    y += lineHeight;
  }
}

struct TToolkitDocumentPeer::TImpl {
  QTextDocument Doc;
  QImage View;
  QTextCursor Cursor{&Doc};
  bool FirstBlock = true;
  int TypedPos = -1, TypedLen = 0;
};

TToolkitDocumentPeer::TToolkitDocumentPeer() : F(std::make_unique<TImpl>()) {
  F->Doc.setDocumentMargin(0);
  F->Doc.setUndoRedoEnabled(false);
}

TToolkitDocumentPeer::~TToolkitDocumentPeer() = default;

void TToolkitDocumentPeer::AddParagraph(int leftIndent, int firstIndent, bool justify, TList list,
                                        const std::vector<int>& tabs, int spaceBefore, int spaceAfter) {
  QTextBlockFormat bf;
  bf.setLeftMargin(leftIndent);
  bf.setTextIndent(firstIndent);
  bf.setAlignment(justify ? Qt::AlignJustify : Qt::AlignLeft);
  bf.setTopMargin(spaceBefore);
  bf.setBottomMargin(spaceAfter);
  if (!tabs.empty()) {
    QList<QTextOption::Tab> stops;
    for (int t : tabs) stops.append(QTextOption::Tab(t, QTextOption::LeftTab));
    bf.setTabPositions(stops);
  }
  if (F->FirstBlock) {
    F->Cursor.setBlockFormat(bf);
    F->FirstBlock = false;
  } else {
    F->Cursor.insertBlock(bf);
  }
  if (list != tlNone) {
    QTextListFormat lf;
    lf.setStyle(list == tlBullets ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
    lf.setIndent(1);
    F->Cursor.createList(lf);
  }
}

void TToolkitDocumentPeer::AddRun(const TRun& run) {
  QTextCharFormat cf;
  QFont font(QString::fromStdU16String(run.Family));
  font.setPointSizeF(run.PointSize);
  font.setBold(run.Bold);
  font.setItalic(run.Italic);
  font.setUnderline(run.Underline);
  cf.setFont(font);
  F->Cursor.insertText(QString::fromStdU16String(run.Text), cf);
}

void TToolkitDocumentPeer::AddImage(int width, int height) {
  QTextImageFormat img;
  const QString name = QStringLiteral("image%1x%2").arg(width).arg(height);
  if (!F->Doc.resource(QTextDocument::ImageResource, QUrl(name)).isValid()) {
    QImage pixels(width, height, QImage::Format_RGB32);
    pixels.fill(Qt::gray);
    F->Doc.addResource(QTextDocument::ImageResource, QUrl(name), pixels);
  }
  img.setName(name);
  img.setWidth(width);
  img.setHeight(height);
  F->Cursor.insertImage(img);
}

double TToolkitDocumentPeer::Layout(int width) {
  if (F->Doc.textWidth() != width) F->Doc.setTextWidth(width);
  // Everything is laid out again, as a full format does.
  F->Doc.markContentsDirty(0, F->Doc.characterCount());
  return F->Doc.documentLayout()->documentSize().height();
}

int TToolkitDocumentPeer::Paginate(int width, int height) {
  const QSizeF size(width, height);
  if (F->Doc.pageSize() != size) F->Doc.setPageSize(size);
  F->Doc.markContentsDirty(0, F->Doc.characterCount());
  return F->Doc.pageCount();
}

std::size_t TToolkitDocumentPeer::RecordPages(int width, int height) {
  std::size_t bytes = 0;
  const int pages = F->Doc.pageCount();
  for (int p = 0; p < pages; ++p) {
    QPicture picture;
    QPainter painter(&picture);
    painter.translate(0, -static_cast<double>(p) * height);
    F->Doc.drawContents(&painter, QRectF(0, static_cast<double>(p) * height, width, height));
    painter.end();
    bytes += picture.size();
  }
  return bytes;
}

void TToolkitDocumentPeer::PaintPage(int page, int width, int height, double scale) {
  const int w = static_cast<int>(width * scale), h = static_cast<int>(height * scale);
  if (F->View.width() != w || F->View.height() != h) F->View = QImage(w, h, QImage::Format_RGB32);
  F->View.fill(Qt::white);
  QPainter painter(&F->View);
  painter.scale(scale, scale);
  const double top = static_cast<double>(page - 1) * height;
  painter.translate(0, -top);
  F->Doc.drawContents(&painter, QRectF(0, top, width, height));
}

double TToolkitDocumentPeer::Type(int paragraph, int offset, const std::u16string& text) {
  const QTextBlock block = F->Doc.findBlockByNumber(paragraph);
  QTextCursor c(&F->Doc);
  c.setPosition(block.position() + std::min(offset, block.length() - 1));
  F->TypedPos = c.position();
  F->TypedLen = static_cast<int>(text.size());
  c.insertText(QString::fromStdU16String(text));
  return F->Doc.documentLayout()->documentSize().height();
}

void TToolkitDocumentPeer::DeletePrevious(int paragraph, int offset) {
  const QTextBlock block = F->Doc.findBlockByNumber(paragraph);
  QTextCursor c(&F->Doc);
  c.setPosition(block.position() + std::min(offset, block.length() - 1));
  c.deletePreviousChar();
}

void TToolkitDocumentPeer::Paint(int top, int width, int height) {
  if (F->View.width() != width || F->View.height() != height) F->View = QImage(width, height, QImage::Format_RGB32);
  F->View.fill(Qt::white);
  QPainter painter(&F->View);
  painter.translate(0, -top);
  F->Doc.drawContents(&painter, QRectF(0, top, width, height));
}

void TToolkitDocumentPeer::RemoveTyped() {
  if (F->TypedPos < 0) return;
  QTextCursor c(&F->Doc);
  c.setPosition(F->TypedPos);
  c.setPosition(F->TypedPos + F->TypedLen, QTextCursor::KeepAnchor);
  c.removeSelectedText();
  F->TypedPos = -1;
  F->Doc.documentLayout()->documentSize();
}

void TToolkitDocumentPeer::SetUndoRedoEnabled(bool enabled) { F->Doc.setUndoRedoEnabled(enabled); }

void TToolkitDocumentPeer::TypeEach(int paragraph, int offset, const std::u16string& text) {
  const QTextBlock block = F->Doc.findBlockByNumber(paragraph);
  QTextCursor c(&F->Doc);
  c.setPosition(block.position() + std::min(offset, block.length() - 1));
  F->TypedPos = c.position();
  F->TypedLen = static_cast<int>(text.size());
  c.beginEditBlock();
  for (char16_t ch : text) c.insertText(QString(QChar(ch)));
  c.endEditBlock();
}

void TToolkitDocumentPeer::RemoveAll() {
  QTextCursor c(&F->Doc);
  c.select(QTextCursor::Document);
  c.removeSelectedText();
}

void TToolkitDocumentPeer::MergeBoldIntoAll() {
  QTextCursor c(&F->Doc);
  c.select(QTextCursor::Document);
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  c.mergeCharFormat(bold);
}

double TToolkitDocumentPeer::PressEnter(int paragraph, int offset) {
  const QTextBlock block = F->Doc.findBlockByNumber(paragraph);
  QTextCursor c(&F->Doc);
  c.setPosition(block.position() + std::min(offset, block.length() - 1));
  c.insertBlock();
  return F->Doc.documentLayout()->documentSize().height();
}

double TToolkitDocumentPeer::PressBackspaceAtStart(int paragraph) {
  QTextCursor c(&F->Doc);
  c.setPosition(F->Doc.findBlockByNumber(paragraph).position());
  c.deletePreviousChar();
  return F->Doc.documentLayout()->documentSize().height();
}

bool TToolkitDocumentPeer::Undo() {
  if (!F->Doc.isUndoAvailable()) return false;
  F->Doc.undo();
  return true;
}

bool TToolkitDocumentPeer::Redo() {
  if (!F->Doc.isRedoAvailable()) return false;
  F->Doc.redo();
  return true;
}

void TToolkitDocumentPeer::ClearUndoRedo() { F->Doc.clearUndoRedoStacks(); }

double TToolkitDocumentPeer::UpdateLayout() { return F->Doc.documentLayout()->documentSize().height(); }

int TToolkitDocumentPeer::ParagraphCount() const { return F->Doc.blockCount(); }

int TToolkitDocumentPeer::CharacterCount() const { return F->Doc.characterCount(); }

int TToolkitDocumentPeer::LineCount() const {
  int lines = 0;
  for (QTextBlock b = F->Doc.begin(); b.isValid(); b = b.next())
    if (const QTextLayout* l = b.layout()) lines += l->lineCount();
  return lines;
}

int TToolkitDocumentPeer::HitTest(double x, double y) const {
  return F->Doc.documentLayout()->hitTest(QPointF(x, y), Qt::FuzzyHit);
}

// ---- a table in the toolkit's document ----------------------------------------------------------

struct TToolkitTablePeer::TImpl {
  QTextDocument Doc;
  QImage View;
};

TToolkitTablePeer::TToolkitTablePeer(int Rows, int Cols, const std::vector<std::u16string>& Texts,
                                     const std::u16string& Family, double PointSize)
    : F(std::make_unique<TImpl>()) {
  F->Doc.setDocumentMargin(0);
  F->Doc.setUndoRedoEnabled(false);
  QFont font(QString::fromStdU16String(Family));
  font.setPointSizeF(PointSize);
  F->Doc.setDefaultFont(font);
  QTextCursor c(&F->Doc);
  QTextTableFormat tf;
  tf.setCellPadding(1);
  tf.setCellSpacing(2);
  tf.setBorder(0);
  tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
  QTextTable* table = c.insertTable(Rows, Cols, tf);
  for (int r = 0; r < Rows; ++r)
    for (int k = 0; k < Cols; ++k) {
      const std::size_t i = static_cast<std::size_t>(r) * Cols + k;
      if (i < Texts.size()) table->cellAt(r, k).firstCursorPosition().insertText(QString::fromStdU16String(Texts[i]));
    }
}

TToolkitTablePeer::~TToolkitTablePeer() = default;

double TToolkitTablePeer::Layout(int width) {
  if (F->Doc.textWidth() != width) F->Doc.setTextWidth(width);
  F->Doc.markContentsDirty(0, F->Doc.characterCount());
  return F->Doc.documentLayout()->documentSize().height();
}

void TToolkitTablePeer::Paint(int top, int width, int height) {
  if (F->View.width() != width || F->View.height() != height) F->View = QImage(width, height, QImage::Format_RGB32);
  F->View.fill(Qt::white);
  QPainter painter(&F->View);
  painter.translate(0, -top);
  F->Doc.drawContents(&painter, QRectF(0, top, width, height));
}
