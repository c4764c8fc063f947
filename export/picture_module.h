// The interface of the picture module (cairo), which the app loads with dlopen at the
// first export so that start-up does not load cairo. One plain C entry point, looked up
// by name, and one versioned struct of plain data: the scene's items as an array, the
// bytes of its text, and the sizes.
#pragma once

#include <cstddef>
#include <cstdio>

#include "display/scene.h"
#include "font/font_file.h"

// The module's file name; the platform layer knows the folders to look in.
constexpr const char kExportModuleName[] = "libquillmoor_export.so";

enum class PictureFormat : int { Png, Svg, Pdf };

// The caller sets version to kPictureJobVersion; the module refuses any other.
constexpr int kPictureJobVersion = 1;

struct PictureJob {
    int version;
    PictureFormat format;
    const SceneItem* items; // itemCount items as BuildFrameScene makes them, in order
    std::size_t itemCount;
    const char* text; // the bytes the text items point into (Scene::text)
    std::size_t textLength;
    int taxonCount;       // N of the tree space (Scene::taxonCount)
    int width;            // the window's size in pixels: SVG in pixels, PDF in
    int height;           //   pixels of 0.75 pt, PNG in pixels times pngScale
    double pngScale;      // PNG pixels per window pixel
    const LGlyph* glyphs; // the text layer's 256 glyph entries: the advances of text
};

extern "C" {
// Draws the job's scene and writes it to out in the job's format: every item but the
// window's controls, the depth-tested ones back to front as the depth test would show
// them, then the text runs in list order. Returns 1 when the whole picture was written to
// out; 0 with the problem in whyNot (whyNotSize bytes, always terminated) otherwise.
int QuillmoorWritePicture(const PictureJob* job, std::FILE* out, char* whyNot,
                          std::size_t whyNotSize);
}
