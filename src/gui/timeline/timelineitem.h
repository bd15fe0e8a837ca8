#pragma once

#include "core/model/moderecord.h"
#include "core/model/show.h"

#include <QByteArray>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QRect>

#include <functional>

class QDrag;
class QMimeData;
class Timeline;

// One mode on a track: a button showing a mode of the show document. It
// holds a copy of the mode's record and decoded fields, which its track
// refreshes whenever the show changes the mode; its geometry follows its
// times through the track's time axis. Changing an item (setData, setTimes,
// setParams) changes the mode in the show, which the item then shows. An
// item not yet in a show (made by hand, before its track adds it) keeps its
// record to itself.
class TimelineItem : public QPushButton
{
    Q_OBJECT

public:
    // The MIME type the clipboard and drags carry a record under.
    static const QString MimeType;
    // Every drag of an item carries its payload (x on the track at the
    // press, the grab offset and the item's id) under DragMimeType; a drag
    // that resizes an end carries it under ResizeStartMimeType or
    // ResizeEndMimeType too, a drag that moves the whole item carries the
    // record under MimeType instead.
    static const QString DragMimeType;
    static const QString ResizeStartMimeType;
    static const QString ResizeEndMimeType;

    struct DragPayload
    {
        qint32 startX = 0;
        qint32 grabOffset = 0;
        QString id;
        bool valid = false;
    };
    static QByteArray encodePayload(qint32 startX, qint32 grabOffset, const QString &id);
    static DragPayload decodePayload(const QByteArray &bytes);
    // Width in pixels of the resize zones at both ends.
    static constexpr qint16 Edge = 8;

    TimelineItem(const QByteArray &record, QWidget *parent);
    // For loaders that decoded the record already (on other threads, say):
    // `decoded`, `complete` and `used` are what ModeRecord::decode gave for
    // `record`. Without `shown` the item starts hidden (its track shows it
    // when it comes into view).
    TimelineItem(const QByteArray &record, const vc::ModeRecord &decoded, bool complete, int used,
                 QWidget *parent, bool shown = true);

    // The record, always the encoding of the fields below.
    const QByteArray &data() const { return m_data; }
    const vc::ModeRecord &record() const { return m_record; }
    // False when the record given last could not be read whole; the item
    // then holds whatever fields could be read.
    bool isComplete() const { return m_complete; }

    QImage thumb() const { return m_record.thumbImage(); }
    QPixmap thumbPixmap() const;
    int start() const { return m_record.start; } // -1: a null time
    int end() const { return m_record.end; }
    int startMs() const { return m_record.startMs(); } // null counts as 0
    int endMs() const { return m_record.endMs(); }
    int durationMs() const { return m_record.durationMs(); }
    QColor colour() const { return m_record.colour; }
    int loops() const { return m_record.loops; }
    int kind() const { return m_record.kind; }
    int speed() const { return m_record.speed; }
    QString params() const { return m_record.params; }

    // "0x" and 16 hexadecimal digits, unique among live items.
    QString id() const { return m_id; }
    // The mode of the show this item shows; 0 before its track adds it.
    quintptr modeId() const { return m_modeId; }
    void setModeId(quintptr id) { m_modeId = id; }
    // The layout generation of its track the item was last laid out at.
    int laidOutAt() const { return m_laidOutAt; }
    // Moves the item out of sight (its track lays it out again when it
    // comes into view) and lets go of its painted tile.
    void park();
    bool isParked() const { return m_parked; }
    // Whether something outside its track may hold the item: it was handed
    // out by the track, pressed or selected, or is previewed. Only an item nobody
    // holds may be given another mode to show when it is out of view.
    bool isKept() const { return m_kept || m_pressed || m_selected || m_previewed; }
    void keep() { m_kept = true; }
    // Named by the preview (held while it is).
    void setPreviewed(bool on) { m_previewed = on; }
    qint16 edge() const { return Edge; }
    QPoint dragOrigin() const { return m_dragOrigin; }
    void setDragOrigin(const QPoint &p) { m_dragOrigin = p; }
    // The beat a move has snapped the start to (-1: none); the start takes
    // its time when the drag ends there.
    void setSnappedStart(int ms) { m_snappedStartMs = ms; }
    bool selected() const { return m_selected; }
    void setSelected(bool on);
    // A left press on the item whose drag has not ended yet.
    bool isPressed() const { return m_pressed; }

