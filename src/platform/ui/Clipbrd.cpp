#include "platform/ui/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstring>
#include <map>
#include <vector>

#include "platform/base/NLS.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/GuiSession.h"
#include "platform/ui/MimeFormats.h"
#include "platform/ui/ShellAPI.h"

// ---- format registry ----------------------------------------------------------------------------

namespace {
constexpr UINT FirstRegisteredFormat = 0xC000;
// URL lists are parsed and re-encoded by the window system, so the bytes of an 8-bit URL in a
// code page travel beside the list as well.
const char* const PrivateUrlMime = "application/x-tavrelopad-url";

std::vector<UnicodeString>& RegisteredNames() {
  static std::vector<UnicodeString> names;
  return names;
}

// How a format's block maps onto the bytes of its MIME type.
enum class TKind {
  Raw,         // the block's bytes, exactly
  Ansi,        // 8-bit characters up to the terminating zero
  Html,        // as Ansi, without the description header that blocks of clipboard HTML start with
  UriList,     // one 8-bit URL, also kept exactly under PrivateUrlMime; from other programs the
               // first URL of a list
  Utf16Url,    // one UTF-16 URL; reading takes the first line
  UnicodeText, // CF_UNICODETEXT: UTF-16 characters, shared with CF_TEXT as the text
  AnsiText,    // CF_TEXT and CF_OEMTEXT: 8-bit characters in a code page
  Picture,     // CF_BITMAP: the bytes of a picture file (PNG, BMP, JPEG or GIF as offered)
  FileList,    // CF_HDROP: a DROPFILES block of UTF-16 names; the local files of a URL list
};

// The picture types a bitmap is read from, in the order of preference.
const char* const PictureMimes[] = {"image/png", "image/bmp", "image/x-bmp", "image/jpeg", "image/gif"};

struct TMapping {
  TKind Kind;
  std::string Mime;
};

std::string PrivateMimeName(const UnicodeString& name) {
  static const char Hex[] = "0123456789abcdef";
  std::string r = "application/x-tavrelopad-format-";
  for (unsigned char c : UnicodeToUtf8(name)) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      r += static_cast<char>(c);
    } else if (c >= 'A' && c <= 'Z') {
      r += static_cast<char>(c - 'A' + 'a');
    } else {
      r += '_';
      r += Hex[c >> 4];
      r += Hex[c & 0xF];
    }
  }
  return r;
}

TMapping MappingOf(UINT format) {
  switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT: return {TKind::AnsiText, "text/plain"};
    case CF_UNICODETEXT: return {TKind::UnicodeText, "text/plain"};
    case CF_LOCALE: return {TKind::Raw, "application/x-tavrelopad-locale"};
    case CF_BITMAP: return {TKind::Picture, "image/png"};
    case CF_METAFILEPICT: return {TKind::Raw, "image/x-wmf"};
    case CF_HDROP: return {TKind::FileList, "text/uri-list"};
  }
  const UnicodeString name = GetClipboardFormatName(format);
  if (name.empty()) return {TKind::Raw, "application/x-tavrelopad-cf-" + std::to_string(format)};
  static const struct { const char16_t* Name; TKind Kind; const char* Mime; } Known[] = {
      {u"ViroZere Format", TKind::Raw, "application/x-tavrelopad-rvf"},
      {u"Rich Text Format", TKind::Ansi, "text/rtf"},
      {u"HTML Format", TKind::Html, "text/html"},
      {u"UniformResourceLocator", TKind::UriList, "text/uri-list"},
      {u"UniformResourceLocatorW", TKind::Utf16Url, "text/x-moz-url"},
  };
  for (const auto& k : Known)
    if (SameTextAscii(name, k.Name)) return {k.Kind, k.Mime};
  return {TKind::Raw, PrivateMimeName(name)};
}

