// SPDX-License-Identifier: MIT
// Prints what a font loader sees of a font's glyph zero; used by the demo.
#include <cstdio>

#include "zero_outline.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: show_zero FONT\n");
    return 2;
  }
  const ZeroOutline zero = load_zero(argv[1]);
  if (zero.contours < 0) {
    std::printf("glyph zero could not be loaded\n");
    return 1;
  }
  std::printf("glyph zero has %d contours, %d points, box (%ld, %ld)-(%ld, %ld)%s\n", zero.contours,
              zero.points, zero.x_min, zero.y_min, zero.x_max, zero.y_max,
              zero.contours == 3   ? ": slashed"
              : zero.contours == 2 ? ": plain"
                                   : "");
  return 0;
}
