// The tables as one line, for the reader tests: the taxa, then each character with every
// taxon's state name, e.g. "Shark|Perch / Jaws=yes|yes".
#pragma once

#include "matrix/matrix.h"

#include <string>

inline std::string DescribeMatrix() {
    std::string out;
    for (int t = 0; t < gTaxonCount; ++t)
        out += (t ? "|" : "") + std::string(gTaxa[t].name);
    for (int c = 0; c < gCharacterCount; ++c) {
        out += " / " + std::string(gCharacterNames[c]) + "=";
        for (int t = 0; t < gTaxonCount; ++t)
            out += (t ? "|" : "") + std::string(gStateNames[c][gTaxa[t].states[c]]);
    }
    return out;
}
