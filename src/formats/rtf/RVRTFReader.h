// The RTF reader: a non-visual component that reads an RTF stream byte by byte and reports the
// document through events; it builds no document itself. One reader reads one document: the
// caller makes a fresh reader for every read. Input is hostile: nothing in a file crashes the
// reader, hangs it or makes it allocate without bound; errors are answered as TRVRTFErrorCode.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/document/RVRTFReaderProps.h"
#include "engine/foundation/RVClasses.h"
#include "formats/rtf/RVRTFReaderState.h"
#include "formats/rtf/RVRTFTypes.h"
#include "platform/base/Classes.h"

class TGraphic;
class TRVRTFFontList;
class TRVRTFColorList;
class TRVRTFStyleSheet;
class TRVRTFListTable97;
class TRVRTFListOverrideTable97;
class TRVRTFPicture;
class TRVRTFObject;
class TRVRTFMarkerProperties;

using TRVRTFNewTextEvent = std::function<void(TObject* Sender, const TRVAnsiString& Text, TRVRTFPosition Position)>;
using TRVRTFNewUnicodeTextEvent =
    std::function<void(TObject* Sender, const TRVUnicodeString& Text, TRVRTFPosition Position)>;
// The handler owns Graphic from then on (it may be nullptr).
using TRVRTFNewPictureEvent = std::function<void(TObject* Sender, TRVRTFPicture* RTFPicture, TGraphic* Graphic,
                                                 TRVRTFPosition Position, const TRVUnicodeString& FileName,
                                                 bool& Inserted)>;
using TRVRTFNewObjectEvent =
    std::function<void(TObject* Sender, TRVRTFObject* RTFObject, TRVRTFPosition Position, bool& Inserted)>;
using TRVRTFImportPictureEvent =
    std::function<void(TObject* Sender, const TRVUnicodeString& Location, TGraphic*& Graphic, bool& Invalid)>;
using TRVRTFTableEvent = std::function<void(TObject* Sender, TRVRTFTableEventKind WhatHappens, bool& Processed)>;
using TRVRTFHeaderFooterEvent =
    std::function<void(TObject* Sender, TRVRTFHeaderFooterType HFType, bool Starting, bool& Supported)>;
using TRVRTFNoteEvent = std::function<void(TObject* Sender, TRVRTFNoteEventType What, TRVRTFPosition Position)>;
using TRVRTFTranslateKeywordEvent = std::function<void(TObject* Sender, const TRVAnsiString& Keyword, int Param,
                                                       bool fParam, TRVAnsiString& Text, bool& DoDefault)>;
using TRVRTFProgressEvent = std::function<void(TObject* Sender, TRVRTFProgressStage Stage, std::uint8_t PercentDone)>;
using TRVRTFBookmarkStartEvent = std::function<void(TObject* Sender, const TRVUnicodeString& BookmarkName)>;
using TRVRTFNewSeqEvent =
    std::function<void(TObject* Sender, TRVRTFPosition Position, const TRVUnicodeString& SeqName,
                       TRVRTFSeqType NumberingType, bool Reset, int StartFrom)>;
using TRVRTFNewPageNumberEvent =
    std::function<void(TObject* Sender, TRVRTFPosition Position, TRVRTFPageNumberType NumberingType)>;

// One row of the control-word table.
struct TRVRTFsymbol {
  const char* Keyword;  // without the backslash, case-sensitive
  int DefValue;         // used without a parameter, or always with UseDef; the code unit of wide characters
  bool UseDef;
  TRVRTFKeywordType Kwd;
  int Idx;  // character code, 8-bit fallback, destination number, property index or special index
  TRVRTFKeywordAffect AffectTo;
};

// The control-word table, sorted by keyword (ordinal byte order) on first use, and the index of
// a keyword in it (-1 when absent), as the reader looks it up; for tests.
const TRVRTFsymbol* RTFControlWordTable(int& Count);
int RTFFindControlWord(const TRVAnsiString& Keyword);

class TRVRTFReader : public TComponent {
  TAVRELO_PERSISTENT(TRVRTFReader, TComponent)
 public:
  explicit TRVRTFReader(TComponent* AOwner);
  ~TRVRTFReader() override;

