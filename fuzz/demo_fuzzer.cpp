// libFuzzer target for the demo reader: any bytes are either refused with a
// reason or give a demo that replays through the game's input and clock
// seams, with every read answered from the demo's own lists. The checksum's
// own check is the flipped-bit test of tests/app/demo_test.cpp.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/byte_reader.h"
#include "demo/demo_file.h"
#include "demo/demo_player.h"
#include "platform/clock.h"
#include "platform/crc32.h"
#include "platform/input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The checksum is made to match, or nearly every mutation would stop
  // there and the records behind it would go unread.
  std::vector<uint8_t> bytes(data, data + size);
  if (size >= 4) {
    const uint32_t crc = Crc32(bytes.data(), size - 4);
    for (int i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
  }
  ByteReader reader(bytes);
  Demo demo;
  if (!ReadDemo(reader, demo)) return 0;
  // Read each frame as a game might, asking more of some lists than a frame
  // holds, so both the recorded path and the leaving of it are exercised.
  DemoPlayer player(std::move(demo));
  unsigned pass = 0;
  do {
    ++pass;
    uint32_t now = platform::Ticks();
    SDL_Event event;
    while (platform::PollEvent(&event)) {
    }
    const uint8_t* keys = platform::KeyState();
    volatile uint8_t escape = keys[SDLK_ESCAPE];
    (void)escape;
    int x = 0;
    int y = 0;
    platform::MouseState(&x, &y);
    if (pass % 3 == 0) platform::MouseState(nullptr, nullptr);
    platform::SpinUntil(now + 1);
  } while (player.BeginFrame() && pass < 100000);
  return 0;
}
