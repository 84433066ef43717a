// Types and bases of the properties and events that a document tree shares through its absolute
// root (TRVDataRootProperties and TRVDataRootEvents, CustomRVData.h).
#pragma once

#include <cstdint>
#include <memory>

#include "engine/foundation/RVEventHandlerList.h"
#include "platform/base/Types.h"

// The kind of page a header or footer is for.
enum TRVHFType : std::uint8_t { rvhftNormal, rvhftFirstPage, rvhftEvenPages };

// How inserted content takes the style templates of the target.
enum TRVStyleTemplateInsertMode : std::uint8_t {
  rvstimUseTargetFormatting, rvstimUseSourceFormatting, rvstimIgnoreSourceStyleTemplates
};

// Options of RTF writing.
enum TRVRTFOption : std::uint8_t {
  rvrtfSaveStyleSheet, rvrtfDuplicateUnicode, rvrtfSaveEMFAsWMF, rvrtfSaveJpegAsJpeg, rvrtfSavePngAsPng,
  rvrtfSaveBitmapDefault, rvrtfSaveEMFDefault, rvrtfSavePicturesBinary, rvrtfPNGInsteadOfBitmap,
  rvrtfSaveHeaderFooter, rvrtfSaveDocParameters
};
using TRVRTFOptions = TSet<TRVRTFOption, 16>;

// The document-wide properties of a tree (the root's one set of them).
class TCustomRVDataProperties : public TObject {
 protected:
  TCustomRVDataProperties() = default;
};

// The event entry points of a tree, and the lists of notification handlers that other
// components register on it.
class TCustomRVDataEvents : public TObject {
 public:
  // Creates Handlers when missing and registers Component's Handler in it.
  static void RegisterEventHandler(TComponent* Component, std::unique_ptr<TRVEventHandlerList>& Handlers,
                                   TNotifyEvent Handler);
  // Removes Component's handler; an emptied list is freed.
  static void UnregisterEventHandler(const TComponent* Component, std::unique_ptr<TRVEventHandlerList>& Handlers);

 protected:
  TCustomRVDataEvents() = default;
};
