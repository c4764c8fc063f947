// Files written whole: through symbolic links the file they name is replaced and the link
// stays; temporaries that killed runs left beside a target go at the next write there,
// and nobody else's; a failed write leaves the earlier file and no temporary.
#include "base/files.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

class Files : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "files_test_XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        dir_ = pattern + "/";
        ASSERT_EQ(mkdir((dir_ + "sub").c_str(), 0700), 0);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Read(const std::string& name) const {
        std::ifstream in(dir_ + name);
        std::stringstream text;
        text << in.rdbuf();
        return in ? text.str() : "(none)";
    }
    void Put(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ + name) << text;
    }
    bool IsLink(const std::string& name) const {
        struct stat info;
        return lstat((dir_ + name).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }
    // The names in the folder (and sub/) that start with a dot.
    std::set<std::string> Hidden() const {
        std::set<std::string> names;
        for (const std::string& folder : {dir_, dir_ + "sub/"}) {
            DIR* d = opendir(folder.c_str());
            while (const dirent* entry = readdir(d))
                if (entry->d_name[0] == '.' && std::string(".") != entry->d_name &&
                    std::string("..") != entry->d_name)
                    names.insert(entry->d_name);
            closedir(d);
        }
        return names;
    }
    // Writes text to name; returns "" or the refusal's line.
    std::string Write(const std::string& name, std::string text) const {
        Refusal refusal;
        const auto write = [](std::FILE* out, void* context, std::string* problem) {
            const std::string& bytes = *static_cast<std::string*>(context);
            if (bytes == "fail") *problem = "the writer's own problem";
            return bytes != "fail" && std::fputs(bytes.c_str(), out) >= 0;
        };
        return WriteFileReplacing((dir_ + name).c_str(), write, &text, &refusal)
                   ? ""
                   : DescribeRefusal(refusal).substr(dir_.size());
    }

    std::string dir_;
};

TEST_F(Files, LinksAreFollowedToTheFileTheyName) {
    const struct {
        const char* what;
        const char* link;   // the name written to, a link made to target
        const char* target; // what the link holds ("" when name is a plain file)
        const char* file;   // the file that must hold the new text
        const char* refusal;
    } rows[] = {
        {"a plain file", "plain.svg", "", "plain.svg", ""},
        {"a link", "link.svg", "real.svg", "real.svg", ""},
        {"a link into a folder", "into.svg", "sub/inner.svg", "sub/inner.svg", ""},
        {"a link out of a folder", "sub/out.svg", "../outer.svg", "outer.svg", ""},
        {"a link to a link", "chain.svg", "link.svg", "real.svg", ""},
        {"a dangling link", "dangling.svg", "made.svg", "made.svg", ""},
        {"a loop of links", "loop.svg", "loop.svg", "loop.svg",
         "loop.svg: cannot write: too many symbolic links"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Put("real.svg", "earlier");
        Put("sub/inner.svg", "earlier");
        if (row.target[0] != '\0') {
            ASSERT_EQ(symlink(row.target, (dir_ + row.link).c_str()), 0);
        }
        EXPECT_EQ(Write(row.link, "new"), row.refusal);
        if (row.refusal[0] == '\0') {
            EXPECT_EQ(Read(row.file), "new");
        }
        EXPECT_EQ(IsLink(row.link), row.target[0] != '\0') << "the link stays a link";
        EXPECT_TRUE(Hidden().empty()) << "no temporary is left";
    }
    EXPECT_EQ(Read("sub/inner.svg"), "earlier") << "only the file named was replaced";
}

TEST_F(Files, TemporariesOfKilledRunsGoAndNoOneElses) {
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    const std::string gone = std::to_string(dead);
    const struct {
        std::string name;
        bool old; // last written two hours ago
        bool removed;
    } rows[] = {
        {".out.svg." + gone + ".AbC123", false, true},    // its process is gone
        {".out.svg.1.AbC123", false, false},              // its process lives
        {".out.svg.1.XyZ789", true, true},                // nobody wrote it for two hours
        {".out.svg.XyZ789", true, false},                 // not a name of this program's
        {".out.svg." + gone + ".AbC12", false, false},    // nor this
        {".other.svg." + gone + ".AbC123", false, false}, // beside another target
    };
    for (const auto& row : rows) {
        Put(row.name, "left");
        if (row.old) {
            const timeval twoHoursAgo[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
            ASSERT_EQ(utimes((dir_ + row.name).c_str(), twoHoursAgo), 0);
        }
    }
    EXPECT_EQ(Write("out.svg", "new"), "");
    for (const auto& row : rows)
        EXPECT_EQ(Read(row.name) == "(none)", row.removed) << row.name;
}

TEST_F(Files, AFailedWriteLeavesTheEarlierFileAndNoTemporary) {
    Put("kept.svg", "earlier");
    EXPECT_EQ(Write("kept.svg", "fail"), "kept.svg: the writer's own problem");
    EXPECT_EQ(Write("no/such/folder.svg", "new"),
              "no/such/folder.svg: cannot write: No such file or directory");
    EXPECT_EQ(Read("kept.svg"), "earlier");
    EXPECT_TRUE(Hidden().empty());
}

} // namespace
