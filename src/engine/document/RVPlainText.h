// Saving documents as plain text: the state of one save and the process-wide switch of page
// breaks. The reading and writing operations are members of the document (CustomRVDataText.cpp).
#pragma once

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"

struct TRVTextSavingData : public TObject {
  int LineWidth = 0;         // width used for drawing separators
  bool TextOnly = false;     // hidden content is left out; objects give text only when they always do
  bool ForANSI = false;      // the text will be converted to an 8-bit code page
  bool WriteSignature = false;
  TRVUnicodeString Path;     // folder of the target file, for the items' save hooks
};

// When on, a page break before an item is written as a form feed instead of a line break.
extern bool TextPageBreaksAsFormFeed;
