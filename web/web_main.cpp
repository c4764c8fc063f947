// The page's program: the editor of app/ in the browser's canvas. Hands the web platform
// layer the entry points linked in for the desktop's modules (the NCL reader, the page's
// PNG writer) and the file types it downloads, starts the editor as main.cpp does, opens
// the example named in the page's address (its program argument), and keeps the tree in
// the browser after every frame. The page opens chosen and dropped files through
// OpenChosenFile; its other entry points are exported below.
#include "app/command_line.h"
#include "app/guard.h"
#include "app/loading.h"
#include "app/shell.h"
#include "nexus/nexus_module.h"
#include "platform/web.h"
#include "web/kept_tree.h"
#include "web/page_picture.h"

#include <emscripten.h>
#include <GL/freeglut.h>

#include <iterator>

namespace {

const LinkedEntryPoint kLinkedEntryPoints[] = {
    {kNexusModuleName, "QuillmoorReadNexus", reinterpret_cast<void*>(&QuillmoorReadNexus)},
    {kNexusModuleName, "QuillmoorReleaseNexus", reinterpret_cast<void*>(&QuillmoorReleaseNexus)},
    {kExportModuleName, "QuillmoorWritePicture", reinterpret_cast<void*>(&WritePagePicture)},
};
// A tree downloads as Newick, a picture as PNG (the one format the page writes).
const char* const kDownloadTypes[] = {"nwk", "png"};

// A data or tree file, as on the desktop's command line or from its chooser; a data file
// loaded starts a new history, whose kept tree the page may offer back.
bool OpenFromPage(const char* path, Audience audience) {
    if (!OpenAnyFile(path, audience)) return false;
    if (!IsTreeFileName(path)) NoteDataFileLoaded();
    return true;
}

void OpenChosenFile(const char* path) {
    RunGuarded([path] { OpenFromPage(path, Audience::Editor); });
}

// The shell's frame, then the tree kept when the frame's events changed it.
void PageFrame() {
    DisplayFrame();
    RunGuarded(KeepTreeIfChanged);
}

} // namespace

extern "C" {
// The page's answers to the offer of a kept tree.
EMSCRIPTEN_KEEPALIVE void QuillmoorBringBackTree() {
    RunGuarded(BringBackKeptTree);
}
EMSCRIPTEN_KEEPALIVE void QuillmoorForgetKeptTree() {
    RunGuarded(ForgetKeptTreeOffer);
}
// Frames drawn since start-up, for the page's tests of an idle page.
EMSCRIPTEN_KEEPALIVE unsigned long QuillmoorFramesDrawn() {
    return gFramesDrawn;
}
}

int main(int argc, char** argv) {
    SetLinkedEntryPoints(kLinkedEntryPoints, static_cast<int>(std::size(kLinkedEntryPoints)));
    SetDownloadTypes(kDownloadTypes, static_cast<int>(std::size(kDownloadTypes)));
    SetChosenFileHandler(OpenChosenFile);
    glutInit(&argc, argv);
    const char* dataFile = nullptr;
    const char* treeFile = nullptr;
    if (!FindDataFileArgument(argc, argv, &dataFile, stderr, &treeFile)) return 2;
    RunGuarded([&] {
        StartEditor();
        glutDisplayFunc(PageFrame);
        if (dataFile != nullptr && OpenFromPage(dataFile, Audience::CommandLine) &&
            treeFile != nullptr)
            OpenFromPage(treeFile, Audience::CommandLine);
    });
    glutMainLoop();
    return 0;
}
