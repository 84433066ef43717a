#include "engine/viewer/RVViroZere.h"

#include <exception>
#include <utility>

#include "engine/document/RVDocParams.h"
#include "engine/layout/DrawLines.h"
#include "engine/viewer/RVWordEnumThread.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/UserDraw.h"

TRVRTFReadPropertiesClass RVDefaultRTFReadPropertiesClass;

namespace {

std::unique_ptr<TViroZereRVData> MakeViewerData(TCustomViroZere* Viewer) {
  return std::make_unique<TViroZereRVData>(Viewer);
}

// Runs F on Data and every sub-document below it.
template <typename F>
void ForEachDocument(TCustomRVData* Data, F&& Fn) {
  if (!Data) return;
  Fn(Data);
  for (int i = 0; i < Data->ItemCount(); ++i) {
    TCustomRVItemInfo* item = Data->GetItem(i);
    if (!item->GetBoolValue(rvbpHasSubRVData)) continue;
    std::unique_ptr<TRVStoreSubRVData> state;
    TCustomRVData* sub = item->GetSubRVData(state, rvdFirst);
    while (sub) {
      ForEachDocument(sub, Fn);
      sub = item->GetSubRVData(state, rvdNext, sub);
    }
  }
}

}  // namespace

// ---- the destroy informer ---------------------------------------------------------------------

void TRVDestroyInformer::Release() {
  if (--RefCount > 0) return;
  if (Owner && Owner->FDestroyInformer == this) Owner->FDestroyInformer = nullptr;
  delete this;
}

// ---- creation and destruction -------------------------------------------------------------------

const TClassInfo& TCustomViroZere::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomViroZere>(u"TCustomViroZere", &TRVScroller::StaticClassInfo()).Build();
  return info;
}

// The published properties (those of the window control base are its own).
const TClassInfo& TViroZere::StaticClassInfo() {
  // In the order of TRVOption.
  static const std::vector<UnicodeString> optionNames = {
      u"rvoAllowSelection", u"rvoSingleClick", u"rvoScrollToEnd", u"rvoClientTextWidth", u"rvoShowCheckpoints",
      u"rvoShowPageBreaks", u"rvoShowSpecialCharacters", u"rvoShowHiddenText", u"rvoShowItemHints",
      u"rvoShowGridLines", u"rvoTagsArePChars", u"rvoAutoCopyText", u"rvoAutoCopyUnicodeText", u"rvoAutoCopyRVF",
      u"rvoAutoCopyImage", u"rvoAutoCopyRTF", u"rvoFormatInvalidate", u"rvoDblClickSelectsWord",
      u"rvoRClickDeselects", u"rvoDisallowDrag", u"rvoFastFormatting", u"rvoPercentEncodedURL",
      u"rvoAssignImageFileNames"};
  static const TRVDataRootProperties defaults;
  static const TClassInfo info =
      TClassInfoBuilder<TViroZere>(u"TViroZere", &TCustomViroZere::StaticClassInfo())
          .Enum(u"AnimationMode", &TViroZere::GetAnimationMode, &TViroZere::SetAnimationMode,
                {u"rvaniDisabled", u"rvaniManualStart", u"rvaniOnFormat"}, rvaniManualStart)
          .Enum(u"BackgroundStyle", &TViroZere::GetBackgroundStyle, &TViroZere::SetBackgroundStyle,
                {u"bsNoBitmap", u"bsStretched", u"bsTiled", u"bsTiledAndScrolled", u"bsCentered", u"bsTopLeft",
                 u"bsTopRight", u"bsBottomLeft", u"bsBottomRight"},
                bsNoBitmap)
          .Integer(u"BottomMargin", &TViroZere::GetBottomMargin, &TViroZere::SetBottomMargin, 5)
          .Enum(u"CPEventKind", &TViroZere::GetCPEventKind, &TViroZere::SetCPEventKind,
                {u"cpeNone", u"cpeAsSectionStart", u"cpeWhenVisible"}, cpeNone)
          .Integer(u"Cursor", &TViroZere::GetCursor, &TViroZere::SetCursor, 0)
          .String(u"Delimiters", &TViroZere::GetDelimiters, &TViroZere::SetDelimiters)
          .StoredIf([](TPersistent& o) { return static_cast<TViroZere&>(o).GetDelimiters() != defaults.Delimiters; })
          .Integer(u"FirstJumpNo", &TViroZere::GetFirstJumpNo, &TViroZere::SetFirstJumpNo, 0)
          .Integer(u"LeftMargin", &TViroZere::GetLeftMargin, &TViroZere::SetLeftMargin, 5)
          .Integer(u"MaxLength", &TViroZere::GetMaxLength, &TViroZere::SetMaxLength, 0)
          .Integer(u"MaxTextWidth", &TViroZere::GetMaxTextWidth, &TViroZere::SetMaxTextWidth, 0)
          .Integer(u"MinTextWidth", &TViroZere::GetMinTextWidth, &TViroZere::SetMinTextWidth, 0)
          .Set(u"Options", &TViroZere::GetOptions, &TViroZere::SetOptions, optionNames, RVDefaultViewerOptions)
          .Integer(u"RightMargin", &TViroZere::GetRightMargin, &TViroZere::SetRightMargin, 5)
          .Enum(u"TabNavigation", &TViroZere::GetTabNavigation, &TViroZere::SetTabNavigation,
                {u"rvtnNone", u"rvtnTab", u"rvtnCtrlTab"}, rvtnTab)
          .Integer(u"TopMargin", &TViroZere::GetTopMargin, &TViroZere::SetTopMargin, 5)
          .Boolean(u"UseStyleTemplates", &TViroZere::GetUseStyleTemplates, &TViroZere::SetUseStyleTemplates, false)
          .Boolean(u"UseVCLThemes", &TViroZere::GetUseVCLThemes, &TViroZere::SetUseVCLThemes, false)
          .Enum(u"VAlign", &TViroZere::GetVAlign, &TViroZere::SetVAlign, {u"tlTop", u"tlCenter", u"tlBottom"}, tlTop)
          .Boolean(u"WordWrap", &TViroZere::GetWordWrap, &TViroZere::SetWordWrap, true)
          .Build();
  return info;
}

