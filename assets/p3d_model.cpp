#include "assets/p3d_model.h"

P3dModel::~P3dModel() {}
bool P3dModel::Load(const char*) { return false; }
void P3dModel::Draw() const {}
void P3dModel::DrawWithMaterial(const Material&) const {}
