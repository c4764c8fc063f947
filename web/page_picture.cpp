// PNG pictures in the page (see page_picture.h). Called through the app's picture export,
// inside a frame before it clears. Creates and deletes a framebuffer, a texture and a
// renderbuffer; sets the viewport for the picture and puts the window's back; leaves
// texture 0 bound and the current colour and projections as the scene leaves them.
#include "web/page_picture.h"

#include "display/display.h"
#include "platform/web.h"

#include <GL/gl.h>
#include <GLES2/gl2.h>

#include <cstdio>
#include <vector>

namespace {

bool Refuse(char* whyNot, std::size_t size, const char* problem) {
    std::snprintf(whyNot, size, "%s", problem);
    return false;
}

// Draws the scene at width x height pixels and reads them back, rows from the bottom.
std::vector<unsigned char> DrawOffscreen(const Scene& scene, int width, int height) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLuint framebuffer = 0, colour = 0, depth = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    // WebGL 1 renders 8 bits a channel only into a texture, not into a renderbuffer.
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);

    std::vector<unsigned char> pixels;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        glViewport(0, 0, width, height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawScene(scene); // without the window's controls, as pictures are
        pixels.resize(static_cast<std::size_t>(width) * height * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &depth);
    glDeleteTextures(1, &colour);
    glDeleteFramebuffers(1, &framebuffer);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return pixels;
}

} // namespace

extern "C" int WritePagePicture(const PictureJob* job, std::FILE* out, char* whyNot,
                                std::size_t whyNotSize) {
    if (job->version != kPictureJobVersion)
        return Refuse(whyNot, whyNotSize, "the picture module is of another version");
    if (job->format != PictureFormat::Png) {
        return Refuse(whyNot, whyNotSize,
                      "the page writes PNG pictures; SVG and PDF come from the desktop program "
                      "or quillmoor --export");
    }
    const int width = static_cast<int>(job->width * job->pngScale);
    const int height = static_cast<int>(job->height * job->pngScale);
    // The job's items and text, back in a scene for the window's GL back end to replay.
    Scene scene;
    scene.items.assign(job->items, job->items + job->itemCount);
    scene.text.assign(job->text, job->text + job->textLength);
    scene.taxonCount = job->taxonCount;
    const std::vector<unsigned char> pixels = DrawOffscreen(scene, width, height);
    if (pixels.empty()) return Refuse(whyNot, whyNotSize, "the browser cannot draw the picture");
    const std::vector<unsigned char> png = EncodePng(pixels.data(), width, height);
    if (png.empty()) return Refuse(whyNot, whyNotSize, "the browser cannot make a PNG file");
    if (std::fwrite(png.data(), 1, png.size(), out) != png.size())
        return Refuse(whyNot, whyNotSize, "cannot write the picture");
    return 1;
}
