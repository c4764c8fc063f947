// The colour-blind-safe palette (Okabe-Ito), which readers with any common colour-vision
// deficiency tell apart: one table for the trace's states (reconstruction_view.h) and the
// characters of presentation mode (CharacterColour, display.h). Plain data, no GL.
#pragma once

// Yellow and black last: yellow is faint on white, and black is the labels' colour.
constexpr int kSafeColourCount = 8;
inline constexpr float kSafeColours[kSafeColourCount][3] = {
    {0.902f, 0.624f, 0.0f},   // orange
    {0.0f, 0.447f, 0.698f},   // blue
    {0.0f, 0.620f, 0.451f},   // bluish green
    {0.835f, 0.369f, 0.0f},   // vermilion
    {0.337f, 0.706f, 0.914f}, // sky blue
    {0.800f, 0.475f, 0.655f}, // reddish purple
    {0.941f, 0.894f, 0.259f}, // yellow
    {0.0f, 0.0f, 0.0f},       // black
};
