// Cost of the frame delegate on a full 320x240x3 frame and of the fault-free
// memory reader on a 128 KiB and a 25 MB range, each beside a plain memcpy
// of the same size in the same run.
#include <malloc.h>

#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/platform.h"
#include "sdk/delegate.h"

namespace {

std::vector<unsigned char>& source(size_t bytes) {
  static std::vector<unsigned char> buf;
  if (buf.size() < bytes) {
    buf.resize(bytes);
    for (size_t i = 0; i < bytes; ++i) buf[i] = static_cast<unsigned char>(i * 7);
  }
  return buf;
}

void BM_OnIR_320x240(benchmark::State& state) {
  const unsigned char* frame = source(kCallbackImageBytes).data();
  onIR(frame, 320, 240, 3);  // the first call creates the mutex
  // glibc's count of allocated heap bytes: onIR must not change it.
  const size_t heapBefore = mallinfo2().uordblks;
  for (auto _ : state) {
    onIR(frame, 320, 240, 3);
    benchmark::ClobberMemory();
  }
  state.counters["heap_bytes_added"] = static_cast<double>(mallinfo2().uordblks - heapBefore);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kCallbackImageBytes));
}
BENCHMARK(BM_OnIR_320x240);

void BM_Memcpy(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  const unsigned char* from = source(bytes).data();
  std::vector<unsigned char> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from, bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Memcpy)->Arg(kCallbackImageBytes)->Arg(128 << 10)->Arg(25113600);

void BM_ReadMemory(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  const uintptr_t from = reinterpret_cast<uintptr_t>(source(bytes).data());
  std::vector<unsigned char> to(bytes);
  for (auto _ : state) {
    benchmark::DoNotOptimize(plat::readMemory(from, to.data(), bytes));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ReadMemory)->Arg(128 << 10)->Arg(25113600);

void BM_ReadableExtent(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  const uintptr_t from = reinterpret_cast<uintptr_t>(source(bytes).data());
  for (auto _ : state) benchmark::DoNotOptimize(plat::readableExtent(from, bytes));
}
BENCHMARK(BM_ReadableExtent)->Arg(128 << 10)->Arg(25113600);

}  // namespace
