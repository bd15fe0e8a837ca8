#include "gui/timeline/timelineitem.h"

#include "core/project/project.h"

#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "gui/timeline/timeline.h"

#include "core/timeline/timescale.h"

#include <QApplication>
#include <QClipboard>
#include <QDataStream>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

const QString TimelineItem::MimeType = QStringLiteral("timeline/itemByteArray");
const QString TimelineItem::DragMimeType = QStringLiteral("timeline/item");
const QString TimelineItem::ResizeStartMimeType = QStringLiteral("timeline/itemleft");
const QString TimelineItem::ResizeEndMimeType = QStringLiteral("timeline/itemright");

namespace {

// Left of every track by far: where items out of view wait.
constexpr int ParkedX = 1 << 20;

TimelineItem::DragRunner &dragRunner()
{
    static TimelineItem::DragRunner runner;
    return runner;
}

} // namespace

QByteArray TimelineItem::encodePayload(qint32 startX, qint32 grabOffset, const QString &id)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << startX << grabOffset << id;
    return bytes;
}

TimelineItem::DragPayload TimelineItem::decodePayload(const QByteArray &bytes)
{
    DragPayload p;
    QDataStream in(bytes);
    in >> p.startX >> p.grabOffset >> p.id;
    p.valid = in.status() == QDataStream::Ok;
    return p;
}

void TimelineItem::setDragRunner(DragRunner runner)
{
    dragRunner() = std::move(runner);
}

TimelineItem::TimelineItem(const QByteArray &record, QWidget *parent) : QPushButton(nullptr)
{
    // Made first and given its track after, so that the window's style
    // sheet is matched against it once, as it is polished (see event()).
    setUp();
    setParent(parent);
    setData(record);
    show();
}

TimelineItem::TimelineItem(const QByteArray &record, const vc::ModeRecord &decoded, bool complete,
                           int used, QWidget *parent, bool shown)
    : QPushButton(parent)
{
    setUp();
    setDecoded(record, decoded, complete, used);
    if (shown)
        show();
}

void TimelineItem::setUp()
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    m_id = QStringLiteral("0x%1").arg(quintptr(this), 16, 16, QLatin1Char('0'));
}

QPixmap TimelineItem::thumbPixmap() const
{
    return QPixmap::fromImage(m_record.thumbImage());
}

void TimelineItem::setSelected(bool on)
{
    if (m_selected == on)
        return;
    m_selected = on;
    update();
}

Timeline *TimelineItem::track() const
{
    return qobject_cast<Timeline *>(parentWidget());
}

namespace {

// The show an item's mode lives in, or null for an item no track has added.
vc::Show *showOf(const TimelineItem *item)
{
    const Timeline *t = item->modeId() ? item->track() : nullptr;
    return t ? t->document() : nullptr;
}

} // namespace

void TimelineItem::setData(const QByteArray &record)
{
    if (vc::Show *show = showOf(this)) {
        show->setModeBytes(m_modeId, record);
        return;
    }
    bool complete = false;
    int used = 0;
    const vc::ModeRecord decoded =
        vc::ModeRecord::decode(record, &complete, &used, vc::ModeRecord::ThumbChecked);
    setDecoded(record, decoded, complete, used);
}

void TimelineItem::setDecoded(const QByteArray &record, const vc::ModeRecord &decoded,
                              bool complete, int used)
{
    m_record = decoded;
    m_complete = complete;
    if (m_complete && used == record.size()) {
        // Already exactly what re-encoding would write: share it.
        m_data = record;
        setToolTip(timesText());
    } else {
        reEncode();
    }
    layOut();
    update();
}

void TimelineItem::showMode(const vc::Show::Mode &mode)
{
    m_modeId = mode.id;
    // A track shows its modes anew after every change to any of them: an
    // unchanged one keeps its place (its geometry follows the zoom on its
    // own).
    if (vc::History::sameBytes(m_data, mode.bytes) && !m_data.isEmpty())
        return;
    m_record = mode.record;
    m_complete = mode.complete;
    m_data = mode.bytes;
    layOut();
    setToolTip(timesText());
    update();
}

