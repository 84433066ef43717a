// Popup menus: a list of items shown at a screen point over the toolkit's own menu. Showing is
// modal; ShowHook replaces it (tests record the request instead of opening a menu).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/base/Persistent.h"
#include "platform/ui/Controls.h"



class TPopupMenu;

class TMenuItem {
 public:
  UnicodeString Caption;  // "-" makes a separator
  bool Enabled = true;
  bool Checked = false;
  std::function<void(TObject* Sender)> OnClick;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {}
  ~TPopupMenu() override;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TMenuItem& Items(int Index);
  TMenuItem& Add(const UnicodeString& Caption, std::function<void(TObject*)> OnClick = nullptr);
  void Clear() { FItems.clear(); }

  // Whether a right click or the context-menu key on the owning control shows the menu.
  bool GetAutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool v) { FAutoPopup = v; }
  // The control the menu was last shown for.
  TComponent* GetPopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* v) { FPopupComponent = v; }
  TPoint GetPopupPoint() const { return FPopupPoint; }

  // Raised before the menu shows: handlers may change the items.
  std::function<void(TObject* Sender)> OnPopup;

  // Raises OnPopup, then shows the menu at the screen point and runs the chosen item's OnClick
  // after the menu closed. Freeing the menu from OnPopup or from the item's handler is allowed.
  virtual void Popup(int X, int Y);

  // Replaces the modal showing for every menu: answers the index of the chosen item (-1: none).
  static std::function<int(TPopupMenu& Menu, TPoint ScreenPoint)> ShowHook;

 protected:
  // Shows the menu and answers the index of the item chosen, -1 when dismissed.
  virtual int ShowModal(TPoint ScreenPoint);

 private:
  std::vector<TMenuItem> FItems;
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};


