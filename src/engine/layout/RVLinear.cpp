// Linear character positions over a document tree (see RVLinear.h).
#include "engine/layout/RVLinear.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "engine/document/RVItem.h"

namespace {

// A corrupt item could enumerate without end; no real table comes near this.
constexpr int MaxSubDocs = 1000000;

// The sub-documents of an item in its enumeration order (cells row by row).
std::vector<TCustomRVData*> SubDocsOf(TCustomRVData* RVData, int ItemNo) {
  std::vector<TCustomRVData*> docs;
  TCustomRVItemInfo* item = RVData->GetItem(ItemNo);
  std::unique_ptr<TRVStoreSubRVData> state;
  for (TCustomRVData* d = item->GetSubRVData(state, rvdFirst); d && static_cast<int>(docs.size()) < MaxSubDocs;
       d = item->GetSubRVData(state, rvdNext, d))
    docs.push_back(d);
  return docs;
}

bool IsTextItem(TCustomRVData* RVData, int ItemNo) { return RVData->GetItem(ItemNo)->StyleNo >= 0; }

int TextLengthOf(TCustomRVData* RVData, int ItemNo) {
  return static_cast<int>(RVData->GetItemTextW(ItemNo).size());
}

// Two documents are the same place when they show the same items (an in-place editor shows the
// cell it edits).
bool SameDoc(TCustomRVData* A, TCustomRVData* B) {
  return A == B || (A && B && A->GetSourceRVData() == B->GetSourceRVData());
}

bool DoItemPosToLinear(TCustomRVData* RVData, TCustomRVData* Target, int LB, int& Pos, int& LBCount, int Offset,
                       int ItemNo) {
  if (SameDoc(RVData, Target)) {
    const int n = std::clamp(ItemNo, 0, RVData->ItemCount());
    for (int i = 0; i < n; ++i) {
      int len = 0, lbs = 0;
      GetItemLinearLength(RVData, i, len, lbs, LB);
      Pos += len;
      LBCount += lbs;
    }
    if (n >= RVData->ItemCount()) return true;
    const bool newLine = RVData->IsFromNewLine(n);
    if (IsTextItem(RVData, n)) {
      if (newLine) {
        Pos += LB;
        ++LBCount;
      }
      // An empty item that still takes a caret stop has offsets 1 and 2 but no characters.
      Pos += std::clamp(Offset - 1, 0, TextLengthOf(RVData, n));
    } else if (Offset > 0) {
      int len = 0, lbs = 0;
      GetItemLinearLength(RVData, n, len, lbs, LB);
      Pos += len;
      LBCount += lbs;
    } else if (newLine) {
      Pos += LB;
      ++LBCount;
    }
    return true;
  }
  for (int i = 0; i < RVData->ItemCount(); ++i) {
    if (RVItemHasLinearSubDocs(RVData, i)) {
      if (!RVData->GetItem(i)->GetSameAsPrev()) {
        Pos += LB;
        ++LBCount;
      }
      for (TCustomRVData* d : SubDocsOf(RVData, i))
        if (DoItemPosToLinear(d, Target, LB, Pos, LBCount, Offset, ItemNo)) return true;
      Pos += LB;
      ++LBCount;
    } else {
      int len = 0, lbs = 0;
      GetItemLinearLength(RVData, i, len, lbs, LB);
      Pos += len;
      LBCount += lbs;
    }
  }
  return false;
}

// Walks the linear text and collects the characters of a range.
class TLinearTextWalker {
 public:
  TLinearTextWalker(int Start, int Length, int LB)
      : FCounter(std::max(Start, 0)), FLength(Length), FLB(LB), FBreak(RVLinearLineBreakText(LB)) {
    Begin();
  }
  bool Done() const { return FDone; }
  TRVUnicodeString& Text() { return FText; }

  void LineBreak() {
    if (FDone) return;
    FCounter -= FLB;
    if (!FCollecting) {
      Begin();
      return;
    }
    FText += FBreak;
    if (FCounter < 1) FDone = true;
  }

  void Chars(const WideChar* S, int N) {
    if (FDone || N <= 0) return;
    if (!FCollecting) {
      if (N <= FCounter) {
        FCounter -= N;
        Begin();
        return;
      }
      S += FCounter;
      N -= FCounter;
      FCounter = 0;
      Begin();
    }
    const int take = std::min(N, FCounter);
    FText.append(S, static_cast<size_t>(take));
    FCounter -= take;
    if (FCounter < 1) FDone = true;
  }

  void Walk(TCustomRVData* RVData, bool Top) {
    for (int i = 0; i < RVData->ItemCount() && !FDone; ++i) {
      if (!(Top && i == 0) && RVData->IsFromNewLine(i)) LineBreak();
      if (RVItemHasLinearSubDocs(RVData, i)) {
        for (TCustomRVData* d : SubDocsOf(RVData, i)) {
          if (FDone) break;
          LineBreak();
          Walk(d, true);
        }
        LineBreak();
      } else if (IsTextItem(RVData, i)) {
        const TRVUnicodeString& s = RVData->GetItemTextW(i);
        Chars(s.data(), static_cast<int>(s.size()));
      } else {
        const WideChar c = RVData->GetItem(i)->StyleNo == ItemKindTab ? u'\t' : NonTextItemChar;
        Chars(&c, 1);
      }
    }
  }

