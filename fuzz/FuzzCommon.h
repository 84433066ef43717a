// Shared pieces of the fuzz targets: the input as a stream, the entry points' declarations, and
// the start-up every fuzz program makes before its first input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/document/RVItem.h"
#include "engine/foundation/RVStartUp.h"
#include "engine/layout/RVAnimate.h"
#include "engine/styles/RVStyleDraw.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Called once before the first input, by the fuzzer's own main and by the replay driver.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

// The target's file is the one file of a fuzz program that defines the start-up; the replay
// driver only calls it.
#ifndef TAVRELO_FUZZ_DRIVER
#include "engine/tables/RVTableStartUp.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Each library's start-up, from the bottom up, as the program's main does.
  RegisterPictureClasses();
  RegisterFoundation();
  RegisterStyles();
  RegisterBuiltInItemTypes();
  RegisterAnimators();
  RegisterTables();
  return 0;
}
#endif

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
