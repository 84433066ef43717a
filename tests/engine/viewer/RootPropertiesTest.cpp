// The properties and events that a document tree shares through its root.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVDocParams.h"
#include "engine/foundation/RVGraphicHolder.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVRootEvents.h"
#include "support/PageLayoutDouble.h"

namespace {

struct TSheetHolder {
  TRVStyle Sheet{nullptr};
};

struct TDoc : TSheetHolder, TRVPlainRootData {
  TDoc() : TRVPlainRootData(&Sheet) {}
};

// A page-layout editor whose answers to the assignment tests are set by the test.
struct TFakePageLayout : TPageLayoutDouble {
  bool Assigned = false;
  bool IsOnReadHyperlinkAssigned() override { return Assigned; }
  bool IsOnWriteHyperlinkAssigned() override { return Assigned; }
  bool IsOnReadMergeFieldAssigned() override { return Assigned; }
  bool IsOnCopyAssigned() override { return Assigned; }
};

}  // namespace

TEST(RootProperties, DefaultsOfAViewersRoot) {
  TRVDataRootProperties p;
  EXPECT_EQ(p.RVFOptions, (TRVFOptions{rvfoSavePicturesBody, rvfoSaveControlsBody, rvfoSaveBinary, rvfoSaveDocProperties,
                                       rvfoLoadDocProperties, rvfoSaveDocObjects, rvfoLoadDocObjects}));
  EXPECT_EQ(p.RTFOptions, (TRVRTFOptions{rvrtfDuplicateUnicode, rvrtfSaveEMFAsWMF, rvrtfSaveJpegAsJpeg, rvrtfSavePngAsPng}));
  EXPECT_EQ(p.NoteText, u"?");
  EXPECT_EQ(p.Delimiters.size(), 35u);
  EXPECT_EQ(p.Delimiters.substr(0, 4), u" .;,");
  EXPECT_EQ(p.Delimiters.back(), u'\u2005');
  EXPECT_EQ(p.StyleTemplateInsertMode, rvstimUseTargetFormatting);
  EXPECT_EQ(p.RVFTextStylesReadMode, rvf_sInsertMerge);
  // Objects made on first use only.
  EXPECT_EQ(p.GetExtraDocuments(), nullptr);
  EXPECT_FALSE(p.IsDocParametersAssigned());
  EXPECT_TRUE(p.AreAllDocParametersDefault());
  TRVGraphicCache* cache = p.GetGraphicCache();
  EXPECT_EQ(p.GetGraphicCache(), cache);
  EXPECT_NE(p.GetThumbnailCache(), nullptr);
}

