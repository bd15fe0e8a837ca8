#include "gui/audio/timelineheaders.h"

#include "core/audio/beattracker.h"
#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "core/timeline/timescale.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace ts = vc::timescale;

Indicator::Indicator(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedWidth(1);
    move(0, m_y);
}

int Indicator::msecs() const
{
    if (!m_time.isValid())
        return 0;
    return m_time.msecsSinceStartOfDay();
}

float Indicator::msPerPixel() const
{
    return m_axis ? m_axis->msPerPixel() : vc::TimeAxis::DefaultMsPerPixel;
}

bool Indicator::placeAt(qint64 msecs, bool byUser)
{
    if (msecs < 0)
        msecs = 0;
    m_time = QTime(0, 0).addMSecs(static_cast<int>(msecs));
    return moveToX(ts::msToX(msecs, msPerPixel()), byUser);
}

bool Indicator::moveToX(int x, bool byUser)
{
    if (x == this->x())
        return false;
    move(x, m_y);
    emit moved(x, byUser);
    return true;
}

void Indicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(QColor(10, 250, 250), 1));
    p.drawLine(0, 0, 0, height());
}

TimelineHeaders::TimelineHeaders(QWidget *parent)
    : QWidget(parent), m_indicator(new Indicator(this)), m_startShade(new QWidget(this))
{
    setMouseTracking(true);
    m_startShade->setStyleSheet(QStringLiteral("background-color: rgba(100,100,50,50);"));
    m_startShade->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_startShade->hide();
    m_indicator->move(0, m_rulerTop);
    connect(m_indicator, &Indicator::moved, this, &TimelineHeaders::indicatorMoved);
}

void TimelineHeaders::setTimeAxis(const vc::TimeAxis *axis)
{
    m_indicator->setTimeAxis(axis);
    rescale();
}

void TimelineHeaders::setTotalLength(int msecs)
{
    m_totalLength = qMax(0, msecs);
    setFixedWidth(ts::spanWidth(m_totalLength, msPerPixel()));
}

void TimelineHeaders::rescale()
{
    setFixedWidth(ts::spanWidth(m_totalLength, msPerPixel()));
    m_indicator->placeAt(m_indicator->msecs(), false);
    showStartMark(m_startMarkMs);
    update();
}

void TimelineHeaders::setDocument(vc::Show *show)
{
    m_show = show;
    connect(m_show, &vc::Show::startMarkChanged, this, &TimelineHeaders::showStartMark);
    showStartMark(m_show->startMarkMs());
}

int TimelineHeaders::startMark() const
{
    return m_startMarkMs > 0 ? ts::msToX(m_startMarkMs, msPerPixel()) : 0;
}

// The mark is the indicator's time: it keeps marking the same moment of the
// song through every zoom.
void TimelineHeaders::on_setStart_clicked()
{
    if (m_show)
        m_show->setStartMarkMs(m_indicator->msecs());
    else
        showStartMark(m_indicator->msecs());
}

void TimelineHeaders::on_resetStart_clicked()
{
    if (m_show)
        m_show->setStartMarkMs(0);
    else
        showStartMark(0);
}

void TimelineHeaders::showStartMark(int ms)
{
    m_startMarkMs = ms;
    const int x = startMark();
    m_startShade->setGeometry(0, 0, x, height());
    m_startShade->setVisible(x > 0);
    m_startShade->raise();
}

void TimelineHeaders::handleMove(const QPoint &pos, bool leftHeld)
{
    const QPoint old = m_mousePos;
    m_mousePos = pos;
    if (leftHeld) {
        const ts::Snapped x = ts::snapIndicator(qMax(0, pos.x()), snapBeats(), msPerPixel());
        m_indicator->setTime(
            QTime(0, 0).addMSecs(x.beatMs >= 0 ? x.beatMs : ts::xToMsTrunc(x.x, msPerPixel())));
        m_indicator->moveToX(x.x, true);
    }
    // Only the old and new hover lines need repainting.
    update(QRect(old.x() - 1, 0, 3, height()));
    update(QRect(pos.x() - 1, 0, 3, height()));
}

void TimelineHeaders::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragBeat >= 0) {
        m_dragDx = event->pos().x() - m_dragStartX;
        update();
        return;
    }
    handleMove(event->pos(),
               (event->buttons() & Qt::LeftButton) || event->button() == Qt::LeftButton);
}

void TimelineHeaders::trackMouse(QMouseEvent *event)
{
    mouseMoveEvent(event);
}

void TimelineHeaders::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        // Ctrl on a beat mark drags the grid.
        const int beat = vc::beats::nearestBeat(m_beats, qint64(event->pos().x() * msPerPixel()),
                                                qint64(4 * msPerPixel()), qint64(4 * msPerPixel()));
        if (beat >= 0) {
            m_dragBeat = beat;
            m_dragStartX = event->pos().x();
            m_dragDx = 0;
            m_dragOnlyLater = event->modifiers() & Qt::ShiftModifier;
        }
    } else if (event->button() == Qt::LeftButton) {
        handleMove(event->pos(), true);
    } else if (event->button() == Qt::RightButton) {
        handleMove(event->pos(), false);
        openMenu(event->globalPos());
    }
    event->accept();
}

void TimelineHeaders::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragBeat >= 0 && event->button() == Qt::LeftButton) {
        const int beat = m_dragBeat;
        m_dragBeat = -1;
        update();
        const qint64 delta = qRound64((event->pos().x() - m_dragStartX) * msPerPixel());
        if (delta != 0)
            emit beatDragged(m_beats.value(beat), delta, m_dragOnlyLater);
    }
    event->accept();
}