void TimelineItem::setTimes(int start, int end)
{
    if (vc::Show *show = showOf(this)) {
        show->retimeMode(m_modeId, start, end);
        return;
    }
    // Not a mode of the show yet: the repeats are counted for the prop of
    // the track it stands on, if any.
    const Timeline *t = track();
    const vc::Show *show = t ? t->document() : nullptr;
    m_record.retime(start, end, show ? show->frameRate() : 0.0f, show ? show->leds() : 0);
    layOut();
    reEncode();
    update();
}

void TimelineItem::moveTo(int start)
{
    if (vc::Show *show = showOf(this)) {
        show->shiftMode(m_modeId, start);
        return;
    }
    const int length = durationMs();
    m_record.start = std::max(start, 0);
    m_record.end = m_record.start + length;
    layOut();
    reEncode();
    update();
}

void TimelineItem::setParams(const QString &params)
{
    if (vc::Show *show = showOf(this)) {
        show->setModeParams(m_modeId, params);
        return;
    }
    m_record.params = params;
    reEncode();
}

void TimelineItem::reEncode()
{
    m_data = m_record.encode();
    setToolTip(timesText());
}

QString TimelineItem::timesText() const
{
    return tr("長度: ") + vc::formatTime(durationMs()) + tr("\n開始時間: ") +
           vc::formatTime(startMs()) + tr("\n結束時間: ") + vc::formatTime(endMs());
}

void TimelineItem::layOut()
{
    // Off every track an item is hidden and has no place to be laid out at.
    const Timeline *t = track();
    if (!t)
        return;
    const float scale = t->msPerPixel();
    setMinimumWidth(int(20.0f / scale));
    setGeometry(vc::timescale::itemX(startMs(), scale), 5,
                vc::timescale::itemX(std::max(durationMs(), 0), scale), height());
    m_laidOutAt = t->layoutGeneration();
    m_parked = false;
}

void TimelineItem::update_timeline_multi()
{
    layOut();
}

void TimelineItem::on_itemDelete_clicked()
{
    emit itemDeleted(this);
}

void TimelineItem::on_itemCopy_clicked()
{
    auto *mime = new QMimeData;
    mime->setData(MimeType, m_data);
    QApplication::clipboard()->setMimeData(mime);
}

void TimelineItem::on_itemCut_clicked()
{
    on_itemCopy_clicked();
    emit itemDeleted(this);
}

bool TimelineItem::event(QEvent *event)
{
    // An item paints itself without the style, so a new style (the window's
    // style sheet reaching it as its track adopts it) only needs a repaint.
    // A button would ask the style sheet for its layout margins here: the
    // same rule matching its polish does again as it is shown.
    if (event->type() == QEvent::StyleChange) {
        update();
        return true;
    }
    return QPushButton::event(event);
}

void TimelineItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    QPen pen = m_selected ? QPen(QColor(240, 240, 250), 6) : QPen(Qt::black, 2);
    p.setPen(pen);
    // The thumb as a repeated texture: at its own aspect for a mode with a
    // speed, otherwise stretched so that it shows exactly `loops` times.
    const QSize tileFor = m_record.speed != 0
                              ? QSize(0, h + 2)
                              : QSize(std::max(1, w / std::max(1, m_record.loops)), h + 2);
    // A loaded thumb is unpacked here, when its item is first seen; the
    // tile is made again only when the item's size or record changed.
    const qint64 key = m_record.thumb.isNull() ? 0 : m_record.thumb.cacheKey();
    const auto packed =
        m_record.thumb.isNull() ? m_record.packedThumb : std::shared_ptr<const vc::PackedThumb>();
    if (m_tileFor != tileFor || m_tileThumb != key || m_tilePacked != packed) {
        const QImage thumb = m_record.thumbImage();
        m_tile = thumb.isNull() ? QImage()
                 : m_record.speed != 0
                     ? thumb.scaledToHeight(h + 2, Qt::FastTransformation)
                     : thumb.scaled(tileFor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_tileFor = tileFor;
        m_tileThumb = key;
        m_tilePacked = packed;
    }
    if (!m_tile.isNull())
        p.setBrush(QBrush(m_tile));
    p.drawRect(-1, -1, w, h + 2);
}

