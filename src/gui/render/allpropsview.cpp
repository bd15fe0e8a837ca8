#include "gui/render/allpropsview.h"

#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {
constexpr int LabelHeight = 22;
constexpr int CellWidth = 240;
// A move of the indicator further than this from where playback would have
// brought it is a jump: the previews take up the new phase.
constexpr int JumpMs = 400;
} // namespace

AllPropsView::AllPropsView(const vc::Show *show, QWidget *parent)
    : QWidget(parent), m_show(show), m_frameTimer(new QTimer(this))
{
    setWindowTitle(tr("全部道具"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    // A mode edited, a track moved or the LED count changed: every prop
    // looks up what it plays again.
    connect(show, &vc::Show::modesChanged, this, [this] { refollow(); });
    connect(show, &vc::Show::tracksChanged, this, [this] { setProps(m_assigned); });
    connect(show, &vc::Show::ledsChanged, this, [this] { refollow(); });
}

AllPropsView::~AllPropsView() = default;

void AllPropsView::setProps(const QVector<vc::PropAssignment> &props)
{
    m_assigned = props;
    m_props.clear();
    for (const vc::PropAssignment &a : props) {
        if (a.track < 1 || a.track > m_show->trackCount())
            continue;
        auto p = std::make_shared<Prop>();
        p->assignment = a;
        m_props.append(p);
    }
    refollow();
    updateGeometry();
}

void AllPropsView::refollow()
{
    for (auto &p : m_props) {
        p->mode = -1; // differs from every mode and from none
        follow(*p, true);
    }
    wake();
}

void AllPropsView::setTime(int ms)
{
    const bool jumped = ms < m_time || ms - m_time > JumpMs;
    m_time = ms;
    bool changed = false;
    for (auto &p : m_props) {
        const vc::Show::Id before = p->mode;
        follow(*p, jumped);
        changed = changed || jumped || p->mode != before;
    }
    if (changed)
        wake();
}

void AllPropsView::follow(Prop &prop, bool jumped)
{
    if (prop.assignment.track > m_show->trackCount())
        return; // a track removed: the new list of props follows
    const vc::Show::Track &track = m_show->tracks().at(prop.assignment.track - 1);
    const int index = m_show->modeIndexAt(track.id, m_time);
    const vc::Show::Mode *mode = index >= 0 ? &track.modes.at(index) : nullptr;
    const vc::Show::Id id = mode ? mode->id : 0;
    if (id == prop.mode && !jumped)
        return;
    if (!mode) {
        if (prop.mode != 0)
            prop.preview.clearViews();
        prop.mode = 0;
        return;
    }
    const vc::ModeRecord &r = mode->record;
    if (id != prop.mode)
        prop.preview.setPattern(r.thumbImage(), m_show->leds(), r.durationMs() / 1000.0, r.loops);
    prop.preview.seek(m_time, r.startMs(), r.endMs());
    prop.mode = id;
}

bool AllPropsView::isAnimating() const
{
    return m_frameTimer->isActive();
}

int AllPropsView::frameInterval() const
{
    // One refresh of the display, as the main preview paces itself.
    const QScreen *s = screen();
    qreal rate = s ? s->refreshRate() : 60.0;
    if (rate < 20.0 || rate > 1000.0)
        rate = 60.0;
    return std::max(1, static_cast<int>(std::lround(1000.0 / rate)));
}

void AllPropsView::wake()
{
    if (!isVisible())
        return; // showEvent wakes it
    for (auto &p : m_props)
        p->preview.frameClock().restart();
    m_frameTimer->start(frameInterval());
    update();
}

QSize AllPropsView::sizeHint() const
{
    return {CellWidth * std::max<int>(1, m_props.size()), CellWidth / 2 + LabelHeight};
}

void AllPropsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_props.isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, tr("沒有分配道具的軌道（裝置 > 道具分配）"));
        m_frameTimer->stop();
        return;
    }
    const int cellWidth = width() / m_props.size();
    // The preview lays out a disc and a staff side by side, each as high as
    // the surface: a surface twice as wide as high, centred in its cell.
    const int cellHeight = std::max(1, std::min(height() - LabelHeight, cellWidth / 2));
    const int top = LabelHeight + (height() - LabelHeight - cellHeight) / 2;
    bool still = true;
    for (int i = 0; i < m_props.size(); ++i) {
        Prop &p = *m_props[i];
        p.preview.step(p.preview.frameClock().restart());
        still = still && p.preview.isStill();
        // The preview composes with transparency (its sweep shadow cuts into
        // what is below): a surface of its own, then onto the black.
        if (p.surface.size() != QSize(cellWidth, cellHeight))
            p.surface = QImage(std::max(cellWidth, 1), std::max(cellHeight, 1),
                               QImage::Format_ARGB32_Premultiplied);
        p.surface.fill(Qt::transparent);
        {
            QPainter cell(&p.surface);
            p.preview.compose(cell, cellWidth, cellHeight, 0);
        }
        const int x = i * cellWidth;
        painter.drawImage(x, top, p.surface);
        const vc::PropAssignment &a = p.assignment;
        const QString label = a.name.isEmpty() ? tr("軌道 %1").arg(a.track)
                                               : tr("%1（軌道 %2）").arg(a.name).arg(a.track);
        painter.setPen(Qt::white);
        painter.drawText(QRect(x, 0, cellWidth, LabelHeight), Qt::AlignCenter, label);
        if (i > 0) {
            painter.setPen(QColor(60, 60, 60));
            painter.drawLine(x, 0, x, height());
        }
    }
    // Once every prop shows its still picture, further frames would show
    // the same; the next change wakes the view again.
    if (still)
        m_frameTimer->stop();
}

void AllPropsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    wake();
}

void AllPropsView::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed();
}

void AllPropsView::hideEvent(QHideEvent *event)
{
    m_frameTimer->stop();
    QWidget::hideEvent(event);
}
