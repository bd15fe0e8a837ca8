#pragma once

#include <QSize>

namespace vc {

// The range of the repeat-count spin box.
constexpr int MinLoops = 1;
constexpr int MaxLoops = 9999;

// How often a pattern W columns wide is played within seconds at the
// given speed (2..18): the repeat count the editor suggests. Props above
// 1500 frames per second play half again as many columns. The result is
// held to MinLoops..MaxLoops; without a pattern (W = 0) it is MinLoops.
int repeatSuggestion(double seconds, int speed, float frameRate, int patternWidth);

// Width of a pattern of size once scaled to height leds (the pattern
// width W); 0 for an empty pattern or no LEDs.
int patternWidth(const QSize &size, int leds);

} // namespace vc
