// The heap counter: the plain and the no-throw operator new count; the library
// routes the array forms through them. Every operator delete that may free what
// they give is replaced too: with the address checks on, a delete left to the
// library would not match a new replaced here. Over-aligned allocations, which
// the game never makes, are left to the library, new and delete alike.
#include "tests/doubles/test_support.h"

#include <cstdlib>
#include <new>

static size_t allocations = 0;

size_t HeapAllocationCount() {
    return allocations;
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void *operator new(std::size_t size) {
    if (void *p = operator new(size, std::nothrow))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept {
    std::free(p);
}
