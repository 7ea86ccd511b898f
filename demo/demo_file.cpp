#include "demo/demo_file.h"

#include <cstdio>
#include <cstring>

#include "assets/byte_reader.h"
#include "platform/crc32.h"
#include "settings/key_names.h"

namespace {

enum DemoCode : uint8_t {
  kCodeFrame = 0x01,
  kCodeTick = 0x02,
  kCodeNoEvent = 0x03,
  kCodeEvent = 0x04,
  kCodeKeys = 0x05,
  kCodePointer = 0x06,
  kCodePointerSame = 0x07,
  kCodeKeysSame = 0x08,
  kCodePlaySettings = 0x09,
  kCodeEnd = 0x0F,
  kCodeShortTick = 0x80,  // 0x80-0xFF: a step of 0 to 127 ms
};

constexpr size_t kHeaderSize = sizeof kDemoMagic + 2 + 2 + 4 + 2 + 2;
constexpr size_t kChecksumSize = 4;

std::string Hex(unsigned v) {
  static const char kDigits[] = "0123456789abcdef";
  return std::string("0x") + kDigits[(v >> 4) & 15] + kDigits[v & 15];
}

bool ReadEvent(ByteReader& reader, SDL_Event& e) {
  e = SDL_Event{};
  uint8_t type = reader.U8();
  if (reader.Failed()) return false;
  if (type == SDL_NOEVENT || type >= SDL_NUMEVENTS) {
    reader.Fail("unknown event type " + std::to_string(type));
    return false;
  }
  e.type = type;
  switch (type) {
    case SDL_ACTIVEEVENT:
      e.active.gain = reader.U8();
      e.active.state = reader.U8();
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      e.key.which = reader.U8();
      e.key.state = reader.U8();
      e.key.keysym.scancode = reader.U8();
      uint16_t sym = reader.U16();
      uint16_t mod = reader.U16();
      e.key.keysym.unicode = reader.U16();
      if (!reader.Failed() && sym >= kDemoKeyCount) {
        reader.Fail("key event for key " + std::to_string(sym) + ", past the last key");
        return false;
      }
      e.key.keysym.sym = static_cast<SDLKey>(sym);
      e.key.keysym.mod = static_cast<SDLMod>(mod);
      break;
    }
    case SDL_MOUSEMOTION:
      e.motion.which = reader.U8();
      e.motion.state = reader.U8();
      e.motion.x = reader.U16();
      e.motion.y = reader.U16();
      e.motion.xrel = reader.I16();
      e.motion.yrel = reader.I16();
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      e.button.which = reader.U8();
      e.button.button = reader.U8();
      e.button.state = reader.U8();
      e.button.x = reader.U16();
      e.button.y = reader.U16();
      break;
    case SDL_VIDEORESIZE:
      e.resize.w = reader.I32();
      e.resize.h = reader.I32();
      if (!reader.Failed() && (e.resize.w < 0 || e.resize.w > kDemoMaxPointer ||
                               e.resize.h < 0 || e.resize.h > kDemoMaxPointer)) {
        reader.Fail("window resized to an impossible size");
        return false;
      }
      break;
    default:
      break;  // the game reads nothing but the type of the others
  }
  return !reader.Failed();
}

// The records between the header and the checksum.
bool ReadRecords(ByteReader& reader, Demo& demo);

