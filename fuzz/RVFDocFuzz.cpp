// The document reader: whole loads, insertions and appends of RVF into a document with a small
// style sheet. The first byte chooses the options (with bit 32 the document-level records are
// taken: background, layout and marker state, style templates, document objects, an extra
// document; with bit 64 an insertion is an editor's); what loads is written and read back again.
#include "FuzzCommon.h"
#include "engine/foundation/RVClasses.h"
#include "engine/document/CustomRVData.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"

namespace {

class TFuzzBackground : public TObject, public IRVFBackground {
 public:
  int GetRVFBackgroundStyle() const override { return Style; }
  void SetRVFBackgroundStyle(int S) override { Style = S; }
  TGraphic* GetRVFBackgroundImage() override { return Image.get(); }
  void SetRVFBackgroundImage(std::unique_ptr<TGraphic> I) override { Image = std::move(I); }
  int Style = 0;
  std::unique_ptr<TGraphic> Image;
};

struct TFuzzDoc : TRVPlainRootData {
  using TRVPlainRootData::TRVPlainRootData;
  TRVMarkerList* GetPrevMarkers() override { return &Prev; }
  TRVMarkerList Prev;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > fuzz::MaxInput) return 0;
  const std::uint8_t mode = data[0];
  TRVStyle sheet(nullptr);
  while (sheet.TextStyles()->Count() < 3) sheet.TextStyles()->Add();
  while (sheet.ParaStyles()->Count() < 2) sheet.ParaStyles()->Add();
  TFuzzDoc doc(&sheet);
  TRVPlainRootData extra(&sheet);
  TFuzzBackground background;
  TRVLayoutInfo layout;
  TRVFOptions& options = doc.GetRootProperties()->RVFOptions;
  const bool records = mode & 32;
  if (records) {
    for (TRVFOption o : {rvfoLoadBack, rvfoLoadLayout, rvfoLoadDocObjects, rvfoSaveBack, rvfoSaveLayout,
                         rvfoSaveDocObjects})
      options.Include(o);
    doc.GetRootProperties()->UseStyleTemplates = true;
    doc.GetRootProperties()->GetExtraDocumentsList()->AddObject(u"header", &extra);
  }
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
  if (mode & 64) {
    doc.AddNL(u"before", 0, 0);
    int index = 1, count = 0;
    bool full = false, inserted = false, protect = false;
    ok = doc.DoInsertRVFFromStream(&in, index, full, inserted, protect, count, nullptr, nullptr, color, true, false,
                                   false, 0);
  } else if (mode & 8) {
    doc.AddNL(u"before", 0, 0);
    ok = (mode & 16) ? doc.AppendRVFFromStream(&in, -1, color, nullptr)
                     : doc.InsertRVFFromStream(&in, 0, color, nullptr, nullptr, false);
  } else {
    ok = doc.LoadRVFFromStream(&in, color, records ? &background : nullptr, records ? &layout : nullptr);
  }
  if (ok || doc.ItemCount() > 0) {
    TMemoryStream out;
    if (doc.SaveRVFToStream(&out, false, color, records ? &background : nullptr, records ? &layout : nullptr, true)) {
      out.SetPosition(0);
      TRVPlainRootData again(&sheet);
      again.LoadRVFFromStream(&out, color, nullptr, nullptr);
    }
  }
  return 0;
}
