// The undo records that the primitive edits of the editor data add. Each record keeps what it
// needs to take its change back and undoes itself through the opposite primitive, which records
// the opposite record on the other list. Each answers the reformatting questions of TRVUndoInfo so
// that performing a step formats no more than it must.
//
// A record whose item number no longer fits the document refuses to undo with EViroZereError
// "Undo error" rather than touch memory it does not own.
#pragma once

#include <memory>

#include "engine/editor/RVUndo.h"
#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVVAlign.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "engine/styles/ParaInfo.h"
#include "engine/viewer/RVIntProperty.h"
#include "platform/graphics/Pictures.h"

class TCustomRVItemInfo;
class TRVCPInfo;
class TRVItemList;
class TStringList;
enum TRVReformatType : std::uint8_t;

// Frees an item that a record still holds: the owner is told that the item goes (rviaDestroying
// and the undo-list control action), the item's tag and its checkpoint's tag are cleared, the
// checkpoint and the item are freed. RVData may be nil (a record never added to a list).
void RVUndoFreeHeldItem(TCustomRVData* RVData, TCustomRVItemInfo* Item);

// ---- record bases ----------------------------------------------------------------------------

// A record holding one item taken out of the document (owned until undo gives it back).
class TRVUndoItemInfo : public TRVUndoRawStringInfo {
 public:
  ~TRVUndoItemInfo() override;
  TCustomRVItemInfo* Item = nullptr;
  // The document the item came from, told when the held item is freed. Kept here rather than
  // asked of the list: records are freed while their list is being destroyed.
  TCustomRVData* OwnerData = nullptr;
};

// A record holding several items taken out of the document, last removed last (owned).
class TRVUndoItemListInfo : public TRVUndoInfo {
 public:
  TRVUndoItemListInfo();
  ~TRVUndoItemListInfo() override;
  std::unique_ptr<TRVItemList> List;
  TCustomRVData* OwnerData = nullptr;  // as in TRVUndoItemInfo
};

class TRVUndoItemRangeInfo : public TRVUndoItemListInfo {
 public:
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* RVData) override;
  int StartItemNo = 0;
  int LastAffectedItemNo = -1;
};

class TRVUndoListInfo : public TRVUndoInfo {
 public:
  TRVIntegerList List;
};

class TRVUndoChangeAllInfos : public TRVUndoInfo {
 public:
  bool ChangesStyles() override { return true; }
  bool RequiresFullReformat2(TCustomRVData* /*RVData*/) override { return true; }
  TCustomRVData* SubDoc = nullptr;
  TRVIntegerList Indices;
};

class TRVUndoModifyItemProps;
// Makes an empty record of a property-record class (the class reference of the Do_ModifyItem...
// primitives).
using TRVUndoModifyItemPropsClass = TRVUndoModifyItemProps* (*)();

// A record of properties changed on an item or on an object inside it (SubObject; nil: the item).
class TRVUndoModifyItemProps : public TRVUndoItemNoInfo {
 public:
  bool RequiresFormat() override { return AffectSize; }
  bool RequiresFullReformat1(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  // The class whose record undoing makes.
  virtual TRVUndoModifyItemPropsClass GetOppositeClass() = 0;
  // Copies what a subclass adds onto the record that undoing produced.
  virtual void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* /*UndoInfo*/) {}
  int OldW = 0;
  bool AffectWidth = false, AffectSize = false;
  TObject* SubObject = nullptr;
};

// ---- items and their text ----------------------------------------------------------------------

class TRVUndoDeleteItemInfo : public TRVUndoItemInfo {
 public:
  TRVUndoDeleteItemInfo() { Action = rvuDeleteItem; }
  void Undo(TCustomRVData* RVData) override;
  int ItemsAdded() override { return 1; }
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  bool FR = false;
};

class TRVUndoDeleteItemsInfo : public TRVUndoItemRangeInfo {
 public:
  TRVUndoDeleteItemsInfo() { Action = rvuDeleteItems; }
  void Undo(TCustomRVData* RVData) override;
  int ItemsAdded() override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int EndItemNo = -1;
  bool FR = false;
};

class TRVUndoDeleteSubstringInfo : public TRVUndoSubStringInfo {
 public:
  TRVUndoDeleteSubstringInfo() { Action = rvuDeleteSubstring; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int OldWidth = 0;
};

class TRVUndoInsertItemInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoInsertItemInfo() { Action = rvuInsertItem; }
  void Undo(TCustomRVData* RVData) override;
  int ItemsAdded() override { return -1; }
  bool RequiresFullReformat1(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* /*RVData*/) override { return FR; }
  bool FR = false;
};

class TRVUndoInsertItemsInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoInsertItemsInfo() { Action = rvuInsertItems; }
  void Undo(TCustomRVData* RVData) override;
  int ItemsAdded() override { return -Count; }
  bool RequiresFullReformat1(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* /*RVData*/) override { return FR; }
  bool FR = false;
  int Count = 0;
};

