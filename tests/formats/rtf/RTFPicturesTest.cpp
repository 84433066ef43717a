// Pictures and objects in the RTF reader: the kinds of "\pict" with their sizes and data,
// "\shppict" and "\nonshppict", damaged pictures, and "\object" with its data and result.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RTFTestRead.h"
#include "formats/rtf/RVRTFPictures.h"
#include "formats/rtf/RVRTFReader.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"

namespace {

std::string Fixture(const char* name) {
  TMemoryStream ms;
  ms.LoadFromFile(Utf8ToUnicode(std::string(TAVRELO_TEST_DATA) + "/pictures/" + name));
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string r;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    r += digits[b >> 4];
    r += digits[b & 15];
    if (i % 32 == 31) r += "\r\n";
  }
  return r;
}

// The records of rect.wmf as an enhanced metafile.
std::string EmfBytes() {
  const std::string wmf = Fixture("rect.wmf").substr(22);
  HENHMETAFILE emf =
      SetWinMetaFileBits(static_cast<UINT>(wmf.size()), reinterpret_cast<const BYTE*>(wmf.data()), nullptr, nullptr);
  std::string bits(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bits.size()), reinterpret_cast<BYTE*>(bits.data()));
  DeleteEnhMetaFile(emf);
  return bits;
}

struct Reported {
  bool HasRecord = false;
  TRVRTFPictureType Type = rtf_pict_EMF;
  bool HasGraphic = false;
  int Width = 0, Height = 0;
  int SuggestedW = 0, SuggestedH = 0;
  bool ShpPict = false;
  int ScaleX = 0, ScaleY = 0;
  std::string Data;
};

// Records every picture; inserts them while Insert says so.
struct PictureRecorder {
  std::vector<Reported> Pictures;
  bool Insert = true;
  explicit PictureRecorder(TRVRTFReader& reader) {
    reader.OnNewPicture = [this](TObject*, TRVRTFPicture* pic, TGraphic* graphic, TRVRTFPosition,
                                 const TRVUnicodeString&, bool& inserted) {
      std::unique_ptr<TGraphic> owned(graphic);
      Reported r;
      r.HasRecord = pic != nullptr;
      r.HasGraphic = graphic != nullptr;
      if (graphic) {
        r.Width = graphic->GetWidth();
        r.Height = graphic->GetHeight();
      }
      if (pic) {
        r.Type = pic->FType;
        r.SuggestedW = pic->SuggestedWidthTw;
        r.SuggestedH = pic->SuggestedHeightTw;
        r.ShpPict = pic->FShpPict;
        r.ScaleX = pic->FPicScaleX;
        r.ScaleY = pic->FPicScaleY;
        r.Data.assign(static_cast<const char*>(pic->FData->Memory()), static_cast<std::size_t>(pic->FData->GetSize()));
      }
      Pictures.push_back(r);
      inserted = Insert;
    };
  }
};

// A 5 x 4 JPEG picture.
std::string JpegBytes() {
  TBitmap bmp(5, 4);
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  TMemoryStream ms;
  jpeg.SaveToStream(ms);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.GetSize()));
}

std::string Doc(const std::string& body) { return "{\\rtf1 " + body + "}"; }

}  // namespace

