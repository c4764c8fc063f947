// Loading a data file (see loading.h). Called by the frame routine (after the file dialog)
// and by start-up (a file on the command line). Changes no GL state.
#include "app/loading.h"

#include "clade/clade.h"
#include "matrix/matrix.h"
#include "nexus/nexus.h"

void AdoptLoadedMatrix() {
    // Replacing the tree tells the release hook, which forgets the drag state.
    BuildInitialTree();
    RebuildTree();
}

bool OpenDataFile(const char* fileName, std::string* whyNot) {
    const bool loaded = IsNexusFile(fileName) ? LoadNexusMatrix(fileName, whyNot, true, nullptr)
                                              : LoadCharacterMatrix(fileName, whyNot);
    if (!loaded) return false;
    AdoptLoadedMatrix();
    return true;
}