    // The track holding the item, or null when it is off every track.
    Timeline *track() const;

    // A new record for the mode (the editor applying an edit).
    void setData(const QByteArray &record);
    // Shows a record: reads it, lays the item out. The show's own update of
    // the item; `decoded`, `complete` and `used` are what ModeRecord::decode
    // gave for `record`.
    void setDecoded(const QByteArray &record, const vc::ModeRecord &decoded, bool complete,
                    int used);
    // Shows a mode of the show as it is now (its track's refresh).
    void showMode(const vc::Show::Mode &mode);
    // The one way to change an item's times. With a speed, the repeat count
    // follows the new duration.
    void setTimes(int start, int end);
    // Moves the mode to start at `start`, keeping its length and repeat
    // count (a dragged move).
    void moveTo(int start);
    // Replaces the parameter text (a replaced picture path) and re-encodes.
    void setParams(const QString &params);

    // The tooltip text: length, start and end as "mm:ss.zzz".
    QString timesText() const;

    // --- dragging
    // What a left press remembers until its drag has ended: the record and
    // the track as they were, and the geometry at the press.
    struct DragStart
    {
        QByteArray orig;
        QPointer<Timeline> track;
        QRect geometry;
        // Pressed on an end: the drag resizes and sets the times as it goes.
        bool resize = false;
    };
    // The data a drag started by a press at `pressPos` (item coordinates)
    // carries.
    QMimeData *dragData(const QPoint &pressPos) const;
    // The press half of a drag: the item is selected, the record and track
    // are kept, dragOrigin is set and itemClicked emitted.
    DragStart beginDrag(const QPoint &pressPos);
    // The end of every drag (the tracks never accept the drop): after a
    // move, times from the geometry if it changed; then dragEnd so that the
    // item's present track places it.
    void finishDrag(const DragStart &start);
    // Runs a drag to its end and returns its action; by default
    // QDrag::exec with the move action. Tests install one that plays the
    // drag with synthetic events (a real one waits for a person).
    using DragRunner = std::function<Qt::DropAction(QDrag *)>;
    static void setDragRunner(DragRunner runner);

signals:
    void itemClicked(TimelineItem *item, bool flag);
    void itemDoubleClicked(TimelineItem *item);
    void itemDeleted(TimelineItem *item);
    void dragEnd(QByteArray orig, TimelineItem *item, QWidget *orig_parent);

public slots:
    // Re-applies the geometry and minimum width at the current scale.
    void update_timeline_multi();

    void on_itemDelete_clicked();
    void on_itemCopy_clicked();
    void on_itemCut_clicked();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // Which part of the item a pointer at x (item coordinates) is over:
    // the resize zones at both ends or the body that moves the item.
    enum class Zone
    {
        Start,
        Body,
        End
    };
    Zone zoneAt(int x) const;

    void setUp();
    void reEncode();
    void layOut();

    QByteArray m_data;
    vc::ModeRecord m_record;
    bool m_complete = true;
    QString m_id;
    QPoint m_dragOrigin;
    int m_snappedStartMs = -1;
    bool m_selected = false;
    bool m_pressed = false;
    quintptr m_modeId = 0;
    int m_laidOutAt = -1;
    bool m_parked = false;
    bool m_kept = false;
    bool m_previewed = false;
    // The thumb as the last paint tiled it, with what it was made for: a
    // repaint does not unpack and scale the picture again.
    QImage m_tile;
    QSize m_tileFor;
    qint64 m_tileThumb = 0;
    std::shared_ptr<const vc::PackedThumb> m_tilePacked;
};
