// The cairo back end of the scene: draws a frame's items as a PNG, SVG or PDF picture.
// Built as libquillmoor_export.so and loaded by the app at the first export; called only
// through QuillmoorWritePicture. Text is set in the TrueType font the window's bitmap
// font was baked from, at the bitmap font's advances, so it lands where the window puts it.
#include "export/picture_module.h"

#include "display/geometry.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#ifndef QM_FONT_SOURCE
#define QM_FONT_SOURCE "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
#endif

namespace {

constexpr double kPdfPointsPerPixel = 0.75; // a CSS pixel: 96 to the inch
constexpr double kTwoPi = 6.283185307179586;
constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// The TrueType face, loaded once for the module's lifetime: cairo's font cache may hold
// the face past any one picture.
struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    cairo_font_face_t* cairoFace = nullptr;
    double ascentShare = 0.8; // of a glyph cell above the baseline
    double emPerCell = 1.0;   // em size over cell height
};

// Returns the font, or nullptr when the file cannot be read as a scalable font.
const Font* LoadFont(const char* path) {
    static Font font;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (FT_Init_FreeType(&font.library) != 0) return nullptr;
        if (FT_New_Face(font.library, path, 0, &font.face) != 0 || !FT_IS_SCALABLE(font.face)) {
            font.face = nullptr;
            return nullptr;
        }
        // The cell split the font baker uses: ascent and descent fill the cell exactly.
        const double ascent = font.face->ascender;
        const double descent = -static_cast<double>(font.face->descender);
        font.ascentShare = ascent / (ascent + descent);
        font.emPerCell = font.face->units_per_EM / (ascent + descent);
        font.cairoFace = cairo_ft_font_face_create_for_ft_face(font.face, 0);
    }
    return font.cairoFace != nullptr ? &font : nullptr;
}

struct Canvas {
    cairo_t* cr;
    const PictureJob& job;
    const Font& font;
    std::vector<cairo_glyph_t> glyphs;          // one text run's, reused
    std::vector<cairo_text_cluster_t> clusters; // one per character
    std::string utf8;                           // the run as valid UTF-8
    std::vector<std::uint32_t> codes;           // its characters
};

// Tree units onto window pixels, as the tree projection maps them onto the viewport.
void TreeSpace(Canvas& canvas) {
    const TreeView view = TreeViewOf(canvas.job.taxonCount);
    cairo_scale(canvas.cr, canvas.job.width / view.Width(), canvas.job.height / view.Height());
    cairo_translate(canvas.cr, -view.left, -view.top);
}

// Percent of the window onto window pixels.
void WindowSpace(Canvas& canvas) {
    cairo_scale(canvas.cr, PercentToPixels(1.0, canvas.job.width),
                PercentToPixels(1.0, canvas.job.height));
}

// One coordinate system per SceneSpace, in its order.
using SpaceSetter = void (*)(Canvas& canvas);
const SpaceSetter kSpaces[] = {TreeSpace, WindowSpace};

// Saves the state and enters the item's space; Fill and Stroke restore it.
void Enter(Canvas& canvas, const SceneItem& item) {
    cairo_save(canvas.cr);
    kSpaces[static_cast<std::size_t>(item.space)](canvas);
}

void Fill(Canvas& canvas, const float rgb[3]) {
    cairo_set_source_rgb(canvas.cr, rgb[0], rgb[1], rgb[2]);
    cairo_fill(canvas.cr);
    cairo_restore(canvas.cr);
}

// Strokes the path built in the item's space with a width in window pixels.
void Stroke(Canvas& canvas, const float rgb[3], double width) {
    cairo_restore(canvas.cr);
    cairo_set_source_rgb(canvas.cr, rgb[0], rgb[1], rgb[2]);
    cairo_set_line_width(canvas.cr, width);
    cairo_stroke(canvas.cr);
}

void MarkerPath(Canvas& canvas, const SceneMarker& marker) {
    cairo_move_to(canvas.cr, MarkerCornerX(marker, 0), MarkerCornerY(marker, 0));
    for (int k = 1; k < 3; ++k)
        cairo_line_to(canvas.cr, MarkerCornerX(marker, k), MarkerCornerY(marker, k));
    cairo_close_path(canvas.cr);
}

