// The kernel calls that need no window system, over POSIX: the floating-point
// control word (and, beside it, file access for the grid reader).
#include <cfenv>

#include "platform/win32/win32.h"

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#define VK_HAS_X87 1
#endif

namespace {

struct ExceptionBit {
    unsigned int windows;
    int posix;
};
constexpr ExceptionBit EXCEPTIONS[] = {
    {_EM_INEXACT, FE_INEXACT},      {_EM_UNDERFLOW, FE_UNDERFLOW}, {_EM_OVERFLOW, FE_OVERFLOW},
    {_EM_ZERODIVIDE, FE_DIVBYZERO}, {_EM_INVALID, FE_INVALID},
};

unsigned int CurrentControlWord() {
    unsigned int word = 0;
    const int trapping = fegetexcept();
    for (const ExceptionBit &e : EXCEPTIONS)
        if (!(trapping & e.posix))
            word |= e.windows;
    switch (fegetround()) {
    case FE_DOWNWARD:
        word |= _RC_DOWN;
        break;
    case FE_UPWARD:
        word |= _RC_UP;
        break;
    case FE_TOWARDZERO:
        word |= _RC_CHOP;
        break;
    default:
        break;
    }
#ifdef VK_HAS_X87
    fpu_control_t cw;
    _FPU_GETCW(cw);
    word |= _EM_DENORMAL; // glibc never unmasks it
    if ((cw & _FPU_EXTENDED) == _FPU_DOUBLE)
        word |= _PC_53;
    else if ((cw & _FPU_EXTENDED) == _FPU_SINGLE)
        word |= _PC_24;
#endif
    return word;
}

} // namespace

unsigned int _controlfp(unsigned int newValue, unsigned int mask) {
    if (mask & _MCW_EM) {
        // A set bit masks (silences) its exception; a clear bit lets it trap.
        int trap = 0, quiet = 0;
        for (const ExceptionBit &e : EXCEPTIONS)
            if (mask & e.windows)
                ((newValue & e.windows) ? quiet : trap) |= e.posix;
        feclearexcept(FE_ALL_EXCEPT);
        fedisableexcept(quiet);
        feenableexcept(trap);
    }
    if (mask & _MCW_RC) {
        switch (newValue & _MCW_RC) {
        case _RC_DOWN:
            fesetround(FE_DOWNWARD);
            break;
        case _RC_UP:
            fesetround(FE_UPWARD);
            break;
        case _RC_CHOP:
            fesetround(FE_TOWARDZERO);
            break;
        default:
            fesetround(FE_TONEAREST);
            break;
        }
    }
#ifdef VK_HAS_X87
    if (mask & _MCW_PC) {
        fpu_control_t cw;
        _FPU_GETCW(cw);
        cw &= ~_FPU_EXTENDED;
        const unsigned int pc = newValue & _MCW_PC;
        cw |= pc == _PC_53 ? _FPU_DOUBLE : pc == _PC_24 ? _FPU_SINGLE : _FPU_EXTENDED;
        _FPU_SETCW(cw);
    }
#endif
    return CurrentControlWord();
}
