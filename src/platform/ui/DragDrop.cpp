#include "platform/ui/DragDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <algorithm>
#include <set>

#include "platform/ui/Clipbrd.h"
#include "platform/ui/GuiSession.h"
#include "platform/ui/MimeFormats.h"
#include "platform/ui/NativeWindow.h"

namespace {
thread_local int GOleInitCount = 0;

TDragLoop& DragLoop() {
  static TDragLoop loop;
  return loop;
}

Qt::DropActions ActionsOf(DWORD Effects) {
  Qt::DropActions a;
  if (Effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
  if (Effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
  if (Effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
  return a;
}

DWORD EffectsOf(Qt::DropActions Actions) {
  DWORD e = DROPEFFECT_NONE;
  if (Actions & Qt::CopyAction) e |= DROPEFFECT_COPY;
  if (Actions & Qt::MoveAction) e |= DROPEFFECT_MOVE;
  if (Actions & Qt::LinkAction) e |= DROPEFFECT_LINK;
  return e;
}

// One effect as the toolkit's action: move before copy before link.
Qt::DropAction ActionOf(DWORD Effect) {
  if (Effect & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (Effect & DROPEFFECT_COPY) return Qt::CopyAction;
  if (Effect & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

// The data object of a drag that started in this process, offered to other programs under the
// MIME types of its formats and read directly by drop targets of this process.
class TSourceMimeData : public QMimeData {
 public:
  explicit TSourceMimeData(const TDragDataObject* Data) : FData(Data) {}
  const TDragDataObject* Data() const { return FData; }
  // The drag is over: nothing is read from the object any more.
  void Detach() { FData = nullptr; }

  QStringList formats() const override {
    QStringList r;
    if (!FData) return r;
    for (WORD f : FData->Formats()) {
      const QString mime = QString::fromStdString(ClipboardFormatMimeType(f));
      if (!r.contains(mime)) r.append(mime);
    }
    return r;
  }
  bool hasFormat(const QString& mime) const override { return formats().contains(mime); }

 protected:
  QVariant retrieveData(const QString& mime, QMetaType) const override {
    if (!FData) return {};
    // The formats of this MIME type go in the order offered, UTF-16 text before 8-bit text, as the
    // clipboard puts them.
    std::vector<WORD> formats = FData->Formats();
    std::stable_partition(formats.begin(), formats.end(), [](WORD f) { return f == CF_UNICODETEXT; });
    QMimeData rendered;
    bool unicodeTextSet = false;
    for (WORD f : formats) {
      if (QString::fromStdString(ClipboardFormatMimeType(f)) != mime) continue;
      std::string block;
      if (FData->GetData(f, block)) SetMimeClipboardFormatBlock(&rendered, f, block, unicodeTextSet);
      if (rendered.hasFormat(mime)) break;
    }
    if (!rendered.hasFormat(mime)) return {};
    return rendered.data(mime);
  }

 private:
  const TDragDataObject* FData;
};

// The data another program offers in a drag, read through the clipboard's format mapping. Lives
// for one event.
class TMimeDragData : public TDragDataObject {
 public:
  explicit TMimeDragData(const QMimeData* Mime) : FMime(Mime) {}
  bool HasFormat(WORD Format) const override { return FMime && MimeHasClipboardFormat(FMime, Format); }
  bool GetData(WORD Format, std::string& Bytes) const override {
    return FMime && MimeClipboardFormatBlock(FMime, Format, Bytes);
  }
  std::vector<WORD> Formats() const override {
    std::vector<WORD> r;
    if (!FMime) return r;
    // The registered formats first (the richer ones), then files and text.
    for (UINT f = 0xC000; !GetClipboardFormatName(f).empty(); ++f)
      if (MimeHasClipboardFormat(FMime, f)) r.push_back(static_cast<WORD>(f));
    for (UINT f : {CF_HDROP, CF_UNICODETEXT, CF_TEXT})
      if (MimeHasClipboardFormat(FMime, f)) r.push_back(static_cast<WORD>(f));
    return r;
  }

 private:
  const QMimeData* FMime;
};

const TDragDataObject* SourceObjectOf(const QMimeData* Mime) {
  const auto* own = dynamic_cast<const TSourceMimeData*>(Mime);
  return own ? own->Data() : nullptr;
}

TPoint ScreenPoint(const QWidget* w, QPointF p) {
  const QPoint g = w->mapToGlobal(p.toPoint());
  return TPoint(g.x(), g.y());
}

// Answers the toolkit's event with the effect the target chose.
void Answer(QDropEvent* e, DWORD Effect) {
  const Qt::DropAction a = ActionOf(Effect & EffectsOf(e->possibleActions()));
  if (a == Qt::IgnoreAction) {
    e->ignore();
    return;
  }
  e->setDropAction(a);
  e->accept();
}

// Hands the drag's data to Method of Target (DragEnter or Drop) with the keys, the screen point
// and the effects offered: this program's own object when the drag started here, else the
// toolkit's MIME data. Answers the event with the effect the target chose.
void HandOver(const QWidget* Area, IDropTarget& Target,
              HRESULT (IDropTarget::*Method)(const TDragDataObject*, DWORD, TPoint, DWORD&), QDropEvent* e) {
  TMimeDragData other(e->mimeData());
  const TDragDataObject* own = SourceObjectOf(e->mimeData());
  DWORD effect = EffectsOf(e->possibleActions());
  (Target.*Method)(own ? own : &other, static_cast<DWORD>(MouseKeyFlags(e->buttons(), e->modifiers())),
                   ScreenPoint(Area, e->position()), effect);
  Answer(e, effect);
}

Qt::MouseButtons ButtonsOf(DWORD KeyState) {
  Qt::MouseButtons b;
  if (KeyState & MK_LBUTTON) b |= Qt::LeftButton;
  if (KeyState & MK_RBUTTON) b |= Qt::RightButton;
  if (KeyState & MK_MBUTTON) b |= Qt::MiddleButton;
  return b;
}

Qt::KeyboardModifiers ModifiersOf(DWORD KeyState) {
  Qt::KeyboardModifiers m;
  if (KeyState & MK_SHIFT) m |= Qt::ShiftModifier;
  if (KeyState & MK_CONTROL) m |= Qt::ControlModifier;
  return m;
}

DWORD SendEvents(HWND Wnd, QMimeData* Mime, TPoint ClientPt, DWORD OkEffects, DWORD KeyState) {
  QWidget* client = NativeClientOf(Wnd);
  if (!client) return DROPEFFECT_NONE;
  QPointer<QWidget> alive(client);
  const QPointF pos(ClientPt.X, ClientPt.Y);
  const Qt::DropActions actions = ActionsOf(OkEffects);
  const Qt::MouseButtons buttons = ButtonsOf(KeyState);
  const Qt::KeyboardModifiers mods = ModifiersOf(KeyState);
  QDragEnterEvent enter(pos.toPoint(), actions, Mime, buttons, mods);
  enter.ignore();
  QCoreApplication::sendEvent(client, &enter);
  if (!alive || !enter.isAccepted()) return DROPEFFECT_NONE;
  QDragMoveEvent move(pos.toPoint(), actions, Mime, buttons, mods);
  move.ignore();
  QCoreApplication::sendEvent(client, &move);
  if (!alive) return DROPEFFECT_NONE;
  if (!move.isAccepted()) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(client, &leave);
    return DROPEFFECT_NONE;
  }
  QDropEvent drop(pos, actions, Mime, buttons, mods);
  drop.ignore();
  QCoreApplication::sendEvent(client, &drop);
  return drop.isAccepted() ? EffectsOf(drop.dropAction()) : DROPEFFECT_NONE;
}
}  // namespace

// ---- the data object -------------------------------------------------------------------------------

bool TDragDataObject::HasFormat(WORD Format) const {
  return std::any_of(FData.begin(), FData.end(), [&](const auto& d) { return d.first == Format; });
}

bool TDragDataObject::GetData(WORD Format, std::string& Bytes) const {
  for (const auto& [f, b] : FData)
    if (f == Format) {
      Bytes = b;
      return true;
    }
  return false;
}

std::vector<WORD> TDragDataObject::Formats() const {
  std::vector<WORD> r;
  for (const auto& d : FData) r.push_back(d.first);
  return r;
}

void TDragDataObject::SetData(WORD Format, std::string Bytes) {
  for (auto& d : FData)
    if (d.first == Format) {
      d.second = std::move(Bytes);
      return;
    }
  FData.emplace_back(Format, std::move(Bytes));
}

// ---- drop targets ------------------------------------------------------------------------------------

HRESULT RegisterDragDrop(HWND Wnd, std::shared_ptr<IDropTarget> Target) {
  auto* w = static_cast<TNativeWindow*>(NativeWidgetOf(Wnd));
  if (!w || !Target) return DRAGDROP_E_INVALIDHWND;
  if (w->DropTarget) return DRAGDROP_E_ALREADYREGISTERED;
  w->DropTarget = std::move(Target);
  w->Client()->setAcceptDrops(true);
  return S_OK;
}

HRESULT RevokeDragDrop(HWND Wnd) {
  auto* w = static_cast<TNativeWindow*>(NativeWidgetOf(Wnd));
  if (!w) return DRAGDROP_E_INVALIDHWND;
  if (!w->DropTarget) return DRAGDROP_E_NOTREGISTERED;
  w->Client()->setAcceptDrops(false);
  // The target may be the last holder of itself: it goes after the window forgot it.
  std::shared_ptr<IDropTarget> target = std::move(w->DropTarget);
  w->DropTarget.reset();
  target.reset();
  return S_OK;
}

IDropTarget* RegisteredDropTarget(HWND Wnd) {
  auto* w = static_cast<TNativeWindow*>(NativeWidgetOf(Wnd));
  return w ? w->DropTarget.get() : nullptr;
}

// The toolkit's drag events of the client area. The target is held for the call, so that a
// revocation inside it does not free it under its own feet.
void TClientArea::dragEnterEvent(QDragEnterEvent* e) {
  std::shared_ptr<IDropTarget> t = FOwner->DropTarget;
  if (!t) {
    e->ignore();
    return;
  }
  HandOver(this, *t, &IDropTarget::DragEnter, e);
}

void TClientArea::dragMoveEvent(QDragMoveEvent* e) {
  std::shared_ptr<IDropTarget> t = FOwner->DropTarget;
  if (!t) {
    e->ignore();
    return;
  }
  DWORD effect = EffectsOf(e->possibleActions());
  t->DragOver(static_cast<DWORD>(MouseKeyFlags(e->buttons(), e->modifiers())), ScreenPoint(this, e->position()),
              effect);
  Answer(e, effect);
}

void TClientArea::dragLeaveEvent(QDragLeaveEvent* e) {
  if (std::shared_ptr<IDropTarget> t = FOwner->DropTarget) t->DragLeave();
  e->accept();
}

void TClientArea::dropEvent(QDropEvent* e) {
  std::shared_ptr<IDropTarget> t = FOwner->DropTarget;
  if (!t) {
    e->ignore();
    return;
  }
  HandOver(this, *t, &IDropTarget::Drop, e);
}

// ---- drag sources ------------------------------------------------------------------------------------

namespace {
// The toolkit's drag of Mime (which the drag takes) from a client area; answers the effect done.
DWORD RunToolkitDrag(QWidget* Client, QMimeData* Mime, DWORD OkEffects, IDropSource* Source) {
  QPointer<QDrag> drag = new QDrag(Client);
  drag->setMimeData(Mime);
  if (Source)
    QObject::connect(drag, &QDrag::actionChanged, [Source](Qt::DropAction a) { Source->GiveFeedback(EffectsOf(a)); });
  const Qt::DropAction def = (OkEffects & DROPEFFECT_MOVE) ? Qt::MoveAction : ActionOf(OkEffects);
  const DWORD done = EffectsOf(drag->exec(ActionsOf(OkEffects), def)) & OkEffects;
  if (drag) drag->deleteLater();
  return done;
}
}  // namespace

HRESULT DoDragDrop(HWND Wnd, const TDragDataObject* DataObj, IDropSource* Source, DWORD OkEffects, DWORD* Effect) {
  DWORD done = DROPEFFECT_NONE;
  if (DataObj && OkEffects) {
    if (const TDragLoop& loop = DragLoop()) {
      done = loop(Wnd, DataObj, OkEffects);
    } else if (QWidget* client = NativeClientOf(Wnd); client && GuiSessionRunning()) {
      QPointer<TSourceMimeData> mime = new TSourceMimeData(DataObj);
      done = RunToolkitDrag(client, mime, OkEffects, Source);
      // Other programs may still ask the finished drag for data: the object is gone by then.
      if (mime) mime->Detach();
    }
  }
  if (Effect) *Effect = done;
  return done ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
}

DWORD DoMimeDragDrop(HWND Wnd, const std::vector<std::pair<std::string, std::string>>& Mime, DWORD OkEffects) {
  QWidget* client = NativeClientOf(Wnd);
  if (!client || !GuiSessionRunning() || !OkEffects) return DROPEFFECT_NONE;
  auto* md = new QMimeData;
  for (const auto& [type, bytes] : Mime)
    md->setData(QString::fromStdString(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return RunToolkitDrag(client, md, OkEffects, nullptr);
}

TDragLoop SetDragLoop(TDragLoop Loop) {
  TDragLoop previous = std::move(DragLoop());
  DragLoop() = std::move(Loop);
  return previous;
}

DWORD SendDragDropEvents(HWND Wnd, const TDragDataObject* DataObj, TPoint ClientPt, DWORD OkEffects, DWORD KeyState) {
  if (!DataObj) return DROPEFFECT_NONE;
  TSourceMimeData mime(DataObj);
  return SendEvents(Wnd, &mime, ClientPt, OkEffects, KeyState);
}

DWORD SendMimeDragDropEvents(HWND Wnd, const std::vector<std::pair<std::string, std::string>>& Mime, TPoint ClientPt,
                             DWORD OkEffects, DWORD KeyState) {
  QMimeData md;
  for (const auto& [type, bytes] : Mime)
    md.setData(QString::fromStdString(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return SendEvents(Wnd, &md, ClientPt, OkEffects, KeyState);
}

// ---- initialisation ----------------------------------------------------------------------------------

HRESULT OleInitialize(void*) { return GOleInitCount++ == 0 ? S_OK : S_FALSE; }

void OleUninitialize() {
  if (GOleInitCount > 0) --GOleInitCount;
}

int OleInitializationCount() { return GOleInitCount; }
