// The toolkit's rich-text document that the formatting benchmark measures against: it must lay
// out what it was given at the width asked for, and take a typed character and give it back.
#include <gtest/gtest.h>

#include "platform/graphics/TextPeers.h"

namespace {

TToolkitDocumentPeer::TRun Styled(const std::u16string& Text, double Size = 10) {
  TToolkitDocumentPeer::TRun r;
  r.Text = Text;
  r.Family = u"Liberation Sans";
  r.PointSize = Size;
  return r;
}

TEST(ToolkitDocumentPeer, LaysOutAtTheWidthAndTakesTypedText) {
  TToolkitDocumentPeer peer;
  std::u16string words;
  for (int i = 0; i < 60; ++i) words += u"paragraph ";
  peer.AddParagraph(0, 24, false, TToolkitDocumentPeer::tlNone);
  peer.AddRun(Styled(words));
  peer.AddRun(Styled(u"bold tail", 14));
  peer.AddParagraph(0, 0, true, TToolkitDocumentPeer::tlBullets, {100, 200});
  peer.AddRun(Styled(u"a\tb\tc"));
  peer.AddParagraph(0, 0, false, TToolkitDocumentPeer::tlNone);
  peer.AddImage(120, 80);
  EXPECT_EQ(peer.ParagraphCount(), 3);

  const double wide = peer.Layout(2000);
  const int wideLines = peer.LineCount();
  const double narrow = peer.Layout(200);
  EXPECT_GT(peer.LineCount(), wideLines + 5);
  EXPECT_GT(narrow, wide);
  EXPECT_GE(wide, 80);  // the picture's line at least

  const int chars = peer.CharacterCount();
  EXPECT_GE(peer.Type(0, 3, u"xyz"), narrow);
  EXPECT_EQ(peer.CharacterCount(), chars + 3);
  peer.RemoveTyped();
  EXPECT_EQ(peer.CharacterCount(), chars);
  EXPECT_EQ(peer.Layout(200), narrow);
}

// The editing benchmark measures edits with the toolkit's own undo: each edit must change the
// text, and undo and redo must give back exactly what was there.
TEST(ToolkitDocumentPeer, EditsWithItsOwnUndo) {
  TToolkitDocumentPeer peer;
  for (int i = 0; i < 3; ++i) {
    peer.AddParagraph(0, 0, false, TToolkitDocumentPeer::tlNone);
    peer.AddRun(Styled(u"line of the document"));
  }
  const double height = peer.Layout(300);
  const int chars = peer.CharacterCount();
  // Built without undo: nothing to undo yet.
  peer.SetUndoRedoEnabled(true);
  EXPECT_FALSE(peer.Undo());

  peer.TypeEach(1, 4, u"abc");
  EXPECT_EQ(peer.CharacterCount(), chars + 3);
  while (peer.Undo()) {
  }
  EXPECT_EQ(peer.CharacterCount(), chars);
  EXPECT_EQ(peer.UpdateLayout(), height);
  while (peer.Redo()) {
  }
  EXPECT_EQ(peer.CharacterCount(), chars + 3);
  while (peer.Undo()) {
  }

  peer.RemoveAll();
  EXPECT_EQ(peer.CharacterCount(), 1);  // one empty paragraph
  EXPECT_EQ(peer.ParagraphCount(), 1);
  EXPECT_LT(peer.UpdateLayout(), height);
  EXPECT_TRUE(peer.Undo());
  EXPECT_EQ(peer.CharacterCount(), chars);
  EXPECT_EQ(peer.ParagraphCount(), 3);
  EXPECT_EQ(peer.UpdateLayout(), height);

  peer.ClearUndoRedo();
  EXPECT_FALSE(peer.Undo());
  EXPECT_FALSE(peer.Redo());
  // Typed text goes again without undo.
  peer.TypeEach(2, 0, u"xy");
  peer.RemoveTyped();
  EXPECT_EQ(peer.CharacterCount(), chars);
  EXPECT_EQ(peer.UpdateLayout(), height);
}

}  // namespace