// The ANSI code page of a locale; the system one when the locale has none.
UINT LocaleCodePage(LCID locale) {
  WideChar buf[16] = {};
  if (GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE, buf, 16) > 0) {
    int cp = 0;
    if (TryStrToInt(buf, cp) && cp > 0) return static_cast<UINT>(cp);
  }
  return GetACP();
}

UINT KeyboardLayoutCodePage() { return LocaleCodePage(static_cast<LCID>(GetKeyboardLayout(0) & 0xFFFF)); }

// The code page of 8-bit text for a format: the clipboard's locale, else the keyboard's.
UINT TextCodePage(UINT format, const QMimeData* md) {
  if (format == CF_OEMTEXT) return GetOEMCP();
  if (md) {
    const QByteArray loc = md->data(QString::fromLatin1(MappingOf(CF_LOCALE).Mime));
    if (loc.size() >= 4) {
      LCID lcid = 0;
      std::memcpy(&lcid, loc.constData(), 4);
      return LocaleCodePage(lcid);
    }
  }
  return KeyboardLayoutCodePage();
}

std::string BlockBytes(HGLOBAL h) {
  const std::size_t size = GlobalSize(h);
  const char* p = static_cast<const char*>(GlobalLock(h));
  std::string r(p && size ? std::string(p, size) : std::string());
  GlobalUnlock(h);
  return r;
}

HGLOBAL BlockFrom(const void* data, std::size_t size, std::size_t zeroBytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size + zeroBytes);
  if (!h) throw EOutOfMemory(std::string_view("Out of memory"));
  if (size) std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  return h;
}

std::string UpToZeroByte(const std::string& s) { return s.substr(0, s.find('\0')); }

// Clipboard HTML starts with "Version:" and lines of byte offsets ("StartHTML:", "EndHTML:",
// "StartFragment:", "EndFragment:"). The MIME type carries the HTML alone: the document part,
// else the fragment; text without a usable header is taken as it is.
std::string WithoutHtmlHeader(const std::string& s) {
  if (s.rfind("Version:", 0) != 0) return s;
  auto offset = [&](const char* key) -> long long {
    const std::string k = std::string("\n") + key;
    const std::size_t p = s.find(k);
    if (p == std::string::npos) return -1;
    long long v = 0;
    std::size_t i = p + k.size();
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && v <= static_cast<long long>(s.size()); ++i) v = v * 10 + (s[i] - '0');
    return v;
  };
  const long long size = static_cast<long long>(s.size());
  for (auto [from, to] : {std::pair{"StartHTML:", "EndHTML:"}, std::pair{"StartFragment:", "EndFragment:"}}) {
    const long long a = offset(from), b = offset(to);
    if (a >= 0 && a <= b && b <= size) return s.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
  }
  return s;
}

std::u16string UpToZeroUnit(const std::string& bytes) {
  std::u16string r(bytes.size() / 2, u'\0');
  if (!r.empty()) std::memcpy(r.data(), bytes.data(), r.size() * 2);
  return r.substr(0, r.find(u'\0'));
}

QString ToQString(const std::u16string& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

std::u16string FromQString(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}
}  // namespace

// ---- formats in the toolkit's MIME data -----------------------------------------------------------

bool MimeHasClipboardFormat(const QMimeData* md, UINT format) {
  const TMapping m = MappingOf(format);
  if (m.Kind == TKind::Picture) {
    for (const char* mime : PictureMimes)
      if (md->hasFormat(QString::fromLatin1(mime))) return true;
    return false;
  }
  if (m.Kind == TKind::FileList)
    return md->hasFormat(QString::fromLatin1(m.Mime)) &&
           !FileNamesFromUriList(md->data(QString::fromLatin1(m.Mime)).toStdString()).empty();
  return md->hasFormat(QString::fromLatin1(m.Mime)) ||
         (m.Kind == TKind::UriList && md->hasFormat(QString::fromLatin1(PrivateUrlMime)));
}

