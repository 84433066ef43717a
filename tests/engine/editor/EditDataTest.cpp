// The editor data's life cycle, hyperlinks while Ctrl is held, the change notification and the
// editor control's current styles, gate and handler lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/editor/EditorDocFixture.h"
#include "support/RootDataViewerDouble.h"

namespace {

// Adds a step of records to a list as the undo machinery would.
void AddStep(TRVUndoList& List) { List.AddInfos(new TRVUndoInfos, nullptr); }

// Counts the style and caret events of an editor, as "t" (text style), "p" (paragraph style) and
// "c" (caret), each followed by "h" when it came through a registered handler.
struct TEventLog {
  std::string Log;
  void Attach(TCustomViroZereEdit& E) {
    E.OnCurTextStyleChanged = [this](TObject*) { Log += "t"; };
    E.OnCurParaStyleChanged = [this](TObject*) { Log += "p"; };
    E.OnCaretMove = [this](TObject*) { Log += "c"; };
  }
};

}  // namespace

TEST(EditData, ClearResetsStylesListsAndModifiedAndLeavesTheEditorUnformatted) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  GenerateDocument(d, {.Seed = 2, .Pages = 1, .Pictures = false});
  t.Editor->Format();
  t.Editor->SetCurParaStyleNo(gpsList);
  t.Editor->SetCurTextStyleNo(gtsBold);
  d.FPrevTextStyleNo = gtsItalic;
  t.Editor->SetModified(true);
  AddStep(*d.UndoList);
  AddStep(*d.RedoList);
  TEventLog events;
  events.Attach(*t.Editor);

  d.Clear();
  EXPECT_EQ(d.ItemCount(), 0);
  EXPECT_EQ(t.Editor->GetActualCurTextStyleNo(), 0);
  EXPECT_EQ(t.Editor->GetCurParaStyleNo(), 0);
  EXPECT_EQ(d.FPrevTextStyleNo, 0);
  EXPECT_EQ(d.UndoList->Count(), 0);
  EXPECT_EQ(d.RedoList->Count(), 0);
  EXPECT_FALSE(t.Editor->GetModified());
  EXPECT_TRUE(d.State.Contains(rvstEditorUnformatted));
  // The styles changed once each and are heard of through the control's events.
  EXPECT_EQ(events.Log, "tp");
  // The first formatting afterwards leaves the editor formatted.
  d.AddNL(u"text", gtsBody, gpsBody);
  t.Editor->Format();
  EXPECT_FALSE(d.State.Contains(rvstEditorUnformatted));
}

TEST(EditData, DestroyingTheEditorRaisesNoStyleEvents) {
  TEditorDoc t;
  GenerateDocument(t.D(), {.Seed = 2, .Pages = 1, .Pictures = false});
  t.Editor->SetCurTextStyleNo(gtsBold);
  int raised = 0;
  t.Editor->OnCurTextStyleChanged = [&raised](TObject*) { ++raised; };
  t.Editor.reset();
  EXPECT_EQ(raised, 0);
}

TEST(EditData, EmptyEditorGetsOneEmptyItemOfTheCurrentStylesWhenFormatted) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  t.Editor->SetCurParaStyleNo(gpsHeading);
  t.Editor->SetCurTextStyleNo(gtsSerif);
  t.Editor->Format();
  ASSERT_EQ(d.ItemCount(), 1);
  EXPECT_EQ(d.GetItemTextW(0), u"");
  EXPECT_EQ(d.GetItem(0)->StyleNo, gtsSerif);
  EXPECT_EQ(d.GetItem(0)->ParaNo, gpsHeading);
  EXPECT_EQ(d.DrawItems->Count(), 1);
  // Without a style sheet nothing is added.
  TViroZereEdit bare(nullptr);
  bare.GetEditRVData()->PrepareForEdit();
  EXPECT_EQ(bare.GetEditRVData()->ItemCount(), 0);
}

TEST(EditData, EmptyEditorReadsTheCaretBeforeItsOneItem) {
  TEditorDoc t;
  EXPECT_EQ(t.Editor->GetCurItemNo(), 0);
  EXPECT_EQ(t.Editor->GetOffsetInCurItem(), 1);
  EXPECT_EQ(t.D().ItemCount(), 1);
}

TEST(EditData, FormattingThatArrivesWhileTheAreaIsResizedOnlyClearsTheFlag) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  d.AddNL(u"text", gtsBody, gpsBody);
  d.AlreadyFormatted = true;
  d.State.Include(rvstEditorUnformatted);
  EXPECT_FALSE(d.Format_(false, true, false, 0, d.GetFormatCanvas(), false, false, false, false, false));
  EXPECT_FALSE(d.AlreadyFormatted);
  EXPECT_TRUE(d.State.Contains(rvstEditorUnformatted));
  EXPECT_EQ(d.DrawItems->Count(), 0);
}

