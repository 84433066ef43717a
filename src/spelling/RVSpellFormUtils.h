// Making and filling the spelling dialog for a rejected word, and the plain text of an editor.
#pragma once

#include "engine/foundation/RVTypes.h"
#include "spelling/RVHunSpell.h"

class TFontInfo;
class TCustomViroZereEdit;

// Makes the dialog of the style into Form unless Form holds one already: the word-in-context
// dialog for rvhfMSWord, the classic dialog otherwise, with no suggestions and no word. The
// dialog has no owner: the caller frees it.
void CreateSpellForm(TRVHunSpellFormStyle Style, TfrmRVCustomSpell*& Form);

// Shows a word in the dialog: AWord, found at 1-based positions S (first) to E (after the last
// character) of the item's text AText, in the item's text style; the first suggestion selected.
void FillSpellForm(const TRVUnicodeString& AWord, const TRVUnicodeString& AText, int S, int E, TFontInfo* Style,
                   TfrmRVCustomSpell* Form);

// The plain text of an editor's whole document, paragraphs separated by CR LF.
TRVUnicodeString GetEditorPlainText(TCustomViroZereEdit* Editor);
