// Input-method composition in the editor control: the composition window is placed at the caret
// inside the paragraph's text area and takes the current text style's font; a finished
// composition is inserted as typed text in one step; a mouse press completes a composition first.
// A page-layout owner places the composition window itself, so the requests go to it.
#include <algorithm>

#include "engine/document/RVScaleViroZere.h"
#include "engine/editor/RVEdit.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/NLS.h"
#include "platform/ui/Imm.h"

namespace rveditime_detail {
// Sent to the page-layout control: place the composition window of its active editor.
constexpr Cardinal WM_SRVPLACEIMEWINDOW = 0x0BC0;
constexpr int LangKorean = 0x0412;

bool KoreanKeyboard() { return (GetKeyboardLayout(0) & 0xFFFF) == LangKorean; }

// The page-layout control that hosts the editor; nil when none does.
TWinControl* PageLayoutOwner(TCustomViroZereEdit* Editor) {
  TRVEditRVData* data = Editor->GetEditRVData();
  if (!data) return nullptr;
  std::shared_ptr<IRVScaleViroZereInterface> owner = data->GetScaleViroZereInterface();
  return owner ? dynamic_cast<TWinControl*>(owner->GetSViroZereEdit()) : nullptr;
}
}  // namespace rveditime_detail

using namespace rveditime_detail;

void TCustomViroZereEdit::UpdateCompositionWindow() {
  if (TWinControl* owner = PageLayoutOwner(this)) {
    owner->Perform(WM_SRVPLACEIMEWINDOW, 0, 0);
    return;
  }
  if (!HandleAllocated()) return;
  TRVStyle* sheet = GetStyle();
  TRVEditRVData* data = GetEditRVData();
  if (!sheet || !data) return;
  HIMC context = ImmGetContext(GetHandle());
  if (!context) return;
  COMPOSITIONFORM form;
  form.dwStyle = KoreanKeyboard() ? CFS_POINT : CFS_RECT;
  TRect area = GetClientRect();
  int leftIndent = 0, rightIndent = 0;
  const int paraNo = GetCurParaStyleNo();
  if (paraNo >= 0 && paraNo < sheet->ParaStyles()->Count()) {
    const TParaInfo* para = sheet->ParaStyles()->Items(paraNo);
    leftIndent = sheet->GetAsPixels(para->LeftIndent);
    rightIndent = sheet->GetAsPixels(para->RightIndent);
  }
  area.Left += GetLeftMargin() + leftIndent;
  area.Right -= GetRightMargin() + rightIndent;
  TPoint pos = GetTopLevelEditor()->GetEditRVData()->GetIMEWinCoord();
  pos.X = std::max(pos.X, area.Left);
  pos.Y = std::max(pos.Y, area.Top);
  if (form.dwStyle == CFS_POINT) {
    // The area starts at the composition point, a pixel lower; the point itself stays.
    area = TRect(pos.X, pos.Y + 1, area.Right, area.Bottom + 1);
  }
  form.ptCurrentPos = pos;
  form.rcArea = area;
  ImmSetCompositionWindow(context, &form);
  ImmReleaseContext(GetHandle(), context);
}

bool TCustomViroZereEdit::IMEDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_IME_STARTCOMPOSITION: {
      if (!GetStyle()) return false;
      if (TWinControl* owner = PageLayoutOwner(this)) {
        Message.Result = owner->Perform(Message.Msg, Message.WParam, Message.LParam);
        return true;
      }
      TCustomViroZere::Dispatch(Message);
      Message.Result = 1;
      if (!HandleAllocated()) return true;
      if (HIMC context = ImmGetContext(GetHandle())) {
        LOGFONTW font;
        const int styleNo = GetCurTextStyleNo();
        if (styleNo >= 0 && styleNo < GetStyle()->TextStyles()->Count()) {
          GetStyle()->TextStyles()->Items(styleNo)->AssignToLogFont(font, GetCanvas(), true, true, false, false,
                                                                  GetStyle());
          ImmSetCompositionFontW(context, &font);
        }
        UpdateCompositionWindow();
        ImmReleaseContext(GetHandle(), context);
      }
      return true;
    }
    case WM_IME_COMPOSITION: {
      bool handled = false;
      if ((static_cast<DWORD>(Message.LParam) & GCS_RESULTSTR) && BeforeChange(false)) {
        if (HIMC context = HandleAllocated() ? ImmGetContext(GetHandle()) : nullptr) {
          const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
          TRVUnicodeString text(bytes > 0 ? static_cast<std::size_t>(bytes) / 2 : 0, u'\0');
          if (!text.empty())
            ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(text.size() * 2));
          ImmReleaseContext(GetHandle(), context);
          text = text.substr(0, text.find(u'\0'));
          // The whole result is one insertion: one undo step, not one per character.
          if (!text.empty()) InsertTextW(text);
        }
        Message.Result = 0;
        handled = true;
        if (KoreanKeyboard() && HandleAllocated()) PostMessage(GetHandle(), WM_IME_STARTCOMPOSITION, 0, 0);
      }
      if (!handled) TCustomViroZere::Dispatch(Message);
      UpdateCompositionWindow();
      return true;
    }
    case WM_IME_ENDCOMPOSITION:
      if (GetStyle())
        if (TWinControl* owner = PageLayoutOwner(this)) {
          Message.Result = owner->Perform(Message.Msg, Message.WParam, Message.LParam);
          return true;
        }
      return false;
    case WM_IME_CHAR:
      UpdateCompositionWindow();
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // A pending composition is finished before the press moves the caret; its text arrives
      // through WM_IME_COMPOSITION.
      if (HandleAllocated())
        if (HIMC context = ImmGetContext(GetHandle())) {
          ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
          ImmReleaseContext(GetHandle(), context);
        }
      return false;
    default: return false;
  }
}
