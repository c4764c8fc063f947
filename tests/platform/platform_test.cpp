// The platform layer without a display: notices routed to a hook or to stderr, the file
// chooser refusing cleanly, and the default extension rule.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gCaptured;

void Capture(const char* caption, const char* text) {
    gCaptured.push_back(std::string(caption) + "|" + text);
}

// No display may be reached from here, whatever the environment of the test run.
class NoDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        gCaptured.clear();
    }
    void TearDown() override { SetMessageBoxHook(nullptr); }
};

} // namespace

TEST(AppendDefaultExtension, AddsTheExtensionOnlyToABareBaseName) {
    const struct {
        const char* path;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"/tmp/data", "csv", "/tmp/data.csv"},
        {"/tmp/data.csv", "csv", "/tmp/data.csv"},
        {"/tmp/data.txt", "csv", "/tmp/data.txt"},       // the user's own extension stays
        {"/tmp/v1.2/data", "csv", "/tmp/v1.2/data.csv"}, // a dot in a folder is no extension
        {"/tmp/.hidden", "csv", "/tmp/.hidden.csv"},
        {"data", "csv", "data.csv"},
        {"/tmp/data", "", "/tmp/data"},
        {"/tmp/data", nullptr, "/tmp/data"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppendDefaultExtension(c.path, c.extension), c.expected) << c.path;
    }
}

TEST_F(NoDisplay, NoticesGoToTheHookOrElseToStderr) {
    SetMessageBoxHook(Capture);
    ShowMessageBox("Quillmoor Error!", "Can't find required file: Another.fnt");
    ASSERT_EQ(gCaptured.size(), 1u);
    EXPECT_EQ(gCaptured[0], "Quillmoor Error!|Can't find required file: Another.fnt");

    SetMessageBoxHook(nullptr);
    testing::internal::CaptureStderr();
    ShowMessageBox("Quillmoor Error!", "Can't find required file: Another.fnt");
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("Quillmoor Error!: Can't find required file: Another.fnt\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(gCaptured.size(), 1u) << "the hook is gone";
}

TEST_F(NoDisplay, FileChooserFailsAndLeavesThePathAlone) {
    FileDialogOptions options;
    options.title = "Pick a Data File";
    options.filters = {{"CSV files", "*.csv"}};
    options.proposedName = "Data.csv";
    options.defaultExtension = "csv";
    for (bool save : {false, true}) {
        options.save = save;
        std::string path = "kept";
        EXPECT_FALSE(ShowFileDialog(options, path));
        EXPECT_EQ(path, "kept");
    }
}

TEST_F(NoDisplay, StartingGtkKeepsTheProgramsLocale) {
    setenv("LC_ALL", "C.UTF-8", 1);
    FileDialogOptions options;
    std::string path;
    ShowFileDialog(options, path); // starts GTK, which fails here without a display
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}
