// p3dc: converts a model (OBJ, glTF, FBX, Collada and the other formats
// assimp reads) into the game's P3D model file, with its texture beside it
// as a 24-bit bitmap, then loads the result with the game's own reader.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "assets/bitmap.h"
#include "assets/p3d_model.h"
#include "assets/texture.h"
#include "platform/file_writer.h"
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

// A writer's reason already names its file.
int FailWrite(const std::string& why) {
  std::fprintf(stderr, "p3dc: %s\n", why.c_str());
  return 1;
}

// The game's readers take both files as written, checked before either is.
bool CheckEncoded(const std::vector<uint8_t>& bitmap, const std::vector<uint8_t>& model,
                  std::string& error) {
  std::string texturePath;
  DecodedBitmap decoded;
  if (!CheckP3dFile(model.data(), model.size(), texturePath, error) ||
      !DecodeBitmap(bitmap.data(), bitmap.size(), false, decoded, error)) {
    error = "the game's reader refuses the result: " + error;
    return false;
  }
  return true;
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

  // The file names its texture relative to the game's data folder, taken
  // to be the folder above the output's ("models/ship.bmp").
  fs::path out(output);
  fs::path folder = out.parent_path();
  std::string textureName = out.stem().string() + ".bmp";
  fs::path stored = folder.filename().empty() ? fs::path(textureName)
                                              : folder.filename() / textureName;
  const std::string textureFile = (folder / textureName).string();
  std::string error;
  // Both outputs are checked before any work; neither may be an input.
  if (out.filename() == textureName) {
    return Fail(output, "the model's texture is written beside it as " + textureName +
                            ": name the model otherwise (for example " + out.stem().string() +
                            ".p3d)");
  }
  if (!platform::CheckWriteTarget(output, {input}, error) ||
      !platform::CheckWriteTarget(textureFile, {input}, error)) {
    return FailWrite(error);
  }
  const std::string texturePath = stored.generic_string();
  if (texturePath.size() > 31) {
    return Fail(output, "the texture path \"" + texturePath +
                            "\" is longer than the 31 characters a P3D file holds");
  }

  P3dMesh mesh;
  RgbImage texture;
  std::string textureSource;
  std::vector<std::string> notes;
  if (!ConvertModel(input, options, mesh, texture, textureSource, notes, error)) {
    return Fail(input, error);
  }
  mesh.texturePath = texturePath;
  if (!textureSource.empty() && !platform::CheckWriteTarget(textureFile, {textureSource}, error)) {
    return FailWrite(error);
  }
  const std::vector<uint8_t> bitmap =
      EncodeBitmap(texture.width, texture.height, BitmapRows(texture));
  const std::vector<uint8_t> model = EncodeP3d(mesh);
  if (!CheckEncoded(bitmap, model, error)) return Fail(output, error);
  // Both files are whole on disk before either replaces the old one.
  platform::FileWriter textureOut, modelOut;
  if (!textureOut.Open(textureFile, {input}, error) ||
      !textureOut.Write(bitmap.data(), bitmap.size(), error) ||
      !modelOut.Open(output, {input}, error) ||
      !modelOut.Write(model.data(), model.size(), error) || !textureOut.Finish(error) ||
      !modelOut.Finish(error) || !textureOut.Commit(error) || !modelOut.Commit(error)) {
    return FailWrite(error);
  }
  fs::path dataDir = folder.filename().empty() ? folder : folder.parent_path();
  fs::path relative = folder.filename().empty() ? out.filename() : folder.filename() / out.filename();
  if (!CheckWithGameReader(dataDir, relative, error)) return Fail(output, error);

  std::printf("p3dc: %s -> %s\n", input, output);
  std::printf("  %zu vertices, %zu triangles; texture \"%s\" (%d x %d)\n", mesh.positions.size(),
              mesh.indices.size() / 3, mesh.texturePath.c_str(), texture.width, texture.height);
  for (const std::string& note : notes) std::fprintf(stderr, "p3dc: note: %s: %s\n", input, note.c_str());
  return 0;
}
