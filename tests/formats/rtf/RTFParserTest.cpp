// The RTF reader's input, group stack, main loop, control-word table and dispatch, and its
// state: error codes on bad input, what survives an error, tokenizing and the table.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"

namespace {

TRVRTFErrorCode ReadString(TRVRTFReader& reader, const std::string& rtf) {
  TMemoryStream stream;
  if (!rtf.empty()) stream.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
  stream.SetPosition(0);
  return reader.ReadFromStream(&stream);
}

}  // namespace

TEST(RTFParserTest, EmptyStreamIsOK) {
  TRVRTFReader reader(nullptr);
  EXPECT_EQ(ReadString(reader, ""), rtf_ec_OK);
}
