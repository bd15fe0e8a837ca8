// Times the two track operations that run after every edit on a large show:
//   1. placing one item on a track of 5,000 items (sort, overlap rules and
//      the changes to the widgets);
//   2. one undo snapshot of 20 tracks x 500 items, through the engine alone
//      and through the main window's counter refresh (label, snapshot,
//      title, clean-up of removed items).
// A snapshot must share the items' record bytes, never copy them; the
// program checks that too.
//
//   bench_tracks [repetitions]   (default 50)

#include "core/model/history.h"
#include "core/model/moderecord.h"
#include "core/model/placement.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Dialogs would wait for a person; the benchmark answers none of them.
class SilentPrompter : public vc::Prompter
{
public:
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        return QMessageBox::NoButton;
    }
};

// A picture mode with a thumb like a real one: 85 high, a few hundred wide.
// Fifty different pictures; the times are set on a copy of the record, so
// every item still has a record of its own.
QByteArray pictureRecord(int start, int end, int seed)
{
    static QHash<int, vc::ModeRecord> pictures;
    seed %= 50;
    if (pictures.contains(seed)) {
        vc::ModeRecord r = pictures.value(seed);
        r.start = start;
        r.end = end;
        return r.encode();
    }
    vc::ModeRecord r;
    r.thumb = QImage(240, 85, QImage::Format_RGB32);
    r.thumb.fill(Qt::black);
    QPainter p(&r.thumb);
    for (int x = 0; x < 240; x += 12)
        p.fillRect(x, (x + seed) % 60, 10, 25, QColor::fromHsv((x + seed * 7) % 360, 255, 255));
    p.end();
    r.start = start;
    r.end = end;
    r.loops = 2;
    r.kind = vc::Picture;
    r.params = vc::pictureParams(2, QStringLiteral("/pictures/p%1.png").arg(seed), 0, false, false);
    pictures.insert(seed, vc::ModeRecord::decode(r.encode()));
    return pictureRecord(start, end, seed);
}

struct Stats
{
    double median = 0, p90 = 0, worst = 0;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    Stats s;
    s.median = v[v.size() / 2];
    s.p90 = v[std::min(v.size() - 1, v.size() * 9 / 10)];
    s.worst = v.back();
    return s;
}

void print(const char *what, const Stats &s)
{
    std::printf("%-52s median %7.3f  p90 %7.3f  worst %7.3f ms\n", what, s.median, s.p90, s.worst);
}

