// Small drawing and formatting pieces shared inside display/: the 20-triangle disc of the
// node and indicator marks, and the "character: state" line of the hover text and the
// panels. Not part of the display interface; only display/*.cpp include it.
#pragma once

#include <cstddef>
#include <cstdint>

// Draws 20 separate triangles forming a disc of the given radius around (cx, cy) at depth
// z: each has its first vertex at the centre in centreRgb and its two rim vertices in
// rimRgb. The vertices are placed here rather than through the model-view matrix, so that
// GL can batch consecutive discs and markers into one draw. Leaves the colour at rimRgb.
void DrawDisc(float cx, float cy, float z, float radius, const float centreRgb[3],
              const float rimRgb[3]);

// Name of state `state` of character `character`, or "---" when the index lies outside
// the state table (kNoState, or a corrupt value): never reads outside gStateNames.
const char* StateNameOf(int character, int32_t state);

// Writes "<characterName>: <stateName>" into out (size bytes, size >= 4), always
// terminated. When the two names do not fit together, both are cut at their end so that
// each keeps its beginning: a name shorter than half the room stays whole and the other
// gets the rest. A name in UTF-8 is cut between characters, never inside one. Returns
// the length written (at most size - 1).
std::size_t FormatStateLine(char* out, std::size_t size, const char* characterName,
                            const char* stateName);
