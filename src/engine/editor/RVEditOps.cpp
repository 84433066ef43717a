// Editing operations of the editor control. Each one goes to the innermost cell editor when one
// is active, asks the gate, opens one user-level undo step, calls the data's edits, reformats what
// the change needs and reports the change.
#include <memory>
#include <new>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/document/DLines.h"
#include "engine/layout/DrawLines.h"
#include "engine/editor/RVEdit.h"
#include "engine/editor/RVEditRunProtected.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/Classes.h"
#include "platform/ui/Dialogs.h"

namespace edit_ops {
using rvedit_protected::RunProtected;

// The cell editor edits a cell of Editor's document (nil when none).
TCustomViroZereEdit* InplaceEditOf(TCustomViroZereEdit* Editor) {
  auto* Inner = dynamic_cast<TCustomViroZereEdit*>(Editor->GetInplaceEditor());
  return Inner == Editor ? nullptr : Inner;
}

// The whole content of a file; the stream's errors go to the caller.
TRVRawByteString ReadWholeFile(const TRVUnicodeString& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
  TRVRawByteString Bytes;
  Bytes.resize(static_cast<size_t>(Stream.GetSize()));
  if (!Bytes.empty()) Stream.ReadBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  return Bytes;
}
}  // namespace edit_ops

// ---- insertion ----

bool TCustomViroZereEdit::BeforeInserting() {
  TRVEditRVData* Data = GetEditRVData();
  if (Data->FPartialSelectedItem || !CanDelete()) {
    Data->Beep();
    Data->State.Exclude(rvstDoNotClearCurTag);
    return false;
  }
  if (!BeforeChange(false)) {
    Data->State.Exclude(rvstDoNotClearCurTag);
    return false;
  }
  Data->BeginUndoSequence(rvutInsert, true);
  Data->SetUndoGroupMode(true);
  const int StyleNo = GetActualCurTextStyleNo();
  Data->AssignCurTag();
  Data->DeleteSelection_();
  Data->Deselect(nullptr, true);
  SetActualCurTextStyleNo(StyleNo);
  return true;
}

void TCustomViroZereEdit::AfterInserting() {
  GetEditRVData()->SetUndoGroupMode(false);
  Change();
  Invalidate();
}

bool TCustomViroZereEdit::InsertItem(const TRVUnicodeString& AName, TCustomRVItemInfo* Item) {
  std::unique_ptr<TCustomRVItemInfo> Owned(Item);
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertItem(AName, Owned.release());
  if (!Owned || !BeforeInserting()) return false;
  TRVUnicodeString Text = AName, SplitText;
  bool Inserted = false;
  edit_ops::RunProtected(
      [&] { Inserted = GetEditRVData()->InsertSomething(Owned.release(), Text, SplitText, false, false, true); },
      [&] { AfterInserting(); });
  return Inserted;
}

bool TCustomViroZereEdit::InsertBreak(TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertBreak(AWidth, AStyle, AColor);
  auto* Item = new TRVBreakItemInfo(GetEditRVData(), AWidth, AStyle, AColor);
  // The whole width, whatever the constructor keeps of it.
  Item->LineWidth = AWidth;
  return InsertItem(TRVUnicodeString(), Item);
}

bool TCustomViroZereEdit::InsertTab() {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertTab();
  auto* Item = new TRVTabItemInfo(GetEditRVData());
  Item->SetTextStyleNo(GetActualCurTextStyleNo());
  return InsertItem(TRVUnicodeString(), Item);
}

bool TCustomViroZereEdit::InsertPicture(const TRVUnicodeString& AName, TGraphic* gr, TRVVAlign AVAlign) {
  std::unique_ptr<TGraphic> Graphic(gr);
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this)
    return Top->InsertPicture(AName, Graphic.release(), AVAlign);
  auto* Item = new TRVGraphicItemInfo(GetEditRVData(), std::move(Graphic), AVAlign);
  if (TRVStyle* Sheet = GetStyle(); Sheet && Sheet->Units == rvstuTwips)
    Item->ConvertToDifferentUnits(rvstuTwips, Sheet, true);
  return InsertItem(AName, Item);
}

bool TCustomViroZereEdit::InsertStringWTag(const TRVUnicodeString& s, const TRVTag& ATag) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertStringWTag(s, ATag);
  TRVEditRVData* Data = GetEditRVData();
  TCustomRVItemInfo* Item = Data->CreateTextItem(ATag, GetCurParaStyleNo(), false, false, GetActualCurTextStyleNo());
  return InsertItem(Data->ReplaceTabs(s), Item);
}

void TCustomViroZereEdit::InsertTextW(const TRVUnicodeString& AText, bool CaretBefore) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->InsertTextW(AText, CaretBefore);
    return;
  }
  if (!BeforeInserting()) return;
  TRVEditRVData* Data = GetEditRVData();
  edit_ops::RunProtected([&] { Data->InsertTextW(AText, true, CaretBefore); },
                         [&] {
                           Data->SetUndoGroupMode(false);
                           Change();
                         });
}

