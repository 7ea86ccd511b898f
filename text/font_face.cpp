#include "text/font_face.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform {
namespace {

// "Impact" is not free and rarely installed, and fontconfig's own answer for
// it can be a symbol font. These rules put the closest free faces first: a
// condensed heavy sans, then the plain one.
constexpr char kFontAliases[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <alias binding="strong">
    <family>Impact</family>
    <prefer>
      <family>DejaVu Sans Condensed</family>
      <family>DejaVu Sans</family>
      <family>Liberation Sans Narrow</family>
      <family>Liberation Sans</family>
    </prefer>
  </alias>
</fontconfig>
)";

// Impact is a condensed face, far narrower than the free faces that stand in
// for it, and the game's layouts are made for its widths: a stand-in is drawn
// narrower to take about the same room.
constexpr float kImpactStandInWidth = 0.8f;

bool SameFamily(const char* a, const char* b) {
  return a != nullptr && b != nullptr && strcasecmp(a, b) == 0;
}

struct ConfigDeleter {
  void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDeleter>;
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

// A letter's glyph, where the face names its glyphs, must be named as that
// letter: symbol faces map letter codes to glyphs such as "a10" or "Alpha".
bool NamedAsLetter(FT_Face face, FT_UInt glyph, FT_ULong letter) {
  if (!FT_HAS_GLYPH_NAMES(face)) return true;
  char name[64] = {};
  if (FT_Get_Glyph_Name(face, glyph, name, sizeof name) != 0) return true;
  char expected[3][16];
  std::snprintf(expected[0], sizeof expected[0], "%c", static_cast<char>(letter));
  std::snprintf(expected[1], sizeof expected[1], "uni%04lX", letter);
  std::snprintf(expected[2], sizeof expected[2], "u%04lX", letter);
  for (const char* e : expected) {
    if (std::strcmp(name, e) == 0) return true;
  }
  return false;
}

}  // namespace

bool HasLatinLetters(FT_Face face) {
  // A symbol font may answer letter codes through a custom encoding, so only
  // a Unicode map counts.
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) return false;
  for (FT_ULong c = 'A'; c <= 'z'; ++c) {
    const FT_UInt glyph = FT_Get_Char_Index(face, c);
    if (glyph == 0) return false;
    if (std::isalpha(static_cast<int>(c)) && !NamedAsLetter(face, glyph, c)) return false;
  }
  return true;
}

FontFace::~FontFace() {
  CloseFace();
  if (library_) FT_Done_FreeType(library_);
}

void FontFace::CloseFace() {
  if (face_) FT_Done_Face(face_);
  face_ = nullptr;
  path_.clear();
}

bool FontFace::TryFile(const char* file, int index) {
  CloseFace();
  if (FT_New_Face(library_, file, index, &face_) != 0) {
    face_ = nullptr;
    return false;
  }
  if (!FT_IS_SCALABLE(face_) || !HasLatinLetters(face_)) {
    CloseFace();
    return false;
  }
  path_ = file;
  return true;
}

bool FontFace::Open(const char* family, bool bold, std::string& error) {
  CloseFace();
  embolden_ = false;
  widthScale_ = 1.0f;
  if (!library_ && FT_Init_FreeType(&library_) != 0) {
    library_ = nullptr;
    error = "FreeType could not be started";
    return false;
  }
  ConfigPtr config(FcInitLoadConfigAndFonts());
  if (!config) {
    error = "fontconfig could not load its configuration";
    return false;
  }
  if (!FcConfigParseAndLoadFromMemory(config.get(), reinterpret_cast<const FcChar8*>(kFontAliases),
                                      FcTrue)) {
    error = "the game's font substitution rules were refused by fontconfig";
    return false;
  }
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) {
    error = "out of memory";
    return false;
  }
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());

  FcResult result = FcResultNoMatch;
  FontSetPtr candidates(FcFontSort(config.get(), pattern.get(), FcFalse, nullptr, &result));
  int tried = 0;
  if (candidates) {
    // Best match first; the first face with real letters wins.
    for (int i = 0; i < candidates->nfont; ++i) {
      PatternPtr font(FcFontRenderPrepare(config.get(), pattern.get(), candidates->fonts[i]));
      if (!font) continue;
      FcChar8* file = nullptr;
      int index = 0;
      if (FcPatternGetString(font.get(), FC_FILE, 0, &file) != FcResultMatch) continue;
      FcPatternGetInteger(font.get(), FC_INDEX, 0, &index);
      ++tried;
      if (!TryFile(reinterpret_cast<const char*>(file), index)) continue;
      FcBool synthetic = FcFalse;
      if (FcPatternGetBool(font.get(), FC_EMBOLDEN, 0, &synthetic) == FcResultMatch) {
        embolden_ = bold && synthetic;
      }
      if (SameFamily(family, "Impact") && !SameFamily(face_->family_name, "Impact")) {
        widthScale_ = kImpactStandInWidth;
      }
      return true;
    }
  }
  error = "no installed scalable font with the letters A to z answers to \"" +
           std::string(family) + "\" (" + std::to_string(tried) +
           " candidates tried); install fonts-dejavu-core";
  return false;
}

}  // namespace platform
