// Reads RTF text held in a string through the reader, as the reader's tests do.
#pragma once

#include <cstdint>
#include <string>

#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"

inline TRVRTFErrorCode ReadString(TRVRTFReader& reader, const std::string& rtf) {
  TMemoryStream stream;
  if (!rtf.empty()) stream.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
  stream.SetPosition(0);
  return reader.ReadFromStream(&stream);
}