void TCustomViroZereEdit::InsertTextA(const TRVAnsiString& AText, bool CaretBefore) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->InsertTextA(AText, CaretBefore);
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  Data->State.Include(rvstDoNotClearCurTag);
  if (!BeforeInserting()) return;
  edit_ops::RunProtected([&] { Data->InsertTextA(AText, true, CaretBefore, 0); },
                         [&] {
                           Data->State.Exclude(rvstDoNotClearCurTag);
                           Data->SetUndoGroupMode(false);
                           Change();
                         });
}

bool TCustomViroZereEdit::InsertTextFromFile(const TRVUnicodeString& FileName, int CodePage) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertTextFromFile(FileName, CodePage);
  TRVEditRVData* Data = GetEditRVData();
  Data->State.Include(rvstDoNotClearCurTag);
  if (!BeforeInserting()) return false;
  bool Result = false;
  edit_ops::RunProtected([&] { Result = Data->InsertTextFromFile(FileName, false, false, CodePage); },
                         [&] {
                           Data->State.Exclude(rvstDoNotClearCurTag);
                           Data->SetUndoGroupMode(false);
                           Change();
                         });
  return Result;
}

bool TCustomViroZereEdit::InsertTextFromFileW(const TRVUnicodeString& FileName) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertTextFromFileW(FileName);
  TRVEditRVData* Data = GetEditRVData();
  Data->State.Include(rvstDoNotClearCurTag);
  if (!BeforeInserting()) return false;
  bool Result = false;
  edit_ops::RunProtected([&] { Result = Data->InsertTextFromFileW(FileName, true); },
                         [&] {
                           Data->State.Exclude(rvstDoNotClearCurTag);
                           Data->SetUndoGroupMode(false);
                           Change();
                         });
  return Result;
}

bool TCustomViroZereEdit::InsertTextFromFileUTF8(const TRVUnicodeString& FileName) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertTextFromFileUTF8(FileName);
  TRVUnicodeString Text;
  try {
    Text = UTF8ToUnicode(edit_ops::ReadWholeFile(FileName));
  } catch (const EStreamError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  // As InsertTextW, answering whether the text went in.
  if (!BeforeInserting()) return false;
  TRVEditRVData* Data = GetEditRVData();
  edit_ops::RunProtected([&] { Data->InsertTextW(Text, true, false); },
                         [&] {
                           Data->SetUndoGroupMode(false);
                           Change();
                         });
  return true;
}

// A document read from Stream by Read (the data's RVF or RTF insertion) replaces the selection
// as one insertion step; false whenever nothing was inserted.
bool TCustomViroZereEdit::InsertStreamEd(TStream* Stream, bool (TRVEditRVData::*Read)(TStream*)) {
  TRVEditRVData* Data = GetEditRVData();
  if (!BeforeChange(false)) return false;
  if (Data->FPartialSelectedItem || !CanDelete()) {
    Data->Beep();
    return false;
  }
  Data->BeginUndoSequence(rvutInsert, true);
  Data->SetUndoGroupMode(true);
  bool Result = false;
  edit_ops::RunProtected(
      [&] {
        Data->DeleteSelection_();
        Result = (Data->*Read)(Stream);
      },
      [&] {
        Data->SetUndoGroupMode(false);
        Change();
      });
  return Result;
}

bool TCustomViroZereEdit::InsertRVFFromStreamEd(TStream* Stream) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertRVFFromStreamEd(Stream);
  return InsertStreamEd(Stream, &TRVEditRVData::InsertRVFFromStreamEd_);
}

bool TCustomViroZereEdit::InsertRTFFromStreamEd(TStream* Stream) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) return Top->InsertRTFFromStreamEd(Stream);
  return InsertStreamEd(Stream, &TRVEditRVData::InsertRTFFromStreamEd_);
}

