// SPDX-License-Identifier: MIT
// The UTF-8 form of every Japanese text says exactly what its Shift_JIS bytes
// say: each is converted here from code page 932 by the C library.
#include "messages.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

std::string from_cp932(const std::string& text) {
  const iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return "no CP932 converter";
  std::string in = text, out(text.size() * 3, '\0');
  char* in_at = in.data();
  char* out_at = out.data();
  std::size_t in_left = in.size(), out_left = out.size();
  const bool converted =
      iconv(converter, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (!converted) return "not valid CP932";
  out.resize(out.size() - out_left);
  return out;
}

TEST(Messages, EveryUtf8TextIsItsShiftJisTextConverted) {
  for (const messages::Text* text : messages::kAllTexts) {
    EXPECT_EQ(text->utf8, from_cp932(text->shift_jis));
  }
}

}  // namespace
