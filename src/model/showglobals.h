#pragma once

#include <QtGlobal>

namespace vc {

// Values the whole program shares: the prop's LED count and frame rate,
// and the timeline scale. The main window sets them; tracks, items, the
// preview and the export read them.
struct ShowGlobals
{
    qint16 leds = 0;         // pixel height every pattern is scaled to
    float frameRate = 0.0f;  // columns per second
    float msPerPixel = 10.0f; // timeline scale
};

ShowGlobals &globals();

} // namespace vc
