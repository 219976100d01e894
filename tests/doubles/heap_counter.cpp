// The heap counter: every form of the global operator new counts, and every
// form of operator delete is replaced with it. With the address checks on, a
// delete left to the library would not match a new replaced here.
#include "tests/doubles/heap_counter.h"

#include <cstdlib>
#include <new>

namespace {
size_t allocations = 0;

void *Allocate(std::size_t size, std::size_t alignment) {
    ++allocations;
    if (size == 0)
        size = 1;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size);
    // aligned_alloc wants the size to be a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void *AllocateOrThrow(std::size_t size, std::size_t alignment) {
    void *p = Allocate(size, alignment);
    if (!p)
        throw std::bad_alloc();
    return p;
}
} // namespace

size_t HeapAllocationCount() {
    return allocations;
}

// Every form: the plain ones throw when out of memory, the nothrow ones do not.
#define NEW(op, alignment, ...)                                                                    \
    void *op(std::size_t size __VA_OPT__(, ) __VA_ARGS__) {                                        \
        return AllocateOrThrow(size, alignment);                                                   \
    }
#define NEW_NOTHROW(op, alignment, ...)                                                            \
    void *op(std::size_t size, __VA_ARGS__) noexcept {                                             \
        return Allocate(size, alignment);                                                          \
    }
#define AL static_cast<std::size_t>(al)
NEW(operator new, 0)
NEW(operator new[], 0)
NEW(operator new, AL, std::align_val_t al)
NEW(operator new[], AL, std::align_val_t al)
NEW_NOTHROW(operator new, 0, const std::nothrow_t &)
NEW_NOTHROW(operator new[], 0, const std::nothrow_t &)
NEW_NOTHROW(operator new, AL, std::align_val_t al, const std::nothrow_t &)
NEW_NOTHROW(operator new[], AL, std::align_val_t al, const std::nothrow_t &)

#define FREE(op, ...)                                                                              \
    void op(void *p __VA_OPT__(, ) __VA_ARGS__) noexcept {                                         \
        std::free(p);                                                                              \
    }
FREE(operator delete)
FREE(operator delete[])
FREE(operator delete, std::size_t)
FREE(operator delete[], std::size_t)
FREE(operator delete, std::align_val_t)
FREE(operator delete[], std::align_val_t)
FREE(operator delete, std::size_t, std::align_val_t)
FREE(operator delete[], std::size_t, std::align_val_t)
FREE(operator delete, const std::nothrow_t &)
FREE(operator delete[], const std::nothrow_t &)
FREE(operator delete, std::align_val_t, const std::nothrow_t &)
FREE(operator delete[], std::align_val_t, const std::nothrow_t &)