TEST(RTFPicturesTest, KindsAndSizes) {
  const std::string png = Fixture("rgba3x2.png");
  const std::string dib = Fixture("rgb4x3.bmp").substr(14);
  const std::string wmf = Fixture("rect.wmf").substr(22);
  struct Case {
    const char* Name;
    std::string Rtf;
    TRVRTFPictureType Type;
    bool HasGraphic;
    int Width, Height, SuggestedW, SuggestedH;
  };
  const Case cases[] = {
      {"png with goals", "{\\pict\\pngblip\\picw3\\pich2\\picwgoal1440\\pichgoal720 " + Hex(png) + "}", rtf_pict_PNG,
       true, 3, 2, 1440, 720},
      {"jpeg with scaling", "{\\pict\\jpegblip\\picscalex50\\picscaley200 " + Hex(JpegBytes()) + "}", rtf_pict_JPEG,
       true, 5, 4, 0, 0},
      {"no type word: enhanced metafile", "{\\pict " + Hex(EmfBytes()) + "}", rtf_pict_EMF, true, -1, -1, 0, 0},
      {"dib", "{\\pict\\dibitmap0\\picw4\\pich3 " + Hex(dib) + "}", rtf_pict_DIB, true, 4, 3, 0, 0},
      {"wmf in 0.01 mm", "{\\pict\\wmetafile8\\picw2540\\pich1270 " + Hex(wmf) + "}", rtf_pict_WMF, true, -1, -1, 1440,
       720},
      {"wmf in pixels", "{\\pict\\wmetafile1\\picw96\\pich48 " + Hex(wmf) + "}", rtf_pict_WMF, true, -1, -1, 1440, 720},
      {"goals override the metafile's size",
       "{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal100\\pichgoal50 " + Hex(wmf) + "}", rtf_pict_WMF, true, -1, -1,
       100, 50},
      {"mac picture: no graphic", "{\\pict\\macpict 0102}", rtf_pict_MacPict, false, 0, 0, 0, 0},
      {"device bitmap, 1 bit", "{\\pict\\wbitmap0\\picw8\\pich2\\wbmwidthbytes2\\wbmbitspixel1\\wbmplanes1 f0000f00}",
       rtf_pict_DDB, true, 8, 2, 0, 0},
      {"device bitmap, 24 bits, rows from their width",
       "{\\pict\\wbitmap0\\picw1\\pich2\\wbmbitspixel24 0000ff00ffffff00}", rtf_pict_DDB, true, 1, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRVRTFReader reader(nullptr);
    reader.PixelsPerInch = 96;
    PictureRecorder rec(reader);
    ASSERT_EQ(ReadString(reader, Doc(c.Rtf)), rtf_ec_OK);
    ASSERT_EQ(rec.Pictures.size(), 1u);
    const Reported& r = rec.Pictures[0];
    EXPECT_TRUE(r.HasRecord);
    EXPECT_EQ(r.Type, c.Type);
    EXPECT_EQ(r.HasGraphic, c.HasGraphic);
    if (c.Width >= 0) {
      EXPECT_EQ(r.Width, c.Width);
      EXPECT_EQ(r.Height, c.Height);
    } else {
      EXPECT_GT(r.Width, 0);
    }
    EXPECT_EQ(r.SuggestedW, c.SuggestedW);
    EXPECT_EQ(r.SuggestedH, c.SuggestedH);
    const bool scaled = c.Type == rtf_pict_JPEG;
    EXPECT_EQ(r.ScaleX, scaled ? 50 : 100);
    EXPECT_EQ(r.ScaleY, scaled ? 200 : 100);
  }
}

TEST(RTFPicturesTest, DeviceBitmapPixelsComeOutTopDown) {
  TRVRTFReader reader(nullptr);
  TColor top = -1, bottom = -1;
  reader.OnNewPicture = [&](TObject*, TRVRTFPicture*, TGraphic* graphic, TRVRTFPosition, const TRVUnicodeString&,
                            bool& inserted) {
    std::unique_ptr<TGraphic> owned(graphic);
    auto* bmp = dynamic_cast<TBitmap*>(graphic);
    ASSERT_NE(bmp, nullptr);
    top = bmp->GetPixel(0, 0);
    bottom = bmp->GetPixel(0, 1);
    inserted = true;
  };
  // Rows of one 24-bit pixel, blue-green-red order, word-aligned: red above white.
  ASSERT_EQ(
      ReadString(reader, Doc("{\\pict\\wbitmap0\\picw1\\pich2\\wbmwidthbytes4\\wbmbitspixel24 0000ff00ffffff00}")),
      rtf_ec_OK);
  EXPECT_EQ(top, 0x0000FF);
  EXPECT_EQ(bottom, 0xFFFFFF);
}

TEST(RTFPicturesTest, DamagedPicturesAreInvalid) {
  struct Case {
    const char* Name;
    std::string Rtf;
  };
  const Case cases[] = {
      {"device bitmap larger than its data", "{\\pict\\wbitmap0\\picw8\\pich9\\wbmwidthbytes2 f0000f00}"},
      {"device bitmap of a huge size", "{\\pict\\wbitmap0\\picw100000\\pich100000\\wbmwidthbytes1 00}"},
      {"device bitmap sizes overflowing", "{\\pict\\wbitmap0\\picw2147483647\\pich2147483647 00}"},
      {"device bitmap without size", "{\\pict\\wbitmap0 0000}"},
      {"device bitmap of a depth that does not exist", "{\\pict\\wbitmap0\\picw1\\pich1\\wbmbitspixel7 00000000}"},
      {"device bitmap with rows shorter than its pixels",
       "{\\pict\\wbitmap0\\picw64\\pich1\\wbmwidthbytes1\\wbmbitspixel1 0000000000000000}"},
      {"png that is not one", "{\\pict\\pngblip 0011223344}"},
      {"jpeg that is not one", "{\\pict\\jpegblip ffd8ff00}"},
      {"metafile that is not one", "{\\pict\\wmetafile8\\picw10\\pich10 0011223344556677}"},
      {"byte that is not hexadecimal", "{\\pict\\macpict zz}"},
      {"picture inside a picture", "{\\pict\\macpict 00{\\pict 00}}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRVRTFReader reader(nullptr);
    PictureRecorder rec(reader);
    EXPECT_EQ(ReadString(reader, Doc(c.Rtf)), rtf_ec_InvalidPicture);
    EXPECT_TRUE(rec.Pictures.empty());
  }
}

TEST(RTFPicturesTest, HexadecimalAndBinaryData) {
  struct Case {
    const char* Name;
    std::string Rtf;
    std::string Data;
  };
  const Case cases[] = {
      {"broken by line breaks and spaces", "{\\pict\\macpict 0a 1\r\nb2 C\n34}", std::string("\x0a\x1b\x2c\x34", 4)},
      {"odd digit left pending", "{\\pict\\macpict 0a1}", "\x0a"},
      {"binary bytes are data, not structure", "{\\pict\\macpict\\bin3 {}\\}", "{}\\"},
      {"hex then binary", "{\\pict\\macpict 41\\bin2 BC}", "ABC"},
      {"a dib keeps room for its file header", "{\\pict\\dibitmap0 41}", std::string(14, '\0') + "A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRVRTFReader reader(nullptr);
    std::string data;
    reader.OnNewPicture = [&](TObject*, TRVRTFPicture* pic, TGraphic* graphic, TRVRTFPosition, const TRVUnicodeString&,
                              bool&) {
      std::unique_ptr<TGraphic> owned(graphic);
      data.assign(static_cast<const char*>(pic->FData->Memory()), static_cast<std::size_t>(pic->FData->GetSize()));
    };
    const TRVRTFErrorCode ec = ReadString(reader, Doc(c.Rtf));
    if (std::string(c.Name).find("dib") == std::string::npos) {
      EXPECT_EQ(ec, rtf_ec_OK);
    }
    // The dib is too short to be a bitmap and fails to load; its bytes are checked by hand.
    if (ec == rtf_ec_OK) {
      EXPECT_EQ(data, c.Data);
    }
  }
}

TEST(RTFPicturesTest, ShapePictureAndItsAlternative) {
  const std::string rtf = Doc("{\\*\\shppict{\\pict\\macpict 01}}{\\nonshppict{\\pict\\macpict 02}}");
  for (const bool insert : {true, false}) {
    SCOPED_TRACE(insert);
    TRVRTFReader reader(nullptr);
    PictureRecorder rec(reader);
    rec.Insert = insert;
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
    ASSERT_EQ(rec.Pictures.size(), insert ? 1u : 2u);
    EXPECT_TRUE(rec.Pictures[0].ShpPict);
    EXPECT_EQ(rec.Pictures[0].Data, "\x01");
    if (!insert) {
      EXPECT_FALSE(rec.Pictures[1].ShpPict);
      EXPECT_EQ(rec.Pictures[1].Data, "\x02");
    }
  }
}

TEST(RTFPicturesTest, PicturesWithoutAHandlerOrInsideAFieldInstructionAreSkipped) {
  TRVRTFReader reader(nullptr);
  EXPECT_EQ(ReadString(reader, Doc("{\\pict\\pngblip 0011}")), rtf_ec_OK);
  PictureRecorder rec(reader);
  EXPECT_EQ(ReadString(reader, Doc("{\\field{\\*\\fldinst INCLUDEPICTURE x {\\pict\\macpict 01}}{\\fldrslt r}}")),
            rtf_ec_OK);
  EXPECT_TRUE(rec.Pictures.empty());
}

TEST(RTFPicturesTest, HandlerErrorsAbortTheRead) {
  TRVRTFReader reader(nullptr);
  reader.OnNewPicture = [](TObject*, TRVRTFPicture*, TGraphic* graphic, TRVRTFPosition, const TRVUnicodeString&,
                           bool&) {
    delete graphic;
    throw EReadError(u"refused");
  };
  EXPECT_EQ(ReadString(reader, Doc("{\\pict\\macpict 01}")), rtf_ec_Aborted);
}

TEST(RTFPicturesTest, ObjectsWithTheirDataAndResult) {
  struct Seen {
    TRVRTFObjectType Type;
    int W, H;
    std::string Data;
  };
  const std::string rtf =
      Doc("{\\object\\objemb\\objw100\\objh50{\\*\\objclass Paint}{\\*\\objdata 0102\r\n03\\bin2 AB}"
          "{\\result \\probe}}");
  for (const bool insert : {true, false}) {
    SCOPED_TRACE(insert);
    TRVRTFReader reader(nullptr);
    std::vector<Seen> seen;
    reader.OnNewObject = [&](TObject*, TRVRTFObject* obj, TRVRTFPosition, bool& inserted) {
      seen.push_back({obj->FType, obj->FWidthTw, obj->FHeightTw,
                      std::string(static_cast<const char*>(obj->Data()->Memory()),
                                  static_cast<std::size_t>(obj->Data()->GetSize()))});
      inserted = insert;
    };
    std::vector<bool> resultRead;
    reader.OnTranslateKeyword = [&](TObject*, const TRVAnsiString& kw, int, bool, TRVAnsiString&, bool&) {
      if (kw == "probe") resultRead.push_back(reader.RTFState()->rds == rdsNorm);
    };
    ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Type, rtf_obj_Emb);
    EXPECT_EQ(seen[0].W, 100);
    EXPECT_EQ(seen[0].H, 50);
    EXPECT_EQ(seen[0].Data,
              "\x01\x02\x03"
              "AB");
    EXPECT_EQ(resultRead, std::vector<bool>{!insert});
  }
  // Without a handler the result is read as normal content.
  TRVRTFReader reader(nullptr);
  std::vector<bool> resultRead;
  reader.OnTranslateKeyword = [&](TObject*, const TRVAnsiString& kw, int, bool, TRVAnsiString&, bool&) {
    if (kw == "probe") resultRead.push_back(reader.RTFState()->rds == rdsNorm);
  };
  ASSERT_EQ(ReadString(reader, rtf), rtf_ec_OK);
  EXPECT_EQ(resultRead, std::vector<bool>{true});
  // A blank between the digits of object data is an error.
  reader.OnNewObject = [](TObject*, TRVRTFObject*, TRVRTFPosition, bool&) {};
  EXPECT_EQ(ReadString(reader, Doc("{\\object{\\*\\objdata 01 02}}")), rtf_ec_InvalidPicture);
}

TEST(RTFPicturesTest, MetafileOfAHugeStatedSizeIsReadWithoutDrawingIt) {
  const std::string wmf = Fixture("rect.wmf").substr(22);
  TRVRTFReader reader(nullptr);
  PictureRecorder rec(reader);
  const TRVRTFErrorCode ec =
      ReadString(reader, Doc("{\\pict\\wmetafile8\\picw2147483647\\pich2147483647 " + Hex(wmf) + "}"));
  EXPECT_TRUE(ec == rtf_ec_OK || ec == rtf_ec_InvalidPicture) << ec;
}
