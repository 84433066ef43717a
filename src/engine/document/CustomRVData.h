// The document: an ordered list of items in which paragraphs are flags on the items. Every
// document of the system is one (main documents, cells, notes, text boxes, headers, printable
// copies); the formatted layers, the viewer's root data, the editor and table cells derive from it.
// This unit gives the data model, building a document item by item, deleting and clearing,
// checkpoints and the delegation to parent and root documents.
#pragma once

#include <memory>

#include "engine/document/RVDataRootTypes.h"
#include "engine/document/RVItem.h"
#include "engine/document/RVLayoutInfo.h"
#include "engine/document/RVScaleViroZere.h"
#include "engine/styles/CustomRVInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/RVStyle.h"

class TRVItemList;
class TRVSeqList;
class TRVMarkerList;
class TRVDocParameters;
class TRVGraphicCache;
class TRVThumbnailCache;
class TRVStringList;
class TStrings;
class TRVDeleteUnusedStylesData;
class TRVLayoutInfo;
class TCustomRVFormattedData;
class TRVDataRootState;
class TCustomImageList;
class TFontInfo;
class TParaInfo;
class TRVGraphicCache;
class TRVThumbnailCache;
struct TRVTextSavingData;

// Options of a viewer, read by documents through their root.
enum TRVOption : std::uint8_t {
  rvoAllowSelection, rvoSingleClick, rvoScrollToEnd, rvoClientTextWidth, rvoShowCheckpoints,
  rvoShowPageBreaks, rvoShowSpecialCharacters, rvoShowHiddenText, rvoShowItemHints, rvoShowGridLines,
  rvoTagsArePChars, rvoAutoCopyText, rvoAutoCopyUnicodeText, rvoAutoCopyRVF, rvoAutoCopyImage, rvoAutoCopyRTF,
  rvoFormatInvalidate, rvoDblClickSelectsWord, rvoRClickDeselects, rvoDisallowDrag, rvoFastFormatting,
  rvoPercentEncodedURL, rvoAssignImageFileNames
};
using TRVOptions = TSet<TRVOption, 32>;

// Control flags of a viewer; rvflRoot marks the owner of a document tree.
enum TRVFlag : std::uint8_t {
  rvflUseJumps, rvflTrim, rvflShareContents, rvflUseExternalLeading, rvflMouseXYAlwaysCorrect, rvflAllowCustomDrawItems,
  rvflPrinting, rvflRootEditor, rvflRoot, rvflDBViroZereEdit, rvflCanUseCustomPPI, rvflCanProcessGetText,
  rvflIgnoreMouseLeave, rvflProcessedWidthHeight
};
using TRVFlags = TSet<TRVFlag, 16>;

// Transient states of a document.
enum TRVState : std::uint8_t {
  rvstMakingSelection, rvstLineSelection, rvstDrawHover, rvstSkipFormatting, rvstFormattingPart, rvstNoScroll,
  rvstEditorUnformatted, rvstNameSet, rvstDeselecting, rvstUnAssigningChosen, rvstClearing, rvstDoNotTab,
  rvstChangingBkPalette, rvstRVFUsesUnits, rvstFirstParaAborted, rvstLastParaAborted, rvstLoadingAsPartOfItem,
  rvstLoadingAsSubDoc, rvstPreserveSoftPageBreaks, rvstSavingPage, rvstNoStyleTemplateAdustment,
  rvstNoSpecialCharacters, rvstTouchMouseDown, rvstFormatting,
  // Mouse and drag states.
  rvstStartingDragDrop, rvstJumpsJustBuilt, rvstCanDragDropDeleteSelection, rvstForceStyleChangeEvent,
  // Editing states.
  rvstFinalizingUndo, rvstDoNotClearCurTag, rvstCreatingInplace, rvstCompletelySelected, rvstKeyPress,
  // The next character message is not typed (its key was handled otherwise).
  rvstIgnoreNextChar,
  // The selection is being rebuilt after a style or list change (no item resizer is made).
  rvstInvalidSelection
};
using TRVStates = TSet<TRVState, 40>;

// Options of the native format writer and reader.
enum TRVFOption : std::uint8_t {
  rvfoSavePicturesBody, rvfoSaveControlsBody, rvfoIgnoreUnknownPicFmt, rvfoIgnoreUnknownCtrls,
  rvfoConvUnknownStylesToZero, rvfoConvLargeImageIdxToZero, rvfoSaveBinary, rvfoUseStyleNames, rvfoSaveBack,
  rvfoLoadBack, rvfoSaveTextStyles, rvfoSaveParaStyles, rvfoSaveLayout, rvfoLoadLayout, rvfoSaveDocProperties,
  rvfoLoadDocProperties, rvfoCanChangeUnits, rvfoIgnoreGraphicClasses, rvfoIgnoreUnknownCtrlProperties,
  rvfoSaveDocObjects, rvfoLoadDocObjects, rvfoSaveStyleTemplatesOnlyNames
};
using TRVFOptions = TSet<TRVFOption, 32>;

// What the native-format reader adapted or skipped instead of failing.
enum TRVFWarning : std::uint8_t {
  rvfwUnknownPicFmt, rvfwUnknownCtrls, rvfwConvUnknownStyles, rvfwConvLargeImageIdx, rvfwConvToUnicode,
  rvfwConvFromUnicode, rvfwInvalidPicture, rvfwUnknownStyleProperties, rvfwUnknownCtrlProperties, rvfwConvUnits,
  rvfwUnknownItemKind, rvfwBadData
};
using TRVFWarnings = TSet<TRVFWarning, 16>;

// How the reader treats the styles of inserted RVF.
enum TRVFReaderStyleMode : std::uint8_t { rvf_sIgnore, rvf_sInsertMap, rvf_sInsertMerge };

// Style-template names and ids as the native format can store them instead of the templates.
using TRVStyleTemplateNameList = std::vector<std::pair<TRVUnicodeString, int>>;

