// The one reader of SDK memory: scalars and range copies on top of the
// platform's fault-free read. A scalar that is not wholly readable yields 0.
#include "sdk/sdkmem.h"

#include <cstring>

#include "platform/platform.h"

namespace {

template <typename T>
T readScalar(uintptr_t addr) {
  unsigned char bytes[sizeof(T)];
  if (plat::readMemory(addr, bytes, sizeof bytes) != sizeof bytes) return T{};
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace

uint16_t readU16(uintptr_t addr) { return readScalar<uint16_t>(addr); }
uint32_t readU32(uintptr_t addr) { return readScalar<uint32_t>(addr); }
int32_t readI32(uintptr_t addr) { return readScalar<int32_t>(addr); }
uintptr_t readPtr(uintptr_t addr) { return readScalar<uintptr_t>(addr); }
double readF64(uintptr_t addr) { return readScalar<double>(addr); }

size_t copyFrom(uintptr_t addr, void* dst, size_t len) { return plat::readMemory(addr, dst, len); }

size_t copyVia(uintptr_t fieldAddr, void* dst, size_t len) {
  const uintptr_t target = readPtr(fieldAddr);
  return target ? copyFrom(target, dst, len) : 0;
}