// Fills a track with n adjacent items of 1 s.
void fill(Timeline *t, int n, int seedBase)
{
    for (int i = 0; i < n; ++i) {
        auto *item =
            new TimelineItem(pictureRecord(i * 1000, i * 1000 + 1000, seedBase + i % 50), t);
        t->addTimelineItem(item);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPrompter silent;
    vc::Prompter::setInstance(&silent);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    QRandomGenerator rng(3);

    // ------------------------------------------------ 1. placement
    {
        QWidget area;
        area.resize(1000, 100);
        auto *track = new Timeline(&area, nullptr, nullptr, nullptr);
        fill(track, 5000, 0);
        const QByteArray recordX = pictureRecord(0, 2500, 99);
        std::vector<double> place, insert;
        for (int r = 0; r < reps; ++r) {
            // 2.5 s somewhere inside: trims one neighbour, covers one, trims another
            const int start = int(rng.bounded(4990)) * 1000 + 300;
            QElapsedTimer all;
            all.start();
            auto *x = new TimelineItem(recordX, track);
            x->setTimes(start, start + 2500);
            track->addTimelineItem(x);
            QElapsedTimer t;
            t.start();
            track->on_itemDragEnd(QByteArray(), x);
            place.push_back(t.nsecsElapsed() / 1e6);
            insert.push_back(all.nsecsElapsed() / 1e6);
        }
        std::vector<double> rules;
        QVector<vc::placement::Span> spans;
        for (const TimelineItem *i : track->items())
            spans.append(vc::placement::Span{i->start(), i->end()});
        spans.append(vc::placement::Span{2000300, 2002800});
        for (int r = 0; r < reps; ++r) {
            QElapsedTimer t;
            t.start();
            const auto result = vc::placement::place(spans, spans.size() - 1);
            rules.push_back(t.nsecsElapsed() / 1e6);
            if (result.order.isEmpty())
                std::printf("error: empty result\n");
        }
        std::printf("track of %d items after %d placements\n", int(track->items().size()), reps);
        print("placement rules alone (pure function)", stats(rules));
        print("place one item (sort + rules + widgets)", stats(place));
        print("new item + add + place", stats(insert));
    }

    // ------------------------------------------------ 2. snapshots
    {
        vc::Show show;
        {
            const vc::Show::Batch batch(&show);
            for (int k = 0; k < 20; ++k) {
                const vc::Show::Id t = k == 0 ? show.currentTrack() : show.addTrack(k);
                for (int i = 0; i < 500; ++i)
                    show.appendMode(t, pictureRecord(i * 1000, i * 1000 + 1000, k * 50 + i % 50));
            }
        }
        vc::History history;
        history.record(show.snapshot());
        std::vector<double> engine;
        qint64 recordBytes = 0;
        for (const vc::Show::Track &t : show.tracks())
            for (const vc::Show::Mode &m : t.modes)
                recordBytes += m.bytes.size();
        for (int r = 0; r < reps; ++r) {
            // one edit: one mode re-timed
            const vc::Show::Mode &m = show.tracks().at(r % 20).modes.at(int(rng.bounded(500)));
            show.retimeMode(m.id, m.record.start, m.record.end - 1);
            QElapsedTimer t;
            t.start();
            const bool changed = history.record(show.snapshot());
            engine.push_back(t.nsecsElapsed() / 1e6);
            if (!changed)
                std::printf("error: an edit was not recorded\n");
        }
        int shared = 0, total = 0;
        const vc::History::Snapshot *cur = history.current();
        for (const vc::Show::Track &t : show.tracks()) {
            const vc::History::Track *entry = vc::History::find(*cur, t.id);
            for (const vc::Show::Mode &m : t.modes) {
                ++total;
                for (const vc::History::Item &s : entry->items)
                    if (s.id == m.id && s.bytes.constData() == m.bytes.constData())
                        ++shared;
            }
        }
        std::printf("20 tracks x 500 modes, %.1f MB of records; %d of %d records shared with "
                    "the snapshot (not copied)\n",
                    recordBytes / 1048576.0, shared, total);
        print("snapshot (engine: build + compare + record)", stats(engine));
    }

    {
        MainWindow w;
        vc::TracksController *c = w.tracks();
        for (int k = 0; k < 20; ++k) {
            Timeline *t = k == 0 ? c->currentTrack() : c->addTimeline(1);
            fill(t, 500, k * 50);
        }
        c->project()->startHistory();
        std::vector<double> refresh, unchanged;
        for (int r = 0; r < reps; ++r) {
            Timeline *t = c->tracks().at(r % 20);
            TimelineItem *item = t->items().at(int(rng.bounded(500)));
            item->setTimes(item->start(), item->end() - 1);
            QElapsedTimer timer;
            timer.start();
            c->refreshCounters();
            refresh.push_back(timer.nsecsElapsed() / 1e6);
            timer.restart();
            c->refreshCounters();
            unchanged.push_back(timer.nsecsElapsed() / 1e6);
        }
        print("counter refresh after one edit (main window)", stats(refresh));
        print("counter refresh, nothing changed", stats(unchanged));
        std::vector<double> undo;
        for (int r = 0; r < std::min(reps, 50); ++r) {
            QElapsedTimer timer;
            timer.start();
            c->undo();
            undo.push_back(timer.nsecsElapsed() / 1e6);
        }
        print("undo one step", stats(undo));
    }
    vc::Prompter::setInstance(nullptr);
    return 0;
}
