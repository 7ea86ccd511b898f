#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace platform {

// A font face found by family name through fontconfig and opened with
// FreeType. Only faces that have the Latin letters are accepted, so a name
// that fontconfig would answer with a symbol font falls back to the next
// candidate instead of drawing dingbats.
class FontFace {
 public:
  FontFace() = default;
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // False, with the reason in `error`, when no usable face is found.
  bool Open(const char* family, bool bold, std::string& error);

  FT_Face Face() const { return face_; }
  // The file the face was read from.
  const std::string& Path() const { return path_; }
  // True when bold was asked for but the face found is not bold, so the
  // glyphs are to be thickened by the caller.
  bool NeedsEmbolden() const { return embolden_; }
  // Horizontal scale for the glyphs so that a stand-in face takes about the
  // room of the face asked for; 1 when the face itself was found.
  float WidthScale() const { return widthScale_; }

 private:
  bool TryFile(const char* file, int index);
  void CloseFace();

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::string path_;
  bool embolden_ = false;
  float widthScale_ = 1.0f;
};

// True when `face` maps every character from 'A' to 'z' to a glyph.
bool HasLatinLetters(FT_Face face);

}  // namespace platform