TEST(RootProperties, HeadersAndFootersAreNamedExtraDocuments) {
  TDoc header, first, footer;
  TRVDataRootProperties p;
  const struct {
    bool Footer;
    TRVHFType Kind;
    TCustomRVData* Doc;
    int Slot;
    const char16_t* Name;
  } cases[] = {{false, rvhftNormal, &header, 2, u"header"},
               {false, rvhftFirstPage, &first, 0, u"headerf"},
               {false, rvhftEvenPages, &header, 1, u"headerr"},
               {true, rvhftNormal, &footer, 5, u"footer"},
               {true, rvhftFirstPage, &footer, 3, u"footerf"},
               {true, rvhftEvenPages, &footer, 4, u"footerr"}};
  for (const auto& c : cases) {
    if (c.Footer)
      p.SetFooter(c.Doc, c.Kind);
    else
      p.SetHeader(c.Doc, c.Kind);
    EXPECT_EQ(p.GetHeaderFooter(c.Slot), c.Doc) << c.Slot;
    const int i = p.GetExtraDocuments()->IndexOf(c.Name);
    ASSERT_GE(i, 0);
    EXPECT_EQ(p.GetExtraDocuments()->GetObject(i), static_cast<TObject*>(c.Doc));
  }
  EXPECT_EQ(p.GetExtraDocuments()->Count(), 6);
  EXPECT_EQ(p.GetHeaderFooter(6), nullptr);
  // Another document under a name replaces it; nil removes slot and name.
  p.SetHeader(&footer, rvhftNormal);
  EXPECT_EQ(p.GetExtraDocuments()->GetObject(p.GetExtraDocuments()->IndexOf(u"header")), static_cast<TObject*>(&footer));
  for (const auto& c : cases) {
    if (c.Footer)
      p.SetFooter(nullptr, c.Kind);
    else
      p.SetHeader(nullptr, c.Kind);
    EXPECT_EQ(p.GetHeaderFooter(c.Slot), nullptr);
    EXPECT_LT(p.GetExtraDocuments()->IndexOf(c.Name), 0);
  }
  EXPECT_FALSE(p.HasHeaderOrFooter());
  EXPECT_EQ(p.GetExtraDocuments()->Count(), 0);

  // Writing the list: another list is copied, the list itself is ignored, nil empties it.
  TRVStringList other;
  other.AddObject(u"notes", &first);
  p.SetExtraDocumentsList(&other);
  p.SetExtraDocumentsList(p.GetExtraDocumentsList());
  ASSERT_EQ(p.GetExtraDocuments()->Count(), 1);
  EXPECT_EQ(p.GetExtraDocuments()->GetObject(0), static_cast<TObject*>(&first));
  p.SetExtraDocumentsList(nullptr);
  EXPECT_EQ(p.GetExtraDocuments()->Count(), 0);
}

TEST(RootProperties, DocumentParameters) {
  TRVDataRootProperties p;
  TRVDocParameters params;
  params.Title = u"Report";
  p.SetDocParameters(&params);
  ASSERT_TRUE(p.IsDocParametersAssigned());
  EXPECT_NE(p.GetDocParameters(), &params);
  EXPECT_EQ(p.GetDocParameters()->Title, u"Report");
  EXPECT_FALSE(p.AreAllDocParametersDefault());
  p.SetDocParameters(nullptr);
  EXPECT_FALSE(p.IsDocParametersAssigned());
  // A root without a control keeps its parameters there as well.
  TDoc d;
  EXPECT_EQ(d.GetDocParameters(false), nullptr);
  TRVDocParameters* made = d.GetDocParameters(true);
  EXPECT_EQ(made, d.GetRootProperties()->GetDocParameters());
}

TEST(RootEvents, NotificationListsComeAndGo) {
  TComponent owner(nullptr), a(nullptr), b(nullptr);
  TRVDataRootEventsEx ev(&owner);
  std::vector<std::string> calls;
  ev.ExecuteAfterVScroll();  // no list: nothing
  TCustomRVDataEvents::RegisterEventHandler(&a, ev.VScrollHandlers, [&](TObject* s) {
    calls.push_back(s == &owner ? "a" : "a?");
  });
  TCustomRVDataEvents::RegisterEventHandler(&b, ev.VScrollHandlers, [&](TObject*) { calls.push_back("b"); });
  ev.ExecuteAfterVScroll();
  ev.ExecuteAfterHScroll();
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_NE(std::find(calls.begin(), calls.end(), "a"), calls.end());
  TCustomRVDataEvents::UnregisterEventHandler(&a, ev.VScrollHandlers);
  ASSERT_NE(ev.VScrollHandlers, nullptr);
  TCustomRVDataEvents::UnregisterEventHandler(&b, ev.VScrollHandlers);
  EXPECT_EQ(ev.VScrollHandlers, nullptr);
  TCustomRVDataEvents::UnregisterEventHandler(&b, ev.VScrollHandlers);  // no list: nothing

  // The style-template event first, then the registered handlers.
  calls.clear();
  ev.OnStyleTemplatesChange = [&] { calls.push_back("event"); };
  TCustomRVDataEvents::RegisterEventHandler(&a, ev.StyleTemplatesChangeHandlers,
                                            [&](TObject*) { calls.push_back("handler"); });
  ev.ExecuteStyleTemplatesChange();
  EXPECT_EQ(calls, (std::vector<std::string>{"event", "handler"}));

  int drawn = -1;
  ev.DoDrawHyperlink(nullptr, 3, TRect());
  ev.OnDrawHyperlink = [&](TCustomRVData*, int ItemNo, const TRect&) { drawn = ItemNo; };
  static_cast<TRVDataRootEvents&>(ev).DoDrawHyperlink(nullptr, 3, TRect());
  EXPECT_EQ(drawn, 3);
}

