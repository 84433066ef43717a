// The Hunspell layer: the six calls a spelling dictionary needs, over the system's Hunspell
// library bound at run time. The library is loaded once per process, from a file name and a
// folder the caller chooses (the system's library search when the folder is empty and the
// file is not in the program's folder); when it cannot be loaded, or lacks one of the entry
// points, it is released again and the calls stay unavailable. Nothing here raises.
//
// Strings are 8-bit: file paths in the file system's encoding, words in the dictionary's own
// encoding (hunspell_get_dic_encoding names it).
#pragma once

#include "platform/base/Types.h"

// Loads the library FileName from Folder and binds its entry points; true when already loaded
// or when loading and binding succeeded. Not thread-safe against the calls below.
bool HunspellLoadLibrary(const UnicodeString& Folder, const UnicodeString& FileName);
bool HunspellLibraryLoaded();
// Releases the library; handles made by it must be gone.
void HunspellUnloadLibrary();
// The path the library was loaded from (empty while none is loaded).
UnicodeString HunspellLibraryPath();

// A loaded dictionary from its .aff and .dic files; nullptr on failure (or with no library).
void* hunspell_initialize(const char* AffPath, const char* DicPath);
void hunspell_uninitialize(void* Handle);
// Non-zero when Word (zero-terminated, in the dictionary's encoding) is correct.
int hunspell_spell(void* Handle, const char* Word);
// Suggestions for Word into *List (given back with hunspell_suggest_free); answers their number.
int hunspell_suggest(void* Handle, const char* Word, char*** List);
void hunspell_suggest_free(void* Handle, char** List, int Count);
// The name of the dictionary's encoding, such as "UTF-8" or "KOI8-R".
const char* hunspell_get_dic_encoding(void* Handle);

// The program's own folder, with a trailing "/".
UnicodeString ProgramFolder();
// The folder for the user's data of the program Subfolder: $XDG_DATA_HOME/Subfolder, or
// ~/.local/share/Subfolder; with a trailing "/". It is not created here.
UnicodeString UserDataFolder(const UnicodeString& Subfolder);
