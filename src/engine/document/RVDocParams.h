// Document parameters: page set-up (paper, orientation, margins, header and footer distances,
// mirror margins, facing pages, a distinct first page), view zoom and the author, title and
// comments, with their RVF lines, RTF words and DOCX fragments; and the collection of document
// objects an application may attach to a document.
#pragma once

#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/base/Persistent.h"

enum TPrinterOrientation : std::uint8_t { poPortrait, poLandscape };
enum TRVZoomMode : std::uint8_t { rvzmFullPage, rvzmPageWidth, rvzmCustom };

class TRVDocParameters : public TPersistent {
  TAVRELO_PERSISTENT(TRVDocParameters, TPersistent)
 public:
  TRVDocParameters() { Reset(); }

  void Reset();
  void Assign(TPersistent* Source) override;
  bool AreAllValuesDefault() const;
  void ConvertToUnits(TRVUnits AUnits);
  static TRVLength UnitsPerInch(TRVUnits Units) { return UnitsPerInchOf(Units); }
  int ToTwips(TRVLength Value) const;
  TRVLength FromTwips(int Value) const;

  int GetRVFLineCount() const;
  void SaveToRVF(TStream* Stream) const;
  // One "key=value" line. Returns false (and changes nothing) for a value that is not a number
  // where a number is wanted or an ordinal out of range; unknown keys and lines without "=" are
  // ignored and answer true.
  bool ReadProperyFromString(const TRVRawByteString& S, bool UTF8, TRVCodePage CodePage);
  void SaveToRTF(TStream* Stream, bool SaveAnsi) const;
  void SaveOOXMLSectionProperties(TStream* Stream) const;
  void SaveOOXMLDocumentSettings(TStream* Stream) const;
  bool HasOOXMLCoreProperties() const { return !Author.empty() || !Title.empty() || !Comments.empty(); }
  void SaveOOXMLCoreProperties(TStream* Stream) const;

  // The eight lengths, in the order unit conversion walks them.
  TRVLength PageWidth, PageHeight, LeftMargin, RightMargin, TopMargin, BottomMargin, HeaderY, FooterY;
  TRVUnits Units;
  TPrinterOrientation Orientation;
  int ZoomPercent;
  TRVZoomMode ZoomMode;
  bool MirrorMargins, FacingPages, TitlePage;
  TRVUnicodeString Author, Title, Comments;

  // Defaults: A4 in inches, margins 1.25 and 1, header and footer at 0.5.
  static const TRVLength DefPageWidth, DefPageHeight;
};

// A length as RVF writes it: general format, at most 15 significant digits, "." as the decimal
// separator whatever the process says.
TRVRawByteString RVLengthToRVFText(TRVLength Value);

class TRVDocObject : public TCollectionItem {
  TAVRELO_PERSISTENT(TRVDocObject, TCollectionItem)
 public:
  explicit TRVDocObject(TCollection* Collection) : TCollectionItem(Collection) {}
};

class TRVDocObjectCollection : public TOwnedCollection {
  TAVRELO_PERSISTENT(TRVDocObjectCollection, TOwnedCollection)
 public:
  explicit TRVDocObjectCollection(TPersistent* AOwner);
};
