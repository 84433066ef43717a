// The document data of an editor: the viewer's root data plus the caret (a draw item and a stop
// on the caret's visual line), the current text and paragraph styles that new text takes, the
// current tag, the undo and redo lists with the switch that tells every primitive edit where to
// record, and the self-drawn caret. Every change an editor makes goes through this class: the
// editor control checks that a change is allowed, opens an undo step here, calls the primitive
// edits (the Do_ family) and reformats what the primitives say needs it.
//
// The members are defined in units of their own: the data's life cycle and undo brackets
// (RVEditRVData.cpp), the primitive edits (RVEditPrimitives.cpp), reformatting after edits
// (RVEditReformat.cpp), the caret line and placement (RVEditCaret.cpp) and the caret services
// (RVEditCaretServices.cpp).
#pragma once

#include <climits>
#include <memory>
#include <vector>

#include "engine/editor/RVItemResizer.h"
#include "engine/editor/RVUndo.h"
#include "engine/viewer/RVIntProperty.h"
#include "engine/viewer/RVRootData.h"

class TCustomViroZereEdit;
class TRVItemList;
class TRVStyleTemplateCollection;
class TGraphic;
class TBitmap;
class TRVMemoryStream;
class TRVUndoInsertItemsInfo;
class TRVUndoModifyItemProps;
// Makes an empty property record of one class (the primitives' class reference).
using TRVUndoModifyItemPropsClass = TRVUndoModifyItemProps* (*)();
class TStringList;
struct TRVTextJoin;

// What a style conversion does; passed on to items that hold documents (as an int).
enum TRVEStyleConversionType : std::uint8_t {
  rvscParaStyle, rvscTextStyle, rvscParaStyleConversion, rvscTextStyleConversion, rvscParaStyleTemplateReset,
  rvscParaStyleTemplateNoReset, rvscTextStyleTemplateReset, rvscTextStyleTemplateNoReset
};

// What a list application does to the paragraphs of the selection.
enum TRVParaListOperation : std::uint8_t { rvplopChange, rvplopRemove, rvplopLevel };

// The tag of an item: a string.
using TRVTag = TRVUnicodeString;

// One caret stop: where the caret can stand on the caret's line. Offset is 1 .. length + 1 in a
// text draw item (the caret stands before that character), 0 before and 1 after any other draw
// item; -1 unset.
class TRVCharPos : public TObject {
 public:
  void Assign(const TRVCharPos& Source) {
    X = Source.X;
    DrawItemNo = Source.DrawItemNo;
    Offset = Source.Offset;
  }
  int X = 0;
  int DrawItemNo = -1;
  int Offset = -1;
};

// The caret stops of one visual line, in logical order (owned).
class TRVCharPosCollection : public TRVList {
 public:
  TRVCharPos* GetItem(int Index) const { return static_cast<TRVCharPos*>(Get(Index)); }
  TRVCharPos* AddPos() {
    auto* P = new TRVCharPos;
    Add(P);
    return P;
  }
};

// Editing properties that belong to a root document and are shared by all its sub-documents.
class TRVEditRootProperties : public TCustomRVDataProperties {
 public:
  TRVEditRootProperties() = default;
  std::int64_t AltCode = -1;       // the code being typed with Alt and the keypad; -1 none
  int CustomCaretInterval = 0;     // blink interval of the self-drawn caret; 0: the system caret
};

// Handler lists that other components (rulers, actions) register on the root editor.
class TRVEditRootEvents : public TCustomRVDataEvents {
 public:
  TRVEditRootEvents() = default;
  void ExecuteCaretMove(TObject* Sender) const;
  void ExecuteCurParaStyleChange(TObject* Sender) const;
  void ExecuteCurTextStyleChange(TObject* Sender) const;
  std::unique_ptr<TRVEventHandlerList> CurTextStyleChangeHandlers, CurParaStyleChangeHandlers, CaretMoveHandlers;
};

class TRVEditRVData : public TViroZereRVData {
 public:
  explicit TRVEditRVData(TRVRootDataViewer* AViroZere);
  ~TRVEditRVData() override;

  // The editor control that owns the data; nil when the data belongs to another kind of viewer.
  TCustomViroZereEdit* GetEditor() const { return FEditor; }
  // Set by the editor control once it is built (the data is made while its base is built).
  void SetEditor(TCustomViroZereEdit* AEditor) { FEditor = AEditor; }

