// Synthetic ".fnt" files for the font tests: a builder for the bytes and a temporary
// folder that removes itself. No GL.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

struct TestGlyph {
    std::uint32_t top = 0, left = 0, bottom = 0, right = 0, flag = 0;
    float ratio = 0.0f;
};

// A font file under construction; Bytes() lays it out exactly as the loader reads it.
struct TestFont {
    std::uint32_t id = 6666;
    std::uint32_t width = 4;
    std::uint32_t height = 4;
    std::uint32_t nativeHeight = 24;
    TestGlyph glyphs[256];
    std::string bitmap = std::string(16, '\xff'); // W x H coverage bytes

    // A present glyph of the given ratio over the whole bitmap.
    TestFont& Glyph(unsigned code, float ratio) {
        glyphs[code] = TestGlyph{0, 0, height, width, 1, ratio};
        return *this;
    }

    std::string Bytes() const {
        std::string out;
        Put(out, id);
        Put(out, width);
        Put(out, height);
        Put(out, nativeHeight);
        for (const TestGlyph& g : glyphs) {
            Put(out, g.top);
            Put(out, g.left);
            Put(out, g.bottom);
            Put(out, g.right);
            Put(out, g.flag);
            std::uint32_t bits;
            std::memcpy(&bits, &g.ratio, sizeof bits);
            Put(out, bits);
        }
        return out + bitmap;
    }

    static void Put(std::string& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>(v >> (8 * i)));
        }
    }
};

// A fresh folder under /tmp, removed with its files when the object goes.
class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/qm-font-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

    // Writes bytes to name inside the folder; returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string file = path_ + "/" + name;
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return file;
    }

  private:
    std::string path_;
};
