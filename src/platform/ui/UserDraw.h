// The window system's drawing helpers for control pictures: 3-D edges, frame controls and
// formatted text. They draw through the device-context calls only, so a control painted on the
// screen, into a bitmap, on a printer or into a metafile looks the same.
#pragma once

#include "platform/graphics/DeviceContext.h"

// DrawEdge: edge kinds
constexpr UINT BDR_RAISEDOUTER = 0x0001, BDR_SUNKENOUTER = 0x0002, BDR_RAISEDINNER = 0x0004,
               BDR_SUNKENINNER = 0x0008, BDR_OUTER = 0x0003, BDR_INNER = 0x000C,
               BDR_RAISED = 0x0005, BDR_SUNKEN = 0x000A;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
               EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
               EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
               EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
// DrawEdge: sides and options
constexpr UINT BF_LEFT = 0x0001, BF_TOP = 0x0002, BF_RIGHT = 0x0004, BF_BOTTOM = 0x0008,
               BF_TOPLEFT = BF_TOP | BF_LEFT, BF_TOPRIGHT = BF_TOP | BF_RIGHT,
               BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
               BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM, BF_DIAGONAL = 0x0010,
               BF_MIDDLE = 0x0800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000,
               BF_MONO = 0x8000;

// DrawFrameControl: kinds and states
constexpr UINT DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5;
constexpr UINT DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIOIMAGE = 0x0001,
               DFCS_BUTTONRADIOMASK = 0x0002, DFCS_BUTTONRADIO = 0x0004,
               DFCS_BUTTON3STATE = 0x0008, DFCS_BUTTONPUSH = 0x0010, DFCS_INACTIVE = 0x0100,
               DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400, DFCS_TRANSPARENT = 0x0800,
               DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000,
               DFCS_MONO = 0x8000;

// DrawText formats
constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
               DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20,
               DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80, DT_NOCLIP = 0x100,
               DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
               DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000,
               DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000,
               DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000,
               DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000;

constexpr int COLOR_WINDOWFRAME = 6, COLOR_BTNSHADOW = 16, COLOR_BTNTEXT = 18,
              COLOR_BTNHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22;

// One band of a frame: one-pixel lines on the chosen sides (BF_ flags) of rect, the top and left
// ones with topLeft, the bottom and right ones with bottomRight. rect shrinks on the sides drawn.
void DrawFrameBand(HDC dc, RECT& rect, UINT sides, HBRUSH topLeft, HBRUSH bottomRight);

// Draws the chosen edges of rect with the button colours. With BF_ADJUST rect becomes the area
// inside the edges; BF_MIDDLE fills that area with the button face. Diagonal edges are not
// drawn (FALSE).
BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);

// Push buttons and check boxes of DFC_BUTTON; FALSE for kinds not drawn here. A push button
// fills rect with the button face inside a raised edge (sunken when pushed); a check box is a
// sunken square with a tick when checked. With DFCS_ADJUSTRECT rect becomes the inner area.
BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state);

// Draws text (count -1: up to the terminating zero) into rect with the context's font, text
// colour and background mode, the way the window system formats labels: lines at CR/LF (one
// line with DT_SINGLELINE), breaks after words to fit rect's width with DT_WORDBREAK (an
// overlong word keeps a line of its own; with DT_EDITCONTROL it breaks between characters), tab
// expansion, "&" prefixes underlined unless DT_NOPREFIX, horizontal alignment, vertical
// alignment of a single line, clipping unless DT_NOCLIP. With DT_CALCRECT nothing is drawn and
// rect's right and bottom move to bound the text (its left and top stay). Answers the text's
// height (from rect's top to the text's bottom when centred or bottom-aligned); 0 on failure.
int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format);
