// The writers' saving states as items see them. The RTF, HTML and DOCX document writers own these
// objects; items read and advance the counters while they write their own fragments.
#pragma once

#include <memory>

#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVRTFFuncs.h"

enum TRVDocXPart { rvdocxpMain, rvdocxpHeader, rvdocxpFooter, rvdocxpFootnote, rvdocxpEndnote, rvdocxpNumbering };

class TRVDocXSavingData : public TObject {
 public:
  TRVDocXPart CurPart = rvdocxpMain;
  bool CurInTextBox = false;
  int ImageIndex = 0;
  int DrawingIndex = 0;
  int BreakIndex = 0;
  int BookmarkIndex = 0;
  int NoteBookmarkIndex = 0;
  int FootnoteIndex = 0;
  int EndnoteIndex = 0;
};

class TRVRTFSavingData : public TObject {
 public:
  TCustomRVRTFTables* Tables = nullptr;
  // Present only when the writer writes list tables: per list style, its own override number and
  // the running override counter.
  std::unique_ptr<TRVIntegerList> ListOverrideOffsetsList1, ListOverrideOffsetsList2;
};
