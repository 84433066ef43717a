// The ISO 8859 parts that dictionaries may be written in: part 1 (each byte is the code unit
// of its value) and the parts 2 to 10, 13, 14 and 15 by tables of their upper 96 bytes. Parts
// without a table (11, 12 and any other number) convert nothing.
#pragma once

#include <vector>

#include "engine/foundation/RVTypes.h"

struct TPair {
  char16_t uni;
  unsigned char iso;
};

// The bytes of one part by code unit, sorted by code unit.
class TPairList {
 public:
  explicit TPairList(const char16_t* table);
  // The byte of a code unit; 0 when the part has none.
  unsigned char Find(char16_t uni) const;
  int Count() const { return static_cast<int>(FPairs.size()); }

 private:
  std::vector<TPair> FPairs;
};

// The table of the bytes A0 to FF of part n (0 at undefined places); nullptr without a table.
const char16_t* ISO8859Table(unsigned n);
// The reverse list of part n, built on first use (safe from any thread); nullptr without a table.
const TPairList* ISO8859PairList(unsigned n);
// True when part n converts at all (part 1 or a part with a table).
bool ISO8859PartKnown(unsigned n);

// Bytes of part n to UTF-16. Bytes without a character become '?'; the result is false then,
// and for a part that converts nothing (Out is then empty).
bool ISO8859ToUnicode(unsigned n, const TRVRawByteString& s, TRVUnicodeString& Out);
// UTF-16 to bytes of part n. Characters without a byte become '?'; the result is false then,
// and for a part that converts nothing (Out is then empty).
bool UnicodeToISO8859(unsigned n, const TRVUnicodeString& s, TRVRawByteString& Out);