bool ReadPlaySettings(ByteReader& reader, Settings& settings) {
  const uint8_t sensitivity = reader.U8();
  const uint8_t invert = reader.U8();
  for (uint16_t& key : settings.keys) key = reader.U16();
  const uint16_t roundSeconds = reader.U16();
  const uint8_t drones = reader.U8();
  if (reader.Failed()) return false;
  if (sensitivity < kMinSensitivity || sensitivity > kMaxSensitivity || invert > 1 ||
      roundSeconds < 1 || roundSeconds > kMaxRoundSeconds || drones > 1) {
    reader.Fail("the play settings hold a value out of range");
    return false;
  }
  for (size_t i = 0; i < settings.keys.size(); ++i) {
    if (!IsBindable(settings.keys[i])) {
      reader.Fail("the play settings bind key " + std::to_string(settings.keys[i]) +
                  ", which cannot be bound");
      return false;
    }
    for (size_t j = 0; j < i; ++j) {
      if (settings.keys[i] == settings.keys[j]) {
        reader.Fail("the play settings bind one key to two actions");
        return false;
      }
    }
  }
  settings.mouseSensitivity = sensitivity;
  settings.invertLook = invert != 0;
  settings.roundSeconds = roundSeconds;
  settings.drones = drones != 0;
  return true;
}

}  // namespace


DemoWriter::DemoWriter(uint32_t randomState, int screenWidth, int screenHeight) {
  for (const auto byte : kDemoMagic) out_.U8(static_cast<uint8_t>(byte));
  out_.U16(kDemoVersion);
  out_.U16(0);
  out_.U32(randomState);
  out_.U16(static_cast<uint16_t>(screenWidth));
  out_.U16(static_cast<uint16_t>(screenHeight));
}

void DemoWriter::PlaySettings(const Settings& settings) {
  if (ended_ || frameCount_ > 0) return;
  out_.U8(kCodePlaySettings);
  out_.U8(static_cast<uint8_t>(settings.mouseSensitivity));
  out_.U8(settings.invertLook ? 1 : 0);
  for (uint16_t key : settings.keys) out_.U16(key);
  out_.U16(static_cast<uint16_t>(settings.roundSeconds));
  out_.U8(settings.drones ? 1 : 0);
}

void DemoWriter::Frame() {
  if (ended_) return;
  out_.U8(kCodeFrame);
  ++frameCount_;
}

void DemoWriter::Tick(uint32_t value) {
  if (ended_) return;
  uint32_t step = value - lastTick_;
  lastTick_ = value;
  if (step < 0x80) {
    out_.U8(static_cast<uint8_t>(kCodeShortTick | step));
  } else {
    out_.U8(kCodeTick);
    out_.Varint(step);
  }
}

void DemoWriter::Poll(const SDL_Event* event) {
  if (ended_) return;
  if (!event) {
    out_.U8(kCodeNoEvent);
    return;
  }
  const SDL_Event& e = *event;
  out_.U8(kCodeEvent);
  out_.U8(e.type);
  switch (e.type) {
    case SDL_ACTIVEEVENT:
      out_.U8(e.active.gain);
      out_.U8(e.active.state);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out_.U8(e.key.which);
      out_.U8(e.key.state);
      out_.U8(e.key.keysym.scancode);
      out_.U16(static_cast<uint16_t>(e.key.keysym.sym));
      out_.U16(static_cast<uint16_t>(e.key.keysym.mod));
      out_.U16(e.key.keysym.unicode);
      break;
    case SDL_MOUSEMOTION:
      out_.U8(e.motion.which);
      out_.U8(e.motion.state);
      out_.U16(e.motion.x);
      out_.U16(e.motion.y);
      out_.U16(static_cast<uint16_t>(e.motion.xrel));
      out_.U16(static_cast<uint16_t>(e.motion.yrel));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      out_.U8(e.button.which);
      out_.U8(e.button.button);
      out_.U8(e.button.state);
      out_.U16(e.button.x);
      out_.U16(e.button.y);
      break;
    case SDL_VIDEORESIZE:
      out_.U32(static_cast<uint32_t>(e.resize.w));
      out_.U32(static_cast<uint32_t>(e.resize.h));
      break;
    default:
      break;
  }
}

void DemoWriter::KeyRead(const std::vector<DemoKeyChange>& changes) {
  if (ended_) return;
  if (changes.empty()) {
    out_.U8(kCodeKeysSame);
    return;
  }
  out_.U8(kCodeKeys);
  out_.Varint(static_cast<uint32_t>(changes.size()));
  for (const DemoKeyChange& change : changes) {
    out_.U16(change.key);
    out_.U8(change.value);
  }
}