bool TCustomViroZereEdit::InsertRVFFromFileEd(const TRVUnicodeString& FileName) {
  try {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
    return InsertRVFFromStreamEd(&Stream);
  } catch (const EStreamError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool TCustomViroZereEdit::InsertRTFFromFileEd(const TRVUnicodeString& FileName) {
  try {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
    return InsertRTFFromStreamEd(&Stream);
  } catch (const EStreamError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void TCustomViroZereEdit::InsertPageBreak() {
  if (GetInplaceEditor()) {
    MessageBeep(0);
    return;
  }
  if (!BeforeChange(false)) return;
  GetEditRVData()->InsertPageBreak();
}

void TCustomViroZereEdit::RemoveCurrentPageBreak() {
  if (GetInplaceEditor()) {
    MessageBeep(0);
    return;
  }
  // A read-only editor keeps its page breaks like everything else.
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  const int CaretItemNo = Data->GetCurItemNo();
  if (CaretItemNo < 0) return;
  const int FirstItemNo = Data->GetFirstParaItem(CaretItemNo);
  Data->BeginUndoSequence(rvutRemovePageBreak, true);
  Data->Do_PageBreak(FirstItemNo, false);
  Data->Reformat(false, false, false, FirstItemNo, true);
  Change();
  Invalidate();
}

// ---- item editing ----

void TCustomViroZereEdit::SetItemTextEdW(int ItemNo, const TRVUnicodeString& s) {
  TRVEditRVData* Data = GetEditRVData();
  Data->CheckItemIndex(ItemNo);
  if (!BeforeChange(false)) return;
  Data->BeginUndoSequence(rvutModifyItem, true);
  int SelStartNo = -1, SelEndNo = -1, SelStartOffs = 0, SelEndOffs = 0;
  Data->StoreSelBounds(SelStartNo, SelEndNo, SelStartOffs, SelEndOffs, false);
  int ModifyData = 0;
  Data->BeginItemModify(ItemNo, ModifyData);
  Data->Do_ChangeText(ItemNo, s);
  // A selection bound inside the item stays inside its new text.
  const int ItemEnd = Data->GetOffsAfterItem(ItemNo);
  if (SelStartNo == ItemNo && SelStartOffs > ItemEnd) SelStartOffs = ItemEnd;
  if (SelEndNo == ItemNo && SelEndOffs > ItemEnd) SelEndOffs = ItemEnd;
  Data->GetItem(ItemNo)->ClearWordPainters(0);
  LaterSetBackLiveSpellingTo(Data, ItemNo, 0);
  Data->EndItemModifyEx(ItemNo, ModifyData, SelStartNo, SelStartOffs, SelEndNo, SelEndOffs);
  Change();
}

void TCustomViroZereEdit::SetItemTagEd(int ItemNo, const TRVTag& ATag) {
  TRVEditRVData* Data = GetEditRVData();
  Data->CheckItemIndex(ItemNo);
  if (Data->GetItem(ItemNo)->Tag == ATag) return;
  if (!BeforeChange(false)) return;
  Data->BeginUndoSequence(rvutTag, true);
  Data->Do_Tag(ItemNo, ATag, true);
  Change();
}

void TCustomViroZereEdit::SetItemVAlignEd(int ItemNo, TRVVAlign AVAlign) {
  TRVEditRVData* Data = GetEditRVData();
  Data->CheckItemClass<TRVRectItemInfo>(ItemNo);
  if (Data->GetItemVAlign(ItemNo) == AVAlign) return;
  if (!BeforeChange(false)) return;
  Data->BeginUndoSequence(rvutModifyItem, true);
  int ModifyData = 0;
  Data->BeginItemModify(ItemNo, ModifyData);
  Data->Do_ChangeVAlign(ItemNo, AVAlign);
  Data->EndItemModify(ItemNo, ModifyData);
  Change();
}

void TCustomViroZereEdit::SetBreakInfoEd(int ItemNo, TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor,
                                         const TRVTag& ATag) {
  TRVEditRVData* Data = GetEditRVData();
  if (!BeforeChange(false)) return;
  Data->CheckItemClass<TRVBreakItemInfo>(ItemNo);
  Data->BeginUndoSequence(rvutModifyItem, true);
  auto* Item = new TRVBreakItemInfo(Data, AWidth, AStyle, AColor);
  // The whole width, whatever the constructor keeps of it.
  Item->LineWidth = AWidth;
  Item->Tag = ATag;
  Data->Do_ModifyItem(ItemNo, TRVUnicodeString(), Item);
  Change();
  Invalidate();
}

void TCustomViroZereEdit::SetPictureInfoEd(int ItemNo, const TRVUnicodeString& AName, TGraphic* Agr,
                                           TRVVAlign AVAlign, const TRVTag& ATag) {
  TRVEditRVData* Data = GetEditRVData();
  Data->CheckItemIndex(ItemNo);
  // The editor takes Agr in every case, unless it is the item's own graphic.
  auto* OldPicture = dynamic_cast<TRVGraphicItemInfo*>(Data->GetItem(ItemNo));
  std::unique_ptr<TGraphic> Taken(OldPicture && Agr == OldPicture->GetImage() ? nullptr : Agr);
  if (!BeforeChange(false)) return;
  auto* Old = Data->CheckItemClass<TRVGraphicItemInfo>(ItemNo);
  Data->BeginUndoSequence(rvutModifyItem, true);
  if (Old->HasThumbnail())
    if (TRVDataRootProperties* RootProps = Data->GetRootProperties()) RootProps->RemoveThumbnail(Old);
  int ModifyData = 0;
  Data->BeginItemModify(ItemNo, ModifyData);
  TGraphic* OldGraphic = Old->GetImage();
  std::unique_ptr<TGraphic> Graphic;
  if (Agr == OldGraphic && !Old->GetShared()) {
    // The old item keeps its own graphic for undo: the new one gets a copy.
    Graphic = GraphicHandler->CreateGraphic(Old->GraphicHolder->GetGraphicClass());
    if (Graphic) Graphic->Assign(Agr);
  } else if (Taken) {
    Graphic = std::move(Taken);
  } else {
    // A shared graphic stays shared.
    Graphic.reset(Agr);
  }
  const bool SizeChanged = !OldGraphic || !Graphic || OldGraphic->GetWidth() != Graphic->GetWidth() ||
                           OldGraphic->GetHeight() != Graphic->GetHeight() || Old->VAlign != AVAlign;
  TCustomRVItemInfo* NewItem = Old->ItemClass()->Create(Data).release();
  NewItem->Assign(Old);
  auto* NewPicture = static_cast<TRVGraphicItemInfo*>(NewItem);
  NewPicture->GraphicHolder->SetGraphic(Graphic.release());
  NewPicture->VAlign = AVAlign;
  NewPicture->ParaNo = Old->ParaNo;
  NewPicture->Tag = ATag;
  Data->Do_ModifyItem(ItemNo, AName, NewItem);
  if (SizeChanged) Data->EndItemModify(ItemNo, ModifyData);
  Change();
  Invalidate();
}

void TCustomViroZereEdit::SetCurrentBreakInfo(TRVStyleLength AWidth, TRVBreakStyle AStyle, TColor AColor,
                                              const TRVTag& ATag) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->SetCurrentBreakInfo(AWidth, AStyle, AColor, ATag);
    return;
  }
  SetBreakInfoEd(GetCurItemNo(), AWidth, AStyle, AColor, ATag);
}

void TCustomViroZereEdit::SetCurrentPictureInfo(const TRVUnicodeString& AName, TGraphic* Agr, TRVVAlign AVAlign,
                                                const TRVTag& ATag) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->SetCurrentPictureInfo(AName, Agr, AVAlign, ATag);
    return;
  }
  SetPictureInfoEd(GetCurItemNo(), AName, Agr, AVAlign, ATag);
}

