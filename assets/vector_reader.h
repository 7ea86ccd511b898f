#pragma once
#include "assets/byte_reader.h"
#include "world/vector3.h"

// Three little-endian floats x, y, z, as every file format of the game stores them.
inline Vector3 ReadVector3(ByteReader& reader) {
  float x = reader.F32();
  float y = reader.F32();
  float z = reader.F32();
  return Vector3(x, y, z);
}
