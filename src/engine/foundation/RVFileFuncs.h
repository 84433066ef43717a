// File names, paths and URLs: taking them apart, making a link target relative to the document
// that refers to it, and telling hyperlink targets and e-mail addresses. Positions are 1-based.
//
// Documents carry names written on other systems, so "\" and "/" both separate directories;
// ":" separates only as the drive colon (the second character), because on this system it is an
// ordinary character of a file name.
#pragma once

#include "engine/foundation/RVTypes.h"

// Position of the last character of s that occurs in delimiters; 0 when there is none.
int LastDelimiterPos(const TRVUnicodeString& s, const TRVUnicodeString& delimiters);
// The directory part including its trailing delimiter.
TRVUnicodeString FilePathOf(const TRVUnicodeString& name);
// The name after the last path delimiter.
TRVUnicodeString FileNameOf(const TRVUnicodeString& name);
// "C:" for a name with a drive, "\\server\share" for a UNC name, else empty.
TRVUnicodeString FileDriveOf(const TRVUnicodeString& name);
// From the last "." to the end when no delimiter follows that dot; else empty.
TRVUnicodeString FileExtOf(const TRVUnicodeString& name);
// The scheme, "://" and the host of a URL: everything before the first "/", "\" or "?" after the
// scheme (s itself is cut so when it has no "://").
TRVUnicodeString UrlRootOf(const TRVUnicodeString& s);
// UrlRootOf when s contains "://", else FileDriveOf.
TRVUnicodeString UrlRootOrDriveOf(const TRVUnicodeString& s);
// s without its UrlRootOrDriveOf prefix, cut after its last ":", "/" or "\" (empty when none).
TRVUnicodeString UrlDirectoryOf(const TRVUnicodeString& s);
// Tokenizer over a writable zero-terminated buffer: gives the segment at p. When a "/" follows
// the segment it becomes a terminator and p moves past it; otherwise p becomes null. Gives null
// when p is null.
TRVUnicodeChar* NextPathSegment(TRVUnicodeChar*& p);
// Every "\" replaced by "/", except in a local path (IsLocalPath), which is given back unchanged.
TRVUnicodeString BackslashesToSlashes(const TRVUnicodeString& path);
// target relative to the document path base: "../" for each directory of base that target does
// not share, then target's own directories and its name. A target with a query, or on another
// root or drive (compared case-sensitively), is given back unchanged.
TRVUnicodeString MakeRelativePath(const TRVUnicodeString& base, const TRVUnicodeString& target);
// True when s (in any case) starts with a hyperlink prefix such as "http://" or "www." and is
// longer than it.
bool IsUrl(const TRVUnicodeString& s);
// True when s contains "@" and a "." somewhere after it.
bool IsEmailAddress(const TRVUnicodeString& s);
// True when s is longer than one character and starts with "\\" or has ":" second.
bool IsLocalPath(const TRVUnicodeString& s);
// Removes an empty directory; true on success.
bool DeleteDirectory(const TRVUnicodeString& path);