TEST(RootEvents, HyperlinksWithoutAndWithHandlers) {
  TDoc d;
  TRVDataRootEvents* ev = d.GetRootEvents();
  // Reading: the item kind becomes the linked kind; without a handler the tag is the target.
  const struct {
    int Kind, Linked;
  } kinds[] = {{ItemKindPicture, ItemKindHotPicture}, {ItemKindBullet, ItemKindHotspot}, {0, 0}};
  for (const auto& k : kinds) {
    int style = k.Kind;
    TRVUnicodeString name, tag;
    ev->ReadHyperlink(&d, u"http://x/", u"", rvlfRTF, name, style, tag);
    EXPECT_EQ(style, k.Linked);
    EXPECT_EQ(tag, u"http://x/");
  }
  // Writing: the tag is the target, the hint becomes the extras of the format.
  d.AddNL(u"link", 0, 0, u"http://y/");
  d.SetItemExtraStrProperty(0, rvespHint, u"Say \"hi\"");
  TRVUnicodeString target, extras;
  ev->WriteHyperlink(1, &d, 0, rvsfHTML, target, extras);
  EXPECT_EQ(target, u"http://y/");
  EXPECT_EQ(extras, u"title=\"Say &quot;hi&quot;\"");
  ev->OnWriteHyperlink = [](int id, TCustomRVData*, int, TRVSaveFormat, TRVUnicodeString& T, TRVUnicodeString& E) {
    T = u"#" + std::u16string(1, static_cast<char16_t>(u'0' + id));
    E += u" x";
  };
  ev->WriteHyperlink(2, &d, 0, rvsfRTF, target, extras);
  EXPECT_EQ(target, u"#2");
  EXPECT_EQ(extras, u"\\o \"Say 'hi'\" x");
  ev->OnReadHyperlink = [](const TRVUnicodeString&, const TRVUnicodeString&, TRVLoadFormat, int&, TRVUnicodeString& T,
                           TRVUnicodeString&) { T = u"handled"; };
  int style = 0;
  TRVUnicodeString name, tag;
  ev->ReadHyperlink(&d, u"http://x/", u"", rvlfRTF, name, style, tag);
  EXPECT_EQ(tag, u"handled");
}

// Inside a page-layout editor an event counts as assigned only when the editor's does too.
TEST(RootEvents, PageLayoutEditorDecidesAssignment) {
  TDoc d;
  TRVDataRootEvents* ev = d.GetRootEvents();
  EXPECT_FALSE(ev->IsOnCopyAssigned());
  ev->OnCopy = [] {};
  ev->OnReadHyperlink = [](const TRVUnicodeString&, const TRVUnicodeString&, TRVLoadFormat, int&, TRVUnicodeString&,
                           TRVUnicodeString&) {};
  EXPECT_TRUE(ev->IsOnCopyAssigned());
  auto editor = std::make_shared<TFakePageLayout>();
  d.ScaleViroZere = editor;
  EXPECT_FALSE(ev->IsOnCopyAssigned());
  EXPECT_FALSE(ev->IsOnReadHyperlinkAssigned());
  // Not assigned through the editor: the tag is the target, the handler is not called.
  int style = 0;
  TRVUnicodeString name, tag;
  ev->ReadHyperlink(&d, u"t", u"", rvlfHTML, name, style, tag);
  EXPECT_EQ(tag, u"t");
  editor->Assigned = true;
  EXPECT_TRUE(ev->IsOnCopyAssigned());
  EXPECT_TRUE(ev->IsOnReadHyperlinkAssigned());
  EXPECT_FALSE(ev->IsOnWriteHyperlinkAssigned());
}

