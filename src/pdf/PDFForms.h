// Objects that carry or modify content besides a page: tiling patterns, form XObjects, graphic
// state parameter dictionaries and optional-content groups with their manager.
#pragma once

#include <string>
#include <vector>

#include "pdf/PDFCanvas.h"

class TOptionalContent;

class TPDFPattern : public TPDFCanvas {
 public:
  TPDFPattern(TPDFEngine* engine, TPDFFonts* fonts) : TPDFCanvas(engine, fonts) {}
  unsigned XStep() const { return FXStep; }
  unsigned YStep() const { return FYStep; }
  void SetXStep(unsigned v) { FXStep = v; }
  void SetYStep(unsigned v) { FYStep = v; }
  void Save() override;

 private:
  unsigned FXStep = 0, FYStep = 0;
};

class TPDFForm : public TPDFCanvas {
 public:
  TPDFForm(TPDFEngine* engine, TPDFFonts* fonts, TOptionalContent* optionalContent = nullptr);
  void SetPattern(TPDFPattern* pattern);
  void Save() override;

 private:
  std::vector<TPDFPattern*> FPatterns;
  bool FHaveOptional = false;
  TOptionalContent* FOptionalContent = nullptr;
};

class TPDFGState : public TPDFObject {
 public:
  using TPDFObject::TPDFObject;
  void SetAlphaFill(Extended v);
  void SetAlphaStroke(Extended v);
  void SetLineCap(TPDFLineCap v) { FLineCap = v, FLineCapInited = true; }
  void SetLineJoin(TPDFLineJoin v) { FLineJoin = v, FLineJoinInited = true; }
  void SetLineWidth(Extended v) { FLineWidth = v, FLineWidthInited = true; }
  void SetMitterLimit(Extended v) { FMitterLimit = v, FMitterLimitInited = true; }
  void Save() override;

 private:
  Extended FAlphaFill = 1, FAlphaStroke = 1, FLineWidth = 1, FMitterLimit = 10;
  TPDFLineCap FLineCap = lcButtEnd;
  TPDFLineJoin FLineJoin = ljMiter;
  bool FAlphaFillInited = false, FAlphaStrokeInited = false, FLineCapInited = false,
       FLineJoinInited = false, FLineWidthInited = false, FMitterLimitInited = false;
};

class TOptionalContent : public TPDFObject {
 public:
  TOptionalContent(TPDFEngine* engine, std::string name, bool visible = true, bool canSwitch = true)
      : TPDFObject(engine), FName(std::move(name)), FVisible(visible), FCAN(canSwitch) {}
  const std::string& Name() const { return FName; }
  bool Visible() const { return FVisible; }
  bool CanSwitch() const { return FCAN; }
  bool ReflectActualNesting = false;
  TOptionalContent* Parent = nullptr;
  // Nests content under this one (not owned).
  void AddNested(TOptionalContent* content);
  // Adds the nested contents (recursively unless onlySibling) that list does not hold yet;
  // answers how many were added.
  int GetNested(std::vector<TOptionalContent*>& list, bool onlySibling, bool append) const;
  int NestedCount() const { return static_cast<int>(FNestedContent.size()); }
  TOptionalContent* Nested(int i) const { return FNestedContent[i]; }
  void Save() override;

 private:
  std::string FName;
  bool FVisible, FCAN;
  std::vector<TOptionalContent*> FNestedContent;
};

class TOptionalContents : public TPDFListManager {
 public:
  using TPDFListManager::TPDFListManager;
  TOptionalContent* Add(const std::string& name, bool visible = true, bool canSwitch = true);
  virtual bool IsExitst(const std::string& name) const { return GetByName(name) != nullptr; }
  virtual TOptionalContent* GetByName(const std::string& name) const;
  void Save() override;
};