// The window's disc is a fan of wedges shaded from the centre to the rim; a radial
// gradient over the same polygon keeps that shading as one vector shape.
void PaintDisc(Canvas& canvas, const SceneItem& item) {
    const SceneDisc& d = item.disc;
    Enter(canvas, item);
    for (int k = 0; k < kDiscWedges; ++k) {
        const double angle = kTwoPi * k / kDiscWedges;
        cairo_line_to(canvas.cr, d.x + d.radius * std::cos(angle),
                      d.y + d.radius * std::sin(angle));
    }
    cairo_close_path(canvas.cr);
    cairo_pattern_t* shade = cairo_pattern_create_radial(d.x, d.y, 0.0, d.x, d.y, d.radius);
    cairo_pattern_add_color_stop_rgb(shade, 0.0, d.centre[0], d.centre[1], d.centre[2]);
    cairo_pattern_add_color_stop_rgb(shade, 1.0, d.rim[0], d.rim[1], d.rim[2]);
    cairo_set_source(canvas.cr, shade);
    cairo_pattern_destroy(shade);
    cairo_fill(canvas.cr);
    cairo_restore(canvas.cr);
}

void PaintQuad(Canvas& canvas, const SceneItem& item) {
    Enter(canvas, item);
    for (const auto& corner : item.quad.corners)
        cairo_line_to(canvas.cr, corner[0], corner[1]);
    cairo_close_path(canvas.cr);
    Fill(canvas, item.quad.rgb);
}

