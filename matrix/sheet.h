// The sheet layout of a CSV data file, as spreadsheets and published matrices lay a
// matrix out: a header row of a corner cell and the character names, then one row per
// taxon, its name and its states. Internal to the matrix library: LoadCharacterMatrix
// reads a file this way when no cell of it holds UNUSED. No GL, no X.
#pragma once

#include "base/refusal.h"
#include "matrix/csv_text.h"
#include "matrix/matrix.h"

// True when some cell of the text, split at commas, semicolons or tabs, is UNUSED (quoted
// or not): the file is in the marker layout.
bool HoldsMarkerCell(const char* text, std::size_t length);

// Reads the whole text as a sheet into staged (which starts clear): taxa in row order,
// characters in column order, states numbered by first appearance down each column (as
// the marker layout numbers them along a row), an empty cell the missing state "?".
// Up to kMostEntries taxa and characters; taxonLines[t] receives the line of taxon t's
// row. kRefused comes with error's line (and column) and problem for a row whose cells do
// not match the header's (trailing empty cells aside), a name too long, too many rows or
// columns, or no taxon at all. kNoSheet, for a file whose first row names no character
// (an empty file, a title line): the marker layout's reading tells what is wrong with it.
enum class SheetRead { kRead, kRefused, kNoSheet };
SheetRead ParseSheet(csv::Text* text, MatrixTables* staged, int* taxonLines, Refusal* error);
