#include "core/render/proppreview.h"

#include <QConicalGradient>
#include <QDebug>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace vc {

namespace {
constexpr int ViewSize = 400;
const QRect DiscRect(20, 20, 360, 360);

QImage blackView()
{
    QImage img(ViewSize, ViewSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    return img;
}

// Whether every column of an RGB32 image is the same, and whether it is
// black throughout.
void inspectColumns(const QImage &img, bool *alike, bool *black)
{
    *alike = true;
    *black = true;
    for (int y = 0; y < img.height() && (*alike || *black); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (row[x] != row[0])
                *alike = false;
            if (qRed(row[x]) != 0 || qGreen(row[x]) != 0 || qBlue(row[x]) != 0)
                *black = false;
        }
    }
}
} // namespace

PropPreview::PropPreview() : m_circle(blackView()), m_staff(blackView())
{
    m_clock.start();
}

int PropPreview::msPerLoop(double seconds, int loops)
{
    // A repeat count below 1 cannot come from the editor; treat it as one loop
    // rather than dividing by zero.
    const double perLoop = seconds * 1000.0 / std::max(1, loops);
    int ms = static_cast<int>(static_cast<float>(perLoop) + 0.5f);
    if (ms < 0)
        ms = 0;
    if (ms % 2 != 0)
        ms -= 1;
    return ms;
}

int PropPreview::columnsFor(qint64 elapsedMs)
{
    const qint64 e = std::min<qint64>(std::max<qint64>(elapsedMs, 0), 100);
    if (e == 0)
        return 0;
    return static_cast<int>(5760.0 / (6000.0 / static_cast<double>(e)) + 0.5);
}

qint64 PropPreview::counterForSweep(qint64 counter, int oldSweep, int newSweep)
{
    if (newSweep == 0)
        return counter;
    qint64 c = (counter - 1) * oldSweep / newSweep;
    return c < 0 ? -c : c;
}

void PropPreview::setPattern(const QPixmap &pattern, short leds, double seconds, int loops)
{
    setPattern(pattern.toImage(), leds, seconds, loops);
}

void PropPreview::setPattern(const QImage &pattern, short leds, double seconds, int loops)
{
    QImage source = pattern;
    if (source.isNull() || source.width() == 0 || source.height() == 0) {
        const int side = std::max<int>(leds, 1);
        source = QImage(side, side, QImage::Format_RGB32);
        source.fill(Qt::black);
    }
    m_leds = leds;
    m_loops = loops;
    m_msPerLoop = msPerLoop(seconds, loops);
    // A repeat count so high that a loop lasts under two milliseconds (a
    // narrow picture in a short mode) would give an empty image and leave
    // the previous pattern spinning: the shortest loop that can be drawn
    // shows it instead.
    if (m_msPerLoop < 2 && seconds * 1000.0 >= 2.0)
        m_msPerLoop = 2;
    if (m_msPerLoop > 0 && leds > 0)
        m_pattern = source.scaled(m_msPerLoop, leds, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .convertToFormat(QImage::Format_RGB32);
    else
        m_pattern = QImage();
    inspectColumns(m_pattern, &m_columnsAlike, &m_patternBlack);
    m_blackColumns = 0;
    m_base = m_counter;
    if (m_sweep == 0)
        setSweep(0);
    m_clock.restart();
}

void PropPreview::clearViews()
{
    m_circle.fill(Qt::black);
    m_staff.fill(Qt::black);
    m_discBlack = true;
    m_base = 0;
    m_clock.restart();
}

void PropPreview::seek(int t, int start, int end)
{
    const int s = std::max(start, 0);
    const int e = std::max(end, 0);
    if (e == s)
        return;
    const float fraction =
        static_cast<float>(m_msPerLoop) * static_cast<float>(t - s) / static_cast<float>(e - s);
    m_counter = static_cast<qint64>(static_cast<float>(m_loops) * fraction);
    m_base = 0;
    m_blackColumns = 0; // the pies no longer follow on from the ones drawn
}

void PropPreview::setSweep(int sweep)
{
    if (sweep != 0)
        m_counter = counterForSweep(m_counter, m_sweep, sweep);
    m_sweep = sweep;
    m_blackColumns = 0;
    if (sweep == 0) {
        qDebug() << "draw static";
        drawStill();
    }
    m_base = 0;
    m_clock.restart();
}

bool PropPreview::isStill() const
{
    if (!m_columnsAlike)
        return false;
    return m_sweep == 0 || m_discBlack;
}

int PropPreview::currentColumn() const
{
    const int w = m_pattern.width();
    if (w <= 0)
        return 0;
    const qint64 c = (m_counter - m_base) % w;
    return static_cast<int>(c < 0 ? c + w : c);
}

QRadialGradient PropPreview::columnGradient(int column) const
{
    QRadialGradient g(QPointF(200, 200), 180);
    const int leds = m_pattern.height();
    g.setColorAt(0.0, Qt::black);
    // LED g lights the ring at radius 180 - g; a strip longer than the disc's
    // radius simply runs out at the centre instead of reaching past it.
    const qreal inner = (360.0 - 2.0 * leds) / 360.0;
    if (inner >= 0.0 && inner <= 1.0)
        g.setColorAt(inner, Qt::black);
    g.setColorAt(1.0, Qt::black);
    for (int led = 0; led < leds; ++led) {
        const qreal pos = (360.0 - 2.0 * led) / 360.0;
        if (pos < 0.0)
            break;
        g.setColorAt(pos, QColor::fromRgb(m_pattern.pixel(column, led)));
    }
    return g;
}

void PropPreview::drawStill()
{
    const int w = m_pattern.width();
    if (w <= 0)
        return;
    // The 576 pies cover the whole disc.
    m_discBlack = m_patternBlack;
    QPainter p(&m_circle);
    p.setPen(Qt::transparent);
    for (int d = 0; d < 576; ++d) {
        p.setBrush(columnGradient(d % w));
        p.drawPie(DiscRect, -10 * d, 10);
    }
}

void PropPreview::drawStaffColumn(QPainter &p, int column, float ledPixels) const
{
    const int x = static_cast<int>(190 + 2.5 * ledPixels);
    for (int led = 0; led < m_pattern.height(); ++led) {
        QPen pen(QColor::fromRgb(m_pattern.pixel(column, led)));
        pen.setWidthF(2.5 * ledPixels);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::BevelJoin);
        p.setPen(pen);
        p.drawLine(x, static_cast<int>(led * ledPixels + 30), x,
                   static_cast<int>(led * ledPixels + 33));
    }
}

