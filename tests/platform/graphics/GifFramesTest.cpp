// Frames of GIF pictures as the animation reads them: empty frames keep their place, and whether a
// frame had a graphic control extension is known.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/graphics/Gif.h"

namespace {

void LoadGif(TGIFImage& G, const std::string& Bytes) {
  TMemoryStream ms;
  ms.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  ms.SetPosition(0);
  G.LoadFromStream(ms);
}

std::string FileBytes(const std::string& Name) {
  std::string path = TAVRELO_TEST_DATA;
  path += "/animation/";
  path += Name;
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// A 2x2 GIF with a two-colour map; Frames is what follows the header.
std::string Gif(const std::string& Frames) {
  return std::string("GIF89a\x02\x00\x02\x00\x80\x00\x00", 13) + std::string("\x00\x00\x00\xFF\xFF\xFF", 6) + Frames +
         "\x3B";
}

// A 2x2 frame of colour 1 (literal codes after clear codes, 2-bit minimum code size).
const std::string FullFrame("\x2C\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x04\x0C\xC3\x30\x05\x00", 17);
const std::string EmptyFrame("\x2C\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00", 12);
const std::string Control("\x21\xF9\x04\x08\x05\x00\x00\x00", 8);  // restore to background, 5 cs

}  // namespace

TEST(GifFrames, EmptyFramesKeepTheirPlace) {
  TGIFImage g;
  LoadGif(g, FileBytes("empty-tail.gif"));
  ASSERT_EQ(g.FrameCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(g.Frame(i).Indices.empty(), i >= 3) << i;
    EXPECT_TRUE(g.Frame(i).HasControl);
  }
  EXPECT_EQ(g.RenderFrame(4).At(0, 0), g.RenderFrame(2).At(0, 0));

  TGIFImage plain;
  LoadGif(plain, Gif(FullFrame + Control + EmptyFrame + Control + FullFrame));
  ASSERT_EQ(plain.FrameCount(), 3);
  EXPECT_FALSE(plain.Frame(0).HasControl);
  EXPECT_TRUE(plain.Frame(1).HasControl);
  EXPECT_EQ(plain.Frame(1).Delay, 5);
  EXPECT_EQ(plain.Frame(1).Disposal, dmBackground);
  EXPECT_EQ(plain.Frame(2).Indices.size(), 4u);
  EXPECT_EQ(plain.RenderFrame(2).At(1, 1), 0xFFFFFFFFu);

  // Frames that are all empty are no picture.
  TGIFImage none;
  EXPECT_THROW(LoadGif(none, Gif(EmptyFrame + EmptyFrame)), EInvalidGraphic);
}
