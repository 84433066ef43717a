#include "engine/print/RVPrintableViewer.h"

#include "engine/document/RVLayoutInfo.h"
#include "engine/print/RVPrint.h"

const TClassInfo& TCustomPrintableRV::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomPrintableRV>(u"TCustomPrintableRV", &TCustomViroZere::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TPrintableRV::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TPrintableRV>(u"TPrintableRV", &TCustomPrintableRV::StaticClassInfo()).Build();
  return info;
}

TCustomPrintableRV::TCustomPrintableRV(TComponent* AOwner) : TCustomViroZere(AOwner) { InitPrintable(); }

TCustomPrintableRV::TCustomPrintableRV(TComponent* AOwner, TRVDataClass DataClass)
    : TCustomViroZere(AOwner, DataClass) {
  InitPrintable();
}

void TCustomPrintableRV::InitPrintable() {
  // The root data was made while the viewer was still being built, when it could not yet see that
  // its viewer is printable: it is made again now.
  auto scaleHook = RVData->OnGetScaleViroZereInterface;
  RVData = GetDataClass()(this);
  RVData->OnGetScaleViroZereInterface = scaleHook;
  SetVisible(false);
  Flags -= TRVFlags{rvflUseJumps, rvflCanUseCustomPPI, rvflCanProcessGetText};
  Flags += TRVFlags{rvflShareContents, rvflAllowCustomDrawItems, rvflPrinting};
  FTopMargin = 0;
  FBottomMargin = 0;
  SetBorderStyle(bsNone);
}

TCustomPrintableRV::~TCustomPrintableRV() { FreeNotesLists(); }

void TCustomPrintableRV::FreeNotesLists() {
  FEndnotes.reset();
  FFootnotes.reset();
}

// A document cut from a larger one may begin or end inside a paragraph; the layout record says so,
// and the first paragraph's list numbering continues from it.
void TCustomPrintableRV::ApplyLayoutInfo(const TRVLayoutInfo& Layout) {
  TCustomViroZere::ApplyLayoutInfo(Layout);
  TViroZereRVData* data = GetRVData();
  if (Layout.FirstParaAborted != 0) {
    data->State.Include(rvstFirstParaAborted);
    data->FFirstParaListNo = Layout.FirstMarkerListNo;
    data->FFirstParaLevel = Layout.FirstMarkerLevel;
  } else {
    data->State.Exclude(rvstFirstParaAborted);
    data->FFirstParaListNo = -1;
    data->FFirstParaLevel = -1;
  }
  if (Layout.LastParaAborted != 0)
    data->State.Include(rvstLastParaAborted);
  else
    data->State.Exclude(rvstLastParaAborted);
}

TPrintableRV::TPrintableRV(TComponent* AOwner)
    : TCustomPrintableRV(AOwner, PrintableRVDataClass()), FMargins(std::make_unique<TRVUnitsRect>(nullptr)) {}

TPrintableRV::~TPrintableRV() = default;
