#include "model/showglobals.h"

namespace vc {

ShowGlobals &globals()
{
    static ShowGlobals g;
    return g;
}

} // namespace vc
