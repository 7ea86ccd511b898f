#include "demo/demo_recorder.h"

DemoRecorder* DemoRecorder::active_ = nullptr;

DemoRecorder::DemoRecorder(uint32_t randomState, int screenWidth, int screenHeight,
                           const Settings& play)
    : writer_(randomState, screenWidth, screenHeight),
      keys_(kDemoKeyCount, 0),
      seams_(this, &RecordTicks, &RecordSpin) {
  writer_.PlaySettings(play);
  active_ = this;
}

DemoRecorder::~DemoRecorder() { active_ = nullptr; }

const std::vector<uint8_t>& DemoRecorder::Finish() {
  writer_.End();
  return writer_.Bytes();
}

uint32_t DemoRecorder::RecordTicks() {
  uint32_t now = active_->seams_.Clock()();
  active_->writer_.Tick(now);
  return now;
}

// Only where the wait ended is worth keeping: a replay jumps there.
void DemoRecorder::RecordSpin(uint32_t until) {
  active_->writer_.Tick(platform::SpinOn(active_->seams_.Clock(), until));
}

int DemoRecorder::PollEvent(SDL_Event* event) {
  int got = seams_.Input()->PollEvent(event);
  writer_.Poll(got ? event : nullptr);
  SyncKeys();  // the poll may have changed the key array
  return got;
}

const uint8_t* DemoRecorder::KeyState() {
  SyncKeys();
  return keys_.data();
}

void DemoRecorder::SyncKeys() {
  const uint8_t* live = seams_.Input()->KeyState();
  changes_.clear();
  for (int key = 0; key < kDemoKeyCount; ++key) {
    if (live[key] != keys_[key]) {
      changes_.push_back(DemoKeyChange{static_cast<uint16_t>(key), live[key]});
      keys_[key] = live[key];
    }
  }
  writer_.KeyRead(changes_);
}

uint8_t DemoRecorder::MouseState(int* x, int* y) {
  DemoPointer pointer;
  pointer.buttons = seams_.Input()->MouseState(&pointer.x, &pointer.y);
  writer_.Pointer(pointer);
  if (x) *x = pointer.x;
  if (y) *y = pointer.y;
  return pointer.buttons;
}

void DemoRecorder::WarpMouse(int x, int y) { seams_.Input()->WarpMouse(x, y); }
