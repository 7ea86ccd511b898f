// Writes the game's default content (bitmaps, models and sounds) into the
// folder given on the command line, laid out as the game reads it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/content/models.h"
#include "tools/content/ogg_writer.h"
#include "tools/content/sounds.h"
#include "tools/content/textures.h"
#include "tools/content/wav_writer.h"

namespace {

struct Output {
  std::string folder;
  bool ok = true;

  void Report(bool written, const std::string& error) {
    if (!written) {
      std::fprintf(stderr, "make_content: %s\n", error.c_str());
      ok = false;
    }
  }
  void Bitmap(const char* path, const Image& image, bool keepBlack = false) {
    std::string error;
    Report(SaveBitmap(image, folder + "/" + path, keepBlack, error), error);
  }
  void Model(const char* path, const MeshBuilder& mesh, const char* texturePath) {
    std::string error;
    Report(WriteP3d(folder + "/" + path, mesh.ToMesh(texturePath), error), error);
  }
  void Sound(const char* path, const std::vector<int16_t>& stereo) {
    std::string error;
    Report(WriteWav(folder + "/" + path, stereo, 2, kSoundRate, error), error);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_content DATA_FOLDER\n");
    return 2;
  }
  Output out{argv[1]};
  for (const char* folder : {"models", "textures", "sound"}) {
    std::error_code error;
    std::filesystem::create_directories(out.folder + "/" + folder, error);
    if (error) {
      std::fprintf(stderr, "make_content: cannot create %s/%s: %s\n", out.folder.c_str(), folder,
                   error.message().c_str());
      return 1;
    }
  }
  out.Model("models/ship.p3d", BuildShipMesh(), "models/ship.bmp");
  out.Bitmap("models/ship.bmp", PaintShipTexture());
  out.Model("models/rocket.p3d", BuildRocketMesh(), "models/rocket.bmp");
  out.Bitmap("models/rocket.bmp", PaintRocketTexture());
  out.Model("models/drone.p3d", BuildDroneMesh(), "models/drone.bmp");
  out.Bitmap("models/drone.bmp", PaintDroneTexture());
  out.Bitmap("models/sphere.bmp", PaintSphereMap());
  out.Bitmap("models/clouds.bmp", PaintClouds());
  out.Bitmap("textures/explosion.bmp", PaintExplosion(), true);
  out.Bitmap("textures/menu_bg.bmp", PaintMenuBackground());
  out.Bitmap("textures/concrete0.bmp", PaintMenuMaterial());
  out.Bitmap("textures/grass.bmp", PaintGrass());
  out.Bitmap("textures/rock.bmp", PaintRock());
  out.Bitmap("textures/concrete.bmp", PaintConcrete());
  out.Bitmap("textures/metal.bmp", PaintMetal());
  out.Bitmap("textures/sand.bmp", PaintSand());
  out.Sound("sound/rocket.wav", SynthesiseRocketLaunch());
  out.Sound("sound/explode01.wav", SynthesiseExplosion());
  out.Sound("sound/drone_launch.wav", SynthesiseDroneLaunch());
  out.Sound("sound/hit.wav", SynthesiseHit());
  std::string error;
  out.Report(WriteOggVorbis(out.folder + "/sound/track6.ogg", SynthesiseTrack(), 2, kSoundRate,
                            0.3f, error),
             error);
  return out.ok ? 0 : 1;
}
