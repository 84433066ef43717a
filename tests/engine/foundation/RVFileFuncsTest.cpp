#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/foundation/RVFileFuncs.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

namespace {

std::string U8(const TRVUnicodeString& s) { return UnicodeToUtf8(s); }

}  // namespace

TEST(FileFuncs, LastDelimiterPos) {
  struct Case {
    TRVUnicodeString s, delimiters;
    int expected;
  };
  const Case cases[] = {
      {u"a/b\\c", u"/\\", 4}, {u"a.b.c", u".", 4}, {u"abc", u"/", 0},
      {u"", u"/", 0},         {u"abc", u"", 0},    {u"/abc", u"/", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(LastDelimiterPos(c.s, c.delimiters), c.expected) << U8(c.s);
}

TEST(FileFuncs, FileNameParts) {
  struct Case {
    TRVUnicodeString name, path, file, drive, ext;
  };
  const Case cases[] = {
      {u"C:\\docs\\a\\file.rtf", u"C:\\docs\\a\\", u"file.rtf", u"C:", u".rtf"},
      {u"C:\\my.dir\\file", u"C:\\my.dir\\", u"file", u"C:", u""},
      {u"archive.tar.gz", u"", u"archive.tar.gz", u"", u".gz"},
      {u"/home/u/pic.png", u"/home/u/", u"pic.png", u"", u".png"},
      {u"/home/my.dir/file", u"/home/my.dir/", u"file", u"", u""},
      {u"\\\\server\\share\\dir\\f.txt", u"\\\\server\\share\\dir\\", u"f.txt", u"\\\\server\\share", u".txt"},
      {u"\\\\server\\share", u"\\\\server\\", u"share", u"\\\\server\\share", u""},
      {u"\\\\server", u"\\\\", u"server", u"\\\\server", u""},
      {u"C:file.txt", u"C:", u"file.txt", u"C:", u".txt"},
      // on this system a colon inside a name is part of the name
      {u"/tmp/a:b.png", u"/tmp/", u"a:b.png", u"", u".png"},
      {u"/tmp/x.d:e", u"/tmp/", u"x.d:e", u"", u".d:e"},
      {u"dir.x/", u"dir.x/", u"", u"", u""},
      {u".hidden", u"", u".hidden", u"", u".hidden"},
      {u"", u"", u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilePathOf(c.name), c.path) << U8(c.name);
    EXPECT_EQ(FileNameOf(c.name), c.file) << U8(c.name);
    EXPECT_EQ(FileDriveOf(c.name), c.drive) << U8(c.name);
    EXPECT_EQ(FileExtOf(c.name), c.ext) << U8(c.name);
  }
}

TEST(FileFuncs, UrlParts) {
  struct Case {
    TRVUnicodeString s, root, rootOrDrive, directory;
  };
  const Case cases[] = {
      {u"http://example.com/a/b", u"http://example.com", u"http://example.com", u"/a/"},
      {u"http://example.com?q=/x", u"http://example.com", u"http://example.com", u"?q=/"},
      {u"http://example.com", u"http://example.com", u"http://example.com", u""},
      {u"https://h:8080\\x\\y.png", u"https://h:8080", u"https://h:8080", u"\\x\\"},
      {u"www.example.com/page", u"www.example.com", u"", u"www.example.com/"},
      {u"C:\\docs\\a\\file.rtf", u"C:", u"C:", u"\\docs\\a\\"},
      {u"\\\\server\\share\\dir\\file", u"", u"\\\\server\\share", u"\\dir\\"},
      {u"/home/u/doc.html", u"", u"", u"/home/u/"},
      {u"mailto:x@y", u"mailto:x@y", u"", u"mailto:"},
      {u"file.rtf", u"file.rtf", u"", u""},
      {u"", u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UrlRootOf(c.s), c.root) << U8(c.s);
    EXPECT_EQ(UrlRootOrDriveOf(c.s), c.rootOrDrive) << U8(c.s);
    EXPECT_EQ(UrlDirectoryOf(c.s), c.directory) << U8(c.s);
  }
}

TEST(FileFuncs, NextPathSegment) {
  struct Case {
    TRVUnicodeString buffer;
    std::vector<TRVUnicodeString> segments;
  };
  const Case cases[] = {
      {u"a/b//c", {u"a", u"b", u"", u"c"}},
      {u"/docs/a/", {u"", u"docs", u"a", u""}},
      {u"a\\b", {u"a\\b"}},
      {u"", {u""}},
  };
  for (const Case& c : cases) {
    TRVUnicodeString buf = c.buffer;
    TRVUnicodeChar* p = buf.data();
    std::vector<TRVUnicodeString> got;
    while (TRVUnicodeChar* segment = NextPathSegment(p)) got.push_back(segment);
    EXPECT_EQ(got, c.segments) << U8(c.buffer);
    EXPECT_EQ(p, nullptr);
  }
  TRVUnicodeChar* none = nullptr;
  EXPECT_EQ(NextPathSegment(none), nullptr);
}

TEST(FileFuncs, BackslashesToSlashes) {
  struct Case {
    TRVUnicodeString path, expected;
  };
  const Case cases[] = {
      {u"\\dir\\x", u"/dir/x"},  {u"a\\b/c", u"a/b/c"},          {u"C:\\dir", u"C:\\dir"},
      {u"\\\\srv\\x", u"\\\\srv\\x"}, {u"\\", u"/"},             {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(BackslashesToSlashes(c.path), c.expected) << U8(c.path);
}

TEST(FileFuncs, MakeRelativePath) {
  struct Case {
    TRVUnicodeString base, target, expected;
  };
  const Case cases[] = {
      {u"C:\\docs\\a\\file.rtf", u"C:\\docs\\b\\img.png", u"../b/img.png"},
      {u"C:\\docs\\a\\file.rtf", u"C:\\docs\\a\\img.png", u"img.png"},
      {u"C:\\docs\\file.rtf", u"C:\\docs\\a\\b\\img.png", u"a/b/img.png"},
      {u"C:\\docs\\a\\b\\file.rtf", u"C:\\docs\\img.png", u"../../img.png"},
      {u"C:\\docs\\a\\b\\file.rtf", u"C:\\docs\\c\\d\\img.png", u"../../c/d/img.png"},
      {u"C:\\docs\\a\\file.rtf", u"C:\\Docs\\a\\img.png", u"../../Docs/a/img.png"},
      {u"C:/docs/a/file.rtf", u"C:\\docs\\b\\img.png", u"../b/img.png"},
      // another drive, another host, another case of the drive, a query: unchanged
      {u"C:\\docs\\a\\file.rtf", u"D:\\docs\\a\\img.png", u"D:\\docs\\a\\img.png"},
      {u"C:\\docs\\a\\file.rtf", u"c:\\docs\\a\\img.png", u"c:\\docs\\a\\img.png"},
      {u"C:\\docs\\a\\file.rtf", u"C:\\docs\\a\\img.png?x=1", u"C:\\docs\\a\\img.png?x=1"},
      {u"C:\\docs\\a\\file.rtf", u"http://h/a.png", u"http://h/a.png"},
      {u"http://h/dir/page.html", u"http://other/img/a.png", u"http://other/img/a.png"},
      {u"http://h/dir/page.html", u"http://h/img/a.png", u"../img/a.png"},
      {u"http://h/dir/page.html", u"http://h/dir/img/a.png", u"img/a.png"},
      {u"\\\\srv\\share\\d\\f.rtf", u"\\\\srv\\share\\e\\g.png", u"../e/g.png"},
      {u"/home/u/doc.html", u"/home/u/pics/a.png", u"pics/a.png"},
      {u"/home/u/doc.html", u"/srv/x/a.png", u"../../srv/x/a.png"},
      {u"/home/u/doc.html", u"/home/u/x/a:b.png", u"x/a:b.png"},
      {u"/home/u/doc.html", u"/home/u/a:b.png", u"a:b.png"},
      {u"file.rtf", u"img.png", u"img.png"},
      {u"", u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MakeRelativePath(c.base, c.target), c.expected) << U8(c.base) << " -> " << U8(c.target);
}

TEST(FileFuncs, UrlsEmailsAndLocalPaths) {
  struct UrlCase {
    TRVUnicodeString s;
    bool expected;
  };
  const UrlCase urls[] = {
      {u"www.", false},         {u"WWW.a", true},          {u"http://", false},
      {u"http://x", true},      {u"HTTPS://X", true},      {u"ftp://h", true},
      {u"ftp.example.com", true}, {u"file:///tmp/a", true}, {u"gopher://h", true},
      {u"mailto:a@b", true},    {u"news:x", true},         {u"telnet:x", true},
      {u"wais:x", true},        {u"example.com", false},   {u"", false},
      {u" http://x", false},    {u"httpx://a", false},     {u"mailto", false},
  };
  for (const UrlCase& c : urls) EXPECT_EQ(IsUrl(c.s), c.expected) << U8(c.s);

  const UrlCase emails[] = {
      {u"a@b.c", true}, {u"a@b", false}, {u"a.b@c", false}, {u"@.", true},
      {u"a@b@c.d", true}, {u"", false}, {u"a.b", false},
  };
  for (const UrlCase& c : emails) EXPECT_EQ(IsEmailAddress(c.s), c.expected) << U8(c.s);

  const UrlCase local[] = {
      {u"C", false}, {u"\\", false}, {u"\\\\", true},  {u"C:", true},   {u"C:\\x", true},
      {u"/home", false}, {u"\\\\srv", true}, {u"ab", false}, {u"\\x", false}, {u"", false},
  };
  for (const UrlCase& c : local) EXPECT_EQ(IsLocalPath(c.s), c.expected) << U8(c.s);
}

TEST(FileFuncs, DeleteDirectory) {
  const TRVUnicodeString dir = Utf8ToUnicode(TAVRELO_TEST_OUTPUT "/каталог");
  const std::string native = UnicodeToUtf8(dir);
  ::rmdir((native + "/inner").c_str());
  ::rmdir(native.c_str());
  ASSERT_EQ(::mkdir(native.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((native + "/inner").c_str(), 0755), 0);

  EXPECT_FALSE(DeleteDirectory(dir));  // not empty
  EXPECT_FALSE(DeleteDirectory(dir + u'\0' + u"/inner"));
  EXPECT_TRUE(DirectoryExists(dir + u"/inner"));
  EXPECT_TRUE(DeleteDirectory(dir + u"/inner"));
  EXPECT_TRUE(DeleteDirectory(dir));
  EXPECT_FALSE(DirectoryExists(dir));
  EXPECT_FALSE(DeleteDirectory(dir));
  EXPECT_FALSE(DeleteDirectory(u""));
}
