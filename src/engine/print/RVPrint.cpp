#include "engine/print/RVPrint.h"

#include "engine/print/RVPrintableViewer.h"
#include "platform/base/ComponentStream.h"
#include "platform/base/SysUtils.h"

const TClassInfo& TCustomRVPrint::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomRVPrint>(u"TCustomRVPrint", &TComponent::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TRVVirtualPrinterProperties::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVVirtualPrinterProperties>(u"TRVVirtualPrinterProperties", &TPersistent::StaticClassInfo())
          .Build();
  return info;
}

const TClassInfo& TRVPrint::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TRVPrint>(u"TRVPrint", &TCustomRVPrint::StaticClassInfo()).Build();
  return info;
}

// ---- TCustomRVPrint -----------------------------------------------------------------------------

TCustomRVPrint::TCustomRVPrint(TComponent* AOwner) : TComponent(AOwner) {}

TCustomRVPrint::~TCustomRVPrint() = default;  // the viewer is an owned component

void TCustomRVPrint::InitViewer() {
  rv = CreateViroZere();
  if (rv) {
    rv->SetRVPrint(this);
    SetColorMode(rvcmPrinterColor);
  }
}

int TCustomRVPrint::GetDispPageNo(int PageNo) { return PageNo + PageNoFromNumber - 1; }

TCustomViroZere* TCustomRVPrint::GetSourceViroZere() { return rv; }

void TCustomRVPrint::Loaded() {
  TComponent::Loaded();
  UpdatePaletteInfo();
}

// ---- TRVVirtualPrinterProperties -----------------------------------------------------------------

void TRVVirtualPrinterProperties::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVVirtualPrinterProperties*>(Source)) {
    PageWidth = s->PageWidth;
    PixelsPerInch = s->PixelsPerInch;
    PageHeight = s->PageHeight;
    Active = s->Active;
    return;
  }
  TPersistent::Assign(Source);
}

int TRVVirtualPrinterProperties::GetActualPixelsPerInchX() const {
  if (PixelsPerInch > 0) return PixelsPerInch;
  if (ScreenPixelsPerInchOverride > 0) return ScreenPixelsPerInchOverride;
  return GetScreenPixelsPerInch();
}

int TRVVirtualPrinterProperties::GetActualPixelsPerInchY() const { return GetActualPixelsPerInchX(); }

// ---- TRVPrint -----------------------------------------------------------------------------------

TRVPrint::TRVPrint(TComponent* AOwner)
    : TCustomRVPrint(AOwner), FVirtualPrinter(std::make_unique<TRVVirtualPrinterProperties>()) {
  InitViewer();
  if (TPrintableRV* p = GetPrintableRV()) {
    p->FUnits = rvuMillimeters;
    p->FMargins->SetAll(20);
  }
}

TRVPrint::~TRVPrint() = default;

TCustomPrintableRV* TRVPrint::CreateViroZere() { return new TPrintableRV(this); }

TPrintableRV* TRVPrint::GetPrintableRV() const { return static_cast<TPrintableRV*>(rv); }

TRVUnitsRect* TRVPrint::GetMargins() const { return GetPrintableRV()->FMargins.get(); }
void TRVPrint::SetMargins(TRVUnitsRect* Value) { GetPrintableRV()->FMargins->Assign(Value); }
TRVUnits TRVPrint::GetUnits() const { return GetPrintableRV()->FUnits; }
void TRVPrint::SetUnits(TRVUnits Value) { GetPrintableRV()->FUnits = Value; }
bool TRVPrint::GetMirrorMargins() const { return GetPrintableRV()->FMirrorMargins; }
void TRVPrint::SetMirrorMargins(bool Value) { GetPrintableRV()->FMirrorMargins = Value; }
bool TRVPrint::GetFacingPages() const { return GetPrintableRV()->FFacingPages; }
void TRVPrint::SetFacingPages(bool Value) { GetPrintableRV()->FFacingPages = Value; }
bool TRVPrint::GetTitlePage() const { return GetPrintableRV()->FTitlePage; }
void TRVPrint::SetTitlePage(bool Value) { GetPrintableRV()->FTitlePage = Value; }

namespace {

int ToMM(TRVUnits Units, TRVLength Value) {
  return static_cast<int>(Round(ConvertUnitsValue(Units, rvuMillimeters, static_cast<double>(Value))));
}
TRVLength FromMM(TRVUnits Units, int Value) { return ConvertUnitsValue(rvuMillimeters, Units, Value); }

}  // namespace

int TRVPrint::GetLeftMarginMM() const { return ToMM(GetUnits(), GetMargins()->Left); }
void TRVPrint::SetLeftMarginMM(int Value) { GetMargins()->Left = FromMM(GetUnits(), Value); }
int TRVPrint::GetRightMarginMM() const { return ToMM(GetUnits(), GetMargins()->Right); }
void TRVPrint::SetRightMarginMM(int Value) { GetMargins()->Right = FromMM(GetUnits(), Value); }
int TRVPrint::GetTopMarginMM() const { return ToMM(GetUnits(), GetMargins()->Top); }
void TRVPrint::SetTopMarginMM(int Value) { GetMargins()->Top = FromMM(GetUnits(), Value); }
int TRVPrint::GetBottomMarginMM() const { return ToMM(GetUnits(), GetMargins()->Bottom); }
void TRVPrint::SetBottomMarginMM(int Value) { GetMargins()->Bottom = FromMM(GetUnits(), Value); }
int TRVPrint::GetHeaderYMM() const { return ToMM(GetUnits(), GetHeaderY()); }
void TRVPrint::SetHeaderYMM(int Value) { SetHeaderY(FromMM(GetUnits(), Value)); }
int TRVPrint::GetFooterYMM() const { return ToMM(GetUnits(), GetFooterY()); }
void TRVPrint::SetFooterYMM(int Value) { SetFooterY(FromMM(GetUnits(), Value)); }

// Stored forms of an earlier layout carry the margins in whole millimetres: they are read, never
// written.
void TRVPrint::DefineProperties(TFiler& Filer) {
  TCustomRVPrint::DefineProperties(Filer);
  const auto reader = [this](void (TRVPrint::*set)(int)) {
    return TReaderProc([this, set](TReader& r) { (this->*set)(r.ReadInteger()); });
  };
  const TWriterProc none;
  Filer.DefineProperty(u"LeftMarginMM", reader(&TRVPrint::SetLeftMarginMM), none, false);
  Filer.DefineProperty(u"RightMarginMM", reader(&TRVPrint::SetRightMarginMM), none, false);
  Filer.DefineProperty(u"TopMarginMM", reader(&TRVPrint::SetTopMarginMM), none, false);
  Filer.DefineProperty(u"BottomMarginMM", reader(&TRVPrint::SetBottomMarginMM), none, false);
  Filer.DefineProperty(u"HeaderYMM", reader(&TRVPrint::SetHeaderYMM), none, false);
  Filer.DefineProperty(u"FooterYMM", reader(&TRVPrint::SetFooterYMM), none, false);
}
