// Bakes a TrueType font into the program's ".fnt" bitmap font with FreeType. Run by the
// build (tools/CMakeLists.txt) to make Another.fnt, and its page files for the code points
// past Latin-1, from DejaVu Sans; no GL, no globals beyond the tables below.
// Usage: font_baker FONT.ttf OUT.fnt LINE_HEIGHT [PAGE]
//   without PAGE: Latin-1 and the replacement character (Another.fnt);
//   with PAGE (hexadecimal, 1 to 10FF): the 256 code points PAGE00 to PAGEFF in slots 0-255.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// Latin-1 codes equal their Unicode code points; C0 and C1 controls stay absent.
struct CodeRange {
    unsigned first;
    unsigned last;
};
const CodeRange kBakedRanges[] = {{32, 126}, {160, 255}};

// The slot of DEL, which text never draws, holds the replacement character that the
// renderer shows for any code point past Latin-1. It is packed after every other cell,
// so that each of those keeps the place (and the pixels) it had before it was added.
constexpr unsigned kReplacementSlot = 127;
constexpr unsigned kReplacementCode = 0xFFFD;
// The page of U+10FF00 to U+10FFFF, the last one Unicode has.
constexpr unsigned long kLastPage = 0x10FF;

// Empty texels between cells and around the border, so that linear filtering at a cell
// edge blends only with transparent texels.
constexpr unsigned kGap = 1;

const unsigned kAtlasWidths[] = {128, 256, 512, 1024, 2048};

struct Cell {
    bool present = false;
    unsigned width = 0; // the glyph's advance in pixels
    float ratio = 0.0f; // the advance over the line height, as the file stores it
    unsigned left = 0;
    unsigned top = 0;
    std::vector<unsigned char> coverage; // width x line height
};

unsigned NextPowerOfTwo(unsigned v) {
    unsigned p = 1;
    while (p < v) {
        p <<= 1;
    }
    return p;
}

// The order in which cells are packed: every slot in code order; in Another.fnt the
// replacement last.
std::vector<unsigned> PackingOrder(bool replacementLast) {
    std::vector<unsigned> order;
    for (unsigned slot = 0; slot < 256; ++slot) {
        if (!replacementLast || slot != kReplacementSlot) {
            order.push_back(slot);
        }
    }
    if (replacementLast) {
        order.push_back(kReplacementSlot);
    }
    return order;
}

// Places the cells row by row, in packing order, in an atlas width wide. Returns the
// atlas height (a power of two), or 0 when a cell is wider than the atlas.
unsigned PackCells(std::vector<Cell>& cells, unsigned width, unsigned lineHeight,
                   bool replacementLast) {
    unsigned x = kGap;
    unsigned y = kGap;
    for (unsigned slot : PackingOrder(replacementLast)) {
        Cell& cell = cells[slot];
        if (!cell.present) {
            continue;
        }
        if (cell.width + 2 * kGap > width) {
            return 0;
        }
        if (x + cell.width + kGap > width) {
            x = kGap;
            y += lineHeight + kGap;
        }
        cell.left = x;
        cell.top = y;
        x += cell.width + kGap;
    }
    return NextPowerOfTwo(y + lineHeight + kGap);
}

