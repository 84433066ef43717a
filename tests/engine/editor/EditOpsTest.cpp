// The editing operations of the editor control: refusals (read-only, the gate, what may not be
// deleted), the ownership of what a refused insertion was given, item editing with its undo
// steps and reformatting, and the properties of the document.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/foundation/RVError.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"

namespace {

std::unique_ptr<TGraphic> Picture(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(W, H);
  return bmp;
}

// A line item that tells when it is freed.
class TTrackedBreak : public TRVBreakItemInfo {
 public:
  TTrackedBreak(TCustomRVData* Data, bool* AFreed) : TRVBreakItemInfo(Data), Freed(AFreed) {}
  ~TTrackedBreak() override { *Freed = true; }
  bool* Freed;
};

// "one two" with a picture after it, a line, then "three" and "four" in paragraphs of their own.
struct EditOps : EditorFixture {
  int Changes = 0;
  int PicNo = 1, BreakNo = 2;

  void SetUp() override {
    EditorFixture::SetUp();
    Editor->OnChange = [this](TObject*) { ++Changes; };
    Add(u"one two", 0, 0);
    auto* Pic = new TRVGraphicItemInfo(Data, Picture(20, 10), rvvaBaseline);
    Pic->ParaNo = -1;
    Data->AddItem(u"pic", Pic);
    Data->AddBreak(1, rvbsLine, clNone);
    Add(u"three", 1, 0);
    Add(u"four", 0, 1);
    Editor->HandleNeeded();
    Editor->Format();
    Data->SetCaretAtItem(0, 1);
  }
  TRVGraphicItemInfo* Pic() const { return static_cast<TRVGraphicItemInfo*>(Data->GetItem(PicNo)); }
  TRVBreakItemInfo* Line() const { return static_cast<TRVBreakItemInfo*>(Data->GetItem(BreakNo)); }
  // What an operation may change, beyond the items' text, styles and flags.
  std::string State() const {
    return Snap() + " va" + std::to_string(Pic()->VAlign) + " pw" + std::to_string(Pic()->GetImage()->GetWidth()) +
           " bw" + std::to_string(Line()->LineWidth) + " lm" +
           std::to_string(Editor->GetIntProperty(rvipLeftMargin)) + " steps" +
           std::to_string(Data->UndoList->Count()) + " bg" + std::to_string(Editor->GetBackgroundBitmap() != nullptr);
  }
  static std::string TempFile(const char* Name, const std::string& Content) {
    const std::string Path = ::testing::TempDir() + Name;
    std::ofstream(Path, std::ios::binary) << Content;
    return Path;
  }
  static TRVUnicodeString U(const std::string& S) {
    TRVUnicodeString R;
    for (char c : S) R += static_cast<char16_t>(c);
    return R;
  }
};

struct Operation {
  const char* Name;
  std::function<void(EditOps&)> Run;
};

const std::vector<Operation>& AllOperations() {
  static const std::vector<Operation> Ops = {
      {"InsertTextW", [](EditOps& t) { t.Editor->InsertTextW(u"x"); }},
      {"InsertTextA", [](EditOps& t) { t.Editor->InsertTextA("x"); }},
      {"InsertItem", [](EditOps& t) { t.Editor->InsertItem(u"", new TRVBreakItemInfo(t.Data)); }},
      {"InsertBreak", [](EditOps& t) { t.Editor->InsertBreak(3, rvbs3d, clNone); }},
      {"InsertTab", [](EditOps& t) { t.Editor->InsertTab(); }},
      {"InsertPicture", [](EditOps& t) { t.Editor->InsertPicture(u"p", Picture(4, 4).release(), rvvaBaseline); }},
      {"InsertStringWTag", [](EditOps& t) { t.Editor->InsertStringWTag(u"s", u"t"); }},
      {"InsertTextFromFile",
       [](EditOps& t) { t.Editor->InsertTextFromFile(EditOps::U(EditOps::TempFile("ops_a.txt", "abc"))); }},
      {"InsertTextFromFileW",
       [](EditOps& t) { t.Editor->InsertTextFromFileW(EditOps::U(EditOps::TempFile("ops_w.txt", "ab"))); }},
      {"InsertTextFromFileUTF8",
       [](EditOps& t) { t.Editor->InsertTextFromFileUTF8(EditOps::U(EditOps::TempFile("ops_u.txt", "abc"))); }},
      {"InsertRVFFromStreamEd",
       [](EditOps& t) {
         TMemoryStream S;
         t.Editor->InsertRVFFromStreamEd(&S);
       }},
      {"InsertRTFFromStreamEd",
       [](EditOps& t) {
         TMemoryStream S;
         t.Editor->InsertRTFFromStreamEd(&S);
       }},
      {"InsertPageBreak", [](EditOps& t) { t.Editor->InsertPageBreak(); }},
      {"RemoveCurrentPageBreak", [](EditOps& t) { t.Editor->RemoveCurrentPageBreak(); }},
      {"SetItemTextEdW", [](EditOps& t) { t.Editor->SetItemTextEdW(0, u"zz"); }},
      {"SetItemTagEd", [](EditOps& t) { t.Editor->SetItemTagEd(0, u"t"); }},
      {"SetCurrentTag", [](EditOps& t) { t.Editor->SetCurrentTag(u"t"); }},
      {"SetItemVAlignEd", [](EditOps& t) { t.Editor->SetItemVAlignEd(t.PicNo, rvvaMiddle); }},
      {"SetBreakInfoEd", [](EditOps& t) { t.Editor->SetBreakInfoEd(t.BreakNo, 7, rvbs3d, clNone, u""); }},
      {"SetPictureInfoEd",
       [](EditOps& t) { t.Editor->SetPictureInfoEd(t.PicNo, u"n", Picture(9, 9).release(), rvvaMiddle, u""); }},
      {"SetItemExtraIntPropertyEd",
       [](EditOps& t) { t.Editor->SetItemExtraIntPropertyEd(t.PicNo, rvepSpacing, 9, true); }},
      {"SetItemExtraStrPropertyEd",
       [](EditOps& t) { t.Editor->SetItemExtraStrPropertyEd(t.PicNo, rvespHint, u"h", true); }},
      {"ConvertToHotPicture", [](EditOps& t) { t.Editor->ConvertToHotPicture(t.PicNo); }},
      {"ClearTextFlow", [](EditOps& t) { t.Editor->ClearTextFlow(true, false); }},
      {"SetIntPropertyEd", [](EditOps& t) { t.Editor->SetIntPropertyEd(rvipLeftMargin, 40, true); }},
      {"SetBackgroundImageEd",
       [](EditOps& t) {
         auto Bg = Picture(3, 3);
         t.Editor->SetBackgroundImageEd(Bg.get(), true);
       }},
      {"ApplyParaStyle", [](EditOps& t) { t.Editor->ApplyParaStyle(2); }},
      {"ApplyTextStyle", [](EditOps& t) { t.Editor->ApplyTextStyle(2); }},
      {"ApplyParaStyleConversion",
       [](EditOps& t) {
         t.Editor->OnParaStyleConversion = [](TCustomViroZereEdit*, int, int, bool, int& New) { New = 2; };
         t.Editor->ApplyParaStyleConversion(0);
       }},
      {"ApplyStyleTemplate", [](EditOps& t) { t.Editor->ApplyStyleTemplate(-1); }},
      {"ChangeStyleTemplates", [](EditOps& t) { t.Editor->ChangeStyleTemplates(nullptr); }},
      {"ApplyListStyle", [](EditOps& t) { t.Editor->ApplyListStyle(0, 0, 1, false, true); }},
      {"RemoveLists", [](EditOps& t) { t.Editor->RemoveLists(true); }},
      {"ChangeListLevels", [](EditOps& t) { t.Editor->ChangeListLevels(1); }},
      {"DeleteSelection",
       [](EditOps& t) {
         t.Data->SetSelectionBounds(0, 1, 0, 4);
         t.Editor->DeleteSelection();
       }},
      {"Undo", [](EditOps& t) { t.Editor->Undo(); }},
      {"Redo", [](EditOps& t) { t.Editor->Redo(); }},
  };
  return Ops;
}

TEST_F(EditOps, ReadOnlyEditorRefusesEveryOperationWithOneBeep) {
  Editor->SetReadOnly(true);
  const std::string Before = State();
  for (const Operation& Op : AllOperations()) {
    SCOPED_TRACE(Op.Name);
    const int Beeps = MessageBeepCount();
    Op.Run(*this);
    EXPECT_EQ(MessageBeepCount(), Beeps + 1);
    EXPECT_EQ(State(), Before);
    EXPECT_FALSE(Editor->GetModified());
    EXPECT_EQ(Changes, 0);
  }
}

TEST_F(EditOps, RefusedInsertionFreesTheItemItWasGiven) {
  // Refused by read-only mode and by OnChanging; what the editor was given is freed each time.
  const std::vector<std::function<void()>> Refusals = {
      [this] { Editor->SetReadOnly(true); },
      [this] { Editor->OnChanging = [](TCustomViroZereEdit*, bool& CanEdit) { CanEdit = false; }; },
  };
  for (size_t i = 0; i < Refusals.size(); ++i) {
    SCOPED_TRACE(i);
    Editor->SetReadOnly(false);
    Editor->OnChanging = nullptr;
    Refusals[i]();
    bool Freed = false;
    EXPECT_FALSE(Editor->InsertItem(u"", new TTrackedBreak(Data, &Freed)));
    EXPECT_TRUE(Freed);
  }
}

TEST_F(EditOps, InsertingWithASelectionDeletesItInTheSameStep) {
  Data->SetSelectionBounds(0, 1, 0, 4);
  ASSERT_TRUE(Editor->InsertBreak(2, rvbsLine, clNone));
  // The break takes the place of "one" and the rest of the text follows it.
  EXPECT_EQ(Data->GetItem(0)->StyleNo, ItemKindHorizontalLine);
  EXPECT_EQ(Editor->GetItemTextW(1), u" two");
  EXPECT_EQ(Editor->UndoAction(), rvutInsert);
  Editor->Undo();
  EXPECT_EQ(Editor->GetItemTextW(0), u"one two");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
}

TEST_F(EditOps, InsertedLineKeepsItsWholeWidth) {
  ASSERT_TRUE(Editor->InsertBreak(300, rvbsDotted, clRed));
  auto* Inserted = dynamic_cast<TRVBreakItemInfo*>(Data->GetItem(Editor->GetCurItemNo()));
  ASSERT_NE(Inserted, nullptr);
  EXPECT_EQ(Inserted->LineWidth, 300);
}

TEST_F(EditOps, InsertionsThatInsertNothingAnswerFalse) {
  const std::string TextFile = TempFile("ops_nothing.txt", "abc");
  const std::vector<std::pair<const char*, std::function<bool()>>> Inserts = {
      {"InsertRVFFromStreamEd",
       [this] {
         TMemoryStream S;
         return Editor->InsertRVFFromStreamEd(&S);
       }},
      {"InsertRTFFromStreamEd",
       [this] {
         TMemoryStream S;
         return Editor->InsertRTFFromStreamEd(&S);
       }},
      {"InsertTextFromFile", [&] { return Editor->InsertTextFromFile(U(TextFile)); }},
      {"InsertTextFromFileW", [&] { return Editor->InsertTextFromFileW(U(TextFile)); }},
      {"InsertTextFromFileUTF8", [&] { return Editor->InsertTextFromFileUTF8(U(TextFile)); }},
  };
  const std::vector<std::pair<const char*, std::function<void()>>> Refusals = {
      {"read-only", [this] { Editor->SetReadOnly(true); }},
      {"OnChanging", [this] { Editor->OnChanging = [](TCustomViroZereEdit*, bool& CanEdit) { CanEdit = false; }; }},
  };
  const std::string Before = State();
  for (const auto& [RefusalName, Refuse] : Refusals) {
    Editor->SetReadOnly(false);
    Editor->OnChanging = nullptr;
    Refuse();
    for (const auto& [Name, Insert] : Inserts) {
      SCOPED_TRACE(std::string(RefusalName) + " " + Name);
      const int Beeps = MessageBeepCount();
      EXPECT_FALSE(Insert());
      EXPECT_EQ(MessageBeepCount(), Beeps + 1);
      EXPECT_EQ(State(), Before);
      EXPECT_FALSE(Editor->GetModified());
      EXPECT_FALSE(Data->State.Contains(rvstDoNotClearCurTag));
    }
  }
  // A file that cannot be read inserts nothing and does not beep.
  Editor->SetReadOnly(false);
  Editor->OnChanging = nullptr;
  const int Beeps = MessageBeepCount();
  EXPECT_FALSE(Editor->InsertTextFromFileUTF8(u"/nonexistent/dir/file.txt"));
  EXPECT_FALSE(Editor->InsertRVFFromFileEd(u"/nonexistent/dir/file.rvf"));
  EXPECT_FALSE(Editor->InsertRTFFromFileEd(u"/nonexistent/dir/file.rtf"));
  EXPECT_EQ(MessageBeepCount(), Beeps);
  EXPECT_EQ(State(), Before);
}

TEST_F(EditOps, LineInfoKeepsTheWholeWidthAndUndoes) {
  Editor->SetBreakInfoEd(BreakNo, 300, rvbsDotted, clRed, u"t");
  EXPECT_EQ(Line()->LineWidth, 300);
  EXPECT_EQ(Line()->Style, rvbsDotted);
  EXPECT_EQ(Line()->Color, clRed);
  EXPECT_EQ(Line()->Tag, u"t");
  EXPECT_EQ(Editor->UndoAction(), rvutModifyItem);
  EXPECT_TRUE(Editor->GetModified());
  Editor->Undo();
  EXPECT_EQ(Line()->LineWidth, 1);
  EXPECT_EQ(Line()->Tag, u"");
}

TEST_F(EditOps, ItemOperationsOfTheWrongClassRaise) {
  const std::vector<std::pair<const char*, std::function<void()>>> Cases = {
      {"SetItemVAlignEd on text", [this] { Editor->SetItemVAlignEd(0, rvvaMiddle); }},
      {"SetItemVAlignEd on a line", [this] { Editor->SetItemVAlignEd(BreakNo, rvvaMiddle); }},
      {"SetBreakInfoEd on text", [this] { Editor->SetBreakInfoEd(0, 2, rvbsLine, clNone, u""); }},
      {"SetBreakInfoEd on a picture", [this] { Editor->SetBreakInfoEd(PicNo, 2, rvbsLine, clNone, u""); }},
      {"SetPictureInfoEd on text",
       [this] { Editor->SetPictureInfoEd(0, u"", Picture(2, 2).release(), rvvaBaseline, u""); }},
      {"SetPictureInfoEd on a line",
       [this] { Editor->SetPictureInfoEd(BreakNo, u"", Picture(2, 2).release(), rvvaBaseline, u""); }},
  };
  const std::string Before = State();
  for (const auto& [Name, Run] : Cases) {
    SCOPED_TRACE(Name);
    try {
      Run();
      ADD_FAILURE() << "no error";
    } catch (const EViroZereError& e) {
      EXPECT_EQ(e.Message(), u"Can't get or set this kind of information for this item");
    }
    EXPECT_EQ(State(), Before);
  }
}

TEST_F(EditOps, PictureInfoReplacesThePictureAsOneStep) {
  TGraphic* Own = Pic()->GetImage();
  // The item's own graphic is copied, never shared between the old and the new item.
  Editor->SetPictureInfoEd(PicNo, u"same", Own, rvvaMiddle, u"t1");
  EXPECT_NE(Pic()->GetImage(), Own);
  EXPECT_EQ(Pic()->GetImage()->GetWidth(), 20);
  EXPECT_EQ(Pic()->VAlign, rvvaMiddle);
  EXPECT_EQ(Pic()->Tag, u"t1");
  EXPECT_EQ(Editor->GetItemTextW(PicNo), u"same");
  Editor->SetPictureInfoEd(PicNo, u"new", Picture(30, 15).release(), rvvaBaseline, u"");
  EXPECT_EQ(Pic()->GetImage()->GetWidth(), 30);
  Editor->Undo();
  Editor->Undo();
  EXPECT_EQ(Pic()->GetImage()->GetWidth(), 20);
  EXPECT_EQ(Pic()->VAlign, rvvaBaseline);
  EXPECT_EQ(Editor->GetItemTextW(PicNo), u"pic");
}

TEST_F(EditOps, IntPropertyStepsAndChangeReports) {
  struct Case {
    TRVIntProperty Prop;
    int Value;
    TRVUndoType Step;
  };
  const Case Cases[] = {
      {rvipLeftMargin, 33, rvutLayout},   {rvipMinTextWidth, 50, rvutLayout}, {rvipBiDiMode, 1, rvutLayout},
      {rvipBackgroundStyle, 1, rvutBackground}, {rvipColor, 0x123456, rvutProperty},
  };
  for (const Case& C : Cases) {
    for (bool AutoReformat : {false, true}) {
      SCOPED_TRACE(std::to_string(C.Prop) + (AutoReformat ? " auto" : " manual"));
      Editor->ClearUndo();
      Editor->SetModified(false);
      Changes = 0;
      const int Old = Editor->GetIntProperty(C.Prop);
      // The current value: no step, nothing reported.
      Editor->SetIntPropertyEd(C.Prop, Old, AutoReformat);
      EXPECT_EQ(Editor->UndoAction(), rvutNone);
      EXPECT_EQ(Data->UndoList->Count(), 0);
      EXPECT_FALSE(Editor->GetModified());

      Editor->SetIntPropertyEd(C.Prop, C.Value, AutoReformat);
      EXPECT_EQ(Editor->GetIntProperty(C.Prop), C.Value);
      EXPECT_EQ(Editor->UndoAction(), C.Step);
      EXPECT_EQ(Editor->GetModified(), AutoReformat);
      EXPECT_EQ(Changes, AutoReformat ? 1 : 0);
      Editor->Undo();
      EXPECT_EQ(Editor->GetIntProperty(C.Prop), Old);
    }
  }
}

TEST_F(EditOps, ShorterItemTextKeepsTheSelectionInside) {
  struct Case {
    int StartOffs, EndOffs;
    const char16_t* NewText;
    int WantStart, WantEnd;
  };
  const Case Cases[] = {
      {2, 6, u"Hi", 2, 3},   // the end beyond the new text
      {6, 2, u"Hi", 3, 2},   // a backward selection
      {5, 7, u"H", 2, 2},    // both bounds beyond it
      {2, 4, u"Hello", 2, 4},  // a longer text keeps the selection
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::to_string(C.StartOffs) + "-" + std::to_string(C.EndOffs));
    Editor->SetItemTextEdW(0, u"one two");
    Data->SetSelectionBounds(0, C.StartOffs, 0, C.EndOffs);
    Editor->SetItemTextEdW(0, C.NewText);
    EXPECT_EQ(Editor->GetItemTextW(0), C.NewText);
    int StartNo, StartOffs, EndNo, EndOffs;
    Editor->GetSelectionBounds(StartNo, StartOffs, EndNo, EndOffs, false);
    EXPECT_EQ(StartNo, 0);
    EXPECT_EQ(EndNo, 0);
    EXPECT_EQ(StartOffs, C.WantStart);
    EXPECT_EQ(EndOffs, C.WantEnd);
    EXPECT_EQ(Editor->UndoAction(), rvutModifyItem);
  }
  Editor->Undo();
  EXPECT_EQ(Editor->GetItemTextW(0), u"one two");
}

