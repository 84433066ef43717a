// Inside the platform only: the toolkit widget behind a window handle.
#pragma once

#include "platform/graphics/DeviceContext.h"

class QWidget;

// The widget of a handle made by a windowed control; null for a null handle.
QWidget* NativeWidgetOf(HWND handle);
