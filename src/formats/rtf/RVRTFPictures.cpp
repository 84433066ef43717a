// Pictures and objects in the RTF reader: "\pict" with its kinds, sizes and data, "\shppict",
// "\nonshppict", "\object" with its data and result.
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"

TRVRTFPicture::TRVRTFPicture() : FData(new TMemoryStream) {}

TRVRTFPicture::~TRVRTFPicture() { delete FData; }

TRVRTFObject::TRVRTFObject() : FData(new TMemoryStream) {}

TRVRTFObject::~TRVRTFObject() { delete FData; }

TRVRTFErrorCode TRVRTFReader::EnterPictureDestination(int Dest) {
  (void)Dest;
  FRTFState->rds = rdsSkip;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::LeavePictureDestination(TRTFrds Rds) {
  (void)Rds;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPictureProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyObjectProperty(int Idx, int Value) {
  (void)Idx; (void)Value;
  return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ProcessPictureChar(unsigned char ch) {
  (void)ch;
  return rtf_ec_OK;
}
