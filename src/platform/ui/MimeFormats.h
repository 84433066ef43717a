// Inside the platform only: clipboard formats in the toolkit's MIME data, shared by the clipboard
// and drag and drop (Clipbrd.h tells which MIME type each format travels under).
#pragma once

#include <QMimeData>
#include <string>

#include "platform/base/Types.h"

bool MimeHasClipboardFormat(const QMimeData* md, UINT format);
// The block of a format as a program reads it from the clipboard (text with its terminating
// zero, local files of a URL list as a DROPFILES block); false when md does not offer it.
bool MimeClipboardFormatBlock(const QMimeData* md, UINT format, std::string& Block);
// Puts the block of a format into md. UnicodeTextSet tells whether the UTF-16 text is set already
// (8-bit text then does not replace it); setting UTF-16 text sets it.
void SetMimeClipboardFormatBlock(QMimeData* md, UINT format, const std::string& Block, bool& UnicodeTextSet);
