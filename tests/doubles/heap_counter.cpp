#include "tests/doubles/heap_counter.h"

#include <cstdlib>
#include <new>

namespace {
size_t allocations = 0;

void *Allocate(std::size_t size, std::size_t alignment) {
    ++allocations;
    if (size == 0)
        size = 1;
    void *p = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        p = std::malloc(size);
    } else {
        // aligned_alloc wants the size to be a multiple of the alignment.
        size = (size + alignment - 1) / alignment * alignment;
        p = std::aligned_alloc(alignment, size);
    }
    return p;
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

void *operator new(std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void *operator new[](std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void *operator new(std::size_t size, std::align_val_t al) {
    return AllocateOrThrow(size, static_cast<std::size_t>(al));
}
void *operator new[](std::size_t size, std::align_val_t al) {
    return AllocateOrThrow(size, static_cast<std::size_t>(al));
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    return Allocate(size, 0);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    return Allocate(size, 0);
}
void *operator new(std::size_t size, std::align_val_t al, const std::nothrow_t &) noexcept {
    return Allocate(size, static_cast<std::size_t>(al));
}
void *operator new[](std::size_t size, std::align_val_t al, const std::nothrow_t &) noexcept {
    return Allocate(size, static_cast<std::size_t>(al));
}

void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete[](void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void *p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept {
    std::free(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept {
    std::free(p);
}
void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept {
    std::free(p);
}
