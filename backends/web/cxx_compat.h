// Emscripten's C++ library (3.1.6, Debian 12's) predates std::bit_cast, which
// the game uses; the compiler's own builtin does the same. Every file of the
// web build sees this first.
#pragma once

#include <bit>

#ifndef __cpp_lib_bit_cast
namespace std {
template <class To, class From> constexpr To bit_cast(const From &from) noexcept {
    return __builtin_bit_cast(To, from);
}
} // namespace std
#endif
