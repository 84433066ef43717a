// The editor control driven as a person drives it: keys and characters through the control's
// messages, undo and redo, and the editing operations, each read back through the document.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/document/RVGraphicItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

namespace {

inline const bool RoadTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct EditorRoad : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> E;
  TRVEditRVData* D = nullptr;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 3) Sheet.ParaStyles()->Add();
    E = std::make_unique<TViroZereEdit>(nullptr);
    E->SetBounds(0, 0, 400, 300);
    E->SetStyle(&Sheet);
    D = E->GetEditRVData();
    E->HandleNeeded();
    E->Format();
  }

  // A key as the window system delivers it: key down with the modifiers held, then the
  // character it makes (when any), then key up.
  void Key(WORD Vk, TShiftState Shift = {}, char16_t Ch = 0) {
    SendKeyDown(Vk, Shift);
    if (Ch) E->Perform(WM_CHAR, Ch, 0);
  }
  void Type(const std::u16string& Text) {
    for (char16_t c : Text) Key(static_cast<WORD>(c >= u'a' && c <= u'z' ? c - 32 : c), {}, c);
  }
  void SendKeyDown(WORD Vk, TShiftState Shift);

  std::u16string Text() const {
    std::u16string s;
    for (int i = 0; i < D->ItemCount(); ++i) {
      if (i && !D->GetItem(i)->GetSameAsPrev()) s += u'|';
      s += D->GetItemTextW(i);
    }
    return s;
  }
};

}  // namespace