  // ==== life cycle and undo brackets (RVEditRVData.cpp) ====
  void Clear() override;
  void ClearTemporal() override;
  void StartPartialFormatting() override;
  // An empty document gets one empty text item of the current styles and is formatted; the
  // caret goes before it.
  void PrepareForEdit();
  // The list primitives record into: the undo list (unless its Limit is 0), the redo list, or nil.
  TRVUndoList* GetUndoList();
  void BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize);
  void BeginNamedUndoSequence(TRVUndoType UndoType, const TRVUnicodeString& Caption, bool AllowFinalize);
  void BeginRedoSequence(TRVUndoType UndoType, const TRVUnicodeString& Caption);
  void EndUndoSequence();
  void SetUndoGroupMode(bool GroupUndo);
  void BeginUndoGroup2(TRVUndoType UndoType);
  void EndUndoGroup2(TRVUndoType UndoType);
  void BeginRedoGroup2(TRVUndoType UndoType);
  void EndRedoGroup2(TRVUndoType UndoType);
  void FinalizeUndoGroup();
  // Hyperlink rectangles while Ctrl is held; the number of hyperlinks numbered.
  int BuildJumpsInfo(bool IgnoreReadOnly);
  void ClearJumpsInfo();

  // ==== primitive edits with undo (RVEditPrimitives.cpp) ====
  // Items and their text.
  void Do_InsertItem(int ItemNo, TRVUnicodeString& Text, TCustomRVItemInfo* Item, bool FromUndo, bool& FullReformat);
  void Do_InsertItems(int ItemNo, TRVItemList* List, bool FromUndo, bool& FullReformat);
  TRVUndoInsertItemsInfo* Do_InsertItems_1(int ItemNo, int Count);
  void Do_InsertItems_2(int ItemNo, int Count, TRVUndoInsertItemsInfo* UndoInfo, bool& FullReformat);
  void Do_DeleteItem(int ItemNo, bool& FullReformat);
  void Do_DeleteItems(int StartItemNo, int EndItemNo, bool& FullReformat);
  void Do_ReplaceItem(int ItemNo, TCustomRVItemInfo* NewItem);
  void Do_ModifyItem(int ItemNo, const TRVUnicodeString& Text, TCustomRVItemInfo* NewItem);
  void Do_InsertSubstring(int ItemNo, int Index, const TRVUnicodeString& S);
  void Do_DeleteSubstring(int ItemNo, int Index, int Length);
  void Do_ChangeText(int ItemNo, const TRVUnicodeString& S);
  void Do_Concate(int ItemNo);
  // Paragraph properties of items.
  void Do_NewLine(int ItemNo, bool SameAsPrev, int ParaNo, bool& FullReformat);
  void Do_BR(int ItemNo, bool BR, bool& FullReformat);
  void Do_PageBreak(int ItemNo, bool PageBreak);
  void Do_ClearTextFlow(int ItemNo, bool ClearLeft, bool ClearRight);
  bool Do_Para(int FirstItemNo, int EndItemNo, int ParaNo, bool& FullReformat);
  bool Do_ParaList(int StartItemNo, TRVIntegerList* ParaList, bool& FullReformat);
  // Styles of items and of the style sheet.
  void Do_StyleNo(int ItemNo, int StyleNo);
  void Do_AssociatedTextStyleNo(int ItemNo, int TextStyleNo);
  void ModifyStyleNoByTemplate(TCustomRVItemInfo* Item, int NewStyleNo) override;
  void Do_ChangeAllParas(TRVIntegerList* ParaMapList, TCustomRVData* SubDoc, TRVUndoList* List,
                         TRVIntegerList* NewIndices);
  void Do_ChangeAllTextStyles(TRVIntegerList* StyleMapList, TCustomRVData* SubDoc, TRVUndoList* List,
                              TRVIntegerList* NewIndices);
  void Do_RememberStyles(TCustomRVData* SubDoc, TRVUndoList* List);
  bool Do_ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates);
  // Item properties.
  void Do_Tag(int ItemNo, const TRVTag& Tag, bool AssignAsIs);
  void Do_ExtraIntProperty(int ItemNo, int Prop, int Value, TRVReformatType ReformatType);
  void Do_ExtraStrProperty(int ItemNo, int Prop, const TRVUnicodeString& Value, TRVReformatType ReformatType);
  // Published properties of the item (SubObject nil) or of an object inside it, read and written
  // through the type information; the record made (nil when nothing changed or nothing records).
  TRVUndoModifyItemProps* Do_ModifyItemIntProperty(int ItemNo, TObject* SubObject, const TRVUnicodeString& PropertyName,
                                                   int Value, bool AffectSize, bool AffectWidth,
                                                   TRVUndoModifyItemPropsClass UndoInfoClass);
  TRVUndoModifyItemProps* Do_ModifyItemStrProperty(int ItemNo, TObject* SubObject, const TRVUnicodeString& PropertyName,
                                                   const TRVUnicodeString& Value,
                                                   TRVUndoModifyItemPropsClass UndoInfoClass);
  // PropList: one "name=value" line per property with its new value.
  TRVUndoModifyItemProps* Do_ModifyItemIntProperties(int ItemNo, TObject* SubObject, TStringList* PropList,
                                                     bool AffectSize, bool AffectWidth,
                                                     TRVUndoModifyItemPropsClass UndoInfoClass);
  void Do_ItemModifyTerminator(int ItemNo, bool Opening);
  void Do_ChangeVAlign(int ItemNo, TRVVAlign VAlign);
  void Do_Resize(int ItemNo, int Width, int Height, bool Reformat);
  void Do_SetIntProperty(TRVIntProperty Prop, int Value);
  void Do_SetBackgroundImage(TGraphic* Graphic);
  // Checkpoints.
  void Do_AddCP(int ItemNo, TRVCPInfo* Checkpoint);
  void Do_DeleteCP(int ItemNo);
  void Do_MoveCP(int FromItemNo, int ToItemNo);
  // Text items made for edits.
  TCustomRVItemInfo* CreateTextItem(const TRVTag& Tag, int ParaNo, bool BR, bool SameAsPrev, int StyleNo);
  TCustomRVItemInfo* CreateTextItemLike(const TRVTag& Tag, TCustomRVItemInfo* Source, bool BR, bool SameAsPrev);
  TCustomRVItemInfo* CreateSplitTextItem(TCustomRVItemInfo* Source);
  TCustomRVItemInfo* InsertNewTextItem(const TRVUnicodeString& Text, int ItemNo, bool& FullReformat, bool BR,
                                       bool SameAsPrev, int StyleNo, int ParaNo, const TRVTag& Tag);
  TCustomRVItemInfo* InsertNewTextItemLike(const TRVUnicodeString& Text, int ItemNo, bool& FullReformat, bool BR,
                                           bool SameAsPrev, TCustomRVItemInfo* Source, const TRVTag& Tag);
  TCustomRVItemInfo* InsertEmptyTextItem(int ItemNo, const TRVTag& Tag, bool BR, bool SameAsPrev, int StyleNo,
                                         int ParaNo);
  // Sub-documents and ranges.
  void Do_ChangeSubDoc(TRVMemoryStream* Stream, TCustomRVData* SubDoc);
  void RememberSubDoc(TRVMemoryStream* Stream, TCustomRVData* SubDoc);
  void Do_ReformateRange(int StartNo, int EndNo, bool SuperReformat);
  // The width rule: a change from minimum width W0 to W1 needs a full reformat.
  bool WidthRuleRequiresFull(int W0, int W1) const {
    return W0 != W1 && (DocumentWidth < W1 || W0 >= DocumentWidth);
  }

  // ==== reformatting after edits (RVEditReformat.cpp) ====
  bool Format_(bool OnlyResized, bool ForceFormat, bool NoScroll, int depth, TCanvas* Canvas, bool OnlyTail,
               bool NoCaching, bool Reformatting, bool CallOnFormat, bool AbsRotation) override;
  void Reformat(bool FullFormat, bool ForceFormat, bool NoScroll, int ItemNo, bool AUpdateView,
                bool ThisLevelOnly = false);
  void ReformatEx(bool FullFormat, bool ForceFormat, bool NoScroll, int ItemNo, bool AUpdateView, int SelStartNo,
                  int SelStartOffs, int SelEndNo, int SelEndOffs, bool ThisLevelOnly = false);
  void BeginItemModify(int ItemNo, int& ModifyData);
  void EndItemModify(int ItemNo, int ModifyData);
  void EndItemModifyEx(int ItemNo, int ModifyData, int SelStartNo, int SelStartOffs, int SelEndNo, int SelEndOffs);
  void Change() { ChangeEx(true); }
  void ChangeEx(bool ClearRedo);
  void DoAfterFormatAndCaretPositioning(bool UpdateControl);
  void PrepareForUpdateRangeAfterMarkersOrSeq(int StartNo, int EndNo, bool ForDeletion, int& FirstItemNo,
                                              int& LastMarkerIndex, int& LastSeqIndex,
                                              std::unique_ptr<TRVIntegerList>& ListNos,
                                              std::unique_ptr<TStringList>& SeqNames);
  void UpdateAfterMarkersOrSeq(int FirstItemNo, int LastMarkerIndex, int LastSeqIndex, TRVIntegerList* ListNos,
                               TStringList* SeqNames);
  void UpdateRangeAfterMarkersOrSeq(int StartNo, int EndNo);
  bool LoadFormattingFromStream(TStream* Stream) override;

  // ==== caret line and caret placement (RVEditCaret.cpp) ====
  // Rebuilds CharEnds for the line of CaretDrawItemNo and chooses the stop of draw-item offset
  // DLOffs (the caret's offset inside its draw item minus 2).
  void OnChangeCaretLine(int DLOffs);
  void ChangeCaret(bool ForceCreate, bool ScrollToCaret, bool DontChangeStyle, bool RefreshBefore);
  bool IsCharOffsAtTheLineEndAndItemEnd(int Offs);
  bool IsCharOffsAtTheLineStartAndItemStart(int Offs);

  // ==== caret and selection services (RVEditCaretServices.cpp) ====
  int GetCurItemNo();
  int GetOffsetInCurItem();
  // The caret as an item and offset / set from one (the line's stops rebuilt).
  void CaretToItem(int& ItemNo, int& ItemOffs);
  void SetCaretAtItem(int ItemNo, int ItemOffs);
  void GetSelStart(int& DINo, int& DIOffs) override;
  void GetSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize) override;
  void GetSelectionBoundsEx(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs,
                            bool Normalize) override;
  bool NotFormatted() const;
  bool AllowChanging() override;
  bool IsCaretAtLineStart() const { return CaretOffs == 0; }
  bool IsCaretAtLineEnd() const { return CaretOffs == CharEnds.Count() - 1; }
  bool IsCaretOnLastLine();
  bool IsCaretAtTheBeginningOfParaSection(bool ParaStart);
  bool IsCaretAtTheEndOfParaSection(bool ParaEnd);
  int CharEndsItemOffs(int Index);
  void StartShiftMoving();
  void EndShiftMoving();
  void DoOnSelection(bool AllowScrolling) override;
  int GetUpDownMovingX();
  void SetUpDownMovingX(int X);
  void ResetUpDownMovingX();
  bool ItemHasPersistentCheckpoint(int ItemNo);
  bool ParaHasPersistentCheckpoint(int ItemNo);
  bool MovePersistentCheckpoint(int ItemNo, bool PreferPrevious);
  void ActivateCustomCaretTimer();
  void DeactivateCustomCaretTimer();
  void ResetCaretBlinking() override;
  void DrawCustomCaret();
  // Draws the self-drawn caret now (the phase unchanged), saving the pixels under it.
  void DrawCustomCaretNow();
  void ClearCustomCaret();
  void PaintBuffered() override;
  TRVDragDropCaretInfo* GetDragDropCaretInfo() override;
  void CreateDragDropCaretInfo();
  void ReleaseDragDropCaretInfo();
  TPoint GetIMEWinCoord();
  TRVEditRootEvents* GetRootEditEvents();
  TRVEditRootProperties* GetRootEditProperties();
  bool GetForceFieldHighlight() override;
  bool IsSticking(int FirstItemNo, bool NoSound) override;
  void EnsureEmptyParagraph(int FirstItemNo, int LastItemNo, bool Partial) override;
  void ChosenItemChanging(TCustomRVItemInfo* NewItem) override;
  void SetPartialSelectedItem(TCustomRVItemInfo* Item) override;
  void AfterVScroll() override {}

  // ==== inserting an item at the caret (RVEditInsert.cpp) ====
  // Puts Item (named or holding Text) at the caret. The data takes Item in every case: it is
  // inserted, merged away, or freed when the insertion is refused (false, after a beep).
  bool InsertSomething(TCustomRVItemInfo* Item, TRVUnicodeString& Text, TRVUnicodeString& SplitText, bool TakeTag,
                       bool CaretBefore, bool CallTextEditEvent);
  // The placement step: decides where Item goes, splits the caret's text item when it must, and
  // inserts Item at Pos. On success Item may be nil (a list marker consumed without insertion).
  // On failure Item has been freed and set to nil and nothing has changed; it does not beep, so
  // that a refusal sounds once, from the caller. It neither formats nor moves the caret.
  bool InsertItemAtCaret(TCustomRVItemInfo*& Item, TRVUnicodeString& Text, bool NewPara, bool CallTextEditEvent,
                         bool TakeTag, int& Pos, int& ItemsAdded, bool& FullReformat, int& NewListNo);

  // ==== deleting the selection (RVEditDelete.cpp) ====
  // Whether the selection may be deleted (asks the editor's OnDeleting).
  bool CanDelete();
  // Deletes the selection as one step; true when nothing had to be deleted or it was done.
  bool DeleteSelection_();
  // True when the whole document was formatted.
  bool Reformat_(bool FullFormat, int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted, bool ThisLevelOnly);

  // ==== the Enter key (RVEditEnter.cpp) ====
  bool OnEnterPress_(bool Shift, bool Recursive);
  int GetNextParaNo(int ParaNo);
  int GetNextStyleNo(int StyleNo, int ParaNo, bool NewLine);
  // Copies the list marker that starts the paragraph of FromItemNo to Index (a recorded insertion
  // when Recorded, else straight into the item list); true when a marker was inserted.
  bool InsertMarkerCopy(int FromItemNo, int Index, bool RequireVisible, bool Recorded, bool& FullReformat);

  // ==== the Delete and Backspace keys (RVEditDeleteKeys.cpp) ====
  bool OnBackSpacePress_(bool Ctrl, bool MultiDelete, bool FromNextLine, int ForceDeleteCount);
  void OnDeletePress_(bool Ctrl, bool MovedFromLineEnd);

  // ==== caret movement keys (RVEditMove.cpp) ====
  // True when the caret stands at the document's edge in that direction and did not move.
  bool OnLeftPress(bool Shift, bool Ctrl);
  bool OnRightPress(bool Shift, bool Ctrl);
  bool OnUpPress(bool Shift, bool Ctrl);
  bool OnDownPress(bool Shift, bool Ctrl);
  bool OnHomePress(bool Shift, bool Ctrl);
  bool OnEndPress(bool Shift, bool Ctrl);
  void OnPgUpPress(bool Shift);
  void OnPgDownPress(bool Shift);
  void MoveCaretToTheBeginningOfThePrevParagraph(bool Select);
  void MoveCaretToTheEndOfTheNextParagraph(bool Select);
  void UpdateSelectionEnd();

  // ==== paragraph style application and the character-code toggle (RVEditParaStyle.cpp) ====
  void ApplyParaStyle(int ParaStyleNo, TRVEStyleConversionType ConvType, bool Recursive, bool CallChange);
  void GetCurrentHexNumberOrChar(TRVUnicodeString& S, int& ItemNo, int& Offs, int MaxLength);
  bool ReplaceCharCode();

  // ==== typing (RVEditTyping.cpp) ====
  void KeyPress(WideChar& Key);
  void InsertTextTyping(const TRVUnicodeString& Text);
  int GetActualCurStyleNo();
  void SetCurTextStyleNo(int Value);
  void SetCurParaStyleNo(int Value);
  int GetCurParaStyleNo() const { return FCurParaStyleNo; }
  void AssignCurTag();
  void ClearCurTag();
  bool StylesCanShareTag(int StyleNo1, int StyleNo2);
  bool DoItemTextEdit(const TRVUnicodeString& OldText, int ItemNo);
  bool DoItemTextEditEx(const TRVUnicodeString& OldText, int ItemNo, TRVUndoType UndoType);
  void DoCurrentTextStyleConversion(int& StyleNo, int ParaStyleNo, int ItemNo, int UserData, bool ToWholeParagraphs);

  // ==== insertion of text and RVF at the caret; page breaks (RVEditInsertText.cpp) ====
  void InsertTextW(const TRVUnicodeString& AText, bool AutoTag, bool CaretBefore);
  void InsertTextA(const TRVAnsiString& AText, bool AutoTag, bool CaretBefore, int CodePage);
  bool InsertTextFromStreamW(TStream* Stream, bool AutoTag);
  bool InsertTextFromStream(TStream* Stream, bool OEM, bool AutoTag, int CodePage);
  bool InsertTextFromFileW(const TRVUnicodeString& FileName, bool AutoTag);
  bool InsertTextFromFile(const TRVUnicodeString& FileName, bool OEM, bool AutoTag, int CodePage);
  bool InsertRVFFromStreamEd_(TStream* Stream);
  // No RTF reader yet: an empty rest of the stream succeeds, anything else answers false.
  bool InsertRTFFromStreamEd_(TStream* Stream);
  void ConcateAfterAdding(int& InsertPoint, int& LastInserted, int& ItemsAdded, int& Offs);
  bool InsertFirstRVFItem(int& Index, TRVUnicodeString& Text, TCustomRVItemInfo*& Item, bool EditFlag,
                          bool& FullReformat, int& NewListNo) override;
  void InsertPageBreak();
  // A search from the editor starts at the caret (at the neighbouring item's edge when the caret
  // stands at its item's edge in the search direction); from the start, or with a smart start and
  // a selection, the viewer's rule applies. The found range becomes the selection, the caret at
  // its active end.
  void SrchStart(bool Down, bool FromStart, bool SmartStart, int& strt, int& Offs) override;
  void SrchSelectIt(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs, bool Invert) override;

  // ==== style, list and style-template application (RVEditStyles.cpp) ====
  // Converts the text styles of the selection (the current text style without one).
  void ApplyStyleConversion_(int UserData, TRVEStyleConversionType ConvType, bool Recursive);
  void ApplyListStyle(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom, bool ARecursive,
                      TRVParaListOperation Operation);
  // The inner loop over the paragraph starts of StartNo..EndNo, from the last: the items added
  // (negative: removed), the range's end and the selection's bounds follow the changes; the lists
  // of variable-width markers met are collected for renumbering what follows.
  void ApplyListStyle_(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom, TRVParaListOperation Operation,
                       int& ItemsAdded, int StartNo, int& EndNo, int& SelStartNo, int& SelStartOffs, int& SelEndNo,
                       int& SelEndOffs, TRVIntegerList* ListNos, int& LastVWMarkerIndex);
  // Gives the text items from StartItemNo on the styles of StyleList (one entry per item; entries
  // of non-text items are ignored), recorded as one record.
  void Do_StyleNoList(int StartItemNo, TRVIntegerList* StyleList);
  // Text items joined (each entry: item ItemNo+1 appended to item ItemNo and removed) or split
  // back (item ItemNo cut at Offs, the tail made from Part), in the order given; one record for all.
  void Do_JoinTextItems(std::vector<TRVTextJoin>& Joins);
  void Do_SplitTextItems(std::vector<TRVTextJoin>& Joins);
  // Beeps unless the root uses style templates. Every style that names a template is derived
  // again from the new collection, equal styles are merged (the documents renumbered), then the
  // collection is replaced; everything is recorded.
  void ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates);
  // True when styles were merged and SubDoc renumbered (recorded on List).
  bool ApplyChangedStyleTemplatesToParagraphs(TRVStyleTemplateCollection* NewStyleTemplates, TCustomRVData* SubDoc,
                                              TRVUndoList* List);
  bool ApplyChangedStyleTemplatesToText(TRVStyleTemplateCollection* NewStyleTemplates, TCustomRVData* SubDoc,
                                        TRVUndoList* List);
  // Raises the current-style change events of the active editor, changed or not.
  void CallStyleChangeEvents();
  // The document's renumbering, and the current styles with it.
  void ChangeParagraphStyles(const TRVIntegerList* ParaMapList, const TRVIntegerList* NewIndices,
                             TRVIntegerList* OldIndices, int& Index) override;
  void ChangeTextStyles(const TRVIntegerList* TextMapList, const TRVIntegerList* NewIndices,
                        TRVIntegerList* OldIndices, int& Index) override;
  // The current styles count as used; after a deletion they are renumbered and the undo lists
  // (which hold old numbers) are cleared.
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data) override;
  void AfterDeleteUnusedStyles(TRVDeleteUnusedStylesData* Data) override;

  // ==== resizing items with the mouse (RVEditResize.cpp) ====
  // Makes the resizer when the selection is exactly one resizable item that may be changed (the
  // old one goes in any case); nothing while the selection is invalid.
  void CreateResizer();
  void DestroyResizer();
  // Makes the resizer again when its draw item is gone or replaced.
  void UpdateResizer();
  TRVItemResizer* GetResizer() const { return FResizer.get(); }
  // The handle at a client point (false without a resizer).
  bool GetResizeHandleAt(int X, int Y, bool ExtraRadius, TRVResizeHandleIndex& Index);
  // A press on a handle starts a resize drag, moves drag the frame and the release applies the
  // size; everything else is the viewer's.
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Cancels an item's own drag or the resize drag; true when something was cancelled.
  bool CancelResize() override;
  void AdjustMouseUpSelection() override;
  TCursor GetNormalCursor() override;
  void DrawItemResizer(TCanvas* Canvas, int XShift, int YShift, bool StrictTop, bool StrictBottom, bool PrintMode,
                       int FirstDItemNo, int LastDItemNo) override;
  // Gives the item a new outer size in pixels (borders included) as one undo step.
  void ResizeItem(int ItemNo, int Width, int Height);
  // Sets the bounds of a control item's control, reformatting around it when asked.
  void ResizeControl(int ItemNo, int NewWidth, int NewHeight, bool Reformat);
  // The drag of a pan gesture: begins on a handle (touch radius), follows the finger, applies the
  // size at the end; false when the gesture is not a resize. X, Y are client coordinates.
  bool ResizeGesture(bool Begin, bool End, bool Inertia, TShiftState Shift, int X, int Y);

 private:
  // Turns a client point into a point of the document.
  void ClientToDocument(int& X, int& Y);
  void StartResizeFrame();
  void StopResizeFrame();

 public:

  // ==== live spelling (RVEditLiveSpell.cpp) ====
  // Live spelling checks the item again from Offs (of this document); ClearPainters first drops
  // the item's marks from the word before Offs on.
  void LaterSetBackLiveSpellingTo(int ItemNo, int Offs, bool ClearPainters);
  // A click or a caret move: when a word of the caret item (of the innermost active editor) was
  // typed into, that item is checked again.
  void LiveSpellingCheckCurrent() override;

  // ==== drag and drop (RVEditDragDrop.cpp) ====
  // A drag of the selection gets the editor's drop source, which may move the selection when it
  // can be deleted; after a move to another place the dragged selection is deleted.
  bool GetDropSource(TObject*& DropSource, DWORD& OkEffects) override;
  void ReleaseDropSource(bool Moved) override;
  using TViroZereRVData::ReleaseDropSource;
  std::unique_ptr<TObject> FDragSource;  // the drop source while a drag runs (the root's)

  // ==== fields ====
  int FPrevTextStyleNo = 0;
  TRVTag FCurTag;
  int FCurTagStyleNo = -1;
  std::unique_ptr<TRVItemResizer> FResizer;  // the resize handles of the selected object
  TObject* ResizingControl = nullptr;
  int FUpDownMovingX = INT_MAX;  // meaningful in the absolute root data
  std::unique_ptr<TRVEditRootEvents> FRootEditEvents;
  std::unique_ptr<TRVEditRootProperties> FRootEditProperties;
  bool FCaretPosAdjustable = false;
  bool FCustomCaretActive = false, FCustomCaretVisible = false;
  TRect FCustomCaretRect{};
  TPoint FCustomCaretOldPos{};
  std::unique_ptr<TBitmap> FCustomCaretBack;
  std::unique_ptr<TRVDragDropCaretInfo> FDragDropCaretInfo;
  int FDragDropCaretRefCount = 0;
  int FCurTextStyleNo = 0;
  int FCurParaStyleNo = 0;
  std::unique_ptr<TRVUndoList> UndoList;
  std::unique_ptr<TRVRedoList> RedoList;
  TRVUndoDest UndoDest = udNone;
  int CaretDrawItemNo = -1;
  int CaretOffs = -1;
  TRVCharPosCollection CharEnds;
  int CaretHeight = 0;

 private:
  TCustomViroZereEdit* FEditor = nullptr;
};
