// Long unbreakable runs with real fonts: a line of megabytes without a space is shaped in bounded
// pieces, so formatting it takes memory linear in its length with a small factor.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <new>
#include <string>

#include "engine/layout/DrawLines.h"
#include "engine/layout/RVPlainFormattedData.h"
#include "support/GeneratedDocument.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif
#else
constexpr bool AddressSanitizer = false;
#endif

// The process's address space in bytes.
std::size_t AddressSpace() {
  std::ifstream f("/proc/self/statm");
  std::size_t pages = 0;
  f >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Letters with kerning pairs and accents, digits and punctuation that never allow a break.
std::u16string Unbreakable(std::size_t Length, bool Digits) {
  const std::u16string word = Digits ? u"0123456789.0123456789," : u"AVATAR\u00E9tude\u0142awaTypoWAVEfin";
  std::u16string s;
  s.reserve(Length);
  while (s.size() < Length) s += word;
  s.resize(Length);
  return s;
}

// Formats one paragraph of the text in a child process whose address space may grow by at most
// BytesPerChar a character (and the allocator's slack) beyond what it had before; the child's exit
// status (0: formatted, 2: out of memory).
int FormatWithin(const std::u16string& Text, bool Reference, std::size_t BytesPerChar) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    try {
      TRVStyle sheet(nullptr);
      SetGeneratedDocumentStyles(sheet);
      TRVPlainFormattedData doc(&sheet);
      doc.SetWidth(650);
      doc.SetUseReferenceCanvas(Reference);
      // Fonts, tables and the allocator's arenas settle on a small paragraph first.
      doc.AddNL(Unbreakable(20000, false), gtsBody, gpsBody);
      doc.AddNL(Unbreakable(20000, true), gtsSerif, gpsBody);
      doc.Format(false);
      doc.Clear();
      doc.AddNL(Text, gtsBody, gpsBody);
      // Room for the allocator's own slack besides the budget.
      const rlim_t limit = AddressSpace() + Text.size() * BytesPerChar + (64u << 20);
      const rlimit r{limit, limit};
      if (setrlimit(RLIMIT_AS, &r) != 0) _exit(3);
      doc.Format(false);
      // On the screen's canvas the document widens to its widest word: the line stays whole.
      _exit(doc.DrawItems && doc.DrawItems->Count() > 0 ? 0 : 4);
    } catch (const std::bad_alloc&) {
      _exit(2);
    }
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(LongRuns, AnUnbreakableLineFormatsWithinFiftyBytesACharacter) {
  if (AddressSanitizer) GTEST_SKIP() << "the sanitizer's shadow memory takes the address space a limit would bound";
  struct TCase {
    const char* Name;
    bool Digits, Reference;
  };
  const TCase cases[] = {{"letters, reference canvas", false, true},
                         {"letters, screen canvas", false, false},
                         {"digits and punctuation", true, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FormatWithin(Unbreakable(3u << 20, c.Digits), c.Reference, 50), 0);
  }
}
