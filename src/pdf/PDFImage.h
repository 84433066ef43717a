// The image objects of a document as the canvas and the pages see them: each image is written
// when it is added and stays in the engine's resource list for the resource dictionaries.
// Encoding and writing belong to the image manager.
#pragma once

#include "pdf/PDFEngine.h"

class TPDFImages;

class TPDFImage : public TPDFObject {
 public:
  explicit TPDFImage(TPDFEngine* engine) : TPDFObject(engine) {}
  int BitPerPixel() const { return FBitPerPixel; }
  bool GrayScale() const { return FGrayScale; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void Save() override {}

 protected:
  int FBitPerPixel = 8;
  bool FGrayScale = false;
  int FWidth = 0, FHeight = 0;
};

class TPDFImages : public TPDFManager {
 public:
  explicit TPDFImages(TPDFEngine* engine) : TPDFManager(engine) {}
  ~TPDFImages() override { TPDFImages::Clear(); }
  void Clear() override {
    for (TPDFImage* i : FEngine->Resources.Images) delete i;
    FEngine->Resources.Images.clear();
    TPDFManager::Clear();
  }
  int GetCount() override { return static_cast<int>(FEngine->Resources.Images.size()); }
  void Save() override {}
  int JPEGQuality() const { return FJPEGQuality; }
  void SetJPEGQuality(int v) { FJPEGQuality = v; }

 private:
  int FJPEGQuality = 80;
};
