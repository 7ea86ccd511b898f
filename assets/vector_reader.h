#pragma once
#include "assets/byte_reader.h"
#include "math/vector3.h"

// Three little-endian floats x, y, z, as every file format of the game stores them.
inline Vector3 ReadVector3(ByteReader& reader) {
  float x = reader.F32();
  float y = reader.F32();
  float z = reader.F32();
  return Vector3(x, y, z);
}

// The same three floats where they lie, in a record taken whole with Next.
inline Vector3 DecodeVector3(const uint8_t* p) {
  return Vector3(ByteReader::DecodeF32(p), ByteReader::DecodeF32(p + 4),
                 ByteReader::DecodeF32(p + 8));
}
