#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>

class QPainter;
class QRadialGradient;

namespace vc {

// The simulated spinning prop: a disc that accumulates the pattern column by
// column as the eye sees it, and a staff that shows the current column.
// Everything is drawn into two 400 x 400 images; compose() paints them onto
// a widget. Pure drawing state, no widget, so it can be tested headless.
class PropPreview
{
public:
    PropPreview();

    // A new pattern: rows = leds, played `loops` times in `seconds`.
    void setPattern(const QPixmap &pattern, short leds, double seconds, int loops);
    void setPattern(const QImage &pattern, short leds, double seconds, int loops);
    // Angle step per column in sixteenths of a degree; 0 draws the still disc.
    void setSweep(int sweep);
    // Continue at the phase of time t inside an item running from start to end.
    void seek(int t, int start, int end);
    // A change of LED count: both views black, phase and clock restarted.
    void clearViews();

    // One animation step for `elapsedMs` milliseconds since the last one.
    void step(qint64 elapsedMs);
    // Draws the two views onto a W x H surface, which the caller has cleared
    // to transparent, and the frame-rate text for an average frame time of
    // frameMs milliseconds; no text when frameMs is 0 (nothing measured).
    void compose(QPainter &painter, int width, int height, int frameMs) const;

    // Whether further steps can change nothing that is shown: the staff
    // keeps showing the same column (no pattern, or every column alike) and
    // the disc either stands still or is black all round, so that the
    // turning afterglow shows nothing. The step after a change still has to
    // be drawn once.
    bool isStill() const;

    // Columns drawn for one step of e elapsed milliseconds (at most 96).
    static int columnsFor(qint64 elapsedMs);
    // The pattern's width: milliseconds of one loop, made even.
    static int msPerLoop(double seconds, int loops);
    // The column counter after the sweep changes from oldSweep to newSweep.
    static qint64 counterForSweep(qint64 counter, int oldSweep, int newSweep);

    const QImage &patternImage() const { return m_pattern; }
    const QImage &circle() const { return m_circle; }
    const QImage &staff() const { return m_staff; }
    qint64 columnCounter() const { return m_counter; }
    qint64 columnBase() const { return m_base; }
    int sweep() const { return m_sweep; }
    int loops() const { return m_loops; }
    int currentColumn() const;
    QElapsedTimer &frameClock() { return m_clock; }

private:
    QRadialGradient columnGradient(int column) const;
    void drawStill();
    void drawStaffColumn(QPainter &p, int column, float ledPixels) const;

    QImage m_pattern;
    QImage m_circle;
    QImage m_staff;
    short m_leds = 0;
    int m_loops = 1;
    int m_msPerLoop = 0;
    qint64 m_counter = 0;
    qint64 m_base = 0;
    int m_sweep = 9;
    QElapsedTimer m_clock;
    // What isStill() needs to know about the pattern and the disc.
    bool m_columnsAlike = true;
    bool m_patternBlack = true;
    bool m_discBlack = true;
    qint64 m_blackColumns = 0; // black pies drawn in a row since the disc last had colour
};

} // namespace vc
