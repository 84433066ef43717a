// The editor control: the scrolling viewer whose document data is an editor data. This unit holds
// the control's state that the editor data reads and writes (the current styles and their change
// events, the modified flag, read-only mode, the editor options, the undo limit, the caret events
// and the change notification); the editing operations, keys, clipboard and drag and drop of the
// control build on it.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/document/RVBreakItem.h"
#include "engine/editor/RVEditDragDrop.h"
#include "engine/editor/RVEditRVData.h"
#include "engine/editor/RVSmartPopup.h"
#include "engine/foundation/RVSearchOptions.h"
#include "engine/viewer/RVViroZere.h"

// Options of the editor control (bit n of the set is value n).
enum TRVEditorOption : std::uint8_t {
  rvoClearTagOnStyleApp, rvoCtrlJumps, rvoDoNotWantReturns, rvoDoNotWantShiftReturns, rvoWantTabs,
  rvoAutoSwitchLang, rvoHideReadOnlyCaret, rvoNoImageResize, rvoNoCaretHighlightJumps, rvoNoReadOnlyJumps,
  rvoDragDropPicturesFromLinks, rvoAlt0CodesUseKeyboardCodepage
};
using TRVEditorOptions = TSet<TRVEditorOption, 16>;
inline const TRVEditorOptions RVDefaultEditorOptions{rvoCtrlJumps, rvoWantTabs};

// Formats the editor takes from a drop or the clipboard (bit n of the set is value n).
enum TRVDragDropFormat : std::uint8_t {
  rvddRVF, rvddRTF, rvddText, rvddUnicodeText, rvddBitmap, rvddMetafile, rvddURL, rvddFiles, rvddHTML
};
using TRVDragDropFormats = TSet<TRVDragDropFormat, 16>;

// Where the caret tried to leave the document.
enum TRVGetOutDirection : std::uint8_t { rvdLeft, rvdUp, rvdRight, rvdDown, rvdTop, rvdBottom };

class TCustomViroZereEdit;
// The conversion the data asks for each style while a style application runs: NewStyleNo starts
// as StyleNo; ParaStyleNo is the paragraph style of the text, UserData the operation's number.
using TRVStyleConversionEvent_ = std::function<void(TCustomViroZereEdit* Sender, int StyleNo, int ParaStyleNo,
                                                    int UserData, bool AppliedToText, int& NewStyleNo)>;
using TRVStyleConversionEvent =
    std::function<void(TCustomViroZereEdit* Sender, int StyleNo, int UserData, bool AppliedToText, int& NewStyleNo)>;
using TRVItemTextEditEvent = std::function<void(TCustomViroZereEdit* Sender, const TRVUnicodeString& OldText,
                                                TCustomRVData* RVData, int ItemNo, TRVTag& NewTag, int& NewStyleNo)>;

class TCustomViroZereEdit : public TCustomViroZere {
  TAVRELO_PERSISTENT(TCustomViroZereEdit, TCustomViroZere)
 public:
  explicit TCustomViroZereEdit(TComponent* AOwner);
  ~TCustomViroZereEdit() override;

  TRVEditRVData* GetEditRVData() const { return static_cast<TRVEditRVData*>(GetRVData()); }

  // ---- the gate and the change notification ----
  // Read-only mode keeps hyperlink rectangles (unless rvoNoReadOnlyJumps) and re-places the caret.
  virtual void SetReadOnly(bool Value);
  virtual bool GetReadOnly() const { return FReadOnly; }
  // Stores the flag without side effects.
  void SetFReadOnly(bool Value) { FReadOnly = Value; }
  // Allowed unless read-only, without a style sheet, while an item holds the mouse (unless
  // FromOutside) or when OnChanging refuses; a refusal beeps.
  virtual bool BeforeChange(bool FromOutside);
  bool CanChange() { return BeforeChange(true); }
  virtual bool QueryChanging();
  void Change() { DoChange(true); }
  // Marks the document modified, clears redo when asked, raises OnChange.
  virtual void DoChange(bool AClearRedo);
  bool GetModified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  // ---- current styles and caret events ----
  // The current text style as typed text shows it (resolved against the current paragraph style).
  int GetCurTextStyleNo();
  void SetCurTextStyleNo(int Value);
  int GetActualCurTextStyleNo();
  void SetActualCurTextStyleNo(int Value) { SetCurTextStyleNo(Value); }
  int GetCurParaStyleNo();
  void SetCurParaStyleNo(int Value);
  // The control's event first, then the handlers registered at the root editor.
  virtual void CurParaStyleChange();
  virtual void CurTextStyleChange();
  void AfterCaretMove();
  int GetCurItemNo();
  int GetOffsetInCurItem();
  // Handlers of other components (rulers, actions) kept by the root editor.
  void RegisterCurTextStyleChangeHandler(TComponent* Component, TNotifyEvent Event);
  void UnregisterCurTextStyleChangeHandler(TComponent* Component);
  void RegisterCurParaStyleChangeHandler(TComponent* Component, TNotifyEvent Event);
  void UnregisterCurParaStyleChangeHandler(TComponent* Component);
  void RegisterCaretMoveHandler(TComponent* Component, TNotifyEvent Event);
  void UnregisterCaretMoveHandler(TComponent* Component);

