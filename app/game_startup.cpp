#include <GL/gl.h>
#include <SDL.h>
#include <SDL_mixer.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/failure.h"
#include "app/game.h"
#include "app/shader_support.h"
#include "app/sound_settings.h"
#include "app/video.h"
#include "assets/byte_reader.h"
#include "assets/static_assets.h"
#include "text/fonts.h"

namespace {

// Start-up stops at the first step that fails, with one line that names it.
bool FailedStep(const char* step, const char* path, const std::string& reason) {
  const std::string where = path ? std::string(" \"") + path + "\"" : std::string();
  Fail(std::string("start-up failed: ") + step + where + ": " + reason);
  return false;
}

bool LoadModel(P3dModel& model, const char* path) {
  std::string error;
  return model.Load(path, error) || FailedStep("loading the model", path, error);
}

bool LoadMaterial(Material& material, const char* path) {
  std::string error;
  return material.Load(path, true, error) || FailedStep("loading the bitmap", path, error);
}

// Read through the one checked file reader, so a directory, device or FIFO
// in the sound's place is refused rather than handed to the decoder.
Mix_Chunk* LoadChunk(const char* path) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, error)) {
    FailedStep("loading the sound", path, error);
    return nullptr;
  }
  if (bytes.empty()) {
    FailedStep("loading the sound", path, "the file is empty");
    return nullptr;
  }
  // The chunk keeps its own converted copy of the samples.
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  Mix_Chunk* chunk = stream ? Mix_LoadWAV_RW(stream, 1) : nullptr;
  if (!chunk) FailedStep("loading the sound", path, Mix_GetError());
  return chunk;
}

}  // namespace

// A player without a sound device (or with one another program holds) still
// plays, in silence, told so in one line.
bool OpenSound() {
  std::string why;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == -1) {
    why = SDL_GetError();
  } else if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) != 0) {
    why = Mix_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else {
    return true;
  }
  std::fprintf(stderr, "driftwing: no sound device could be opened (%s): playing without sound\n",
               why.c_str());
  return false;
}

bool Game::Startup() {
#ifdef __GLIBC__
  // Big blocks (the level file and its arrays, texture images: all read
  // again for every game) get mappings of their own that go back to the
  // system when freed. Left to itself glibc raises this threshold after the
  // first such block is freed and serves the rest from a heap that keeps
  // the largest mix of them it has seen: the game's memory then grows for
  // its first few games.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
  soundOn = OpenSound();
  // Typed names and addresses come as characters, whatever the layout.
  SDL_EnableUNICODE(1);
  std::string error;
  hudFont = 0;
  if (!BuildHudFont(error)) {
    return FailedStep("building the HUD font", "Impact", error);
  }
  titleFont = 0;
  if (!BuildOutlineFont(titleFont, "Impact", 12, 0.1f, metrics, error)) {
    return FailedStep("building the menu font", "Impact", error);
  }
  gMenuFont = titleFont;
  // Without its background the menu is white text on white: unreadable.
  if (!menu.Build(error)) return FailedStep("loading the bitmap", "textures/menu_bg.bmp", error);
  // Without its own texture the menu ship still turns, untextured.
  if (!menu.LoadShipMaterial(error)) {
    std::fprintf(stderr, "driftwing: the menu ship goes untextured: \"textures/concrete0.bmp\": %s\n",
                 error.c_str());
  }
  ShowLoadingScreen();
  if (!LoadAssets()) return false;
  if (!LoadSounds()) return false;
  state = kStateMenu;
  gWorld = &world;

  glEnable(GL_DEPTH_TEST);
  glEnable(GL_STENCIL_TEST);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnable(GL_COLOR_MATERIAL);

  // The track plays while music is on; a missing one is no reason to stop.
  // It is streamed from its file, so only a plain file is handed over (a
  // FIFO would block the decoder).
  std::string musicError;
  gMusicTrack = soundOn && IsPlainFile("sound/track6.ogg", musicError)
                    ? Mix_LoadMUS("sound/track6.ogg")
                    : nullptr;
  ApplySoundSettings(gSettings);
  inputTimer = 0.0f;
  gShadersAvailable = InitShaderSupport();
  gCamera = &camera;
  return true;
}

void Game::ShowLoadingScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glFrontFace(GL_CW);
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);
  glTranslatef(-0.2f, 0.0f, -1.0f);
  glScalef(0.1f, 0.1f, 0.05f);
  PrintText(titleFont, "Loading...");
  glFrontFace(GL_CCW);
  glPopAttrib();
  glFlush();
  SDL_GL_SwapBuffers();
}

bool Game::LoadAssets() {
  return LoadModel(gShipModel, "models/ship.p3d") &&
         LoadModel(gRocketModel, "models/rocket.p3d") &&
         LoadModel(gDroneModel, "models/drone.p3d") &&
         LoadMaterial(gExplosionMaterial, "textures/explosion.bmp") &&
         LoadMaterial(gSphereMaterial, "models/sphere.bmp");
}

bool Game::LoadSounds() {
  // Without a device the chunks stay null, and playing one does nothing.
  if (!soundOn) return true;
  // A cut-off WAV file is damage to report, not a shorter sound to play
  // (SDL's default); a setting of the player's own is kept.
  setenv("SDL_WAVE_TRUNCATION", "strict", 0);
  gRocketSound = LoadChunk("sound/rocket.wav");
  if (!gRocketSound) return false;
  gExplosionSound = LoadChunk("sound/explode01.wav");
  if (!gExplosionSound) return false;
  gDroneLaunchSound = LoadChunk("sound/drone_launch.wav");
  if (!gDroneLaunchSound) return false;
  gHitSound = LoadChunk("sound/hit.wav");
  return gHitSound != nullptr;
}

void ReleaseSounds() {
  for (Mix_Chunk** chunk : {&gRocketSound, &gExplosionSound, &gDroneLaunchSound, &gHitSound}) {
    Mix_FreeChunk(*chunk);
    *chunk = nullptr;
  }
  if (gMusicTrack) {
    Mix_HaltMusic();
    Mix_FreeMusic(gMusicTrack);
    gMusicTrack = nullptr;
  }
}
