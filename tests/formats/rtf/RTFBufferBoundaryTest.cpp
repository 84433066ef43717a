// The reader takes runs of text, control words and picture data straight from its input buffer
// where it can; whatever falls across the buffer's edge, or a stream that gives one byte per
// read, must give the same events.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "RTFEventRecorder.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

namespace {

// A stream that gives at most one byte per read, so that the reader never holds more than one.
class TOneByteStream : public TMemoryStream {
 public:
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return TMemoryStream::Read(buffer, count < 1 ? count : 1);
  }
};

struct TReadResult {
  TRVRTFErrorCode Code = rtf_ec_OK;
  std::string Events;
};

TReadResult ReadWith(TMemoryStream& stream, const std::string& rtf, bool tabs) {
  stream.WriteBuffer(rtf.data(), static_cast<std::int64_t>(rtf.size()));
  stream.SetPosition(0);
  TRVRTFReader reader(nullptr);
  reader.TabAsSeparateChar = tabs;
  TRTFEventRecorder rec;
  rec.Attach(reader);
  reader.OnNewPicture = [&rec](TObject*, TRVRTFPicture* pic, TGraphic* graphic, TRVRTFPosition,
                               const TRVUnicodeString&, bool& inserted) {
    std::unique_ptr<TGraphic> owned(graphic);
    rec.Events.push_back("pict:" + (pic ? std::string(static_cast<const char*>(pic->FData->Memory()),
                                                      static_cast<std::size_t>(pic->FData->GetSize()))
                                        : std::string("none")));
    inserted = false;
  };
  TReadResult r;
  r.Code = reader.ReadFromStream(&stream);
  r.Events = rec.Joined();
  return r;
}

}  // namespace

TEST(RTFBufferBoundary, RunsAcrossTheBufferEdgeReadAsByteByByte) {
  // Text with tabs and a NUL, words with and without numbers, a lone "-", an 8-bit byte, a
  // Unicode character, hexadecimal and binary picture data, and binary data that is skipped.
  const std::string body =
      "plain text\ttab \\b bold\\b0 \\fs-24 x\\li720\\qc-y\\i- z\\'e9\\u1046?w "
      "{\\pict\\macpict 0a1B 2c\r\n3D4e}{\\pict\\macpict  5f6a}{\\pict\\macpict\\bin5 {}\\ab}z"
      "{\\*\\unknown\\bin4 }{}\\}yz \\fs99999999999999 a\\par";
  for (const bool tabs : {false, true}) {
    for (int pad = 4060; pad < 4096 + 8; ++pad) {
      // The padding puts every byte of the body at the buffer's edge in one of the reads.
      const std::string rtf = "{\\rtf1 " + std::string(static_cast<std::size_t>(pad) - 7, 'p') + body + "}";
      TMemoryStream whole;
      TOneByteStream bytes;
      const TReadResult fast = ReadWith(whole, rtf, tabs);
      const TReadResult slow = ReadWith(bytes, rtf, tabs);
      ASSERT_EQ(fast.Code, rtf_ec_OK) << pad;
      ASSERT_EQ(slow.Code, rtf_ec_OK) << pad;
      ASSERT_EQ(fast.Events, slow.Events) << "padding " << pad << (tabs ? " with tab runs" : "");
    }
  }
  // What the runs hold, once.
  TMemoryStream stream;
  const TReadResult r = ReadWith(stream, "{\\rtf1 " + body + "}", false);
  EXPECT_NE(r.Events.find("pict:\x0a\x1b\x2c\x3d"), std::string::npos) << r.Events;
  EXPECT_NE(r.Events.find("pict:{}\\ab"), std::string::npos) << r.Events;
  EXPECT_NE(r.Events.find("pict:\x5f\x6a |"), std::string::npos) << r.Events;  // data after a space
  EXPECT_NE(r.Events.find("C\"xy\" | C\"z\xE9\""), std::string::npos) << r.Events;  // "-" goes with its word
}