bool MimeClipboardFormatBlock(const QMimeData* md, UINT format, std::string& Block) {
  Block.clear();
  const TMapping m = MappingOf(format);
  const QString mime = QString::fromLatin1(m.Mime);
  auto withZero = [&](const void* data, std::size_t size, std::size_t zeroBytes) {
    Block.assign(static_cast<const char*>(data), size);
    Block.append(zeroBytes, '\0');
    return true;
  };
  // Text counts only as plain text: a list of URLs alone is no text, as on the system the
  // engine was written for.
  if (m.Kind == TKind::UriList && md->hasFormat(QString::fromLatin1(PrivateUrlMime))) {
    const std::string s = UpToZeroByte(md->data(QString::fromLatin1(PrivateUrlMime)).toStdString());
    return withZero(s.data(), s.size(), 1);
  }
  if (m.Kind == TKind::Picture) {
    for (const char* pm : PictureMimes)
      if (md->hasFormat(QString::fromLatin1(pm))) {
        const QByteArray b = md->data(QString::fromLatin1(pm));
        return withZero(b.constData(), static_cast<std::size_t>(b.size()), 0);
      }
    return false;
  }
  if (!md->hasFormat(mime)) return false;
  switch (m.Kind) {
    case TKind::Raw: {
      const QByteArray b = md->data(mime);
      return withZero(b.constData(), static_cast<std::size_t>(b.size()), 0);
    }
    case TKind::Ansi:
    case TKind::Html: {
      const std::string s = UpToZeroByte(md->data(mime).toStdString());
      return withZero(s.data(), s.size(), 1);
    }
    case TKind::UriList: {
      // The first URL of the list; comment lines start with "#".
      std::string url;
      for (const QByteArray& line : md->data(mime).split('\n')) {
        const std::string l = UpToZeroByte(line.trimmed().toStdString());
        if (!l.empty() && l[0] != '#') {
          url = l;
          break;
        }
      }
      return withZero(url.data(), url.size(), 1);
    }
    case TKind::Utf16Url: {
      std::u16string url = UpToZeroUnit(md->data(mime).toStdString());
      url = url.substr(0, url.find(u'\n'));
      if (!url.empty() && url.back() == u'\r') url.pop_back();
      return withZero(url.data(), url.size() * 2, 2);
    }
    case TKind::UnicodeText: {
      const std::u16string t = FromQString(md->text());
      return withZero(t.data(), t.size() * 2, 2);
    }
    case TKind::AnsiText: {
      std::string s;
      UnicodeToCodePage(TextCodePage(format, md), 0, FromQString(md->text()), s);
      return withZero(s.data(), s.size(), 1);
    }
    case TKind::FileList: {
      const std::vector<UnicodeString> names = FileNamesFromUriList(md->data(mime).toStdString());
      if (names.empty()) return false;
      Block = MakeDropFilesBlock(names);
      return true;
    }
    case TKind::Picture: break;
  }
  return false;
}

