#pragma once

#include <QtGlobal>

namespace vc {

// Values the whole program shares: the prop's LED count and frame rate,
// and the timeline scale. The main window sets them; tracks, items, the
// preview and the export read them.
struct ShowGlobals
{
    qint16 leds = 0;          // pixel height every pattern is scaled to
    float frameRate = 0.0f;   // columns per second
    float msPerPixel = 10.0f; // timeline scale
};

ShowGlobals &globals();

// The x of a time on a track at the timeline scale: ms / scale rounded by
// adding 0.5 and truncating; a null time (-1) counts as 0.
int timeToX(int ms);

} // namespace vc
