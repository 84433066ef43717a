// Registration of the platform's picture classes by name and by file extension.
#include <mutex>

#include "platform/graphics/Gif.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

void RegisterPictureClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterGraphicClass(TBitmap::StaticClass());
    RegisterGraphicClass(TIcon::StaticClass());
    RegisterGraphicClass(TMetafile::StaticClass());
    RegisterGraphicClass(TJPEGImage::StaticClass());
    RegisterGraphicClass(TPngImage::StaticClass());
    RegisterGraphicClass(TGIFImage::StaticClass());
    RegisterGraphicClass(TWICImage::StaticClass());
    // The component model finds them by name too (pictures streamed as properties).
    for (const TClassInfo* info : {&TBitmap::StaticClassInfo(), &TIcon::StaticClassInfo(), &TMetafile::StaticClassInfo(),
                                   &TWICImage::StaticClassInfo(), &TJPEGImage::StaticClassInfo(),
                                   &TPngImage::StaticClassInfo(), &TGIFImage::StaticClassInfo(),
                                   &TPicture::StaticClassInfo()})
      RegisterClass(*info);
    // Older documents name the PNG class by its former name.
    RegisterGraphicClassAlias(u"TPNGObject", TPngImage::StaticClass());
    TPicture::RegisterFileFormat(u"bmp", u"Bitmaps", TBitmap::StaticClass());
    TPicture::RegisterFileFormat(u"ico", u"Icons", TIcon::StaticClass());
    TPicture::RegisterFileFormat(u"emf", u"Enhanced Metafiles", TMetafile::StaticClass());
    TPicture::RegisterFileFormat(u"wmf", u"Metafiles", TMetafile::StaticClass());
    TPicture::RegisterFileFormat(u"jpg", u"JPEG Image File", TJPEGImage::StaticClass());
    TPicture::RegisterFileFormat(u"jpeg", u"JPEG Image File", TJPEGImage::StaticClass());
    TPicture::RegisterFileFormat(u"png", u"Portable Network Graphics", TPngImage::StaticClass());
    TPicture::RegisterFileFormat(u"gif", u"GIF Image", TGIFImage::StaticClass());
    TPicture::RegisterFileFormat(u"tif", u"TIFF Image", TWICImage::StaticClass());
    TPicture::RegisterFileFormat(u"tiff", u"TIFF Image", TWICImage::StaticClass());
  });
}

namespace {
const int RegisteredAtStart = (RegisterPictureClasses(), 0);
}