void TCustomViroZereEdit::SetCurrentTag(const TRVTag& ATag) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->SetCurrentTag(ATag);
    return;
  }
  if (!BeforeChange(false)) return;
  SetItemTagEd(GetCurItemNo(), ATag);
}

namespace edit_ops {
// The reformatting an item property change asks for, after the change.
void ReformatAfterProperty(TCustomViroZereEdit* Editor, TRVEditRVData* Data, int ItemNo, TRVReformatType Type,
                           int ModifyData) {
  switch (Type) {
    case rvrfNormal: Data->EndItemModify(ItemNo, ModifyData); break;
    case rvrfFull: Data->Reformat(true, true, false, ItemNo, true); break;
    case rvrfRepaint: Editor->Invalidate(); break;
    // The page-layout owner places floating boxes; without one nothing is to be done here.
    case rvrfSRVRepaint:
    case rvrfSRVReformat:
    case rvrfNone: break;
  }
  Editor->Change();
}
}  // namespace edit_ops

void TCustomViroZereEdit::SetItemExtraIntPropertyExEd(int ItemNo, int Prop, int Value, bool AutoReformat) {
  TRVEditRVData* Data = GetEditRVData();
  int OldValue = 0;
  if (!Data->GetItemExtraIntPropertyEx(ItemNo, Prop, OldValue) || OldValue == Value) return;
  if (!BeforeChange(false)) return;
  Data->BeginUndoSequence(rvutModifyItem, true);
  const TRVReformatType Type = Data->GetItem(ItemNo)->GetExtraIntPropertyReformat(Prop);
  int ModifyData = 0;
  if (AutoReformat && Type == rvrfNormal) Data->BeginItemModify(ItemNo, ModifyData);
  Data->Do_ExtraIntProperty(ItemNo, Prop, Value, Type);
  if (AutoReformat) edit_ops::ReformatAfterProperty(this, Data, ItemNo, Type, ModifyData);
}

void TCustomViroZereEdit::SetItemExtraStrPropertyExEd(int ItemNo, int Prop, const TRVUnicodeString& Value,
                                                      bool AutoReformat) {
  TRVEditRVData* Data = GetEditRVData();
  TRVUnicodeString OldValue;
  if (!Data->GetItemExtraStrPropertyEx(ItemNo, Prop, OldValue) || OldValue == Value) return;
  if (!BeforeChange(false)) return;
  Data->BeginUndoSequence(rvutModifyItem, true);
  const TRVReformatType Type = Data->GetItem(ItemNo)->GetExtraStrPropertyReformat(Prop);
  int ModifyData = 0;
  if (AutoReformat && Type == rvrfNormal) Data->BeginItemModify(ItemNo, ModifyData);
  Data->Do_ExtraStrProperty(ItemNo, Prop, Value, Type);
  if (AutoReformat) edit_ops::ReformatAfterProperty(this, Data, ItemNo, Type, ModifyData);
}

