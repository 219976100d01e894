// The system calls the game makes, with their Windows names and meanings: the
// platform layer's contract. On Windows this is simply <windows.h> (and
// <float.h> for the floating-point set-up; the Windows program sends the clock,
// the swap and the pump through backends/windows/paced_calls.h); elsewhere it
// declares the small subset we use, and says below what each call promises.
// The backends under backends/ implement it: sdl (Linux, over SDL2), posix
// (the file and floating-point calls for every POSIX program), web (a browser
// page), null (a template that does nothing); the unit tests link a scripted
// stand-in.
#pragma once

#ifdef _WIN32
#include <float.h>
#include <windows.h>
#else

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#ifndef APIENTRY // <GL/gl.h> may have defined it already
#define APIENTRY
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef WORD ATOM;
typedef const char *LPCSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define DECLARE_HANDLE(name)                                                                       \
    struct name##__ {                                                                              \
        int unused;                                                                                \
    };                                                                                             \
    typedef struct name##__ *name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HGLRC);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HCURSOR);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HMENU);
#undef DECLARE_HANDLE
typedef HINSTANCE HMODULE;

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
    LONG x, y;
};
struct POINTL {
    LONG x, y;
};
struct RECT {
    LONG left, top, right, bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Same layout and size (156 bytes) as the display-mode record of Windows.
struct DEVMODEA {
    BYTE dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    POINTL dmPosition; // shares its place with the printer fields on Windows
    DWORD dmDisplayOrientation;
    DWORD dmDisplayFixedOutput;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
static_assert(sizeof(DEVMODEA) == 156, "display-mode record must match the Windows layout");

// Same layout and size (40 bytes) as the pixel-format descriptor of Windows.
struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "pixel format must match the Windows layout");

#define MAKEINTRESOURCEA(i) ((LPCSTR)(uintptr_t)(WORD)(i))
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKELONG(lo, hi) ((LONG)(((WORD)(lo)) | (((DWORD)((WORD)(hi))) << 16)))
#define MAKEWPARAM(lo, hi) ((WPARAM)(DWORD)MAKELONG(lo, hi))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)MAKELONG(lo, hi))

// Message boxes
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNOCANCEL = 0x03;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_TYPEMASK = 0x0F;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Window class and window styles
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_DLGFRAME = 0x00400000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100u;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Messages
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Display modes
constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;

// Pixel formats
constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_DRAW_TO_BITMAP = 0x00000008;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_MAIN_PLANE = 0;

// Virtual-key codes
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F4 = 0x73;
constexpr int VK_F10 = 0x79;
constexpr int VK_F12 = 0x7B;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_OEM_1 = 0xBA;      // ;:
constexpr int VK_OEM_PLUS = 0xBB;   // =+
constexpr int VK_OEM_COMMA = 0xBC;  // ,<
constexpr int VK_OEM_MINUS = 0xBD;  // -_
constexpr int VK_OEM_PERIOD = 0xBE; // .>
constexpr int VK_OEM_2 = 0xBF;      // /?
constexpr int VK_OEM_3 = 0xC0;      // `~
constexpr int VK_OEM_4 = 0xDB;      // [{
constexpr int VK_OEM_5 = 0xDC;      // \|
constexpr int VK_OEM_6 = 0xDD;      // ]}
constexpr int VK_OEM_7 = 0xDE;      // '"

// ---- What a backend provides, and what the game relies on ----------------------
//
// Every platform keeps the same promises: these calls with the meanings below,
// the tick and pacing of frame_pacing.h, an idle game that waits, the same
// file limits and error numbers. A port starts from backends/null, which has
// every call and does nothing; the game never looks at a result the notes do
// not name, so an unused one may be a plain stand-in, never a lie the game
// would act on.

// ---- Kernel

// The program's module (moduleName null), which window classes are registered
// under; any non-null handle will do.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
// Milliseconds of a monotonic clock in whole ticks of 5 ms, 32 bits, wrapping
// (TickCountAt in frame_pacing.h). One tick is one physics step, so a frame
// never loses time to a part-step; the game subtracts counts, wrap included.
DWORD WINAPI GetTickCount();
// Ends the process at once with this exit code (a bad grid file ends the game
// this way after its box); a full-screen display mode is given back first.
[[noreturn]] void WINAPI ExitProcess(UINT exitCode);

// ---- Files: opened for reading only, read front to back, closed
//
// Failures leave the Windows error number for GetLastError: 2 a missing file,
// 3 a missing folder on its path, 5 anything refused (a folder, a write, no
// right to read), 6 a bad handle. The grid reader reports these numbers to the
// player, so every platform gives the same ones.
typedef void *HANDLE;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_TYPE_UNKNOWN = 0x0000;
constexpr DWORD FILE_TYPE_DISK = 0x0001; // a file on a disk
constexpr DWORD FILE_TYPE_CHAR = 0x0002; // a device
constexpr DWORD FILE_TYPE_PIPE = 0x0003; // a pipe or a socket
constexpr DWORD NO_ERROR = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
// Only GENERIC_READ of an existing file (OPEN_EXISTING) is offered. The open
// never waits, not even for a pipe without a writer: GetFileType then tells the
// caller what it opened, and the game reads only plain files.
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, void *security,
                          DWORD creation, DWORD flags, HANDLE templateFile);
