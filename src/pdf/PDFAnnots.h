// Annotations placed on a page outside its content stream: link annotations with an action,
// and the interactive-form manager, which writes its dictionary only when it holds fields.
#pragma once

#include <string>
#include <vector>

#include "pdf/PDFActions.h"
#include "pdf/PDFEngine.h"

class TPDFPage;
class TPDFFonts;

class TPDFAnnotation : public TPDFObject {
 public:
  // Box in canvas units, any corner order; the page receives the annotation.
  TPDFAnnotation(TPDFPage* page, const TRect& box);
  void SetBorderStyle(std::string v) { FBorderStyle = std::move(v); }
  void SetFlags(TPDFAnnotationFlags v) { FFlags = v; }
  void SetBorderColor(const TPDFColor& v) { FBorderColor = v; }
  const std::string& BorderStyle() const { return FBorderStyle; }
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Right() const { return FRight; }
  int Bottom() const { return FBottom; }

 protected:
  int FlagValue() const;
  TPDFPage* FOwner;
  std::string FBorderStyle = "[0 0 1]";
  TPDFAnnotationFlags FFlags{afPrint};
  TPDFColor FBorderColor = {};
  int FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};

class TPDFActionAnnotation : public TPDFAnnotation {
 public:
  TPDFActionAnnotation(TPDFPage* page, const TRect& box, TPDFAction* action)
      : TPDFAnnotation(page, box), FAction(action) {}
  void SetHiLightMode(TActionAnnotationHilightMode v) { FHilightMode = v; }
  TPDFAction* Action() const { return FAction; }
  void Save() override;

 private:
  TPDFAction* FAction;
  TActionAnnotationHilightMode FHilightMode = aahlInvert;
};

// The interactive form of a document. This program creates no fields, so the form stays empty
// and writes nothing; field annotations register here when they exist.
class TPDFAcroForms : public TPDFManager {
 public:
  TPDFAcroForms(TPDFEngine* engine, TPDFFonts* fontManager)
      : TPDFManager(engine), FFontManager(fontManager) {}
  int GetCount() override { return FAcros.empty() ? 0 : 1; }
  void Clear() override {
    FAcros.clear();
    TPDFManager::Clear();
  }
  void Save() override;
  void AddField(TPDFAnnotation* field) { FAcros.push_back(field); }

 private:
  TPDFFonts* FFontManager;
  std::vector<TPDFAnnotation*> FAcros;
};
