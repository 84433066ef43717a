// Linear character positions: a document tree read as one flat text, items in order with a line
// break before every item that starts a line (except the very first one of the top document),
// text items as their text, other items as one character (TAB for a tab, a space otherwise), and
// an item that holds sub-documents (a table) as a line break, then for each sub-document a line
// break and its text, and a closing line break. Interfaces that know only a flat string (the
// edit-control messages, find and replace, the spelling dialog) address the document through
// these conversions.
//
// LB is the number of characters one line break counts: 0 (paragraphs run together), 1 ("\r") or
// more ("\r\n"); a negative LB means DefaultLineBreakLength.
//
// These work on any document (they need neither formatting nor a control), which is why they sit
// in the layout library rather than in the viewer's: table cells, notes and printable copies are
// addressed the same way.
#pragma once

#include "engine/document/CustomRVData.h"

constexpr int DefaultLineBreakLength = 2;
// The character that stands for an object item that is not a tab.
constexpr WideChar NonTextItemChar = u' ';

// A selection saved as linear offsets around an operation that rebuilds the document. With
// MultiCell, a table's cell range was selected (StartRow, StartCol, RowOffs, ColOffs, as the table
// reports it) and SelStart is the position before the table.
struct TRVLinearSelection {
  int SelStart = 0;
  int SelLength = 0;
  bool MultiCell = false;
  int StartRow = 0, StartCol = 0, RowOffs = 0, ColOffs = 0;
};

// LB with a negative value replaced by the default.
inline int RVLinearLB(int LB) { return LB < 0 ? DefaultLineBreakLength : LB; }
// The characters of one line break: empty for 0, "\r" for 1, "\r\n" for more.
TRVUnicodeString RVLinearLineBreakText(int LB);
// Whether the item holds sub-documents that the linear text enters (its enumeration yields one).
bool RVItemHasLinearSubDocs(TCustomRVData* RVData, int ItemNo);

// The linear length of a whole document (its first item's line break included) and the number of
// line breaks in it.
void GetLinearLength(TCustomRVData* RVData, int& Length, int& LBCount, int LB);
// One item's share: LB when it starts a line, plus its text length, 1 for an object, or for an
// item with sub-documents the length of each sub-document and one closing line break.
void GetItemLinearLength(TCustomRVData* RVData, int ItemNo, int& Length, int& LBCount, int LB);
// The linear offset of (TargetRVData, ItemNo, Offset) inside RVData, counted with RVData's first
// line break (callers subtract one LB). False when TargetRVData is not under RVData.
bool ItemPosToLinear(TCustomRVData* RVData, TCustomRVData* TargetRVData, int LB, int& Pos, int Offset, int ItemNo);
// The position that linear offset Pos of RVData (without its first line break) names. Pos is
// consumed while items are passed. False when Pos falls outside RVData's linear text.
bool LinearToItemPos(TCustomRVData* RVData, int& Pos, int LB, int& Offset, int& ItemNo, TCustomRVData*& TargetRVData);
// The linear text of RVData from Start, at most Length characters (Length < 1: to the end). A
// range that ends inside a line break receives the whole break; a start inside one skips it.
TRVUnicodeString GetLinearTextOfData(TCustomRVData* RVData, int Start, int Length, int LB);
// The linear length of RVData without its first line break (0 for a document without items).
int GetLinearTextLengthOfData(TCustomRVData* RVData, int LB);
