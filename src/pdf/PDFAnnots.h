// Annotations placed on a page outside its content stream: link annotations with an action,
// and the interactive-form manager, which writes its dictionary only when it holds fields.
#pragma once

#include <memory>
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

class TPDFAcroForms;
class TPDFForm;

// A field of the interactive form: its font, colours, caption and field actions.
class TPDFAcroFormAnnotation : public TPDFAnnotation {
 public:
  TPDFAcroFormAnnotation(TPDFPage* page, const TRect& box, TPDFAcroForms* form, std::string name);
  TPDFColor FontColor = GrayColor(0);
  TPDFColor Color = GrayColor(1);  // background
  std::string HintCaption;
  TPDFAction *OnMouseDown = nullptr, *OnMouseExit = nullptr, *OnMouseEnter = nullptr,
             *OnMouseUp = nullptr, *OnLostFocus = nullptr, *OnSetFocus = nullptr;
  const std::string& Name() const { return FName; }
  // A signature field that holds a signature (the form then writes "/SigFlags 3").
  virtual bool HoldsSignature() const { return false; }

 protected:
  // "/A ..." and "/AA <<" with the actions that are set; the caller closes with ">>".
  virtual std::string FieldActions();
  TPDFAcroForms* FAcroForm;
  bool FTrueType = false;
  TPDFStdFont FStdFont = stdfHelvetica;
  std::string FFN = "Helv";
  int FSize = 10;
  std::string FName;
};

class TPDFInputAnnotation : public TPDFAcroFormAnnotation {
 public:
  using TPDFAcroFormAnnotation::TPDFAcroFormAnnotation;
  TPDFAction *OnOtherControlChanged = nullptr, *OnKeyPress = nullptr,
             *OnBeforeFormatting = nullptr, *OnChange = nullptr;
  bool Required = false, ReadOnly = false;

 protected:
  std::string FieldActions() override;
};

class TPDFRadioButton;

class TPDFRadioGroup : public TPDFObject {
 public:
  TPDFRadioGroup(TPDFEngine* engine, std::string name) : TPDFObject(engine), FName(std::move(name)) {}
  int Count() const { return static_cast<int>(FItems.size()); }
  TPDFRadioButton* Item(int i) const { return FItems[i]; }
  void Save() override;

 private:
  friend class TPDFRadioButton;
  std::vector<TPDFRadioButton*> FItems;  // not owned: the pages own the buttons
  std::string FName;
};

class TPDFRadioButton : public TPDFInputAnnotation {
 public:
  TPDFRadioButton(TPDFPage* page, const TRect& box, TPDFRadioGroup* group, std::string exportValue,
                  bool checked = false);
  bool Checked() const { return FChecked; }
  const std::string& ExportValue() const { return FExportValue; }
  void Save() override;

 private:
  std::unique_ptr<TPDFForm> MakeAppearance(bool on);
  TPDFRadioGroup* FRG;
  bool FChecked;
  std::string FExportValue;
};

// The interactive form of a document: fields register here, radio groups are owned here. Without
// fields the form writes nothing.
class TPDFAcroForms : public TPDFManager {
 public:
  TPDFAcroForms(TPDFEngine* engine, TPDFFonts* fontManager)
      : TPDFManager(engine), FFontManager(fontManager) {}
  int GetCount() override { return FAcros.empty() && FRadioGroups.empty() ? 0 : 1; }
  void Clear() override {
    FAcros.clear();
    FFonts.clear();
    FRadioGroups.clear();
    TPDFManager::Clear();
  }
  void Save() override;
  // After the trailer: the fields that sign the file do so.
  void FinishSave();
  void AddField(TPDFAcroFormAnnotation* field) { FAcros.push_back(field); }
  TPDFRadioGroup* AddRadioGroup(const std::string& name);
  // A font the fields use, listed once in the form's resources.
  void UseFont(TPDFFont* font);
  TPDFFonts* FontManager() const { return FFontManager; }

 private:
  TPDFFonts* FFontManager;
  std::vector<TPDFAcroFormAnnotation*> FAcros;
  std::vector<TPDFFont*> FFonts;
  std::vector<std::unique_ptr<TPDFRadioGroup>> FRadioGroups;
};
