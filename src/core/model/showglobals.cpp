#include "core/model/showglobals.h"

namespace vc {

ShowGlobals &globals()
{
    static ShowGlobals g;
    return g;
}

int timeToX(int ms)
{
    return int(double(float(ms < 0 ? 0 : ms) / globals().msPerPixel) + 0.5);
}

} // namespace vc
