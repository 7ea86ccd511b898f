#pragma once
#include "level/level_data.h"

class ByteReader;

// The eight characters a level file begins with; no terminator in the file.
constexpr char kLevelTag[8] = {'U', 'N', 'I', 'V', 'E', 'R', 'S', 'E'};
constexpr int kLevelHeaderSize = 28;

// Parses a whole level file into `out`, which should be empty. False, with
// the reason in `reader`, for a file that is not a level, is cut short, or
// holds a count, index or name the game cannot use; `out` is then partly
// filled and should be thrown away. `loaded` is left for the caller.
bool ReadLevel(ByteReader& reader, LevelData& out);
