// The patched font must still be a font: a font loader draws the slashed zero
// with its hinting run, and a strict font checker accepts the file.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <cstdlib>

#include "test_bytes.h"
#include "tool_process.h"

namespace {

struct ZeroOutline {
  int contours = -1;
  int points = -1;
  FT_BBox box{};
};

// Loads glyph zero twice: unscaled for its outline, then hinted at a small
// size, which runs the glyph's instructions through the font's function.
ZeroOutline load_zero(const std::string& path) {
  ZeroOutline zero;
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return zero;
  FT_Face face;
  if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
    const FT_UInt index = FT_Get_Char_Index(face, '0');
    if (index != 0 && FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) == 0) {
      zero.contours = face->glyph->outline.n_contours;
      zero.points = face->glyph->outline.n_points;
      FT_Outline_Get_CBox(&face->glyph->outline, &zero.box);
    }
    const bool hinted = FT_Set_Pixel_Sizes(face, 0, 16) == 0 &&
                        FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_AUTOHINT) == 0;
    if (!hinted) zero.contours = -2;
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return zero;
}

bool font_checker_accepts(const std::string& path) {
  const std::string command = "ots-sanitize '" + path + "' font-check-out.ttf > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

TEST(PatchedFont, LoadsWithTheSlashedZeroAndPassesTheFontChecker) {
  const std::string path = "font-loads.ttf";
  write_file(path, read_file(TOVALIN_SAMPLE_FONT));

  const ZeroOutline before = load_zero(path);
  EXPECT_EQ(before.contours, 2);
  EXPECT_EQ(before.points, 55);
  EXPECT_TRUE(font_checker_accepts(path));

  ASSERT_EQ(run_tool({path, "quiet"}, "").exit_status, 0);

  const ZeroOutline after = load_zero(path);
  EXPECT_EQ(after.contours, 3);
  EXPECT_EQ(after.points, 54);
  EXPECT_EQ(after.box.xMin, before.box.xMin);
  EXPECT_EQ(after.box.yMin, before.box.yMin);
  EXPECT_EQ(after.box.xMax, before.box.xMax);
  EXPECT_EQ(after.box.yMax, before.box.yMax);
  EXPECT_TRUE(font_checker_accepts(path));
  std::remove(path.c_str());
}

}  // namespace