void SetMimeClipboardFormatBlock(QMimeData* md, UINT format, const std::string& bytes, bool& UnicodeTextSet) {
  const TMapping m = MappingOf(format);
  const QString mime = QString::fromLatin1(m.Mime);
  switch (m.Kind) {
    case TKind::Raw: md->setData(mime, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))); break;
    case TKind::Ansi: md->setData(mime, QByteArray::fromStdString(UpToZeroByte(bytes))); break;
    case TKind::Html: md->setData(mime, QByteArray::fromStdString(WithoutHtmlHeader(UpToZeroByte(bytes)))); break;
    case TKind::UriList: {
      // A list of one URL, its line ended as the list format asks; bytes that a URI cannot hold
      // are percent-encoded there.
      const std::string url = UpToZeroByte(bytes);
      std::string listed;
      for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F) {
          static const char Hex[] = "0123456789ABCDEF";
          listed += '%';
          listed += Hex[c >> 4];
          listed += Hex[c & 0xF];
        } else {
          listed += static_cast<char>(c);
        }
      }
      md->setData(QString::fromLatin1(PrivateUrlMime), QByteArray::fromStdString(url));
      md->setData(mime, QByteArray::fromStdString(url.empty() ? url : listed + "\r\n"));
      break;
    }
    case TKind::Utf16Url: {
      const std::u16string url = UpToZeroUnit(bytes);
      md->setData(mime, QByteArray(reinterpret_cast<const char*>(url.data()), static_cast<qsizetype>(url.size() * 2)));
      break;
    }
    case TKind::UnicodeText:
      md->setText(ToQString(UpToZeroUnit(bytes)));
      UnicodeTextSet = true;
      break;
    case TKind::AnsiText:
      // The same text may come in both forms; the UTF-16 one is the more faithful.
      if (!UnicodeTextSet) {
        UnicodeString text;
        CodePageToUnicode(TextCodePage(format, md), 0, UpToZeroByte(bytes), text);
        md->setText(ToQString(text));
      }
      break;
    case TKind::Picture: {
      // The type follows the file's signature; bytes of no known picture are not offered.
      const char* type = bytes.rfind("\x89PNG", 0) == 0   ? "image/png"
                         : bytes.rfind("BM", 0) == 0      ? "image/bmp"
                         : bytes.rfind("\xFF\xD8", 0) == 0 ? "image/jpeg"
                         : bytes.rfind("GIF8", 0) == 0    ? "image/gif"
                                                          : nullptr;
      if (type) md->setData(QString::fromLatin1(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
      break;
    }
    case TKind::FileList: {
      const std::string list = UriListFromFileNames(DropFileNames(bytes.data(), bytes.size()));
      if (!list.empty()) md->setData(mime, QByteArray::fromStdString(list));
      break;
    }
  }
}

UINT RegisterClipboardFormatW(const UnicodeString& name) {
  if (name.empty()) return 0;
  auto& names = RegisteredNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameTextAscii(names[i], name)) return FirstRegisteredFormat + static_cast<UINT>(i);
  if (names.size() >= 0x10000 - FirstRegisteredFormat) return 0;
  names.push_back(name);
  return FirstRegisteredFormat + static_cast<UINT>(names.size() - 1);
}

UnicodeString GetClipboardFormatName(UINT format) {
  const auto& names = RegisteredNames();
  if (format < FirstRegisteredFormat || format - FirstRegisteredFormat >= names.size()) return {};
  return names[format - FirstRegisteredFormat];
}

std::string ClipboardFormatMimeType(UINT format) { return MappingOf(format).Mime; }

std::vector<std::pair<std::string, std::string>> GetClipboardMimeData() {
  std::vector<std::pair<std::string, std::string>> r;
  if (!GuiSessionRunning()) return r;
  QClipboard* cb = QGuiApplication::clipboard();
  const QMimeData* md = cb ? cb->mimeData() : nullptr;
  if (!md) return r;
  for (const QString& mime : md->formats()) r.emplace_back(mime.toStdString(), md->data(mime).toStdString());
  return r;
}

bool ClipboardOwnedHere() {
  if (!GuiSessionRunning()) return false;
  const QClipboard* cb = QGuiApplication::clipboard();
  return cb && cb->ownsClipboard();
}

void SetClipboardMimeData(const std::vector<std::pair<std::string, std::string>>& items) {
  if (!GuiSessionRunning()) return;
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return;
  if (items.empty()) {
    cb->clear();
    return;
  }
  auto md = std::make_unique<QMimeData>();
  for (const auto& [mime, bytes] : items)
    md->setData(QString::fromStdString(mime), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  cb->setMimeData(md.release());
}

// ---- the clipboard object -----------------------------------------------------------------------

struct TClipboard::TData {
  std::unique_ptr<QMimeData> Pending;  // what this open session has set
  bool UnicodeTextSet = false;
  std::map<UINT, HGLOBAL> ReadBlocks;

  void FreeReadBlocks() {
    for (auto& [f, h] : ReadBlocks) GlobalFree(h);
    ReadBlocks.clear();
  }
  const QMimeData* Current() const {
    if (Pending) return Pending.get();
    if (!GuiSessionRunning()) return nullptr;
    QClipboard* cb = QGuiApplication::clipboard();
    return cb ? cb->mimeData() : nullptr;
  }
};

TClipboard::TClipboard() : FData(std::make_unique<TData>()) {}

TClipboard::~TClipboard() { FData->FreeReadBlocks(); }

bool TClipboard::DoOpenClipboard() {
  return GuiSessionRunning() && QGuiApplication::clipboard() != nullptr;
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    if (!DoOpenClipboard()) throw EClipboardException(std::string_view("Cannot open clipboard"));
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount > 0) return;
  if (FEmptied && FData->Pending && GuiSessionRunning()) {
    if (QClipboard* cb = QGuiApplication::clipboard()) cb->setMimeData(FData->Pending.release());
  }
  FData->Pending.reset();
  FData->UnicodeTextSet = false;
  FEmptied = false;
}

