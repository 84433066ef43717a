// The viewer's selection, copying and search: each forwards to the root data; copying opens the
// clipboard around the root data's format writers.
#include "engine/foundation/RVClipboard.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Clipbrd.h"

void TCustomViroZere::Deselect() { RVData->Deselect(nullptr, true); }

void TCustomViroZere::SelectAll() { RVData->SelectAll(); }

bool TCustomViroZere::SelectionExists() { return RVData->SelectionExists(false, true); }

std::unique_ptr<TGraphic> TCustomViroZere::GetSelectedImage() { return RVData->GetSelectedImage(); }

TRVUnicodeString TCustomViroZere::GetSelTextW() { return RVData->GetSelTextW(false); }

void TCustomViroZere::GetSelectionBounds(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs,
                                         bool Normalize) {
  RVData->GetSelectionBounds(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs, Normalize);
}

void TCustomViroZere::SetSelectionBounds(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs) {
  RVData->SetSelectionBounds(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs);
}

// The background is not passed: a selection is written without the document's background.
bool TCustomViroZere::CopyDef() { return RVData->CopyDef(GetEffectiveColor(), nullptr); }

namespace {
// Runs Copy with the clipboard opened and emptied, on the innermost document holding the
// selection; nothing without a selection.
template <typename F>
void CopyFormats(TViroZereRVData* Root, F Copy) {
  TCustomRVFormattedData* data = Root;
  for (int depth = 0; depth < 64; ++depth) {
    TCustomRVData* chosen = data->GetChosenRVData();
    TCustomRVFormattedData* f = chosen && chosen != data ? chosen->AsFormattedData() : nullptr;
    if (!f) break;
    data = f;
  }
  if (!data->SelectionExists(false, true)) return;
  OpenClipboardWithRetries();
  try {
    Clipboard()->Clear();
    Copy(data);
  } catch (...) {
    Clipboard()->Close();
    throw;
  }
  Clipboard()->Close();
}
}  // namespace

void TCustomViroZere::Copy() {
  const TColor color = GetEffectiveColor();
  CopyFormats(RVData.get(), [color](TCustomRVFormattedData* D) {
    D->CopyRVF(D == D->GetAbsoluteRootData() ? color : clNone, nullptr);
    if (D->GetSelectedImage()) {
      D->CopyImage();
    } else {
      D->CopyTextW();
    }
  });
}

void TCustomViroZere::CopyText() {
  CopyFormats(RVData.get(), [](TCustomRVFormattedData* D) { D->CopyTextA(); });
}

void TCustomViroZere::CopyTextW() {
  CopyFormats(RVData.get(), [](TCustomRVFormattedData* D) { D->CopyTextW(); });
}

void TCustomViroZere::CopyRVF() {
  const TColor color = GetEffectiveColor();
  CopyFormats(RVData.get(), [color](TCustomRVFormattedData* D) {
    D->CopyRVF(D == D->GetAbsoluteRootData() ? color : clNone, nullptr);
  });
}

void TCustomViroZere::CopyImage() {
  CopyFormats(RVData.get(), [](TCustomRVFormattedData* D) { D->CopyImage(); });
}

bool TCustomViroZere::SearchText(const TRVUnicodeString& s, TRVSearchOptions SrchOptions) {
  return RVData->SearchText(SrchOptions.Contains(rvsroDown), SrchOptions.Contains(rvsroMatchCase),
                            SrchOptions.Contains(rvsroWholeWord), SrchOptions.Contains(rvsroFromStart),
                            SrchOptions.Contains(rvsroMultiItem), SrchOptions.Contains(rvsroSmartStart), s);
}
