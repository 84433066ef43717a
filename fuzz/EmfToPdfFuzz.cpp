// The metafile translator over damaged metafiles: every record reaches the translator as the
// record reader hands it over, without the checks a metafile handle makes, and the document is
// completed into memory.
#include "FuzzCommon.h"
#include "pdf/PDFDocument.h"
#include "pdf/PDFEMF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = fuzz::Bytes(data, std::min(size, fuzz::MaxInput));
  TMemoryStream out;
  TPDFDocument doc;
  doc.SetOutputStream(&out);
  try {
    doc.BeginDoc();
    TEMWParser parser(*doc.CurrentPage(), doc.Images(), &doc.Patterns(), doc.EMFOptions(), &doc.Fonts());
    parser.LoadBytes(bytes);
    parser.GetMax();
    parser.Execute();
    doc.EndDoc();
  } catch (const EListError&) {
    throw;  // an index error is a fault of the translator, not of the input
  } catch (const Exception&) {
    doc.Abort();
  }
  return 0;
}