void TimelineHeaders::openMenu(const QPoint &globalPos)
{
    auto *menu = new QMenu(tr("時間軸"), this);
    menu->setObjectName(QStringLiteral("timeline_headers_menu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("設定起始"), this, &TimelineHeaders::on_setStart_clicked);
    menu->addAction(tr("取消起始"), this, &TimelineHeaders::on_resetStart_clicked);
    emit menuOpening(menu, qint64(mapFromGlobal(globalPos).x() * msPerPixel()));
    menu->popup(globalPos);
}

void TimelineHeaders::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const float scale = msPerPixel();
    const QRect r = event->rect();
    const QVector<ts::RulerMark> marks = ts::rulerMarks(scale, width(), r.left(), r.right() + 60);
    for (const ts::RulerMark &m : marks) {
        if (m.tick != ts::RulerMark::NoTick) {
            switch (m.tick) {
            case ts::RulerMark::Major:
                p.setPen(QColor(150, 150, 150));
                break;
            case ts::RulerMark::Medium:
                p.setPen(QColor(120, 120, 120));
                break;
            default:
                p.setPen(QColor(100, 100, 100));
                break;
            }
            p.drawLine(QPointF(m.x, ts::tickTop(m.tick)), QPointF(m.x, ts::RulerBottom));
        }
        if (m.label == ts::RulerMark::TimeLabel) {
            p.setPen(QColor(255, 255, 255));
            p.drawText(
                ts::labelLeft(m.x, m.label), ts::LabelBaseline,
                QTime(0, 0).addMSecs(static_cast<int>(m.ms)).toString(QStringLiteral("mm:ss")));
        } else if (m.label == ts::RulerMark::FractionLabel) {
            p.setPen(QColor(180, 180, 180));
            p.drawText(
                ts::labelLeft(m.x, m.label), ts::LabelBaseline,
                QTime(0, 0).addMSecs(static_cast<int>(m.ms)).toString(QStringLiteral(".zzz")));
        }
    }
    drawBeatMarks(p, r);
    p.setPen(QColor(200, 255, 255));
    p.drawLine(m_mousePos.x(), m_rulerTop, m_mousePos.x(), ts::RulerBottom);
}

void TimelineHeaders::setBeats(const QVector<int> &beats)
{
    m_beats = beats;
    m_bars.clear();
    update();
}

void TimelineHeaders::setBars(const QVector<int> &bars)
{
    m_bars = bars.size() == m_beats.size() ? bars : QVector<int>();
    update();
}

// An amber head under the labels and a line down through the ticks at each
// beat; a bar's first beat has a bigger head, a stronger line and its bar
// number beside the head (every so many bars when they crowd).
void TimelineHeaders::drawBeatMarks(QPainter &p, const QRect &area) const
{
    if (m_beats.isEmpty())
        return;
    const float scale = msPerPixel();
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    const QFontMetrics metrics(font);
    // Bars numbered often enough that the numbers stay apart.
    int numberEvery = 1;
    const int bar1 = m_bars.indexOf(1), bar2 = m_bars.indexOf(2);
    if (bar1 >= 0 && bar2 > bar1) {
        const qreal barWidth = (m_beats[bar2] - m_beats[bar1]) / scale;
        const int wanted = metrics.horizontalAdvance(QString::number(m_beats.size())) + 8;
        while (numberEvery * barWidth < wanted && numberEvery < 4096)
            numberEvery *= 2;
    }
    // While a mark is dragged, the beats it moves are drawn where it is.
    const int reach = std::abs(m_dragBeat >= 0 ? m_dragDx : 0);
    const qint64 from = static_cast<qint64>((area.left() - 40 - reach) * scale);
    const qint64 to = static_cast<qint64>((area.right() + 6 + reach) * scale);
    const QColor amber(255, 170, 40);
    const QColor bar(255, 90, 30);
    p.save();
    p.setFont(font);
    const auto first = std::lower_bound(m_beats.cbegin(), m_beats.cend(), from);
    for (auto it = first; it != m_beats.cend() && *it <= to; ++it) {
        const int i = int(it - m_beats.cbegin());
        const int number = m_bars.value(i);
        const int dx = m_dragBeat >= 0 && (!m_dragOnlyLater || i >= m_dragBeat) ? m_dragDx : 0;
        const qreal x = ts::msToX(*it, scale) + dx + 0.5;
        const qreal w = number > 0 ? 4.5 : 3;
        const QPointF head[3] = {{x - w, qreal(ts::RulerTop)},
                                 {x + w, qreal(ts::RulerTop)},
                                 {x, qreal(ts::RulerTop + (number > 0 ? 7 : 5))}};
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(number > 0 ? bar : amber);
        p.drawPolygon(head, 3);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(number > 0 ? bar : amber, number > 0 ? 2 : 1));
        const int ix = ts::msToX(*it, scale) + dx;
        p.drawLine(ix, ts::RulerTop + 5, ix, height());
        if (number > 0 && (number - 1) % numberEvery == 0) {
            p.setPen(QColor(255, 220, 190));
            p.drawText(ix + 5, ts::RulerBottom - 1, QString::number(number));
        }
    }
    p.restore();
}

// The indicator is as tall as the ruler. Nothing is raised or resized while
// painting: next to the OpenGL preview each such change asks for another
// paint, and the ruler would paint itself for ever.
void TimelineHeaders::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_indicator->setFixedHeight(height());
    showStartMark(m_startMarkMs);
}
