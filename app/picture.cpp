// The window's picture as a file (see picture.h). Called by the frame (the view), by the
// commands that export and by main (`--export`). Looks up the picture module's entry
// point at each export (the platform's loader opens it once); changes no GL state.
#include "app/picture.h"

#include "app/frame_request.h"
#include "app/interaction.h"
#include "app/parsimony_tools.h"
#include "app/reconstruction_views.h"
#include "base/files.h"
#include "display/display.h"
#include "export/picture_module.h"
#include "font/font_renderer.h"
#include "font/text.h"
#include "platform/platform.h"

#include <GL/freeglut.h>
#include <strings.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr double kPngScale = 2.0; // PNG pixels per window pixel

struct FormatName {
    const char* extension;
    PictureFormat format;
};
const FormatName kFormats[] = {
    {".png", PictureFormat::Png},
    {".svg", PictureFormat::Svg},
    {".pdf", PictureFormat::Pdf},
};

// The format named by the extension of path's base name (in any case); false for none.
bool FormatOf(const char* path, PictureFormat* format) {
    const char* dot = std::strrchr(path, '.');
    const char* slash = std::strrchr(path, '/');
    if (dot == nullptr || (slash != nullptr && dot < slash)) return false;
    for (const FormatName& name : kFormats) {
        if (strcasecmp(dot, name.extension) == 0) {
            *format = name.format;
            return true;
        }
    }
    return false;
}

using PictureWriter = decltype(&QuillmoorWritePicture);

struct Export {
    PictureWriter writer;
    const PictureJob* job;
};

bool WriteJob(std::FILE* out, void* context, std::string* problem) {
    const Export& work = *static_cast<const Export*>(context);
    char text[300];
    if (work.writer(work.job, out, text, sizeof text) == 1) return true;
    *problem = text;
    return false;
}

bool Refuse(const char* path, const std::string& problem, Refusal* refusal) {
    if (refusal != nullptr) *refusal = Refusal{path, 0, 0, problem};
    return false;
}

} // namespace

SceneView CurrentSceneView() {
    return {gDropTarget, gDragging ? gDragNode : nullptr, gPointerX,
            gPointerY,   CurrentParsimonyView(),          CurrentReconstructionView()};
}

bool ExportPicture(const char* path, Refusal* refusal) {
    PictureFormat format = PictureFormat::Png;
    if (!FormatOf(path, &format)) {
        return Refuse(path, "unknown picture format (use .png, .svg or .pdf)", refusal);
    }
    if (gFontRenderer.GetFontCount() == 0) return Refuse(path, "no font is loaded", refusal);
    std::string problem;
    const auto writer = reinterpret_cast<PictureWriter>(
        ModuleEntryPoint(kExportModuleName, "QuillmoorWritePicture", &problem));
    if (writer == nullptr) return Refuse(path, "picture export unavailable: " + problem, refusal);

    static Scene scene; // kept between exports, like the frame's
    BuildFrameScene(CurrentSceneView(), &scene);
    // Window-free callers (the command line, tests) have no window: the start-up size.
    int width = kStartWindowWidth;
    int height = kStartWindowHeight;
    if (HaveWindow()) {
        width = glutGet(GLUT_WINDOW_WIDTH);
        height = glutGet(GLUT_WINDOW_HEIGHT);
    }
    const PictureJob job{kPictureJobVersion,
                         format,
                         scene.items.data(),
                         scene.items.size(),
                         scene.text.data(),
                         scene.text.size(),
                         scene.taxonCount,
                         width,
                         height,
                         kPngScale,
                         gFontRenderer.GetFont(gFontRenderer.GetActiveFont()).glyphs};
    Export work{writer, &job};
    return WriteFileReplacing(path, WriteJob, &work, refusal);
}

bool ExportWithoutWindow(const char* picturePath, Refusal* refusal) {
    return TextInitWithoutWindow(kStartWindowWidth, kStartWindowHeight, refusal) &&
           ExportPicture(picturePath, refusal);
}
