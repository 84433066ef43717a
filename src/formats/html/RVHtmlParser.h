// The HTML tokenizer: cuts an 8-bit HTML text into blocks (a comment, a run of text or a tag),
// decodes each block to UTF-16, collapses white space and replaces character references in text.
// It knows nothing of HTML elements; the importer asks for one block at a time.
//
// Nothing in the text is an error: unterminated or malformed constructs become text, empty
// parameters or references kept as written. Every block is bounded by the text, and each call of
// Next consumes at least one byte, so reading any text ends.
#pragma once

#include <string_view>
#include <vector>

#include "engine/foundation/RVUni.h"

enum TRVHTMLEncoding { rvhtmleANSI, rvhtmleUTF8 };

enum TCurrBlock { cbComment, cbText, cbTag };

// One named character reference: the name (case-sensitive) and its code point.
struct TCTableEntry {
  const char* CData;
  DWORD CChar;
};

class THtmlParser {
 public:
  // Copies the text; a NUL byte ends it.
  explicit THtmlParser(std::string_view Text);

  // True when every byte of the text has been read.
  bool Done() const { return P >= OrgText.size(); }
  // Reads one block and sets CurrBlock, TagName and the parameters.
  void Next();

  // The value of the first parameter named Name (names are stored lower-cased); empty when none.
  TRVUnicodeString GetTagParam(const TRVUnicodeString& Name, bool LowerCase = false) const;
  // GetTagParam read as an integer; DefValue when absent or not an integer.
  int GetTagParamInt(const TRVUnicodeString& Name, int DefValue) const;
  // Appends a parameter; the name is lower-cased.
  void AddTagParam(const TRVUnicodeString& Name, const TRVUnicodeString& Value);
  void ClearTagParams() { FTagParamCount = 0; }

  // The text of one character reference given without its "&" and ";": the character, or the
  // reference as written when the name is unknown or the number unusable.
  static TRVUnicodeString DecodeEntity(const TRVUnicodeString& Name);
  // A copy of Text with its named references (letters and digits between "&" and ";") replaced.
  static TRVUnicodeString ReplaceEntities(const TRVUnicodeString& Text);
  // The table of named references, sorted by name (ordinal).
  static const std::vector<TCTableEntry>& EntityTable();

  const TRVUnicodeString& TagName() const { return FTagName; }
  int TagParamCount() const { return FTagParamCount; }
  const TRVUnicodeString& TagParamNames(int Index) const { return FTagParamNames.at(Index); }
  const TRVUnicodeString& TagParamValues(int Index) const { return FTagParamValues.at(Index); }
  TCurrBlock CurrBlock() const { return FCurrBlock; }
  int CurrLine() const { return FCurrLine; }
  int BytesParsed() const { return static_cast<int>(P); }
  bool GetLastWasSpace() const { return FLastWasSpace; }
  void SetLastWasSpace(bool Value) { FLastWasSpace = Value; }
  bool GetRemoveSpaces() const { return FRemoveSpaces; }
  void SetRemoveSpaces(bool Value) { FRemoveSpaces = Value; }

  // How the bytes are decoded; the owner sets both before the first block.
  TRVHTMLEncoding FEncoding = rvhtmleANSI;
  TRVCodePage FCodePage = 1252;

 private:
  TRVUnicodeString Decode(std::size_t Start, std::size_t End) const;
  void ReadComment();
  void ReadTag();
  void ReadText();

  TRVRawByteString OrgText;
  std::size_t P = 0;
  TRVUnicodeString FTagName;
  std::vector<TRVUnicodeString> FTagParamNames, FTagParamValues;
  int FTagParamCount = 0;
  TCurrBlock FCurrBlock = cbText;
  bool FRemoveSpaces = true;
  bool FLastWasSpace = false;
  int FCurrLine = 1;
};
