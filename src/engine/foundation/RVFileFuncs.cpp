#include "engine/foundation/RVFileFuncs.h"

#include <unistd.h>

#include "engine/foundation/RVStrFuncs.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

namespace {

bool IsPathDelimiter(const TRVUnicodeString& s, std::size_t i) {
  const TRVUnicodeChar c = s[i];
  return c == u'\\' || c == u'/' || (c == u':' && i == 1);
}

// 0-based index of the last path delimiter, npos when there is none.
std::size_t LastPathDelimiter(const TRVUnicodeString& s) {
  for (std::size_t i = s.size(); i > 0; --i)
    if (IsPathDelimiter(s, i - 1)) return i - 1;
  return TRVUnicodeString::npos;
}

bool SameSegment(const TRVUnicodeChar* a, const TRVUnicodeChar* b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

}  // namespace

int LastDelimiterPos(const TRVUnicodeString& s, const TRVUnicodeString& delimiters) {
  const std::size_t i = s.find_last_of(delimiters);
  return i == TRVUnicodeString::npos ? 0 : static_cast<int>(i) + 1;
}

TRVUnicodeString FilePathOf(const TRVUnicodeString& name) {
  const std::size_t i = LastPathDelimiter(name);
  return i == TRVUnicodeString::npos ? TRVUnicodeString() : name.substr(0, i + 1);
}

TRVUnicodeString FileNameOf(const TRVUnicodeString& name) {
  const std::size_t i = LastPathDelimiter(name);
  return i == TRVUnicodeString::npos ? name : name.substr(i + 1);
}

TRVUnicodeString FileDriveOf(const TRVUnicodeString& name) {
  if (name.size() >= 2 && name[1] == u':') return name.substr(0, 2);
  if (name.size() >= 2 && name[0] == u'\\' && name[1] == u'\\') {
    // \\server\share: up to the delimiter after the share, or the whole name
    const std::size_t server = name.find(u'\\', 2);
    if (server == TRVUnicodeString::npos) return name;
    const std::size_t share = name.find(u'\\', server + 1);
    return share == TRVUnicodeString::npos ? name : name.substr(0, share);
  }
  return TRVUnicodeString();
}

TRVUnicodeString FileExtOf(const TRVUnicodeString& name) {
  for (std::size_t i = name.size(); i > 0; --i) {
    if (name[i - 1] == u'.') return name.substr(i - 1);
    if (IsPathDelimiter(name, i - 1)) break;
  }
  return TRVUnicodeString();
}

TRVUnicodeString UrlRootOf(const TRVUnicodeString& s) {
  const std::size_t scheme = s.find(u"://");
  const std::size_t restStart = scheme == TRVUnicodeString::npos ? 0 : scheme + 3;
  const std::size_t cut = s.find_first_of(u"/\\?", restStart);
  return cut == TRVUnicodeString::npos ? s : s.substr(0, cut);
}

TRVUnicodeString UrlRootOrDriveOf(const TRVUnicodeString& s) {
  return s.find(u"://") != TRVUnicodeString::npos ? UrlRootOf(s) : FileDriveOf(s);
}

TRVUnicodeString UrlDirectoryOf(const TRVUnicodeString& s) {
  const TRVUnicodeString rest = s.substr(UrlRootOrDriveOf(s).size());
  const std::size_t i = rest.find_last_of(u":/\\");
  return i == TRVUnicodeString::npos ? TRVUnicodeString() : rest.substr(0, i + 1);
}

TRVUnicodeChar* NextPathSegment(TRVUnicodeChar*& p) {
  if (!p) return nullptr;
  TRVUnicodeChar* segment = p;
  TRVUnicodeChar* q = p;
  while (*q && *q != u'/') ++q;
  if (*q == u'/') {
    *q = 0;
    p = q + 1;
  } else {
    p = nullptr;
  }
  return segment;
}

TRVUnicodeString BackslashesToSlashes(const TRVUnicodeString& path) {
  if (IsLocalPath(path)) return path;
  TRVUnicodeString result = path;
  for (TRVUnicodeChar& c : result)
    if (c == u'\\') c = u'/';
  return result;
}

TRVUnicodeString MakeRelativePath(const TRVUnicodeString& base, const TRVUnicodeString& target) {
  if (target.find(u'?') != TRVUnicodeString::npos) return target;
  const TRVUnicodeString baseRoot = UrlRootOrDriveOf(base);
  const TRVUnicodeString targetRoot = UrlRootOrDriveOf(target);
  if (baseRoot != targetRoot) return target;

  const TRVUnicodeString targetDir = UrlDirectoryOf(target);
  const TRVUnicodeString fileName = target.substr(targetRoot.size() + targetDir.size());
  TRVUnicodeString baseBuf = BackslashesToSlashes(UrlDirectoryOf(base));
  TRVUnicodeString targetBuf = BackslashesToSlashes(targetDir);
  TRVUnicodeChar* pBase = baseBuf.data();
  TRVUnicodeChar* pTarget = targetBuf.data();
  TRVUnicodeChar* segBase = NextPathSegment(pBase);
  TRVUnicodeChar* segTarget = NextPathSegment(pTarget);
  while (segBase && segTarget && SameSegment(segBase, segTarget)) {
    segBase = NextPathSegment(pBase);
    segTarget = NextPathSegment(pTarget);
  }

  TRVUnicodeString result;
  // One step up for every remaining directory of the base; the last segment, which no "/"
  // follows, is no directory.
  while (segBase && pBase) {
    result += u"../";
    segBase = NextPathSegment(pBase);
  }
  if (segTarget && *segTarget) {
    result += segTarget;
    if (pTarget) result += u'/';
  }
  if (pTarget) result += pTarget;
  return result + fileName;
}

bool IsUrl(const TRVUnicodeString& s) {
  static const char16_t* const Prefixes[] = {u"http://",   u"ftp://", u"file://", u"gopher://",
                                             u"mailto:",   u"https://", u"news:", u"telnet:",
                                             u"wais:",     u"www.",   u"ftp."};
  const TRVUnicodeString lower = LowerCaseUnicode(s);
  for (const char16_t* prefix : Prefixes) {
    const std::u16string_view p(prefix);
    if (lower.size() > p.size() && std::u16string_view(lower).substr(0, p.size()) == p) return true;
  }
  return false;
}

bool IsEmailAddress(const TRVUnicodeString& s) {
  const std::size_t at = s.find(u'@');
  return at != TRVUnicodeString::npos && s.find(u'.', at + 1) != TRVUnicodeString::npos;
}

bool IsLocalPath(const TRVUnicodeString& s) {
  return s.size() > 1 && ((s[0] == u'\\' && s[1] == u'\\') || s[1] == u':');
}

bool DeleteDirectory(const TRVUnicodeString& path) {
  // an embedded zero would cut the name short and remove another directory
  if (path.find(u'\0') != TRVUnicodeString::npos) return false;
  return ::rmdir(FileNameToNative(path).c_str()) == 0;
}