// What the native format needs of a document's background: its style (the ordinal of the
// background style, 0 = colour only) and its image. The viewer's background implements it; the
// writer and reader reach it through the TObject they are given.
class IRVFBackground {
 public:
  virtual ~IRVFBackground() = default;
  virtual int GetRVFBackgroundStyle() const = 0;
  virtual void SetRVFBackgroundStyle(int Style) = 0;
  // nil when there is no image.
  virtual TGraphic* GetRVFBackgroundImage() = 0;
  // nil drops the image.
  virtual void SetRVFBackgroundImage(std::unique_ptr<TGraphic> Image) = 0;
};

// A named document of a tree that is not part of its item list (not owned).
struct TRVExtraDocument {
  TRVUnicodeString Name;
  TCustomRVData* Document = nullptr;
};

// Process-wide switches of the native format. RVFSkipStyleChecks: incoming style numbers are
// neither mapped nor checked. RVFUseNormalStyleTemplate: an incoming paragraph template without a
// namesake falls back to "Normal". RVFSaveItemSelection: a selection inside one item that can
// save it is written by that item.
extern bool RVFSkipStyleChecks;
extern bool RVFUseNormalStyleTemplate;
extern bool RVFSaveItemSelection;

// Settings and caches of a document tree kept by its absolute root: header and footer
// documents, named extra documents, the picture and thumbnail caches, document properties and
// parameters, RVF and RTF options, the note text and the word delimiters. The root state of a tree
// (TRVDataRootState) holds it.
class TRVDataRootProperties : public TCustomRVDataProperties {
 public:
  TRVDataRootProperties();
  ~TRVDataRootProperties() override;
  TRVDataRootProperties(const TRVDataRootProperties&) = delete;
  TRVDataRootProperties& operator=(const TRVDataRootProperties&) = delete;

  // A non-text item that has a thumbnail leaves the thumbnail cache before it is freed.
  virtual void RemoveThumbnail(TCustomRVItemInfo* Item);
  // Document-property strings of a root document (cleared with it).
  virtual void ClearDocProperties() { DocProperties.clear(); }

  // Header and footer documents (not owned), registered as extra documents as well: "header",
  // "headerf", "headerr" and "footer", "footerf", "footerr" for the normal, first-page and
  // even-pages kinds. Nil removes the document.
  void SetHeader(TCustomRVData* RVData, TRVHFType HeaderType);
  void SetFooter(TCustomRVData* RVData, TRVHFType FooterType);
  // Slot 0 first-page header, 1 even-pages header, 2 header, 3 first-page footer, 4 even-pages
  // footer, 5 footer; nil outside 0..5.
  TCustomRVData* GetHeaderFooter(int Index) const;
  bool HasHeaderOrFooter() const;
  // Named documents of the tree that are not among its items (the name with the document as its
  // object). GetExtraDocuments: nil until something made the list.
  TRVStringList* GetExtraDocuments() const { return FExtraDocuments.get(); }
  TRVStringList* GetExtraDocumentsList();
  // A snapshot of the named documents (for walks that may change the list).
  std::vector<TRVExtraDocument> ExtraDocumentEntries() const;
  // Nil empties the list; the list itself is ignored; another list is copied.
  void SetExtraDocumentsList(const TStrings* Value);
  // The caches, made on first use (virtual so that a test can hand in its own).
  virtual TRVGraphicCache* GetGraphicCache();
  virtual TRVThumbnailCache* GetThumbnailCache();
  void ClearThumbnailCache();
  // The document parameters, made on first use. Writing nil frees them, anything else is copied.
  TRVDocParameters* GetDocParameters();
  void SetDocParameters(const TRVDocParameters* Value);
  bool IsDocParametersAssigned() const { return FDocParameters != nullptr; }
  bool AreAllDocParametersDefault() const;

  bool UseStyleTemplates = false;
  TRVStyleTemplateInsertMode StyleTemplateInsertMode = rvstimUseTargetFormatting;
  TRVFReaderStyleMode RVFTextStylesReadMode = rvf_sInsertMerge;
  TRVFReaderStyleMode RVFParaStylesReadMode = rvf_sInsertMerge;
  TRVFOptions RVFOptions{rvfoSavePicturesBody, rvfoSaveControlsBody, rvfoSaveBinary, rvfoSaveDocProperties,
                         rvfoLoadDocProperties, rvfoSaveDocObjects, rvfoLoadDocObjects};
  TRVFWarnings RVFWarnings;
  TRVRTFOptions RTFOptions{rvrtfDuplicateUnicode, rvrtfSaveEMFAsWMF, rvrtfSaveJpegAsJpeg, rvrtfSavePngAsPng};
  bool UseVCLThemes = false;
  // What a note reference shows when it has no number.
  TRVUnicodeString NoteText = u"?";
  // The characters that separate words for word selection and search.
  TRVUnicodeString Delimiters =
      u" .;,:(){}\"/\\<>!?[]\u2018\u2019\u201C\u201D-+*=\u00A0\u201E\u00AB\u00BB\u2026\u200B\u2002\u2003\u2005";
  std::vector<TRVUnicodeString> DocProperties;

 private:
  void RegisterExtraDocument(const TRVUnicodeString& Name, TCustomRVData* RVData);
  TCustomRVData* FHeaderFooter[6] = {};
  std::unique_ptr<TRVStringList> FExtraDocuments;
  std::unique_ptr<TRVThumbnailCache> FThumbnailCache;
  std::unique_ptr<TRVGraphicCache> FGraphicCache;
  std::unique_ptr<TRVDocParameters> FDocParameters;
};

// Events of a document tree, raised by its absolute root. Readers, writers and painters raise them
// through the virtual operations below without knowing the control; each operation applies the
// default that holds when no handler is assigned. The handlers are the On... members; a viewer's
// root events (TRVDataRootEventsEx) add what only a viewer has.
class TRVDataRootEvents : public TCustomRVDataEvents {
 public:
  explicit TRVDataRootEvents(TObject* AOwner = nullptr) : FOwner(AOwner) {}
  ~TRVDataRootEvents() override;
  TRVDataRootEvents(const TRVDataRootEvents&) = delete;
  TRVDataRootEvents& operator=(const TRVDataRootEvents&) = delete;

