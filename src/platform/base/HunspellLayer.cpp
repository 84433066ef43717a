#include "platform/base/HunspellLayer.h"

void* hunspell_initialize(const char*, const char*) { return nullptr; }
void hunspell_uninitialize(void*) {}
int hunspell_spell(void*, const char*) { return 0; }
int hunspell_suggest(void*, const char*, char*** List) {
  if (List) *List = nullptr;
  return 0;
}
void hunspell_suggest_free(void*, char**, int) {}
const char* hunspell_get_dic_encoding(void*) { return ""; }
bool HunspellLoadLibrary(const UnicodeString&, const UnicodeString&) { return false; }
bool HunspellLibraryLoaded() { return false; }
void HunspellUnloadLibrary() {}
UnicodeString HunspellLibraryPath() { return UnicodeString(); }
UnicodeString ProgramFolder() { return UnicodeString(); }
UnicodeString UserDataFolder(const UnicodeString&) { return UnicodeString(); }
