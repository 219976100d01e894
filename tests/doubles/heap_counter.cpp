#include "tests/doubles/heap_counter.h"

#include <cstdlib>
#include <new>

// Only the two basic forms are replaced: the library's array, nothrow and
// sized forms all call one of them, and its deletes free what these return.
namespace {
size_t allocations = 0;
} // namespace

size_t HeapAllocationCount() {
    return allocations;
}

void *operator new(std::size_t size) {
    ++allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void *operator new(std::size_t size, std::align_val_t al) {
    ++allocations;
    const std::size_t a = static_cast<std::size_t>(al); // aligned_alloc wants a multiple of a
    if (void *p = std::aligned_alloc(a, (size / a + 1) * a))
        return p;
    throw std::bad_alloc();
}