void DemoWriter::Pointer(const DemoPointer& p) {
  if (ended_) return;
  if (pointerSeen_ && p.buttons == lastPointer_.buttons && p.x == lastPointer_.x &&
      p.y == lastPointer_.y) {
    out_.U8(kCodePointerSame);
    return;
  }
  pointerSeen_ = true;
  lastPointer_ = p;
  out_.U8(kCodePointer);
  out_.U8(p.buttons);
  out_.SignedVarint(p.x);
  out_.SignedVarint(p.y);
}

void DemoWriter::End() {
  if (ended_) return;
  out_.U8(kCodeEnd);
  out_.U32(frameCount_);
  out_.U32(Crc32(out_.Bytes().data(), out_.Size(), checksum_));
  ended_ = true;
}

std::vector<uint8_t> DemoWriter::TakeBytes() {
  if (!ended_) checksum_ = Crc32(out_.Bytes().data(), out_.Size(), checksum_);
  std::vector<uint8_t> taken;
  taken.swap(out_.Bytes());
  return taken;
}

bool ReadDemo(ByteReader& reader, Demo& demo) {
  demo = Demo{};
  const size_t size = reader.Size();
  if (size < kHeaderSize) {
    reader.Fail("too short for a demo (" + std::to_string(size) + " bytes)");
    return false;
  }
  char magic[sizeof kDemoMagic];
  reader.Bytes(magic, sizeof magic);
  if (std::memcmp(magic, kDemoMagic, sizeof magic) != 0) {
    reader.Fail("not a Driftwing demo (it does not begin with \"DRIFTDEM\")");
    return false;
  }
  uint16_t version = reader.U16();
  if (version < kDemoVersion) {
    reader.Fail("the demo was recorded by an older version of the game (demo version " +
                std::to_string(version) + "); this game plays version " +
                std::to_string(kDemoVersion) + ": record it again");
    return false;
  }
  if (version != kDemoVersion) {
    reader.Fail("demo version " + std::to_string(version) + ", this game plays version " +
                std::to_string(kDemoVersion));
    return false;
  }
  if (reader.U16() != 0) {
    reader.Fail("unknown demo flags");
    return false;
  }
  if (size < kHeaderSize + kChecksumSize) {
    reader.Fail("too short for a demo (" + std::to_string(size) + " bytes)");
    return false;
  }
  // Any damage shows here, before a record is believed.
  reader.Seek(0);
  const uint8_t* body = reader.Next(size - kChecksumSize);
  const uint32_t stored = reader.U32();
  if (reader.Failed()) return false;
  const uint32_t computed = Crc32(body, size - kChecksumSize);
  if (stored != computed) {
    char why[128];
    std::snprintf(why, sizeof why,
                  "the demo is damaged: its checksum does not match (%08x stored, %08x of its "
                  "bytes)",
                  static_cast<unsigned>(stored), static_cast<unsigned>(computed));
    reader.Fail(why);
    return false;
  }
  ByteReader records(body, size - kChecksumSize);
  records.Seek(sizeof kDemoMagic + 4);
  if (!ReadRecords(records, demo)) {
    reader.Fail(records.Error());
    return false;
  }
  return true;
}

