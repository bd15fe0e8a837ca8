#include "core/model/repeatsuggestion.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace vc {

int repeatSuggestion(double seconds, int speed, float frameRate, int patternWidth)
{
    // Without a pattern nothing repeats: the lowest count, not a division
    // by a width of 0.
    if (patternWidth <= 0)
        return MinLoops;
    const double k = frameRate <= 1500.0f ? 1000.0 : 1500.0;
    // Formed in double precision and narrowed to single precision before
    // the maximum: stored repeat counts depend on this rounding.
    const float value = static_cast<float>(seconds * speed * k / (patternWidth * 10.0) + 0.5);
    const float limited = std::max(1.0f, value);
    if (!(limited < float(MaxLoops)))
        return MaxLoops;
    return std::clamp(static_cast<int>(limited), MinLoops, MaxLoops);
}

int patternWidth(const QSize &size, int leds)
{
    if (size.isEmpty() || leds <= 0)
        return 0;
    // As QImage::scaledToHeight(leds, Qt::FastTransformation) sizes it.
    const qreal factor = qreal(leds) / size.height();
    return qRound(factor * size.width());
}

} // namespace vc
