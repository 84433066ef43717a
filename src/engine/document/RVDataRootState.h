// The state a document tree keeps once, at its root: the root's flags and options, the properties
// and events shared by the whole tree (the document parameters among the properties), the lists
// of special items (sequences, markers, printable fields) and the document objects. Every kind of
// root document owns one and returns it from TCustomRVData::GetRootState; the accessors of
// TCustomRVData answer from it, so a reader, a writer and a caller always meet the same objects
// whichever root holds the tree. A root that keeps some of this in a control of its own (a
// viewer's flags, options and document objects) overrides just those accessors.
#pragma once

#include <memory>

#include "engine/document/CustomRVData.h"

class TRVSeqList;
class TRVMarkerList;

class TRVDataRootState {
 public:
  // The state of Root with Events as the tree's events (their RootData becomes Root).
  TRVDataRootState(TCustomRVData* Root, std::unique_ptr<TRVDataRootEvents> Events);
  // The state of a root without a control: events without an owner.
  explicit TRVDataRootState(TCustomRVData* Root);
  ~TRVDataRootState();
  TRVDataRootState(const TRVDataRootState&) = delete;
  TRVDataRootState& operator=(const TRVDataRootState&) = delete;

  TRVFlags Flags{rvflRoot};
  TRVOptions Options;

  TRVDataRootProperties* Properties() { return &FProperties; }
  TRVDataRootEvents* Events() { return FEvents.get(); }
  // The lists, made on first use when AllowCreate is set (nil otherwise). A new marker list
  // continues PrevMarkers.
  TRVSeqList* GetSeqList(bool AllowCreate);
  TRVMarkerList* GetMarkers(bool AllowCreate, TRVMarkerList* PrevMarkers);
  TList* GetPrintFieldList(bool AllowCreate);
  void DestroySeqList();
  void DestroyMarkers();
  void DestroyPrintFieldList();
  // The root properties' parameters; with AllowCreate false nil while they hold none.
  TRVDocParameters* GetDocParameters(bool AllowCreate);
  // The document objects, made on first use.
  TObject* GetDocObjects();
  // Frees the three lists: a root calls it after its items are gone (items leave the lists as
  // they are freed) and before the events and properties go with the state.
  void FreeLists();

 private:
  TRVDataRootProperties FProperties;
  std::unique_ptr<TRVDataRootEvents> FEvents;
  std::unique_ptr<TRVSeqList> FSeqList;
  std::unique_ptr<TRVMarkerList> FMarkers;
  std::unique_ptr<TList> FPrintFields;
  std::unique_ptr<TPersistent> FDocObjects;
};
