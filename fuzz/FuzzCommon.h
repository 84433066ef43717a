// Shared pieces of the fuzz targets: the input as a stream, and the entry point's declaration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

inline void Fill(TMemoryStream& ms, const std::uint8_t* data, std::size_t size) {
  if (size) ms.WriteBuffer(data, static_cast<std::int64_t>(size));
  ms.SetPosition(0);
}

inline std::string Bytes(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Inputs beyond this are cut: the readers' cost grows with the input and bigger inputs find
// nothing the small ones do not.
constexpr std::size_t MaxInput = 256 * 1024;

}  // namespace fuzz
