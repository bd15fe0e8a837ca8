#include "core/timeline/timeaxis.h"

namespace vc {

TimeAxis::TimeAxis(QObject *parent) : QObject(parent) {}

void TimeAxis::setMsPerPixel(float msPerPixel)
{
    if (msPerPixel == m_msPerPixel)
        return;
    m_msPerPixel = msPerPixel;
    emit scaleChanged(m_msPerPixel);
}

} // namespace vc
