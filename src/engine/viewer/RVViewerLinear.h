// Linear character positions of a viewer's document: the selection read and set as linear
// offsets, saved and restored around an operation that rebuilds the document, and the linear text
// of a range. The flat text and the conversions themselves are in engine/layout/RVLinear.h.
//
// Reading and setting the caret as a linear offset needs the editor's caret and belongs to the
// editor.
#pragma once

#include "engine/layout/RVLinear.h"

class TCustomViroZere;

// The selection of the innermost chosen document as a linear start and length (negative for a
// selection made backwards); both 0 without a selection.
void GetLinearSelection(TCustomViroZere* Viewer, int& SelStart, int& SelLength, int LB);
// Selects from SelStart to SelStart + SelLength (backwards for a negative length) and repaints;
// nothing happens (false) when either end falls outside the text or the two ends lie in different
// documents (two cells, or a cell and the text around its table).
bool SetLinearSelection(TCustomViroZere* Viewer, int SelStart, int SelLength, int LB);
void StoreLinearSelection(TCustomViroZere* Viewer, TRVLinearSelection& Selection, int LB);
void RestoreLinearSelection(TCustomViroZere* Viewer, const TRVLinearSelection& Selection, int LB);
// The linear text from Start, at most Length characters (Length < 1: to the end).
TRVUnicodeString GetLinearText(TCustomViroZere* Viewer, int Start, int Length, int LB);
int GetLinearTextLength(TCustomViroZere* Viewer, int LB);