void TClipboard::Adding() {
  if (FOpenRefCount != 0 && !FEmptied) {
    FData->FreeReadBlocks();
    FData->Pending = std::make_unique<QMimeData>();
    FData->UnicodeTextSet = false;
    FEmptied = true;
  }
}

void TClipboard::Clear() {
  Open();
  FEmptied = false;
  Adding();
  Close();
}

bool TClipboard::HasFormat(UINT format) const {
  const QMimeData* md = FData->Current();
  return md && MimeHasClipboardFormat(md, format);
}

HGLOBAL TClipboard::GetAsHandle(UINT format) {
  Open();
  HGLOBAL h = nullptr;
  try {
    const QMimeData* md = FData->Current();
    std::string block;
    if (md && MimeClipboardFormatBlock(md, format, block)) h = BlockFrom(block.data(), block.size(), 0);
  } catch (...) {
    Close();
    throw;
  }
  if (h) {
    auto it = FData->ReadBlocks.find(format);
    if (it != FData->ReadBlocks.end()) GlobalFree(it->second);
    FData->ReadBlocks[format] = h;
  }
  Close();
  return h;
}

void TClipboard::SetAsHandle(UINT format, HGLOBAL value) {
  try {
    Open();
  } catch (...) {
    GlobalFree(value);
    throw;
  }
  try {
    Adding();
    const std::string bytes = BlockBytes(value);
    GlobalFree(value);
    value = nullptr;
    SetMimeClipboardFormatBlock(FData->Pending.get(), format, bytes, FData->UnicodeTextSet);
  } catch (...) {
    if (value) GlobalFree(value);
    Close();
    throw;
  }
  Close();
}

UnicodeString TClipboard::GetAsText() {
  Open();
  UnicodeString r;
  try {
    if (HGLOBAL h = GetAsHandle(CF_UNICODETEXT)) r = UpToZeroUnit(BlockBytes(h));
  } catch (...) {
    Close();
    throw;
  }
  Close();
  return r;
}

void TClipboard::SetAsText(const UnicodeString& text) {
  SetAsHandle(CF_UNICODETEXT, BlockFrom(text.data(), text.size() * 2, 2));
}

void TClipboard::Assign(const TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  const std::string png = EncodePng(graphic->ToPixels());
  if (png.empty()) return;
  Open();
  try {
    Adding();
    FData->Pending->setData(QStringLiteral("image/png"), QByteArray(png.data(), static_cast<qsizetype>(png.size())));
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

// ---- the process's clipboard object -------------------------------------------------------------

namespace {
std::unique_ptr<TClipboard>& ClipboardInstance() {
  static std::unique_ptr<TClipboard> instance;
  return instance;
}
}  // namespace

TClipboard* Clipboard() {
  auto& c = ClipboardInstance();
  if (!c) c = std::make_unique<TClipboard>();
  return c.get();
}

std::unique_ptr<TClipboard> SetClipboard(std::unique_ptr<TClipboard> newClipboard) {
  auto old = std::move(ClipboardInstance());
  ClipboardInstance() = std::move(newClipboard);
  return old;
}