void PaintRect(Canvas& canvas, const SceneItem& item) {
    const SceneRect& r = item.rect;
    Enter(canvas, item);
    cairo_rectangle(canvas.cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    Fill(canvas, r.rgb);
}

void PaintMarker(Canvas& canvas, const SceneItem& item) {
    Enter(canvas, item);
    MarkerPath(canvas, item.marker);
    Fill(canvas, item.marker.rgb);
}

void PaintOutline(Canvas& canvas, const SceneItem& item) {
    Enter(canvas, item);
    MarkerPath(canvas, item.marker);
    Stroke(canvas, item.marker.rgb, kOutlineWidth);
}

void PaintArc(Canvas& canvas, const SceneItem& item) {
    const SceneArc& arc = item.arc;
    const ArcFrame frame = ArcFrameOf(arc);
    const double turn = frame.turnDegrees * kTwoPi / 360.0;
    Enter(canvas, item);
    ForEachArcAngle([&](float d) {
        const double u = frame.halfChord + frame.halfChord * std::cos(d);
        const double v = frame.bulge * std::sin(d);
        cairo_line_to(canvas.cr, arc.fromX + u * std::cos(turn) - v * std::sin(turn),
                      arc.fromY + u * std::sin(turn) + v * std::cos(turn));
    });
    Stroke(canvas, arc.rgb, canvas.job.width * arc.widthAt800 / 800.0);
}

// UTF-8 lead bytes: the bits of the code point they carry, how many continuation bytes
// follow, and the smallest code point that needs that many (anything smaller is an
// overlong form, which is not UTF-8).
struct LeadRange {
    unsigned first, last;
    unsigned payload;
    int following;
    std::uint32_t smallest;
};
const LeadRange kLeadRanges[] = {{0x00, 0x7F, 0x7F, 0, 0},
                                 {0xC2, 0xDF, 0x1F, 1, 0x80},
                                 {0xE0, 0xEF, 0x0F, 2, 0x800},
                                 {0xF0, 0xF4, 0x07, 3, 0x10000}};

const LeadRange* LeadOf(unsigned char byte) {
    for (const LeadRange& range : kLeadRanges) {
        if (byte >= range.first && byte <= range.last) return &range;
    }
    return nullptr;
}

// Code points of text: its UTF-8 when the whole run is valid UTF-8, else one Latin-1
// character a byte, so that no file's bytes can make the run invalid for cairo.
void DecodeRun(const char* text, std::size_t length, std::vector<std::uint32_t>& out) {
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < length;) {
        const LeadRange* lead = LeadOf(s[i]);
        bool valid = lead != nullptr && length - i > static_cast<std::size_t>(lead->following);
        std::uint32_t cp = valid ? s[i] & lead->payload : 0;
        for (int k = 1; valid && k <= lead->following; ++k) {
            valid = (s[i + k] & 0xC0) == 0x80;
            cp = cp << 6 | (s[i + k] & 0x3F);
        }
        // Surrogates and values past U+10FFFF are not UTF-8 either.
        valid = valid && cp >= lead->smallest && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (!valid) {
            out.assign(s, s + length);
            return;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(lead->following) + 1;
    }
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | cp >> (6 * extra));
    for (int k = extra - 1; k >= 0; --k)
        out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

// Glyph cells as the text layer makes them: the cell's top at the run's y, its height from
// the size, the advance of a character its ratio in the baked glyph table times the cell
// height (an absent character advances as a blank). Characters past Latin-1, which the
// table does not hold, advance as the TrueType font says.

void PaintText(Canvas& canvas, const SceneItem& item) {
    const SceneText& run = item.text;
    const Font& font = canvas.font;
    const double cell = PercentToPixels(run.height, canvas.job.height);
    const double em = cell * font.emPerCell;
    double pen = PercentToPixels(run.x, canvas.job.width);
    const double baseline = PercentToPixels(run.y, canvas.job.height) + cell * font.ascentShare;

    std::vector<std::uint32_t>& codes = canvas.codes;
    DecodeRun(canvas.job.text + run.offset, run.length, codes);
    canvas.glyphs.clear();
    canvas.clusters.clear();
    canvas.utf8.clear();
    for (std::uint32_t cp : codes) {
        const std::size_t before = canvas.utf8.size();
        AppendUtf8(canvas.utf8, cp);
        double advance = 0.0;
        unsigned long index = 0;
        if (cp < 256) {
            const LGlyph& baked =
                canvas.job.glyphs[cp].present ? canvas.job.glyphs[cp] : canvas.job.glyphs[' '];
            advance = cell * baked.widthRatio;
            index = FT_Get_Char_Index(font.face, canvas.job.glyphs[cp].present ? cp : ' ');
        } else {
            index = FT_Get_Char_Index(font.face, cp);
            // A character the font lacks shows as the replacement mark, never as a box.
            if (index == 0) index = FT_Get_Char_Index(font.face, kReplacementCharacter);
            if (FT_Load_Glyph(font.face, static_cast<FT_UInt>(index), FT_LOAD_NO_SCALE) == 0) {
                advance = font.face->glyph->advance.x * em / font.face->units_per_EM;
            }
        }
        canvas.glyphs.push_back({index, pen, baseline});
        canvas.clusters.push_back({static_cast<int>(canvas.utf8.size() - before), 1});
        pen += advance;
    }
    if (canvas.glyphs.empty()) return;
    cairo_set_font_face(canvas.cr, font.cairoFace);
    cairo_set_font_size(canvas.cr, em);
    cairo_set_source_rgb(canvas.cr, run.rgb[0], run.rgb[1], run.rgb[2]);
    cairo_show_text_glyphs(canvas.cr, canvas.utf8.data(), static_cast<int>(canvas.utf8.size()),
                           canvas.glyphs.data(), static_cast<int>(canvas.glyphs.size()),
                           canvas.clusters.data(), static_cast<int>(canvas.clusters.size()),
                           static_cast<cairo_text_cluster_flags_t>(0));
}

void PaintNothing(Canvas&, const SceneItem&) {}

// One painter per item kind, in the order of SceneKind. The window's controls are not
// part of the picture.
using Painter = void (*)(Canvas& canvas, const SceneItem& item);
const Painter kPainters[] = {PaintDisc,    PaintQuad, PaintRect, PaintMarker,
                             PaintOutline, PaintArc,  PaintText, PaintNothing};
static_assert(std::size(kPainters) == static_cast<std::size_t>(SceneKind::Count),
              "one cairo painter per scene item kind");

void Paint(Canvas& canvas, const SceneItem& item) {
    kPainters[static_cast<std::size_t>(item.kind)](canvas, item);
}

// The window shows depth-tested tree items by depth, larger z in front; of two at the same
// depth the one drawn first stays (the depth test passes only nearer fragments). Window
// items (text) are drawn without the depth test, in list order, after all of them.
void PaintScene(Canvas& canvas) {
    const SceneItem* const items = canvas.job.items;
    const std::size_t count = canvas.job.itemCount;
    std::vector<const SceneItem*> tree;
    for (std::size_t i = count; i-- > 0;) {
        if (items[i].space == SceneSpace::Tree) tree.push_back(&items[i]);
    }
    // The list is reversed first, so that a stable sort puts the earlier of equal depths on top.
    std::stable_sort(tree.begin(), tree.end(),
                     [](const SceneItem* a, const SceneItem* b) { return a->z < b->z; });
    cairo_set_source_rgb(canvas.cr, 1.0, 1.0, 1.0);
    cairo_paint(canvas.cr);
    for (const SceneItem* item : tree)
        Paint(canvas, *item);
    for (std::size_t i = 0; i < count; ++i) {
        if (items[i].space == SceneSpace::Window) Paint(canvas, items[i]);
    }
}

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
    std::FILE* out = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, out) == length ? CAIRO_STATUS_SUCCESS
                                                       : CAIRO_STATUS_WRITE_ERROR;
}

