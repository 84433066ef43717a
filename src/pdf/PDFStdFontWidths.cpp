#include "pdf/PDFFont.h"
const std::int16_t kStdFontWidths[14][256] = {};
