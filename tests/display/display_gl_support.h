// Shared pieces of the display's GL tests: a window with the program's GL state and font,
// small matrices loaded through the real reader, and GL feedback capture with conversion
// of window coordinates back into tree units and text pixels.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "clade/clade.h"
#include "tests/support/gl_test_window.h" // PinSoftwareDriver

constexpr int kTestWidth = 800;
constexpr int kTestHeight = 600;

// Opens the 800 x 600 test window once, sets the start-up GL state and loads the font.
void PrepareGl();

// Writes csv to a temporary file, loads it and builds and rebuilds the tree over it.
// Fails the current test when the reader refuses the file.
void LoadMatrix(const std::string& csv);
// A data file with the given taxon names and one row of cell texts per character
// (rows[c][t] is taxon t's state text of character c, characters named C0, C1, ...).
std::string MatrixCsv(const std::vector<std::string>& taxa,
                      const std::vector<std::vector<std::string>>& rows);
// Empties the matrix and the tree.
void ResetModel();

struct FbVertex {
    float x, y, z;    // window coordinates: pixels from the bottom-left, depth 0..1
    float r, g, b, a; // the vertex colour
};

struct FbPrimitive {
    enum Kind { Point, Line, Polygon } kind;
    std::vector<FbVertex> v;
};

// Runs draw in feedback mode (GL_3D_COLOR) and returns what it sent down the pipeline.
std::vector<FbPrimitive> CaptureFeedback(const std::function<void()>& draw);

// A window vertex in tree units for the current gTaxonCount (inverse of the tree
// projection over the 800 x 600 viewport); z is the model z in the tree projection.
struct TreePoint {
    float x, y, z;
};
TreePoint ToTree(const FbVertex& v);

// Text is drawn by the renderer at eye depth -5 in its own 1..10 projection; nothing the
// display draws in tree space lands at that window depth.
bool IsTextVertex(const FbVertex& v);
// Polygons whose every vertex has the colour (r, g, b), text excluded or text only.
std::vector<FbPrimitive> PolygonsOfColour(const std::vector<FbPrimitive>& all, float r, float g,
                                          float b, bool text);
bool HasColour(const FbVertex& v, float r, float g, float b);

// Bounding box of text polygons in pixels from the top-left corner (text coordinates).
struct TextBox {
    bool found = false;
    float left = 0, top = 0, right = 0, bottom = 0;
};
TextBox TextBoxOf(const std::vector<FbPrimitive>& textPolygons);