void TCustomViroZereEdit::SetCurrentItemExtraIntPropertyEx(int Prop, int Value, bool AutoReformat) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  Top->SetItemExtraIntPropertyExEd(Top->GetCurItemNo(), Prop, Value, AutoReformat);
}

void TCustomViroZereEdit::SetCurrentItemExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value,
                                                           bool AutoReformat) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  Top->SetItemExtraStrPropertyExEd(Top->GetCurItemNo(), Prop, Value, AutoReformat);
}

bool TCustomViroZereEdit::GetCurrentItemExtraIntPropertyEx(int Prop, int& Value) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  const int ItemNo = Top->GetCurItemNo();
  return ItemNo >= 0 && Top->GetEditRVData()->GetItemExtraIntPropertyEx(ItemNo, Prop, Value);
}

void TCustomViroZereEdit::BeginItemModify(int ItemNo, int& ModifyData) {
  GetEditRVData()->BeginItemModify(ItemNo, ModifyData);
}
void TCustomViroZereEdit::EndItemModify(int ItemNo, int ModifyData) {
  GetEditRVData()->EndItemModify(ItemNo, ModifyData);
}
void TCustomViroZereEdit::BeginCurrentItemModify(int& ModifyData) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  Top->BeginItemModify(Top->GetCurItemNo(), ModifyData);
}
void TCustomViroZereEdit::EndCurrentItemModify(int ModifyData) {
  TCustomViroZereEdit* Top = GetTopLevelEditor();
  Top->EndItemModify(Top->GetCurItemNo(), ModifyData);
}

namespace edit_ops {
// Replaces a picture by a hot picture or back: FromStyleNo is the kind converted.
void ConvertPicture(TCustomViroZereEdit* Editor, int ItemNo, int FromStyleNo, TRVUndoType UndoType) {
  if (ItemNo < 0) {
    TCustomViroZereEdit* Top = Editor->GetTopLevelEditor();
    Editor = Top;
    ItemNo = Top->GetCurItemNo();
    if (ItemNo < 0) return;
  }
  TRVEditRVData* Data = Editor->GetEditRVData();
  Data->CheckItemIndex(ItemNo);
  if (Data->GetItem(ItemNo)->StyleNo != FromStyleNo) return;
  if (!Editor->BeforeChange(false)) return;
  Data->BeginUndoSequence(UndoType, true);
  Data->SetUndoGroupMode(true);
  RunProtected(
      [&] {
        TCustomRVItemInfo* NewItem = FromStyleNo == ItemKindPicture
                                         ? static_cast<TCustomRVItemInfo*>(new TRVHotGraphicItemInfo(Data))
                                         : new TRVGraphicItemInfo(Data);
        Data->Do_ReplaceItem(ItemNo, NewItem);
      },
      [&] { Data->SetUndoGroupMode(false); });
  Editor->Change();
  Editor->Invalidate();
}
}  // namespace edit_ops

void TCustomViroZereEdit::ConvertToHotPicture(int ItemNo) {
  edit_ops::ConvertPicture(this, ItemNo, ItemKindPicture, rvutToHypertext);
}
void TCustomViroZereEdit::ConvertToPicture(int ItemNo) {
  edit_ops::ConvertPicture(this, ItemNo, ItemKindHotPicture, rvutFromHypertext);
}

void TCustomViroZereEdit::ClearTextFlow(bool ALeft, bool ARight) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ClearTextFlow(ALeft, ARight);
    return;
  }
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  int StartNo = -1, StartOffs = 0, EndNo = -1, EndOffs = 0;
  Data->GetSelectionBoundsEx(StartNo, StartOffs, EndNo, EndOffs, true);
  if (StartNo < 0) StartNo = Data->GetCurItemNo();
  if (StartNo < 0) return;
  int FirstItemNo = StartNo, LastItemNo = StartNo;
  Data->ExpandToParaSection(StartNo, StartNo, FirstItemNo, LastItemNo);
  Data->BeginUndoSequence(rvutTextFlow, true);
  Data->Do_ClearTextFlow(FirstItemNo, ALeft, ARight);
  const int DItemNo = Data->Item2FirstDrawItem(FirstItemNo);
  if (DItemNo >= 0 && DItemNo < Data->DrawItems->Count() && Data->DrawItems->Get(DItemNo)->FloatingAboveUsed)
    Data->Reformat(false, true, false, FirstItemNo, true);
  Change();
  Invalidate();
}

void TCustomViroZereEdit::SetIntPropertyEd(TRVIntProperty Prop, int Value, bool AutoReformat) {
  if (GetIntProperty(Prop) == Value) return;
  if (!BeforeChange(false)) return;
  TRVUndoType UndoType = rvutProperty;
  if ((Prop >= rvipLeftMargin && Prop <= rvipMinTextWidth) || Prop == rvipBiDiMode)
    UndoType = rvutLayout;
  else if (Prop == rvipBackgroundStyle)
    UndoType = rvutBackground;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(UndoType, true);
  Data->Do_SetIntProperty(Prop, Value);
  if (!AutoReformat) return;
  if (UndoType == rvutLayout)
    Reformat();
  else if (UndoType == rvutBackground)
    RefreshAll();
  Change();
}

