// The document reader: whole loads, insertions and appends of RVF into a document with a small
// style sheet. The first byte chooses the options; what loads is written and read back again.
#include "FuzzCommon.h"
#include "engine/document/CustomRVData.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > fuzz::MaxInput) return 0;
  const std::uint8_t mode = data[0];
  TRVStyle sheet(nullptr);
  while (sheet.TextStyles()->Count() < 3) sheet.TextStyles()->Add();
  while (sheet.ParaStyles()->Count() < 2) sheet.ParaStyles()->Add();
  TRVPlainRootData doc(&sheet);
  TRVFOptions& options = doc.GetRootProperties()->RVFOptions;
  if (mode & 1) options.Include(rvfoConvUnknownStylesToZero);
  if (mode & 2) options.Include(rvfoCanChangeUnits);
  if (mode & 4)
    options.Include(rvfoSaveBinary);
  else
    options.Exclude(rvfoSaveBinary);
  TMemoryStream in;
  fuzz::Fill(in, data + 1, size - 1);
  TColor color = clNone;
  bool ok;
  if (mode & 8) {
    doc.AddNL(u"before", 0, 0);
    ok = (mode & 16) ? doc.AppendRVFFromStream(&in, -1, color, nullptr)
                     : doc.InsertRVFFromStream(&in, 0, color, nullptr, nullptr, false);
  } else {
    ok = doc.LoadRVFFromStream(&in, color, nullptr, nullptr);
  }
  if (ok || doc.ItemCount() > 0) {
    TMemoryStream out;
    if (doc.SaveRVFToStream(&out, false, clNone, nullptr, nullptr, true)) {
      out.SetPosition(0);
      TRVPlainRootData again(&sheet);
      again.LoadRVFFromStream(&out, color, nullptr, nullptr);
    }
  }
  return 0;
}