TEST_F(EditOps, ClearTextFlowChangesTheFirstSelectedParagraphOnly) {
  Data->SetSelectionBounds(0, 3, 4, 2);
  Editor->ClearTextFlow(true, true);
  EXPECT_TRUE(Data->GetItem(0)->GetClearLeft());
  EXPECT_TRUE(Data->GetItem(0)->GetClearRight());
  for (int i = 1; i < Data->ItemCount(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(Data->GetItem(i)->GetClearLeft());
    EXPECT_FALSE(Data->GetItem(i)->GetClearRight());
  }
  EXPECT_EQ(Editor->UndoAction(), rvutTextFlow);
  EXPECT_TRUE(Editor->GetModified());
  Editor->Undo();
  EXPECT_FALSE(Data->GetItem(0)->GetClearLeft());
}

TEST_F(EditOps, PictureAndHotPictureConvertBothWays) {
  Editor->ConvertToHotPicture(PicNo);
  EXPECT_EQ(Data->GetItem(PicNo)->StyleNo, ItemKindHotPicture);
  EXPECT_EQ(Pic()->GetImage()->GetWidth(), 20);
  EXPECT_EQ(Editor->UndoAction(), rvutToHypertext);
  // Only the kind converted is touched: text stays text.
  Editor->ConvertToHotPicture(0);
  EXPECT_EQ(Data->GetItem(0)->StyleNo, 0);
  Editor->ConvertToPicture(PicNo);
  EXPECT_EQ(Data->GetItem(PicNo)->StyleNo, ItemKindPicture);
  EXPECT_EQ(Editor->UndoAction(), rvutFromHypertext);
  Editor->Undo();
  EXPECT_EQ(Data->GetItem(PicNo)->StyleNo, ItemKindHotPicture);
}

TEST_F(EditOps, ExtraPropertyWithoutAutoReformatRecordsButReportsNothing) {
  Editor->SetItemExtraIntPropertyEd(PicNo, rvepSpacing, 7, false);
  int Value = 0;
  ASSERT_TRUE(Data->GetItemExtraIntPropertyEx(PicNo, rvepSpacing, Value));
  EXPECT_EQ(Value, 7);
  EXPECT_EQ(Editor->UndoAction(), rvutModifyItem);
  EXPECT_FALSE(Editor->GetModified());
  // The same value again opens no step.
  Data->UndoList->Clear();
  Editor->SetItemExtraIntPropertyEd(PicNo, rvepSpacing, 7, true);
  EXPECT_EQ(Data->UndoList->Count(), 0);
  Editor->SetItemExtraIntPropertyEd(PicNo, rvepSpacing, 3, true);
  EXPECT_TRUE(Editor->GetModified());
  // Text has no such property: nothing happens.
  Editor->SetModified(false);
  Editor->SetItemExtraIntPropertyEd(0, rvepSpacing, 3, true);
  EXPECT_FALSE(Editor->GetModified());
}

}  // namespace

