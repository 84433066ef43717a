// What documents need of the RTF reader: the results of a read and the reader's properties object,
// which the root of a document tree supplies (GetRTFProperties). The reader itself derives from it.
#pragma once

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"

class TCustomRVData;

enum TRVRTFErrorCode : int {
  rtf_ec_OK,
  rtf_ec_StackUnderflow,
  rtf_ec_StackOverflow,
  rtf_ec_UnmatchedBrace,
  rtf_ec_InvalidHex,
  rtf_ec_BadTable,
  rtf_ec_Assertion,
  rtf_ec_EndOfFile,
  rtf_ec_FileOpenError,
  rtf_ec_Exception,
  rtf_ec_InvalidPicture,
  rtf_ec_Aborted
};

class TRVRTFReaderProperties : public TObject {
 public:
  // Read RTF into ARVData after its items (InsertMode false) or at the caret (true); the reader's
  // result, rtf_ec_Exception when an exception escaped the reading.
  virtual TRVRTFErrorCode ReadFromFile(const TRVUnicodeString& AFileName, TCustomRVData* ARVData,
                                       bool InsertMode) = 0;
  virtual TRVRTFErrorCode ReadFromStream(TStream* AStream, TCustomRVData* ARVData, bool InsertMode) = 0;
  // The folder of the file being read, for the pictures it links to.
  TRVUnicodeString BasePath;
};
