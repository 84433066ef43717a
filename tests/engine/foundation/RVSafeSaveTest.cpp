#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/foundation/RVSafeSave.h"
#include "platform/base/Classes.h"
#include "platform/base/SysUtils.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t Nobody = 65534;
constexpr uid_t OtherUser = 4321;
constexpr gid_t OtherGroup = 4322;

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& Path, const std::string& Text, mode_t Mode = 0644) {
  std::ofstream(Path, std::ios::binary) << Text;
  ::chmod(Path.c_str(), Mode);
}

bool Save(const std::string& Path, const std::string& Text) {
  return RVSaveFileSafely(Utf8ToUnicode(Path), [&](TStream* s) {
    s->WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
    return true;
  });
}

// The save run by an unprivileged user in a child process (as root, permissions do not bind).
bool SaveAsNobody(const std::string& Path, const std::string& Text) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0 &&
                    Save(Path, Text);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> Names(const std::string& Dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(Dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct TLinkDir {
  std::string Dir;
  TLinkDir() {
    char templ[] = "/tmp/rvsafesaveXXXXXX";
    Dir = ::mkdtemp(templ);
    ::chmod(Dir.c_str(), 0755);
  }
  ~TLinkDir() {
    ::chmod(Dir.c_str(), 0755);
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  std::string operator/(const std::string& Name) const { return Dir + "/" + Name; }
};

struct TCase {
  const char* Name;
  bool NeedsRoot;
  // Makes the files; answers the name the save is given.
  std::function<std::string(const TLinkDir&)> Make;
  // Saves "new" through that name the way the case asks; answers whether it succeeded.
  std::function<bool(const std::string&)> Run;
  bool Succeeds;
  // Checks what is left in the folder.
  std::function<void(const TLinkDir&)> Check;
};

}  // namespace

TEST(SafeSave, SavesThroughLinksAndKeepsWhatTheFileIs) {
  const bool root = ::geteuid() == 0;
  const auto save = [](const std::string& p) { return Save(p, "new"); };
  const TCase cases[] = {
      {"plain file keeps its mode", false,
       [](const TLinkDir& d) {
         WriteFile(d / "doc", "old", 0640);
         return d / "doc";
       },
       save, true,
       [](const TLinkDir& d) {
         EXPECT_EQ(ReadFile(d / "doc"), "new");
         struct stat st {};
         ::stat((d / "doc").c_str(), &st);
         EXPECT_EQ(st.st_mode & 07777, 0640u);
         EXPECT_EQ(Names(d.Dir), std::vector<std::string>{"doc"});
       }},
      {"symbolic link", false,
       [](const TLinkDir& d) {
         WriteFile(d / "doc", "old");
         ::symlink("doc", (d / "link").c_str());
         return d / "link";
       },
       save, true,
       [](const TLinkDir& d) {
         EXPECT_TRUE(fs::is_symlink(d / "link"));
         EXPECT_EQ(ReadFile(d / "doc"), "new");
         EXPECT_EQ((std::vector<std::string>{"doc", "link"}), Names(d.Dir));
       }},
      {"chain of links across folders", false,
       [](const TLinkDir& d) {
         ::mkdir((d / "sub").c_str(), 0755);
         WriteFile(d / "sub/doc", "old");
         ::symlink((d / "sub/doc").c_str(), (d / "sub/second").c_str());  // absolute
         ::symlink("sub/second", (d / "first").c_str());                   // relative to its folder
         return d / "first";
       },
       save, true,
       [](const TLinkDir& d) {
         EXPECT_TRUE(fs::is_symlink(d / "first"));
         EXPECT_TRUE(fs::is_symlink(d / "sub/second"));
         EXPECT_EQ(ReadFile(d / "sub/doc"), "new");
         EXPECT_EQ((std::vector<std::string>{"doc", "second"}), Names(d / "sub"));
       }},
      {"dangling link creates the file it names", false,
       [](const TLinkDir& d) {
         ::symlink("missing", (d / "link").c_str());
         return d / "link";
       },
       save, true,
       [](const TLinkDir& d) {
         EXPECT_TRUE(fs::is_symlink(d / "link"));
         EXPECT_EQ(ReadFile(d / "missing"), "new");
       }},
      {"links in a loop", false,
       [](const TLinkDir& d) {
         ::symlink("b", (d / "a").c_str());
         ::symlink("a", (d / "b").c_str());
         return d / "a";
       },
       save, false,
       [](const TLinkDir& d) {
         EXPECT_TRUE(fs::is_symlink(d / "a"));
         EXPECT_EQ((std::vector<std::string>{"a", "b"}), Names(d.Dir));
       }},
      {"hard link stays one file", false,
       [](const TLinkDir& d) {
         WriteFile(d / "doc", "old");
         ::link((d / "doc").c_str(), (d / "other").c_str());
         return d / "doc";
       },
       save, true,
       [](const TLinkDir& d) {
         EXPECT_EQ(ReadFile(d / "doc"), "new");
         EXPECT_EQ(ReadFile(d / "other"), "new");
         EXPECT_TRUE(fs::equivalent(d / "doc", d / "other"));
         EXPECT_EQ((std::vector<std::string>{"doc", "other"}), Names(d.Dir));  // no copy left
       }},
      {"failed write keeps the old file", false,
       [](const TLinkDir& d) {
         WriteFile(d / "doc", "old");
         ::symlink("doc", (d / "link").c_str());
         return d / "link";
       },
       [](const std::string& p) {
         return RVSaveFileSafely(Utf8ToUnicode(p), [](TStream* s) -> bool {
           s->WriteBuffer("ne", 2);
           throw EWriteError("disk full");
         });
       },
       false,
       [](const TLinkDir& d) {
         EXPECT_EQ(ReadFile(d / "doc"), "old");
         EXPECT_EQ((std::vector<std::string>{"doc", "link"}), Names(d.Dir));
       }},
      {"owner and group kept", true,
       [](const TLinkDir& d) {
         WriteFile(d / "doc", "old", 0640);
         EXPECT_EQ(::chown((d / "doc").c_str(), OtherUser, OtherGroup), 0);
         return d / "doc";
       },
       save, true,
       [](const TLinkDir& d) {
         struct stat st {};
         ::stat((d / "doc").c_str(), &st);
         EXPECT_EQ(ReadFile(d / "doc"), "new");
         EXPECT_EQ(st.st_uid, OtherUser);
         EXPECT_EQ(st.st_gid, OtherGroup);
         EXPECT_EQ(st.st_mode & 07777, 0640u);
       }},
      {"another owner's file written in place", true,
       [](const TLinkDir& d) {
         ::chmod(d.Dir.c_str(), 0777);
         WriteFile(d / "doc", "old", 0666);
         EXPECT_EQ(::chown((d / "doc").c_str(), OtherUser, OtherGroup), 0);
         return d / "doc";
       },
       [](const std::string& p) { return SaveAsNobody(p, "new"); }, true,
       [](const TLinkDir& d) {
         struct stat st {};
         ::stat((d / "doc").c_str(), &st);
         EXPECT_EQ(ReadFile(d / "doc"), "new");
         EXPECT_EQ(st.st_uid, OtherUser);
         EXPECT_EQ(st.st_gid, OtherGroup);
         EXPECT_EQ(Names(d.Dir), std::vector<std::string>{"doc"});
       }},
      {"read-only folder keeps the old file", true,
       [](const TLinkDir& d) {
         WriteFile(d / "doc", "old", 0666);
         ::chmod(d.Dir.c_str(), 0555);
         return d / "doc";
       },
       [](const std::string& p) { return SaveAsNobody(p, "new"); }, false,
       [](const TLinkDir& d) {
         EXPECT_EQ(ReadFile(d / "doc"), "old");
         EXPECT_EQ(Names(d.Dir), std::vector<std::string>{"doc"});
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.NeedsRoot && !root) continue;  // chown and a second user need root to set up
    TLinkDir d;
    const std::string path = c.Make(d);
    EXPECT_EQ(c.Run(path), c.Succeeds);
    c.Check(d);
  }
  if (!root) GTEST_SKIP() << "the owner and permission cases need root to set up";
}

// The two steps the PDF writer takes go to the same final file.
TEST(SafeSave, TemporaryBesideTheLinkedFile) {
  TLinkDir d;
  ::mkdir((d / "sub").c_str(), 0755);
  WriteFile(d / "sub/doc", "old");
  ::symlink("sub/doc", (d / "link").c_str());
  int fd = -1;
  const TRVUnicodeString temp = RVCreateTemporaryBeside(Utf8ToUnicode(d / "link"), fd);
  EXPECT_EQ(fs::path(UnicodeToUtf8(temp)).parent_path(), fs::path(d / "sub"));
  ASSERT_EQ(::write(fd, "new", 3), 3);
  ::close(fd);
  ASSERT_TRUE(RVReplaceWithTemporary(temp, Utf8ToUnicode(d / "link")));
  EXPECT_TRUE(fs::is_symlink(d / "link"));
  EXPECT_EQ(ReadFile(d / "sub/doc"), "new");
  EXPECT_EQ((std::vector<std::string>{"doc"}), Names(d / "sub"));
}