TEST(RootEvents, SavingAndImportDefaults) {
  TDoc d;
  d.AddNL(u"x", 0, 0);
  TRVDataRootEvents* ev = d.GetRootEvents();
  TRVUnicodeString out = u"stale";
  EXPECT_FALSE(ev->SaveItemToFile(u"", &d, 0, rvsfText, out));
  // A handler that leaves the default on has not written the item.
  ev->OnSaveItemToFile = [](const TRVUnicodeString&, TCustomRVData*, int, TRVSaveFormat, TRVUnicodeString&) {
    return false;
  };
  EXPECT_FALSE(ev->SaveItemToFile(u"", &d, 0, rvsfText, out));

  // The style sheet names the item while a control is saved, and forgets it on every path.
  ev->SaveComponentToFile(u"", nullptr, &d, 0, rvsfText, out);
  EXPECT_TRUE(out.empty());
  int seenItem = -2;
  ev->OnSaveComponentToFile = [&](const TRVUnicodeString&, TObject*, TCustomRVData* RVData, int, TRVSaveFormat) {
    seenItem = d.Sheet.ItemNo;
    EXPECT_EQ(d.Sheet.RVData, RVData);
    return TRVUnicodeString(u"[control]");
  };
  ev->SaveComponentToFile(u"", nullptr, &d, 0, rvsfText, out);
  EXPECT_EQ(out, u"[control]");
  EXPECT_EQ(seenItem, 0);
  EXPECT_EQ(d.Sheet.ItemNo, -1);
  ev->OnSaveComponentToFile = [](const TRVUnicodeString&, TObject*, TCustomRVData*, int, TRVSaveFormat) -> TRVUnicodeString {
    throw std::runtime_error("failed");
  };
  EXPECT_THROW(ev->SaveComponentToFile(u"", nullptr, &d, 0, rvsfText, out), std::runtime_error);
  EXPECT_EQ(d.Sheet.ItemNo, -1);
  EXPECT_EQ(d.Sheet.RVData, nullptr);

  // A picture the handler reports as invalid; the report is not left for the next picture.
  bool invalid = true;
  EXPECT_EQ(ev->ImportPicture(u"a.png", 1, 1, invalid), nullptr);
  EXPECT_FALSE(invalid);
  ev->OnImportPicture = [&](const TRVUnicodeString& Location, int, int) -> std::unique_ptr<TGraphic> {
    ev->CurPictureInvalid = Location == u"bad.png";
    return nullptr;
  };
  ev->ImportPicture(u"bad.png", 1, 1, invalid);
  EXPECT_TRUE(invalid);
  EXPECT_FALSE(ev->CurPictureInvalid);
  ev->ImportPicture(u"good.png", 1, 1, invalid);
  EXPECT_FALSE(invalid);

  EXPECT_EQ(ev->GetImageFileName(u"a.png"), u"a.png");
  ev->OnAssignImageFileName = [](TRVUnicodeString& F) { F = u"img/" + F; };
  EXPECT_EQ(ev->GetImageFileName(u"a.png"), u"img/a.png");
  EXPECT_EQ(ev->GetExtraDocXCode(0, nullptr, 0, 0), "");
  ev->OnSaveDocXExtra = [](int, TObject*, int, int, TRVUnicodeString& C) { C = u"<w:t>\u00E9</w:t>"; };
  EXPECT_EQ(ev->GetExtraDocXCode(0, nullptr, 0, 0), "<w:t>\xC3\xA9</w:t>");
}
