// LoadGrid: one grid file into one grid, or the run-time error box and the end.
#include "core/grid_file.h"

namespace {

[[noreturn]] void ReportGridFailure(const GridFailure &failure) {
    char text[64];
    FormatGridFailure(failure, text, sizeof text);
    MessageBoxA(nullptr, text, "Error", MB_OK);
    ExitProcess(static_cast<UINT>(failure.error));
}

} // namespace

void LoadGrid(Grid grid, const char *fileName) {
    GridFailure failure;
    int fd = OpenGridFile(fileName, &failure);
    if (fd >= 0) {
        failure = ReadGrid(grid, GridByteSource{ReadGridFileBytes, &fd});
        // The file is closed before any box, so a failed load holds nothing open.
        GridFailure closed = CloseGridFile(fd);
        if (failure.error == 0)
            failure = closed;
    }
    if (failure.error != 0)
        ReportGridFailure(failure);
}