class TRVUndoModifyItemInfo : public TRVUndoItemInfo {
 public:
  TRVUndoModifyItemInfo() { Action = rvuModifyItem; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat1(TCustomRVData* RVData) override;
};

class TRVUndoReplaceItemInfo : public TRVUndoItemInfo {
 public:
  TRVUndoReplaceItemInfo() { Action = rvuModifyItem; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return false; }
};

class TRVUndoChangeTextInfo : public TRVUndoRawStringInfo {
 public:
  TRVUndoChangeTextInfo() { Action = rvuChangeText; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int OldWidth = 0;
};

class TRVUndoChangeVAlignInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoChangeVAlignInfo() { Action = rvuChangeText; }
  void Undo(TCustomRVData* RVData) override;
  TRVVAlign VAlign = rvvaBaseline;
};

class TRVUndoResizeInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoResizeInfo() { Action = rvuModifyItem; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int OldWidth = 0, Width = 0, Height = 0;
};

// ---- styles ------------------------------------------------------------------------------------

class TRVUndoStyleNoInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoStyleNoInfo() { Action = rvuStyleNo; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int OldWidth = 0, WasStyleNo = 0;
};

class TRVUndoAssociatedTextStyleNoInfo : public TRVUndoStyleNoInfo {
 public:
  void Undo(TCustomRVData* RVData) override;
};

// ---- paragraph properties ----------------------------------------------------------------------

class TRVUndoNewLineInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoNewLineInfo() { Action = rvuNewLine; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* /*RVData*/) override { return FR; }
  bool FR = false, WasSameAsPrev = false;
  int WasParaNo = 0;
};

class TRVUndoBRInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoBRInfo() { Action = rvuBR; }
  void Undo(TCustomRVData* RVData) override;
  bool WasBR = false;
};

class TRVUndoPageBreakInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoPageBreakInfo() { Action = rvuPageBreak; }
  void Undo(TCustomRVData* RVData) override;
  bool WasPageBreak = false;
};

class TRVUndoClearTextFlowInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoClearTextFlowInfo() { Action = rvuPageBreak; }
  void Undo(TCustomRVData* RVData) override;
  bool WasClearLeft = false, WasClearRight = false;
};

class TRVUndoParaListInfo : public TRVUndoListInfo {
 public:
  TRVUndoParaListInfo() { Action = rvuPara; }
  void Undo(TCustomRVData* RVData) override;
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* RVData) override;
  bool RequiresFullReformat2(TCustomRVData* /*RVData*/) override { return FR; }
  bool FR = false;
  int StartItemNo = 0;
};

class TRVUndoChangeAllParasInfo : public TRVUndoChangeAllInfos {
 public:
  TRVUndoChangeAllParasInfo() { Action = rvuPara; }
  void Undo(TCustomRVData* RVData) override;
};

class TRVUndoChangeAllTextStyleInfo : public TRVUndoChangeAllInfos {
 public:
  TRVUndoChangeAllTextStyleInfo() { Action = rvuPara; }
  void Undo(TCustomRVData* RVData) override;
};

// ---- item properties ---------------------------------------------------------------------------

class TRVUndoExtraProperty : public TRVUndoItemNoInfo {
 public:
  bool RequiresFormat() override;
  bool RequiresFullReformat2(TCustomRVData* RVData) override;
  int OldWidth = -1;
  int Prop = 0;
  TRVReformatType ReformatType{};

 protected:
  void RememberWidth(TCustomRVData* RVData);
};

class TRVUndoExtraIntProperty : public TRVUndoExtraProperty {
 public:
  TRVUndoExtraIntProperty() { Action = rvuModifyItem; }
  void Undo(TCustomRVData* RVData) override;
  int OldValue = 0;
};

class TRVUndoExtraStrProperty : public TRVUndoExtraProperty {
 public:
  TRVUndoExtraStrProperty() { Action = rvuModifyItem; }
  void Undo(TCustomRVData* RVData) override;
  TRVUnicodeString OldValue;
};

class TRVUndoTagInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoTagInfo() { Action = rvuTag; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return false; }
  TRVUnicodeString WasTag;
  bool TagsArePChars = false;
};

class TRVUndoModifyItemIntProperty : public TRVUndoModifyItemProps {
 public:
  TRVUndoModifyItemIntProperty() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyItemIntProperty; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  TRVUnicodeString PropertyName;
  int Value = 0;
};

class TRVUndoModifyItemStrProperty : public TRVUndoModifyItemProps {
 public:
  TRVUndoModifyItemStrProperty() { Action = rvuModifyItem; }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyItemStrProperty; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  TRVUnicodeString PropertyName;
  TRVUnicodeString Value;
};

