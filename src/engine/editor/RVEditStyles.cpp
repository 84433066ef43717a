// Style, list and style-template application of the editor data.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

void TRVEditRVData::ApplyStyleConversion_(int UserData, TRVEStyleConversionType ConvType, bool Recursive) {}
void TRVEditRVData::ApplyListStyle(int AListNo, int AListLevel, int AStartFrom, bool AUseStartFrom, bool ARecursive,
                                   TRVParaListOperation Operation) {}
void TRVEditRVData::ChangeStyleTemplates(TRVStyleTemplateCollection* NewStyleTemplates) {}