  // ---- the chain of editors ----
  // The innermost active cell editor, or this editor.
  TCustomViroZereEdit* GetTopLevelEditor();
  // The editor that shows the whole document (nil without document data).
  TCustomViroZereEdit* GetRootEditor();

  // ---- undo ----
  int GetUndoLimit() const;
  void SetUndoLimit(int Value);
  void ClearUndo();
  virtual void ClearRedo();

  // ---- settings ----
  TRVEditorOptions GetEditorOptions() const { return FEditorOptions; }
  void SetEditorOptions(const TRVEditorOptions& Value) { FEditorOptions = Value; }
  bool GetForceFieldHighlight() const { return FForceFieldHighlight; }
  void SetForceFieldHighlight(bool Value) { FForceFieldHighlight = Value; }
  int GetCustomCaretInterval();
  void SetCustomCaretInterval(int Value);
  TRVDragDropFormats GetAcceptDragDropFormats() const { return FAcceptDragDropFormats; }
  void SetAcceptDragDropFormats(const TRVDragDropFormats& Value) { FAcceptDragDropFormats = Value; }
  TRVDragDropFormats GetAcceptPasteFormats() const { return FAcceptPasteFormats; }
  void SetAcceptPasteFormats(const TRVDragDropFormats& Value) { FAcceptPasteFormats = Value; }
  TRVVAlign GetDefaultPictureVAlign() const { return FDefaultPictureVAlign; }
  void SetDefaultPictureVAlign(TRVVAlign Value) { FDefaultPictureVAlign = Value; }

  // ==== the rest of the control: undo and redo, update lock, window messages (RVEdit.cpp) ====
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  // Nested; redrawing stops at the outermost level only, and the last EndUpdate refreshes.
  void BeginUpdate();
  void EndUpdate();
  // Repaints the root editor and every active cell editor inside it.
  void RefreshAll();
  void BeginUndoGroup(TRVUndoType UndoType);
  void SetUndoGroupMode(bool GroupUndo);
  void BeginUndoGroup2(TRVUndoType UndoType);
  void EndUndoGroup2(TRVUndoType UndoType);
  void Undo() { DoUndo(true); }
  void Redo() { DoRedo(true); }
  // With AllowMessages an active cell editor is closed by a posted message before the outer
  // step is undone, so that it is not destroyed inside its own handling.
  virtual void DoUndo(bool AllowMessages);
  virtual void DoRedo(bool AllowMessages);
  // The cell editor's step when it has one, else this editor's.
  virtual TRVUndoType UndoAction();
  virtual TRVUndoType RedoAction();
  virtual TRVUnicodeString UndoName();
  virtual TRVUnicodeString RedoName();
  virtual void RemoveUndoMessagesFromQueue() {}

