// The scratch file of a fuzz target whose reader takes a path: made once at start-up,
// removed at exit, and rewritten with each input. Header-only, for the fuzz targets.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// A new empty file named after prefix in /tmp, removed when the process exits.
inline const std::string& MakeScratchFile(const char* prefix) {
    static std::string path;
    std::string pattern = std::string("/tmp/") + prefix + "_XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) std::abort();
    close(fd);
    path = pattern;
    std::atexit([] { std::remove(path.c_str()); });
    return path;
}

// Replaces the file's content with the input.
inline void WriteScratchFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}