TCustomViroZere::TCustomViroZere(TComponent* AOwner) : TCustomViroZere(AOwner, &MakeViewerData) {}

TCustomViroZere::TCustomViroZere(TComponent* AOwner, TRVDataClass DataClass) : TRVScroller(AOwner) {
  Init(DataClass);
}

void TCustomViroZere::Init(TRVDataClass DataClass) {
  FDataClass = DataClass ? DataClass : &MakeViewerData;
  // Outside painting the canvas measures on a context of the screen.
  FMeasureDC = CreateCompatibleDC(nullptr);
  GetCanvas()->SetHandle(FMeasureDC);
  RVData = FDataClass(this);
  RVData->OnGetScaleViroZereInterface = [this] {
    std::shared_ptr<IRVScaleViroZereInterface> result;
    if (OnGetScaleViroZereInterface) OnGetScaleViroZereInterface(this, result);
    return result;
  };
  SetColor(clNone);
  Background = std::make_unique<TRVBackground>(false, nullptr);
  SetBounds(GetLeft(), GetTop(), 100, 40);
  SetBorderStyle(bsSingle);
}

TCustomViroZere::~TCustomViroZere() {
  FState.Include(csDestroying);
  if (FStyle) FStyle->RemoveFreeNotification(this);
  // A destructor cannot raise: an error that ended the worker's pass goes with the viewer.
  EndLiveSpellingThread(false);
  // The window goes while the root data still answers its questions.
  DestroyHandle();
  Background.reset();
  try {
    if (RVData) RVData->Clear();
  } catch (...) {
  }
  RVData.reset();
  FRTFReadProperties.reset();
  FSmartPopupProperties.reset();
  FDocObjects.reset();
  if (FDestroyInformer) {
    FDestroyInformer->ControlDestroyed = true;
    FDestroyInformer->Owner = nullptr;
    FDestroyInformer = nullptr;
  }
  GetCanvas()->SetHandle(nullptr);
  DeleteDC(FMeasureDC);
}

TRVDestroyInformer* TCustomViroZere::GetDestroyInformer() {
  if (!FDestroyInformer) FDestroyInformer = new TRVDestroyInformer(this);
  return FDestroyInformer;
}

