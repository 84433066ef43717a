// Text runs and document events of the RTF reader: the positions runs are reported with, marks,
// hidden text, page breaks, notes, headers and footers, bookmarks.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RTFEventRecorder.h"
#include "formats/rtf/RVRTFReader.h"
#include "formats/rtf/RVRTFReaderState.h"

namespace {

enum TOption { optNone = 0, optFinalPar = 1, optTabs = 2, optSkipHidden = 4, opt8Bit = 8, optNoHeaders = 16 };

struct TEventCase {
  const char* Name;
  const char* Body;  // inside "{\rtf1 ... }"
  int Options;
  const char* Expected;
};

const TEventCase EventCases[] = {
    {"paragraphs", "\\pard A\\par B\\par", optNone, "P\"A\" | P\"B\""},
    {"final paragraph mark kept", "\\pard A\\par B\\par", optFinalPar, "P\"A\" | P\"B\" | P\"\""},
    {"empty paragraph", "A\\par\\par B", optNone, "P\"A\" | P\"\" | P\"B\""},
    {"line", "A\\line B", optNone, "P\"A\" | L\"B\""},
    {"line at the start of a paragraph", "A\\par\\line B", optNone, "P\"A\" | P\"\" | L\"B\""},
    {"empty last line", "A\\line\\par B", optNone, "P\"A\" | L\"\" | P\"B\""},
    {"formatting splits runs", "A\\b B\\b0 C", optNone, "P\"A\" | C\"B\" | C\"C\""},
    {"paragraph words do not split runs", "A\\qc B\\par", optNone, "P\"AB\""},
    {"a group's end ends a run", "A{B}C", optNone, "P\"AB\" | C\"C\""},
    {"tabs in the run", "A\\tab B", optNone, "P\"A\tB\""},
    {"tabs as runs of their own", "A\\tab B", optTabs, "P\"A\" | C\"\t\" | C\"B\""},
    {"Unicode run and its fallback", "\\u1046?x", optNone, "uP\"\xD0\x96\" | C\"x\""},
    {"Unicode words", "A\\lquote B", optNone, "P\"A\" | uC\"\xE2\x80\x98\" | C\"B\""},
    {"8-bit fallback of a Unicode word", "A\\lquote B", opt8Bit,
     "P\"A\x91"
     "B\""},
    {"\\u without a Unicode handler reads the fallback", "\\u1046?x", opt8Bit, "P\"?x\""},
    {"hidden text is its own run", "A{\\v B}C", optNone, "P\"A\" | C\"B\" | C\"C\""},
    {"hidden text after a mark", "A\\par{\\v B}C", optNone, "P\"A\" | P\"\" | C\"B\" | C\"C\""},
    {"skipped hidden text and its mark", "A{\\v B\\par}C\\par", optSkipHidden, "P\"A\" | C\"C\""},
    {"page break", "A\\page B\\par", optNone, "P\"A\" | page | C\"B\""},
    {"bookmark", "A{\\*\\bkmkstart here}B", optNone, "P\"A\" | bmk:here | C\"B\""},
    {"footnote", "A{\\footnote \\chftn N}B\\par", optNone,
     "P\"A\" | note:start@C | note:char@P | C\"N\" | note:end@C | C\"B\""},
    {"endnote", "A{\\footnote\\ftnalt N}B", optNone,
     "P\"A\" | note:start@C | note:endnote | P\"N\" | note:end@C | C\"B\""},
    {"footnote inside a footnote is skipped", "{\\footnote A{\\footnote B}C}", optNone,
     "note:start@P | P\"AC\" | note:end@C"},
    {"header", "{\\header H\\par}\\pard A\\par", optNone, "hf:header+ | P\"H\" | hf:header- | P\"A\""},
    {"kinds of headers and footers", "{\\headerl a}{\\footerr b}{\\headerf c}", optNone,
     "hf:headerl+ | P\"a\" | hf:headerl- | hf:footer+ | C\"b\" | hf:footer- | hf:headerf+ | C\"c\" | hf:headerf-"},
    {"second header of a kind is skipped", "{\\header A}{\\headerr B}", optNone, "hf:header+ | P\"A\" | hf:header-"},
    {"footnote in a header is skipped", "{\\header H{\\footnote X}}", optNone, "hf:header+ | P\"H\" | hf:header-"},
    {"header the handler refuses", "{\\header H}X", optNoHeaders, "hf:header+ | hf:header- | P\"X\""},
    // Body text pending when a header starts stays in the body.
    {"body text before a header", "A{\\header H}B", optNone, "P\"A\" | hf:header+ | C\"H\" | hf:header- | C\"B\""},
};

TEST(RTFEvents, RunsPositionsAndDocumentEvents) {
  for (const TEventCase& c : EventCases) {
    SCOPED_TRACE(c.Name);
    TRVRTFReader reader(nullptr);
    TRTFEventRecorder rec;
    rec.Attach(reader, !(c.Options & opt8Bit));
    reader.ProcessFinalPar = c.Options & optFinalPar;
    reader.TabAsSeparateChar = c.Options & optTabs;
    reader.SkipHiddenText = c.Options & optSkipHidden;
    rec.SupportHeaders = !(c.Options & optNoHeaders);
    EXPECT_EQ(TRTFEventRecorder::Read(reader, std::string("{\\rtf1 ") + c.Body + "}"), rtf_ec_OK);
    EXPECT_EQ(rec.Joined(), c.Expected);
  }
}

// A run carries the paragraph properties in force at its mark and the hidden flag of its text.
TEST(RTFEvents, RunsSeeTheirParagraphAndCharacterState) {
  TRVRTFReader reader(nullptr);
  TRTFEventRecorder rec;
  rec.Attach(reader);
  std::vector<std::string> seen;
  rec.OnTextSeen = [&](TRVRTFReader& r) {
    seen.push_back(std::string(r.RTFState()->ParaProps()->FAlignment == rtf_al_Center ? "centred" : "left") +
                   (r.RTFState()->CharProps()->FHidden ? " hidden" : ""));
  };
  ASSERT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 A\\qc B\\par\\pard\\par{\\v C}}"), rtf_ec_OK);
  EXPECT_EQ(rec.Joined(), "P\"AB\" | P\"\" | P\"\" | C\"C\"");
  EXPECT_EQ(seen, (std::vector<std::string>{"centred", "left", "left hidden", "left hidden"}));
}

