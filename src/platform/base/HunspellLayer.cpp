// The Hunspell layer over the system's library, bound with dlopen/dlsym. The library's own
// header gives the types of its entry points; nothing is linked against it.
#include "platform/base/HunspellLayer.h"

#include <dlfcn.h>
#include <hunspell/hunspell.h>
#include <unistd.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/base/SysUtils.h"

namespace hunspell_layer_detail {

struct TBinding {
  void* Library = nullptr;
  UnicodeString Path;
  decltype(&Hunspell_create) Create = nullptr;
  decltype(&Hunspell_destroy) Destroy = nullptr;
  decltype(&Hunspell_spell) Spell = nullptr;
  decltype(&Hunspell_suggest) Suggest = nullptr;
  decltype(&Hunspell_free_list) FreeList = nullptr;
  decltype(&Hunspell_get_dic_encoding) GetDicEncoding = nullptr;
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

std::string ToUtf8(const UnicodeString& s) { return UnicodeToUtf8(s); }

bool IsReadableFile(const char* path) {
  struct stat st {};
  return path && ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && ::access(path, R_OK) == 0;
}

// The first line of a .dic file is the approximate number of its words; the library reads the
// words only after it, and takes a file without that number for an empty dictionary.
bool HasWordCount(const char* dicPath) {
  std::FILE* f = std::fopen(dicPath, "rb");
  if (!f) return false;
  char line[64] = {};
  const bool read = std::fgets(line, sizeof line, f) != nullptr;
  std::fclose(f);
  if (!read) return false;
  const char* p = line;
  if (static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
      static_cast<unsigned char>(p[2]) == 0xBF)
    p += 3;  // a UTF-8 byte-order mark
  while (*p == ' ' || *p == '\t') ++p;
  return *p >= '0' && *p <= '9';
}

}  // namespace hunspell_layer_detail

using namespace hunspell_layer_detail;

bool HunspellLoadLibrary(const UnicodeString& Folder, const UnicodeString& FileName) {
  TBinding& b = Binding();
  if (b.Library) return true;
  if (FileName.empty()) return false;
  // A name with a folder, or one found in the given folder (the program's when none is given),
  // is loaded from there; a bare name that is not there goes to the system's library search.
  UnicodeString path = FileName;
  if (FileName.find(u'/') == UnicodeString::npos) {
    UnicodeString folder = Folder.empty() ? ProgramFolder() : Folder;
    if (!folder.empty() && folder.back() != u'/') folder += u'/';
    const UnicodeString inFolder = folder + FileName;
    if (!Folder.empty() || IsReadableFile(ToUtf8(inFolder).c_str())) path = inFolder;
  }
  void* lib = ::dlopen(ToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) return false;
  TBinding bound;
  bound.Library = lib;
  bound.Path = path;
  bound.Create = reinterpret_cast<decltype(bound.Create)>(::dlsym(lib, "Hunspell_create"));
  bound.Destroy = reinterpret_cast<decltype(bound.Destroy)>(::dlsym(lib, "Hunspell_destroy"));
  bound.Spell = reinterpret_cast<decltype(bound.Spell)>(::dlsym(lib, "Hunspell_spell"));
  bound.Suggest = reinterpret_cast<decltype(bound.Suggest)>(::dlsym(lib, "Hunspell_suggest"));
  bound.FreeList = reinterpret_cast<decltype(bound.FreeList)>(::dlsym(lib, "Hunspell_free_list"));
  bound.GetDicEncoding = reinterpret_cast<decltype(bound.GetDicEncoding)>(::dlsym(lib, "Hunspell_get_dic_encoding"));
  if (!bound.Create || !bound.Destroy || !bound.Spell || !bound.Suggest || !bound.FreeList || !bound.GetDicEncoding) {
    ::dlclose(lib);
    return false;
  }
  b = bound;
  return true;
}

bool HunspellLibraryLoaded() { return Binding().Library != nullptr; }

void HunspellUnloadLibrary() {
  TBinding& b = Binding();
  if (b.Library) ::dlclose(b.Library);
  b = TBinding();
}

UnicodeString HunspellLibraryPath() { return Binding().Path; }

void* hunspell_initialize(const char* AffPath, const char* DicPath) {
  const TBinding& b = Binding();
  if (!b.Create) return nullptr;
  // The library makes a dictionary even from files it cannot open or read (it reports on the
  // standard error stream and answers "misspelled" to every word); such a dictionary is refused
  // here instead.
  if (!IsReadableFile(AffPath) || !IsReadableFile(DicPath) || !HasWordCount(DicPath)) return nullptr;
  return b.Create(AffPath, DicPath);
}

void hunspell_uninitialize(void* Handle) {
  const TBinding& b = Binding();
  if (b.Destroy && Handle) b.Destroy(static_cast<Hunhandle*>(Handle));
}

int hunspell_spell(void* Handle, const char* Word) {
  const TBinding& b = Binding();
  if (!b.Spell || !Handle || !Word) return 0;
  return b.Spell(static_cast<Hunhandle*>(Handle), Word);
}

int hunspell_suggest(void* Handle, const char* Word, char*** List) {
  if (!List) return 0;
  *List = nullptr;
  const TBinding& b = Binding();
  if (!b.Suggest || !Handle || !Word) return 0;
  const int n = b.Suggest(static_cast<Hunhandle*>(Handle), List, Word);
  if (n <= 0) *List = nullptr;
  return n > 0 ? n : 0;
}

void hunspell_suggest_free(void* Handle, char** List, int Count) {
  const TBinding& b = Binding();
  if (!b.FreeList || !Handle || !List) return;
  b.FreeList(static_cast<Hunhandle*>(Handle), &List, Count);
}

const char* hunspell_get_dic_encoding(void* Handle) {
  const TBinding& b = Binding();
  if (!b.GetDicEncoding || !Handle) return "";
  const char* name = b.GetDicEncoding(static_cast<Hunhandle*>(Handle));
  return name ? name : "";
}

UnicodeString ProgramFolder() {
  static const UnicodeString folder = [] {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return UnicodeString();
    path.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return Utf8ToUnicode(path.substr(0, slash + 1));
  }();
  return folder;
}

UnicodeString UserDataFolder(const UnicodeString& Subfolder) {
  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  // Only an absolute path counts; a relative one is to be ignored.
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return UnicodeString();
    base = std::string(home) + "/.local/share";
  }
  if (base.back() != '/') base += '/';
  UnicodeString result = Utf8ToUnicode(base) + Subfolder;
  if (!Subfolder.empty() && result.back() != u'/') result += u'/';
  return result;
}
