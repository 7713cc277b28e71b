// SPDX-License-Identifier: MIT
// Glyph zero of a font as a font loader sees it.
#pragma once

#include <string>

struct ZeroOutline {
  int contours = -1;  // -1: not loaded; -2: loaded but the hinted load failed
  int points = -1;
  long x_min = 0, y_min = 0, x_max = 0, y_max = 0;
};

// Loads the glyph mapped to '0' unscaled for its outline, then hinted at a
// small size, which runs the glyph's instructions through the font's function.
ZeroOutline load_zero(const std::string& path);
