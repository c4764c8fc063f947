// Whole-file reads and writes (see files.h). Called by the readers (data and tree files)
// and by the app's save and export. No GL state.
#include "base/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// What a file that is not a regular file is, for the refusal. A folder keeps the
// message it always had: it opens, but reading it fails.
const struct {
    mode_t type;
    const char* problem;
} kFileTypeProblems[] = {
    {S_IFDIR, "cannot read the file"},
    {S_IFIFO, "not a regular file but a FIFO"},
    {S_IFCHR, "not a regular file but a device"},
    {S_IFBLK, "not a regular file but a device"},
    {S_IFSOCK, "not a regular file but a socket"},
};

// Closes the descriptor whatever way the work ends.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

bool Refuse(Refusal* refusal, const char* path, int line, const std::string& problem) {
    if (refusal != nullptr) *refusal = Refusal{path, line, 0, problem};
    return false;
}

// A temporary of a killed run is left alone for this long when its process may still be
// alive (its number may have been given to another process since).
constexpr std::time_t kStaleSeconds = 60 * 60;
constexpr int kMostLinks = 40; // as the kernel: past this, a loop of links

// The file a symbolic link at path finally names (path itself when it is none), or ""
// for a loop of links. A link that dangles names the file it would point at.
std::string FollowLinks(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return target;
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = readlink(target.c_str(), &link[0], link.size());
        if (length < 0) return target;
        link.resize(static_cast<std::size_t>(length));
        const std::string::size_type slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? link
                                                              : target.substr(0, slash + 1) + link;
    }
    return std::string();
}

// "name" is ".BASE.PID.XXXXXX" for base: the pid in *pid.
bool IsTemporaryOf(const std::string& name, const std::string& base, long* pid) {
    const std::string head = "." + base + ".";
    if (name.compare(0, head.size(), head) != 0) return false;
    const std::string rest = name.substr(head.size());
    const std::string::size_type dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || dot > 9 || rest.size() - dot - 1 != 6) return false;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto letter = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    if (!std::all_of(rest.begin(), rest.begin() + static_cast<long>(dot), digit) ||
        !std::all_of(rest.begin() + static_cast<long>(dot) + 1, rest.end(), letter))
        return false;
    *pid = std::atol(rest.substr(0, dot).c_str());
    return true;
}

// Removes the temporaries of target's base name in folder that a killed run left: our
// own files whose process is gone, or that nobody has written for an hour. A live
// writer's file is never touched.
void RemoveStaleTemporaries(const std::string& folder, const std::string& base) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        long pid = 0;
        if (!IsTemporaryOf(entry->d_name, base, &pid)) continue;
        const std::string path = folder + entry->d_name;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        const bool gone = pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        if (gone || now - info.st_mtime > kStaleSeconds) unlink(path.c_str());
    }
    closedir(dir);
}

// Makes the rename itself last through a crash; a folder that cannot be synced costs
// nothing worse than before.
void SyncFolder(const std::string& folder) {
    FileDescriptor dir{
        open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) fsync(dir.fd);
}

std::string Problem(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

bool ReadWholeFile(const char* path, std::string* bytes, Refusal* refusal) {
    // Non-blocking, so that a FIFO without a writer cannot hold the window in open().
    FileDescriptor file{open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return Refuse(refusal, path, 0, kCannotOpen);
    struct stat info;
    if (fstat(file.fd, &info) != 0) return Refuse(refusal, path, 1, "cannot read the file");
    if (!S_ISREG(info.st_mode)) {
        const char* problem = "not a regular file";
        for (const auto& entry : kFileTypeProblems)
            if ((info.st_mode & S_IFMT) == entry.type) problem = entry.problem;
        return Refuse(refusal, path, 1, problem);
    }
    char tooLarge[120];
    std::snprintf(tooLarge, sizeof tooLarge, "file is larger than %ld bytes (no data file is)",
                  kMaxDataFileBytes);
    if (info.st_size > kMaxDataFileBytes) return Refuse(refusal, path, 1, tooLarge);
    // The size may change under us: read until the end, but never past the limit.
    bytes->resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t length = 0;
    for (;;) {
        if (length == bytes->size()) {
            if (length > static_cast<std::size_t>(kMaxDataFileBytes))
                return Refuse(refusal, path, 1, tooLarge);
            bytes->resize(std::min(length * 2 + 4096, std::size_t(kMaxDataFileBytes) + 1));
        }
        const ssize_t n = read(file.fd, &(*bytes)[length], bytes->size() - length);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return Refuse(refusal, path, 1, "cannot read the file");
        }
        length += static_cast<std::size_t>(n);
    }
    bytes->resize(length);
    return true;
}

bool WriteFileReplacing(const char* path, FileWriter write, void* context, Refusal* refusal) {
    const std::string target = FollowLinks(path);
    if (target.empty()) return Refuse(refusal, path, 0, "cannot write: too many symbolic links");
    // The temporary goes in the target's folder, so that the rename never crosses file
    // systems and replaces the file a link names rather than the link.
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    RemoveStaleTemporaries(folder, base);
    std::string temporary = folder + "." + base + "." + std::to_string(getpid()) + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) return Refuse(refusal, path, 0, Problem("cannot write"));
    // mkstemp makes the file private; give it the permissions any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* out = fdopen(fd, "wb");
    if (out == nullptr) {
        const std::string problem = Problem("cannot write");
        close(fd);
        unlink(temporary.c_str());
        return Refuse(refusal, path, 0, problem);
    }
    std::string problem;
    bool written = write(out, context, &problem);
    if (written && (std::fflush(out) != 0 || std::ferror(out) != 0)) {
        written = false;
        problem = Problem("cannot write");
    }
    // On the disk before it takes the target's name: a crash then leaves the old file or
    // the whole new one, never an empty one.
    if (written && fsync(fileno(out)) != 0) {
        written = false;
        problem = Problem("cannot write");
    }
    if (std::fclose(out) != 0 && written) {
        written = false;
        problem = Problem("cannot write");
    }
    if (written && std::rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        problem = Problem("cannot replace the file");
    }
    if (!written) {
        unlink(temporary.c_str());
        return Refuse(refusal, path, 0, problem);
    }
    SyncFolder(folder);
    return true;
}
