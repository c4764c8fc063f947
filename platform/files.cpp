// The program's own files, with no X and no GL: the folders its modules and data are
// found in (relative to the program's place, so an installed tree works under any prefix),
// and files written whole. Called by the platform layer, the font, the app and the NEXUS
// reader. Changes no GL state. Loading modules is modules.cpp's (the web build has none).
#include "platform/platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::vector<std::string> ModuleFolders() {
    std::vector<std::string> folders;
    const std::string program = ExecutableFolder();
    if (!program.empty()) {
        folders.push_back(program);
        folders.push_back(program + QM_MODULES_FROM_BIN "/");
    }
    folders.push_back(QM_MODULE_BUILD_DIR "/");
    return folders;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders{std::string()};
    const std::string program = ExecutableFolder();
    if (!program.empty()) {
        folders.push_back(program);
        folders.push_back(program + QM_DATA_FROM_BIN "/");
    }
    return folders;
}

std::string FindFileIn(const std::vector<std::string>& folders, const char* name) {
    for (const std::string& folder : folders) {
        const std::string path = folder + name;
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return path;
    }
    return std::string();
}

bool WriteFileReplacing(const char* path, FileWriter write, void* context, std::string* whyNot) {
    // A hidden name in the same folder, so that the rename never crosses file systems.
    const std::string target(path);
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = folder + "." + base + ".XXXXXX";
    auto fail = [&](const std::string& problem) {
        *whyNot = target + ": " + problem;
        return false;
    };
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) return fail(std::string("cannot write: ") + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* out = fdopen(fd, "wb");
    if (out == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return fail(std::string("cannot write: ") + std::strerror(errno));
    }
    std::string problem;
    bool written = write(out, context, &problem);
    if (written && (std::fflush(out) != 0 || std::ferror(out) != 0)) {
        written = false;
        problem = std::string("cannot write: ") + std::strerror(errno);
    }
    if (std::fclose(out) != 0 && written) {
        written = false;
        problem = std::string("cannot write: ") + std::strerror(errno);
    }
    if (written && std::rename(temporary.c_str(), path) != 0) {
        written = false;
        problem = std::string("cannot replace the file: ") + std::strerror(errno);
    }
    if (!written) {
        unlink(temporary.c_str());
        return fail(problem);
    }
    return true;
}