  // ---- notification lists (Sender: the owner) ----
  void ExecuteAfterHScroll() const;
  void ExecuteAfterVScroll() const;
  void ExecuteResize() const;
  void ExecuteSave() const;
  void ExecuteClear() const;

  // ---- event raisers ----
  virtual void ExecuteStyleTemplatesChange();
  virtual bool IsOnCopyAssigned();
  virtual void DoCopy();
  virtual void DoDrawHyperlink(TCustomRVData* RVData, int ItemNo, const TRect& R);
  virtual bool IsOnReadHyperlinkAssigned();
  // Adjusts the kind of item that will hold the link (a bullet becomes a hotspot, a picture a hot
  // picture); without a handler the tag is Target.
  virtual void ReadHyperlink(TCustomRVData* RVData, const TRVUnicodeString& Target, const TRVUnicodeString& Extras,
                             TRVLoadFormat DocFormat, TRVUnicodeString& ItemName, int& StyleNo,
                             TRVUnicodeString& ItemTag);
  // The handler step of ReadHyperlink: OnReadHyperlink here; a viewer's root raises its own event.
  virtual void RaiseReadHyperlink(const TRVUnicodeString& Target, const TRVUnicodeString& Extras,
                                  TRVLoadFormat DocFormat, int& StyleNo, TRVUnicodeString& ItemTag,
                                  TRVUnicodeString& ItemName);
  virtual bool IsOnWriteHyperlinkAssigned();
  // Extras: the item's hint for the format; Target: the handler's, else the item's tag.
  virtual void WriteHyperlink(int id, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat,
                              TRVUnicodeString& Target, TRVUnicodeString& Extras);
  virtual bool IsOnReadMergeFieldAssigned();
  virtual void ReadMergeField(TCustomRVData* RVData, const TRVUnicodeString& FieldName,
                              const TRVUnicodeString& Extras, TRVLoadFormat DocFormat, int& StyleNo,
                              TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName);
  virtual bool IsOnProgressAssigned();
  virtual void DoProgress(TRVLongOperation Operation, TRVProgressStage Stage, int PercentDone);
  virtual bool IsOnSaveItemToFileAssigned();
  // True when the handler wrote the item (the writer must not).
  virtual bool SaveItemToFile(const TRVUnicodeString& Path, TCustomRVData* RVData, int ItemNo,
                              TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr);
  // The text of a control in a text format; the style sheet's RVData and ItemNo name the item while
  // the handler runs.
  virtual void SaveComponentToFile(const TRVUnicodeString& Path, TObject* SaveMe, TCustomRVData* RVData, int ItemNo,
                                   TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr);
  virtual TObject* RVFControlNeeded(const TRVUnicodeString& Name, const TRVUnicodeString& Tag);
  // The handler's text in the style sheet's default code page (Area: the writer's save area).
  virtual TRVAnsiString GetExtraRTFCode(int Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet);
  // The handler's text as UTF-8.
  virtual TRVRawByteString GetExtraDocXCode(int Area, TObject* Obj, int Index1, int Index2);
  virtual TRVUnicodeString GetExtraHTMLCode(int Area, bool CSSVersion);
  virtual TRVUnicodeString GetParaHTMLCode(TCustomRVData* RVData, int ItemNo, bool ParaStart, bool CSSVersion);
  virtual void HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& Path, TColor BackgroundColor,
                             TRVUnicodeString& Location, bool& DoDefault);
  virtual void SaveImage2(TCustomRVData* RVData, int ItemNo, TGraphic* Graphic, TRVSaveFormat SaveFormat,
                          const TRVUnicodeString& Path, const TRVUnicodeString& ImagePrefix, int& ImageSaveNo,
                          TRVUnicodeString* Location, bool& DoDefault);
  virtual TCustomImageList* RVFImageListNeeded(int ImageListTag);
  // The picture for a location; Invalid when the handler reported that it failed to load.
  virtual std::unique_ptr<TGraphic> ImportPicture(const TRVUnicodeString& Location, int Width, int Height,
                                                  bool& Invalid);
  virtual TRVUnicodeString GetImageFileName(const TRVUnicodeString& FileName);
  virtual std::unique_ptr<TGraphic> RVFPictureNeeded(const TRVUnicodeString& ItemName, TCustomRVItemInfo* Item,
                                                     int Index1, int Index2);

  // ---- handlers ----
  std::function<void(TRVItemAction, TCustomRVItemInfo*, TRVUnicodeString&, TCustomRVData*)> OnItemAction;
  std::function<void(TCustomRVData*, TRVControlAction, int, TObject*)> OnControlAction;
  // Asked before a picture is saved for export: the handler may give its location and keep the
  // default saving from running.
  std::function<void(TCustomRVData* RVData, int ItemNo, TGraphic* Graphic, TRVUnicodeString& Location, bool& DoDefault)>
      OnSaveImage2;
  // Progress of long saves: operation, stage (starting, running, ending), percent.
  std::function<void(int Operation, int Stage, int Percent)> OnProgress;
  // Reading RVF without bodies: the host supplies the picture, the image list (by its tag) or the
  // control of an item.
  std::function<std::unique_ptr<TGraphic>(const TRVUnicodeString& Name, TCustomRVItemInfo* Item)> OnRVFPictureNeeded;
  std::function<TCustomImageList*(int Tag)> OnRVFImageListNeeded;
  std::function<TObject*(const TRVUnicodeString& Name, const TRVUnicodeString& Tag)> OnRVFControlNeeded;
  // The text that stands for a control in a text or interchange format.
  std::function<TRVUnicodeString(const TRVUnicodeString& Path, TObject* Control, TCustomRVData* RVData, int ItemNo,
                                 TRVSaveFormat Format)>
      OnSaveComponentToFile;
  // Asked before an item is written as text; true when the handler set the text to write.
  std::function<bool(const TRVUnicodeString& Path, TCustomRVData* RVData, int ItemNo, TRVSaveFormat Format,
                     TRVUnicodeString& Text)>
      OnSaveItemToFile;
  std::function<void()> OnStyleTemplatesChange;
  std::function<void()> OnCopy;
  std::function<void(const TRVUnicodeString& Target, const TRVUnicodeString& Extras, TRVLoadFormat DocFormat,
                     int& StyleNo, TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName)>
      OnReadHyperlink;
  std::function<void(int id, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat, TRVUnicodeString& Target,
                     TRVUnicodeString& Extras)>
      OnWriteHyperlink;
  std::function<void(const TRVUnicodeString& FieldName, const TRVUnicodeString& Extras, TRVLoadFormat DocFormat,
                     int& StyleNo, TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName)>
      OnReadMergeField;
  std::function<void(int Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet, TRVUnicodeString& RTFCode)>
      OnSaveRTFExtra;
  std::function<void(int Area, TObject* Obj, int Index1, int Index2, TRVUnicodeString& OOXMLCode)> OnSaveDocXExtra;
  std::function<void(int Area, bool CSSVersion, TRVUnicodeString& HTMLCode)> OnSaveHTMLExtra;
  std::function<void(TCustomRVData* RVData, int ItemNo, bool ParaStart, bool CSSVersion, TRVUnicodeString& HTMLCode)>
      OnSaveParaToHTML;
  std::function<void(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& Path, TColor BackgroundColor,
                     TRVUnicodeString& Location, bool& DoDefault)>
      OnHTMLSaveImage;
  std::function<std::unique_ptr<TGraphic>(const TRVUnicodeString& Location, int Width, int Height)> OnImportPicture;
  std::function<void(TRVUnicodeString& FileName)> OnAssignImageFileName;

  // ---- state ----
  TObject* FOwner;  // the viewer, or whatever made the events; the Sender of the notifications
  // The root document whose page-layout editor also decides the assignment tests (nil: none).
  TCustomRVData* RootData = nullptr;
  // Set by an OnImportPicture handler whose picture failed to load.
  bool CurPictureInvalid = false;
  std::unique_ptr<TRVEventHandlerList> StyleTemplatesChangeHandlers, HScrollHandlers, VScrollHandlers, SaveHandlers,
      ClearHandlers, ResizeHandlers;

 private:
  std::shared_ptr<IRVScaleViroZereInterface> ScaleViroZere() const;
};

