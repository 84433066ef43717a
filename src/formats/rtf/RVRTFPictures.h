// Pictures and objects of the RTF reader. Declared here; their bodies and the reader's handling of
// "\pict", "\object" and their data are filled in by RVRTFPictures.cpp.
#pragma once

#include "engine/foundation/RVTypes.h"
#include "formats/rtf/RVRTFTypes.h"
#include "platform/base/Classes.h"

class TRVRTFPicture : public TObject {
 public:
  TRVRTFPicture();
  TRVRTFPicture(const TRVRTFPicture&) = delete;
  TRVRTFPicture& operator=(const TRVRTFPicture&) = delete;
  ~TRVRTFPicture() override;

  TRVRTFPictureType FType = rtf_pict_EMF;
  int FMetafileMapMode = 0;
  int FPicW = 0, FPicH = 0;
  int FPicWGoalTw = 0, FPicHGoalTw = 0;
  int FPicScaleX = 100, FPicScaleY = 100;
  int FWBMWidthBytes = 0, FWBMBitsPixel = 1, FWBMPlanes = 1;
  bool FMetafileWithBitmap = false;
  bool FShpPict = false;
  TMemoryStream* FData = nullptr;
  int SuggestedWidthTw = 0, SuggestedHeightTw = 0;
};

class TRVRTFObject : public TObject {
 public:
  TRVRTFObject();
  TRVRTFObject(const TRVRTFObject&) = delete;
  TRVRTFObject& operator=(const TRVRTFObject&) = delete;
  ~TRVRTFObject() override;
  TMemoryStream* Data() const { return FData; }

  TRVRTFObjectType FType = rtf_obj_Emb;
  TMemoryStream* FData = nullptr;
  int FWidthTw = 0, FHeightTw = 0;
};
