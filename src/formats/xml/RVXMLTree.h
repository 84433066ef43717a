// The XML tree that the document format is read and written through: elements with attributes
// and a text value, a forward-scanning parser of 8-bit input and an indenting writer.
// It is not a general XML processor: it knows start, end and empty tags, double-quoted attribute
// values, text, CDATA sections, comments and the XML declaration, the predefined entities plus
// "&nbsp;", and numeric character references. Nothing else is expanded, so no input can make it
// read another file or grow beyond a small multiple of its own size.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "engine/foundation/RVTypes.h"

class TStream;
class TXMLTree;
class TXMLTag;
class TRVXMLUniStringList;

enum TXMLValueType { vtText, vtCDATA };

// Elements nested deeper than this stop the parser: the tree is emptied and Parse answers false.
constexpr int XMLMaxDepth = 5000;

class TXMLAttr {
 public:
  TXMLAttr(const TRVAnsiString& AName, const TRVUnicodeString& AValue) : Name(AName), Value(AValue) {}
  TRVAnsiString Name;
  TRVUnicodeString Value;
};

// Owns its attributes.
class TXMLAttrList {
 public:
  TXMLAttrList() = default;
  TXMLAttrList(const TXMLAttrList&) = delete;
  TXMLAttrList& operator=(const TXMLAttrList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Appends without looking for an attribute of the same name.
  TXMLAttr* AddAttr(const TRVAnsiString& Name, const TRVUnicodeString& Value);
  TXMLAttr* Get(int Index) const { return FItems.at(static_cast<std::size_t>(Index)).get(); }
  // The first attribute of that name, ignoring letter case; nullptr when none.
  TXMLAttr* FindAttrOfName(const TRVAnsiString& Name) const;
  void Clear() { FItems.clear(); }

 private:
  std::vector<std::unique_ptr<TXMLAttr>> FItems;
};

// Owns its tags, and so their whole subtrees.
class TXMLTagList {
 public:
  TXMLTagList() = default;
  TXMLTagList(const TXMLTagList&) = delete;
  TXMLTagList& operator=(const TXMLTagList&) = delete;
  ~TXMLTagList() { Clear(); }

  int Count() const { return static_cast<int>(FItems.size()); }
  // A tag made from Str (see TXMLTag's constructor), appended and returned.
  TXMLTag* AddTag(const TRVAnsiString& Str, TXMLTag* Parent, TXMLTree* Root, bool UTF8);
  TXMLTag* InsertTag(int Index, const TRVAnsiString& Str, TXMLTag* Parent, TXMLTree* Root, bool UTF8);
  // Appends a tag made elsewhere (one created without a parent) and takes it over.
  TXMLTag* Append(std::unique_ptr<TXMLTag> Tag);
  TXMLTag* Get(int Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
  // The first child whose name equals AName ignoring letter case; nullptr when none.
  TXMLTag* FindTagOfName(const TRVAnsiString& AName) const;
  // Frees every entry with its subtree (without recursion, so any depth is safe) and empties the list.
  void Clear();

 private:
  std::vector<TXMLTag*> FItems;
};

class TXMLTag {
 public:
  // Name, and attributes when Str holds any after a blank, are split out of Str; UTF8 says how
  // attribute values are decoded. Level is the parent's plus 1, or -1 without a parent.
  TXMLTag(const TRVAnsiString& Str, TXMLTag* AParent, TXMLTree* ARoot, bool UTF8);
  TXMLTag(const TXMLTag&) = delete;
  TXMLTag& operator=(const TXMLTag&) = delete;
  virtual ~TXMLTag() = default;

  // Appends to s the lines of this element and its subtree; Tabs indents each line by its level.
  void GetDocument(TRVXMLUniStringList& s, bool Tabs, bool UTF8) const;

  TRVAnsiString Name;
  TRVUnicodeString Value;
  int Level = -1;
  TXMLValueType ValueType = vtText;
  TXMLTagList Items;
  TXMLAttrList Attr;
  TXMLTag* Parent = nullptr;
  TXMLTree* Root = nullptr;

 protected:
  TXMLTag() = default;
};

// The document node: its Items hold the top-level elements, of which only the first is written.
class TXMLTree : public TXMLTag {
 public:
  explicit TXMLTree(const TRVUnicodeString& Enc);

  // Reads the stream from its position to its end and parses that. Answers as Parse does.
  bool LoadFromStream(TStream& Stream);
  // Empties the tree and fills it from s. Never raises. What was read stays in the tree when the
  // input ends early; the answer is true only when the input held a whole element: at least one
  // top-level element, every element closed, every construct terminated, the nesting within
  // XMLMaxDepth (past that the tree is left empty).
  bool Parse(const TRVAnsiString& s);
  // The declaration, then the first top-level element with its subtree, lines joined by CR LF.
  void SaveToStream(TStream& Stream, bool Tabs) const;
  // Empties s and appends the lines of the first top-level element (nothing without one).
  void GetDocument(TRVXMLUniStringList& s, bool Tabs) const;

  TRVUnicodeString Encoding;
  TRVUnicodeString BaseFilePath;
};

// The writer's output: 8-bit lines, joined by CR LF when saved.
class TRVXMLUniStringList {
 public:
  TRVXMLUniStringList() = default;
  TRVXMLUniStringList(const TRVXMLUniStringList&) = delete;
  TRVXMLUniStringList& operator=(const TRVXMLUniStringList&) = delete;

  void Add(TRVAnsiString s) { FItems.push_back(std::move(s)); }
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const TRVAnsiString& Get(int Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
  // The lines joined by CR LF, without a line break after the last.
  void SaveToStream(TStream& Stream) const;

 private:
  std::vector<TRVAnsiString> FItems;
};

// Escaping of the writer. As 7-bit text: "&", "<", ">" as entities, the quotes too with
// EscapeQuotes, U+00A0 as "&nbsp;", characters below 32 as "?", characters above 127 as decimal
// references (a surrogate pair as one, an unpaired surrogate dropped); with Spaces, runs of
// blanks after the first as "&nbsp;".
TRVAnsiString HTMLEncodeUnicodeAsNumRefs(const TRVUnicodeString& s, bool EscapeQuotes, bool Spaces);
// As UTF-8: with Raw only converted; otherwise escaped as above, every other character kept.
TRVAnsiString HTMLEncodeUnicodeAsUTF8(const TRVUnicodeString& s, bool Raw, bool EscapeQuotes, bool Spaces);
// The decoding of text, CDATA text and attribute values: line breaks and tabs to blanks, the
// predefined entities and "&nbsp;", numeric references, then "&amp;".
TRVUnicodeString XMLDecodeValue(std::string_view s, bool UTF8);
