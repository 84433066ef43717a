// List markers of the RTF reader: old-style paragraph numbering ("\pn"), the list table and the
// list override table. Declared here; their bodies, and the reader's list handling, are filled in
// by RVRTFLists.cpp.
#pragma once

#include "engine/foundation/RVClasses.h"
#include "formats/rtf/RVRTFTypes.h"

class TRVRTFCharProperties;

class TRVRTFCustomMarkerProperties : public TObject {
 public:
  TRVRTFCustomMarkerProperties() = default;
  virtual void Reset();
  virtual void Assign(const TRVRTFCustomMarkerProperties& Source);
  virtual void AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source);
  void UpdateFrom(const TRVRTFCharProperties& CharProps);

  TRVRTFParaListType FListType = rtf_pn_Default;
  int FFontIndex = -1;
  int FIndentTw = 0, FSpaceTw = 0;
  int FStart = 0;
  TFontStyles FFontStyle;
  TColor FColor = clWindowText;
  TRVRTFAlignment FAlignment = rtf_al_Left;
  TRVRTFMarkerProps FDefinedProperties;
  int FFontSize = 12;
};

// The marker of a "\pn" group.
class TRVRTFMarkerProperties : public TRVRTFCustomMarkerProperties {
 public:
  TRVRTFMarkerProperties();
  void Reset() override;
  void Assign(const TRVRTFCustomMarkerProperties& Source) override;

  int FLevel = 0;
  bool FHanging = false;
  TRVUnicodeString FTextAfter, FTextBefore;
};

class TRVRTFListLevel97 : public TRVRTFCustomMarkerProperties {
 public:
  TRVRTFListLevel97();
  void Reset() override;
  void Assign(const TRVRTFCustomMarkerProperties& Source) override;
  void AssignDefinedProperties(const TRVRTFCustomMarkerProperties& Source) override;
};

class TRVRTFList97 : public TRVList {
 public:
  TRVRTFListLevel97* Get(int Index);
};

class TRVRTFListTable97 : public TRVList {
 public:
  TRVRTFList97* Get(int Index) const { return static_cast<TRVRTFList97*>(TRVList::Get(Index)); }
};

class TRVRTFListOverrideLevel97 : public TObject {};

class TRVRTFListOverride97 : public TRVList {};

class TRVRTFListOverrideTable97 : public TRVList {
 public:
  TRVRTFListOverride97* Get(int Index) const { return static_cast<TRVRTFListOverride97*>(TRVList::Get(Index)); }
};
