#include "level/vertex_colours.h"

#include <cmath>
#include <cstring>
#include <string>

#include "assets/byte_reader.h"

bool ReadVertexColours(ByteReader& reader, LevelData& level) {
  if (reader.Remaining() < sizeof kVertexColoursTag) return !reader.Failed();
  char tag[sizeof kVertexColoursTag];
  size_t start = reader.Position();
  reader.Bytes(tag, sizeof tag);
  if (std::memcmp(tag, kVertexColoursTag, sizeof tag) != 0) {
    reader.Seek(start);
    return !reader.Failed();
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