  void Clear();
  TRVRTFErrorCode ReadFromFile(const TRVUnicodeString& AFileName);
  TRVRTFErrorCode ReadFromStream(TStream* AStream);
  bool GetWidowOrphanControl(const TRVRTFParaProperties& ParaProps) const;

  TRVRTFFontList* FontTable() const { return FFontTable.get(); }
  TRVRTFColorList* ColorTable() const { return FColorTable.get(); }
  TRVRTFStyleSheet* StyleSheet() const { return FStyleSheet.get(); }
  TRVRTFListTable97* ListTable() const { return FListTable.get(); }
  TRVRTFListOverrideTable97* ListOverrideTable() const { return FListOverrideTable.get(); }
  TRVRTFReaderState* RTFState() const { return FRTFState.get(); }
  TRVRTFDocProperties* DocProps() const { return FDocProps.get(); }
  unsigned CodePage() const { return FCodePage; }
  bool WidowOrphanControl() const { return FWidowOrphanControl; }
  bool EndingCell() const { return FEndingCell; }

  // Published properties.
  unsigned DefCodePage = 0;
  TRVRTFHighlightConvert ConvertHighlight = rtf_hl_FixedColors;
  bool ExtractMetafileBitmaps = true;
  int PixelsPerInch = 0;
  bool ProcessFinalPar = false;
  // Public properties.
  TRVUnicodeString BasePath;
  bool TabAsSeparateChar = false;
  bool SkipHiddenText = false;

  TRVRTFNewTextEvent OnNewText;
  TRVRTFNewUnicodeTextEvent OnNewUnicodeText;
  TRVRTFNewPictureEvent OnNewPicture;
  TRVRTFNewObjectEvent OnNewObject;
  TRVRTFImportPictureEvent OnImportPicture;
  TNotifyEvent OnUpdateMarker;
  TRVRTFTableEvent OnTable;
  TNotifyEvent OnRequiredPageBreak;
  TRVRTFHeaderFooterEvent OnHeaderFooter;
  TRVRTFNoteEvent OnNote;
  TRVRTFTranslateKeywordEvent OnTranslateKeyword;
  TRVRTFProgressEvent OnProgress;
  TNotifyEvent OnEndParsing;
  TRVRTFBookmarkStartEvent OnBookmarkStart;
  TRVRTFNewSeqEvent OnNewSeq;
  TRVRTFNewPageNumberEvent OnNewPageNumber, OnNewPageCount;
  TNotifyEvent OnStyleSheet;

  // Deepest group nesting read; a deeper group ends the read with rtf_ec_StackOverflow.
  static constexpr int MaxGroupDepth = 10000;
  // Most tab stops a paragraph keeps; further "\tx" words are ignored.
  static constexpr int MaxTabStops = 256;

 private:
  // ---- the reader's input, group stack and main loop (RVRTFReader.cpp) ----
  void ResetInput();
  // The next byte: from the buffer in the common case, else through a refill.
  unsigned char GetInputChar() {
    if (!UseLastChar && InputStringIndex <= InputStringLength)
      return LastChar = InputString[static_cast<std::size_t>(InputStringIndex++ - 1)];
    return GetInputCharSlow();
  }
  unsigned char GetInputCharSlow();
  void UngetInputChar() { UseLastChar = true; }
  bool IsInputEnd() { return !UseLastChar && InputStringIndex > InputStringLength && IsStreamEnd(); }
  bool IsStreamEnd();
  // Bytes of the stream not yet read, counting a byte pushed back.
  std::int64_t InputLeft();
  TRVRTFErrorCode ParseStream();
  TRVRTFErrorCode ParseEnd();
  TRVRTFErrorCode ReadControlWord();
  TRVRTFErrorCode BeginGroup();
  TRVRTFErrorCode EndGroup();
  TRVRTFErrorCode ReadHexByte(unsigned char ch);
  // After the first byte of body text: the plain bytes after it in the buffer, appended at once.
  void TakeTextRun();
  // After a byte of binary data: the rest of the data in the buffer, taken at once.
  void TakeBinaryRun();

