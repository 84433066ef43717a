#include "pdf/PDFForms.h"

#include <algorithm>

// ---- patterns and forms -------------------------------------------------------------------------

static std::string MatrixEntry(const TTextCTM& m) {
  std::string s = "/Matrix [";
  for (Extended v : {m.a, m.b, m.c, m.d, m.x, m.y}) {
    AppendPDFFloat(s, v);
    s += ' ';
  }
  s += "]\r\n";
  return s;
}

static std::string BBoxEntry(int w, int h) {
  return "/BBox [0 0 " + PDFIntToStr(w) + " " + PDFIntToStr(h) + "]\r\n";
}

void TPDFPattern::Save() {
  CloseAllLevels();
  std::string res = "/Resources <<\r\n" + ColorSpaceEntries() + ProcSetEntry() + FontEntries() +
                    ExtGStateEntries();
  std::string images = ImageEntries();
  if (!images.empty()) res += "/XObject <<\r\n" + images + ">>\r\n";
  res += ">>\r\n";
  std::string content = FContent.Text();
  FEngine->StartObj(ID());
  std::string s = "/Type /Pattern\r\n/PatternType 1\r\n/PaintType 1 /TilingType 1\r\n/XStep " +
                  PDFIntToStr(FXStep) + " /YStep " + PDFIntToStr(FYStep) + "\r\n" +
                  MatrixEntry(FMatrix) + BBoxEntry(FWidth, FHeight) + res;
  FEngine->SaveToStream(s, false);
  FEngine->SaveContentStream(content);
}

TPDFForm::TPDFForm(TPDFEngine* engine, TPDFFonts* fonts, TOptionalContent* optionalContent)
    : TPDFCanvas(engine, fonts),
      FHaveOptional(optionalContent != nullptr),
      FOptionalContent(optionalContent) {}

void TPDFForm::SetPattern(TPDFPattern* pattern) {
  auto it = std::find(FPatterns.begin(), FPatterns.end(), pattern);
  int idx = static_cast<int>(it - FPatterns.begin());
  if (it == FPatterns.end()) FPatterns.push_back(pattern);
  EndText();
  FContent.Add("/Pattern cs /Ptn" + PDFIntToStr(idx) + " scn");
}

void TPDFForm::Save() {
  CloseAllLevels();
  std::string res = "/Resources <<\r\n" + ColorSpaceEntries() + ProcSetEntry() + FontEntries();
  if (!FPatterns.empty()) {
    res += "/Pattern <<\r\n";
    for (std::size_t i = 0; i < FPatterns.size(); ++i)
      res += "/Ptn" + PDFIntToStr(static_cast<int>(i)) + " " + FPatterns[i]->RefID() + "\r\n";
    res += ">>\r\n";
  }
  res += ExtGStateEntries();
  std::string images = ImageEntries();
  if (!images.empty()) res += "/XObject <<\r\n" + images + ">>\r\n";
  res += ">>\r\n";
  std::string content = FContent.Text();
  FEngine->StartObj(ID());
  std::string s = "/Type /XObject\r\n/Subtype /Form\r\n";
  if (FHaveOptional && FOptionalContent) s += "/OC " + FOptionalContent->RefID() + "\r\n";
  s += MatrixEntry(FMatrix) + BBoxEntry(FWidth, FHeight) + res;
  FEngine->SaveToStream(s, false);
  FEngine->SaveContentStream(content);
}

// ---- graphic states -----------------------------------------------------------------------------

void TPDFGState::SetAlphaFill(Extended v) {
  if (FEngine->PDFACompatibile && v != 1)
    throw EPDFException("Cannot set this value for PDF/A document.");
  FAlphaFill = v;
  FAlphaFillInited = true;
}

void TPDFGState::SetAlphaStroke(Extended v) {
  if (FEngine->PDFACompatibile && v != 1)
    throw EPDFException("Cannot set this value for PDF/A document.");
  FAlphaStroke = v;
  FAlphaStrokeInited = true;
}