// ---- virtual operations -----------------------------------------------------------------------

void TCustomViroZere::ResetTemporalState() {
  if (ScrollTimerActive) {
    if (HandleAllocated()) KillTimer(GetHandle(), 1);
    ScrollTimerActive = false;
  }
  RVData->ClearTemporal();
}

void TCustomViroZere::SetStyle(TRVStyle* Value) {
  if (FStyle && FStyle != Value) FStyle->RemoveFreeNotification(this);
  FStyle = Value;
  if (FStyle) FStyle->FreeNotification(this, [this, Value] { Notification(Value, opRemove); });
  if (FOptions.Contains(rvoFormatInvalidate) && !GetScaleViroZere()) Invalidate();
}

void TCustomViroZere::UpdateAfterScroll(bool Refresh) {
  if (Refresh) this->Refresh();
  if (GetFullRedraw())
    if (auto* editor = dynamic_cast<TCustomViroZere*>(GetInplaceEditor())) editor->UpdateAfterScroll(true);
}

TRVRTFReadPropertiesClass TCustomViroZere::GetRTFReadPropertiesClass() {
  if (auto sv = RVData->GetAbsoluteRootData() ? RVData->GetAbsoluteRootData()->GetScaleViroZereInterface() : nullptr)
    return [sv](TObject* Owner) { return sv->CreateRTFReadProperties(Owner); };
  return RVDefaultRTFReadPropertiesClass;
}

TObject* TCustomViroZere::GetRTFReadProperties() {
  if (!FRTFReadProperties) {
    if (TRVRTFReadPropertiesClass cls = GetRTFReadPropertiesClass()) FRTFReadProperties = cls(RVData.get());
  }
  return FRTFReadProperties.get();
}

void TCustomViroZere::SavePicture(TRVSaveFormat DocumentSaveFormat, const TRVUnicodeString& Path,
                                  TRVUnicodeString& Result, TGraphic* Graphic) {
  Result = RVData->SavePicture(DocumentSaveFormat, imgSavePrefix, Path, imgSaveNo, SaveOptions.Contains(rvsoOverrideImages),
                               CurrentFileColor, Graphic);
}

TRVWordEnumThread* TCustomViroZere::GetRootWordEnumThread() {
  if (Flags.Contains(rvflRoot)) return FWordEnumThread.get();
  TCustomRVData* root = RVData->GetAbsoluteRootData();
  if (auto* viewer = root ? dynamic_cast<TCustomViroZere*>(root->GetParentControl()) : nullptr)
    if (viewer != this) return viewer->GetRootWordEnumThread();
  return nullptr;
}

// ---- dynamic operations -----------------------------------------------------------------------

TCanvas* TCustomViroZere::GetFormatCanvas(TCanvas* DefCanvas) {
  if (auto sv = GetScaleViroZere())
    if (TCanvas* c = sv->GetFormatCanvas()) return c;
  return DefCanvas;
}

bool TCustomViroZere::DocParametersAssigned() { return RVData->GetRootProperties()->IsDocParametersAssigned(); }

void TCustomViroZere::ApplyLayoutInfo(const TRVLayoutInfo& Layout) {
  if (!Layout.Loaded) return;
  FLeftMargin = Layout.LeftMargin;
  FRightMargin = Layout.RightMargin;
  FTopMargin = Layout.TopMargin;
  FBottomMargin = Layout.BottomMargin;
  FMinTextWidth = Layout.MinTextWidth;
  FMaxTextWidth = Layout.MaxTextWidth;
  SetBiDiMode(Layout.BiDiMode);
  RVData->ApplyLayoutFlags(Layout);
}

// ---- formatting ---------------------------------------------------------------------------------

std::shared_ptr<IRVScaleViroZereInterface> TCustomViroZere::GetScaleViroZere() {
  return RVData ? RVData->GetScaleViroZereInterface() : nullptr;
}

void TCustomViroZere::FormatRoot(bool OnlyResized, bool ForceFormat, TCanvas* Canvas) {
  if (GetVSmallStep() == 0 || ComponentState().Contains(csLoading)) return;
  if (!FStyle) return;
  RVData->Format_(OnlyResized, ForceFormat, false, 0, Canvas, false, false, false, false, false);
}

