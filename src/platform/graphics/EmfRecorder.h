// Writing enhanced metafiles: a record writer, and the device back-end that turns a device
// context's drawing into EMF records (so whatever is drawn on any context can be recorded).
#pragma once

#include <string>
#include <vector>

#include "platform/graphics/DeviceBackend.h"
#include "platform/graphics/Metafile.h"

// Appends EMF records; Finish writes the header in front and EMR_EOF behind.
class TEmfWriter {
 public:
  TEmfWriter();
  // A record of the type with the payload (the bytes after type and size), padded to 4 bytes.
  void Add(DWORD type, const std::string& payload);
  // Device bounds (inclusive pixels) of everything drawn so far.
  void AddBounds(const TRect& inclusive);
  bool HasBounds() const { return FHasBounds; }
  const TRect& Bounds() const { return FBounds; }
  // frame: inclusive, in 0.01 mm; device: pixels; mm: millimetres of the device surface;
  // description: its strings with their nulls (a null is added when it does not end with one).
  std::string Finish(const TRect& frame, TSize device, TSize mm, int handles, const std::u16string& description);
  int RecordCount() const { return FRecords; }

  // Payload pieces, little-endian.
  static void Put32(std::string& s, std::uint32_t v);
  static void Put16(std::string& s, std::uint32_t v);
  static void PutRect(std::string& s, const TRect& r);
  static void PutFloat(std::string& s, float f);

 private:
  std::string FData;
  int FRecords = 0;
  bool FHasBounds = false;
  TRect FBounds;
};

class TEmfRecorder : public TDeviceBackend {
 public:
  // frame: inclusive, 0.01 mm, or null to take it from the drawn bounds.
  TEmfRecorder(TSize deviceSize, int ppiX, int ppiY, const TRect* frame, std::u16string description);
  ~TEmfRecorder() override;

  TAVRELO_DEVICE_REQUESTS(override)
  void StateChanged(const TDCState& dc, TDCChange what) override;
  void ObjectSelected(const TDCState& dc, HGDIOBJ obj) override;
  void ObjectDeleted(HGDIOBJ obj) override;
  void Saved(const TDCState& dc) override;
  void Restored(const TDCState& dc, int savedLevel) override;

  // Ends the recording: the whole file. Later drawing is ignored.
  std::string Close();

 private:
  struct TSlot {
    HGDIOBJ Obj = nullptr;
    std::string Create;  // the payload that made it, to notice a reused handle
  };
  int SlotOf(HGDIOBJ obj) const;
  int NewSlot();
  // Writes the records that make obj current; false for objects a metafile does not hold.
  bool Select(const TDCState& dc, HGDIOBJ obj);
  void SelectSlot(int slot);
  // A temporary brush for fills with an explicit brush; answers its slot.
  int TempBrush(const TBrushInfo& b);
  void DeleteSlot(int slot);
  void Bounds(const TDCState& dc, double x0, double y0, double x1, double y1, double extra, TRect& out);
  void AddRecord(DWORD type, const TRect& bounds, const std::string& rest);
  void PatBltRecord(const TDCState& dc, const TRect& logical, DWORD rop);
  void ShapePoints(DWORD type16, DWORD type32, const TDCState& dc, const std::vector<TPoint>& pts, const TRect& b);
  void DibRecord(const TDCState& dc, const TImageRequest& r, const TRect& bounds);

  TEmfWriter FWriter;
  std::vector<TSlot> FSlots;  // index 0 unused: slot numbers start at 1
  int FMaxSlot = 0;
  TSize FDevice;
  int FPpiX, FPpiY;
  bool FHasFrame;
  TRect FFrame;
  std::u16string FDescription;
  int FDepth = 0;
  bool FClosed = false;
};
