// LoadGrid: one grid file into one grid, or the run-time error box and the end.
#include "core/grid_file.h"

namespace {

[[noreturn]] void ReportGridFailure(const GridFailure &failure) {
    char text[64];
    FormatGridFailure(failure, text, sizeof text);
    MessageBoxA(nullptr, text, "Error", MB_OK);
    ExitProcess(static_cast<UINT>(failure.error));
}

bool IsFolder(const char *fileName) {
    const DWORD attributes = GetFileAttributesA(fileName);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

HANDLE OpenGridFile(const char *fileName, GridFailure *failure) {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder never opens as a file; it has a check of its own.
        const bool folder = error == ERROR_ACCESS_DENIED && IsFolder(fileName);
        *failure = GridFailure{GridErrorNumber(error),
                               folder ? GRID_CHECK_OPEN_DIRECTORY : GRID_CHECK_OPEN};
        return INVALID_HANDLE_VALUE;
    }
    // Only a file on a disk is read: a pipe, socket or device may never end
    // (/dev/zero is an endless run of separators), so it is refused as a
    // folder is.
    const DWORD type = GetFileType(file);
    const DWORD typeError = GetLastError();
    GridFailure refused{};
    if (type == FILE_TYPE_UNKNOWN && typeError != NO_ERROR)
        refused = GridFailure{GridErrorNumber(typeError), GRID_CHECK_OPEN_STAT};
    else if (type != FILE_TYPE_DISK)
        refused = GridFailure{GRID_ERROR_ACCESS_DENIED, GRID_CHECK_OPEN_NOT_FILE};
    if (refused.error != 0) {
        CloseHandle(file);
        *failure = refused;
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

long ReadGridFileBytes(void *context, unsigned char *buffer, long size, int *error) {
    DWORD read = 0;
    if (!ReadFile(*static_cast<HANDLE *>(context), buffer, static_cast<DWORD>(size), &read,
                  nullptr)) {
        *error = static_cast<int>(GetLastError());
        return -1;
    }
    return static_cast<long>(read);
}

GridFailure CloseGridFile(HANDLE file) {
    if (!CloseHandle(file))
        return GridFailure{GridErrorNumber(GetLastError()), GRID_CHECK_CLOSE};
    return GridFailure{};
}

void LoadGrid(Grid grid, const char *fileName) {
    GridFailure failure;
    HANDLE file = OpenGridFile(fileName, &failure);
    if (file != INVALID_HANDLE_VALUE) {
        failure = ReadGrid(grid, GridByteSource{ReadGridFileBytes, &file});
        // The file is closed before any box, so a failed load holds nothing open.
        GridFailure closed = CloseGridFile(file);
        if (failure.error == 0)
            failure = closed;
    }
    if (failure.error != 0)
        ReportGridFailure(failure);
}
