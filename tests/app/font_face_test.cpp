#include "platform/font_face.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using platform::FontFace;

TEST(FontFace, ImpactResolvesToABoldSansWithLetters) {
  FontFace face;
  ASSERT_TRUE(face.Open("Impact", true)) << face.Error();
  EXPECT_TRUE(platform::HasLatinLetters(face.Face()));
  // fontconfig's own answer for "Impact" on a stock machine is a dingbats face.
  EXPECT_EQ(face.Path().find("D050000L"), std::string::npos) << face.Path();
  EXPECT_TRUE(face.Face()->style_flags & FT_STYLE_FLAG_BOLD || face.NeedsEmbolden()) << face.Path();
  // A stand-in is drawn condensed to take about Impact's room.
  if (std::string(face.Face()->family_name) != "Impact") {
    EXPECT_EQ(face.WidthScale(), 0.8f);
  }
  // The closest free stand-in, a condensed heavy sans, where it is installed.
  if (access("/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf", R_OK) == 0) {
    EXPECT_NE(face.Path().find("DejaVuSansCondensed-Bold"), std::string::npos) << face.Path();
  }
}

TEST(FontFace, UnknownFamilyFallsBackToAFaceWithLetters) {
  FontFace face;
  ASSERT_TRUE(face.Open("No Such Family Anywhere", false)) << face.Error();
  EXPECT_TRUE(platform::HasLatinLetters(face.Face()));
  EXPECT_EQ(face.WidthScale(), 1.0f);
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

TEST(FontFace, NoFontsInstalledIsAClearFailure) {
  // A fontconfig set-up that knows no font folder.
  char path[] = "/tmp/driftwing-fonts-XXXXXX.conf";
  int fd = mkstemps(path, 5);
  ASSERT_GE(fd, 0);
  const char config[] = "<?xml version=\"1.0\"?><fontconfig><cachedir>/tmp</cachedir></fontconfig>";
  ASSERT_EQ(write(fd, config, sizeof config - 1), static_cast<ssize_t>(sizeof config - 1));
  close(fd);
  const char* previous = std::getenv("FONTCONFIG_FILE");
  std::string saved = previous ? previous : "";
  setenv("FONTCONFIG_FILE", path, 1);

  FontFace face;
  bool opened = face.Open("Impact", true);

  if (previous) {
    setenv("FONTCONFIG_FILE", saved.c_str(), 1);
  } else {
    unsetenv("FONTCONFIG_FILE");
  }
  unlink(path);
  EXPECT_FALSE(opened);
  EXPECT_EQ(face.Face(), nullptr);
  EXPECT_NE(face.Error().find("\"Impact\""), std::string::npos) << face.Error();
}

}  // namespace