struct PngErrors {
    char* whyNot;
    std::size_t size;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    const PngErrors* errors = static_cast<const PngErrors*>(png_get_error_ptr(png));
    std::snprintf(errors->whyNot, errors->size, "cannot write the picture: %s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Writes the image surface to out as an 8-bit RGB PNG. cairo's own PNG writer tries every
// row filter at zlib's default level, which took three quarters of the time of a 19-taxon
// export; the picture is mostly flat colour, where no filter and the fastest level give a
// file of about the same size in a fifth of the time. Returns false with the problem in
// whyNot. (Only C objects live between the setjmp and a libpng error's longjmp.)
bool WritePng(cairo_surface_t* surface, std::FILE* out, char* whyNot, std::size_t size) {
    PngErrors errors{whyNot, size};
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, OnPngError, OnPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(whyNot, size, "cannot write the picture: out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    // cairo keeps each pixel as a native 32-bit 0xXXRRGGBB; libpng drops the unused byte.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_set_bgr(png);
#else
    png_set_filler(png, 0, PNG_FILLER_BEFORE);
#endif
    for (int y = 0; y < height; ++y) {
        png_write_row(png, pixels + static_cast<std::ptrdiff_t>(y) * stride);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The surface of the format writing to out, and the window pixels per surface unit.
cairo_surface_t* CreateSurface(const PictureJob& job, std::FILE* out, double* scale) {
    switch (job.format) {
    case PictureFormat::Png:
        *scale = job.pngScale;
        return cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                          static_cast<int>(std::lround(job.width * job.pngScale)),
                                          static_cast<int>(std::lround(job.height * job.pngScale)));
    case PictureFormat::Svg: {
        *scale = 1.0;
        cairo_surface_t* surface =
            cairo_svg_surface_create_for_stream(WriteToFile, out, job.width, job.height);
        cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
        return surface;
    }
    case PictureFormat::Pdf:
        *scale = kPdfPointsPerPixel;
        return cairo_pdf_surface_create_for_stream(WriteToFile, out, job.width * kPdfPointsPerPixel,
                                                   job.height * kPdfPointsPerPixel);
    }
    return nullptr;
}

int Fail(char* whyNot, std::size_t size, const char* what, const char* detail) {
    std::snprintf(whyNot, size, "%s%s%s", what, detail[0] != '\0' ? ": " : "", detail);
    return 0;
}

} // namespace

extern "C" int QuillmoorWritePicture(const PictureJob* job, std::FILE* out, char* whyNot,
                                     std::size_t whyNotSize) {
    if (job->version != kPictureJobVersion)
        return Fail(whyNot, whyNotSize, "the picture module is of another version", "");
    const Font* font = LoadFont(QM_FONT_SOURCE);
    if (font == nullptr) return Fail(whyNot, whyNotSize, "cannot load the font", QM_FONT_SOURCE);

    double scale = 1.0;
    cairo_surface_t* surface = CreateSurface(*job, out, &scale);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    cairo_font_options_t* options = cairo_font_options_create();
    // Vector text keeps the outlines' own shapes and advances; no fitting to a pixel grid.
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    Canvas canvas{cr, *job, *font, {}, {}, {}, {}};
    PaintScene(canvas);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    bool written = true;
    if (status == CAIRO_STATUS_SUCCESS && job->format == PictureFormat::Png) {
        written = WritePng(surface, out, whyNot, whyNotSize);
    }
    cairo_surface_finish(surface);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        return Fail(whyNot, whyNotSize, "cannot draw the picture", cairo_status_to_string(status));
    }
    return written ? 1 : 0;
}
