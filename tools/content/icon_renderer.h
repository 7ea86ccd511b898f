#pragma once
#include <cstdint>
#include <vector>

#include "tools/content/image.h"
#include "tools/content/p3d_writer.h"

// Draws a textured model for a desktop icon, without any graphics device: a
// small software rasteriser with a depth buffer, seen from in front and
// above, lit by one light, filling the square on a transparent background.
// Returns `size` x `size` RGBA rows, the top row first.
std::vector<uint8_t> RenderModelIcon(const P3dMesh& mesh, const Image& texture, int size);
