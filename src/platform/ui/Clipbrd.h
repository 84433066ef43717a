// The clipboard object of the class library over the window system's clipboard.
//
// Formats are numbered as on the system the engine was written for: the standard ones keep their
// documented ids, named formats get ids from 0xC000 up in the order of their registration. Each
// travels under a MIME type: text as "text/plain" (CF_TEXT through a code page, CF_UNICODETEXT as
// UTF-16 blocks), "Rich Text Format" as "text/rtf", "HTML Format" as "text/html",
// "UniformResourceLocator" as "text/uri-list", "UniformResourceLocatorW" as "text/x-moz-url", the
// native format under a private type, CF_BITMAP as the bytes of a picture file ("image/png",
// "image/bmp", "image/jpeg" or "image/gif"), CF_METAFILEPICT as "image/x-wmf" and CF_HDROP (a
// DROPFILES block, ShellAPI.h) as the "file:" URLs of "text/uri-list"; any other format keeps its
// block's bytes exactly under a private type of its own. The text-like types carry the characters
// without the block's terminating zero, which reading adds back. The same mapping serves drag and
// drop (MimeFormats.h).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"
#include "platform/ui/GlobalMemory.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;

class TGraphic;

TAVRELO_EXCEPTION(EClipboardException, Exception)

// The id of a named format, the same for the same name (compared without case) for the life of
// the process; 0 for an empty name.
UINT RegisterClipboardFormatW(const UnicodeString& name);
// The name of a registered format; empty for standard formats and unknown ids.
UnicodeString GetClipboardFormatName(UINT format);
// The MIME type under which a format travels.
std::string ClipboardFormatMimeType(UINT format);

// What the window system's clipboard holds, as MIME types with their bytes, in the order it
// offers them; empty when it holds nothing. No format mapping: for data of other programs.
std::vector<std::pair<std::string, std::string>> GetClipboardMimeData();
// Replaces the window system's clipboard content by exactly these types and bytes (a type given
// twice keeps its last bytes); an empty list empties the clipboard.
void SetClipboardMimeData(const std::vector<std::pair<std::string, std::string>>& items);
// True while this program owns the window system's clipboard (it is the one serving its content).
bool ClipboardOwnedHere();

class TClipboard : public TObject {
 public:
  TClipboard();
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Opens are counted; the first raises EClipboardException "Cannot open clipboard" when the
  // system refuses. Data set while open reach the system at the last Close.
  void Open();
  void Close();
  bool IsOpen() const { return FOpenRefCount > 0; }
  void Clear();
  bool HasFormat(UINT format) const;
  // A block holding the format's data, owned by the clipboard and valid until its content is
  // changed or the same format is read again; nullptr when the format is absent.
  HGLOBAL GetAsHandle(UINT format);
  // Hands the block to the clipboard, which owns it from now on (also when this raises). The
  // first block set in an open session empties the clipboard first.
  void SetAsHandle(UINT format, HGLOBAL value);
  UnicodeString GetAsText();
  void SetAsText(const UnicodeString& text);
  // Puts a picture on the clipboard as a PNG file under "image/png" (other classes through their
  // pixels); an empty picture puts nothing. Raises EInvalidGraphic when it cannot be written.
  void Assign(const TGraphic* graphic);

 protected:
  // The system call; false when another program holds the clipboard.
  virtual bool DoOpenClipboard();

 private:
  struct TData;
  std::unique_ptr<TData> FData;
  int FOpenRefCount = 0;
  bool FEmptied = false;
  void Adding();
};

// The process's clipboard object, created on first use.
TClipboard* Clipboard();
// Replaces the process's clipboard object and gives the previous one back.
std::unique_ptr<TClipboard> SetClipboard(std::unique_ptr<TClipboard> newClipboard);
