// Times the editing operations on a large show in a real main window: one
// line per operation, "<operation>: median <ms> ms, worst <ms> ms". Needs a
// display (run it under xvfb-run).
//
//   bench_scale [items] [tracks] [repetitions] [load] [beats]
//                                                  (default 2000 10 30)
//
// The show holds `items` picture and colour modes spread over `tracks`
// tracks, at least five minutes long, so a larger show packs more modes
// into each screen; with `beats`, one mode a beat at 120 BPM whatever its
// size, so a larger show is a longer one with as many modes to a screen.
// Before the figures it prints how long filling the show took: one placed
// item at a time, as a person adds them, with one history step at the end;
// with `load`, all at once as opening a project puts them on their tracks.
#include "bench_timeline_items.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

class SilentPrompter : public vc::Prompter
{
public:
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton def) override
    {
        return def;
    }
};

void report(const char *operation, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("%s: median %.3f ms, worst %.3f ms\n", operation, v.at(v.size() / 2), v.back());
    std::fflush(stdout);
}

// Runs `step` `reps` times, timing each run together with the events it
// posts (layout, not painting).
std::vector<double> timed(int reps, const std::function<void(int)> &step)
{
    std::vector<double> v;
    for (int r = 0; r < reps; ++r) {
        QElapsedTimer t;
        t.start();
        step(r);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        v.push_back(t.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    return v;
}

// Puts `count` items on `tracks` tracks one at a time, as a person places
// them, spread over spanMs with small gaps: a picture (half of them with a
// speed) and a plain colour. Each kind is packed once; an item takes its
// record with its own times, the picture written again as it was stored.
int fill(MainWindow &w, int count, int tracks, int spanMs, bool load)
{
    vc::TracksController *ctl = w.tracks();
    addBenchTracks(w, tracks);
    const QImage picture = benchGradient(240, vc::ThumbHeight);
    vc::ModeRecord kinds[3];
    for (int k = 0; k < 3; ++k) {
        vc::ModeRecord r;
        r.kind = k == 2 ? vc::Colour : vc::Picture;
        r.thumb = picture;
        r.speed = k == 1 ? 10 : 0;
        r.colour = QColor(255, 160, 0);
        r.params = k == 2 ? vc::colourParams(r.colour)
                          : vc::pictureParams(1, QStringLiteral("bench.png"), 0, false, false);
        if (k == 2) {
            r.thumb = QImage(vc::ThumbHeight, vc::ThumbHeight, QImage::Format_RGB32);
            r.thumb.fill(r.colour);
        }
        kinds[k] = vc::ModeRecord::decode(r.encode(), nullptr, nullptr, vc::ModeRecord::ThumbLater);
    }
    const int perTrack = (count + tracks - 1) / tracks;
    const int slot = std::max(2, spanMs / perTrack);
    int placed = 0;
    const QList<Timeline *> all = ctl->tracks();
    vc::Show *show = w.document();
    std::unique_ptr<vc::Show::Batch> batch(load ? new vc::Show::Batch(show) : nullptr);
    for (int t = 0; t < tracks && placed < count; ++t) {
        Timeline *track = all.at(t);
        for (int i = 0; i < perTrack && placed < count; ++i, ++placed) {
            vc::ModeRecord r = kinds[(i + t) % 3];
            r.start = i * slot;
            r.end = i * slot + slot * 4 / 5;
            r.loops = 1 + i % 4;
            if (load) {
                show->appendMode(all.at(t)->trackId(), r.encode());
                continue;
            }
            auto *item = new TimelineItem(r.encode(), track);
            track->addTimelineItem(item);
            track->on_itemDragEnd(QByteArray(), item);
        }
    }
    if (load) {
        for (const Timeline *t : all)
            show->orderTrack(t->trackId());
        batch.reset();
    }
    ctl->refreshCounters();
    return placed;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SilentPrompter silent;
    vc::Prompter::setInstance(&silent);
    const int items = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int trackCount = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    const int reps = argc > 3 ? std::max(1, atoi(argv[3])) : 30;
    QRandomGenerator rng(7);

    MainWindow w;
    w.resize(1300, 885);
    w.show();
    QCoreApplication::processEvents();
    Ui::MainWindow *ui = w.form();
    vc::TracksController *ctl = w.tracks();
    vc::Show *show = w.document();

    QSet<QByteArray> words;
    for (int i = 4; i < argc; ++i)
        words.insert(argv[i]);
    const bool load = words.contains("load");
    const int perTrack = (items + trackCount - 1) / trackCount;
    const int spanMs = words.contains("beats") ? perTrack * 500 : std::max(300000, perTrack * 300);
    QElapsedTimer fillTimer;
    fillTimer.start();
    const int placed = fill(w, items, trackCount, spanMs, load);
    QCoreApplication::processEvents();
    std::printf("show: %d items over %d tracks, filled in %.0f ms\n", placed, trackCount,
                fillTimer.nsecsElapsed() / 1e6);
    std::fflush(stdout);

    // Edits on the current track, in the middle of the song.
    Timeline *track = ctl->currentTrack();
    auto someStart = [&] { return int(rng.bounded(spanMs / 4, spanMs * 3 / 4)); };
    const vc::Show::Track *modes = show->track(track->trackId());
    const QByteArray record = modes->modes.isEmpty() ? QByteArray() : modes->modes.first().bytes;

    report("place", timed(reps, [&](int) {
               auto *item = new TimelineItem(record, track);
               item->moveTo(someStart());
               track->addTimelineItem(item);
               track->on_itemDragEnd(QByteArray(), item);
               ctl->refreshCounters();
           }));

    report("move", timed(reps, [&](int) {
               TimelineItem *item = track->itemAt(someStart());
               if (!item)
                   return;
               item->moveTo(item->start() + 7);
               track->on_itemDragEnd(QByteArray(), item);
               ctl->refreshCounters();
           }));

    report("delete", timed(reps, [&](int) {
               TimelineItem *item = track->itemAt(someStart());
               if (!item)
                   return;
               ctl->selectItem(item);
               ctl->deleteSelected();
           }));

    report("undo", timed(reps, [&](int) { ctl->undo(); }));
    report("redo", timed(reps, [&](int) { ctl->redo(); }));

    const int zooms[] = {85, 90, 100, 120, 160, 120, 100, 80, 60, 40, 80};
    report("zoom", timed(reps, [&](int r) {
               ui->timeline_scaler->setValue(zooms[r % int(std::size(zooms))]);
           }));
    ui->timeline_scaler->setValue(80);
    QCoreApplication::processEvents();

    QScrollBar *bar = ui->timeline_scroll->horizontalScrollBar();
    QWidget *viewport = ui->timeline_scroll->viewport();
    report("repaint", timed(reps, [&](int) { viewport->repaint(); }));

    // A page to the right, from the start again at the end of the show (the
    // pages past it hold nothing), and the paint of what it brings into
    // view. A short show comes round to pages it has laid out already,
    // which cost next to nothing: "scroll to new pages" times only the steps
    // to a page not seen before, as a long show's are.
    const int showEndX = track->width() > 0 ? int(float(spanMs) / track->msPerPixel()) : 0;
    QSet<int> seenPages{bar->value()};
    std::vector<double> toNew;
    const std::vector<double> scrolls = timed(reps, [&](int) {
        const int next = bar->value() + bar->pageStep();
        const int to = next >= std::min(bar->maximum(), showEndX) ? 0 : next;
        QElapsedTimer t;
        t.start();
        bar->setValue(to);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        viewport->repaint();
        if (!seenPages.contains(to))
            toNew.push_back(t.nsecsElapsed() / 1e6);
        seenPages.insert(to);
    });
    report("scroll", scrolls);
    if (!toNew.empty())
        report("scroll to new pages", toNew);

    report("snapshot", timed(reps, [&](int) {
               const vc::History::Snapshot s = show->snapshot();
               if (s.isEmpty())
                   std::printf("error: empty snapshot\n");
           }));

    vc::Prompter::setInstance(nullptr);
    return 0;
}
