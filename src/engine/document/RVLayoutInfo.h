// Pieces the native-format writer and reader and the export writers share: the layout record kept
// with a document, the save scopes, progress of long saves, file names of exported pictures and a
// few text functions.
#pragma once

#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVTypes.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyleTypes.h"

class TStream;
class TRVStyle;

class TRVLayoutInfo {
 public:
  // The binary form: [size,] kind (0 full, 1 page information only), payload size, the six
  // lengths and the direction (kind 0), the aborted flags and the first marker (when either flag
  // is set).
  void SaveToStream(TStream* Stream, bool IncludeSize, bool OnlyPageInfo) const;
  // Raises EViroZereError "Invalid RVF format" for a full record shorter than 25 bytes or a record
  // that runs past the stream; longer records load what they know and skip the rest.
  void LoadFromStream(TStream* Stream, bool IncludeSize);
  void SaveTextToStream(TStream* Stream, bool OnlyPageInfo) const;
  void LoadText(const TRVRawByteString& S);
  void LoadBinary(const TRVRawByteString& S);

  bool Loaded = false;
  int LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0, MinTextWidth = 0, MaxTextWidth = 0;
  TRVBiDiMode BiDiMode = rvbdUnspecified;
  int LastParaAborted = 0, FirstParaAborted = 0;
  int FirstMarkerListNo = -1, FirstMarkerLevel = 0;
};

enum TRVFSaveScope { rvfss_Full, rvfss_Selection, rvfss_Page, rvfss_FromPage, rvfss_FullInPage };

enum TRVLongOperation { rvloLoading, rvloSaving, rvloRTFWrite, rvloHTMLWrite, rvloDocXWrite, rvloTextWrite, rvloRVFWrite, rvloRVFRead };
enum TRVProgressStage { rvpstgStarting, rvpstgRunning, rvpstgEnding };

// UTF-8 with rvsoUTF8, else the sheet's default code page.
TRVAnsiString EncodeTextForStyleSheet(const TRVUnicodeString& Text, const TRVSaveOptions& SaveOptions, TRVStyle* RVStyle);
TRVAnsiString EncodeTextUTF8OrCodePage(const TRVUnicodeString& Text, bool UTF8, TRVCodePage CodePage);
// Whether text of the style goes into a format unescaped: its code flags empty or exactly
// CodeOption.
bool TextStyleFitsFormat(TRVStyle* RVStyle, int StyleNo, int CodeOption);
// "file.htm#x" gives "file.htm" and "x"; "#x" gives "" and "x"; "page#x" stays whole.
void SplitURLAnchor(TRVUnicodeString& Target, TRVUnicodeString& Anchor);
// Raises "Can't perform Unicode operation" for an odd byte count.
void CheckEvenByteCount(long long N);
// The next free picture file name: prefix (under Path unless it holds ":"), number, extension.
TRVUnicodeString GetNextFileNameBase(const TRVUnicodeString& ImagesPrefix, const TRVUnicodeString& Path,
                                     const TRVUnicodeString& Ext, int& imgSaveNo, bool OverrideFiles);
