#pragma once

// Particle layers (petals, snow, hearts, bokeh, stars): their shapes and
// their motion, one placement record per particle and changed frame.

#include "tools/templatec/scene.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace fotarel::templatec {

// Defines the particle shapes into `defs` (ids from `nextId`, which moves on)
// and adds each frame's records of particles `firstDepth`... to `perFrame`
// (one entry a frame, `frames` of them).
void addParticles(const Layer& l, int frames, int firstDepth, uint16_t& nextId, QByteArray& defs,
                  std::vector<QByteArray>& perFrame);

} // namespace fotarel::templatec
