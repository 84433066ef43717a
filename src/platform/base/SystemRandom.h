// Unpredictable bytes from the operating system, for keys, salts and initialisation vectors.
// Never a clock-seeded generator: whatever must not be guessed comes from here.
#pragma once

#include <cstddef>
#include <string>

// Fills the buffer with count bytes from the kernel's random source. Waits for the source to be
// seeded at boot, resumes after signals and short reads, and raises EOSError when the kernel
// cannot give them (the caller never gets predictable bytes in their place).
void GetSystemRandomBytes(void* buffer, std::size_t count);
// The same as a byte string of count bytes.
std::string SystemRandomBytes(std::size_t count);