void TCustomViroZere::Format() {
  if (IsDestroying()) return;
  FormatRoot(false, true, GetFormatCanvas(GetCanvas()));
  if (FOptions.Contains(rvoFormatInvalidate)) InvalidateControlTree();
  if (FAnimationMode == rvaniOnFormat) StartAnimation();
}

void TCustomViroZere::Reformat() {
  if (RVData->State.Contains(rvstEditorUnformatted)) {
    Format();
    return;
  }
  FormatRoot(true, true, GetFormatCanvas(GetCanvas()));
  if (FOptions.Contains(rvoFormatInvalidate)) InvalidateControlTree();
}

namespace {
// The viewers whose root data stand as extra documents of Data's root properties.
std::vector<TCustomViroZere*> ExtraDocumentViewers(TViroZereRVData* Data) {
  std::vector<TCustomViroZere*> viewers;
  for (const TRVExtraDocument& e : Data->GetRootProperties()->ExtraDocumentEntries()) {
    auto* doc = dynamic_cast<TViroZereRVData*>(e.Document);
    if (!doc) continue;
    if (auto* v = dynamic_cast<TCustomViroZere*>(doc->GetParentControl())) viewers.push_back(v);
  }
  return viewers;
}
}  // namespace

void TCustomViroZere::FormatAll() { FormatAllWith(&TCustomViroZere::Format); }

void TCustomViroZere::ReformatAll() { FormatAllWith(&TCustomViroZere::Reformat); }

// Runs Step on the header and footer viewers of a root viewer, then on this one.
void TCustomViroZere::FormatAllWith(void (TCustomViroZere::*Step)()) {
  if (Flags.Contains(rvflRoot)) {
    for (TCustomViroZere* v : ExtraDocumentViewers(RVData.get()))
      if (v != this) (v->*Step)();
    if (auto sv = GetScaleViroZere()) sv->UpdateHFEditors(true);
  }
  (this->*Step)();
}

void TCustomViroZere::ClearAll() {
  if (Flags.Contains(rvflRoot)) {
    for (const TRVExtraDocument& e : RVData->GetRootProperties()->ExtraDocumentEntries())
      if (e.Document && e.Document != RVData.get()) e.Document->Clear();
    if (auto sv = GetScaleViroZere()) sv->UpdateHFEditors(false);
  }
  Clear();
}

void TCustomViroZere::Clear() { RVData->Clear(); }

void TCustomViroZere::InvalidateControlTree() {
  Invalidate();
  std::function<void(TWinControl*)> walk = [&walk](TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* w = dynamic_cast<TWinControl*>(parent->GetControl(i));
      if (!w || !w->HandleAllocated() || w->ComponentState().Contains(csDestroying)) continue;
      w->Invalidate();
      walk(w);
    }
  };
  walk(this);
}

// ---- painting -----------------------------------------------------------------------------------

TColor TCustomViroZere::GetEffectiveColor() {
  if (GetColor() != clNone) return GetColor();
  return FStyle ? FStyle->Color : clWindow;
}

void TCustomViroZere::DrawNoticeText(const TRVUnicodeString& Text) {
  TCanvas* canvas = GetCanvas();
  canvas->Brush().SetColor(GetEffectiveColor());
  canvas->Brush().SetStyle(bsSolid);
  canvas->Pen().SetColor(GetCtl3D() ? clWindow : clWindowText);
  canvas->Font().SetName(u"MS Sans Serif");
  canvas->Font().SetSize(8);
  canvas->Font().SetColor(clWindowText);
  canvas->Font().SetStyle(TFontStyles());
  RECT clip{0, 0, 0, 0};
  GetClipBox(canvas->GetHandle(), &clip);
  canvas->FillRect(clip);
  RECT r = GetClientRect();
  SetBkMode(canvas->GetHandle(), TRANSPARENT);
  DrawTextW(canvas->GetHandle(), Text.c_str(), -1, &r, DT_WORDBREAK);
  if (!GetCtl3D()) {
    canvas->Brush().SetColor(clWindowText);
    canvas->FrameRect(GetClientRect());
  }
}

