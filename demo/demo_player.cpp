#include "demo/demo_player.h"

#include <thread>
#include <utility>

DemoPlayer* DemoPlayer::active_ = nullptr;

DemoPlayer::DemoPlayer(Demo demo)
    : demo_(std::move(demo)),
      keys_(kDemoKeyCount, 0),
      seams_(this, &ReplayTicks, &ReplaySpin) {
  if (demo_.frames.empty()) demo_.frames.push_back(DemoFrameStart{});
  if (!demo_.ticks.empty()) now_ = demo_.ticks.front();
  active_ = this;
}

DemoPlayer::~DemoPlayer() { active_ = nullptr; }

uint32_t DemoPlayer::End(uint32_t DemoFrameStart::*field, size_t listSize) const {
  if (frame_ + 1 < demo_.frames.size()) return demo_.frames[frame_ + 1].*field;
  return static_cast<uint32_t>(listSize);
}

bool DemoPlayer::Next(uint32_t DemoFrameStart::*field, size_t listSize, uint32_t& cursor,
                      const char* what) {
  if (cursor < End(field, listSize)) return true;
  OutOfStep(std::string("the game read ") + what + " more often than recorded");
  return false;
}

void DemoPlayer::OutOfStep(const std::string& why) {
  if (stepError_.empty()) stepError_ = "frame " + std::to_string(frame_) + ": " + why;
}

bool DemoPlayer::BeginFrame() {
  if (tick_ < End(&DemoFrameStart::tick, demo_.ticks.size()) ||
      poll_ < End(&DemoFrameStart::poll, demo_.polls.size()) ||
      keyRead_ < End(&DemoFrameStart::keyRead, demo_.keyReadEnds.size()) ||
      pointer_ < End(&DemoFrameStart::pointer, demo_.pointers.size())) {
    OutOfStep("the game read less than recorded");
  }
  // Reads a frame left unasked are skipped, so the next frame starts where
  // the recording's did; key changes are kept, as later reads build on them.
  uint32_t keyReadEnd = End(&DemoFrameStart::keyRead, demo_.keyReadEnds.size());
  while (keyRead_ < keyReadEnd) ApplyKeyRead();
  if (frame_ + 1 >= demo_.frames.size()) return false;
  ++frame_;
  const DemoFrameStart& start = demo_.frames[frame_];
  tick_ = start.tick;
  poll_ = start.poll;
  keyRead_ = start.keyRead;
  pointer_ = start.pointer;
  return true;
}

void DemoPlayer::CheckFinished() {
  if (frame_ < demo_.FrameCount()) {
    OutOfStep("the game stopped, " + std::to_string(demo_.FrameCount() - frame_) +
              " recorded frames before the end");
  }
}

uint32_t DemoPlayer::ReplayTicks() {
  DemoPlayer& p = *active_;
  if (p.Next(&DemoFrameStart::tick, p.demo_.ticks.size(), p.tick_, "the clock")) {
    p.now_ = p.demo_.ticks[p.tick_++];
  }
  return p.now_;
}

void DemoPlayer::ReplaySpin(uint32_t until) {
  DemoPlayer& p = *active_;
  uint32_t now = ReplayTicks();
  // A wait always ends, on the recorded path at the recorded time.
  if (static_cast<int32_t>(now - until) < 0) {
    p.OutOfStep("a wait ended before its time");
    p.now_ = until;
  }
  if (p.realTime_) p.WaitForWallClock(p.now_);
}

void DemoPlayer::WaitForWallClock(uint32_t tick) {
  if (!clockStarted_) {
    clockStarted_ = true;
    firstTick_ = tick;
    wallStart_ = std::chrono::steady_clock::now();
    return;
  }
  // Recorded pauses longer than a second are cut short.
  auto target = wallStart_ + std::chrono::milliseconds(tick - firstTick_);
  auto now = std::chrono::steady_clock::now();
  if (target > now + std::chrono::seconds(1)) {
    wallStart_ -= target - (now + std::chrono::seconds(1));
    target = now + std::chrono::seconds(1);
  }
  if (target > now) std::this_thread::sleep_until(target);
}

int DemoPlayer::PollEvent(SDL_Event* event) {
  if (!Next(&DemoFrameStart::poll, demo_.polls.size(), poll_, "events")) return 0;
  const DemoPoll& poll = demo_.polls[poll_++];
  if (poll.hasEvent && event) *event = poll.event;
  SyncKeys();
  return poll.hasEvent ? 1 : 0;
}

const uint8_t* DemoPlayer::KeyState() {
  SyncKeys();
  return keys_.data();
}

void DemoPlayer::SyncKeys() {
  if (Next(&DemoFrameStart::keyRead, demo_.keyReadEnds.size(), keyRead_, "the keys")) {
    ApplyKeyRead();
  }
}

void DemoPlayer::ApplyKeyRead() {
  uint32_t begin = keyRead_ == 0 ? 0 : demo_.keyReadEnds[keyRead_ - 1];
  uint32_t end = demo_.keyReadEnds[keyRead_++];
  for (uint32_t i = begin; i < end; ++i) keys_[demo_.keyChanges[i].key] = demo_.keyChanges[i].value;
}

uint8_t DemoPlayer::MouseState(int* x, int* y) {
  if (Next(&DemoFrameStart::pointer, demo_.pointers.size(), pointer_, "the pointer")) {
    lastPointer_ = demo_.pointers[pointer_++];
  }
  if (x) *x = lastPointer_.x;
  if (y) *y = lastPointer_.y;
  return lastPointer_.buttons;
}

// The recorded reads already hold where the pointer went.
void DemoPlayer::WarpMouse(int, int) {}
