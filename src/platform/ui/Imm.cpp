#include "platform/ui/Imm.h"

#include <QApplication>
#include <QFont>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLabel>
#include <algorithm>
#include <cstring>

#include "platform/ui/NativeWindow.h"

namespace {

QString ToQ(const UnicodeString& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
UnicodeString FromQ(const QString& s) {
  return UnicodeString(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

QFont CompositionFont(const TInputContext& c, const QWidget* w) {
  QFont f = w->font();
  if (!c.FontSet) return f;
  const UnicodeString face(c.Font.lfFaceName, std::find(c.Font.lfFaceName, c.Font.lfFaceName + LF_FACESIZE, u'\0'));
  if (!face.empty()) f.setFamily(ToQ(face));
  if (c.Font.lfHeight != 0) f.setPixelSize(std::max<int>(1, std::abs(static_cast<int>(c.Font.lfHeight))));
  if (c.Font.lfWeight > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp<int>(c.Font.lfWeight, 1, 1000)));
  f.setItalic(c.Font.lfItalic != 0);
  return f;
}

// Where the composition shows: at the window's point, kept inside the area of a CFS_RECT window.
QPoint CompositionPoint(const TInputContext& c) {
  QPoint p(c.Form.ptCurrentPos.X, c.Form.ptCurrentPos.Y);
  if (c.Form.dwStyle & CFS_RECT) {
    const TRect& a = c.Form.rcArea;
    if (a.Right > a.Left) p.setX(std::clamp<int>(p.x(), a.Left, a.Right - 1));
    if (a.Bottom > a.Top) p.setY(std::clamp<int>(p.y(), a.Top, a.Bottom - 1));
  }
  return p;
}

// Shows the composition where the control put the composition window, or hides it.
void UpdateOverlay(TInputContext& c) {
  QWidget* client = c.Window ? c.Window->Client() : nullptr;
  if (!client) return;
  if (c.Composition.empty()) {
    if (c.Overlay) c.Overlay->hide();
    return;
  }
  if (!c.Overlay) {
    c.Overlay = new QLabel(client);  // owned by the client area
    c.Overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    c.Overlay->setAutoFillBackground(true);
    c.Overlay->setFocusPolicy(Qt::NoFocus);
  }
  QFont f = CompositionFont(c, client);
  f.setUnderline(true);
  c.Overlay->setFont(f);
  c.Overlay->setText(ToQ(c.Composition));
  c.Overlay->adjustSize();
  c.Overlay->move(CompositionPoint(c));
  c.Overlay->show();
  c.Overlay->raise();
}

void Announce(TInputContext& c, const UnicodeString& Commit, const UnicodeString& Composition) {
  TNativeWindow* w = c.Window;
  QPointer<QWidget> alive(w);
  auto start = [&] {
    if (c.Composing) return;
    c.Composing = true;
    w->Send(WM_IME_STARTCOMPOSITION, 0, 0);
  };
  if (!Commit.empty()) {
    start();
    if (!alive) return;
    c.Composition.clear();
    UpdateOverlay(c);
    c.Result = Commit;
    w->Send(WM_IME_COMPOSITION, Commit.back(), static_cast<LPARAM>(GCS_RESULTSTR));
    if (!alive) return;
    c.Result.clear();
  }
  if (!Composition.empty()) {
    start();
    if (!alive) return;
    c.Composition = Composition;
    w->Send(WM_IME_COMPOSITION, Composition.back(), static_cast<LPARAM>(GCS_COMPSTR | GCS_CURSORPOS));
    if (!alive) return;
    UpdateOverlay(c);
  } else if (c.Composing) {
    c.Composition.clear();
    UpdateOverlay(c);
    c.Composing = false;
    w->Send(WM_IME_ENDCOMPOSITION, 0, 0);
  }
}

}  // namespace

TInputContext& TNativeWindow::InputContext() {
  if (!FInputContext) {
    FInputContext = std::make_unique<TInputContext>();
    FInputContext->Window = this;
  }
  return *FInputContext;
}

void TClientArea::inputMethodEvent(QInputMethodEvent* e) {
  Announce(FOwner->InputContext(), FromQ(e->commitString()), FromQ(e->preeditString()));
  e->accept();
}

QVariant TClientArea::inputMethodQuery(Qt::InputMethodQuery query) const {
  TInputContext& c = FOwner->InputContext();
  switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: {
      // The input method places its candidate list under the composition.
      const QPoint p = CompositionPoint(c);
      return QRect(p, QSize(1, QFontMetrics(CompositionFont(c, this)).height()));
    }
    case Qt::ImFont: return CompositionFont(c, this);
    default: return QWidget::inputMethodQuery(query);
  }
}

HIMC ImmGetContext(HWND Wnd) {
  auto* w = static_cast<TNativeWindow*>(NativeWidgetOf(Wnd));
  return w ? &w->InputContext() : nullptr;
}

BOOL ImmReleaseContext(HWND Wnd, HIMC Context) { return Wnd && Context ? TRUE : FALSE; }

BOOL ImmSetCompositionFontW(HIMC Context, const LOGFONTW* Font) {
  if (!Context || !Font) return FALSE;
  Context->Font = *Font;
  Context->FontSet = true;
  UpdateOverlay(*Context);
  return TRUE;
}

BOOL ImmSetCompositionWindow(HIMC Context, const COMPOSITIONFORM* Form) {
  if (!Context || !Form) return FALSE;
  Context->Form = *Form;
  UpdateOverlay(*Context);
  // A real input method moves its candidate list with it.
  if (Context->Window && Context->Window->Client()->hasFocus())
    if (QInputMethod* im = QGuiApplication::inputMethod()) im->update(Qt::ImCursorRectangle | Qt::ImFont);
  return TRUE;
}

BOOL ImmGetCompositionWindow(HIMC Context, COMPOSITIONFORM* Form) {
  if (!Context || !Form) return FALSE;
  *Form = Context->Form;
  return TRUE;
}

LONG ImmGetCompositionStringW(HIMC Context, DWORD Index, void* Buf, DWORD BufLen) {
  if (!Context) return IMM_ERROR_NODATA;
  const UnicodeString* s = nullptr;
  if (Index == GCS_RESULTSTR) s = &Context->Result;
  else if (Index == GCS_COMPSTR) s = &Context->Composition;
  else return IMM_ERROR_NODATA;
  const std::size_t bytes = s->size() * 2;
  if (Buf && BufLen >= bytes && bytes) std::memcpy(Buf, s->data(), bytes);
  return static_cast<LONG>(bytes);
}

BOOL ImmNotifyIME(HIMC Context, DWORD Action, DWORD Index, DWORD /*Value*/) {
  if (!Context || Action != NI_COMPOSITIONSTR || !Context->Composing || !Context->Window) return FALSE;
  const UnicodeString pending = Context->Composition;
  // The input method forgets the composition: what it held is ours to finish.
  if (QInputMethod* im = QGuiApplication::inputMethod(); im && Context->Window->Client()->hasFocus()) im->reset();
  if (Index == CPS_COMPLETE) {
    Announce(*Context, pending, UnicodeString());
    return TRUE;
  }
  if (Index == CPS_CANCEL) {
    Announce(*Context, UnicodeString(), UnicodeString());
    return TRUE;
  }
  return FALSE;
}

void SendInputMethodEvent(HWND Wnd, const UnicodeString& Composition, const UnicodeString& Commit) {
  QWidget* client = NativeClientOf(Wnd);
  if (!client) return;
  QList<QInputMethodEvent::Attribute> attrs;
  if (!Composition.empty())
    attrs.append(QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, static_cast<int>(Composition.size()), 1));
  QInputMethodEvent e(ToQ(Composition), attrs);
  if (!Commit.empty()) e.setCommitString(ToQ(Commit));
  QCoreApplication::sendEvent(client, &e);
}

UnicodeString ShownComposition(HWND Wnd, TRect* Rect) {
  if (Rect) *Rect = TRect();
  auto* w = static_cast<TNativeWindow*>(NativeWidgetOf(Wnd));
  if (!w) return {};
  TInputContext& c = w->InputContext();
  if (!c.Overlay || c.Overlay->isHidden()) return {};
  const QRect g = c.Overlay->geometry();
  if (Rect) *Rect = TRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
  return FromQ(c.Overlay->text());
}
