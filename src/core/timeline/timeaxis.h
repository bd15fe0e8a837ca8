#pragma once

#include <QObject>

namespace vc {

// The zoom of the time axis: how many milliseconds one pixel stands for.
// The ruler, the tracks, their items and the waveform share one and follow
// its change signal.
class TimeAxis : public QObject
{
    Q_OBJECT

public:
    static constexpr float DefaultMsPerPixel = 10.0f;

    explicit TimeAxis(QObject *parent = nullptr);

    float msPerPixel() const { return m_msPerPixel; }
    void setMsPerPixel(float msPerPixel);

signals:
    void scaleChanged(float msPerPixel);

private:
    float m_msPerPixel = DefaultMsPerPixel;
};

} // namespace vc