  // ---- control-word table and dispatch (RVRTFControlWords.cpp) ----
  TRVRTFErrorCode DispatchControlWord(const TRVAnsiString& Keyword, int Param, bool fParam);
  static int FindControlWord(const TRVAnsiString& Keyword);
  friend int RTFFindControlWord(const TRVAnsiString& Keyword);
  TRVRTFErrorCode EnterDestination(int Dest, int Param);
  TRVRTFErrorCode LeaveDestination(TRTFrds Rds, TRVRTFReaderState& Source);
  TRVRTFErrorCode ApplyProperty(int Idx, int Value);
  TRVRTFErrorCode ApplyGeneralProperty(int Idx, int Value);
  TRVRTFErrorCode ApplySpecial(int Idx);
  TRVRTFErrorCode ResetProperties(int Idx);
  TRVRTFErrorCode ApplyUnicode(int Value);
  TRVRTFErrorCode ProcessChar(unsigned char ch);
  TRVRTFErrorCode AppendWideChar(TRVUnicodeChar ch);
  // A colour of the colour table; false (Color unchanged) when Index is outside it.
  bool GetTableColor(int Index, TColor& Color) const;
  static TColor HighlightToColor(int Index);

  // Owned objects.
  std::unique_ptr<TRVRTFFontList> FFontTable;
  std::unique_ptr<TRVRTFColorList> FColorTable;
  std::unique_ptr<TRVRTFStyleSheet> FStyleSheet;
  std::unique_ptr<TRVRTFListTable97> FListTable;
  std::unique_ptr<TRVRTFListOverrideTable97> FListOverrideTable;
  std::unique_ptr<TRVRTFReaderState> FRTFState;
  std::unique_ptr<TRVRTFDocProperties> FDocProps;
  TRVList SaveList;  // of TRVRTFReaderState: one saved state per open group
  // States of closed groups kept for the next groups, so that a group allocates nothing.
  std::vector<std::unique_ptr<TRVRTFReaderState>> FFreeStates;

  // Made and freed during a read.
  TRVRTFPicture* FPicture = nullptr;
  TRVRTFObject* FObject = nullptr;
  TRVRTFMarkerProperties* FMarkerProps = nullptr;

  // Input and tokenizer.
  TStream* Stream = nullptr;
  std::int64_t StreamSize = 0;
  std::vector<unsigned char> InputString;
  int InputStringLength = 0;
  int InputStringIndex = 1;  // 1-based index of the next byte
  unsigned char LastChar = 0;
  bool UseLastChar = false;
  int lParam = 0;
  int cGroup = 0;
  std::int64_t cbBin = 0;
  int PicHexVal = 0;
  bool PicHexStrt = true;
  bool fSkipDestIfUnk = false;
  int SkipNext = 0;
  TRVAnsiString FTmpString;
  unsigned char FHexFirstDigit = 0;
  bool FHexHaveFirst = false;

  // Text and event state.
  TRVAnsiString Text;
  TRVUnicodeString TextW;
  TRVRTFPosition Position = rtf_ts_NewPara;
  bool ForceEvenEmptyNewLine = false;
  bool AfterTableRow = false;
  int CurrentNestingLevel = 0;
  bool ShpPictInserted = false;
  bool ObjectInserted = false;
  bool FEndingCell = false;
  int FCurPNSecLvl = 0;
  bool FHFRead[7] = {false, false, false, false, false, false, false};  // by TRVRTFHeaderFooterType
  unsigned FCodePage = 0;
  bool FWidowOrphanControl = false;
  bool FSpltPgPar = false;
  bool FCallProgress = false;
  int FProgress = 0;
  int FProgressCounter = 500;

 public:
  // ==== text and document events (RVRTFEvents.cpp) ====
 private:
  // Text bytes in the body: 0 only flushes, 10 is a paragraph mark, 13 a line mark.
  TRVRTFErrorCode AppendChar(unsigned char ch, bool FullNestingUpdate, bool UpdateNesting);
  // A UTF-16 code unit of body text (0 only flushes pending Unicode text).
  TRVRTFErrorCode AppendUnicodeChar(TRVUnicodeChar ch);
  TRVRTFErrorCode FlushText(TRVRTFPosition Pos, TRVRTFPosition& Mark);
  void DoUpdateMarker();
  // "\v" with its value.
  TRVRTFErrorCode ApplyHidden(int Value);
  // "\page".
  TRVRTFErrorCode DoPageBreak();
  // "\footnote", "\ftnalt", "\chftn".
  TRVRTFErrorCode StartNote();
  TRVRTFErrorCode NoteIsEndnote();
  TRVRTFErrorCode NoteCharacter();
  // "\header" ... "\footerf" (destinations 21 to 28).
  TRVRTFErrorCode StartHeaderFooter(int Dest);

