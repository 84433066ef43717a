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

}  // namespace