void TimelineItem::park()
{
    m_tile = QImage();
    m_tileFor = QSize();
    m_tilePacked.reset();
    m_parked = true;
    move(-ParkedX - width(), y());
}

void TimelineItem::mousePressEvent(QMouseEvent *event)
{
    keep(); // every press hands the item to the editor
    raise();
    if (event->button() == Qt::RightButton) {
        QMenu menu; // no parent: removing the item must not take the menu with it
        menu.setTitle(tr("圖樣"));
        menu.addAction(tr("移除"), this, &TimelineItem::on_itemDelete_clicked);
        menu.addAction(tr("複製"), this, &TimelineItem::on_itemCopy_clicked);
        menu.addAction(tr("剪下"), this, &TimelineItem::on_itemCut_clicked);
        emit itemClicked(this, false);
        menu.exec(event->globalPos());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QPushButton::mousePressEvent(event);
        return;
    }
    QPointer<TimelineItem> self(this);
    // Everything the drag changes, on any track, is one undo step.
    const vc::Project::Edit step(vc::Project::of(showOf(this)));
    const QPoint pressPos = event->pos();
    QMimeData *mime = dragData(pressPos);
    m_pressed = true;
    const DragStart start = beginDrag(pressPos);
    if (!self) {
        delete mime;
        return;
    }
    // No drag pixmap: the platform's default is shown. exec() returns when
    // the button is released; the tracks never accept the drop.
    QDrag *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setHotSpot(pressPos);
    if (dragRunner()) {
        dragRunner()(drag);
        delete drag;
    } else {
        drag->exec(Qt::MoveAction); // Qt disposes of the drag
    }
    if (self)
        finishDrag(start);
}

TimelineItem::Zone TimelineItem::zoneAt(int x) const
{
    if (x < Edge)
        return Zone::Start;
    if (x > width() - Edge)
        return Zone::End;
    return Zone::Body;
}

QMimeData *TimelineItem::dragData(const QPoint &pressPos) const
{
    auto *mime = new QMimeData;
    const QByteArray payload = encodePayload(x(), pressPos.x(), m_id);
    mime->setData(DragMimeType, payload);
    switch (zoneAt(pressPos.x())) {
    case Zone::Start:
        mime->setData(ResizeStartMimeType, payload);
        break;
    case Zone::End:
        mime->setData(ResizeEndMimeType, payload);
        break;
    case Zone::Body:
        mime->setData(MimeType, m_data);
        break;
    }
    return mime;
}

TimelineItem::DragStart TimelineItem::beginDrag(const QPoint &pressPos)
{
    keep();
    setSelected(true);
    DragStart start;
    start.orig = m_data;
    start.track = track();
    start.geometry = geometry();
    start.resize = zoneAt(pressPos.x()) != Zone::Body;
    m_snappedStartMs = -1;
    m_dragOrigin = start.track ? mapTo(start.track, pressPos) : pressPos;
    emit itemClicked(this, false);
    return start;
}

void TimelineItem::finishDrag(const DragStart &start)
{
    m_pressed = false;
    setCursor(Qt::OpenHandCursor);
    // A resize has set the times from the pointer as it went; taking them
    // from the pixels again would shift the end that was not touched by up
    // to half a pixel's worth of milliseconds.
    if (!start.resize && geometry() != start.geometry) {
        // A move changes only the position while it runs; the start follows
        // the geometry now, the length and repeat count stay.
        const float scale = track() ? track()->msPerPixel() : vc::TimeAxis::DefaultMsPerPixel;
        // Snapped to a beat, the start is the beat's own time.
        const bool onBeat =
            m_snappedStartMs >= 0 && vc::timescale::itemX(m_snappedStartMs, scale) == x();
        moveTo(onBeat ? m_snappedStartMs : vc::timescale::xToMsRound(x(), scale));
    }
    emit dragEnd(start.orig, this, start.track.data());
}

void TimelineItem::mouseDoubleClickEvent(QMouseEvent *event)
{
    keep();
    if (event->button() == Qt::LeftButton)
        emit itemDoubleClicked(this);
}

void TimelineItem::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(zoneAt(event->pos().x()) == Zone::Body ? Qt::OpenHandCursor : Qt::SplitHCursor);
    event->ignore(); // the track passes moves on to the ruler
}