// Renders one character into a cell of its advance by the full line height, the
// baseline at row baseline. Ink outside the cell is cut off. exactRatio 0 takes the
// hinted advance in whole pixels as the cell's width and ratio (Another.fnt); otherwise
// the ratio is exactRatio and the cell its nearest whole width. Returns false on a
// FreeType error.
bool RenderCell(FT_Face face, unsigned code, unsigned lineHeight, int baseline, double exactRatio,
                Cell& cell) {
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const long advance =
        exactRatio > 0.0 ? std::lround(exactRatio * lineHeight) : (slot->advance.x + 32) >> 6;
    cell.present = true;
    cell.width = static_cast<unsigned>(std::max(1L, advance));
    cell.ratio = exactRatio > 0.0 ? static_cast<float>(exactRatio)
                                  : static_cast<float>(cell.width) / static_cast<float>(lineHeight);
    cell.coverage.assign(static_cast<std::size_t>(cell.width) * lineHeight, 0);
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return bitmap.rows == 0 || bitmap.width == 0; // only blank glyphs come without grey
    }
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = baseline - slot->bitmap_top + static_cast<int>(row);
        if (y < 0 || y >= static_cast<int>(lineHeight)) {
            continue;
        }
        const unsigned char* src = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
        for (unsigned col = 0; col < bitmap.width; ++col) {
            const int x = slot->bitmap_left + static_cast<int>(col);
            if (x < 0 || x >= static_cast<int>(cell.width)) {
                continue;
            }
            unsigned char& dst = cell.coverage[static_cast<std::size_t>(y) * cell.width + x];
            dst = std::max(dst, src[col]);
        }
    }
    return true;
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
}

void PutFloat(std::vector<unsigned char>& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    Put32(out, bits);
}

// Lays out the file: header, 256 glyph entries (top, left, bottom, right, flag, ratio),
// then the bitmap rows.
std::vector<unsigned char> BuildFile(const std::vector<Cell>& cells, unsigned width,
                                     unsigned height, unsigned lineHeight) {
    std::vector<unsigned char> out;
    Put32(out, 6666);
    Put32(out, width);
    Put32(out, height);
    Put32(out, lineHeight);
    for (const Cell& cell : cells) {
        if (!cell.present) {
            for (int i = 0; i < 6; ++i) {
                Put32(out, 0);
            }
            continue;
        }
        Put32(out, cell.top);
        Put32(out, cell.left);
        Put32(out, cell.top + lineHeight);
        Put32(out, cell.left + cell.width);
        Put32(out, 1);
        PutFloat(out, cell.ratio);
    }
    std::vector<unsigned char> bitmap(static_cast<std::size_t>(width) * height, 0);
    for (const Cell& cell : cells) {
        for (unsigned y = 0; cell.present && y < lineHeight; ++y) {
            std::copy_n(&cell.coverage[static_cast<std::size_t>(y) * cell.width], cell.width,
                        &bitmap[static_cast<std::size_t>(cell.top + y) * width + cell.left]);
        }
    }
    out.insert(out.end(), bitmap.begin(), bitmap.end());
    return out;
}

// One character to bake: its slot in the file, its code point, and its advance over the
// line height (0: the hinted advance in whole pixels).
struct Baked {
    unsigned slot;
    unsigned code;
    double exactRatio;
};

// Another.fnt: Latin-1 in its own slots and the replacement character in the slot of DEL.
std::vector<Baked> LatinOneCharacters(FT_Face face) {
    std::vector<Baked> baked;
    for (const CodeRange& range : kBakedRanges) {
        for (unsigned code = range.first; code <= range.last; ++code) {
            baked.push_back({code, code, 0.0});
        }
    }
    // A font without the replacement character leaves the slot empty: the renderer then
    // draws a space there, as for any absent glyph.
    if (FT_Get_Char_Index(face, kReplacementCode) != 0) {
        baked.push_back({kReplacementSlot, kReplacementCode, 0.0});
    }
    return baked;
}

// A page file: every code point of the page that the font draws with an advance of its
// own. Characters the font lacks, and those of no advance (combining accents, zero-width
// marks: their ink lies over the character before them, outside any cell of theirs),
// stay absent, and the renderer shows them as the replacement glyph. The advance is the
// TrueType one, unrounded, in units of ascent + descent: the advance at which picture
// export sets the character, so the window and the pictures agree on every width.
std::vector<Baked> PageCharacters(FT_Face face, unsigned page) {
    std::vector<Baked> baked;
    const double cellUnits =
        static_cast<double>(face->ascender) - static_cast<double>(face->descender);
    for (unsigned slot = 0; slot < 256; ++slot) {
        const unsigned code = page << 8 | slot;
        const FT_UInt index = FT_Get_Char_Index(face, code);
        FT_Fixed advance = 0;
        if (index == 0 || FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &advance) != 0 ||
            advance <= 0) {
            continue;
        }
        baked.push_back({slot, code, static_cast<double>(advance) / cellUnits});
    }
    return baked;
}

