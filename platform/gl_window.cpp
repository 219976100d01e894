// The game window and its GL context: creation, full screen and teardown.
#include "platform/gl_window.h"

#include <cstring>

#include "platform/window_proc.h"

namespace {

const char *const CLASS_NAME = "OpenGl";

constexpr UINT CLASS_STYLE = CS_VREDRAW | CS_HREDRAW | CS_OWNDC; // 35
constexpr DWORD FULLSCREEN_EX_STYLE = WS_EX_APPWINDOW;
constexpr DWORD FULLSCREEN_STYLE = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD WINDOWED_EX_STYLE = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD WINDOWED_STYLE = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The game's own words in its boxes, kept exactly as players have always read
// them, odd spelling and spacing included ("Cant't", the space before
// "Shutdown Error"): they are not typos to mend.
const char *const NO_DEVICE_CONTEXT_TEXT = "Cant't create a GL device context.";
const char *const NO_PIXEL_FORMAT_TEXT = "Cant't Find A Suitable PixelFormat.";
const char *const PIXEL_FORMAT_REFUSED_TEXT = "Cant't set PixelFormat.";
const char *const NO_RENDERING_CONTEXT_TEXT = "Cant't create a GL rendering context.";
const char *const CONTEXT_NOT_CURRENT_TEXT = "Cant't activate the GL rendering context.";
const char *const SHUTDOWN_CAPTION = " Shutdown Error";

constexpr UINT CREATE_ERROR_BOX = MB_OK | MB_ICONEXCLAMATION;
constexpr UINT SHUTDOWN_ERROR_BOX = MB_OK | MB_ICONERROR;

HINSTANCE instance = nullptr;

// A creation step failed: take down what was built so far (so a changed display
// mode is already back when the player reads the box), then say why.
BOOL FailCreation(const char *message) {
    DestroyGameWindow();
    MessageBoxA(nullptr, message, "Error", CREATE_ERROR_BOX);
    return FALSE;
}

} // namespace

BOOL windowedRefused = BOOL_FALSE;

BOOL CreateGameWindow(const char *title, int width, int height, int bits, BOOL wantFullscreen) {
    instance = GetModuleHandleA(nullptr);
    fullscreen = wantFullscreen;
    windowedRefused = BOOL_FALSE;

    WNDCLASSA windowClass{};
    windowClass.style = CLASS_STYLE;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = CLASS_NAME;
    if (RegisterClassA(&windowClass) == 0) {
        MessageBoxA(nullptr, "Failed To Register The Window Class.", "Error", MB_OK | MB_ICONERROR);
        return FALSE;
    }

    if (fullscreen) {
        DEVMODEA mode;
        std::memset(&mode, 0, sizeof mode);
        mode.dmSize = sizeof mode; // 156
        mode.dmPelsWidth = static_cast<DWORD>(width);
        mode.dmPelsHeight = static_cast<DWORD>(height);
        mode.dmBitsPerPel = static_cast<DWORD>(bits);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            const int answer = MessageBoxA(
                nullptr, "This FullScreen Mode Is Not Supported. Use Windowed Mode Instead?",
                "Tolm GL", MB_YESNO | MB_ICONEXCLAMATION);
            if (answer == IDYES) {
                fullscreen = FALSE;
            } else {
                // No is the player's choice; a box that could not be shown is not.
                windowedRefused = answer == IDNO ? BOOL_TRUE : BOOL_FALSE;
                MessageBoxA(nullptr, "Program Will Now Close.", "Error", MB_OK | MB_ICONERROR);
                return FALSE;
            }
        }
    }

    DWORD exStyle = WINDOWED_EX_STYLE;
    DWORD style = WINDOWED_STYLE;
    if (fullscreen) {
        exStyle = FULLSCREEN_EX_STYLE;
        style = FULLSCREEN_STYLE;
        ShowCursor(FALSE);
    }

    RECT rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = width;
    rect.bottom = height;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);

    window = CreateWindowExA(exStyle, CLASS_NAME, title, style, 0, 0, rect.right - rect.left,
                             rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return FailCreation("Window creation error.");

    PIXELFORMATDESCRIPTOR request;
    std::memset(&request, 0, sizeof request);
    request.nSize = sizeof request; // 40
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(bits);
    request.cAlphaBits = 8;
    request.cAlphaShift = 8;
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;

    deviceContext = GetDC(window);
    if (deviceContext == nullptr)
        return FailCreation(NO_DEVICE_CONTEXT_TEXT);
    int format = ChoosePixelFormat(deviceContext, &request);
    if (format == 0)
        return FailCreation(NO_PIXEL_FORMAT_TEXT);
    if (!SetPixelFormat(deviceContext, format, &request))
        return FailCreation(PIXEL_FORMAT_REFUSED_TEXT);
    renderContext = wglCreateContext(deviceContext);
    if (renderContext == nullptr)
        return FailCreation(NO_RENDERING_CONTEXT_TEXT);
    if (!wglMakeCurrent(deviceContext, renderContext))
        return FailCreation(CONTEXT_NOT_CURRENT_TEXT);

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    ResizeScene(width, height);
    InitGL();
    return BOOL_TRUE;
}

// Safe in any state: each step releases only what exists, and a failed release
// is reported without stopping the ones after it.
void DestroyGameWindow() {
    if (fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
    if (renderContext != nullptr) {
        if (!wglMakeCurrent(deviceContext, nullptr))
            MessageBoxA(nullptr, "Release of DC and RC failed.", SHUTDOWN_CAPTION,
                        SHUTDOWN_ERROR_BOX);
        if (!wglDeleteContext(renderContext))
            MessageBoxA(nullptr, "Release of Rendering Context failed.", SHUTDOWN_CAPTION,
                        SHUTDOWN_ERROR_BOX);
        renderContext = nullptr;
    }
    if (deviceContext != nullptr) {
        if (ReleaseDC(window, deviceContext) == 0)
            MessageBoxA(nullptr, "Release of Device Context failed.", SHUTDOWN_CAPTION,
                        SHUTDOWN_ERROR_BOX);
        deviceContext = nullptr;
    }
    if (window != nullptr) {
        if (!DestroyWindow(window))
            MessageBoxA(nullptr, "Could not release hWnd.", SHUTDOWN_CAPTION, SHUTDOWN_ERROR_BOX);
        window = nullptr;
    }
    if (!UnregisterClassA(CLASS_NAME, instance))
        MessageBoxA(nullptr, "Could Not Unregister Class.", "SHUTDOWN ERROR",
                    MB_OK | MB_ICONINFORMATION);
}
