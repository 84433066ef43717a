// The metafile translator: walks the records of a page's enhanced metafile and turns them into
// operations of a PDF canvas (paths, painting, clipping, colours, line styles, text in embedded
// fonts, images and patterns). It does not play the metafile: it keeps its own model of the
// drawing state, and measures text on a reference device context of the platform (the one the
// page's metafile canvas recorded on), so text lands where it was drawn.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PDFCanvas.h"
#include "pdf/PDFPages.h"
#include "platform/graphics/Metafile.h"

class TPDFImages;
class TEMWParserImpl;

class TEMWParser {
 public:
  // canvas: the page, form or pattern receiving the content; images and patterns: the
  // document's managers (patterns may be null: hatches and picture brushes then fill plainly).
  TEMWParser(TPDFCanvas& canvas, TPDFImages* images, TPDFListManager* patterns, const TPDFEMFParseOptions& options,
             TPDFFonts* fonts);
  ~TEMWParser();
  TEMWParser(const TEMWParser&) = delete;
  TEMWParser& operator=(const TEMWParser&) = delete;

  // The records to translate (copied).
  void LoadMetaFile(const TMetafile& metafile);
  void LoadBytes(std::string_view emf);
  // The extent of the drawing in canvas units (from the header's bounds); not positive when
  // there is nothing to translate.
  TSize GetMax() const;
  void Execute();

 private:
  std::unique_ptr<TEMWParserImpl> FImpl;
};

// The page list's translator: translates the page's metafile onto the page; false when its
// drawing extent is empty.
bool PDFTranslateMetafile(TPDFPage& page, TMetafile& metafile);