int Fail(const char* what, const char* detail) {
    std::fprintf(stderr, "font_baker: %s: %s\n", what, detail);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: font_baker FONT.ttf OUT.fnt LINE_HEIGHT [PAGE]\n");
        return 2;
    }
    const char* fontPath = argv[1];
    const char* outPath = argv[2];
    const long lineHeightArg = std::strtol(argv[3], nullptr, 10);
    if (lineHeightArg < 4 || lineHeightArg > 256) {
        return Fail("line height must be 4 to 256 pixels", argv[3]);
    }
    const unsigned lineHeight = static_cast<unsigned>(lineHeightArg);
    unsigned page = 0; // 0: Another.fnt itself
    if (argc == 5) {
        char* end = nullptr;
        const unsigned long pageArg = std::strtoul(argv[4], &end, 16);
        if (*argv[4] == '\0' || *end != '\0' || pageArg < 1 || pageArg > kLastPage) {
            return Fail("page must be 1 to 10FF (hexadecimal)", argv[4]);
        }
        page = static_cast<unsigned>(pageArg);
    }

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        return Fail("cannot start FreeType", fontPath);
    }
    FT_Face face;
    if (FT_New_Face(library, fontPath, 0, &face) != 0 || !FT_IS_SCALABLE(face)) {
        FT_Done_FreeType(library);
        return Fail("cannot open a scalable font", fontPath);
    }

    // Scale the em so that ascent + descent fill the line height exactly; the baseline
    // splits the cell in the font's own ascent to descent proportion.
    const double ascent = face->ascender;
    const double descent = -static_cast<double>(face->descender);
    const double emPixels = lineHeight * face->units_per_EM / (ascent + descent);
    const int baseline = static_cast<int>(std::lround(lineHeight * ascent / (ascent + descent)));
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(emPixels * 64.0)), 72, 72);

    const std::vector<Baked> baked =
        page == 0 ? LatinOneCharacters(face) : PageCharacters(face, page);
    std::vector<Cell> cells(256);
    for (const Baked& b : baked) {
        if (!RenderCell(face, b.code, lineHeight, baseline, b.exactRatio, cells[b.slot])) {
            FT_Done_Face(face);
            FT_Done_FreeType(library);
            return Fail("cannot render a character of", fontPath);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    // The smallest atlas wins; of equal areas the squarer one.
    unsigned bestWidth = 0;
    unsigned bestHeight = 0;
    for (unsigned width : kAtlasWidths) {
        const unsigned height = PackCells(cells, width, lineHeight, page == 0);
        if (height == 0) {
            continue;
        }
        const unsigned long long area = 1ULL * width * height;
        const unsigned long long bestArea = 1ULL * bestWidth * bestHeight;
        if (bestWidth == 0 || area < bestArea ||
            (area == bestArea && std::max(width, height) < std::max(bestWidth, bestHeight))) {
            bestWidth = width;
            bestHeight = height;
        }
    }
    if (bestWidth == 0) {
        return Fail("glyphs do not fit any atlas", fontPath);
    }
    PackCells(cells, bestWidth, lineHeight, page == 0);

    const std::vector<unsigned char> file = BuildFile(cells, bestWidth, bestHeight, lineHeight);
    const std::string temporary = std::string(outPath) + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        return Fail("cannot write", temporary.c_str());
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), outPath) != 0) {
        std::remove(temporary.c_str());
        return Fail("cannot write", outPath);
    }
    std::printf("font_baker: %s: %ux%u bitmap, line height %u\n", outPath, bestWidth, bestHeight,
                lineHeight);
    return 0;
}
