// The primitive edits of the editor data: each records its opposite, then changes the document.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEditRVData.h"

void TRVEditRVData::Do_InsertItem(int ItemNo, TRVUnicodeString& Text, TCustomRVItemInfo* Item, bool FromUndo, bool& FullReformat) {}
void TRVEditRVData::Do_InsertItems(int ItemNo, TRVItemList* List, bool FromUndo, bool& FullReformat) {}
TRVUndoInsertItemsInfo* TRVEditRVData::Do_InsertItems_1(int ItemNo, int Count) { return nullptr; }
void TRVEditRVData::Do_InsertItems_2(int ItemNo, int Count, TRVUndoInsertItemsInfo* UndoInfo, bool& FullReformat) {}
void TRVEditRVData::Do_DeleteItem(int ItemNo, bool& FullReformat) {}
void TRVEditRVData::Do_DeleteItems(int StartItemNo, int EndItemNo, bool& FullReformat) {}
void TRVEditRVData::Do_ReplaceItem(int ItemNo, TCustomRVItemInfo* NewItem) {}
void TRVEditRVData::Do_ModifyItem(int ItemNo, const TRVUnicodeString& Text, TCustomRVItemInfo* NewItem) {}
void TRVEditRVData::Do_InsertSubstring(int ItemNo, int Index, const TRVUnicodeString& S) {}
void TRVEditRVData::Do_DeleteSubstring(int ItemNo, int Index, int Length) {}
void TRVEditRVData::Do_ChangeText(int ItemNo, const TRVUnicodeString& S) {}
void TRVEditRVData::Do_Concate(int ItemNo) {}
void TRVEditRVData::Do_NewLine(int ItemNo, bool SameAsPrev, int ParaNo, bool& FullReformat) {}
void TRVEditRVData::Do_BR(int ItemNo, bool BR, bool& FullReformat) {}
void TRVEditRVData::Do_PageBreak(int ItemNo, bool PageBreak) {}
void TRVEditRVData::Do_ClearTextFlow(int ItemNo, bool ClearLeft, bool ClearRight) {}
bool TRVEditRVData::Do_Para(int FirstItemNo, int EndItemNo, int ParaNo, bool& FullReformat) { return false; }
bool TRVEditRVData::Do_ParaList(int StartItemNo, TRVIntegerList* ParaList, bool& FullReformat) { return false; }
void TRVEditRVData::Do_StyleNo(int ItemNo, int StyleNo) {}
void TRVEditRVData::Do_AssociatedTextStyleNo(int ItemNo, int TextStyleNo) {}
void TRVEditRVData::ModifyStyleNoByTemplate(TCustomRVItemInfo* Item, int NewStyleNo) { TViroZereRVData::ModifyStyleNoByTemplate(Item, NewStyleNo); }
void TRVEditRVData::Do_ChangeAllParas(TRVIntegerList* ParaMapList, TCustomRVData* SubDoc, TRVUndoList* List, TRVIntegerList* NewIndices) {}
void TRVEditRVData::Do_ChangeAllTextStyles(TRVIntegerList* StyleMapList, TCustomRVData* SubDoc, TRVUndoList* List, TRVIntegerList* NewIndices) {}
void TRVEditRVData::Do_RememberStyles(TCustomRVData* SubDoc, TRVUndoList* List) {}
bool TRVEditRVData::Do_ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates) { return false; }
void TRVEditRVData::Do_Tag(int ItemNo, const TRVTag& Tag, bool AssignAsIs) {}
void TRVEditRVData::Do_ExtraIntProperty(int ItemNo, int Prop, int Value, TRVReformatType ReformatType) {}
void TRVEditRVData::Do_ExtraStrProperty(int ItemNo, int Prop, const TRVUnicodeString& Value, TRVReformatType ReformatType) {}
void TRVEditRVData::Do_ItemModifyTerminator(int ItemNo, bool Opening) {}
void TRVEditRVData::Do_ChangeVAlign(int ItemNo, TRVVAlign VAlign) {}
void TRVEditRVData::Do_Resize(int ItemNo, int Width, int Height, bool Reformat) {}
void TRVEditRVData::Do_SetIntProperty(TRVIntProperty Prop, int Value) {}
void TRVEditRVData::Do_SetBackgroundImage(TGraphic* Graphic) {}
void TRVEditRVData::Do_AddCP(int ItemNo, TRVCPInfo* Checkpoint) {}
void TRVEditRVData::Do_DeleteCP(int ItemNo) {}
void TRVEditRVData::Do_MoveCP(int FromItemNo, int ToItemNo) {}
TCustomRVItemInfo* TRVEditRVData::CreateTextItem(const TRVTag& Tag, int ParaNo, bool BR, bool SameAsPrev, int StyleNo) { return nullptr; }
TCustomRVItemInfo* TRVEditRVData::CreateTextItemLike(const TRVTag& Tag, TCustomRVItemInfo* Source, bool BR, bool SameAsPrev) { return nullptr; }
TCustomRVItemInfo* TRVEditRVData::CreateSplitTextItem(TCustomRVItemInfo* Source) { return nullptr; }
TCustomRVItemInfo* TRVEditRVData::InsertNewTextItem(const TRVUnicodeString& Text, int ItemNo, bool& FullReformat, bool BR, bool SameAsPrev, int StyleNo, int ParaNo, const TRVTag& Tag) { return nullptr; }
TCustomRVItemInfo* TRVEditRVData::InsertNewTextItemLike(const TRVUnicodeString& Text, int ItemNo, bool& FullReformat, bool BR, bool SameAsPrev, TCustomRVItemInfo* Source, const TRVTag& Tag) { return nullptr; }
TCustomRVItemInfo* TRVEditRVData::InsertEmptyTextItem(int ItemNo, const TRVTag& Tag, bool BR, bool SameAsPrev, int StyleNo, int ParaNo) { return nullptr; }
void TRVEditRVData::Do_ChangeSubDoc(TRVMemoryStream* Stream, TCustomRVData* SubDoc) {}
void TRVEditRVData::RememberSubDoc(TRVMemoryStream* Stream, TCustomRVData* SubDoc) {}
void TRVEditRVData::Do_ReformateRange(int StartNo, int EndNo, bool SuperReformat) {}
