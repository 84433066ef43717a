// Standard controls: push button, single-line edit box and label, painted by our own code (see
// Controls.h), the way the window system draws them.
#pragma once

#include "platform/ui/Controls.h"

class TButton : public TWinControl {
  TAVRELO_PERSISTENT(TButton, TWinControl)
 public:
  explicit TButton(TComponent* AOwner);

 protected:
  // A push-button frame with the caption centred on one line.
  void PaintWindow(HDC DC) override;
};

class TCustomEdit : public TWinControl {
  TAVRELO_PERSISTENT(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

 protected:
  // The text on one line, one pixel in from the client area's edges.
  void PaintWindow(HDC DC) override;
};

class TEdit : public TCustomEdit {
  TAVRELO_PERSISTENT(TEdit, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;
};

class TCustomLabel : public TGraphicControl {
  TAVRELO_PERSISTENT(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* AOwner);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

 protected:
  // The background in Color unless transparent, then the caption ("&" marks an accelerator).
  void Paint() override;

 private:
  bool FTransparent = false;
  TAlignment FAlignment = taLeftJustify;
};

class TLabel : public TCustomLabel {
  TAVRELO_PERSISTENT(TLabel, TCustomLabel)
 public:
  using TCustomLabel::TCustomLabel;
};