// PropList: one "name=value" line per property, the value the former one.
class TRVUndoModifyItemIntProperties : public TRVUndoModifyItemProps {
 public:
  TRVUndoModifyItemIntProperties();
  ~TRVUndoModifyItemIntProperties() override;
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyItemIntProperties; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  std::unique_ptr<TStringList> PropList;
};

// Brackets a series of property records of one item, so that a step reformats once.
class TRVUndoModifyItemTerminator : public TRVUndoModifyItemProps {
 public:
  TRVUndoModifyItemTerminator() {
    Action = rvuModifyItem;
    AffectWidth = AffectSize = true;
  }
  static TRVUndoModifyItemProps* Make() { return new TRVUndoModifyItemTerminator; }
  TRVUndoModifyItemPropsClass GetOppositeClass() override { return &Make; }
  void Undo(TCustomRVData* RVData) override;
  // The step performer judges everything between a closing and an opening terminator as one
  // change of the item's width, measured before the closing one is undone.
  TRVUndoWidthBracket WidthBracket() const override { return Opening ? rvwbOpening : rvwbClosing; }
  int GetBracketOldW() const override { return OldW; }
  void SetBracketOldW(int AOldW) override { OldW = AOldW; }
  bool Opening = false;
};

// ---- checkpoints -------------------------------------------------------------------------------

class TRVUndoAddCPInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoAddCPInfo() { Action = rvuCheckpoint; }
  void Undo(TCustomRVData* RVData) override;
};

class TRVUndoDeleteCPInfo : public TRVUndoItemNoInfo {
 public:
  TRVUndoDeleteCPInfo() { Action = rvuCheckpoint; }
  ~TRVUndoDeleteCPInfo() override;
  void Undo(TCustomRVData* RVData) override;
  TRVCPInfo* Checkpoint = nullptr;  // owned until undo gives it back
  bool TagsArePChars = false;
};

// ---- ranges, sub-documents, style sheets and the control ----------------------------------------

class TRVUndoReformateRange : public TRVUndoItemNoInfo {
 public:
  TRVUndoReformateRange() { Action = rvuMisc; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresSuperFormat() override { return SuperReformat; }
  bool SuperReformat = false;
};

class TRVUndoChangeSubDoc : public TRVUndoInfo {
 public:
  TRVUndoChangeSubDoc() { Action = rvuMisc; }
  ~TRVUndoChangeSubDoc() override;
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return false; }
  bool RequiresRepagination(TCustomRVData* /*RVData*/) override { return true; }
  TCustomRVData* SubDoc = nullptr;
  TRVMemoryStream* Stream = nullptr;  // owned
};

class TRVUndoStyleTemplate : public TRVUndoInfo {
 public:
  TRVUndoStyleTemplate();
  ~TRVUndoStyleTemplate() override;
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return false; }
  std::unique_ptr<TRVStyleTemplateCollection> OldStyleTemplates;
};

class TRVUndoTextParaStyles : public TRVUndoInfo {
 public:
  TRVUndoTextParaStyles() { Action = rvuMisc; }
  ~TRVUndoTextParaStyles() override;
  void Undo(TCustomRVData* RVData) override;
  bool ChangesStyles() override { return true; }
  bool RequiresFullReformat2(TCustomRVData* RVData) override { return SubDoc == RVData; }
  bool RequiresRepagination(TCustomRVData* RVData) override { return SubDoc != RVData; }
  TCustomRVData* SubDoc = nullptr;
  std::unique_ptr<TFontInfos> OldTextStyles;
  std::unique_ptr<TParaInfos> OldParaStyles;
};

class TRVUndoEditorIntProp : public TRVUndoInfo {
 public:
  TRVUndoEditorIntProp() { Action = rvuProperty; }
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return AffectsLayout(); }
  bool RequiresFullReformat2(TCustomRVData* /*RVData*/) override { return AffectsLayout(); }
  TRVIntProperty Prop = rvipLeftMargin;
  int OldValue = 0;

 private:
  bool AffectsLayout() const;
};

class TRVUndoBackgroundImage : public TRVUndoInfo {
 public:
  TRVUndoBackgroundImage() { Action = rvuProperty; }
  ~TRVUndoBackgroundImage() override;
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return false; }
  std::unique_ptr<TGraphic> OldGraphic;
};

// A record that holds a whole nested undo list (tables record their own changes in one).
class TRVCompositeUndo : public TRVUndoInfo {
 public:
  TRVCompositeUndo();
  ~TRVCompositeUndo() override;
  void Undo(TCustomRVData* RVData) override;
  bool RequiresFormat() override { return false; }
  void GetItemsRange(int& StartItem, int& EndItem, TCustomRVData* RVData) override;
  // The step stays while the nested list still has steps to undo.
  bool HoldsMore() const override;
  int ItemNo = -1;
  bool IsRedo = false;
  std::unique_ptr<TRVUndoList> UndoList;
};
