#include "level/vertex_colours.h"

#include <cmath>
#include <cstring>
#include <string>

#include "assets/byte_reader.h"

namespace {

// Up to eight bytes as text when they are printable, else in hex.
std::string Describe(const uint8_t* bytes, size_t count) {
  bool printable = true;
  for (size_t i = 0; i < count; ++i) printable = printable && bytes[i] >= 0x20 && bytes[i] < 0x7F;
  if (printable) return "\"" + std::string(bytes, bytes + count) + "\"";
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < count; ++i) {
    hex += (i ? " " : "");
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 15];
  }
  return hex;
}

}  // namespace

bool ReadVertexColours(ByteReader& reader, LevelData& level) {
  if (reader.Failed()) return false;
  if (reader.Remaining() == 0) return true;  // no baked light
  // Anything else after the spawn points is this section: bytes that are
  // not mean the counts before them were wrong.
  const size_t remaining = reader.Remaining();
  const size_t shown = remaining < sizeof kVertexColoursTag ? remaining : sizeof kVertexColoursTag;
  const uint8_t* tag = reader.Next(shown);
  if (shown < sizeof kVertexColoursTag ||
      std::memcmp(tag, kVertexColoursTag, sizeof kVertexColoursTag) != 0) {
    reader.Fail(std::to_string(remaining) + " bytes follow the " +
                std::to_string(level.spawnPointCount) + " spawn points, beginning " +
                Describe(tag, shown) +
                " where only the vertex colour section (\"VCOLOURS\") may stand: a count "
                "before them is wrong");
    return false;
  }
  if (!reader.Expect(1, 4, "vertex colour count")) return false;
  uint32_t count = reader.U32();
  if (count != level.vertexCount) {
    reader.Fail("the vertex colours are for " + std::to_string(count) + " vertices, the level has " +
                std::to_string(level.vertexCount));
    return false;
  }
  if (!reader.Expect(count, 16, "vertex colours")) return false;
  for (uint32_t i = 0; i < count; ++i) {
    Colour& c = level.colours[i];
    c.r = reader.F32();
    c.g = reader.F32();
    c.b = reader.F32();
    c.a = reader.F32();
    for (float v : {c.r, c.g, c.b, c.a}) {
      if (!(v >= 0.0f) || !std::isfinite(v)) {
        reader.Fail("vertex colour " + std::to_string(i) + " is negative or not a finite number");
        return false;
      }
    }
  }
  return !reader.Failed();
}