void TCustomViroZereEdit::SetBackgroundImageEd(TGraphic* Graphic, bool AutoReformat) {
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutBackground, true);
  Data->Do_SetBackgroundImage(Graphic);
  if (AutoReformat) Change();
}

// ---- styles, lists and style templates ----

namespace edit_ops {
// The text style the selection takes; protected text keeps its own.
void TextStyleConversion(TCustomViroZereEdit* Sender, int StyleNo, int /*ParaStyleNo*/, int UserData,
                         bool AppliedToText, int& NewStyleNo) {
  NewStyleNo = UserData;
  if (!AppliedToText) return;
  TRVStyle* Sheet = Sender->GetStyle();
  if (Sheet && StyleNo >= 0 && StyleNo < Sheet->TextStyles()->Count() &&
      Sheet->TextStyles()->Items(StyleNo)->Protection.Contains(rvprStyleProtect))
    NewStyleNo = StyleNo;
}

// A paragraph style re-derived from a template (UserData: its number; negative: no template).
void ParaTemplateConversion(TCustomViroZereEdit* Sender, int StyleNo, int UserData, bool Reset, int& NewStyleNo) {
  TRVStyle* Sheet = Sender->GetStyle();
  if (!Sheet || StyleNo < 0 || StyleNo >= Sheet->ParaStyles()->Count()) return;
  TParaInfo* Old = Sheet->ParaStyles()->Items(StyleNo);
  if (Old->Options.Contains(rvpaoStyleProtect)) {
    NewStyleNo = StyleNo;
    return;
  }
  if (UserData < 0 && !Sender->GetUseStyleTemplates()) {
    NewStyleNo = 0;
    return;
  }
  TRVStyleTemplateCollection* Templates = Sheet->StyleTemplates();
  TParaInfo Copy(nullptr);
  Copy.Assign(Old);
  if (UserData < 0 || UserData >= Templates->Count()) {
    Templates->ClearParaFormat(&Copy);
  } else {
    if (Reset)
      Copy.ModifiedProperties = TRVParaInfoProperties();
    else
      TRVStyleTemplate::UpdateModifiedParaStyleProperties(Templates->FindItemById(Copy.StyleTemplateId), &Copy);
    Templates->Items(UserData)->ApplyToParaStyle(&Copy);
  }
  NewStyleNo = Sheet->ParaStyles()->FindSuchStyleEx(0, &Copy, AllParaStyleProperties);
}

// A text style re-derived from a template; the template of the text's paragraph takes part.
void TextTemplateConversion(TCustomViroZereEdit* Sender, int StyleNo, int ParaStyleNo, int UserData, bool Reset,
                            int& NewStyleNo) {
  TRVStyle* Sheet = Sender->GetStyle();
  if (!Sheet || StyleNo < 0 || StyleNo >= Sheet->TextStyles()->Count()) return;
  TFontInfo* Old = Sheet->TextStyles()->Items(StyleNo);
  if (Old->Protection.Contains(rvprStyleProtect)) {
    NewStyleNo = StyleNo;
    return;
  }
  if (UserData < 0 && !Sender->GetUseStyleTemplates()) {
    NewStyleNo = 0;
    return;
  }
  TRVStyleTemplateCollection* Templates = Sheet->StyleTemplates();
  TRVStyleTemplate* ParaTemplate = nullptr;
  if (ParaStyleNo >= 0 && ParaStyleNo < Sheet->ParaStyles()->Count())
    ParaTemplate = Templates->FindItemById(Sheet->ParaStyles()->Items(ParaStyleNo)->StyleTemplateId);
  TFontInfo Copy(nullptr);
  Copy.Assign(Old);
  if (UserData < 0 || UserData >= Templates->Count()) {
    Templates->ClearTextFormat(&Copy);
  } else {
    TRVStyleTemplate* Template = Templates->Items(UserData);
    if (Reset)
      Copy.ModifiedProperties = TRVFontInfoProperties();
    else
      TRVStyleTemplate::UpdateModifiedTextStyleProperties(Templates->FindItemById(Copy.StyleTemplateId), &Copy,
                                                          ParaTemplate);
    // The paragraph's own template (or the Normal one) already gives the text its look.
    if (ParaTemplate && (Template == ParaTemplate || Template == Templates->NormalStyleTemplate()))
      Template = nullptr;
    TRVStyleTemplate::ApplyToTextStyle(Template, &Copy, ParaTemplate);
  }
  NewStyleNo = Sheet->TextStyles()->FindSuchStyleEx(0, &Copy, AllTextStyleProperties);
}

TRVStyleConversionEvent_ ParaTemplateCallback(bool Reset) {
  return [Reset](TCustomViroZereEdit* Sender, int StyleNo, int, int UserData, bool, int& NewStyleNo) {
    ParaTemplateConversion(Sender, StyleNo, UserData, Reset, NewStyleNo);
  };
}
TRVStyleConversionEvent_ TextTemplateCallback(bool Reset) {
  return [Reset](TCustomViroZereEdit* Sender, int StyleNo, int ParaStyleNo, int UserData, bool, int& NewStyleNo) {
    TextTemplateConversion(Sender, StyleNo, ParaStyleNo, UserData, Reset, NewStyleNo);
  };
}
}  // namespace edit_ops

