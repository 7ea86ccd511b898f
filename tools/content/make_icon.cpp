// Draws the game's desktop icon, the ship, from the same model and paint the
// game shows, as PNGs laid out as the hicolor icon theme wants them:
// OUTPUT_DIR/hicolor/<N>x<N>/apps/driftwing.png.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/content/icon_renderer.h"
#include "tools/content/models.h"
#include "tools/content/png_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT_DIR\n");
    return 2;
  }
  const P3dMesh ship = BuildShipMesh().ToMesh("models/ship.bmp");
  const Image paint = PaintShipTexture();
  for (int size : {48, 64, 128, 256}) {
    const std::string dimensions = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path folder =
        std::filesystem::path(argv[1]) / "hicolor" / dimensions / "apps";
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    std::string error;
    if (made) {
      error = "cannot create " + folder.string() + ": " + made.message();
    } else if (WritePng((folder / "driftwing.png").string(), size, size,
                        RenderModelIcon(ship, paint, size), error)) {
      continue;
    }
    std::fprintf(stderr, "make_icon: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
