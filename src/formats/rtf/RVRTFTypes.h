// The enumerations and small value types of the RTF reader: what its events report and what its
// state, tables, lists and pictures hold. Shared by every unit of the reader and by its callers.
#pragma once

#include <cstdint>

#include "engine/document/RVRTFReaderProps.h"
#include "engine/foundation/RVTypes.h"
#include "platform/base/Types.h"
#include "platform/graphics/Graphics.h"

// clang-format off

// How a reported text run, picture, object or field relates to what precedes it.
enum TRVRTFPosition : std::uint8_t { rtf_ts_ContinuePara, rtf_ts_NewLine, rtf_ts_NewPara };

enum TRVRTFProgressStage : std::uint8_t { rvprtfprStarting, rvprtfprRunning, rvprtfprEnding };

// Input state: ordinary bytes, "\bin" data, the second digit of a "\'" byte.
enum TRTFris : std::uint8_t { risNorm, risBin, risHex };

// Destination: what the bytes of the current group are.
enum TRTFrds : std::uint8_t {
  rdsNorm, rdsSkip, rdsFontTable, rdsStyleSheet, rdsColorTable, rdsStyleSheetEntry, rdsPict,
  rdsShpPict, rdsObject, rdsObjData, rdsBmkStart, rdsInfo, rdsAuthor, rdsTitle, rdsDocComm,
  rdsField, rdsFldInst, rdsPN, rdsPNTextAfter, rdsPNTextBefore, rdsPNSecLvl, rdsListTable,
  rdsList, rdsListLevel, rdsListName, rdsListLevelText, rdsListLevelNumbers, rdsLOTable, rdsLO,
  rdsLOLevel, rdsLOListLevel, rdsLOListLevelText, rdsLOListLevelNumbers, rdsUpr
};

// How "\highlight" becomes a background colour.
enum TRVRTFHighlightConvert : std::uint8_t { rtf_hl_Ignore, rtf_hl_FixedColors, rtf_hl_ColorTable };

// Kinds of rows of the control-word table and which properties a property row changes.
enum TRVRTFKeywordType : std::uint8_t { rtf_kwd_Char, rtf_kwd_WideChar, rtf_kwd_Dest, rtf_kwd_Prop, rtf_kwd_Spec };
enum TRVRTFKeywordAffect : std::uint8_t { rtf_af_None, rtf_af_CharProp, rtf_af_ParaProp, rtf_af_BothProp };

// ---- character and paragraph formatting ----

enum TRVRTFBiDiMode : std::uint8_t { rtf_bidi_Unspecified, rtf_bidi_LTR, rtf_bidi_RTL };
enum TRVRTFFontStyleEx : std::uint8_t { rtf_fs_AllCaps };
using TRVRTFFontStylesEx = TSet<TRVRTFFontStyleEx, 1>;
enum TRVRTFSScriptType : std::uint8_t { rtf_ss_Normal, rtf_ss_Subscript, rtf_ss_Superscript };
// In the order of the underline control words' values ("\ulth" 1 ... "\ulthdashdd" 12).
enum TRVRTFUnderlineType : std::uint8_t {
  rtf_rvut_Normal, rtf_rvut_Thick, rtf_rvut_Double, rtf_rvut_Dotted, rtf_rvut_ThickDotted,
  rtf_rvut_Dashed, rtf_rvut_ThickDashed, rtf_rvut_LongDashed, rtf_rvut_ThickLongDashed,
  rtf_rvut_DashDotted, rtf_rvut_ThickDashDotted, rtf_rvut_DashDotDotted, rtf_rvut_ThickDashDotDotted
};
// In the order of the border control words ("\brdrnone" 0 ... "\brdroutset" 27).
enum TRVRTFBorderType : std::uint8_t {
  rtf_brdr_None, rtf_brdr_Single, rtf_brdr_DoubleThickness, rtf_brdr_Shadow, rtf_brdr_Double,
  rtf_brdr_Dot, rtf_brdr_Dash, rtf_brdr_Hairline, rtf_brdr_DashSmall, rtf_brdr_DotDash,
  rtf_brdr_DotDotDash, rtf_brdr_Triple, rtf_brdr_ThickThinSmall, rtf_brdr_ThinThickSmall,
  rtf_brdr_ThinThickThinSmall, rtf_brdr_ThickThinMed, rtf_brdr_ThinThickMed, rtf_brdr_ThinThickThinMed,
  rtf_brdr_ThickThinLarge, rtf_brdr_ThinThickLarge, rtf_brdr_ThinThickThinLarge, rtf_brdr_Wavy,
  rtf_brdr_DoubleWavy, rtf_brdr_Striped, rtf_brdr_Emboss, rtf_brdr_Engrave, rtf_brdr_Inset,
  rtf_brdr_Outset
};
enum TRVRTFAlignment : std::uint8_t { rtf_al_Left, rtf_al_Right, rtf_al_Center, rtf_al_Justify, rtf_al_Distribute };
// Border sides; rtf_side_All ("\box") only where the paragraph's current side is kept.
enum TRVRTFSide : std::uint8_t { rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom, rtf_side_All };
using TRVRTFSideEx = TRVRTFSide;
// What the next border control words act on.
enum TRVRTFCurrentBorderType : std::uint8_t { rtf_bt_Para, rtf_bt_Char, rtf_bt_Row, rtf_bt_Cell, rtf_bt_Other };
enum TRVRTFParaWidowOrphanControl : std::uint8_t { rtf_woc_Default, rtf_woc_On, rtf_woc_Off };
enum TRVRTFTabAlign : std::uint8_t { rtf_tab_Left, rtf_tab_Right, rtf_tab_Center, rtf_tab_Decimal };
enum TRVRTFTabLeader : std::uint8_t { rtf_tl_None, rtf_tl_Dot, rtf_tl_MiddleDot, rtf_tl_Hyphen, rtf_tl_Underline, rtf_tl_EqualSign };