namespace {

bool ReadRecords(ByteReader& reader, Demo& demo) {
  demo.randomState = reader.U32();
  demo.screenWidth = reader.U16();
  demo.screenHeight = reader.U16();

  // Frame 0: what start-up read. Every record is at least one byte, so the
  // lists below never grow past the size of the file.
  demo.frames.push_back(DemoFrameStart{});
  uint32_t tick = 0;
  DemoPointer pointer;
  bool pointerSeen = false;
  bool settingsSeen = false;
  for (;;) {
    size_t at = reader.Position();
    if (reader.Remaining() == 0) {
      reader.Fail("the demo ends without its end mark (cut short?)");
      return false;
    }
    uint8_t code = reader.U8();
    if (code >= kCodeShortTick) {
      tick += code - kCodeShortTick;
      demo.ticks.push_back(tick);
      continue;
    }
    switch (code) {
      case kCodeFrame:
        demo.frames.push_back(
            DemoFrameStart{static_cast<uint32_t>(demo.ticks.size()),
                           static_cast<uint32_t>(demo.polls.size()),
                           static_cast<uint32_t>(demo.keyReadEnds.size()),
                           static_cast<uint32_t>(demo.pointers.size())});
        break;
      case kCodeTick:
        tick += reader.Varint();
        demo.ticks.push_back(tick);
        break;
      case kCodeNoEvent:
        demo.polls.push_back(DemoPoll{});
        break;
      case kCodeEvent: {
        DemoPoll poll;
        poll.hasEvent = true;
        if (!ReadEvent(reader, poll.event)) break;
        demo.polls.push_back(poll);
        break;
      }
      case kCodeKeys: {
        uint32_t count = reader.Varint();
        if (reader.Failed()) break;
        if (count == 0 || count > kDemoKeyCount) {
          reader.Fail("a key state read changes " + std::to_string(count) + " keys");
          break;
        }
        if (!reader.Expect(count, 3, "key changes")) break;
        for (uint32_t i = 0; i < count; ++i) {
          DemoKeyChange change{reader.U16(), reader.U8()};
          if (change.key >= kDemoKeyCount) {
            reader.Fail("key " + std::to_string(change.key) + " is past the last key");
            break;
          }
          demo.keyChanges.push_back(change);
        }
        demo.keyReadEnds.push_back(static_cast<uint32_t>(demo.keyChanges.size()));
        break;
      }
      case kCodeKeysSame:
        demo.keyReadEnds.push_back(static_cast<uint32_t>(demo.keyChanges.size()));
        break;
      case kCodePlaySettings:
        if (settingsSeen || demo.FrameCount() > 0) {
          reader.Fail("play settings at byte " + std::to_string(at) +
                      ", after the first frame or a second time");
          break;
        }
        settingsSeen = true;
        ReadPlaySettings(reader, demo.playSettings);
        break;
      case kCodePointer:
        pointer.buttons = reader.U8();
        pointer.x = reader.SignedVarint();
        pointer.y = reader.SignedVarint();
        if (!reader.Failed() && (pointer.x < -kDemoMaxPointer || pointer.x > kDemoMaxPointer ||
                                 pointer.y < -kDemoMaxPointer || pointer.y > kDemoMaxPointer)) {
          reader.Fail("pointer position " + std::to_string(pointer.x) + ", " +
                      std::to_string(pointer.y) + " is far outside any window");
          break;
        }
        pointerSeen = true;
        demo.pointers.push_back(pointer);
        break;
      case kCodePointerSame:
        if (!pointerSeen) {
          reader.Fail("an unchanged pointer read before any pointer read");
          break;
        }
        demo.pointers.push_back(pointer);
        break;
      case kCodeEnd: {
        uint32_t frameCount = reader.U32();
        if (reader.Failed()) break;
        if (frameCount != demo.FrameCount()) {
          reader.Fail("the end mark counts " + std::to_string(frameCount) + " frames, the demo has " +
                      std::to_string(demo.FrameCount()));
          return false;
        }
        if (reader.Remaining() != 0) {
          reader.Fail(std::to_string(reader.Remaining()) + " bytes after the end mark");
          return false;
        }
        if (demo.FrameCount() == 0) {
          reader.Fail("the demo has no frames");
          return false;
        }
        return true;
      }
      default:
        reader.Fail("unknown record " + Hex(code) + " at byte " + std::to_string(at));
        return false;
    }
    if (reader.Failed()) return false;
  }
}

}  // namespace

bool LoadDemo(const char* path, Demo& demo, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  ByteReader reader(bytes);
  if (!ReadDemo(reader, demo)) {
    error = reader.Error();
    return false;
  }
  return true;
}