// Up to toRead bytes; *read is 0 at the end of the file.
BOOL WINAPI ReadFile(HANDLE file, void *buffer, DWORD toRead, DWORD *read, void *overlapped);
DWORD WINAPI GetFileType(HANDLE file);
// FILE_ATTRIBUTE_DIRECTORY for a folder, or INVALID_FILE_ATTRIBUTES when the
// name is not there (with its error number).
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);
BOOL WINAPI CloseHandle(HANDLE object);
DWORD WINAPI GetLastError();

// ---- Floating-point control, as the C runtime's _controlfp
//
// The bits of `mask` take their values from `newValue`; the result is the
// control word after. The game masks every exception (a division by zero gives
// an infinity, never a trap) and rounds to nearest for the whole run.
constexpr unsigned int _EM_INEXACT = 0x00000001;
constexpr unsigned int _EM_UNDERFLOW = 0x00000002;
constexpr unsigned int _EM_OVERFLOW = 0x00000004;
constexpr unsigned int _EM_ZERODIVIDE = 0x00000008;
constexpr unsigned int _EM_INVALID = 0x00000010;
constexpr unsigned int _EM_DENORMAL = 0x00080000;
constexpr unsigned int _MCW_EM = 0x0008001F; // every exception mask
constexpr unsigned int _MCW_RC = 0x00000300; // rounding
constexpr unsigned int _RC_NEAR = 0x00000000;
constexpr unsigned int _RC_DOWN = 0x00000100;
constexpr unsigned int _RC_UP = 0x00000200;
constexpr unsigned int _RC_CHOP = 0x00000300;
constexpr unsigned int _MCW_PC = 0x00030000; // x87 precision
constexpr unsigned int _PC_64 = 0x00000000;
constexpr unsigned int _PC_53 = 0x00010000;
constexpr unsigned int _PC_24 = 0x00020000;
unsigned int _controlfp(unsigned int newValue, unsigned int mask);

// ---- Window classes and windows

// Any non-null handle; the game only hands them back in its window class.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
// A class name (compared without case) for the module, with its window
// procedure; 0 when the name is taken. Unregistering fails while a window of
// the class exists.
ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass);
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
// Grows a client rectangle by the frame and caption the style gets, so that a
// window made with the grown size has exactly the client size asked for.
BOOL WINAPI AdjustWindowRectEx(RECT *rect, DWORD style, BOOL menu, DWORD exStyle);
// A hidden window of the class, outer size as given. WS_POPUP makes it
// borderless, and full screen in the mode ChangeDisplaySettingsA granted last
// (if any); the framed style (WS_OVERLAPPEDWINDOW) has a caption and frame.
// The procedure gets WM_CREATE before the call returns, and a
// WM_SYSCOMMAND SC_SCREENSAVE that it answers with 0 keeps the screen saver
// off while the window exists. Null on failure: the game then says so.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, void *param);
// The procedure gets a key-up for every key the window holds down, then
// WM_DESTROY; messages still queued for the window are dropped with it.
BOOL WINAPI DestroyWindow(HWND window);
// The first show sends WM_SIZE with the client size and WM_ACTIVATE (active)
// straight to the procedure, as the game sets its projection and `active`
// from them. The result is whether the window was visible before.
BOOL WINAPI ShowWindow(HWND window, int command);
// Raise the window and give it the keyboard; a window manager may refuse,
// which is no error.
BOOL WINAPI SetForegroundWindow(HWND window);
HWND WINAPI SetFocus(HWND window);
// A display counter: the cursor shows while it is 0 or more.
int WINAPI ShowCursor(BOOL show);

