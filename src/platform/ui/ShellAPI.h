// The file lists of the clipboard and of drops: the block of CF_HDROP (a header of five 32-bit
// fields, then the names, each ended by a zero, the list ended by one more zero; the fifth field
// says whether the names are UTF-16) and the query that reads names from it, and the file URLs
// under which such a list travels between programs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"
#include "platform/ui/GlobalMemory.h"

using HDROP = HGLOBAL;

// The header's size (also the offset the first name starts at in the blocks made here) and the
// offset of its wide-names flag.
constexpr std::size_t DropFilesHeaderSize = 20;
constexpr std::size_t DropFilesWideOffset = 16;

// The names of a CF_HDROP block of Size bytes; 8-bit names are in the system ANSI code page.
// Every offset and name is checked against the block: a header that points into itself or past
// the block gives no names; a list without its final empty name ends at the block's end, and a
// name that runs to the block's end without its zero is cut and so not taken.
std::vector<UnicodeString> DropFileNames(const void* Block, std::size_t Size);
// A CF_HDROP block (UTF-16 names) holding Names; empty names are left out.
std::string MakeDropFilesBlock(const std::vector<UnicodeString>& Names);

// iFile 0xFFFFFFFF: the number of names. Otherwise the length of name iFile without its zero
// (0 when there is no such name); with a buffer, at most cch - 1 of its characters are copied,
// followed by a zero.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, WideChar* lpszFile, UINT cch);

// "file:" URLs of a URL list (one a line, "#" lines are comments) as local paths, percent-decoded
// from UTF-8; other URLs are skipped.
std::vector<UnicodeString> FileNamesFromUriList(const std::string& UriList);
// The URL list of local paths (UTF-8, percent-encoded where a URI needs it), lines ended by CR LF.
std::string UriListFromFileNames(const std::vector<UnicodeString>& Names);
