// Encryption of PDF content by the standard security handler, beside the floor of copying the
// same bytes unprotected and the writer's own deflating of content streams, and the digests
// over the same data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>

#include "pdf/PDFCrypt.h"
#include "pdf/PDFSecurity.h"

namespace {

// 1 MB of deflate-like random bytes cut into 64 KB streams, one object each.
const std::vector<std::string>& Streams() {
  static const std::vector<std::string> s = [] {
    std::mt19937 rng(7);
    std::vector<std::string> v(16, std::string(65536, '\0'));
    for (auto& str : v)
      for (auto& c : str) c = static_cast<char>(rng());
    return v;
  }();
  return s;
}

TPDFSecurity Security(TPDFSecurityState state) {
  TPDFSecurity sec;
  InitPDFSecurity(sec, state, {coPrint}, true, "bench.pdf", "owner", "user");
  return sec;
}

void Stream(benchmark::State& state, TPDFSecurityState level) {
  const TPDFSecurity sec = Security(level);
  TMemoryStream src, dst;
  int id = 1;
  for (auto _ : state) {
    dst.SetPosition(0);
    for (const std::string& s : Streams()) {
      src.SetPosition(0);
      src.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
      CryptPDFStream(sec, src, dst, ++id);
    }
    benchmark::DoNotOptimize(dst.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (16 << 16));
}

// 64 KB content streams of page text: deflated as the writer does (the peer), and deflated and
// then encrypted, so the share that encryption adds to writing a stream shows.
const std::vector<std::string>& ContentStreams() {
  static const std::vector<std::string> s = [] {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> letter('a', 'z'), len(2, 9), pos(50, 700);
    std::vector<std::string> v(16);
    for (auto& str : v)
      while (str.size() < 65536) {
        std::string word;
        for (int n = len(rng); n > 0; --n) word += static_cast<char>(letter(rng));
        str += "BT /F1 12 Tf " + std::to_string(pos(rng)) + " " + std::to_string(pos(rng)) + " Td (" + word + ") Tj ET\r\n";
      }
    return v;
  }();
  return s;
}

void DeflatedStream(benchmark::State& state, TPDFSecurityState level) {
  const TPDFSecurity sec = Security(level);
  TMemoryStream src, dst;
  std::vector<Bytef> packed(compressBound(70000));
  int id = 1;
  for (auto _ : state) {
    dst.SetPosition(0);
    for (const std::string& s : ContentStreams()) {
      uLongf n = static_cast<uLongf>(packed.size());
      compress2(packed.data(), &n, reinterpret_cast<const Bytef*>(s.data()), static_cast<uLong>(s.size()),
                Z_DEFAULT_COMPRESSION);
      src.SetPosition(0);
      src.SetSize(0);
      src.WriteBuffer(packed.data(), static_cast<std::int64_t>(n));
      CryptPDFStream(sec, src, dst, ++id);
    }
    benchmark::DoNotOptimize(dst.Memory());
  }
  std::int64_t total = 0;
  for (const std::string& s : ContentStreams()) total += static_cast<std::int64_t>(s.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * total);
}

// Short strings as pages, annotations and the information dictionary write them.
void Strings(benchmark::State& state, TPDFSecurityState level) {
  const TPDFSecurity sec = Security(level);
  const std::string text = "D:20261210160000Z link 42";
  int id = 1;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) benchmark::DoNotOptimize(CryptPDFString(sec, text, ++id, true));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000);
}

void Digest(benchmark::State& state, std::string (*f)(std::string_view)) {
  for (auto _ : state)
    for (const std::string& s : Streams()) benchmark::DoNotOptimize(f(s));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (16 << 16));
}

// The whole key setup of a document.
void Setup(benchmark::State& state, TPDFSecurityState level) {
  for (auto _ : state) benchmark::DoNotOptimize(Security(level));
}

}  // namespace

BENCHMARK_CAPTURE(Stream, None_floor, ssNone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Stream, RC4_40, ss40RC4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Stream, RC4_128, ss128RC4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Stream, AES_128, ss128AES)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Stream, AES_256, ss256AES)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DeflatedStream, Deflate_peer, ssNone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DeflatedStream, Deflate_RC4_128, ss128RC4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DeflatedStream, Deflate_AES_128, ss128AES)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DeflatedStream, Deflate_AES_256, ss256AES)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Strings, None_floor, ssNone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Strings, RC4_128, ss128RC4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Strings, AES_128, ss128AES)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Strings, AES_256, ss256AES)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Digest, MD5, &MD5Of)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Digest, SHA1, &SHA1Of)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Digest, SHA256, &SHA256Of)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Setup, RC4_128, ss128RC4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Setup, AES_256_R6, ss256AES)->Unit(benchmark::kMillisecond);