void TCustomViroZere::Paint() {
  if (!FStyle) {
    DrawNoticeText(::Format(u"Style is not defined\rCreate a TRVStyle object and assign it to %s.Style", {GetName()}));
    return;
  }
  // Inside a page-layout editor the editor paints the document on its page.
  if (GetScaleViroZere()) return;
  const bool xorShown = RVData->XorImageDrawn && RVData->FXORDrawing;
  if (xorShown) {
    RVData->FXORDrawing.Draw(RVData.get(), GetCanvas(), RVData->MouseX, RVData->MouseY);
    RVData->XorImageDrawn = false;
  }
  RVData->PaintBuffered();
  if (OnPaint) OnPaint(this, GetCanvas(), false);
  if (xorShown && RVData->FXORDrawing) {
    RVData->FXORDrawing.Draw(RVData.get(), GetCanvas(), RVData->MouseX, RVData->MouseY);
    RVData->XorImageDrawn = true;
  }
}

void TCustomViroZere::PaintWindow(HDC DC) {
  TCanvas* canvas = GetCanvas();
  canvas->Lock();
  canvas->SetHandle(DC);
  try {
    Paint();
  } catch (...) {
    canvas->SetHandle(FMeasureDC);
    canvas->Unlock();
    throw;
  }
  canvas->SetHandle(FMeasureDC);
  canvas->Unlock();
}

// ---- size, scrolling, background ------------------------------------------------------------------

void TCustomViroZere::WMSize(TMessage& Message) {
  if (FResizing) {
    TRVScroller::Dispatch(Message);
    return;
  }
  FResizing = true;
  try {
    if (!Flags.Contains(rvflPrinting)) {
      FormatRoot(true, false, GetFormatCanvas(GetCanvas()));
      if (!GetScaleViroZere()) InvalidateControlTree();
    }
    TRVScroller::Dispatch(Message);
  } catch (...) {
    FResizing = false;
    throw;
  }
  FResizing = false;
}

void TCustomViroZere::Resize() {
  TRVScroller::Resize();
  if (Flags.Contains(rvflRoot) && RVData) RVData->GetRootEvents()->ExecuteResize();
}

void TCustomViroZere::ResetScrollPositions() {
  if (RVData && RVData->ItemCount() > 0) return;
  TRVScroller::ResetScrollPositions();
}

void TCustomViroZere::UpdateScrollBarsForClient() {
  if (RVData && RVData->ItemCount() > 0) {
    FormatRoot(true, false, GetFormatCanvas(GetCanvas()));
    return;
  }
  TRVScroller::UpdateScrollBarsForClient();
}

void TCustomViroZere::SetVSmallStep(int Value) {
  if (Value <= 0) return;
  if (RVData && RVData->VScrollBarShown() && RVVScrollUnits(RVData->DocumentHeight, Value) > RVMaxVScrollUnits) return;
  TRVScroller::SetVSmallStep(Value);
}

void TCustomViroZere::DoVScrolled() {
  TRVScroller::DoVScrolled();
  if (Flags.Contains(rvflRoot) && RVData) RVData->GetRootEvents()->ExecuteAfterVScroll();
  InputAfterScroll(true);
}

void TCustomViroZere::DoHScrolled() {
  TRVScroller::DoHScrolled();
  if (Flags.Contains(rvflRoot) && RVData) RVData->GetRootEvents()->ExecuteAfterHScroll();
  InputAfterScroll(false);
}

void TCustomViroZere::DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) {
  InputGesture(EventInfo, Handled);
}

void TCustomViroZere::DeselectChosen(TCustomRVData* ChosenData) {
  if (auto* f = dynamic_cast<TCustomRVFormattedData*>(ChosenData)) f->Deselect(nullptr, false);
}

void TCustomViroZere::UpdatePaletteInfo() {
  TRVScroller::UpdatePaletteInfo();
  if (!RVData) return;
  if (Background) Background->UpdatePaletted(GetDoInPaletteMode(), GetRVPalette(), GetRVLogPalette());
  Invalidate();
}

void TCustomViroZere::DoOnBackBitmapChange(TObject* /*Sender*/) {
  if (RVData->State.Contains(rvstChangingBkPalette)) return;
  SetFullRedraw(Background->ScrollRequiresFullRedraw() || RequiresFullRedraw());
  Background->UpdatePaletted(GetDoInPaletteMode(), GetRVPalette(), GetRVLogPalette());
  if (FOptions.Contains(rvoFormatInvalidate)) Invalidate();
  RVData->ResetAniBackground();
}

