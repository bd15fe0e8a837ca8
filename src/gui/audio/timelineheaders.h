#pragma once

#include <QPoint>
#include <QTime>
#include <QVector>
#include <QWidget>

class QMenu;
class QPainter;

namespace vc {
class Show;
class TimeAxis;
} // namespace vc

// The play cursor standing on the time ruler: one pixel wide, as tall as
// the ruler, transparent for the mouse.
class Indicator : public QWidget
{
    Q_OBJECT
public:
    explicit Indicator(QWidget *parent = nullptr);

    QTime time() const { return m_time; }
    void setTime(const QTime &t) { m_time = t; }
    // The time in ms; a null time counts as 0.
    int msecs() const;

    // Sets the time and moves the cursor to its x at the present scale;
    // emits moved(x, byUser) when x changed. Returns whether it moved.
    bool placeAt(qint64 msecs, bool byUser = false);
    // Moves the cursor to x (keeping the time); emits moved(x, byUser)
    // when x changed.
    bool moveToX(int x, bool byUser);

    // The zoom the cursor is placed at; without one, the default scale.
    void setTimeAxis(const vc::TimeAxis *axis) { m_axis = axis; }
    float msPerPixel() const;

signals:
    void moved(int x, bool byUser);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTime m_time{0, 0};
    qint16 m_y = 17;
    const vc::TimeAxis *m_axis = nullptr;
};

// The time ruler above the tracks: ticks and labels at the timeline scale,
// the play indicator, the hover line and the start mark.
class TimelineHeaders : public QWidget
{
    Q_OBJECT
public:
    explicit TimelineHeaders(QWidget *parent = nullptr);

    Indicator *indicator() const { return m_indicator; }
    // The zoom the ruler and its indicator are drawn at.
    void setTimeAxis(const vc::TimeAxis *axis);
    float msPerPixel() const { return m_indicator->msPerPixel(); }
    QWidget *startShade() const { return m_startShade; }
    // Where an exported show begins, in ruler pixels at the present zoom;
    // 0 = no start mark. The mark itself is a time of the show.
    int startMark() const;
    // The show whose start mark the ruler sets and shades.
    void setDocument(vc::Show *show);
    // Length of the timeline in ms; the ruler is length / scale wide.
    int totalLength() const { return m_totalLength; }
    void setTotalLength(int msecs);
    // Applies the present timeline scale: width and indicator position
    // (emitting moved(x, false) if the indicator moved).
    void rescale();
    QPoint mousePosition() const { return m_mousePos; }

    // The song's beats (ms, ascending), marked along the ruler.
    void setBeats(const QVector<int> &beats);
    const QVector<int> &beats() const { return m_beats; }
    // The bar number of each beat of setBeats when it starts a bar, else 0:
    // those beats are drawn stronger, their numbers beside them.
    void setBars(const QVector<int> &bars);
    // The bar number of each beat when it starts a bar, else 0; empty
    // without bars.
    const QVector<int> &bars() const { return m_bars; }
    // When on, the indicator and dragged items snap to the beats.
    void setSnapToBeats(bool on) { m_snapToBeats = on; }
    bool snapToBeats() const { return m_snapToBeats; }
    // The beats to snap to: none while snapping is off.
    QVector<int> snapBeats() const { return m_snapToBeats ? m_beats : QVector<int>(); }

signals:
    void indicatorMoved(int x, bool byUser);
    // A beat mark dragged with Ctrl held, from fromMs by deltaMs: the whole
    // grid moves, or with Shift also held the beats from that one on.
    void beatDragged(qint64 fromMs, qint64 deltaMs, bool onlyLater);
    // The ruler's menu is about to open at the time ms: more entries may
    // be added to it.
    void menuOpening(QMenu *menu, qint64 ms);

public slots:
    void on_setStart_clicked();
    void on_resetStart_clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

public:
    // Mouse moves over the tracks are handed here so the hover line follows.
    void trackMouse(QMouseEvent *event);

private:
    void handleMove(const QPoint &pos, bool leftHeld);
    void openMenu(const QPoint &globalPos);
    void drawBeatMarks(QPainter &p, const QRect &area) const;

    Indicator *m_indicator = nullptr;
    QWidget *m_startShade = nullptr;
    void showStartMark(int ms);

    vc::Show *m_show = nullptr;
    int m_startMarkMs = 0;
    int m_totalLength = 300000;
    QPoint m_mousePos{-1, -1};
    qint16 m_rulerTop = 17;
    QVector<int> m_beats;
    QVector<int> m_bars;
    // A beat mark being dragged: its index (-1: none) and how far.
    int m_dragBeat = -1;
    int m_dragStartX = 0;
    int m_dragDx = 0;
    bool m_dragOnlyLater = false;
    bool m_snapToBeats = false;
};
