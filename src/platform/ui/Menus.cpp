#include "platform/ui/Menus.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "platform/base/SysUtils.h"

std::function<int(TPopupMenu& Menu, TPoint ScreenPoint)> TPopupMenu::ShowHook;

TPopupMenu::~TPopupMenu() { *FAlive = false; }

TMenuItem& TPopupMenu::Items(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return FItems[static_cast<size_t>(Index)];
}

TMenuItem& TPopupMenu::Add(const UnicodeString& Caption, std::function<void(TObject*)> OnClick) {
  FItems.push_back(TMenuItem{Caption, true, false, std::move(OnClick)});
  return FItems.back();
}

void TPopupMenu::Popup(int X, int Y) {
  const std::shared_ptr<bool> alive = FAlive;
  FPopupPoint = TPoint(X, Y);
  if (OnPopup) OnPopup(this);
  if (!*alive) return;
  const int chosen = ShowHook ? ShowHook(*this, TPoint(X, Y)) : ShowModal(TPoint(X, Y));
  if (!*alive || chosen < 0 || chosen >= Count()) return;
  // A copy: the handler may change the items or free the menu.
  const TMenuItem item = FItems[static_cast<size_t>(chosen)];
  if (item.Enabled && item.OnClick) item.OnClick(this);
}

int TPopupMenu::ShowModal(TPoint ScreenPoint) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || FItems.empty()) return -1;
  QMenu menu;
  for (int i = 0; i < Count(); ++i) {
    const TMenuItem& it = FItems[static_cast<size_t>(i)];
    if (it.Caption == u"-") {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(QString::fromUtf16(it.Caption.data(), static_cast<qsizetype>(it.Caption.size())));
    a->setEnabled(it.Enabled);
    a->setCheckable(it.Checked);
    a->setChecked(it.Checked);
    a->setData(i);
  }
  QAction* picked = menu.exec(QPoint(ScreenPoint.X, ScreenPoint.Y));
  return picked ? picked->data().toInt() : -1;
}
