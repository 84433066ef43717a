// The RTF reader over any bytes, with every handler assigned as a builder assigns them, each doing
// the least: text converted with the run's code page, pictures and objects taken or declined,
// tables processed, headers and notes supported or not. The input's size picks the reader's
// options and the handlers' answers, so that a seed and its mutations cover both sides.
// Whatever comes in, the read ends (no crash, no hang, no unbounded allocation) with one of the
// reader's codes; the codes of an inconsistent control-word table never come from input.
#include <cstdlib>

#include "FuzzCommon.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/graphics/Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  const unsigned opts = static_cast<unsigned>(size % 16);
  TMemoryStream in;
  fuzz::Fill(in, data, size);

  TRVRTFReader reader(nullptr);
  reader.TabAsSeparateChar = opts & 1;
  reader.SkipHiddenText = opts & 2;
  reader.ProcessFinalPar = opts & 4;
  reader.ConvertHighlight = (opts & 8) ? rtf_hl_ColorTable : rtf_hl_FixedColors;
  // A relative picture path of a field never reaches a real folder.
  reader.BasePath = u"/nonexistent-rtf-fuzz/";
  const bool take = opts & 1;

  std::size_t units = 0;
  reader.OnNewText = [&](TObject*, const TRVAnsiString& Text, TRVRTFPosition) {
    units += reader.AnsiToUnicode(Text, reader.GetCurrentCodePage()).size();
  };
  reader.OnNewUnicodeText = [&](TObject*, const TRVUnicodeString& Text, TRVRTFPosition) { units += Text.size(); };
  reader.OnNewPicture = [&](TObject*, TRVRTFPicture* Picture, TGraphic* Graphic, TRVRTFPosition,
                            const TRVUnicodeString& FileName, bool& Inserted) {
    if (Picture && Picture->FData) units += static_cast<std::size_t>(Picture->FData->GetSize());
    // The handler owns the graphic of an embedded or a linked picture whatever it answers; a
    // picture kept from a field passes to it only when it takes it.
    if (Picture || !FileName.empty()) {
      Inserted = take;
      delete Graphic;
    } else {
      Inserted = true;
      delete Graphic;
    }
  };
  reader.OnImportPicture = [&](TObject*, const TRVUnicodeString&, TGraphic*& Graphic, bool& Invalid) {
    // Never the file system: a graphic of our own, valid or marked invalid.
    auto* bmp = new TBitmap;
    bmp->SetSize(2, 2);
    Graphic = bmp;
    Invalid = opts & 2;
  };
  reader.OnNewObject = [&](TObject*, TRVRTFObject* Object, TRVRTFPosition, bool& Inserted) {
    if (Object && Object->Data()) units += static_cast<std::size_t>(Object->Data()->GetSize());
    Inserted = take;
  };
  reader.OnTable = [&](TObject*, TRVRTFTableEventKind, bool& Processed) { Processed = !(opts & 4); };
  reader.OnHeaderFooter = [&](TObject*, TRVRTFHeaderFooterType, bool, bool& Supported) { Supported = !(opts & 8); };
  reader.OnNote = [&](TObject*, TRVRTFNoteEventType, TRVRTFPosition) { ++units; };
  reader.OnUpdateMarker = [&](TObject*) { ++units; };
  reader.OnRequiredPageBreak = [&](TObject*) { ++units; };
  reader.OnBookmarkStart = [&](TObject*, const TRVUnicodeString& Name) { units += Name.size(); };
  reader.OnNewSeq = [&](TObject*, TRVRTFPosition, const TRVUnicodeString& Name, TRVRTFSeqType, bool, int) {
    units += Name.size();
  };
  reader.OnNewPageNumber = [&](TObject*, TRVRTFPosition, TRVRTFPageNumberType) { ++units; };
  reader.OnNewPageCount = [&](TObject*, TRVRTFPosition, TRVRTFPageNumberType) { ++units; };
  reader.OnStyleSheet = [&](TObject*) { ++units; };

  const TRVRTFErrorCode result = reader.ReadFromStream(&in);
  if (result < rtf_ec_OK || result > rtf_ec_Aborted) std::abort();
  if (result == rtf_ec_BadTable || result == rtf_ec_Assertion || result == rtf_ec_FileOpenError ||
      result == rtf_ec_Aborted)
    std::abort();
  // Text can only come from the input: a run of text never outgrows the bytes it came from.
  if (units > 64 * (size + 16)) std::abort();
  return 0;
}