TGraphic* TCustomViroZere::GetBackgroundBitmap() { return Background->GetBitmap(); }

void TCustomViroZere::SetBackgroundBitmap(TGraphic* Value) {
  if (Value)
    Background->AssignImage(Value, RVData.get(), true, nullptr);
  else
    Background->FreeImage();
  DoOnBackBitmapChange(this);
}

void TCustomViroZere::SetBackgroundStyle(TBackgroundStyle Value) {
  Background->Style = Value;
  DoOnBackBitmapChange(this);
}

// ---- Invalidate and Update ----------------------------------------------------------------------

void TCustomViroZere::Invalidate() {
  TRVScroller::Invalidate();
  if (RVData && RVData->GetAbsoluteRootData())
    if (auto sv = GetScaleViroZere()) sv->DoOnRepaint(this, rvrrInvalidate, false);
}

void TCustomViroZere::Update() {
  TRVScroller::Update();
  if (RVData && RVData->GetAbsoluteRootData())
    if (auto sv = GetScaleViroZere()) sv->DoOnRepaint(this, rvrrUpdate, false);
}

// ---- properties ---------------------------------------------------------------------------------

void TCustomViroZere::SetAllowSelection(bool Value) {
  if (Value) FOptions.Include(rvoAllowSelection);
  else FOptions.Exclude(rvoAllowSelection);
}

void TCustomViroZere::SetSingleClick(bool Value) {
  if (Value) FOptions.Include(rvoSingleClick);
  else FOptions.Exclude(rvoSingleClick);
}

void TCustomViroZere::SetVAlign(TTextLayout Value) {
  if (FVAlign == Value) return;
  FVAlign = Value;
  Invalidate();
}

void TCustomViroZere::SetAnimationMode(TRVAnimationMode Value) {
  if (FAnimationMode == Value) return;
  FAnimationMode = Value;
  InputAnimationModeChanged();
}

int TCustomViroZere::GetFirstJumpNo() const { return RVData->FFirstJumpNo; }
void TCustomViroZere::SetFirstJumpNo(int Value) { RVData->FFirstJumpNo = Value; }
TRVTabNavigationType TCustomViroZere::GetTabNavigation() const { return RVData->TabNavigation; }
void TCustomViroZere::SetTabNavigation(TRVTabNavigationType Value) { RVData->TabNavigation = Value; }

