// Registration of the platform's picture classes: by name in the class registry (pictures stream
// by class name) and by file extension.
#include <mutex>
#include <vector>

#include "platform/graphics/Gif.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Png.h"
#include "platform/graphics/WicImage.h"

void RegisterPictureClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct TFormat {
      const char16_t* Ext;
      const char16_t* Description;
    };
    struct TEntry {
      TGraphicClass Class;
      std::vector<TFormat> Formats;  // the first is the class's own extension
    };
    const TEntry entries[] = {
        {TBitmap::StaticClass(), {{u"bmp", u"Bitmaps"}}},
        {TIcon::StaticClass(), {{u"ico", u"Icons"}}},
        {TMetafile::StaticClass(), {{u"emf", u"Enhanced Metafiles"}, {u"wmf", u"Metafiles"}}},
        {TJPEGImage::StaticClass(), {{u"jpg", u"JPEG Image File"}, {u"jpeg", u"JPEG Image File"}}},
        {TPngImage::StaticClass(), {{u"png", u"Portable Network Graphics"}}},
        {TGIFImage::StaticClass(), {{u"gif", u"GIF Image"}}},
        {TWICImage::StaticClass(), {{u"tif", u"TIFF Image"}, {u"tiff", u"TIFF Image"}}},
    };
    for (const TEntry& e : entries) RegisterGraphicClass(e.Class);
    RegisterClass(TPicture::StaticClassInfo());
    // Older documents name the PNG class by its former name.
    RegisterGraphicClassAlias(u"TPNGObject", TPngImage::StaticClass());
    for (const TEntry& e : entries)
      for (const TFormat& f : e.Formats) TPicture::RegisterFileFormat(f.Ext, f.Description, e.Class);
  });
}