  // The caret item of the innermost cell editor (or of this editor).
  int GetCurItemStyle();
  TRVTag GetCurrentTag();
  TRVVAlign GetCurrentItemVAlign();
  TRVUnicodeString GetCurrentItemTextW();
  TRVUnicodeString GetCurrentItemText() { return GetCurrentItemTextW(); }
  // Nil when there is no caret item.
  TCustomRVItemInfo* GetCurrentItem();
  // The caret item of class T, a cell editor's winning over this editor's.
  template <class T>
  bool GetCurrentItemEx(TCustomViroZereEdit*& ItemViroZereEdit, T*& Item);
  // The misspelled word at the caret (Word emptied first); with SelectIt it is selected.
  bool GetCurrentMisspelling(bool SelectIt, TRVUnicodeString& Word, int& StyleNo);
  // Searches from the caret.
  bool SearchTextW(const TRVUnicodeString& s, TRVESearchOptions SrchOptions);
  bool SearchText(const TRVUnicodeString& s, TRVESearchOptions SrchOptions) { return SearchTextW(s, SrchOptions); }
  // Scrolls the draw item of ARVData into view: centred, or with its visual line at the top.
  void ScrollToDrawItem(TCustomRVFormattedData* ARVData, int DrawItemNo, bool ToCenter);
  // The viewer's events and, from another editor, the editor's events too.
  void AssignEvents(TCustomViroZere* Source);
  TCustomRVControl* SRVGetActiveEditor(bool MainDoc) override;
  TCustomViroZereEdit* GetViroZereEdit() { return this; }
  void SetEnabled(bool Value);

  // ==== editing operations (RVEditOps.cpp) ====
  // Opens one rvutInsert step in group mode and deletes the selection; false (nothing opened)
  // when the selection may not be deleted or the change is refused.
  bool BeforeInserting();
  void AfterInserting();
  // The editor takes Item in every case (freed when the insertion is refused).
  bool InsertItem(const TRVUnicodeString& AName, TCustomRVItemInfo* Item);
  bool InsertBreak(TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor);
  bool InsertTab();
  // The editor takes gr in every case.
  bool InsertPicture(const TRVUnicodeString& AName, TGraphic* gr, TRVVAlign AVAlign);
  bool InsertStringWTag(const TRVUnicodeString& s, const TRVTag& ATag);
  void InsertTextW(const TRVUnicodeString& AText, bool CaretBefore = false);
  void InsertText(const TRVUnicodeString& AText, bool CaretBefore = false) { InsertTextW(AText, CaretBefore); }
  void InsertTextA(const TRVAnsiString& AText, bool CaretBefore = false);
  // False when nothing was inserted (refused, unreadable).
  bool InsertTextFromFile(const TRVUnicodeString& FileName, int CodePage = 0);
  bool InsertTextFromFileW(const TRVUnicodeString& FileName);
  bool InsertTextFromFileUTF8(const TRVUnicodeString& FileName);
  bool InsertRVFFromStreamEd(TStream* Stream);
  bool InsertRTFFromStreamEd(TStream* Stream);
  bool InsertStreamEd(TStream* Stream, bool (TRVEditRVData::*Read)(TStream*));
  bool InsertRVFFromFileEd(const TRVUnicodeString& FileName);
  bool InsertRTFFromFileEd(const TRVUnicodeString& FileName);
  void InsertPageBreak();
  void RemoveCurrentPageBreak();