TRVUnicodeString TCustomViroZere::GetDelimiters() const { return RVData->GetRootProperties()->Delimiters; }
void TCustomViroZere::SetDelimiters(const TRVUnicodeString& Value) { RVData->GetRootProperties()->Delimiters = Value; }
TRVDocParameters* TCustomViroZere::GetDocParameters() { return RVData->GetRootProperties()->GetDocParameters(); }
void TCustomViroZere::SetDocParameters(const TRVDocParameters* Value) {
  RVData->GetRootProperties()->SetDocParameters(Value);
}
TRVRTFOptions TCustomViroZere::GetRTFOptions() const { return RVData->GetRootProperties()->RTFOptions; }
void TCustomViroZere::SetRTFOptions(const TRVRTFOptions& Value) { RVData->GetRootProperties()->RTFOptions = Value; }
TRVFOptions TCustomViroZere::GetRVFOptions() const { return RVData->GetRootProperties()->RVFOptions; }
void TCustomViroZere::SetRVFOptions(const TRVFOptions& Value) { RVData->GetRootProperties()->RVFOptions = Value; }
TRVFReaderStyleMode TCustomViroZere::GetRVFParaStylesReadMode() const {
  return RVData->GetRootProperties()->RVFParaStylesReadMode;
}
void TCustomViroZere::SetRVFParaStylesReadMode(TRVFReaderStyleMode Value) {
  RVData->GetRootProperties()->RVFParaStylesReadMode = Value;
}
TRVFReaderStyleMode TCustomViroZere::GetRVFTextStylesReadMode() const {
  return RVData->GetRootProperties()->RVFTextStylesReadMode;
}
void TCustomViroZere::SetRVFTextStylesReadMode(TRVFReaderStyleMode Value) {
  RVData->GetRootProperties()->RVFTextStylesReadMode = Value;
}
bool TCustomViroZere::GetUseVCLThemes() const { return RVData->GetRootProperties()->UseVCLThemes; }
void TCustomViroZere::SetUseVCLThemes(bool Value) {
  TRVDataRootProperties* rp = RVData->GetRootProperties();
  if (rp->UseVCLThemes == Value) return;
  rp->UseVCLThemes = Value;
  RVData->ResetAniBackground();
  if (HandleAllocated()) InvalidateControlTree();
}
bool TCustomViroZere::GetUseStyleTemplates() const { return RVData->GetRootProperties()->UseStyleTemplates; }
void TCustomViroZere::SetUseStyleTemplates(bool Value) { RVData->GetRootProperties()->UseStyleTemplates = Value; }
TRVStyleTemplateInsertMode TCustomViroZere::GetStyleTemplateInsertMode() const {
  return RVData->GetRootProperties()->StyleTemplateInsertMode;
}
void TCustomViroZere::SetStyleTemplateInsertMode(TRVStyleTemplateInsertMode Value) {
  RVData->GetRootProperties()->StyleTemplateInsertMode = Value;
}
std::vector<TRVUnicodeString>& TCustomViroZere::DocProperties() { return RVData->GetRootProperties()->DocProperties; }
TRVUnicodeString TCustomViroZere::GetNoteText() const { return RVData->GetRootProperties()->NoteText; }
void TCustomViroZere::SetNoteText(const TRVUnicodeString& Value) { RVData->GetRootProperties()->NoteText = Value; }
TRVFWarnings TCustomViroZere::GetRVFWarnings() const { return RVData->GetRootProperties()->RVFWarnings; }

TRVDocObjectCollection* TCustomViroZere::GetDocObjectCollection() {
  if (!FDocObjects) FDocObjects = std::make_unique<TRVDocObjectCollection>(this);
  return FDocObjects.get();
}

TObject* TCustomViroZere::GetDocObjects() { return GetDocObjectCollection(); }

int TCustomViroZere::GetDocumentHeight() const { return RVData->DocumentHeight; }
int TCustomViroZere::GetFirstItemVisible() const { return RVData->GetFirstItemVisible(); }
int TCustomViroZere::GetLastItemVisible() const { return RVData->GetLastItemVisible(); }
int TCustomViroZere::GetItemCount() const { return RVData->ItemCount(); }
TCustomRVData* TCustomViroZere::GetFirstPageHeaderRVData() const {
  return RVData->GetRootProperties()->GetHeaderFooter(0);
}
TCustomRVData* TCustomViroZere::GetEvenPagesHeaderRVData() const {
  return RVData->GetRootProperties()->GetHeaderFooter(1);
}
TCustomRVData* TCustomViroZere::GetHeaderRVData() const { return RVData->GetRootProperties()->GetHeaderFooter(2); }
TCustomRVData* TCustomViroZere::GetFirstPageFooterRVData() const {
  return RVData->GetRootProperties()->GetHeaderFooter(3);
}
TCustomRVData* TCustomViroZere::GetEvenPagesFooterRVData() const {
  return RVData->GetRootProperties()->GetHeaderFooter(4);
}
TCustomRVData* TCustomViroZere::GetFooterRVData() const { return RVData->GetRootProperties()->GetHeaderFooter(5); }

// ---- overrides of the control -------------------------------------------------------------------

void TCustomViroZere::SetName(const UnicodeString& Value) {
  TRVScroller::SetName(Value);
  RVData->State.Include(rvstNameSet);
}

void TCustomViroZere::Loaded() {
  TRVScroller::Loaded();
  UpdatePaletteInfo();
  Format();
}

void TCustomViroZere::Notification(TObject* AComponent, TOperation Operation) {
  if (Operation != opRemove) return;
  if (AComponent && AComponent == FStyle) SetStyle(nullptr);
}