void PropPreview::step(qint64 elapsedMs)
{
    const int rows = m_pattern.height();
    const float b = rows > 0 ? static_cast<float>(320.0 / rows) : 0.0f;
    QPainter staff(&m_staff);
    if (rows > 0) {
        QPen outline(QColor(150, 150, 150), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
        staff.setPen(outline);
        staff.setBrush(Qt::NoBrush);
        staff.drawRect(190, 20, static_cast<int>(5 * b), 370);
        staff.drawRect(190, 356, static_cast<int>(5 * b), 15);
    }

    const int n = columnsFor(elapsedMs);
    if (m_pattern.width() <= 0) {
        m_counter += n;
        return;
    }
    QPainter circle(&m_circle);
    circle.setPen(Qt::transparent);
    // Alike columns (a plain colour) share one gradient.
    if (m_sweep != 0 && m_columnsAlike)
        circle.setBrush(columnGradient(0));
    for (int i = 0; i < n; ++i) {
        const int c = currentColumn();
        // Every column's staff segments cover the same blocks, so only the
        // step's last column stays visible: the others need not be drawn.
        if (i == n - 1)
            drawStaffColumn(staff, c, b);
        if (m_sweep != 0) {
            if (!m_columnsAlike)
                circle.setBrush(columnGradient(c));
            circle.drawPie(DiscRect, static_cast<int>(-(m_sweep * m_counter)), 10);
        }
        ++m_counter;
    }
    if (m_sweep != 0 && n > 0) {
        // Consecutive pies overlap (the step is under their span), so one
        // turn of black pies blackens the whole disc.
        if (!m_patternBlack) {
            m_discBlack = false;
            m_blackColumns = 0;
        } else if (!m_discBlack) {
            m_blackColumns += n;
            if (m_blackColumns >= (5760 + std::abs(m_sweep) - 1) / std::abs(m_sweep))
                m_discBlack = true;
        }
    }
}

void PropPreview::compose(QPainter &p, int width, int height, int frameMs) const
{
    const int h = static_cast<int>(0.9 * height);
    const QImage circle = m_circle.scaledToHeight(std::max(h, 1), Qt::FastTransformation);
    const QImage staff = m_staff.scaledToHeight(std::max(h, 1), Qt::FastTransformation);

    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage((width - 2 * circle.width()) / 2, (height - circle.height()) / 2, circle);

    if (m_sweep != 0) {
        const qint64 angle = ((10 - 10 * m_counter) * m_sweep) / 160 + 1;
        QConicalGradient g(QPointF(-0.45 * height + width / 2, height / 2),
                           static_cast<qreal>(angle));
        const qreal edge = m_sweep / 10.0;
        if (m_sweep > 0) {
            g.setColorAt(0.0, QColor(0, 0, 0, 250));
            g.setColorAt(edge, QColor(0, 0, 0, 0));
            g.setColorAt(1.0, QColor(0, 0, 0, 0));
        } else {
            g.setColorAt(1.0, QColor(0, 0, 0, 250));
            g.setColorAt(edge + 1.0, QColor(0, 0, 0, 0));
            g.setColorAt(0.0, QColor(0, 0, 0, 0));
        }
        p.setCompositionMode(QPainter::CompositionMode_DestinationAtop);
        p.setPen(Qt::transparent);
        p.setBrush(g);
        p.drawRect(static_cast<int>(-0.9 * height + width / 2),
                   static_cast<int>(0.1 * height * 0.5), circle.width(), circle.height());
    }
    p.drawImage(width / 2, (height - staff.height()) / 2, staff);

    // No measured frame time: the preview stands still or has only just
    // started, and any figure would be a stale one.
    if (frameMs <= 0)
        return;
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 100, 50), Qt::AlignTop | Qt::AlignLeft,
               QStringLiteral("FPS: ") + QString::number(1000 / frameMs));
}

} // namespace vc
