// The smart popup button: a small owner-drawn button that an editor shows next to the item at the
// caret. A click opens its menu, or, without one, raises the root viewer's OnSmartPopupClick, so
// that the program can offer actions for that item. TRVSmartPopupProperties describes the
// button's look and behaviour and lives with the viewer; the button itself exists only while it
// is shown.
#pragma once

#include <cstdint>

#include "platform/graphics/ImageList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

class TCustomViroZere;
class TCustomRVItemInfo;
class TCustomRVData;
class TRVSmartPopupButton;

// What the hot button shows at its right: an arrow, three dots, or nothing.
enum TRVSmartPopupType : std::uint8_t { rvsptDropDown, rvsptShowDialog, rvsptSimple };
// Where the button is placed at its item.
enum TRVSmartPopupPosition : std::uint8_t { rvsppTopLeft, rvsppTopRight, rvsppBottomRight, rvsppBottomLeft };

// The posted message that opens the menu once the click that asked for it is over.
constexpr Cardinal WM_RVSMARTPOPUPCLICK = WM_USER + 100;
// Ctrl+Shift+Down.
constexpr int RVDefaultSmartPopupShortCut = 24616;

class TRVSmartPopupProperties : public TPersistent {
  TAVRELO_PERSISTENT(TRVSmartPopupProperties, TPersistent)
 public:
  explicit TRVSmartPopupProperties(TCustomViroZere* AViroZere) : ViroZere(AViroZere) {}
  ~TRVSmartPopupProperties() override;
  // From other smart popup properties: every property; anything else as TPersistent does.
  void Assign(TPersistent* Source) override;

  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TCustomImageList* GetImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TColor GetHoverColor() const { return FHoverColor; }
  void SetHoverColor(TColor Value);
  TColor GetLineColor() const { return FLineColor; }
  void SetLineColor(TColor Value);
  TColor GetHoverLineColor() const { return FHoverLineColor; }
  void SetHoverLineColor(TColor Value);
  TPopupMenu* GetMenu() const { return FMenu; }
  void SetMenu(TPopupMenu* Value) { FMenu = Value; }
  const UnicodeString& GetHint() const { return FHint; }
  void SetHint(const UnicodeString& Value);
  int GetShortCut() const { return FShortCut; }
  void SetShortCut(int Value) { FShortCut = Value; }
  TRVSmartPopupType GetButtonType() const { return FButtonType; }
  void SetButtonType(TRVSmartPopupType Value) { FButtonType = Value; }
  TRVSmartPopupPosition GetPosition() const { return FPosition; }
  void SetPosition(TRVSmartPopupPosition Value) { FPosition = Value; }

  // Gives a shown button the hot look (held while its menu is open) or takes it away.
  void SetButtonState(bool Hot);
  // The button shown now, or nil.
  TRVSmartPopupButton* GetButton() const { return FButton; }

  TCustomViroZere* ViroZere;

 private:
  friend class TRVSmartPopupButton;
  void RepaintButton();
  int FImageIndex = 0;
  TCustomImageList* FImageList = nullptr;  // not owned
  TColor FColor = clWindow;
  TColor FHoverColor = clInfoBk;
  TColor FLineColor = clHighlight;
  TColor FHoverLineColor = clInfoText;
  TPopupMenu* FMenu = nullptr;  // not owned
  UnicodeString FHint;
  int FShortCut = RVDefaultSmartPopupShortCut;
  TRVSmartPopupType FButtonType = rvsptDropDown;
  TRVSmartPopupPosition FPosition = rvsppBottomRight;
  TRVSmartPopupButton* FButton = nullptr;
};

class TRVSmartPopupButton : public TCustomControl {
  TAVRELO_PERSISTENT(TRVSmartPopupButton, TCustomControl)
 public:
  explicit TRVSmartPopupButton(TComponent* AOwner);
  ~TRVSmartPopupButton() override;

  // Links the properties and the button both ways and sizes the button to the image list's
  // images (plus 2 pixels round them), or 20 by 20 without one.
  void SetSmartPopupProperties(TRVSmartPopupProperties* Value);
  TRVSmartPopupProperties* GetSmartPopupProperties() const { return FSmartPopupProperties; }
  bool IsHot() const { return FHot; }
  bool IsAlwaysHot() const { return FAlwaysHot; }
  // While the menu is open (the button must not be freed then).
  bool IsShowingMenu() const { return FShowingMenu; }

  // Asks for the menu (or the viewer's event) once the current input is handled.
  void Click();
  // Opens the menu under the button, or raises the root viewer's OnSmartPopupClick.
  void ShowSmartPopupMenu();
  void Dispatch(TMessage& Message) override;

  // The item the button belongs to.
  TCustomRVItemInfo* Item = nullptr;
  TCustomRVData* RVData = nullptr;
  int ItemNo = -1;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  friend class TRVSmartPopupProperties;
  void MouseEnter();
  void MouseLeave();
  bool FHot = false;
  bool FAlwaysHot = false;
  bool FPressed = false;
  bool FShowingMenu = false;
  TRVSmartPopupProperties* FSmartPopupProperties = nullptr;
};