void TCustomViroZereEdit::ApplyParaStyle(int ParaStyleNo) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyParaStyle(ParaStyleNo);
    return;
  }
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutPara, true);
  Data->ApplyParaStyle(ParaStyleNo, rvscParaStyle, true, true);
}

void TCustomViroZereEdit::ApplyTextStyle(int TextStyleNo) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyTextStyle(TextStyleNo);
    return;
  }
  if (!BeforeChange(false)) return;
  FCurStyleConversion = &edit_ops::TextStyleConversion;
  GetEditRVData()->ApplyStyleConversion_(TextStyleNo, rvscTextStyle, true);
}

void TCustomViroZereEdit::ApplyStyleConversion(int UserData, bool Recursive) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyStyleConversion(UserData, Recursive);
    return;
  }
  if (!OnStyleConversion) return;
  // Without a selection only the current text style changes: nothing in the document.
  if (SelectionExists() && !BeforeChange(false)) return;
  FCurStyleConversion = [](TCustomViroZereEdit* Sender, int StyleNo, int /*ParaStyleNo*/, int Data,
                           bool AppliedToText, int& NewStyleNo) {
    Sender->OnStyleConversion(Sender, StyleNo, Data, AppliedToText, NewStyleNo);
  };
  GetEditRVData()->ApplyStyleConversion_(UserData, rvscTextStyleConversion, Recursive);
}

void TCustomViroZereEdit::ApplyParaStyleConversion(int UserData, bool Recursive) {
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyParaStyleConversion(UserData, Recursive);
    return;
  }
  if (!OnParaStyleConversion) return;
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutPara, true);
  FCurStyleConversion = [](TCustomViroZereEdit* Sender, int StyleNo, int /*ParaStyleNo*/, int UserNo,
                           bool AppliedToText, int& NewStyleNo) {
    Sender->OnParaStyleConversion(Sender, StyleNo, UserNo, AppliedToText, NewStyleNo);
  };
  Data->ApplyParaStyle(UserData, rvscParaStyleConversion, Recursive, true);
}

namespace edit_ops {
TRVStyleTemplate* TemplateOf(TCustomViroZereEdit* Editor, int TemplateNo) {
  TRVStyle* Sheet = Editor->GetStyle();
  if (!Sheet || TemplateNo < 0 || TemplateNo >= Sheet->StyleTemplates()->Count()) return nullptr;
  return Sheet->StyleTemplates()->Items(TemplateNo);
}

// Whether the selection covers whole paragraphs or runs over more than one.
bool SelectionCoversParagraphs(TRVEditRVData* Data) {
  int StartNo = -1, StartOffs = 0, EndNo = -1, EndOffs = 0;
  Data->GetSelectionBoundsEx(StartNo, StartOffs, EndNo, EndOffs, true);
  if (StartNo < 0) return false;
  if (Data->GetFirstParaItem(StartNo) != Data->GetFirstParaItem(EndNo)) return true;
  int First = StartNo, Last = EndNo;
  Data->ExpandToPara(StartNo, EndNo, First, Last);
  return StartNo == First && StartOffs <= Data->GetOffsBeforeItem(StartNo) && EndNo == Last &&
         EndOffs >= Data->GetOffsAfterItem(EndNo);
}
}  // namespace edit_ops

void TCustomViroZereEdit::ApplyStyleTemplate(int TemplateNo, bool Recursive) {
  if (!GetUseStyleTemplates() && TemplateNo >= 0) {
    MessageBeep(0);
    return;
  }
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyStyleTemplate(TemplateNo, Recursive);
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  TRVStyleTemplate* Template = edit_ops::TemplateOf(this, TemplateNo);
  const bool IsNormal = Template && Template->GetName() == u"Normal";
  const bool Selected = Data->SelectionExists(false, false);
  bool ToParagraphs = false;
  if (Template && Template->GetKind() == rvstkPara && IsNormal)
    ToParagraphs = true;
  else if (!Template || Template->GetKind() != rvstkText)
    ToParagraphs = !Selected || edit_ops::SelectionCoversParagraphs(Data);
  if (!BeforeChange(false)) return;
  Data->BeginUndoSequence(rvutStyleTemplate, true);
  Data->SetUndoGroupMode(true);
  edit_ops::RunProtected(
      [&] {
        if (ToParagraphs) {
          FCurStyleConversion = edit_ops::ParaTemplateCallback(true);
          Data->ApplyParaStyle(TemplateNo, rvscParaStyleTemplateReset, Recursive, true);
        }
        if (!ToParagraphs || (TemplateNo < 0 && Selected)) {
          const int T = Template && !IsNormal ? -1 : TemplateNo;
          FCurStyleConversion = edit_ops::TextTemplateCallback(true);
          Data->ApplyStyleConversion_(T, rvscTextStyleTemplateReset, Recursive);
        }
      },
      [&] { Data->SetUndoGroupMode(false); });
}

