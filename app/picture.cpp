// The window's picture as a file (see picture.h). Called by the frame (the view), by the
// commands that export and by main (`--export`). Loads the picture module at the first
// export; changes no GL state.
#include "app/picture.h"

#include "app/frame_request.h"
#include "app/interaction.h"
#include "app/parsimony_tools.h"
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

// The module's entry point, looked up at the first call. Returns nullptr, with the reason
// in *whyNot, when the module cannot be loaded.
PictureWriter LoadPictureWriter(std::string* whyNot) {
    static PictureWriter writer = nullptr;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        writer = reinterpret_cast<PictureWriter>(
            ModuleEntryPoint(kExportModuleName, "QuillmoorWritePicture", &failure));
    }
    if (writer == nullptr) *whyNot = failure;
    return writer;
}

struct Export {
    PictureWriter writer;
    const PictureJob* job;
};

bool WriteJob(std::FILE* out, void* context, std::string* whyNot) {
    const Export& work = *static_cast<const Export*>(context);
    char problem[300];
    if (work.writer(work.job, out, problem, sizeof problem) == 1) return true;
    *whyNot = problem;
    return false;
}

bool Refuse(const char* path, const std::string& problem, std::string* whyNot) {
    *whyNot = std::string(path) + ": " + problem;
    return false;
}

} // namespace

SceneView CurrentSceneView() {
    return {gDropTarget, gDragging ? gDragNode : nullptr, gPointerX, gPointerY,
            CurrentParsimonyView()};
}

bool ExportPicture(const char* path, std::string* whyNot) {
    PictureFormat format = PictureFormat::Png;
    if (!FormatOf(path, &format)) {
        return Refuse(path, "unknown picture format (use .png, .svg or .pdf)", whyNot);
    }
    if (gFontRenderer.GetFontCount() == 0) return Refuse(path, "no font is loaded", whyNot);
    std::string problem;
    const PictureWriter writer = LoadPictureWriter(&problem);
    if (writer == nullptr) return Refuse(path, "picture export unavailable: " + problem, whyNot);

    static Scene scene; // kept between exports, like the frame's
    BuildFrameScene(CurrentSceneView(), &scene);
    // Window-free callers (the command line, tests) have no window: the start-up size.
    int width = kStartWindowWidth;
    int height = kStartWindowHeight;
    if (HaveWindow()) {
        width = glutGet(GLUT_WINDOW_WIDTH);
        height = glutGet(GLUT_WINDOW_HEIGHT);
    }
    const PictureJob job{format,    &scene,
                         width,     height,
                         kPngScale, gFontRenderer.GetFont(gFontRenderer.GetActiveFont()).glyphs};
    Export work{writer, &job};
    return WriteFileReplacing(path, WriteJob, &work, whyNot);
}

bool ExportWithoutWindow(const char* picturePath, std::string* whyNot) {
    return TextInitWithoutWindow(kStartWindowWidth, kStartWindowHeight, whyNot) &&
           ExportPicture(picturePath, whyNot);
}
