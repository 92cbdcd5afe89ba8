// Arrays from malloc, released with free: for the large arrays of the list
// builder and the registry sort, whose allocation failures are reported
// rather than thrown.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

template <typename T>
using Buffer = std::unique_ptr<T[], FreeDeleter>;

// `count` elements, not initialised; empty when memory is short. A count of
// 0 still gives a (one-byte) block, so emptiness always means failure.
template <typename T>
Buffer<T> allocateBuffer(std::size_t count) {
  return Buffer<T>(static_cast<T*>(std::malloc(count ? count * sizeof(T) : 1)));
}

// The same, zero-filled.
template <typename T>
Buffer<T> allocateZeroedBuffer(std::size_t count) {
  return Buffer<T>(static_cast<T*>(std::calloc(count ? count : 1, sizeof(T))));
}
