#include "pdf/PDFAnnots.h"

#include <algorithm>
#include <cmath>

#include "pdf/PDFPages.h"

TPDFAnnotation::TPDFAnnotation(TPDFPage* page, const TRect& box)
    : TPDFObject(page->Engine()), FOwner(page) {
  int x1 = box.Left, y1 = box.Top, x2 = box.Right, y2 = box.Bottom;
  NormalizeIntRect(x1, y1, x2, y2);
  FLeft = static_cast<int>(std::lround(page->ExtToIntX(x1)));
  FTop = static_cast<int>(std::lround(page->ExtToIntY(y1)));
  FBottom = static_cast<int>(std::lround(page->ExtToIntY(y2)));
  FRight = static_cast<int>(std::lround(page->ExtToIntX(x2)));
  page->AddAnnotation(this);
}

int TPDFAnnotation::FlagValue() const {
  int v = 0;
  for (int f = afInvisible; f <= afReadOnly; ++f)
    if (FFlags.Contains(static_cast<TPDFAnnotationFlag>(f))) v |= 1 << f;
  return v;
}

void TPDFActionAnnotation::Save() {
  FEngine->StartObj(ID());
  std::string s = "/Type /Annot\r\n/Subtype /Link\r\n/Border " + FBorderStyle + "\r\n";
  switch (FHilightMode) {
    case aahlNone: s += "/H /N\r\n"; break;
    case aalhOutline: s += "/H /O\r\n"; break;
    case aahlPush: s += "/H /P\r\n"; break;
    default: break;
  }
  s += "/F " + PDFIntToStr(FlagValue()) + "\r\n";
  s += "/C [" + PDFColorToStr(FBorderColor) + " ]\r\n";
  s += "/Rect [" + FormatIntQuad(FLeft, FBottom, FRight, FTop) + "]\r\n";
  if (FAction) s += "/A " + FAction->RefID() + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

// ---- form fields --------------------------------------------------------------------------------

TPDFAcroFormAnnotation::TPDFAcroFormAnnotation(TPDFPage* page, const TRect& box,
                                               TPDFAcroForms* form, std::string name)
    : TPDFAnnotation(page, box), FAcroForm(form), FName(std::move(name)) {}

std::string TPDFAcroFormAnnotation::FieldActions() {
  std::string s;
  if (OnMouseUp) s += "/A " + OnMouseUp->RefID();
  s += "/AA <<";
  if (OnMouseEnter) s += "/E " + OnMouseEnter->RefID();
  if (OnMouseExit) s += "/X " + OnMouseExit->RefID();
  if (OnMouseDown) s += "/D " + OnMouseDown->RefID();
  if (OnLostFocus) s += "/Bl " + OnLostFocus->RefID();
  if (OnSetFocus) s += "/Fo " + OnSetFocus->RefID();
  return s;
}

std::string TPDFInputAnnotation::FieldActions() {
  std::string s = TPDFAcroFormAnnotation::FieldActions();
  if (OnKeyPress) s += "/K " + OnKeyPress->RefID();
  if (OnBeforeFormatting) s += "/F " + OnBeforeFormatting->RefID();
  if (OnChange) s += "/V " + OnChange->RefID();
  if (OnOtherControlChanged) s += "/C " + OnOtherControlChanged->RefID();
  return s;
}

TPDFRadioButton::TPDFRadioButton(TPDFPage* page, const TRect& box, TPDFRadioGroup* group,
                                 std::string exportValue, bool checked)
    : TPDFInputAnnotation(page, box, nullptr, ""),
      FRG(group),
      FChecked(checked),
      FExportValue(std::move(exportValue)) {
  group->FItems.push_back(this);
}

std::unique_ptr<TPDFForm> TPDFRadioButton::MakeAppearance(bool on) {
  auto* fonts = static_cast<TPDFPage*>(FOwner)->Fonts();
  auto f = std::make_unique<TPDFForm>(FEngine, fonts);
  Extended d2p = f->D2P();
  int w = FRight - FLeft, h = FTop - FBottom;
  f->SetWidth(static_cast<int>(std::lround(w * d2p)));
  f->SetHeight(static_cast<int>(std::lround(h * d2p)));
  f->SetLineWidth(d2p);
  f->SetColorFill(Color);
  f->SetColorStroke(FBorderColor);
  f->Circle(w * d2p / 2, h * d2p / 2, (h / 2.0L - 0.5L) * d2p);
  f->FillAndStroke();
  if (on) {
    f->SetColorFill(FontColor);
    f->Circle(w * d2p / 2, h * d2p / 2, (h / 4.0L - 0.5L) * d2p);
    f->Fill();
  }
  return f;
}

void TPDFRadioButton::Save() {
  FFN = "ZaDb";
  FSize = 0;
  std::unique_ptr<TPDFForm> onForm = MakeAppearance(true), offForm = MakeAppearance(false);
  onForm->Save();
  offForm->Save();
  const TPDFSecurity& sec = FEngine->SecurityInfo;
  int id = ID();
  static const char* fillOps[] = {" g", " rg", " k"};
  FEngine->StartObj(id);
  std::string s = "/Type /Annot\r\n/Subtype /Widget\r\n/Rect [" +
                  FormatIntQuad(FLeft, FBottom, FRight, FTop) + "]\r\n/P " + FOwner->RefID() + "\r\n";
  s += "/AS " + (FChecked ? PDFName(FExportValue) : std::string("/Off")) + "\r\n";
  s += "/MK <</CA " + CryptPDFString(sec, "l", id) + "/AC " + CryptPDFString(sec, "\xFE\xFF", id) +
       "/RC " + CryptPDFString(sec, "\xFE\xFF", id) + "/BC [" + PDFColorToStr(FBorderColor) +
       " ]/BG [" + PDFColorToStr(Color) + " ]>>\r\n";
  s += "/DA " +
       CryptPDFString(sec, PDFName(FFN) + " " + PDFIntToStr(FSize) + " Tf " + PDFColorToStr(FontColor) +
                               fillOps[FontColor.ColorSpace],
                      id) +
       "\r\n";
  s += "/F " + PDFIntToStr(FlagValue()) + "\r\n/Parent " + FRG->RefID() + "\r\n";
  std::string on = onForm->RefID(), off = offForm->RefID();
  const std::string onName = PDFName(FExportValue);
  s += "/AP <</N << " + onName + " " + on + "/Off  " + off + ">> /D << " + onName + " " + on + "/Off  " + off +
       ">> >>\r\n/H /T\r\n";
  s += FieldActions() + ">>\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

void TPDFRadioGroup::Save() {
  FEngine->StartObj(ID());
  std::string s = "/FT /Btn\r\n/T " + CryptString(FName) + "\r\n";
  for (auto* b : FItems)
    if (b->Checked()) {
      s += "/V " + PDFName(b->ExportValue()) + "\r\n/DV " + PDFName(b->ExportValue()) + "\r\n";
      break;
    }
  s += "/Kids [";
  for (auto* b : FItems) s += b->RefID() + " ";
  s += "]\r\n";
  int flags = 32768;
  if (!FItems.empty() && FItems[0]->Required) flags |= 2;
  if (!FItems.empty() && FItems[0]->ReadOnly) flags |= 1;
  if (FItems.size() > 1) flags |= 16384;
  s += "/Ff " + PDFIntToStr(flags) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

TPDFRadioGroup* TPDFAcroForms::AddRadioGroup(const std::string& name) {
  FRadioGroups.push_back(std::make_unique<TPDFRadioGroup>(FEngine, name));
  if (FFontManager) UseFont(FFontManager->GetFontByInfo(stdfZapfDingbats));
  return FRadioGroups.back().get();
}

void TPDFAcroForms::UseFont(TPDFFont* font) {
  if (!font || std::find(FFonts.begin(), FFonts.end(), font) != FFonts.end()) return;
  font->SetFontUsed(true);
  FFonts.push_back(font);
}

void TPDFAcroForms::Save() {
  if (GetCount() == 0) return;
  for (auto& g : FRadioGroups) g->Save();
  FEngine->StartObj(ID());
  std::string s = "/Fields [";
  for (auto* f : FAcros) s += f->RefID() + " ";
  for (auto& g : FRadioGroups) s += g->RefID() + " ";
  s += "]\r\n/DR <<\r\n/Font <<";
  for (auto* f : FFonts) s += PDFName(f->AliasName()) + " " + f->RefID();
  s += ">> >>\r\n/CO [";
  for (auto* f : FAcros)
    if (auto* in = dynamic_cast<TPDFInputAnnotation*>(f); in && in->OnOtherControlChanged)
      s += in->RefID() + " ";
  s += "]\r\n";
  for (auto* f : FAcros)
    if (f->HoldsSignature()) {
      s += "/SigFlags 3 \r\n";
      break;
    }
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

void TPDFAcroForms::FinishSave() {
  for (auto* f : FAcros) FEngine->SaveAdditional(*f);
}