void TCustomViroZereEdit::ApplyParaStyleTemplate(int TemplateNo, bool ResetAdditionalFormatting, bool Recursive) {
  TRVStyleTemplate* Template = edit_ops::TemplateOf(this, TemplateNo);
  if ((!GetUseStyleTemplates() && TemplateNo >= 0) || (Template && Template->GetKind() == rvstkText)) {
    MessageBeep(0);
    return;
  }
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyParaStyleTemplate(TemplateNo, ResetAdditionalFormatting, Recursive);
    return;
  }
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutStyleTemplate, true);
  FCurStyleConversion = edit_ops::ParaTemplateCallback(ResetAdditionalFormatting);
  Data->ApplyParaStyle(TemplateNo,
                       ResetAdditionalFormatting ? rvscParaStyleTemplateReset : rvscParaStyleTemplateNoReset,
                       Recursive, true);
}

void TCustomViroZereEdit::ApplyTextStyleTemplate(int TemplateNo, bool ResetAdditionalFormatting, bool Recursive) {
  if (!GetUseStyleTemplates() && TemplateNo >= 0) {
    MessageBeep(0);
    return;
  }
  if (TCustomViroZereEdit* Top = GetTopLevelEditor(); Top != this) {
    Top->ApplyTextStyleTemplate(TemplateNo, ResetAdditionalFormatting, Recursive);
    return;
  }
  TRVStyleTemplate* Template = edit_ops::TemplateOf(this, TemplateNo);
  const bool Applies = TemplateNo < 0 || !Template || Template->GetKind() != rvstkPara ||
                       Template == GetStyle()->StyleTemplates()->NormalStyleTemplate();
  if (!Applies) {
    MessageBeep(0);
    return;
  }
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutStyleTemplate, true);
  FCurStyleConversion = edit_ops::TextTemplateCallback(ResetAdditionalFormatting);
  Data->ApplyStyleConversion_(TemplateNo,
                              ResetAdditionalFormatting ? rvscTextStyleTemplateReset : rvscTextStyleTemplateNoReset,
                              Recursive);
}

void TCustomViroZereEdit::ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates) {
  auto* Active = dynamic_cast<TCustomViroZereEdit*>(SRVGetActiveEditor(true));
  if (Active && Active != this) {
    if (Active->GetStyle() == GetStyle())
      GetEditRVData()->Beep();
    else
      Active->ChangeStyleTemplates(NewStyleTemplates);
    return;
  }
  if (!BeforeChange(false)) return;
  TRVEditRVData* Data = GetEditRVData();
  Data->BeginUndoSequence(rvutStyleTemplate, true);
  Data->ChangeStyleTemplates(NewStyleTemplates);
  Data->EndUndoSequence();
  Change();
  Reformat();
}

void TCustomViroZereEdit::ApplyListStyle(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom,
                                         bool ARecursive) {
  if (!BeforeChange(false)) return;
  GetTopLevelEditor()->GetEditRVData()->ApplyListStyle(AListNo, AListLevel, AStartFrom, AUseStartFrom, ARecursive,
                                                       rvplopChange);
}

void TCustomViroZereEdit::RemoveLists(bool ARecursive) {
  if (!BeforeChange(false)) return;
  GetTopLevelEditor()->GetEditRVData()->ApplyListStyle(-1, -1, -1, false, ARecursive, rvplopRemove);
}

void TCustomViroZereEdit::ChangeListLevels(int LevelDelta) {
  if (!BeforeChange(false)) return;
  GetTopLevelEditor()->GetEditRVData()->ApplyListStyle(-1, LevelDelta, -1, false, false, rvplopLevel);
}

// ---- deletion ----

void TCustomViroZereEdit::DeleteSelection() {
  if (TCustomViroZereEdit* Inplace = edit_ops::InplaceEditOf(this)) {
    Inplace->DeleteSelection();
    return;
  }
  TRVEditRVData* Data = GetEditRVData();
  if (!Data->SelectionExists(true, true) || !BeforeChange(false)) return;
  Data->DeleteSelection_();
  Invalidate();
}

bool TCustomViroZereEdit::CanDelete() { return GetTopLevelEditor()->GetEditRVData()->CanDelete(); }