// ---- sections and the document ----

enum TRVRTFSectionBreakType : std::uint8_t { rtf_sbk_None, rtf_sbk_Column, rtf_sbk_Even, rtf_sbk_Odd, rtf_sbk_Page };
enum TRVRTFPageNumberFormat : std::uint8_t { rtf_pg_Decimal, rtf_pg_UpperRoman, rtf_pg_LowerRoman, rtf_pg_UpperLetter, rtf_pg_LowerLetter };
enum TRVRTFZoomKind : std::uint8_t { rtf_zk_None, rtf_zk_FullPage, rtf_zk_BestFit };

// ---- document events ----

enum TRVRTFNoteEventType : std::uint8_t { rtf_ne_Character, rtf_ne_Start, rtf_ne_EndNote, rtf_ne_End };
enum TRVRTFHeaderFooterType : std::uint8_t {
  rtf_hf_MainText, rtf_hf_Header, rtf_hf_Footer, rtf_hf_HeaderL, rtf_hf_FooterL, rtf_hf_HeaderF, rtf_hf_FooterF
};

// ---- tables ----

enum TRVRTFTableEventKind : std::uint8_t {
  rvf_tbl_TableStart, rvf_tbl_TableEnd, rvf_tbl_TableForcedEnd, rvf_tbl_TableLastRowEnd, rvf_tbl_RowEnd,
  rvf_tbl_CellEnd
};
enum TRVRTFCellMerge : std::uint8_t { rtf_cm_None, rtf_cm_First, rtf_cm_Merged };
enum TRVRTFVAlign : std::uint8_t { rtf_val_Top, rtf_val_Bottom, rtf_val_Center };
enum TRVRTFCellTextFlow : std::uint8_t { rtf_ctf_Normal, rtf_ctf_TopDown, rtf_ctf_BottomUp };

// ---- lists ----

enum TRVRTFParaListType : std::uint8_t {
  rtf_pn_Default, rtf_pn_Decimal, rtf_pn_LowerLetter, rtf_pn_UpperLetter, rtf_pn_LowerRoman, rtf_pn_UpperRoman,
  rtf_pn_Bullet
};
enum TRVRTFMarkerProp : std::uint8_t {
  rtfmp_ListType, rtfmp_Alignment, rtfmp_Indent, rtfmp_Space, rtfmp_Start, rtfmp_FontIndex, rtfmp_Size,
  rtfmp_Color, rtfmp_Bold, rtfmp_Italic, rtfmp_Underline, rtfmp_StrikeOut
};
using TRVRTFMarkerProps = TSet<TRVRTFMarkerProp, 12>;
enum TRVRTFMarkerProp97 : std::uint8_t {
  rtfmp_OldStyle, rtfmp_Legal, rtfmp_NoRestart, rtfmp_Text, rtfmp_Numbers, rtfmp_Follow, rtfmp_LeftIndent,
  rtfmp_FirstIndent, rtfmp_TabPos
};
using TRVRTFMarkerProps97 = TSet<TRVRTFMarkerProp97, 9>;
enum TRVRTFLevelFollow97 : std::uint8_t { rtf_lf_Tab, rtf_lf_Space, rtf_lf_None };

// ---- pictures, objects and fields ----

enum TRVRTFPictureType : std::uint8_t {
  rtf_pict_EMF, rtf_pict_PNG, rtf_pict_JPEG, rtf_pict_MacPict, rtf_pict_PmMetafile, rtf_pict_WMF, rtf_pict_DIB,
  rtf_pict_DDB
};
enum TRVRTFObjectType : std::uint8_t {
  rtf_obj_Emb, rtf_obj_Link, rtf_obj_AutLink, rtf_obj_Sub, rtf_obj_Pub, rtf_obj_ICEmb, rtf_obj_HTML, rtf_obj_OCX
};
// In the order of the document's sequence and page-number kinds.
enum TRVRTFSeqType : std::uint8_t { rtf_seqDecimal, rtf_seqLowerAlpha, rtf_seqUpperAlpha, rtf_seqLowerRoman, rtf_seqUpperRoman };
enum TRVRTFPageNumberType : std::uint8_t {
  rtf_pntDefault, rtf_pntDecimal, rtf_pntDecimalDash, rtf_pntLowerAlpha, rtf_pntUpperAlpha, rtf_pntLowerRoman,
  rtf_pntUpperRoman
};

// ---- fonts and styles ----

enum TRVRTFFontFamily : std::uint8_t {
  rtf_ff_Default, rtf_ff_Roman, rtf_ff_Swiss, rtf_ff_Modern, rtf_ff_Script, rtf_ff_Decorative, rtf_ff_Symbol,
  rtf_ff_BiDi
};
enum TRVRTFStyleSheetType : std::uint8_t { rtf_sst_Char, rtf_sst_Par, rtf_sst_Sect, rtf_sst_Table };
// clang-format on
