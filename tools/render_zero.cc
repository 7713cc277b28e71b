// SPDX-License-Identifier: MIT
// Draws glyph zero of one or more fonts side by side into a PNG, so a patch
// can be seen:   render_zero OUT.png FONT [FONT...]
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kPixelSize = 160;
constexpr int kCell = 200;  // each font gets a square cell, glyph centred

struct Canvas {
  int width, height;
  std::vector<unsigned char> gray;  // 255 = white paper
};

bool draw_zero(FT_Library library, const char* font, Canvas& canvas, int cell) {
  FT_Face face;
  if (FT_New_Face(library, font, 0, &face) != 0) return false;
  const bool drawn =
      FT_Set_Pixel_Sizes(face, 0, kPixelSize) == 0 && FT_Load_Char(face, '0', FT_LOAD_RENDER) == 0;
  if (drawn) {
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = cell * kCell + (kCell - static_cast<int>(bitmap.width)) / 2;
    const int top = (kCell - static_cast<int>(bitmap.rows)) / 2;
    for (unsigned row = 0; row < bitmap.rows; ++row)
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) continue;
        canvas.gray[static_cast<std::size_t>(y * canvas.width + x)] =
            static_cast<unsigned char>(255 - bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + col]);
      }
  }
  FT_Done_Face(face);
  return drawn;
}

bool write_png(const char* path, const Canvas& canvas) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width), static_cast<png_uint_32>(canvas.height), 8,
               PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height; ++y)
    png_write_row(png, canvas.gray.data() + static_cast<std::size_t>(y * canvas.width));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: render_zero OUT.png FONT [FONT...]\n");
    return 2;
  }
  const int fonts = argc - 2;
  Canvas canvas{fonts * kCell, kCell,
                std::vector<unsigned char>(static_cast<std::size_t>(fonts * kCell * kCell), 255)};
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return 1;
  bool all_drawn = true;
  for (int i = 0; i < fonts; ++i) {
    if (draw_zero(library, argv[i + 2], canvas, i)) continue;
    std::fprintf(stderr, "render_zero: cannot draw glyph zero of %s\n", argv[i + 2]);
    all_drawn = false;
  }
  FT_Done_FreeType(library);
  if (!write_png(argv[1], canvas)) {
    std::fprintf(stderr, "render_zero: cannot write %s\n", argv[1]);
    return 1;
  }
  return all_drawn ? 0 : 1;
}
