// p3dc: converts a model (OBJ, glTF, FBX, Collada and the other formats
// assimp reads) into the game's P3D model file, with its texture beside it
// as a 24-bit bitmap, then loads the result with the game's own reader.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "assets/p3d_model.h"
#include "assets/texture.h"
#include "tools/content/bmp_writer.h"
#include "tools/p3dc/model_convert.h"

namespace fs = std::filesystem;

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: p3dc [--scale S] [--up y|z] INPUT OUTPUT\n"
               "  INPUT   a model file (.obj, .gltf, .glb, .fbx, .dae, ...)\n"
               "  OUTPUT  the P3D file to write, e.g. data/models/ship.p3d; its texture is\n"
               "          written beside it (data/models/ship.bmp) and named in the file\n"
               "          relative to the game's data folder (\"models/ship.bmp\")\n"
               "  --scale S  multiply every coordinate by S\n"
               "  --up y|z   the export's up axis (z turns a Z-up export upright)\n"
               "  --help     show this\n");
}

int Fail(const std::string& file, const std::string& why) {
  std::fprintf(stderr, "p3dc: %s: %s\n", file.c_str(), why.c_str());
  return 1;
}

// Loads the written model as the game does, from the data folder.
bool CheckWithGameReader(const fs::path& dataDir, const fs::path& model, std::string& error) {
  std::error_code ec;
  fs::path previous = fs::current_path(ec);
  fs::current_path(dataDir.empty() ? fs::path(".") : dataDir, ec);
  if (ec) {
    error = "cannot enter " + dataDir.string() + " to check the model: " + ec.message();
    return false;
  }
  P3dModel loaded;
  bool ok = loaded.Load(model.string().c_str(), error);
  if (!ok) error = "the game's reader refuses the result: " + error;
  fs::current_path(previous, ec);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  ConvertOptions options;
  const char* input = nullptr;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--help") {
      Usage(stdout);
      return 0;
    } else if (arg == "--scale" && value) {
      char* end = nullptr;
      options.scale = std::strtof(value, &end);
      if (end == value || *end || !(options.scale > 0.0f) || !std::isfinite(options.scale)) {
        Usage(stderr);
        return 2;
      }
      ++i;
    } else if (arg == "--up" && value && (!std::strcmp(value, "y") || !std::strcmp(value, "z"))) {
      options.zUp = value[0] == 'z';
      ++i;
    } else if (arg[0] == '-' || (input && output)) {
      Usage(stderr);
      return 2;
    } else {
      (input ? output : input) = argv[i];
    }
  }
  if (!input || !output) {
    Usage(stderr);
    return 2;
  }

  P3dMesh mesh;
  RgbImage texture;
  std::vector<std::string> notes;
  std::string error;
  if (!ConvertModel(input, options, mesh, texture, notes, error)) return Fail(input, error);

  // The file names its texture relative to the game's data folder, taken
  // to be the folder above the output's ("models/ship.bmp").
  fs::path out(output);
  fs::path folder = out.parent_path();
  std::string textureName = out.stem().string() + ".bmp";
  fs::path stored = folder.filename().empty() ? fs::path(textureName)
                                              : folder.filename() / textureName;
  mesh.texturePath = stored.generic_string();
  if (mesh.texturePath.size() > 31) {
    return Fail(output, "the texture path \"" + mesh.texturePath +
                            "\" is longer than the 31 characters a P3D file holds");
  }
  fs::path textureFile = folder / textureName;
  if (!WriteBitmap(textureFile.string(), texture.width, texture.height, BitmapRows(texture), error)) {
    return Fail(textureFile.string(), error);
  }
  if (!WriteP3d(output, mesh, error)) return Fail(output, error);
  fs::path dataDir = folder.filename().empty() ? folder : folder.parent_path();
  fs::path relative = folder.filename().empty() ? out.filename() : folder.filename() / out.filename();
  if (!CheckWithGameReader(dataDir, relative, error)) return Fail(output, error);

  std::printf("p3dc: %s -> %s\n", input, output);
  std::printf("  %zu vertices, %zu triangles; texture \"%s\" (%d x %d)\n", mesh.positions.size(),
              mesh.indices.size() / 3, mesh.texturePath.c_str(), texture.width, texture.height);
  for (const std::string& note : notes) std::fprintf(stderr, "p3dc: note: %s: %s\n", input, note.c_str());
  return 0;
}
