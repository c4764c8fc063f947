// Helpers for the window-free app tests (see app_test_support.h).
#include "tests/app/app_test_support.h"

#include "app/input.h"
#include "matrix/matrix.h"

#include <gtest/gtest.h>

#include <fstream>

std::string WriteDataFile(const std::string& name, const std::string& contents) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    return path;
}

std::string WriteCombFile(int taxa) {
    std::string header = "Comb\nx,x,";
    std::string first = "1,Size,";
    std::string second = "2,Shape,";
    for (int t = 0; t < taxa; ++t) {
        header += "T" + std::to_string(t) + ",";
        first += (t % 2 == 0 ? "small," : "large,");
        second += (t < taxa / 2 ? "round," : "flat,");
    }
    header += "UNUSED,UNUSED\n";
    first.back() = '\n';
    second.back() = '\n';
    return WriteDataFile("comb" + std::to_string(taxa) + ".csv",
                         header + first + second + "3,UNUSED\n");
}

void ResetEditorState() {
    ResetClade(true);
    ResetMatrix();
    ResetInteraction();
    InstallNodeReleaseHook();
}

CladeNode* NodeAt(const char* path) {
    CladeNode* node = gRoot;
    for (const char* step = path; node != nullptr && *step != '\0'; ++step) {
        node = *step == 'l' ? node->left : node->right;
    }
    return node;
}
