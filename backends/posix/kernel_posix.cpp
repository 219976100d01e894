// The kernel calls that need no window system, over POSIX: reading files, with
// the error numbers Windows gives, and the floating-point control word.
#include <cerrno>
#include <cfenv>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "win32/win32.h"

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#define VORTA_HAS_X87 1
#endif
// WebAssembly (the web build) has no floating-point traps at all: there every
// exception is always masked, which is what the game asks for anyway.
#ifdef FE_INEXACT
#define VORTA_HAS_FP_TRAPS 1
#endif

namespace {

DWORD lastError = NO_ERROR;

// A handle is the file descriptor plus one, so that no open file is null.
HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}
int DescriptorOf(HANDLE h) {
    const intptr_t v = reinterpret_cast<intptr_t>(h);
    return (h == INVALID_HANDLE_VALUE || v <= 0 || v > INT_MAX) ? -1 : static_cast<int>(v - 1);
}

// Windows tells a missing file (2) from a missing folder on its path (3).
bool FolderExists(const char *fileName) {
    const char *slash = std::strrchr(fileName, '/');
    if (slash == nullptr || slash == fileName)
        return true; // the working directory, or the root
    struct stat st;
    return stat(std::string(fileName, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

DWORD WindowsError(int error, const char *fileName = nullptr) {
    switch (error) {
    case ENOENT:
        return fileName == nullptr || FolderExists(fileName) ? ERROR_FILE_NOT_FOUND
                                                             : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    default:
        return static_cast<DWORD>(error); // the system's own number
    }
}

#ifdef VORTA_HAS_FP_TRAPS
struct ExceptionBit {
    unsigned int windows;
    int posix;
};
constexpr ExceptionBit EXCEPTIONS[] = {
    {_EM_INEXACT, FE_INEXACT},      {_EM_UNDERFLOW, FE_UNDERFLOW}, {_EM_OVERFLOW, FE_OVERFLOW},
    {_EM_ZERODIVIDE, FE_DIVBYZERO}, {_EM_INVALID, FE_INVALID},
};
#endif

unsigned int CurrentControlWord() {
#ifdef VORTA_HAS_FP_TRAPS
    unsigned int word = 0;
    const int trapping = fegetexcept();
    for (const ExceptionBit &e : EXCEPTIONS)
        if (!(trapping & e.posix))
            word |= e.windows;
#else
    unsigned int word = _EM_INEXACT | _EM_UNDERFLOW | _EM_OVERFLOW | _EM_ZERODIVIDE | _EM_INVALID;
#endif
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
#ifdef VORTA_HAS_X87
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

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD, void *, DWORD creation, DWORD,
                          HANDLE) {
    if (fileName == nullptr || access != GENERIC_READ || creation != OPEN_EXISTING) {
        lastError = ERROR_ACCESS_DENIED; // only reading an existing file is offered
        return INVALID_HANDLE_VALUE;
    }
    // Never waits: without O_NONBLOCK a pipe with no writer would hold the open
    // forever (GetFileType then tells the caller what it opened).
    int fd;
    do
        fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastError = WindowsError(errno, fileName);
        return INVALID_HANDLE_VALUE;
    }
    // Windows opens no folder as a file.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    lastError = NO_ERROR;
    return HandleOf(fd);
}

BOOL WINAPI ReadFile(HANDLE file, void *buffer, DWORD toRead, DWORD *read, void *) {
    if (read != nullptr)
        *read = 0;
    const int fd = DescriptorOf(file);
    ssize_t n;
    do
        n = fd < 0 ? (errno = EBADF, -1) : ::read(fd, buffer, toRead);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        lastError = WindowsError(errno);
        return FALSE;
    }
    if (read != nullptr)
        *read = static_cast<DWORD>(n);
    return TRUE;
}

DWORD WINAPI GetFileType(HANDLE file) {
    struct stat st;
    const int fd = DescriptorOf(file);
    if (fd < 0 || fstat(fd, &st) != 0) {
        lastError = WindowsError(fd < 0 ? EBADF : errno);
        return FILE_TYPE_UNKNOWN;
    }
    lastError = NO_ERROR;
    if (S_ISREG(st.st_mode))
        return FILE_TYPE_DISK;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
    struct stat st;
    if (fileName == nullptr || stat(fileName, &st) != 0) {
        lastError = WindowsError(fileName == nullptr ? ENOENT : errno, fileName);
        return INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    const int fd = DescriptorOf(object);
    // A close interrupted by a signal has still closed the descriptor here.
    if (fd < 0 || (close(fd) != 0 && errno != EINTR)) {
        lastError = WindowsError(fd < 0 ? EBADF : errno);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetLastError() {
    return lastError;
}

unsigned int _controlfp(unsigned int newValue, unsigned int mask) {
#ifdef VORTA_HAS_FP_TRAPS
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
#endif
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
#ifdef VORTA_HAS_X87
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