void TPDFGState::Save() {
  FEngine->StartObj(ID());
  std::string s = "/Type /ExtGState\r\n";
  if (FLineCapInited) s += "/LC " + PDFIntToStr(FLineCap) + "\r\n";
  if (FLineJoinInited) s += "/LJ " + PDFIntToStr(FLineJoin) + "\r\n";
  if (FLineWidthInited) s += "/LW " + PDFFloatToStr(false, FLineWidth) + "\r\n";
  if (FMitterLimitInited) s += "/ML " + PDFFloatToStr(false, FMitterLimit) + "\r\n";
  if (FAlphaFillInited) s += "/ca " + PDFFloatToStr(false, FAlphaFill) + "\r\n";
  if (FAlphaStrokeInited) s += "/CA " + PDFFloatToStr(false, FAlphaStroke) + "\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

// ---- optional content ---------------------------------------------------------------------------

void TOptionalContent::AddNested(TOptionalContent* content) {
  if (!content || content == this) return;
  if (std::find(FNestedContent.begin(), FNestedContent.end(), content) != FNestedContent.end())
    return;
  FNestedContent.push_back(content);
  content->Parent = this;
}

int TOptionalContent::GetNested(std::vector<TOptionalContent*>& list, bool onlySibling,
                                bool append) const {
  if (!append) list.clear();
  int added = 0;
  for (TOptionalContent* c : FNestedContent) {
    if (std::find(list.begin(), list.end(), c) != list.end()) continue;
    list.push_back(c);
    ++added;
    if (!onlySibling) added += c->GetNested(list, false, true);
  }
  return added;
}

void TOptionalContent::Save() {
  FEngine->StartObj(ID());
  FEngine->SaveToStream("/Type/OCG\r\n/Name " + CryptString(WideToPDFTextString(Utf8ToUnicode(FName))),
                        true);
  FEngine->CloseObj();
}

TOptionalContent* TOptionalContents::Add(const std::string& name, bool visible, bool canSwitch) {
  auto* c = new TOptionalContent(FEngine, name, visible, canSwitch);
  TPDFListManager::Add(c);
  return c;
}

TOptionalContent* TOptionalContents::GetByName(const std::string& name) const {
  std::string n = UpperCaseASCII(name);
  for (auto& o : FList) {
    auto* c = static_cast<TOptionalContent*>(o.get());
    if (UpperCaseASCII(c->Name()) == n) return c;
  }
  return nullptr;
}

void TOptionalContents::Save() {
  if (FList.empty()) return;
  for (auto& o : FList) o->Save();
  std::string ocgs = "/OCGs [", on = "/ON [", off = "/OFF [", locked = "/Locked [";
  for (auto& o : FList) {
    auto* c = static_cast<TOptionalContent*>(o.get());
    std::string ref = " " + c->RefID();
    ocgs += ref;
    (c->Visible() ? on : off) += ref;
    if (!c->CanSwitch()) locked += ref;
  }
  std::vector<TOptionalContent*> skip;
  std::string order = "/Order [";
  std::function<void(TOptionalContent*)> entry = [&](TOptionalContent* c) {
    if (c->NestedCount() == 0) {
      order += " " + c->RefID();
      return;
    }
    if (c->ReflectActualNesting)
      order += " " + c->RefID() + "[";
    else
      // Encrypted like every string of the file: readers decrypt all of them.
      order += " [" + CryptPDFString(FEngine->SecurityInfo, WideToPDFTextString(Utf8ToUnicode(c->Name())), ID()) + " ";
    for (int i = 0; i < c->NestedCount(); ++i) entry(c->Nested(i));
    order += "] ";
  };
  for (auto& o : FList) {
    auto* c = static_cast<TOptionalContent*>(o.get());
    if (std::find(skip.begin(), skip.end(), c) != skip.end()) continue;
    entry(c);
    c->GetNested(skip, false, true);
  }
  FEngine->StartObj(ID());
  std::string s = ocgs + " ]\r\n/D <<\r\n" + on + " ]\r\n" + off + " ]\r\n" + locked + " ]\r\n" +
                  order + " ]\r\n >>\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}
