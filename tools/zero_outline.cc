// SPDX-License-Identifier: MIT
#include "zero_outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

ZeroOutline load_zero(const std::string& path) {
  ZeroOutline zero;
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return zero;
  FT_Face face;
  if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
    const FT_UInt index = FT_Get_Char_Index(face, '0');
    if (index != 0 && FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) == 0) {
      const FT_Outline& outline = face->glyph->outline;
      FT_BBox box;
      FT_Outline_Get_CBox(&outline, &box);
      zero = {outline.n_contours, outline.n_points, box.xMin, box.yMin, box.xMax, box.yMax};
      const bool hinted = FT_Set_Pixel_Sizes(face, 0, 16) == 0 &&
                          FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_AUTOHINT) == 0;
      if (!hinted) zero.contours = -2;
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return zero;
}
