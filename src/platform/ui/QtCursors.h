// The toolkit's cursor for an entry of the screen's cursor table; for the platform's controls.
#pragma once

#include <QCursor>

#include "platform/ui/Cursors.h"

// A standard shape becomes the toolkit's shape; pixels become a bitmap cursor with the hot spot;
// nullptr, or no running session, gives the arrow.
QCursor ToQtCursor(HCURSOR Cursor);
// The same for an id of the table; an unknown id gives the arrow.
QCursor ScreenCursorToQt(int Id);
