// Style, list and style-template application of the editor data.
// PLACEHOLDER: bodies to be written.
#include "engine/editor/RVEdit.h"

void TRVEditRVData::ApplyStyleConversion_(int, TRVEStyleConversionType, bool) {}
void TRVEditRVData::ApplyListStyle(int, int, int, bool, bool, TRVParaListOperation) {}
void TRVEditRVData::ChangeStyleTemplates(TRVStyleTemplateCollection*) {}
