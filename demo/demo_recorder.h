#pragma once
#include <cstdint>
#include <vector>

#include "demo/demo_file.h"
#include "platform/seams.h"

// Records a demo: while alive it stands between the game and the input and
// clock sources that were installed when it was made, passing on what they
// give and writing it down. The game gets a copy of the key array that
// changes only where SDL's own can (when events are polled, or the state is
// read), so a replay can show it the same array at every moment.
class DemoRecorder : public platform::InputSource {
 public:
  // `play` holds the settings the demo keeps for its replay.
  DemoRecorder(uint32_t randomState, int screenWidth, int screenHeight,
               const Settings& play = Settings{});
  ~DemoRecorder() override;
  DemoRecorder(const DemoRecorder&) = delete;
  DemoRecorder& operator=(const DemoRecorder&) = delete;

  // The reads that follow belong to the next frame of the loop.
  void BeginFrame() { writer_.Frame(); }
  // The bytes recorded since the last call, for streaming to a file.
  std::vector<uint8_t> TakeBytes() { return writer_.TakeBytes(); }
  uint32_t FrameCount() const { return writer_.FrameCount(); }
  // Ends the demo: the bytes not yet taken, end mark and checksum included.
  const std::vector<uint8_t>& Finish();

  int PollEvent(SDL_Event* event) override;
  const uint8_t* KeyState() override;
  uint8_t MouseState(int* x, int* y) override;
  void WarpMouse(int x, int y) override;

 private:
  static uint32_t RecordTicks();
  static void RecordSpin(uint32_t until);
  void SyncKeys();

  DemoWriter writer_;
  std::vector<uint8_t> keys_;
  std::vector<DemoKeyChange> changes_;
  static DemoRecorder* active_;
  // Last, so the game's own input and clock are back before the rest goes.
  platform::SeamGuard seams_;
};
