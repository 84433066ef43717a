// The word enumerator: walks the words of an editor's document in reading order, descending into
// the documents that items hold and climbing out of them again, and calls ProcessWord for every
// word. ProcessWord may replace the word or the whole text of its item; the replacement is made
// as an ordinary, undoable edit of the editor, and the walk goes on behind it.
//
// A word is a maximal run of characters that are not delimiters: tab, the characters of the
// document's delimiter string and "&" are delimiters; an apostrophe (U+0027, U+0092, U+2019)
// belongs to the word only between two characters that are neither delimiters nor "&".
#pragma once

#include <cstdint>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Persistent.h"
#include "spelling/RVHunSpell.h"

class TCustomRVData;
class TCustomRVItemInfo;
class TCustomViroZereEdit;
class TFontInfo;

class TRVWordEnumerator : public TPersistent {
 public:
  TRVWordEnumerator();
  ~TRVWordEnumerator() override;

  // Walks the words of Editor's document, from its caret or from its start.
  void Run(TCustomViroZereEdit* Editor, TRVEnumScope Scope);
  // Selects the current word in the editor (opening the document that holds it for editing) and
  // shows it.
  void SelectCurrentWord();

  bool GetWorking() const { return FWorking; }
  bool GetDialogShown() const { return FDialogShown; }

  // Whether character Index (0-based) of Text ends or separates words in RVData.
  static bool IsWordDelimiter(TCustomRVData* RVData, const TRVUnicodeString& Text, std::size_t Index);

 protected:
  // Called for each word with the fields below filled in; false stops the walk.
  virtual bool ProcessWord();
  // Whether the words of the text item ItemNo of RVData are visited: not for the symbol character
  // set, nor for hidden text while the document does not show it.
  virtual bool AllowItem(TCustomRVData* RVData, int ItemNo);

  TCustomViroZereEdit* FEditor = nullptr;
  bool FWorking = false;
  int FCounter = 0;
  bool FDialogShown = false;
  TCustomRVData* FRVData = nullptr;
  int FItemNo = -1;
  // The word's first character and the position just behind it (1-based positions of the item).
  int FStartOffs = 0, FEndOffs = 0;
  TRVUnicodeString FWord;
  TRVUnicodeString FText;
  TFontInfo* FFontStyle = nullptr;
  bool FWordChanged = false;
  bool FTextChanged = false;
  int FCounterMax = 500;

 private:
  // Each answers false when the walk stops.
  bool Walk(TCustomRVData* D, int ItemNo, int Pos);
  bool VisitItems(TCustomRVData* D, int FromItemNo);
  bool VisitSubDocuments(TCustomRVItemInfo* Item, TCustomRVData* After);
  // ItemNo may move when a change altered the number of items.
  bool VisitWords(TCustomRVData* D, int& ItemNo, int Pos);
  // Replaces From..To (1-based, To exclusive) of item ItemNo of D by Text through the editor;
  // false when the editor could not make the change there.
  bool ReplaceInEditor(TCustomRVData* D, int ItemNo, int From, int To, const TRVUnicodeString& Text);
  bool CanDescendInto(TCustomRVData* D, int ItemNo);
};