 public:
  // ==== tables and borders (RVRTFTables.cpp) ====
 private:
  bool DoTable(TRVRTFTableEventKind Kind);
  void UpdateTableNesting(bool Full);
  void CloseNoteTables();
  void CloseAllTables();
  // Border words (property indexes 57 to 62) by the current border type.
  TRVRTFErrorCode ApplyBorderProperty(int Idx, int Value);
  // Row and cell words, "\intbl", "\itap", "\absnoovrlp" (indexes 146 to 196 but "\trowd").
  TRVRTFErrorCode ApplyTableProperty(int Idx, int Value);
  // "\cell" / "\nestcell" and "\row" / "\nestrow".
  TRVRTFErrorCode EndCell();
  TRVRTFErrorCode EndRow();
  // At the row end: drops the cell being defined and blends the cell shadings.
  void FinalizeCells(class TRVRTFRowProperties& Row);
  // The table nesting level of the current paragraph (0 outside tables). Asked for every byte of
  // text, which needs no table event while it equals the level already reported.
  int ParaTableLevel() const {
    const TRVRTFParaProperties& para = *FRTFState->ParaProps();
    if (!para.FInTable || para.FNestingLevel < 0) return 0;
    return para.FNestingLevel < MaxTableNesting ? para.FNestingLevel : MaxTableNesting;
  }
  // The border side that border words act on; nullptr for the all-sides forms and for none.
  class TRVRTFBorderSide* CurrentBorderSide();
  // The cell being defined (the last of the row's list, made when the list is empty).
  class TRVRTFCellProperties* LastCell();
 public:
  // Deepest table nesting taken from "\itap".
  static constexpr int MaxTableNesting = 64;
  // Most cells of one row; further cell definitions are folded into the last cell.
  static constexpr int MaxCellCount = 256;
 private:

 public:
  // ==== lists (RVRTFLists.cpp) ====
  void CreateListsFromOverrides();
 private:
  // Destinations 30 to 42 ("\pntxta" ... "\lfolevel").
  TRVRTFErrorCode EnterListDestination(int Dest, int Param);
  // A list destination ends (level text and numbers are cut to their length).
  TRVRTFErrorCode LeaveListDestination(TRTFrds Rds);
  // Properties inside rdsPN, rdsPNSecLvl, rdsList, rdsListLevel, rdsLOListLevel, rdsLO, rdsLOLevel.
  TRVRTFErrorCode ApplyListDestinationProperty(int Idx, int Value);
  // List words of the body: "\af" (53), "\pnseclvl" (124), "\ls" (139), "\ilvl" (141).
  TRVRTFErrorCode ApplyParaListProperty(int Idx, int Value);
  // Bytes and code units of rdsPNTextAfter/Before, rdsListName, the level texts and numbers.
  TRVRTFErrorCode ProcessListChar(unsigned char ch);
  TRVRTFErrorCode AppendListWideChar(TRVUnicodeChar ch);
  // At the end of a "\pn" group: the marker goes to the restored paragraph properties.
  void EndPNGroup();
  // The list level that level words and texts act on; nullptr when the tables hold none.
  class TRVRTFListLevel97* CurrentListLevel(bool InOverride) const;
  void ApplyOldListProperty(TRVRTFMarkerProperties& m, TRVList* SectionDefaults, int Idx, int Value);
  void ApplyListLevelProperty(class TRVRTFListLevel97& l, int Idx, int Value);

 public:
  // ==== pictures and objects (RVRTFPictures.cpp) ====
 private:
  // Destinations 1, 2, 3, 43, 44, 45 ("\shppict", "\nonshppict", "\pict", "\object", "\objdata", "\result").
  TRVRTFErrorCode EnterPictureDestination(int Dest);
  TRVRTFErrorCode LeavePictureDestination(TRTFrds Rds);
  TRVRTFErrorCode ApplyPictureProperty(int Idx, int Value);
  TRVRTFErrorCode ApplyObjectProperty(int Idx, int Value);
  // Data bytes of rdsPict and rdsObjData.
  TRVRTFErrorCode ProcessPictureChar(unsigned char ch);
  // Hexadecimal picture data from ch on, read straight from the input.
  TRVRTFErrorCode ReadPictureHex(unsigned char ch);
  // The picture read into FPicture as a graphic (nullptr for kinds without a graphic class);
  // raises a data error for data that cannot be loaded.
  TGraphic* CreatePictureGraphic();
  void LoadPictureGraphic(std::unique_ptr<TGraphic>& Graphic);
  TRVRTFErrorCode DoNewPicture(TGraphic* Graphic, bool& Inserted);
  TRVRTFErrorCode DoNewObject();

