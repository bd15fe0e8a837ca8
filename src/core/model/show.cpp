#include "core/model/show.h"

namespace vc {

Show::Show(QObject *parent) : QObject(parent) {}

void Show::setLeds(int leds)
{
    const auto value = static_cast<qint16>(leds);
    if (value == m_leds)
        return;
    m_leds = value;
    emit ledsChanged(m_leds);
}

void Show::setFrameRate(float frameRate)
{
    if (frameRate == m_frameRate)
        return;
    m_frameRate = frameRate;
    emit frameRateChanged(m_frameRate);
}

void Show::setColour1(const QColor &colour)
{
    setColours(colour, m_colour2);
}

void Show::setColour2(const QColor &colour)
{
    setColours(m_colour1, colour);
}

void Show::setColours(const QColor &colour1, const QColor &colour2)
{
    if (colour1 == m_colour1 && colour2 == m_colour2)
        return;
    m_colour1 = colour1;
    m_colour2 = colour2;
    emit coloursChanged(m_colour1, m_colour2);
}

void Show::setSongPath(const QString &path)
{
    if (path == m_songPath)
        return;
    m_songPath = path;
    emit songPathChanged(m_songPath);
}

void Show::setModeCount(int count)
{
    if (count == m_modeCount)
        return;
    m_modeCount = count;
    emit modeCountChanged(m_modeCount);
}

} // namespace vc