  // Item editing; item numbers are of this editor's own document.
  void SetItemTextEdW(int ItemNo, const TRVUnicodeString& s);
  void SetItemTextEd(int ItemNo, const TRVUnicodeString& s) { SetItemTextEdW(ItemNo, s); }
  void SetItemTagEd(int ItemNo, const TRVTag& ATag);
  // The next three raise EViroZereError for an item of another class.
  void SetItemVAlignEd(int ItemNo, TRVVAlign AVAlign);
  void SetBreakInfoEd(int ItemNo, TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor, const TRVTag& ATag);
  // Agr is taken by the item (a copy is made when it is the item's own unshared graphic).
  void SetPictureInfoEd(int ItemNo, const TRVUnicodeString& AName, TGraphic* Agr, TRVVAlign AVAlign,
                        const TRVTag& ATag);
  void SetCurrentBreakInfo(TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor, const TRVTag& ATag);
  void SetCurrentPictureInfo(const TRVUnicodeString& AName, TGraphic* Agr, TRVVAlign AVAlign, const TRVTag& ATag);
  void SetCurrentTag(const TRVTag& ATag);
  void SetItemExtraIntPropertyExEd(int ItemNo, int Prop, int Value, bool AutoReformat);
  void SetItemExtraStrPropertyExEd(int ItemNo, int Prop, const TRVUnicodeString& Value, bool AutoReformat);
  void SetItemExtraIntPropertyEd(int ItemNo, TRVExtraItemProperty Prop, int Value, bool AutoReformat) {
    SetItemExtraIntPropertyExEd(ItemNo, Prop, Value, AutoReformat);
  }
  void SetItemExtraStrPropertyEd(int ItemNo, TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value,
                                 bool AutoReformat) {
    SetItemExtraStrPropertyExEd(ItemNo, Prop, Value, AutoReformat);
  }
  void SetCurrentItemExtraIntPropertyEx(int Prop, int Value, bool AutoReformat);
  void SetCurrentItemExtraIntProperty(TRVExtraItemProperty Prop, int Value, bool AutoReformat) {
    SetCurrentItemExtraIntPropertyEx(Prop, Value, AutoReformat);
  }
  void SetCurrentItemExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value, bool AutoReformat);
  void SetCurrentItemExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value,
                                      bool AutoReformat) {
    SetCurrentItemExtraStrPropertyEx(Prop, Value, AutoReformat);
  }
  bool GetCurrentItemExtraIntPropertyEx(int Prop, int& Value);
  bool GetCurrentItemExtraIntProperty(TRVExtraItemProperty Prop, int& Value) {
    return GetCurrentItemExtraIntPropertyEx(Prop, Value);
  }
  void BeginItemModify(int ItemNo, int& ModifyData);
  void EndItemModify(int ItemNo, int ModifyData);
  void BeginCurrentItemModify(int& ModifyData);
  void EndCurrentItemModify(int ModifyData);
  // ItemNo < 0: the caret item.
  void ConvertToHotPicture(int ItemNo);
  void ConvertToPicture(int ItemNo);
  // The clear flags of the first selected paragraph.
  void ClearTextFlow(bool ALeft, bool ARight);
  void SetIntPropertyEd(TRVIntProperty Prop, int Value, bool AutoReformat);
  void SetBackgroundImageEd(TGraphic* Graphic, bool AutoReformat);

  // Styles, lists and style templates.
  void ApplyParaStyle(int ParaStyleNo);
  void ApplyTextStyle(int TextStyleNo);
  void ApplyStyleConversion(int UserData, bool Recursive = true);
  void ApplyParaStyleConversion(int UserData, bool Recursive = true);
  void ApplyStyleTemplate(int TemplateNo, bool Recursive = true);
  void ApplyParaStyleTemplate(int TemplateNo, bool ResetAdditionalFormatting, bool Recursive = true);
  void ApplyTextStyleTemplate(int TemplateNo, bool ResetAdditionalFormatting, bool Recursive = true);
  void ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates);
  void ApplyListStyle(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom, bool ARecursive);
  void RemoveLists(bool ARecursive);
  void ChangeListLevels(int LevelDelta);

  virtual void DeleteSelection();
  bool CanDelete();
  // The conversion the data calls while a style application runs.
  TRVStyleConversionEvent_ FCurStyleConversion;

  // ==== keyboard handling (RVEditKeys.cpp) ====
  // Window messages about keys (WM_GETDLGCODE, the wants-special-key query, WM_UNICHAR,
  // WM_SYSCHAR); true when handled.
  bool KeyDispatch(TMessage& Message);
  // What a key does (WM_KEYDOWN): the viewer's keys and shortcuts, Alt+keypad codes, deleting the
  // selection before a character replaces it, the editing and caret movement keys (mapped to the
  // document's rotation and reading order), each through the data. Key becomes 0 when taken.
  void ProcessKeyDown(WORD& Key, TShiftState Shift);
  // What a character does (WM_CHAR): a pending Alt+keypad code, control characters (OnKeyPress
  // only), Tab, and typing through the data, after the change is allowed.
  void ProcessKeyPress(WideChar& Key);
  // The editor's shortcuts: Alt+X, undo and redo, cut, paste and the viewer's copy.
  void CopyOnShortcut(WORD& Key, TShiftState Shift) override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;

  // ==== style, list and style-template application (RVEditStyles.cpp) ====

  // ==== clipboard (RVEditClipboard.cpp) ====
 public:
  // Pastes the first accepted format the clipboard holds: the native format, RTF, then a URL
  // (when accepted), Unicode text, 8-bit text, files, a bitmap, a metafile. One undo step; a
  // refused change does nothing, a failure beeps.
  void Paste();
  // Whether an accepted format is there (ReadOnly is not looked at).
  virtual bool CanPaste();
  bool CanPasteRVF();
  bool CanPasteRTF();
  bool CanPasteURL();
  // Copies in the default formats and, when copying is possible at all, deletes the selection.
  void CutDef();
  void PasteRVF();
  // False when the RTF block could not be read (Paste then goes on with the other formats).
  bool PasteRTF();
  void PasteTextW();
  void PasteTextA();
  bool PasteURL();
  bool PasteBitmap(bool TextAsName);
  bool PasteMetafile(bool TextAsName);
  bool PasteGraphicFiles(bool FileNamesAsNames, bool StoreFileNames);
  // WM_PASTE, WM_CUT and EM_CANPASTE; false for any other message.
  bool ClipboardDispatch(TMessage& Message);

  // Data blocks of the clipboard and of drops turned into insertions at the caret, each as one
  // undo step. Counts, offsets and names inside a block are checked against its Size.
  // BeforeInsert, when given, runs once the block has been read and just before anything is
  // inserted (a drop opens its undo group there); a block refused whole never runs it.
  // The native format: a 32-bit little-endian count, then that many bytes of RVF; a count larger
  // than the rest of the block refuses the block (false, nothing inserted).
  bool InsertRVFBlock(const void* Block, std::size_t Size, const std::function<void()>& BeforeInsert = {});
  // RTF up to its first zero (the end of a text block), with the folder that the pictures it links
  // to are relative to.
  bool InsertRTFBlock(const void* Block, std::size_t Size, const TRVUnicodeString& BasePath,
                      const std::function<void()>& BeforeInsert = {});
  // UTF-16 text up to its first zero (a trailing odd byte is dropped); 8-bit text up to its first
  // zero, in CodePage, keeping the current tag as InsertTextA does. False, and nothing run, for
  // an empty text.
  bool InsertTextBlockW(const void* Block, std::size_t Size, const std::function<void()>& BeforeInsert = {});
  bool InsertTextBlockA(const void* Block, std::size_t Size, TRVCodePage CodePage,
                        const std::function<void()>& BeforeInsert = {});
  // The text of such blocks, as the two readers above take it.
  static TRVUnicodeString TextOfBlockW(const void* Block, std::size_t Size);
  static TRVAnsiString TextOfBlockA(const void* Block, std::size_t Size);
  // A picture file's bytes through the picture decoder its signature names; AsBitmap converts
  // the decoded picture to the bitmap class. False (nothing inserted) for bytes that no decoder
  // takes.
  bool InsertPictureBlock(const void* Block, std::size_t Size, const TRVUnicodeString& Name, bool AsBitmap);
  // Pictures loaded from files, one undo step; OnDropFile may skip a file. True when at least one
  // picture was inserted.
  bool InsertGraphicFiles(const std::vector<TRVUnicodeString>& FileNames, bool FileNamesAsNames, bool StoreFileNames);
  // A URL as a hyperlink named Name (through OnReadHyperlink), or as its text without a handler.
  void InsertURLWithName(const TRVUnicodeString& URL, const TRVUnicodeString& Name);
  // The display name of an internet shortcut from a file group descriptor block (UTF-16 names
  // when Unicode): the first file name without its extension; URL when the block holds no name
  // of 5 characters or more.
  static TRVUnicodeString ShortcutNameFromDescriptor(const void* Block, std::size_t Size, bool Unicode,
                                                     const TRVUnicodeString& URL);
  // The folder of the "SourceURL:" line of an "HTML Format" block ("" without one): a local
  // folder with a trailing backslash, or an "http://" address ending in a slash.
  static TRVUnicodeString BasePathFromHTMLBlock(const void* Block, std::size_t Size);

  // Raised before a paste; DoDefault false: the handler has pasted.
  std::function<void(TCustomViroZereEdit* Sender, bool& DoDefault)> OnPaste;
  // Raised for each file of a file paste or drop; DoDefault false skips the file.
  std::function<void(TCustomViroZereEdit* Sender, const TRVUnicodeString& FileName, bool& DoDefault)> OnDropFile;

 protected:

  // ==== drag and drop (RVEditDragDrop.cpp) ====
 public:
  // What the drop target asks and tells; points are client coordinates. The data object is read
  // only during the call.
  bool OleCanAcceptFormat(WORD Format) override;
  bool OleDragEnter(int X, int Y) override;
  bool OleDragOver(int X, int Y) override;
  void OleDragLeave() override;
  void CallOleDragEnterEvent(const TDragDataObject* DataObj, int KeyState, TPoint Pt, DWORD& Effect) override;
  void CallOleDragOverEvent(int KeyState, TPoint Pt, DWORD& Effect) override;
  // Effect: the effects the source allows. Answers the effect done (0: nothing was dropped).
  DWORD OleDrop(const TDragDataObject* DataObj, int KeyState, TPoint Pt, DWORD& Effect) override;
  void ReleaseDropTarget() override { FDropTarget = nullptr; }
  TRVDropTarget* GetDropTarget() const { return FDropTarget; }

  std::function<void(TCustomViroZereEdit* Sender, const TDragDataObject* DataObj, TShiftState Shift, int X, int Y,
                     TRVOleDropEffects PossibleDropEffects, TRVOleDropEffect& DropEffect)>
      OnOleDragEnter;
  std::function<void(TCustomViroZereEdit* Sender, TShiftState Shift, int X, int Y,
                     TRVOleDropEffects PossibleDropEffects, TRVOleDropEffect& DropEffect)>
      OnOleDragOver;
  // A handler that clears DoDefault has inserted the data itself.
  std::function<void(TCustomViroZereEdit* Sender, const TDragDataObject* DataObj, TShiftState Shift, int X, int Y,
                     TRVOleDropEffects PossibleDropEffects, TRVOleDropEffect& DropEffect, bool& DoDefault)>
      OnOleDrop;
  TNotifyEvent OnOleDragLeave, OnBeforeOleDrop, OnAfterOleDrop;
  std::function<void(TCustomViroZereEdit* Sender, TStringList* Files, TRVDropFileAction& FileAction, bool& DoDefault)>
      OnDropFiles;

 protected:
  // The window is registered for drops while it exists.
  void CreateWnd() override;
  void DestroyWnd() override;
  // The target of a new window was made; nothing here.
  virtual void DropTargetCreated(IDropTarget* /*Target*/) {}

 private:
  // Inserting a dropped data object (through the root editor's events); true when something was.
  bool InsertOleDropData(const TDragDataObject* DataObj, WORD TransferFormat, bool Move, DWORD OkEffects,
                         DWORD KeyState, TPoint Pt, TRVOleDropEffect& DropEffect);
  bool InsertDropFormat(const TDragDataObject* DataObj, WORD Format, WORD TransferFormat, bool FromSelf);
  bool InsertDroppedFiles(const TDragDataObject* DataObj);
  bool InsertDroppedFile(const TRVUnicodeString& FileName);
  bool InsertDroppedURL(const TDragDataObject* DataObj);
  bool InsertDroppedPicture(std::unique_ptr<TGraphic> Graphic, const TRVUnicodeString& FileName);
  void BeginDropInsertion();
  void EndDropInsertion();

  TRVDropTarget* FDropTarget = nullptr;  // held by the window's registration
  // The insertion of one drop: whether its undo group is open, and where the dropped content
  // starts (in the top-level editor).
  bool FDropGroupOpen = false;
  bool FDropInsertionBegun = false;
  int FDropStartItemNo = -1, FDropStartOffs = 0;
  bool FDropStartIsText = false;

 protected:

  // ==== input-method composition (RVEditIME.cpp) ====
 public:
  // Places the input method's composition window at the caret, inside the paragraph's text area
  // (the page-layout owner places it when there is one).
  void UpdateCompositionWindow();

 protected:
  // The IME messages, and the completion of a pending composition before a mouse button goes
  // down; true when the message was handled.
  bool IMEDispatch(TMessage& Message);


  // ==== resizing with the mouse, the item resizer and selection handles, the smart popup button (RVEditResize.cpp) ====
 public:
  // The smart popup button's look and behaviour (made on first use, kept by the viewer).
  TRVSmartPopupProperties* GetSmartPopupProperties();
  void SetSmartPopupProperties(TRVSmartPopupProperties* Value);
  // Shows the smart popup button at the caret item of the innermost editor, or moves a shown one
  // there.
  void ShowSmartPopup();
  // Frees a shown button.
  void HideSmartPopup();
  TRVSmartPopupButton* GetSmartPopupButton() const { return FSmartPopupButton.get(); }
  // Places a shown button at its item again (after scrolling or formatting).
  void UpdateSmartPopupPosition();
  // The smart popup shortcut clicks a shown button; true when the key was taken.
  bool SmartPopupShortcut(WORD Key, TShiftState Shift);
  // After a picture or a control was resized with the mouse: the document, the item and -1, -1.
  std::function<void(TCustomViroZereEdit* Sender, TCustomRVFormattedData* RVData, int ItemNo, int Val1, int Val2)>
      OnItemResize;

 protected:
  void AfterShowSmartPopup() override;
  // A pan gesture that begins on a resize handle (or comes while one is dragged) resizes the item.
  void DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) override;
  void DoVScrolled() override;
  void DoHScrolled() override;

 private:
  std::unique_ptr<TRVSmartPopupButton> FSmartPopupButton;
  // A button hidden while its menu was open, freed once the menu has returned.
  std::unique_ptr<TRVSmartPopupButton> FRetiredSmartPopupButton;

 protected:

  // ==== live spelling (RVEditLiveSpell.cpp) ====
  // Before a change: the worker stops (keeping its pending place when the change is a typed
  // character) and, for other changes, goes back to a word of the caret item typed into.
  void LiveSpellingBeforeChange();
  // After a change: the worker continues from the earliest changed place (inside an undo group
  // it only takes that place), or live spelling starts when it starts on changes.
  void LiveSpellingAfterChange();
  // Before undo and redo touch the document.
  void LiveSpellingBeforeUndo();

 public:
  // ---- events ----
  TRVItemTextEditEvent OnItemTextEdit;
  std::function<void(TCustomViroZereEdit* Sender, bool& CanDelete)> OnDeleting;
  std::function<void(TCustomViroZereEdit* Sender, TRVGetOutDirection Direction)> OnCaretGetOut;
  TRVStyleConversionEvent OnStyleConversion, OnParaStyleConversion;
  TNotifyEvent OnCurParaStyleChanged, OnCurTextStyleChanged, OnChange, OnCaretMove;
  std::function<void(TCustomViroZereEdit* Sender, bool& CanEdit)> OnChanging;
  std::function<void(TCustomViroZereEdit* Sender, TCanvas* Canvas, const TRect& Rect)> OnDrawCustomCaret;
  std::function<void(TCustomViroZereEdit* Sender, TRect& Rect)> OnMeasureCustomCaret;
  std::function<void(TCustomViroZereEdit* Sender, TCustomRVFormattedData* RVData, int FirstItemNo, bool& Sticking)>
      OnCheckStickingItems;

 protected:
  bool FModified = false;
  bool FReadOnly = false;
  TRVEditorOptions FEditorOptions = RVDefaultEditorOptions;
  bool FForceFieldHighlight = false;
  TRVDragDropFormats FAcceptDragDropFormats{rvddRVF, rvddRTF, rvddText, rvddUnicodeText, rvddBitmap, rvddMetafile,
                                            rvddFiles};
  TRVDragDropFormats FAcceptPasteFormats{rvddRVF, rvddRTF, rvddText, rvddUnicodeText, rvddBitmap, rvddMetafile,
                                         rvddFiles, rvddHTML};
  TRVVAlign FDefaultPictureVAlign = rvvaBaseline;
  int FLockCount = 0;

 private:
  // The edit events of the root editor's data (nil without document data).
  TRVEditRootEvents* RootEditEvents();
};