void TCustomViroZere::SetBiDiMode(TRVBiDiMode Value) {
  if (GetBiDiMode() == Value) return;
  TRVScroller::SetBiDiMode(Value);
  if (!GetScaleViroZere() && HandleAllocated()) RecreateWnd();
  RVData->Deselect(nullptr, true);
  if (Flags.Contains(rvflRoot))
    if (auto sv = GetScaleViroZere()) sv->DoOnBiDiModeChange(this);
  if (!RVData->State.Contains(rvstSkipFormatting)) Format();
}

void TCustomViroZere::RegisterStyleTemplatesChangeHandler(TComponent* Component,
                                                          std::function<void(TObject*)> Event) {
  TCustomRVDataEvents::RegisterEventHandler(Component, RVData->GetRootEvents()->StyleTemplatesChangeHandlers,
                                            std::move(Event));
}

void TCustomViroZere::UnregisterStyleTemplatesChangeHandler(TComponent* Component) {
  TCustomRVDataEvents::UnregisterEventHandler(Component, RVData->GetRootEvents()->StyleTemplatesChangeHandlers);
}

void TCustomViroZere::DoOnClear() {
  if (Flags.Contains(rvflRoot)) RVData->GetRootEvents()->ExecuteClear();
}

void TCustomViroZere::DoBeforeSaving() {
  if (Flags.Contains(rvflRoot)) RVData->GetRootEvents()->ExecuteSave();
}

// ---- animation and live spelling -------------------------------------------------------------------

void TCustomViroZere::StartAnimation() { InputStartAnimation(); }

void TCustomViroZere::StopAnimation() { InputStopAnimation(); }

void TCustomViroZere::StartLiveSpelling() {
  if (!Flags.Contains(rvflRoot) || !OnSpellingCheck || !FStyle) return;
  if (FWordEnumThread)
    FWordEnumThread->Stop(true, true);
  else
    FWordEnumThread = std::make_unique<TRVWordEnumThread>();
  ForEachDocument(RVData.get(), [](TCustomRVData* d) {
    for (int i = 0; i < d->ItemCount(); ++i) d->GetItem(i)->ClearLiveSpellingResult();
  });
  FWordEnumThread->Reset(this);
  FWordEnumThread->SetPriority(tpLowest);
  FWordEnumThread->DoContinueCheck();
}

void TCustomViroZere::EndLiveSpellingThread(bool RaiseError) {
  if (!FWordEnumThread) return;
  FWordEnumThread->Finish();
  FWordEnumThread->Terminate();
  std::exception_ptr error;
  try {
    FWordEnumThread->WaitFor();
  } catch (const std::exception&) {
    // The spelling handler's error ended the pass: raised once the worker is gone.
    error = std::current_exception();
  }
  FWordEnumThread.reset();
  if (error && RaiseError) std::rethrow_exception(error);
}

void TCustomViroZere::ClearLiveSpellingResults() {
  EndLiveSpellingThread(true);
  if (!RVData) return;
  ForEachDocument(RVData.get(), [](TCustomRVData* d) {
    for (int i = 0; i < d->ItemCount(); ++i) d->GetItem(i)->ClearLiveSpellingResult();
  });
  InvalidateControlTree();
}

// ---- messages -------------------------------------------------------------------------------------

void TCustomViroZere::WndProc(TMessage& Message) {
  if (InputWndProc(Message)) return;
  TRVScroller::WndProc(Message);
}

void TCustomViroZere::Dispatch(TMessage& Message) {
  if (DispatchEditControlMessage(Message)) return;
  switch (Message.Msg) {
    case WM_SIZE:
      WMSize(Message);
      break;
    case WM_ERASEBKGND:
      // The buffered paint covers the whole client area.
      Message.Result = 1;
      break;
    default:
      if (!InputDispatch(Message)) TRVScroller::Dispatch(Message);
  }
}

// ---- input (the input unit fills these) -----------------------------------------------------------

void TCustomViroZere::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  InputMouseDown(Button, Shift, X, Y);
}

void TCustomViroZere::MouseMove(TShiftState Shift, int X, int Y) { InputMouseMove(Shift, X, Y); }

void TCustomViroZere::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  InputMouseUp(Button, Shift, X, Y);
}

void TCustomViroZere::DblClick() { InputDblClick(); }

void TCustomViroZere::KeyDown(WORD& Key, TShiftState Shift) { InputKeyDown(Key, Shift); }
