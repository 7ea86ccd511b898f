#include "text/font_face.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

using platform::FontFace;

TEST(FontFace, ImpactResolvesToABoldSansWithLetters) {
  FontFace face;
  std::string error;
  ASSERT_TRUE(face.Open("Impact", true, error)) << error;
  EXPECT_TRUE(platform::HasLatinLetters(face.Face()));
  // fontconfig's own answer for "Impact" on a stock machine is a dingbats face.
  EXPECT_EQ(face.Path().find("D050000L"), std::string::npos) << face.Path();
  EXPECT_TRUE(face.Face()->style_flags & FT_STYLE_FLAG_BOLD || face.NeedsEmbolden()) << face.Path();
}

TEST(FontFace, SymbolFontsAreNotTakenForLetters) {
  // Both map the letter codes, to dingbats and to Greek.
  int checked = 0;
  for (const char* path : {"/usr/share/fonts/opentype/urw-base35/D050000L.otf",
                           "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf"}) {
    if (access(path, R_OK) != 0) continue;
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, path, 0, &face), 0);
    EXPECT_FALSE(platform::HasLatinLetters(face)) << path;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "no symbol faces installed";
}

}  // namespace
