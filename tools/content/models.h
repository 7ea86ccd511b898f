#pragma once
#include "tools/content/image.h"
#include "tools/content/mesh_builder.h"

// The hover craft shown turning in the menu: about 5.5 units long, nose
// towards -z, centred on the origin, painted by "models/ship.bmp".
MeshBuilder BuildShipMesh();
Image PaintShipTexture();

// The rocket: 2 units long on the z axis, nose towards -z (a rocket's model
// z axis is turned against its flight), painted by "models/rocket.bmp".
MeshBuilder BuildRocketMesh();
Image PaintRocketTexture();

// The drone: a saucer about 7.6 units across and 2.8 high, centred on the
// origin, its eye towards +z, painted by "models/drone.bmp".
MeshBuilder BuildDroneMesh();
Image PaintDroneTexture();