 private:
  void Begin() {
    if (!FCollecting && FCounter < 1) {
      FCollecting = true;
      FCounter = FLength < 1 ? INT_MAX : FLength;
    }
  }

  int FCounter;
  int FLength;
  int FLB;
  TRVUnicodeString FBreak;
  TRVUnicodeString FText;
  bool FCollecting = false;
  bool FDone = false;
};

}  // namespace

TRVUnicodeString RVLinearLineBreakText(int LB) {
  if (LB <= 0) return {};
  if (LB == 1) return u"\r";
  return u"\r\n";
}

bool RVItemHasLinearSubDocs(TCustomRVData* RVData, int ItemNo) {
  std::unique_ptr<TRVStoreSubRVData> state;
  return RVData->GetItem(ItemNo)->GetSubRVData(state, rvdFirst) != nullptr;
}

void GetLinearLength(TCustomRVData* RVData, int& Length, int& LBCount, int LB) {
  LB = RVLinearLB(LB);
  Length = 0;
  LBCount = 0;
  for (int i = 0; i < RVData->ItemCount(); ++i) {
    int len = 0, lbs = 0;
    GetItemLinearLength(RVData, i, len, lbs, LB);
    Length += len;
    LBCount += lbs;
  }
}

void GetItemLinearLength(TCustomRVData* RVData, int ItemNo, int& Length, int& LBCount, int LB) {
  LB = RVLinearLB(LB);
  Length = 0;
  LBCount = 0;
  if (RVData->IsFromNewLine(ItemNo)) {
    Length += LB;
    ++LBCount;
  }
  if (IsTextItem(RVData, ItemNo)) {
    Length += TextLengthOf(RVData, ItemNo);
  } else if (RVItemHasLinearSubDocs(RVData, ItemNo)) {
    for (TCustomRVData* d : SubDocsOf(RVData, ItemNo)) {
      int len = 0, lbs = 0;
      GetLinearLength(d, len, lbs, LB);
      Length += len;
      LBCount += lbs;
    }
    Length += LB;
    ++LBCount;
  } else {
    Length += 1;
  }
}

bool ItemPosToLinear(TCustomRVData* RVData, TCustomRVData* TargetRVData, int LB, int& Pos, int Offset, int ItemNo) {
  Pos = 0;
  int lbs = 0;
  if (!RVData || !TargetRVData) return false;
  return DoItemPosToLinear(RVData, TargetRVData, RVLinearLB(LB), Pos, lbs, Offset, ItemNo);
}

namespace {

bool DoLinearToItemPos(TCustomRVData* RVData, int& Pos, int LB, int& Offset, int& ItemNo,
                       TCustomRVData*& TargetRVData) {
  for (int i = 0; i < RVData->ItemCount(); ++i) {
    const bool newLine = i > 0 && !RVData->GetItem(i)->GetSameAsPrev();
    if (RVItemHasLinearSubDocs(RVData, i)) {
      if (newLine) Pos -= LB;
      if (Pos == 0) {
        TargetRVData = RVData;
        ItemNo = i;
        Offset = 0;
        return true;
      }
      for (TCustomRVData* d : SubDocsOf(RVData, i)) {
        Pos -= LB;
        if (DoLinearToItemPos(d, Pos, LB, Offset, ItemNo, TargetRVData)) return true;
      }
      Pos -= LB;
      if (Pos == 0) {
        TargetRVData = RVData;
        ItemNo = i;
        Offset = 1;
        return true;
      }
      continue;
    }
    int len = 0, lbs = 0;
    GetItemLinearLength(RVData, i, len, lbs, LB);
    if (i == 0 && RVData->IsFromNewLine(0)) len -= LB;
    if (len < Pos) {
      Pos -= len;
      continue;
    }
    if (newLine) Pos -= LB;
    const int offs = IsTextItem(RVData, i) ? Pos + 1 : Pos;
    Offset = std::clamp(offs, RVData->GetOffsBeforeItem(i), RVData->GetOffsAfterItem(i));
    ItemNo = i;
    TargetRVData = RVData;
    return true;
  }
  return false;
}

}  // namespace

bool LinearToItemPos(TCustomRVData* RVData, int& Pos, int LB, int& Offset, int& ItemNo, TCustomRVData*& TargetRVData) {
  // A negative offset lies before the text; inside the walk a position between the two
  // characters of a line break goes negative and is clamped to the next item's start.
  if (!RVData || Pos < 0) return false;
  return DoLinearToItemPos(RVData, Pos, RVLinearLB(LB), Offset, ItemNo, TargetRVData);
}

TRVUnicodeString GetLinearTextOfData(TCustomRVData* RVData, int Start, int Length, int LB) {
  if (Length == 0 || !RVData) return {};
  TLinearTextWalker walker(Start, Length, RVLinearLB(LB));
  walker.Walk(RVData, true);
  return std::move(walker.Text());
}

int GetLinearTextLengthOfData(TCustomRVData* RVData, int LB) {
  LB = RVLinearLB(LB);
  if (!RVData || RVData->ItemCount() == 0) return 0;
  const int last = RVData->ItemCount() - 1;
  int pos = 0;
  ItemPosToLinear(RVData, RVData, LB, pos, RVData->GetOffsAfterItem(last), last);
  return pos - LB;
}
