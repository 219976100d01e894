// gridtool: the game's grid files from text art and back, and a checker that
// names every bad token. It reads grid files with the game's own reader, so a
// file it passes is a file the game loads.
//
//   gridtool art2grid ART GRID   text art (# lit/solid, . empty, G goal) to a grid file
//   gridtool grid2art GRID ART   a grid file to text art
//   gridtool check GRID...       report every bad token; exit 1 if any file is bad
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/grid_file.h"

namespace {

const char *const USAGE = "usage: gridtool art2grid ART GRID\n"
                          "       gridtool grid2art GRID ART\n"
                          "       gridtool check GRID...\n"
                          "Text art: up to 12 lines of up to 100 characters, '#' a solid tile\n"
                          "or lit dot (1), '.' empty (0), 'G' a goal marker (2); missing\n"
                          "lines and columns are empty.\n";

bool ReadWholeFile(const char *name, std::string *bytes) {
    FILE *f = std::fopen(name, "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "%s: cannot open: %s\n", name, std::strerror(errno));
        return false;
    }
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0)
        bytes->append(block, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok)
        std::fprintf(stderr, "%s: read failed\n", name);
    return ok;
}

bool WriteWholeFile(const char *name, const std::string &bytes) {
    FILE *f = std::fopen(name, "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "%s: cannot create: %s\n", name, std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "%s: write failed\n", name);
    return ok;
}

// A token as it can be printed: bytes outside plain ASCII as \xHH.
std::string Printable(const unsigned char *text, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) {
        unsigned char b = text[i];
        if (b > ' ' && b < 127 && b != '\\' && b != '"') {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

// Reports every bad token of one grid file, as the game would read it: up to
// the 1200th number, or to the first byte 26. Returns the number of problems.
int CheckGridFile(const char *name) {
    GridFailure failure;
    HANDLE file = OpenGridFile(name, &failure);
    if (file == INVALID_HANDLE_VALUE) {
        char text[64];
        FormatGridFailure(failure, text, sizeof text);
        const char *why = failure.error == GRID_ERROR_FILE_MISSING   ? "no such file"
                          : failure.error == GRID_ERROR_PATH_MISSING ? "no such folder"
                          : failure.error == GRID_ERROR_ACCESS_DENIED
                              ? "access denied"
                              : std::strerror(failure.error);
        std::fprintf(stderr, "%s: cannot open: %s; the game stops with \"%s\"\n", name, why, text);
        return 1;
    }
    GridTokenizer tokenizer;
    GridTokenizerStart(&tokenizer, GridByteSource{ReadGridFileBytes, &file});
    int numbers = 0, bad = 0;
    GridFailure first;
    GridToken token;
    while (numbers < GRID_CELLS && NextGridToken(&tokenizer, &token)) {
        ++numbers;
        int32_t value;
        int badIndex = 0;
        GridTokenFault fault = ParseGridToken(token.text, token.length, &value, &badIndex);
        if (fault == GRID_TOKEN_OK)
            continue;
        if (bad++ == 0)
            first = GridFailure{GRID_ERROR_BAD_TOKEN, GridCheckOfFault(fault)};
        // Point at the offending byte itself where there is one (tokens hold no line feed).
        int at = fault == GRID_TOKEN_BAD_BYTE ? badIndex : 0;
        std::string why = GridTokenFaultText(fault);
        if (fault == GRID_TOKEN_BAD_BYTE)
            why = "\"" + Printable(token.text + at, 1) + "\" is " + why;
        std::fprintf(stderr, "%s:%u:%u: byte %llu: bad token \"%s\" (number %d): %s\n", name,
                     token.line, token.column + static_cast<unsigned>(at),
                     static_cast<unsigned long long>(token.offset + static_cast<unsigned>(at)),
                     Printable(token.text, token.length).c_str(), numbers, why.c_str());
    }
    bool more =
        tokenizer.failure.error == 0 && numbers == GRID_CELLS && GridTokenizerHasMore(&tokenizer);
    if (more)
        std::fprintf(stderr, "%s:%u:%u: note: the game reads 1200 numbers; the rest is ignored\n",
                     name, tokenizer.line, tokenizer.column);
    if (tokenizer.failure.error != 0) {
        std::fprintf(stderr, "%s:%u:%u: read failed: %s\n", name, tokenizer.line, tokenizer.column,
                     std::strerror(tokenizer.failure.error));
        if (bad++ == 0)
            first = tokenizer.failure;
    }
    GridFailure closed = CloseGridFile(file);
    if (closed.error != 0) {
        std::fprintf(stderr, "%s: close failed\n", name);
        if (bad++ == 0)
            first = closed;
    }
    if (bad == 0) {
        std::printf("%s: ok, %d numbers%s\n", name, numbers,
                    numbers < GRID_CELLS ? " (the rest of the grid is empty)" : "");
    } else {
        char text[64];
        FormatGridFailure(first, text, sizeof text);
        std::fprintf(stderr, "%s: %d problem%s; the game stops at the first with \"%s\"\n", name,
                     bad, bad == 1 ? "" : "s", text);
    }
    return bad;
}

int ArtToGrid(const char *artName, const char *gridName) {
    std::string art;
    if (!ReadWholeFile(artName, &art))
        return 1;
    Grid grid = {};
    int line = 0, column = 0, problems = 0;
    for (size_t i = 0; i < art.size(); ++i) {
        char ch = art[i];
        if (ch == '\n') {
            ++line;
            column = 0;
            continue;
        }
        if (ch == '\r' && i + 1 < art.size() && art[i + 1] == '\n')
            continue;
        unsigned char cell;
        if (ch == '#')
            cell = CELL_BLOCK;
        else if (ch == '.')
            cell = CELL_EMPTY;
        else if (ch == 'G')
            cell = CELL_GOAL;
        else {
            std::fprintf(stderr, "%s:%d:%d: '%c' is not # . or G\n", artName, line + 1, column + 1,
                         ch);
            ++problems;
            ++column;
            continue;
        }
        if (line >= GRID_ROWS || column >= GRID_COLS) {
            std::fprintf(stderr, "%s:%d:%d: outside the %d x %d grid\n", artName, line + 1,
                         column + 1, GRID_ROWS, GRID_COLS);
            ++problems;
            // One report per line is enough.
            while (i + 1 < art.size() && art[i + 1] != '\n')
                ++i;
            continue;
        }
        grid[line * GRID_COLS + column] = cell;
        ++column;
    }
    if (problems > 0)
        return 1;
    std::string out;
    for (int r = 0; r < GRID_ROWS; ++r) {
        for (int c = 0; c < GRID_COLS; ++c) {
            out += std::to_string(grid[r * GRID_COLS + c]);
            out += c + 1 < GRID_COLS ? ' ' : '\n';
        }
    }
    return WriteWholeFile(gridName, out) ? 0 : 1;
}

int GridToArt(const char *gridName, const char *artName) {
    GridFailure failure;
    Grid grid;
    HANDLE file = OpenGridFile(gridName, &failure);
    if (file != INVALID_HANDLE_VALUE) {
        failure = ReadGrid(grid, GridByteSource{ReadGridFileBytes, &file});
        GridFailure closed = CloseGridFile(file);
        if (failure.error == 0)
            failure = closed;
    }
    if (failure.error != 0) {
        CheckGridFile(gridName); // says exactly what is wrong
        return 1;
    }
    std::string out;
    int problems = 0;
    for (int r = 0; r < GRID_ROWS; ++r) {
        std::string line;
        for (int c = 0; c < GRID_COLS; ++c) {
            unsigned char cell = grid[r * GRID_COLS + c];
            if (cell == CELL_EMPTY)
                line += '.';
            else if (cell == CELL_BLOCK)
                line += '#';
            else if (cell == CELL_GOAL)
                line += 'G';
            else {
                std::fprintf(stderr, "%s: row %d, column %d holds %d, which text art cannot show\n",
                             gridName, r, c, cell);
                ++problems;
                line += '.';
            }
        }
        // Trailing empty cells are implied.
        line.erase(line.find_last_not_of('.') + 1);
        out += line + '\n';
    }
    if (problems > 0)
        return 1;
    return WriteWholeFile(artName, out) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "art2grid" && argc == 4)
        return ArtToGrid(argv[2], argv[3]);
    if (mode == "grid2art" && argc == 4)
        return GridToArt(argv[2], argv[3]);
    if (mode == "check" && argc >= 3) {
        int bad = 0;
        for (int i = 2; i < argc; ++i)
            bad += CheckGridFile(argv[i]) > 0 ? 1 : 0;
        return bad > 0 ? 1 : 0;
    }
    std::fputs(USAGE, mode == "-h" || mode == "--help" ? stdout : stderr);
    return mode == "-h" || mode == "--help" ? 0 : 2;
}
