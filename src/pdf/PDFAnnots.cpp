#include "pdf/PDFAnnots.h"

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

void TPDFAcroForms::Save() {
  if (GetCount() == 0) return;
  FEngine->StartObj(ID());
  std::string s = "/Fields [";
  for (auto* f : FAcros) s += f->RefID() + " ";
  s += "]\r\n/DR <<\r\n/Font <<\r\n>> >>\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}