// The editor as a program places it.
class TViroZereEdit : public TCustomViroZereEdit {
  TAVRELO_PERSISTENT(TViroZereEdit, TCustomViroZereEdit)
 public:
  explicit TViroZereEdit(TComponent* AOwner) : TCustomViroZereEdit(AOwner) {}
  // Tab navigation between items is a viewer's: anything but rvtnNone raises EViroZereError.
  void SetTabNavigation(TRVTabNavigationType Value);
};

template <class T>
bool TCustomViroZereEdit::GetCurrentItemEx(TCustomViroZereEdit*& ItemViroZereEdit, T*& Item) {
  ItemViroZereEdit = nullptr;
  Item = nullptr;
  if (GetCurItemNo() >= 0)
    if (auto* Own = dynamic_cast<T*>(GetEditRVData()->GetItem(GetCurItemNo()))) {
      ItemViroZereEdit = this;
      Item = Own;
    }
  auto* Inplace = dynamic_cast<TCustomViroZereEdit*>(GetInplaceEditor());
  if (Inplace && Inplace != this && Inplace->GetCurItemNo() >= 0) {
    TCustomViroZereEdit* InnerEditor = nullptr;
    T* InnerItem = nullptr;
    if (Inplace->GetCurrentItemEx(InnerEditor, InnerItem)) {
      ItemViroZereEdit = InnerEditor;
      Item = InnerItem;
    }
  }
  return Item != nullptr;
}