TEST(EditData, HyperlinksAreBuiltInAReadOnlyEditorOnlyWhenAllowed) {
  struct Case {
    const char* Name;
    bool ReadOnly, NoReadOnlyJumps, IgnoreReadOnly, Built;
  };
  const Case cases[] = {
      {"editable", false, false, false, true},
      {"read-only", true, false, false, false},
      {"read-only, told to ignore it", true, false, true, true},
      {"read-only with rvoNoReadOnlyJumps", true, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorDoc t;
    TRVEditRVData& d = t.D();
    d.AddNL(u"see ", gtsBody, gpsBody);
    d.AddNL(u"the first link", gtsHyperlink, -1);
    d.AddNL(u" and ", gtsBody, -1);
    d.AddNL(u"the second", gtsHyperlink, gpsBody);
    t.Editor->Format();
    t.Editor->SetFReadOnly(c.ReadOnly);
    if (c.NoReadOnlyJumps) t.Editor->SetEditorOptions(t.Editor->GetEditorOptions() + rvoNoReadOnlyJumps);
    const int n = d.BuildJumpsInfo(c.IgnoreReadOnly);
    EXPECT_EQ(n, c.Built ? 2 : 0);
    EXPECT_EQ(d.GetFlags().Contains(rvflUseJumps), c.Built);
    EXPECT_EQ(d.State.Contains(rvstJumpsJustBuilt), c.Built);
    if (c.Built && !c.ReadOnly) {
      d.ClearJumpsInfo();
      EXPECT_FALSE(d.GetFlags().Contains(rvflUseJumps));
    }
  }
}

TEST(EditData, ChangeMarksModifiedAndClearsRedoAndTheCurrentTagUnlessTold) {
  struct Case {
    const char* Name;
    bool ClearRedo, KeepTag;
  };
  const Case cases[] = {
      {"a change", true, false},
      {"a change after undo or redo", false, false},
      {"a change that keeps the current tag", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorDoc t;
    TRVEditRVData& d = t.D();
    AddStep(*d.UndoList);
    AddStep(*d.RedoList);
    d.FCurTag = u"tag";
    d.FCurTagStyleNo = gtsBold;
    if (c.KeepTag) d.State.Include(rvstDoNotClearCurTag);
    int changes = 0;
    t.Editor->OnChange = [&changes](TObject*) { ++changes; };
    if (c.ClearRedo)
      d.Change();
    else
      d.ChangeEx(false);
    EXPECT_TRUE(t.Editor->GetModified());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(d.UndoList->Count(), 1);
    EXPECT_EQ(d.RedoList->Count(), c.ClearRedo ? 0 : 1);
    EXPECT_EQ(d.FCurTag, c.KeepTag ? u"tag" : u"");
    EXPECT_EQ(d.FCurTagStyleNo, c.KeepTag ? gtsBold : -1);
  }
}

TEST(EditorControl, StyleSettersRaiseEventsWhenTheValueChangesOrTheDataForcesThem) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  TEventLog events;
  events.Attach(*t.Editor);
  t.Editor->SetCurTextStyleNo(0);
  t.Editor->SetCurParaStyleNo(0);
  EXPECT_EQ(events.Log, "");
  t.Editor->SetCurTextStyleNo(gtsBold);
  t.Editor->SetCurParaStyleNo(gpsList);
  EXPECT_EQ(events.Log, "tp");
  EXPECT_EQ(t.Editor->GetCurTextStyleNo(), gtsBold);
  // Forced: both fire again; the text style setter clears the state, the paragraph one keeps it.
  d.State.Include(rvstForceStyleChangeEvent);
  t.Editor->SetCurParaStyleNo(gpsList);
  EXPECT_TRUE(d.State.Contains(rvstForceStyleChangeEvent));
  t.Editor->SetCurTextStyleNo(gtsBold);
  EXPECT_FALSE(d.State.Contains(rvstForceStyleChangeEvent));
  EXPECT_EQ(events.Log, "tppt");
  // No style sheet, no events.
  TViroZereEdit bare(nullptr);
  int raised = 0;
  bare.OnCurTextStyleChanged = [&raised](TObject*) { ++raised; };
  bare.SetCurTextStyleNo(3);
  EXPECT_EQ(raised, 0);
  EXPECT_EQ(bare.GetActualCurTextStyleNo(), 3);
}

TEST(EditorControl, RegisteredHandlersHearAfterTheControlsOwnEventAndGoWhenUnregistered) {
  TEditorDoc t;
  TRVEditRVData& d = t.D();
  TEventLog events;
  events.Attach(*t.Editor);
  TComponent ruler(nullptr), action(nullptr);
  std::vector<TObject*> senders;
  t.Editor->RegisterCaretMoveHandler(&ruler, [&](TObject* Sender) {
    events.Log += "h";
    senders.push_back(Sender);
  });
  t.Editor->RegisterCurTextStyleChangeHandler(&action, [&](TObject*) { events.Log += "h"; });
  t.Editor->RegisterCurParaStyleChangeHandler(&action, [&](TObject*) { events.Log += "h"; });
  t.Editor->AfterCaretMove();
  t.Editor->SetCurTextStyleNo(gtsBold);
  t.Editor->SetCurParaStyleNo(gpsList);
  EXPECT_EQ(events.Log, "chthph");
  ASSERT_EQ(senders.size(), 1u);
  EXPECT_EQ(senders[0], t.Editor.get());
  t.Editor->UnregisterCaretMoveHandler(&ruler);
  t.Editor->UnregisterCurTextStyleChangeHandler(&action);
  t.Editor->UnregisterCurParaStyleChangeHandler(&action);
  EXPECT_EQ(d.FRootEditEvents->CaretMoveHandlers, nullptr);
  EXPECT_EQ(d.FRootEditEvents->CurTextStyleChangeHandlers, nullptr);
  EXPECT_EQ(d.FRootEditEvents->CurParaStyleChangeHandlers, nullptr);
  events.Log.clear();
  t.Editor->AfterCaretMove();
  EXPECT_EQ(events.Log, "c");
}

TEST(EditorControl, GateRefusesReadOnlyWithoutStylesOrWhenOnChangingSaysNo) {
  struct Case {
    const char* Name;
    bool ReadOnly, Sheet, Refuse, Allowed;
  };
  const Case cases[] = {
      {"editable", false, true, false, true},
      {"read-only", true, true, false, false},
      {"no style sheet", false, false, false, false},
      {"OnChanging refuses", false, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorDoc t;
    if (!c.Sheet) t.Editor->SetStyle(nullptr);
    t.Editor->SetFReadOnly(c.ReadOnly);
    TObject* sender = nullptr;
    t.Editor->OnChanging = [&](TCustomViroZereEdit* Sender, bool& CanEdit) {
      sender = Sender;
      CanEdit = !c.Refuse;
    };
    EXPECT_EQ(t.Editor->CanChange(), c.Allowed);
    if (c.Sheet && !c.ReadOnly) {
      EXPECT_EQ(sender, t.Editor.get());
    }
    // An allowed change gives an empty editor its paragraph to type into.
    EXPECT_EQ(t.D().ItemCount(), c.Allowed ? 1 : 0);
  }
}

TEST(EditorControl, DefaultsAndUndoSettings) {
  TEditorDoc t;
  TViroZereEdit& e = *t.Editor;
  EXPECT_EQ(e.GetEditorOptions(), TRVEditorOptions({rvoCtrlJumps, rvoWantTabs}));
  EXPECT_FALSE(e.KeyboardScroll);
  EXPECT_EQ(e.GetLiveSpellingMode(), rvlspOnChange);
  EXPECT_FALSE(e.GetViewerFlags().Contains(rvflUseJumps));
  EXPECT_EQ(e.GetTabNavigation(), rvtnNone);
  EXPECT_EQ(e.GetTopLevelEditor(), &e);
  EXPECT_EQ(e.GetRootEditor(), &e);
  e.SetCustomCaretInterval(500);
  EXPECT_EQ(t.D().FRootEditProperties->CustomCaretInterval, 500);
  e.SetUndoLimit(0);
  EXPECT_EQ(t.D().UndoList->Limit, 0);
  e.SetUndoLimit(-1);
  AddStep(*t.D().UndoList);
  AddStep(*t.D().RedoList);
  e.ClearRedo();
  EXPECT_EQ(t.D().UndoList->Count(), 1);
  EXPECT_EQ(t.D().RedoList->Count(), 0);
  AddStep(*t.D().RedoList);
  e.ClearUndo();
  EXPECT_EQ(t.D().UndoList->Count() + t.D().RedoList->Count(), 0);
}

namespace {
// The document of a table cell as the cell editor shows it: not a root, it answers its tree's
// questions through the editor that shows the whole document.
class TNestedEditData : public TRVEditRVData {
 public:
  TNestedEditData(TRVRootDataViewer* Viewer, TRVEditRVData* Root) : TRVEditRVData(Viewer), FRoot(Root) {}
  TCustomRVData* GetAbsoluteRootData() override { return FRoot; }

 private:
  TRVEditRVData* FRoot;
};
}  // namespace

TEST(EditData, NestedDataUsesTheRootsEditEventsAndProperties) {
  TEditorDoc t;
  TRootDataViewerDouble cellViewer;
  cellViewer.Flags.Exclude(rvflRoot);
  TNestedEditData cell(&cellViewer, &t.D());
  EXPECT_EQ(cell.GetRootEditEvents(), t.D().FRootEditEvents.get());
  EXPECT_EQ(cell.GetRootEditProperties(), t.D().FRootEditProperties.get());
  EXPECT_EQ(t.D().GetRootEditEvents(), t.D().FRootEditEvents.get());
}