TEST(RTFEvents, EndOfInput) {
  struct {
    const char* Rtf;
    TRVRTFErrorCode Result;
    const char* Expected;
  } const cases[] = {
      {"", rtf_ec_OK, ""},
      {"{\\rtf1}", rtf_ec_OK, ""},
      {"{\\rtf1 A}B}", rtf_ec_OK, "P\"A\""},
      // Groups left open: the text read in them is still reported.
      {"{\\rtf1 A\\par B", rtf_ec_UnmatchedBrace, "P\"A\" | P\"B\""},
      {"{\\rtf1 A{\\b B", rtf_ec_UnmatchedBrace, "P\"A\" | C\"B\""},
      {"{\\rtf1 A\\u1046?", rtf_ec_UnmatchedBrace, "P\"A\" | uC\"\xD0\x96\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Rtf);
    TRVRTFReader reader(nullptr);
    TRTFEventRecorder rec;
    rec.Attach(reader, true, true);
    EXPECT_EQ(TRTFEventRecorder::Read(reader, c.Rtf), c.Result);
    std::string joined;
    for (const std::string& e : rec.Events)
      if (e != "marker" && e != "end-parsing") joined += (joined.empty() ? "" : " | ") + e;
    EXPECT_EQ(joined, c.Expected);
    EXPECT_FALSE(rec.Events.empty());  // at least the marker update at the end
  }
}

// A handler that raises ends the read: a failure of the data as an aborted read, any other fault
// goes on to the caller of the reader's handlers, never as success.
TEST(RTFEvents, RaisingTextHandlerAbortsTheRead) {
  TRVRTFReader reader(nullptr);
  int calls = 0;
  reader.OnNewText = [&](TObject*, const TRVAnsiString&, TRVRTFPosition) {
    ++calls;
    throw EConvertError("bad text");
  };
  EXPECT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 A\\par B\\par}"), rtf_ec_Aborted);
  EXPECT_EQ(calls, 1);

  TRVRTFReader second(nullptr);
  second.OnNewUnicodeText = [&](TObject*, const TRVUnicodeString&, TRVRTFPosition) { throw std::logic_error("fault"); };
  TRVRTFErrorCode result = rtf_ec_OK;
  try {
    result = TRTFEventRecorder::Read(second, "{\\rtf1 \\u1046?}");
  } catch (const std::logic_error&) {
    result = rtf_ec_Exception;
  }
  EXPECT_NE(result, rtf_ec_OK);
}

// The 8-bit and the Unicode collectors never both hold text: whatever the mix, the runs come out
// in input order.
TEST(RTFEvents, MixedRunsKeepTheirOrder) {
  TRVRTFReader reader(nullptr);
  TRTFEventRecorder rec;
  rec.Attach(reader);
  ASSERT_EQ(TRTFEventRecorder::Read(reader, "{\\rtf1 a\\u1046?b\\u1046?\\u1047?c\\par}"), rtf_ec_OK);
  EXPECT_EQ(rec.Joined(), "P\"a\" | uC\"\xD0\x96\" | C\"b\" | uC\"\xD0\x96\xD0\x97\" | C\"c\"");
}

}  // namespace
