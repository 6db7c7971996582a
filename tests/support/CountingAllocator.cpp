#include "CountingAllocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

// Every allocation of the program goes through here. This file is linked into
// the executable as an object of its own: from a static archive nothing would
// pull it in, and the library's operators would stay in place.
namespace {

std::atomic<long long> allocations{0};
std::atomic<long long> liveBytes{0};

// The header keeps the size for the matching delete and the alignment of
// what follows it.
constexpr size_t kHeader = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

void* CountedAllocate(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  std::memcpy(block, &size, sizeof size);
  liveBytes += static_cast<long long>(size);
  ++allocations;
  return static_cast<char*>(block) + kHeader;
}

void CountedFree(void* pointer) {
  if (pointer == nullptr) return;
  char* block = static_cast<char*>(pointer) - kHeader;
  size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  liveBytes -= static_cast<long long>(size);
  std::free(block);
}

}  // namespace

namespace korvath::testing {

long long Allocations() { return allocations; }
long long LiveBytes() { return liveBytes; }

}  // namespace korvath::testing

void* operator new(size_t size) { return CountedAllocate(size); }
void* operator new[](size_t size) { return CountedAllocate(size); }
void operator delete(void* pointer) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, size_t) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, size_t) noexcept { CountedFree(pointer); }
// std::stable_sort's buffer comes from the nothrow form: it must carry the
// same header, or its delete would free the wrong address.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { CountedFree(pointer); }
