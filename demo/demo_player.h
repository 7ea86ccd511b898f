#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "demo/demo_file.h"
#include "platform/seams.h"

// Replays a demo: while alive it is the game's input, clock and waits, and
// answers every read with what the recording saw at the same read of the
// same frame. A wait ends at once at the recorded time. When the game asks
// for something the frame did not record, or leaves reads unasked, the
// replay has left the recorded path: it goes on with the last values and
// says so in StepError().
class DemoPlayer : public platform::InputSource {
 public:
  explicit DemoPlayer(Demo demo);
  ~DemoPlayer() override;
  DemoPlayer(const DemoPlayer&) = delete;
  DemoPlayer& operator=(const DemoPlayer&) = delete;

  // Moves on to the next recorded frame; false when none is left.
  bool BeginFrame();
  // Notes a game that stopped before the recorded frames ran out.
  void CheckFinished();
  // Waits follow the recorded times on the wall clock, for watching.
  void SetRealTime(bool realTime) { realTime_ = realTime; }

  const Demo& Recording() const { return demo_; }
  size_t Frame() const { return frame_; }
  bool InStep() const { return stepError_.empty(); }
  const std::string& StepError() const { return stepError_; }

  int PollEvent(SDL_Event* event) override;
  const uint8_t* KeyState() override;
  uint8_t MouseState(int* x, int* y) override;
  void WarpMouse(int x, int y) override;

 private:
  static uint32_t ReplayTicks();
  static void ReplaySpin(uint32_t until);
  // [begin, end) of frame `frame_`'s share of a list.
  uint32_t End(uint32_t DemoFrameStart::*field, size_t listSize) const;
  bool Next(uint32_t DemoFrameStart::*field, size_t listSize, uint32_t& cursor,
            const char* what);
  void SyncKeys();
  void ApplyKeyRead();
  void OutOfStep(const std::string& why);
  void WaitForWallClock(uint32_t tick);

  Demo demo_;
  size_t frame_ = 0;
  uint32_t tick_ = 0;
  uint32_t poll_ = 0;
  uint32_t keyRead_ = 0;
  uint32_t pointer_ = 0;
  uint32_t now_ = 0;
  std::vector<uint8_t> keys_;
  DemoPointer lastPointer_;
  std::string stepError_;
  bool realTime_ = false;
  bool clockStarted_ = false;
  uint32_t firstTick_ = 0;
  std::chrono::steady_clock::time_point wallStart_;
  static DemoPlayer* active_;
  // Last, so the game's own input and clock are back before the rest goes.
  platform::SeamGuard seams_;
};
