#pragma once

#include <QColor>
#include <QObject>
#include <QString>

namespace vc {

// The show being edited, as the whole editor shares it: the prop it is made
// for (LED count and frame rate), the editor's colour pair and the song.
// Widgets are views of it: they change it through its setters and follow
// its change signals, so nothing holds a stale copy. A setter that changes
// nothing announces nothing.
class Show : public QObject
{
    Q_OBJECT

public:
    explicit Show(QObject *parent = nullptr);

    // The prop: every pattern is scaled to `leds` pixels high; the prop
    // plays `frameRate` columns a second.
    qint16 leds() const { return m_leds; }
    float frameRate() const { return m_frameRate; }
    void setLeds(int leds);
    void setFrameRate(float frameRate);

    // The editor's colour pair: colour 1 is the front (text, effect, plain
    // colour), colour 2 the background.
    QColor colour1() const { return m_colour1; }
    QColor colour2() const { return m_colour2; }
    void setColour1(const QColor &colour);
    void setColour2(const QColor &colour);
    void setColours(const QColor &colour1, const QColor &colour2);

    // The song the show is laid out on; empty without one.
    QString songPath() const { return m_songPath; }
    void setSongPath(const QString &path);

    // The number of modes on all tracks.
    int modeCount() const { return m_modeCount; }
    void setModeCount(int count);

signals:
    void ledsChanged(int leds);
    void frameRateChanged(float frameRate);
    void coloursChanged(const QColor &colour1, const QColor &colour2);
    void songPathChanged(const QString &path);
    void modeCountChanged(int count);

private:
    qint16 m_leds = 0;
    float m_frameRate = 0.0f;
    QColor m_colour1{255, 255, 255};
    QColor m_colour2{0, 0, 0};
    QString m_songPath;
    int m_modeCount = 0;
};

} // namespace vc
