#pragma once
#include "tools/content/image.h"

// The game's bitmaps, painted from noise and simple shapes. Level materials
// tile seamlessly.

// An explosion particle: a fiery burst fading to pure black (transparent).
Image PaintExplosion();
// A mirrored-ball view of sky, horizon and ground, for the ship's shine.
Image PaintSphereMap();
// The menu's backdrop (stretched over the whole screen) and its material.
Image PaintMenuBackground();
Image PaintMenuMaterial();
// White clouds on a blue sky, for the two cloud planes.
Image PaintClouds();
// Level materials.
Image PaintGrass();
Image PaintRock();
Image PaintConcrete();
Image PaintMetal();
Image PaintSand();
