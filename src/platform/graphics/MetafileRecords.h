// Reading the records of enhanced and Windows metafiles. Every walker of metafile bytes (the
// checks of a new handle, enumeration, both players, the conversion to the Windows format) goes
// through these readers, so a record never reaches a handler unless it lies whole inside the
// data, and no field read of a handler can leave its record. Only the graphics platform code
// includes this.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/graphics/ImageCodecs.h"

// One record's bytes with little-endian field access. Fields past the record's end read 0, and
// an array is read only after HasArray said it lies inside.
class TRecordView {
 public:
  TRecordView() = default;
  explicit TRecordView(std::string_view bytes) : Bytes(bytes) {}

  std::size_t Size() const { return Bytes.size(); }
  std::uint32_t U32(std::size_t at) const { return LE32(Bytes, at); }
  std::uint32_t U16(std::size_t at) const { return LE16(Bytes, at); }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(LE32(Bytes, at)); }
  int I16(std::size_t at) const { return static_cast<std::int16_t>(LE16(Bytes, at)); }
  std::uint8_t U8(std::size_t at) const { return at < Bytes.size() ? static_cast<std::uint8_t>(Bytes[at]) : 0; }
  float F32(std::size_t at) const {
    const std::uint32_t v = U32(at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }
  // A coordinate or size, kept in a range where sums of a few of them cannot overflow.
  std::int32_t Coord(std::size_t at) const {
    constexpr std::int32_t Limit = 1 << 27;
    return std::clamp(I32(at), -Limit, Limit);
  }
  // count items of step bytes each, starting at `at`, lie inside the record.
  bool HasArray(std::size_t at, std::uint64_t count, std::size_t step) const {
    return at <= Bytes.size() && count <= (Bytes.size() - at) / step;
  }
  // n bytes from at, or fewer when the record ends first.
  std::string_view Sub(std::size_t at, std::size_t n = std::string_view::npos) const {
    return at <= Bytes.size() ? Bytes.substr(at, n) : std::string_view();
  }

  std::string_view Bytes;
};

// The records of an enhanced metafile from `start`: each Next() makes the following record
// current. Walking stops after EMR_EOF, before a record shorter than its 8-byte head, and before
// one that would run past the data (Broken() then tells so).
class TEmfRecordReader {
 public:
  explicit TEmfRecordReader(std::string_view data, std::size_t start = 0) : FData(data), FNext(start) {}

  bool Next() {
    if (FDone || FNext + 8 > FData.size()) return Stop(false);
    const std::uint32_t type = LE32(FData, FNext), size = LE32(FData, FNext + 4);
    if (size < 8 || size > FData.size() - FNext) return Stop(true);
    FType = type;
    FAt = FNext;
    FRecord = TRecordView(FData.substr(FNext, size));
    FNext += size;
    if (type == 14) FDone = true;  // EMR_EOF
    return true;
  }
  std::uint32_t Type() const { return FType; }
  const TRecordView& Record() const { return FRecord; }
  std::size_t Offset() const { return FAt; }  // of the current record
  std::size_t End() const { return FNext; }   // just after it
  bool Broken() const { return FBroken; }

 private:
  bool Stop(bool broken) {
    FDone = true;
    FBroken = FBroken || broken;
    return false;
  }
  std::string_view FData;
  std::size_t FNext = 0, FAt = 0;
  std::uint32_t FType = 0;
  TRecordView FRecord;
  bool FDone = false, FBroken = false;
};

// The records of a Windows metafile (no placeable header): a size in 16-bit words, a function
// number, then the parameters. Walking starts after the header, stops after the end record
// (function 0) and before a record that does not fit.
class TWmfRecordReader {
 public:
  explicit TWmfRecordReader(std::string_view data) : FData(data), FNext(std::size_t(LE16(data, 2)) * 2) {}

  bool Next() {
    if (FDone || FNext + 6 > FData.size()) return Stop();
    const std::uint64_t words = LE32(FData, FNext);
    const std::uint32_t fn = LE16(FData, FNext + 4);
    if (words < 3 || words * 2 > FData.size() - FNext) return Stop();
    FFunction = fn;
    FParams = TRecordView(FData.substr(FNext + 6, static_cast<std::size_t>(words * 2 - 6)));
    FNext += static_cast<std::size_t>(words * 2);
    if (fn == 0) FDone = true;
    return true;
  }
  std::uint32_t Function() const { return FFunction; }
  // The parameters, after size and function.
  const TRecordView& Params() const { return FParams; }

 private:
  bool Stop() {
    FDone = true;
    return false;
  }
  std::string_view FData;
  std::size_t FNext;
  std::uint32_t FFunction = 0;
  TRecordView FParams;
  bool FDone = false;
};
