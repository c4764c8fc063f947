// Pictures in the page: the entry point that takes the place of the picture module
// (export/, cairo, which cannot be built for the browser). Linked into the page's program
// and handed out by the web platform layer under the module's name.
#pragma once

#include "export/picture_module.h"

// QuillmoorWritePicture's contract (export/picture_module.h), for PNG only: the scene is
// drawn by the window's own GL back end into an offscreen framebuffer of the picture's
// size, read back and made PNG by the browser. SVG and PDF are refused with a reason that
// names where they come from. Needs the page's GL context; leaves the window's
// framebuffer and viewport bound as they were.
extern "C" int WritePagePicture(const PictureJob* job, std::FILE* out, char* whyNot,
                                std::size_t whyNotSize);
