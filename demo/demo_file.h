#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "assets/byte_writer.h"
#include "settings/settings.h"

class ByteReader;

// A demo: every input the game read and every tick-clock value it saw, frame
// by frame, so that a replay gives the game exactly the same answers.
//
// File layout (little-endian): the 8 characters "DRIFTDEM", u16 version (2),
// u16 flags (0), u32 state of the particles' random generator, u16 screen
// width, u16 screen height; then one record after another, each a code byte:
//   0x01 frame: the reads that follow belong to the next frame
//   0x02 tick: varint, added to the previous tick (wrapping at 2^32)
//   0x80-0xFF tick: the previous tick plus (code - 0x80)
//   0x03 poll that found no event;  0x04 poll: u8 event type, its fields
//   0x05 key state, after each poll and each read of it: varint count, then
//        count x (u16 key, u8 value) of the keys that changed;  0x08 unchanged
//   0x06 pointer read: u8 buttons, zigzag varints x and y;  0x07 unchanged
//   0x09 play settings, at most once and before the first frame: u8 mouse
//        sensitivity, u8 invert look, u16 x 5 key bindings (thrust, back,
//        strafe left, strafe right, fire), u16 round seconds, u8 drones;
//        a demo without them was played with the defaults
//   0x0F end: u32 number of frame records;
// then the u32 CRC-32 (as zlib's crc32) of every byte before it, and nothing
// more. Version 1 had no checksum.
constexpr char kDemoMagic[8] = {'D', 'R', 'I', 'F', 'T', 'D', 'E', 'M'};
constexpr uint16_t kDemoVersion = 2;
constexpr int kDemoKeyCount = SDLK_LAST;
// Pointer positions are window pixels; anything far outside is damage.
constexpr int32_t kDemoMaxPointer = 65535;

struct DemoPoll {
  bool hasEvent = false;
  SDL_Event event{};
};

struct DemoKeyChange {
  uint16_t key;
  uint8_t value;
};

struct DemoPointer {
  uint8_t buttons = 0;
  int32_t x = 0;
  int32_t y = 0;
};

// Where one frame's reads begin in each list of a Demo.
struct DemoFrameStart {
  uint32_t tick = 0;
  uint32_t poll = 0;
  uint32_t keyRead = 0;
  uint32_t pointer = 0;
};

struct Demo {
  uint32_t randomState = 1;
  // The settings that decide what play makes of the input; the defaults
  // when the demo holds none.
  Settings playSettings;
  uint16_t screenWidth = 0;
  uint16_t screenHeight = 0;
  std::vector<uint32_t> ticks;  // the values, not the steps between them
  std::vector<DemoPoll> polls;
  std::vector<DemoKeyChange> keyChanges;
  std::vector<uint32_t> keyReadEnds;  // per key state record: end of its changes
  std::vector<DemoPointer> pointers;
  // Frame 0 holds what was read before the first frame (start-up); the
  // recorded frames follow.
  std::vector<DemoFrameStart> frames;

  // How many frames the loop ran while recording.
  size_t FrameCount() const { return frames.empty() ? 0 : frames.size() - 1; }
};


// Writes a demo as the game reads: records go into Bytes() as they come; a
// recorder streaming them to its file takes them as it goes.
class DemoWriter {
 public:
  DemoWriter(uint32_t randomState, int screenWidth, int screenHeight);

  // The settings of `settings` that change what play does with the input;
  // written before the first frame, once.
  void PlaySettings(const Settings& settings);
  void Frame();
  void Tick(uint32_t value);
  void Poll(const SDL_Event* event);  // nullptr: no event was waiting
  void KeyRead(const std::vector<DemoKeyChange>& changes);
  void Pointer(const DemoPointer& pointer);
  // The end mark and the checksum; nothing is written after them.
  void End();

  // The bytes written and not yet taken.
  const std::vector<uint8_t>& Bytes() const { return out_.Bytes(); }
  // Hands over Bytes(), which then starts empty again.
  std::vector<uint8_t> TakeBytes();
  uint32_t FrameCount() const { return frameCount_; }

 private:
  ByteWriter out_;
  uint32_t checksum_ = 0;  // of the bytes taken
  uint32_t lastTick_ = 0;
  DemoPointer lastPointer_;
  bool pointerSeen_ = false;
  uint32_t frameCount_ = 0;
  bool ended_ = false;
};

// Reads a whole demo from a reader over a block of bytes; the checksum is
// checked before any record is read. False, with the reason in the reader's
// error, for a file that is not a demo, of another version, cut short, or
// damaged.
bool ReadDemo(ByteReader& reader, Demo& demo);

// Reads the demo file at `path`; false with a reason when it cannot be used.
bool LoadDemo(const char* path, Demo& demo, std::string& error);