namespace {

// The conversions the data asks for each style while a style application runs.
TEST_F(EditOps, StyleConversionCallbacks) {
  auto Convert = [this](int StyleNo, int ParaStyleNo, int UserData, bool AppliedToText) {
    int New = StyleNo;
    Editor->FCurStyleConversion(Editor.get(), StyleNo, ParaStyleNo, UserData, AppliedToText, New);
    return New;
  };
  Sheet.TextStyles()->Items(1)->Protection.Include(rvprStyleProtect);
  Sheet.ParaStyles()->Items(1)->Options.Include(rvpaoStyleProtect);

  Editor->ApplyTextStyle(2);
  ASSERT_TRUE(Editor->FCurStyleConversion);
  EXPECT_EQ(Convert(0, 0, 2, true), 2);
  EXPECT_EQ(Convert(1, 0, 2, true), 1);   // protected text keeps its style
  EXPECT_EQ(Convert(1, 0, 2, false), 2);  // the current style is not text

  Editor->OnStyleConversion = [](TCustomViroZereEdit*, int StyleNo, int UserData, bool, int& NewStyleNo) {
    NewStyleNo = StyleNo + UserData;
  };
  Editor->ApplyStyleConversion(5);
  EXPECT_EQ(Convert(1, 0, 5, true), 6);

  TRVStyleTemplate* Heading = Sheet.StyleTemplates()->Add();
  Heading->SetName(u"Heading");
  Editor->SetUseStyleTemplates(true);
  const int ParaCount = Sheet.ParaStyles()->Count();
  Editor->ApplyParaStyleTemplate(0, true);
  const int NewPara = Convert(0, 0, 0, false);
  ASSERT_GE(NewPara, 0);
  ASSERT_LT(NewPara, Sheet.ParaStyles()->Count());
  EXPECT_EQ(Sheet.ParaStyles()->Items(NewPara)->StyleTemplateId, Heading->GetId());
  EXPECT_EQ(Convert(1, 0, 0, false), 1);  // protected paragraph style
  // The same derivation twice finds the style made the first time.
  EXPECT_EQ(Convert(0, 0, 0, false), NewPara);
  EXPECT_LE(Sheet.ParaStyles()->Count(), ParaCount + 1);

  Editor->ApplyTextStyleTemplate(0, true);
  const int NewText = Convert(0, 0, 0, true);
  ASSERT_GE(NewText, 0);
  EXPECT_EQ(Sheet.TextStyles()->Items(NewText)->StyleTemplateId, Heading->GetId());
  EXPECT_EQ(Convert(1, 0, 0, true), 1);

  // No template and no templates in use: the first style.
  Editor->SetUseStyleTemplates(false);
  Editor->ApplyParaStyleTemplate(-1, true);
  EXPECT_EQ(Convert(2, 0, -1, false), 0);
}

}  // namespace
