// libFuzzer target for the ".fnt" parser (the part of LoadFont before the texture
// upload). Besides memory errors it checks what the parser promises: outputs untouched
// on failure, and on success an image of exactly 2 x W x H bytes in matching pairs.
#include "font/font_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    LFont font;
    font.nativeHeight = 0xDEADu;
    FontImage image;
    // A small largest side keeps valid inputs cheap; larger files only take longer.
    Refusal refusal;
    if (!ReadFontFile(in, 1024, font, image, &refusal)) {
        if (font.nativeHeight != 0xDEADu || image.texels || image.width != 0 ||
            refusal.text.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    if (pixels == 0 || size < 6160 + pixels || image.width > 1024 || image.height > 1024) {
        std::abort();
    }
    for (std::size_t i = 0; i < pixels; ++i) {
        if (image.texels[2 * i] != data[6160 + i] || image.texels[2 * i + 1] != data[6160 + i]) {
            std::abort();
        }
    }
    return 0;
}
