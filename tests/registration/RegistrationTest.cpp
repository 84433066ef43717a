// This program links every library and leaves the start-up to the test main, which calls each
// library's registration as the program's main does. Nothing here refers to the code that
// registers, so the test sees what a program gets from the registration calls alone.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/document/RVAnimatorLink.h"
#include "engine/document/RVItem.h"
#include "engine/foundation/RVClipboard.h"
#include "engine/foundation/RVUni.h"
#include "engine/foundation/RVUniscribeGrIn.h"
#include "platform/base/Persistent.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/ScriptString.h"
#include "platform/ui/Clipbrd.h"
#include "spelling/RVHunSpell.h"

TEST(Registration, EveryBuiltInItemKindHasItsClass) {
  const int kinds[] = {ItemKindHorizontalLine, ItemKindPicture,     ItemKindHotspot,   ItemKindControl,
                       ItemKindBullet,         ItemKindHotPicture,  ItemKindListMarker, ItemKindTab,
                       ItemKindTable,
                       ItemKindLabel,          ItemKindSequence,    ItemKindFootnote,  ItemKindEndnote,
                       ItemKindNoteReference,  ItemKindSidenote,    ItemKindTextBox,   ItemKindPageNumber,
                       ItemKindPageCount};
  std::set<TCustomRVItemInfoClass> classes{TextItemClass};
  for (int kind : kinds) {
    SCOPED_TRACE(kind);
    const TCustomRVItemInfoClass c = ItemClassOfStyleNo(kind);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(classes.insert(c).second) << "two kinds share one class";
  }
  EXPECT_EQ(ItemClassOfStyleNo(0), TextItemClass);
}

TEST(Registration, PictureClassesByNameAndExtension) {
  for (const char16_t* name : {u"TBitmap", u"TIcon", u"TMetafile", u"TJPEGImage", u"TPngImage", u"TGIFImage",
                               u"TWICImage", u"TPNGObject"})
    EXPECT_NE(FindGraphicClass(name), nullptr) << UnicodeToUtf8(name);
  EXPECT_NE(GetClass(u"TPicture"), nullptr);
  for (const char16_t* ext : {u"bmp", u"ico", u"emf", u"wmf", u"jpg", u"jpeg", u"png", u"gif", u"tif", u"tiff"})
    EXPECT_NE(TPicture::FileFormatClass(ext), nullptr) << UnicodeToUtf8(ext);
}

TEST(Registration, ClipboardFormatsDrawingBackEndsAndAnimators) {
  const struct {
    UINT Id;
    const char16_t* Name;
  } formats[] = {{RVFClipboardFormat, u"ViroZere Format"},
                 {RTFClipboardFormat, u"Rich Text Format"},
                 {URLClipboardFormat, u"UniformResourceLocator"},
                 {URLWClipboardFormat, u"UniformResourceLocatorW"},
                 {HTMLClipboardFormat, u"HTML Format"}};
  for (const auto& f : formats) {
    EXPECT_NE(f.Id, 0u) << UnicodeToUtf8(f.Name);
    EXPECT_EQ(UnicodeToUtf8(GetClipboardFormatName(f.Id)), UnicodeToUtf8(f.Name));
  }
  // The shaping back-end is bound wherever the platform can shape.
  EXPECT_EQ(IsUniscribeLoaded(), ScriptShapingAvailable());
  EXPECT_NE(RVUniscribe().ScriptStringAnalyse == nullptr, ScriptShapingAvailable());
  // The styles answer whether soft hyphens are shown.
  EXPECT_NE(SoftHyphensShownQuery, nullptr);
  // Pictures in documents get animators.
  EXPECT_NE(MakeAnimatorProc, nullptr);
}

TEST(Registration, SpellingComponentByName) {
  const TClassInfo* cls = GetClass(u"TRVHunSpell");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(cls->InheritsFrom(TComponent::StaticClassInfo()));
}
