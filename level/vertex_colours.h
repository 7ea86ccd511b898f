#pragma once
#include "level/level_data.h"

class ByteReader;

// Baked light: an optional section after the spawn points, written by levelc.
// It is the tag, a uint32 count equal to the vertex count, then r, g, b, a
// float32 per vertex. Older readers stop at the spawn points and so ignore
// it; a level without it keeps every colour at (1, 1, 1, 1).
constexpr char kVertexColoursTag[8] = {'V', 'C', 'O', 'L', 'O', 'U', 'R', 'S'};

// Called right after ReadLevel with the reader where it stopped. False, with
// the reason in `reader`, when bytes follow the spawn points that do not
// begin with the tag (a spawn point or path count that is wrong would
// otherwise go unseen), or for a section that is cut short, counts other
// vertices or holds a colour that is negative or not a finite number.
bool ReadVertexColours(ByteReader& reader, LevelData& level);