class TCustomRVData : public TPersistent,
                      public IRVWordPainterData,
                      public IRVStyleDocument,
                      public IRVListStylesDocument,
                      public IRVStyleAddListener {
 public:
  TCustomRVData();
  ~TCustomRVData() override;
  TCustomRVData(const TCustomRVData&) = delete;
  TCustomRVData& operator=(const TCustomRVData&) = delete;

  // The state this document keeps as the root of its tree (TRVDataRootState); nil for a document
  // that asks its root. The root-level accessors below answer from it when there is one.
  virtual TRVDataRootState* GetRootState() const { return nullptr; }

  // ---- virtual operations ----
  virtual TRVDataRootProperties* GetRootProperties();
  virtual TRVDataRootEvents* GetRootEvents();
  virtual bool GetWordWrap();
  virtual bool SharesItemList() const { return false; }
  virtual bool CanLoadLayout() { return false; }
  virtual TRVOptions GetOptions();
  virtual void SetOptions(const TRVOptions& Value);
  virtual void GetSaveScopeRange(int SaveScope, int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                                 TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart,
                                 TCustomRVItemInfo*& SelectedItem);
  // How the native-format reader inserts the first item it reads at Index. On true the document
  // has taken the item: the base inserts it (Inserting, the list entry, Inserted, the special-item
  // lists) and leaves Item pointing at it; an editor may merge it into the caret position and
  // free it (Item then nil). On false (refused) the caller still owns the item.
  virtual bool InsertFirstRVFItem(int& Index, TRVUnicodeString& Text, TCustomRVItemInfo*& Item, bool EditFlag,
                                  bool& FullReformat, int& NewListNo);
  // A sub-document in a component stream: a 4-byte length, then the document.
  virtual void SaveRVFBlockToStream(TStream* Stream);
  virtual void DestroyItem(TCustomRVItemInfo* Item, bool Clearing);
  virtual bool SupportsPageBreaks() { return true; }
  // The root state's flags; a document without one keeps its own.
  virtual TRVFlags GetFlags() const;
  virtual void SetFlags(const TRVFlags& Value);
  virtual void AfterDeleteUnusedStyles(TRVDeleteUnusedStylesData* /*Data*/) {}
  virtual int GetMaxLength();
  virtual void ModifyStyleNoByTemplate(TCustomRVItemInfo* Item, int NewStyleNo);
  virtual TObject* GetRTFProperties();
  virtual TCustomRVData* GetRVData() { return this; }
  virtual TCustomRVData* GetSourceRVData() { return this; }
  // The style sheet (never owned): that of the parent.
  TRVStyle* GetRVStyle() const override;
  virtual TObject* GetParentControl();
  virtual void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) const;
  virtual TCustomRVData* GetChosenRVData() { return nullptr; }
  virtual TCustomRVItemInfo* GetChosenItem() { return nullptr; }
  virtual TCustomRVData* GetParentData() const { return nullptr; }
  virtual TCustomRVData* GetRootData() { return this; }
  virtual TCustomRVData* GetAbsoluteParentData() const { return nullptr; }
  virtual TCustomRVData* GetAbsoluteRootData() { return this; }
  virtual TCustomRVData* GetNoteText();
  // The number shown on printed page PageNo (a global page number) and the number of pages, as
  // the print job numbers them; false when the document is not being printed. Nested documents
  // ask the document that holds them.
  virtual bool GetPrintedPageNumbers(int PageNo, int& DispPageNo, int& PageCount);
  virtual void FreeBackgroundThumbnail() {}
  virtual TRVBiDiMode GetBiDiMode();
  virtual void Clear();
  virtual void DeleteItems(int FirstItemNo, int Count);
  virtual void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text, TCustomRVData* RVData);
  virtual void DoBeforeSaving();
  virtual void ControlAction2(TCustomRVData* /*RVData*/, TRVControlAction /*AControlAction*/, int /*ItemNo*/,
                              TObject* /*Control*/) {}
  void AfterAddStyle(TCustomRVInfo* StyleInfo) override;
  virtual TRVSeqList* GetSeqList(bool AllowCreate);
  virtual TRVMarkerList* GetMarkers(bool AllowCreate);
  virtual TColor GetColor() { return clNone; }
  virtual TRVDocParameters* GetDocParameters(bool AllowCreate);
  virtual void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* RVStyle, bool ConvertItems);
  virtual bool KeepTogether() { return false; }
  virtual int GetCurParaStyleNo() { return 0; }
  virtual TRVDocRotation GetRotation() const { return rvrotNone; }
  virtual bool UseVerticalFonts() { return false; }
  virtual void ChangeParagraphStyles(const TRVIntegerList* ParaMapList, const TRVIntegerList* NewIndices,
                                     TRVIntegerList* OldIndices, int& Index);
  virtual void ChangeTextStyles(const TRVIntegerList* TextMapList, const TRVIntegerList* NewIndices,
                                TRVIntegerList* OldIndices, int& Index);
  virtual TList* GetPrintFieldList(bool AllowCreate);
  // The root state's document objects (made on first use); nil for other documents.
  virtual TObject* GetDocObjects();
  // Plain virtual operations, one per request, rather than one entry dispatched by identifier.
  virtual void DestroySeqList();
  virtual void DestroyMarkers();
  virtual void GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& UpperRVDataHint,
                           TRVUnicodeString& Hint);
  virtual void ControlAction(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo,
                             TCustomRVItemInfo* Item);
  // The page-layout editor hosting the tree; nil when none (never stored by documents).
  virtual std::shared_ptr<IRVScaleViroZereInterface> GetScaleViroZereInterface();
  virtual void DoStyleTemplatesChange();
  virtual TRVMarkerList* GetPrevMarkers() { return nullptr; }
  virtual TCustomRVData* Edit() { return this; }
  virtual void DestroyPrintFieldList();
  // The hint the document shows for its control (the viewer's root data shows it).
  virtual void SetControlHint(const TRVUnicodeString& /*Hint*/) {}
  // The document's current item under the mouse, set by formatted layers.
  virtual bool IsDelimiterW(TRVUnicodeChar Ch);

  // ---- interfaces the style sheet and word painters use ----
  int GetWidth() const override { return 0; }
  TCustomImageList* GetImageListByTag(int /*Tag*/) override { return nullptr; }

  // ---- construction and the item list ----
  int ItemCount() const;
  TCustomRVItemInfo* GetItem(int ItemNo) const;
  int GetItemNo(const TCustomRVItemInfo* Item) const;
  const TRVUnicodeString& GetItemTextW(int ItemNo) const;
  TRVUnicodeString GetItemText(int ItemNo) const { return GetItemTextW(ItemNo); }
  void SetItemTextW(int ItemNo, const TRVUnicodeString& Text);
  TRVItemList* GetItems() const { return FItems; }
  int GetOffsBeforeItem(int ItemNo);
  int GetOffsAfterItem(int ItemNo);
  int GetItemTextLength(int ItemNo) const;
  int GetItemLength(int ItemNo);
  void ShareItemsFrom(TCustomRVData* Source);
  void AssignItemsFrom(TCustomRVData* Source);
  void Inserting(TCustomRVData* RVData, bool Safe);
  void Inserted(TCustomRVData* RVData);
  void DrainFrom(TCustomRVData* Victim);
  void UpdateItemsPaletteInfo() {}
  void Beep();
  bool IsEmpty() const;
  // Raise "Item index is out of bounds" / "Can't get or set this kind of information for this item".
  void CheckItemIndex(int ItemNo) const;
  template <typename T>
  T* CheckItemClass(int ItemNo) const {
    CheckItemIndex(ItemNo);
    T* item = dynamic_cast<T*>(GetItem(ItemNo));
    if (!item) RaiseWrongItemClass();
    return item;
  }
  [[noreturn]] static void RaiseWrongItemClass();

  // ---- adding items ----
  void AddItem(TRVUnicodeString Text, TCustomRVItemInfo* Item);
  void AddItem(TRVUnicodeString Text, std::unique_ptr<TCustomRVItemInfo> Item) { AddItem(std::move(Text), Item.release()); }
  void AddItemAsIs(const TRVUnicodeString& Text, std::unique_ptr<TCustomRVItemInfo> Item);
  void AddNL(const TRVUnicodeString& Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag = {});
  void AddNLW(TRVUnicodeString Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag, bool ProcessTabs);
  void AddBreak(TRVStyleLength Width, int Style, TColor Color, const TRVUnicodeString& Tag = {});
  int AddCheckpoint(const TRVUnicodeString& CpName, bool RaiseEvent, const TRVUnicodeString& Tag = {});
  void SetAddParagraphMode(bool AllowNewPara) { FAllowNewPara = AllowNewPara; }
  bool GetAddParagraphMode() const { return FAllowNewPara; }
  // The add rule, then the checkpoint, palette and insertion notifications; takes ownership.
  void DoAddItem(TRVUnicodeString Text, TCustomRVItemInfo* Item);

  // ---- deleting ----
  void FreeItem(int ItemNo, bool Clearing);

  // ---- checkpoints ----
  TRVCPInfo* GetItemCheckpoint(int ItemNo) const;
  void SetCheckpointInfo(int ItemNo, const TRVUnicodeString& ATag, const TRVUnicodeString& AName, bool ARaiseEvent);
  void GetCheckpointInfo(TRVCPInfo* CheckpointData, TRVUnicodeString& Tag, TRVUnicodeString& Name, bool& RaiseEvent);
  TRVCPInfo* CreateCheckpoint(int ItemNo, const TRVUnicodeString& Tag, bool RaiseEvent, const TRVUnicodeString& Name);
  void SetCP(TCustomRVItemInfo* Item, TRVCPInfo*& PrevCP, TRVCPInfo*& CP);
  void UnlinkCheckpoint(TRVCPInfo* CP, bool DecCount);
  void FreeCheckpoint(TRVCPInfo*& CP, bool AdjustLinks, bool DecCPCount);
  void UpdateCPPos(TRVCPInfo* CP, int ItemNo);
  void UpdateCheckpointItemNumbers();
  TRVCPInfo* FindCheckpointBefore(int ItemNo);

  // ---- notifications and settings ----
  void AfterReadNote(TCustomRVData* RVData, int ItemNo);
  TRVColorMode GetScreenColorMode();
  TColor GetActualColor(TColor Color);

  // ---- item flags and properties ----
  int GetItemPara(int ItemNo) const { return GetItem(ItemNo)->ParaNo; }
  TRVItemOptions GetItemOptions(int ItemNo) const { return GetItem(ItemNo)->ItemOptions; }
  const TRVUnicodeString& GetItemTag(int ItemNo) const { return GetItem(ItemNo)->Tag; }
  void SetItemTag(int ItemNo, const TRVUnicodeString& Tag);
  bool IsParaStart(int ItemNo) const { return GetItem(ItemNo)->CanBeBorderStart(); }
  bool IsFromNewLine(int ItemNo) const { return !GetItem(ItemNo)->GetSameAsPrev(); }
  bool GetPageBreaksBeforeItems(int Index) const;
  void SetPageBreaksBeforeItems(int Index, bool Value);
  bool GetClearLeft(int Index) const;
  bool GetClearRight(int Index) const;
  TRVVAlign GetItemVAlign(int ItemNo) const;
  void SetItemVAlign(int ItemNo, TRVVAlign AVAlign);
  void SetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value) {
    SetItemExtraIntPropertyEx(ItemNo, Prop, Value);
  }
  bool SetItemExtraIntPropertyEx(int ItemNo, int Prop, int Value);
  bool GetItemExtraIntPropertyEx(int ItemNo, int Prop, int& Value);
  bool SetItemExtraStrProperty(int ItemNo, TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) {
    return SetItemExtraStrPropertyEx(ItemNo, Prop, Value);
  }
  bool SetItemExtraStrPropertyEx(int ItemNo, int Prop, const TRVUnicodeString& Value);
  bool GetItemExtraStrPropertyEx(int ItemNo, int Prop, TRVUnicodeString& Value);
  int GetFirstTextStyleNo(bool OnlyWithEmptyTags);
  int GetFirstParaStyleNo() const { return ItemCount() > 0 ? GetItem(0)->ParaNo : 0; }

  // ---- hidden content ----
  bool IsHiddenItem(int ItemNo);
  bool IsHiddenParaEnd(int FirstItemNo);

  // ---- paragraph ranges ----
  int GetFirstParaItem(int ItemNo) const;
  int GetFirstParaSectionItem(int ItemNo) const;
  void ExpandToPara(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const;
  void ExpandToParaSection(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const;
  void UnifyParagraphStyle(int ItemNo);
  void AdjustInItemsRange(int& ItemNo) const;

  // ---- characters, code pages and direction ----
  static int GetNextCharPos(const TRVUnicodeString& S, int Pos);
  static int GetPrevCharPos(const TRVUnicodeString& S, int Pos);
  bool IsDelimiterAt(const TRVUnicodeString& S, int Index);
  TRVCodePage GetStyleCodePage(int StyleNo) const;
  TRVCodePage GetItemCodePage(int ItemNo);
  bool IsSymbolCharset(int ItemNo);
  LCID GetStyleLocale(int StyleNo) const;
  TRVCodePage GetDefaultCodePage() const;
  TRVBiDiMode GetParaBiDiMode(int ParaNo);
  TRVBiDiMode GetItemBiDiMode2(TCustomRVItemInfo* Item);
  TRVBiDiMode GetItemBiDiMode(int ItemNo) { return GetItemBiDiMode2(GetItem(ItemNo)); }
  void GetItemBiDiModeEx(int ItemNo, TRVBiDiMode& Start, TRVBiDiMode& Ending);

  // ---- rotation ----
  TRVDocRotation GetRealRotation(bool FromAbsRoot);
  bool IsVerticalText() const { return GetRotation() == rvrot90 || GetRotation() == rvrot270; }
  bool IsReallyVerticalText();
  bool IsRotationUsed();

  // ---- list markers of paragraphs and the special-item lists ----
  int SetListMarkerInfo(int AItemNo, int AListNo, int AListLevel, int AStartFrom, int AParaNo, bool AUseStartFrom);
  int GetListMarkerInfo(int AItemNo, int& AListNo, int& AListLevel, int& AStartFrom, bool& AUseStartFrom);
  void RecalcMarker(int AItemNo, bool AllowCreateList);
  void AddMarkerInList(int ItemNo);
  void DeleteMarkerFromList(TCustomRVItemInfo* Item, bool Clearing);
  void AddSeqInList(int ItemNo);
  void DeleteSeqFromList(TCustomRVItemInfo* Item, bool Clearing);
  void AddPrintFieldInList(int ItemNo);
  void DeletePrintFieldFromList(TCustomRVItemInfo* Item);
  TCustomRVItemInfo* FindPreviousMarker(int ItemNo);
  TCustomRVItemInfo* FindPreviousSeqItem(int ItemNo);
  int FindLastMarkerByLists(int Index, const TRVIntegerList* Lists);
  int FindLastSeqItemByNames(int Index, const std::vector<TRVUnicodeString>& Names);

  // ---- navigation and enumeration ----
  int GetAbsoluteRootItemNo(int ItemNo);
  TCustomRVData* GetTopLevelChosenRVData();
  int FindContainingItemNo(int StartItemNo, const TCustomRVItemInfo* Item);
  using TRVEnumItemsProc =
      std::function<void(TCustomRVData* RVData, int ItemNo, int& UserData1, const TRVUnicodeString& UserData2,
                         bool& ContinueEnum)>;
  bool EnumItems(const TRVEnumItemsProc& Proc, int& UserData1, const TRVUnicodeString& UserData2);
  // Negative when (this, ItemNo) comes before (RVData2, ItemNo2), 0 when equal, positive after.
  int CompareItemPositions(int ItemNo, TCustomRVData* RVData2, int ItemNo2);

  // ---- layout record, save scope, blocks and progress ----
  int GetRVFSaveScope(bool SelectionOnly);
  // ---- the native format (RVFReadWrite.cpp) ----
  // Writes the records of the scope; false when writing failed (the stream holds what was written).
  bool SaveRVFToStreamEx(TStream* Stream, int SaveScope, TColor Color, TObject* Background, TRVLayoutInfo* Layout,
                         bool Root, const TRVScreenAndDevice* sad = nullptr);
  virtual bool SaveRVFToStream(TStream* Stream, bool SelectionOnly, TColor Color, TObject* Background,
                               TRVLayoutInfo* Layout, bool Root);
  // Writes to a temporary file beside FileName and renames it over FileName only on success, so a
  // failed save leaves the previous file as it was.
  bool SaveRVF(const TRVUnicodeString& FileName, bool SelectionOnly, TColor Color, TObject* Background,
               TRVLayoutInfo* Layout, bool Root = true);
  bool LoadRVF(const TRVUnicodeString& FileName, TColor& Color, TObject* Background, TRVLayoutInfo* Layout);
  virtual bool LoadRVFFromStream(TStream* Stream, TColor& Color, TObject* Background, TRVLayoutInfo* Layout);
  bool InsertRVFFromStream(TStream* Stream, int Index, TColor& Color, TObject* Background, TRVLayoutInfo* Layout,
                           bool AllowReplaceStyles);
  bool AppendRVFFromStream(TStream* Stream, int ParaNo, TColor& Color, TObject* Background);
  // The caller's style templates or template names (not owned) stand for those of a host read:
  // an extra document reads with the ones its main document read.
  bool DoInsertRVFFromStream(TStream* Stream, int& Index, bool& FullReformat, bool& RVFInserted,
                             bool& FailedBecauseOfProtect, int& NewItemCount, TRVLayoutInfo* Layout,
                             TObject* Background, TColor& Color, bool EditFlag, bool AppendMode,
                             bool AllowReplaceStyles, int AppendParaNo,
                             TRVStyleTemplateCollection* ReadStyleTemplates = nullptr,
                             TRVStyleTemplateNameList* ReadStyleTemplateNames = nullptr);
  bool LoadRVFFromStreamEx(TStream* Stream, TColor& Color, TObject* Background, TRVLayoutInfo* Layout,
                           TRVStyleTemplateCollection* ReadStyleTemplates,
                           TRVStyleTemplateNameList* ReadStyleTemplateNames);
  // The warnings of the last read (kept by the root properties).
  TRVFWarnings GetRVFWarnings();
  // ---- plain text (CustomRVDataText.cpp) ----
  void AddTextNLW(const TRVUnicodeString& Str, int StyleNo, int FirstParaNo, int OtherParaNo,
                  bool DefAsSingleParagraph, const TRVUnicodeString& Tag = {});
  void AddTextNLA(const TRVRawByteString& S, int StyleNo, int FirstParaNo, int OtherParaNo, bool AsSingleParagraph,
                  const TRVUnicodeString& Tag = {}, TRVCodePage CodePage = 0);
  void LoadTextFromStream(TStream* Stream, int StyleNo, int ParaNo, bool AsSingleParagraph, TRVCodePage CodePage = 0);
  bool LoadText(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph,
                TRVCodePage CodePage = 0);
  bool LoadTextFromStreamW(TStream* Stream, int StyleNo, int ParaNo, bool DefAsSingleParagraph);
  bool LoadTextW(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool DefAsSingleParagraph);
  TRVUnicodeString ReplaceTabs(const TRVUnicodeString& S);
  bool SaveTextToStreamW(const TRVUnicodeString& Path, TStream* Stream, int LineWidth, bool SelectionOnly,
                         bool TextOnly, bool ForANSI, bool UnicodeWriteSignature, bool Root);
  bool DoSaveTextToStreamW(TStream* Stream, bool SelectionOnly, TRVTextSavingData& SaveData, bool Root);
  bool SaveTextToStreamA(const TRVUnicodeString& Path, TStream* Stream, int LineWidth, bool SelectionOnly,
                         bool TextOnly, TRVCodePage CodePage, bool Root);
  bool SaveText(const TRVUnicodeString& FileName, int LineWidth, bool Unicode, TRVCodePage CodePage = 0);
  // ---- style use, item joining and normalisation (CustomRVDataStyleUse.cpp) ----
  int GetOrAddTextStyle(TFontInfo* TextStyle);
  int GetOrAddParaStyle(TParaInfo* ParaStyle);
  virtual void MarkStylesInUse(TRVDeleteUnusedStylesData* Data);
  void DoMarkStylesInUse(TRVDeleteUnusedStylesData* Data);
  void DoUpdateStyles(TRVDeleteUnusedStylesData* Data);
  void DeleteMarkedStyles(TRVDeleteUnusedStylesData* Data);
  void DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles);
  bool CanConcateItems(TCustomRVItemInfo* Item1, TCustomRVItemInfo* Item2, bool IgnoreTags, bool AllowNonText,
                       bool ForceSameLine, const TRVUnicodeString& Text2, const TRVUnicodeString& Text1);
  bool CanConcateItemsAt(int ItemNo, bool AllowNonText, bool ForceSameLine);
  void ConcateItems(int ItemNo);
  void ConcateItemsInRange(int FirstItemNo, int LastItemNo);
  void ConcateItemsInSubDocs(int ItemNo);
  void MassSimpleConcateAll() { ConcateItemsInRange(0, ItemCount() - 1); }
  void NormalizeDocument(int FirstItemNo, bool Recursive);
  // Append RTF through the root's reader properties and join the items the read added to what
  // was there; a TRVRTFErrorCode, rtf_ec_Assertion when the root has no reader.
  int LoadRTF(const TRVUnicodeString& FileName);
  int LoadRTFFromStream(TStream* Stream);
  // Raises EReadError "Error in reading RVF subdocument" when the block does not load.
  void LoadRVFBlockFromStream(TStream* Stream);
  void ApplyLayoutFlags(const TRVLayoutInfo& Layout);
  bool SaveProgressInit(int& Progress, int Max, int Operation);
  void SaveProgressRun(int& Progress, int Position, int Max, int Operation);
  void SaveProgressDone(int Operation);
  // The location of an exported picture: the root events' handler first, else SavePicture.
  virtual TRVUnicodeString DoSavePicture(TRVSaveFormat DocumentSaveFormat, TCustomRVData* RVData, int ItemNo,
                                         const TRVUnicodeString& imgSavePrefix, const TRVUnicodeString& Path,
                                         int& imgSaveNo, bool OverrideFiles, TColor CurrentFileColor, TGraphic* gr);
  // Saves the picture to the next free file (as JPEG or its own kind for HTML, as a bitmap
  // otherwise) and answers its location: the folder of imgSavePrefix and the file name.
  TRVUnicodeString SavePicture(TRVSaveFormat DocumentSaveFormat, const TRVUnicodeString& imgSavePrefix,
                               const TRVUnicodeString& Path, int& imgSaveNo, bool OverrideFiles,
                               TColor CurrentFileColor, TGraphic* gr);
  virtual TRVUnicodeString GetNextFileName(const TRVUnicodeString& ImagesPrefix, const TRVUnicodeString& Path,
                                           const TRVUnicodeString& Ext, int& imgSaveNo, bool OverrideFiles);

  // ---- item queries used here ----
  int GetActualStyle(TCustomRVItemInfo* Item);
  int GetActualTextStyle(TCustomRVItemInfo* Item);
  int GetActualStyleEx(int StyleNo, int ParaNo);
  int GetItemStyle(int ItemNo) { return GetActualStyle(GetItem(ItemNo)); }
  virtual int GetStyleFromStyleTemplate(int StyleNo, int ParaNo);
  bool IsWideEmptyTextItem(int ItemNo);
  // Sequence, marker and print-field lists: an added or deleted item enters or leaves them.
  virtual void DoOnAddSpecialItem(int ItemNo);
  virtual void DoOnDeleteSpecialItem(TCustomRVItemInfo* Item, bool Clearing);
  // The formatted document when this is one (formatted layers answer themselves).
  virtual TCustomRVFormattedData* AsFormattedData() { return nullptr; }
  // Asks the root to convert the text style of an item (style conversion of tabs and labels).
  virtual void DoCurrentTextStyleConversion(int& /*StyleNo*/, int /*ParaStyleNo*/, int /*ItemNo*/, int /*UserData*/,
                                            bool /*ToWholeParagraphs*/) {}
  // Whether the field highlight is forced (an editor's setting, asked of the absolute root).
  virtual bool GetForceFieldHighlight() { return false; }
  // The canvas hosted documents are formatted on (a viewer's root answers); nil without one.
  virtual TCanvas* GetFormatCanvasEx(TCanvas* /*DefCanvas*/) { return nullptr; }
  // Sets the cursor of the parent control.
  virtual void SetCursor(TCursor /*Cursor*/) {}

  // ---- fields ----
  int FFirstJumpNo = 0;
  TRVCPInfo* FirstCP = nullptr;
  TRVCPInfo* LastCP = nullptr;
  TRVCPInfo* NotAddedCP = nullptr;
  TRVStates State;
  int FFirstParaListNo = -1;
  int FFirstParaLevel = -1;
  int CPCount = 0;

 protected:
  // Items that continue a line after the last item; the add rule of AddItem and DoAddItem.
  void PrepareAddedItem(TCustomRVItemInfo* Item);
  void CreateItemList();
  // For descendants that share another document's items: the own list made by the constructor
  // goes (the base constructor cannot ask SharesItemList).
  void DropOwnItemList();

  TRVItemList* FItems = nullptr;
  bool FOwnsItems = false;
  bool FAllowNewPara = true;
};

// A root document without a control and without formatting: its root state holds its flags,
// options, settings, events, special-item lists and document parameters. Conversions, tests and
// printing of documents built in code use it; the viewer's root data takes its place on screen.
class TRVPlainRootData : public TCustomRVData {
 public:
  explicit TRVPlainRootData(TRVStyle* AStyle = nullptr);
  ~TRVPlainRootData() override;

  TRVStyle* GetRVStyle() const override { return FStyle; }
  void SetRVStyle(TRVStyle* Value) { FStyle = Value; }
  TRVDataRootState* GetRootState() const override { return FRootState.get(); }
  std::shared_ptr<IRVScaleViroZereInterface> GetScaleViroZereInterface() override { return ScaleViroZere; }
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                  TCustomRVData* RVData) override;

  // A page-layout editor hosting this document, when a test or host sets one.
  std::shared_ptr<IRVScaleViroZereInterface> ScaleViroZere;

 private:
  TRVStyle* FStyle;
  std::unique_ptr<TRVDataRootState> FRootState;
};