// ---- Message boxes
//
// A modal box with the caption, text, icon and buttons of `type` (OK, Yes and
// No, ...), owned by `owner` or by no window. Enter picks the first button
// (OK, Yes), Escape picks No (or Cancel); closing the box answers as Escape.
// Where a gamepad plays as keys, it answers too: A or Start as Enter, B or
// Back as Escape (a button held since before the box must be let go first).
// The result is IDOK, IDYES or IDNO; 0 when no box can be shown (no display):
// the caption and text then go to stderr, so the player still learns why.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- The display mode
//
// With a mode: succeeds only for a size the display really offers (the next
// WS_POPUP window takes it), else DISP_CHANGE_BADMODE or DISP_CHANGE_FAILED,
// and the game asks whether to play windowed. With null: back to the desktop's
// own mode, always successful. A full-screen window that loses the keyboard
// focus gives the desktop its mode back and is off the screen (minimised, or
// left where it was when no window manager takes it) until it has the focus
// again, or with no window manager a key reaches it: it takes the mode back.
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD flags);

// ---- Messages
//
// One queue for the program's windows: keys as WM_KEYDOWN / WM_KEYUP with
// Windows virtual-key codes (Alt combinations, Alt and F10 as WM_SYSKEYDOWN /
// WM_SYSKEYUP, a key going up as it went down; bit 30 of lParam set when the
// key was down before, bit 31 on release; keys outside 0..255 never arrive),
// the close box as WM_CLOSE, minimise and restore as WM_ACTIVATE (high word
// non-zero while the window is off the screen: minimised, hidden, or full
// screen without its display mode), the keyboard focus lost as WM_ACTIVATE
// inactive after a key-up for every key the window holds, size changes as
// WM_SIZE in drawable pixels. A gamepad may play as keys. Messages are
// delivered in order, one per call.
// PeekMessageA returns at once when the queue holds a message or a window is
// on the screen to draw in; while none is (minimised, hidden, before the first
// window) an empty queue waits a few ms for an event first, so that an idle
// game does not spin.
BOOL WINAPI PeekMessageA(MSG *msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
BOOL WINAPI TranslateMessage(const MSG *msg);
// Calls the procedure of the message's window with it.
LRESULT WINAPI DispatchMessageA(const MSG *msg);
// What Windows does by default: Alt+F4 and SC_CLOSE become WM_CLOSE; a
// procedure that leaves SC_SCREENSAVE here lets the screen saver run.
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues WM_QUIT with the exit code as wParam, after what is queued already.
void WINAPI PostQuitMessage(int exitCode);

// ---- Device context, pixel format, GL context
//
// Each window has one device context. ChoosePixelFormat gives the closest
// RGBA, double-buffered format with depth (never 0 for a GL-capable window),
// and a window's format is set once. A GL context is made for a window with
// its format set, and is not current until wglMakeCurrent; releasing the
// current context (rc null) always succeeds. Each returns 0 / null / FALSE on
// failure, which the game reports in a box of its own.
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *pfd);
BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *pfd);
// Presents the frame at the display's pace: at most one frame per refresh
// (vsync where the driver gives it, else the backend waits out the rest of the
// period, see frame_pacing.h). A window off the screen presents nothing and
// returns at once.
BOOL WINAPI SwapBuffers(HDC dc);
HGLRC WINAPI wglCreateContext(HDC dc);
BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC rc);
BOOL WINAPI wglDeleteContext(HGLRC rc);

#endif // _WIN32
