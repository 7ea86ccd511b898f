#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/game.h"
#include "assets/static_assets.h"
#include "platform/audio.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"

namespace {

// What the program writes on its standard error while alive.
class CapturedStderr {
 public:
  CapturedStderr() : file_(dir_.File("stderr")) {
    std::fflush(stderr);
    saved_ = dup(fileno(stderr));
    if (!std::freopen(file_.c_str(), "w", stderr)) std::abort();
  }
  ~CapturedStderr() { Restore(); }
  CapturedStderr(const CapturedStderr&) = delete;
  CapturedStderr& operator=(const CapturedStderr&) = delete;

  std::string Text() {
    Restore();
    std::ifstream in(file_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, fileno(stderr));
    close(saved_);
    saved_ = -1;
  }

  TempDir dir_;
  std::string file_;
  int saved_ = -1;
};

// With no sound device the game starts and plays in silence, after one line
// saying so: its sounds are none, and playing one does nothing.
TEST(Sound, WithoutADeviceTheGameStartsSilentAfterOneLine) {
  EnsureGlContext();
  InDataDir inData;
  setenv("SDL_AUDIODRIVER", "no-such-sound-driver", 1);
  Game game;
  CapturedStderr captured;
  const bool started = game.Startup();
  const std::string said = captured.Text();
  unsetenv("SDL_AUDIODRIVER");

  ASSERT_TRUE(started) << said;
  EXPECT_FALSE(game.soundOn);
  EXPECT_EQ(gRocketSound, nullptr);
  EXPECT_EQ(gExplosionSound, nullptr);
  size_t lines = 0;
  for (size_t at = said.find("playing without sound"); at != std::string::npos;
       at = said.find("playing without sound", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 1u) << said;
  const unsigned before = platform::ChunksPlayed();
  platform::PlayChunk(0, gRocketSound);
  EXPECT_EQ(platform::ChunksPlayed(), before + 1);
  DeleteFont(game.hudFont);
}

}  // namespace