 public:
  // ==== fields (RVRTFFields.cpp) ====
  bool IsHyperlinkField(const TRVUnicodeString& FieldCode) const;
  bool IsMergeField(const TRVUnicodeString& FieldCode) const;
  TRVUnicodeString GetFieldCommandValueEx(const TRVUnicodeString& s, int& StartIndex, int& Len,
                                          bool IgnorePrefixes) const;
  TRVUnicodeString GetFieldCommandValue(const TRVUnicodeString& s) const;
 private:
  // Destinations 17, 18, 19 ("\field", "\fldinst", "\fldrslt").
  TRVRTFErrorCode EnterFieldDestination(int Dest);
  TRVRTFErrorCode LeaveFieldDestination(TRTFrds Rds);
  // Bytes and code units of the field instruction.
  TRVRTFErrorCode ProcessFieldChar(unsigned char ch);
  TRVRTFErrorCode AppendFieldWideChar(TRVUnicodeChar ch);
  // The field kinds the reader makes objects of; each acts only on its own instruction.
  void InsertIncludePictureField();
  void InsertSymbolField();
  void InsertSeqField();
  void InsertPageField(bool PageCount);
  void InsertDocPropertyField();
  // The picture of an INCLUDEPICTURE or IMPORT path (nullptr for none); Invalid as the handler says.
  TGraphic* ImportFieldPicture(const TRVUnicodeString& Path, bool& Invalid);
  void DoNewPageNumber(TRVRTFPageNumberType Type, bool PageCount);
  // The lead byte of a double-byte character of the instruction, waiting for its second byte.
  unsigned char FFieldLeadByte = 0;
  // The lead-byte ranges of FFieldCodePage, which the instruction is read in: first and last of
  // each range.
  unsigned FFieldCodePage = 0xFFFFFFFF;
  std::vector<unsigned char> FFieldLeadBytes;

 public:
  // ==== font, colour and style tables, code pages (RVRTFTablesOfDoc.cpp) ====
  TRVUnicodeString AnsiToUnicode(const TRVAnsiString& s, unsigned CodePage) const;
  TRVAnsiString UnicodeToAnsi(const TRVUnicodeString& s) const;
  unsigned GetCurrentCodePage() const;
 private:
  // Destinations 5 to 11 ("\fonttbl", "\stylesheet", "\colortbl", the style-sheet entry kinds).
  TRVRTFErrorCode EnterDocTableDestination(int Dest, int Param);
  TRVRTFErrorCode LeaveDocTableDestination(TRTFrds Rds);
  // Indexes 85 to 94 inside a style-sheet entry; Handled false for any other.
  TRVRTFErrorCode ApplyStyleSheetProperty(int Idx, int Value, bool& Handled);
  // "\f" (52), "\deff" (54), "\ansicpg" (67), "\red" "\green" "\blue" (80-82), font families and
  // charsets (83, 84), "\s" and "\cs" outside the style sheet (85, 86).
  TRVRTFErrorCode ApplyDocTableProperty(int Idx, int Value);
  // Bytes and code units of rdsFontTable, rdsColorTable, rdsStyleSheetEntry.
  TRVRTFErrorCode ProcessDocTableChar(unsigned char ch);
  TRVRTFErrorCode AppendDocTableWideChar(TRVUnicodeChar ch);
  // Bytes 0x80 to 0xFF of OEM and Mac text to the ANSI code page.
  void ConvertOEMText(TRVAnsiString& s) const;
  void ConvertMacText(TRVAnsiString& s) const;
  // The font table index of a font number ("\f", "\plain").
  int GetFontIndexOfNumber(int Number) const;
  // Drops the colour that the last ";" of the colour table opened.
  void EndColorTable();
};
