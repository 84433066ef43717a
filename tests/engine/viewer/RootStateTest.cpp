// The state a document tree keeps at its root, as each kind of root document answers it: a root
// without a control, a formatted root without a control and a viewer's root data.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/document/RVDocParams.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/document/RVSeqItem.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "support/RootDataTestUtil.h"
#include "platform/base/Classes.h"

namespace {

// One root document of some kind, with what it stands on.
class TRootHolder {
 public:
  virtual ~TRootHolder() = default;
  virtual TCustomRVData& Doc() = 0;
};

class TPlainRoot : public TRootHolder {
 public:
  TPlainRoot() { Sheet.TextStyles()->Add(); }
  TCustomRVData& Doc() override { return Data; }

 private:
  TRVStyle Sheet{nullptr};
  TRVPlainRootData Data{&Sheet};
};

class TPlainFormattedRoot : public TRootHolder {
 public:
  TPlainFormattedRoot() { Sheet.TextStyles()->Add(); }
  TCustomRVData& Doc() override { return Data; }

 private:
  TRVStyle Sheet{nullptr};
  TRVPlainFormattedData Data{&Sheet};
};

class TViewerRoot : public TRootHolder {
 public:
  TCustomRVData& Doc() override { return Viewer.D(); }

 private:
  TTestViewer Viewer;
};

struct TRootKind {
  const char* Name;
  std::function<std::unique_ptr<TRootHolder>()> Make;
  bool OwnDocObjects;  // a viewer's root answers its viewer's (none in the test viewer)
};

const std::vector<TRootKind>& RootKinds() {
  static const std::vector<TRootKind> kinds = {
      {"plain root", [] { return std::make_unique<TPlainRoot>(); }, true},
      {"plain formatted root", [] { return std::make_unique<TPlainFormattedRoot>(); }, true},
      {"viewer's root", [] { return std::make_unique<TViewerRoot>(); }, false},
  };
  return kinds;
}

// The title of the document parameters that an RVF save of Doc carries ("" when none).
std::u16string SavedTitle(TCustomRVData& Doc) {
  TMemoryStream s;
  EXPECT_TRUE(Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
  s.SetPosition(0);
  TRVStyle sheet(nullptr);
  TRVPlainRootData back(&sheet);
  TColor color = clNone;
  EXPECT_TRUE(back.LoadRVFFromStream(&s, color, nullptr, nullptr));
  TRVDocParameters* params = back.GetDocParameters(false);
  return params ? params->Title : u"";
}

}  // namespace

// Parameters set through the document and through its root properties are one object, and the
// one RVF saves.
TEST(RootState, DocumentParametersAreTheOnesSaved) {
  for (const TRootKind& kind : RootKinds()) {
    SCOPED_TRACE(kind.Name);
    auto root = kind.Make();
    TCustomRVData& doc = root->Doc();
    doc.AddNL(u"text", 0, 0);
    EXPECT_EQ(doc.GetDocParameters(false), nullptr);

    TRVDocParameters* params = doc.GetDocParameters(true);
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params, doc.GetRootProperties()->GetDocParameters());
    params->Title = u"Set through the document";
    EXPECT_EQ(SavedTitle(doc), u"Set through the document");

    TRVDocParameters other;
    other.Title = u"Set through the properties";
    doc.GetRootProperties()->SetDocParameters(&other);
    ASSERT_NE(doc.GetDocParameters(false), nullptr);
    EXPECT_EQ(doc.GetDocParameters(false)->Title, u"Set through the properties");
    EXPECT_EQ(SavedTitle(doc), u"Set through the properties");

    doc.GetRootProperties()->SetDocParameters(nullptr);
    EXPECT_EQ(doc.GetDocParameters(false), nullptr);
    EXPECT_EQ(SavedTitle(doc), u"");
  }
}

// Whatever is set through one accessor of a root is what the others see: options and flags, the
// events' root, the special-item lists and the document objects.
TEST(RootState, AccessorsMeetTheSameState) {
  for (const TRootKind& kind : RootKinds()) {
    SCOPED_TRACE(kind.Name);
    auto root = kind.Make();
    TCustomRVData& doc = root->Doc();

    ASSERT_NE(doc.GetRootEvents(), nullptr);
    EXPECT_EQ(doc.GetRootEvents()->RootData, &doc);
    ASSERT_NE(doc.GetRootProperties(), nullptr);

    doc.SetOptions(TRVOptions{rvoAllowSelection, rvoShowCheckpoints});
    EXPECT_EQ(doc.GetOptions(), (TRVOptions{rvoAllowSelection, rvoShowCheckpoints}));
    doc.SetFlags(doc.GetFlags() + rvflUseJumps);
    EXPECT_TRUE(doc.GetFlags().Contains(rvflUseJumps));
    EXPECT_TRUE(doc.GetFlags().Contains(rvflRoot));

    EXPECT_EQ(doc.GetSeqList(false), nullptr);
    TRVSeqList* seq = doc.GetSeqList(true);
    ASSERT_NE(seq, nullptr);
    EXPECT_EQ(doc.GetSeqList(false), seq);
    doc.DestroySeqList();
    EXPECT_EQ(doc.GetSeqList(false), nullptr);

    EXPECT_EQ(doc.GetMarkers(false), nullptr);
    TRVMarkerList* markers = doc.GetMarkers(true);
    ASSERT_NE(markers, nullptr);
    EXPECT_EQ(doc.GetMarkers(false), markers);
    doc.DestroyMarkers();
    EXPECT_EQ(doc.GetMarkers(false), nullptr);

    EXPECT_EQ(doc.GetPrintFieldList(false), nullptr);
    TList* fields = doc.GetPrintFieldList(true);
    ASSERT_NE(fields, nullptr);
    EXPECT_EQ(doc.GetPrintFieldList(false), fields);
    doc.DestroyPrintFieldList();
    EXPECT_EQ(doc.GetPrintFieldList(false), nullptr);

    if (kind.OwnDocObjects) {
      TObject* objects = doc.GetDocObjects();
      EXPECT_NE(dynamic_cast<TRVDocObjectCollection*>(objects), nullptr);
      EXPECT_EQ(doc.GetDocObjects(), objects);
    }
  }
}
