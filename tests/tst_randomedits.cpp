// Random editing sequences on the show document, from fixed seeds. After
// every step the document must hold no overlaps, a move or a paste must not
// have changed what the mode plays, undo and redo must give back the
// byte-identical document, a saved and loaded document must export the same
// show image, and a mode applied unchanged must stay byte-identical. A view
// that follows only the document's announcements must show what the document
// holds, and looking a time up must find what walking the track finds. A
// failing seed is cut down to the shortest sequence that still fails, which
// the failure message lists.

#include "core/audio/beatlayout.h"
#include "core/device/showimage.h"
#include "core/device/trackshow.h"
#include "core/model/history.h"
#include "core/model/modebuilder.h"
#include "core/model/show.h"
#include "core/model/trackorder.h"
#include "core/project/project.h"
#include "core/project/projectextras.h"
#include "core/project/projectformat.h"
#include "core/project/showproject.h"
#include "testsupport/records.h"
#include "testsupport/testenv.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

using vc::Show;

namespace {

enum class Op
{
    Insert,
    Move,
    MoveToTrack,
    ResizeStart,
    ResizeEnd,
    Copy,
    Cut,
    Paste,
    Delete,
    AddTrack,
    RemoveTrack,
    DuplicateTrack,
    SelectTrack,
    Undo,
    Redo,
    Apply,
    Props,
    FitToBeats,
    SplitAtBeats,
    Count
};

const char *const OpNames[] = {
    "insert", "move",   "move to track", "resize start", "resize end",      "copy",         "cut",
    "paste",  "delete", "add track",     "remove track", "duplicate track", "select track", "undo",
    "redo",   "apply",  "props",         "fit to beats", "split at beats"};
static_assert(sizeof(OpNames) / sizeof(*OpNames) == int(Op::Count));

// A step with raw random numbers, read modulo what the document holds when
// it runs: any part of a sequence is a sequence that can run.
struct Step
{
    Op op = Op::Insert;
    quint32 a = 0, b = 0, c = 0, d = 0;
};

constexpr int Leds = 16;
constexpr float FrameRate = 1600.0f; // above 1500: the faster repeat count
constexpr int SongMs = 8000;

QByteArray recordFor(const Step &s, int start, int end)
{
    static const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::white};
    vc::ModeRecord r = vc::test::colourMode(start, end, colours[s.c % 5],
                                            QSize(20 + int(s.d % 150), vc::ThumbHeight));
    if (s.d % 3 == 0) {
        // A picture: its thumb is the pattern, its count is in its text.
        r.kind = vc::Picture;
        r.thumb.setPixelColor(0, 0, Qt::black);
        r.params = vc::pictureParams(int(s.c % 40) + 1, QStringLiteral("p.png"), 0, false, false);
    }
    r.loops = int(s.c % 40) + 1;
    r.speed = s.d % 2 ? 2 + int(s.c % 17) : 0;
    return r.encode();
}

// What a move or a paste must keep of a mode.
struct Kept
{
    int length, kind, loops, speed;
    QString params;
    bool operator==(const Kept &o) const
    {
        return length == o.length && kind == o.kind && loops == o.loops && speed == o.speed &&
               params == o.params;
    }
};

Kept keptOf(const vc::ModeRecord &r)
{
    return {r.durationMs(), r.kind, r.loops, r.speed, r.params};
}

vc::device::ShowImage exportOf(const QVector<vc::ModeRecord> &records)
{
    vc::device::ShowSettings settings;
    settings.leds = Leds;
    settings.frameRate = FrameRate;
    settings.fpsText = int(FrameRate);
    return vc::device::buildShowImage(vc::device::trackShowItems(records, FrameRate, Leds),
                                      settings);
}

class Runner
{
public:
    // Inserted modes last at most `longest` ms; the first track starts with
    // `crowd` modes of 20 ms.
    Runner(int longest, int crowd) : m_longest(longest)
    {
        m_show.setLeds(Leds);
        m_show.setFrameRate(FrameRate);
        {
            const vc::Project::Untracked load(&m_project);
            for (int i = 0; i < crowd; ++i)
                m_show.appendMode(m_show.currentTrack(),
                                  recordFor(Step{Op::Insert, 0, 0, quint32(i), quint32(i)},
                                            i * SongMs / crowd, i * SongMs / crowd + 20));
        }
        m_project.startHistory();
        QObject::connect(&m_project, &vc::Project::edited, [this] { ++m_steps; });
        QObject::connect(&m_show, &Show::modesEdited,
                         [this](Show::Id t, const Show::ModeChange &c) {
                             if (c.reset) {
                                 m_seen.remove(t);
                                 follow();
                                 return;
                             }
                             for (Show::Id id : c.inserted + c.removed + c.changed) {
                                 if (const Show::Mode *m = modeOn(t, id))
                                     m_seen[t].insert(id, m->bytes);
                                 else
                                     m_seen[t].remove(id);
                             }
                             follow();
                         });
        QObject::connect(&m_show, &Show::tracksChanged, [this] { follow(); });
        follow();
    }

    // Empty when every check held; else what failed.
    QString run(const QVector<Step> &steps, int exportEvery)
    {
        for (int i = 0; i < steps.size(); ++i) {
            const QString failed = step(steps.at(i));
            if (!failed.isEmpty())
                return QStringLiteral("step %1 (%2): %3")
                    .arg(i + 1)
                    .arg(QLatin1String(OpNames[int(steps.at(i).op)]), failed);
            if ((i + 1) % exportEvery == 0 || i + 1 == steps.size()) {
                const QString e = exportsAlike();
                if (!e.isEmpty())
                    return QStringLiteral("after step %1: %2").arg(i + 1).arg(e);
            }
        }
        return {};
    }

private:
    const Show::Mode *modeOn(Show::Id track, Show::Id id) const
    {
        for (const Show::Mode &m : m_show.track(track)->modes) {
            if (m.id == id)
                return &m;
        }
        return nullptr;
    }

    // Tracks new to the view are read whole, as a view of one is made.
    void follow()
    {
        for (const Show::Track &t : m_show.tracks()) {
            if (!m_seen.contains(t.id))
                for (const Show::Mode &m : t.modes)
                    m_seen[t.id].insert(m.id, m.bytes);
        }
    }

    const Show::Mode *pickMode(quint32 n, Show::Id *track = nullptr) const
    {
        const Show::Track *t = m_show.track(m_show.currentTrack());
        if (!t || t->modes.isEmpty())
            return nullptr;
        if (track)
            *track = t->id;
        return &t->modes.at(int(n % quint32(t->modes.size())));
    }

    Show::Id pickTrack(quint32 n) const
    {
        return m_show.tracks().at(int(n % quint32(m_show.trackCount()))).id;
    }

    // Places a mode; the track must then hold the times the placement rules
    // give for the whole of it (the show may work them out from fewer).
    QString place(Show::Id id)
    {
        using vc::placement::Span;
        Show::Id track = 0;
        m_show.mode(id, &track);
        const QVector<Show::Mode> &modes = m_show.track(track)->modes;
        QVector<Span> spans;
        int placed = -1;
        for (int i = 0; i < modes.size(); ++i) {
            spans.append({modes.at(i).record.start, modes.at(i).record.end});
            placed = modes.at(i).id == id ? i : placed;
        }
        const auto same = [](const Span &s) { return s; };
        const QVector<Span> expected = vc::applyPlacement(
            spans, vc::placement::place(spans, placed), same,
            [](Span &s, int start, int end) {
                s = {start, end};
            },
            same);
        m_show.placeMode(id);
        const QVector<Show::Mode> &after = m_show.track(track)->modes;
        for (int i = 0; i < std::max(after.size(), expected.size()); ++i) {
            const Span got = i < after.size()
                                 ? Span{after.at(i).record.start, after.at(i).record.end}
                                 : Span{-2, -2};
            const Span want = i < expected.size() ? expected.at(i) : Span{-2, -2};
            if (got.start != want.start || got.end != want.end)
                return QStringLiteral("placing gives mode %1 at %2-%3, the rules %4-%5")
                    .arg(i)
                    .arg(got.start)
                    .arg(got.end)
                    .arg(want.start)
                    .arg(want.end);
        }
        return {};
    }

    // The project as its files hold it.
    QByteArray document() const
    {
        return vc::encodeProject(vc::projectOf(m_show)) + vc::encodeExtras(m_project.extras());
    }

    QString step(const Step &s)
    {
        const QByteArray before = document();
        if (s.op == Op::Undo || s.op == Op::Redo) {
            if (s.op == Op::Undo ? m_project.undo() : m_project.redo()) {
                if (!m_project.isModified())
                    return QStringLiteral("an undo or redo leaves the project unmodified");
            } else if (document() != before) {
                return QStringLiteral("an undo or redo with nothing to do changed the project");
            }
            return consistent();
        }
        m_project.setModified(false);
        return edit(s);
    }

    QString edit(const Step &s)
    {
        const QByteArray before = document();
        const int steps = m_steps;
        const Show::Id current = m_show.currentTrack();
        Show::Id watched = 0; // a mode that must play as it did
        Kept kept{};
        const int at = int(s.b % SongMs);
        // Each step is one edit of the project, as a gesture in the window.
        std::optional<vc::Project::Edit> bracket(std::in_place, &m_project);
        switch (s.op) {
        case Op::Insert: {
            const int length = 1 + int(s.c % quint32(m_longest));
            m_show.insertMode(current, recordFor(s, at, at + length));
            break;
        }
        case Op::Move:
        case Op::MoveToTrack:
            if (const Show::Mode *m = pickMode(s.a)) {
                watched = m->id;
                kept = keptOf(m->record);
                if (s.op == Op::MoveToTrack)
                    m_show.moveMode(watched, pickTrack(s.c));
                m_show.shiftMode(watched, at);
                if (const QString f = place(watched); !f.isEmpty())
                    return f;
            }
            break;
        case Op::ResizeStart:
        case Op::ResizeEnd:
            if (const Show::Mode *m = pickMode(s.a)) {
                const Show::Id id = m->id;
                const int start = s.op == Op::ResizeStart ? at : m->record.start;
                const int end = s.op == Op::ResizeEnd ? at : m->record.end;
                m_show.retimeMode(id, std::min(start, end), std::max(start, end) + 1);
                if (const QString f = place(id); !f.isEmpty())
                    return f;
            }
            break;
        case Op::Copy:
        case Op::Cut:
            if (const Show::Mode *m = pickMode(s.a)) {
                m_clipboard = m->bytes;
                if (s.op == Op::Cut)
                    m_show.removeMode(m->id);
            }
            break;
        case Op::Paste:
            if (!m_clipboard.isEmpty()) {
                kept = keptOf(vc::ModeRecord::decode(m_clipboard));
                watched = m_show.pasteMode(current, m_clipboard, at);
                if (!watched)
                    return QStringLiteral("a copied mode was refused");
            }
            break;
        case Op::Delete:
            if (const Show::Mode *m = pickMode(s.a))
                m_show.removeMode(m->id);
            break;
        case Op::AddTrack:
            m_show.addTrack(int(s.a % 4));
            break;
        case Op::RemoveTrack:
            m_show.removeTrack(pickTrack(s.a));
            break;
        case Op::DuplicateTrack:
            m_show.duplicateTrack(pickTrack(s.a), int(s.c % 4));
            break;
        case Op::SelectTrack:
            m_show.setCurrentTrack(pickTrack(s.a));
            break;
        case Op::Undo:
        case Op::Redo:
            break;
        case Op::Props:
            if (s.c % 3 == 0)
                m_project.setProps({});
            else
                m_project.setProps({{int(s.a % quint32(m_show.trackCount())) + 1,
                                     QString::number(s.c % 5), QString::number(s.d % 2)}});
            break;
        case Op::Apply: // as the editor opened it
            if (const Show::Mode *m = pickMode(s.a);
                m && vc::ModeBuilder({Leds, FrameRate})
                             .apply(m->record, vc::settingsOf(m->record))
                             .record.encode() != m->bytes)
                return QStringLiteral("applying a mode unchanged changed its record");
            break;
        case Op::FitToBeats:
        case Op::SplitAtBeats: {
            // Bars of three from the second beat, the tempo changing half way.
            QVector<double> beats;
            for (double t = 130 + s.c % 200; t < SongMs + 12000; t += t < 4000 ? 410 : 530)
                beats.append(t);
            const vc::BeatGrid grid = vc::BeatGrid::fromTimes(beats, 3, 1);
            const int units = int(s.d % 4) == 3 ? vc::beats::ToNextBar : 1 << (s.d % 3);
            QVector<Show::Id> laid;
            if (s.op == Op::SplitAtBeats) {
                if (const Show::Mode *m = pickMode(s.a))
                    laid = vc::beats::splitAtBeats(m_show, m->id, grid, units,
                                                   s.c % 2 ? recordFor(s, 0, 1) : QByteArray());
            } else {
                Show::Id track = 0;
                if (const Show::Mode *m = pickMode(s.a, &track)) {
                    // A few modes of the track, from the picked one on.
                    const QVector<Show::Mode> &modes = m_show.track(track)->modes;
                    const int from = int(m - modes.constData());
                    for (int i = from; i < modes.size() && i < from + 1 + int(s.c % 4); ++i)
                        laid.append(modes[i].id);
                    vc::beats::fitToBeats(m_show, laid, grid, units);
                }
            }
            // What was laid out and is still there starts and ends on beats.
            const QVector<int> marks = grid.beats();
            for (Show::Id id : qAsConst(laid)) {
                const Show::Mode *m = m_show.mode(id);
                if (m && (!marks.contains(m->record.start) || !marks.contains(m->record.end)))
                    return QStringLiteral("a mode laid on the beat runs %1 to %2, off them")
                        .arg(m->record.start)
                        .arg(m->record.end);
            }
            break;
        }
        case Op::Count:
            break;
        }
        bracket.reset();
        // One step exactly when the project changed (removing a track is
        // final: no step), and unsaved changes exactly then.
        const bool changed = document() != before;
        if (m_steps - steps != (changed && s.op != Op::RemoveTrack ? 1 : 0))
            return QStringLiteral("%1 undo steps recorded for a %2 project")
                .arg(m_steps - steps)
                .arg(changed ? "changed" : "unchanged");
        if (m_project.isModified() != changed)
            return QStringLiteral("the modified flag is %1 for a %2 project")
                .arg(m_project.isModified())
                .arg(changed ? "changed" : "unchanged");

        QString failed = consistent();
        if (!failed.isEmpty())
            return failed;
        if (watched) {
            const Show::Mode *m = m_show.mode(watched);
            if (!m)
                return QStringLiteral("the moved or pasted mode is gone");
            if (m->record.start != at)
                return QStringLiteral("the moved or pasted mode starts at %1, not %2")
                    .arg(m->record.start)
                    .arg(at);
            if (!(keptOf(m->record) == kept))
                return QStringLiteral("a move or paste changed the mode (length %1 to %2, "
                                      "repeats %3 to %4)")
                    .arg(kept.length)
                    .arg(m->record.durationMs())
                    .arg(kept.loops)
                    .arg(m->record.loops);
        }

        // Every recorded step can be undone and redone exactly.
        const QByteArray after = document();
        if (after == before || s.op == Op::RemoveTrack)
            return {};
        m_project.undo();
        if (document() != before)
            return QStringLiteral("undo does not give back the document");
        if (!(failed = consistent()).isEmpty())
            return QStringLiteral("after undo: ") + failed;
        m_project.redo();
        if (document() != after)
            return QStringLiteral("redo does not give back the document");
        return consistent();
    }

    QString consistent() const
    {
        int count = 0;
        for (const Show::Track &t : m_show.tracks()) {
            count += t.modes.size();
            const QHash<Show::Id, QByteArray> seen = m_seen.value(t.id);
            if (seen.size() != t.modes.size())
                return QStringLiteral("a view shows %1 modes of %2")
                    .arg(seen.size())
                    .arg(t.modes.size());
            for (int i = 0; i < t.modes.size(); ++i) {
                const vc::ModeRecord &r = t.modes.at(i).record;
                if (seen.value(t.modes.at(i).id) != t.modes.at(i).bytes)
                    return QStringLiteral("a view shows a mode as it was");
                for (int ms : {r.startMs() - 1, r.startMs(), r.endMs() - 1, r.endMs()}) {
                    int first = -1;
                    for (int k = 0; k < t.modes.size() && first < 0; ++k)
                        if (t.modes.at(k).record.startMs() <= ms &&
                            ms < t.modes.at(k).record.endMs())
                            first = k;
                    if (m_show.modeIndexAt(t.id, ms) != first)
                        return QStringLiteral("looking up %1 ms finds mode %2, not %3")
                            .arg(ms)
                            .arg(m_show.modeIndexAt(t.id, ms))
                            .arg(first);
                }
                const QPair<int, int> range = m_show.modeRange(t.id, r.startMs(), r.endMs() + 1);
                if (i < range.first || i >= range.second)
                    return QStringLiteral("a mode is missing from the range of its own times");
                if (t.modes.at(i).bytes != r.encode())
                    return QStringLiteral("a mode's bytes are not its record");
                if (r.end < r.start)
                    return QStringLiteral("a mode ends before it starts");
                if (i > 0 && t.modes.at(i - 1).record.end > r.start)
                    return QStringLiteral("track %1 holds overlapping modes %2-%3 and %4-%5")
                        .arg(m_show.trackIndex(t.id) + 1)
                        .arg(t.modes.at(i - 1).record.start)
                        .arg(t.modes.at(i - 1).record.end)
                        .arg(r.start)
                        .arg(r.end);
            }
        }
        if (count != m_show.modeCount())
            return QStringLiteral("the mode count is %1, the tracks hold %2")
                .arg(m_show.modeCount())
                .arg(count);
        return {};
    }

    // Saved, loaded and exported, the current track gives the show image
    // it gives exported directly.
    QString exportsAlike() const
    {
        const int index = m_show.trackIndex(m_show.currentTrack());
        const QVector<vc::ModeRecord> direct = m_show.records(m_show.currentTrack());
        if (direct.isEmpty())
            return {};
        const vc::ProjectReadResult read =
            vc::decodeProject(vc::encodeProject(vc::projectOf(m_show)));
        if (!read.status.ok() || read.project.tracks.size() != m_show.trackCount())
            return QStringLiteral("the saved document does not load whole");
        QVector<vc::ModeRecord> loaded;
        for (const QByteArray &bytes : read.project.tracks.at(index))
            loaded.append(vc::ModeRecord::decode(bytes));
        const vc::device::ShowImage a = exportOf(direct);
        const vc::device::ShowImage b = exportOf(loaded);
        if (a.result.ok() != b.result.ok() || a.header != b.header || a.frames != b.frames)
            return QStringLiteral("the loaded document exports another show image");
        return {};
    }

    vc::Project m_project;
    Show &m_show = *m_project.show();
    QHash<Show::Id, QHash<Show::Id, QByteArray>> m_seen;
    int m_longest;
    int m_steps = 0;
    QByteArray m_clipboard;
};

QVector<Step> sequence(quint32 seed, int length)
{
    QRandomGenerator rng(seed);
    QVector<Step> steps;
    for (int i = 0; i < length; ++i) {
        Step s;
        // Inserts come more often than anything else, so tracks fill up.
        const quint32 r = rng.bounded(quint32(Op::Count) + 4);
        s.op = r >= quint32(Op::Count) ? Op::Insert : Op(r);
        s.a = rng.generate();
        s.b = rng.generate();
        s.c = rng.generate();
        s.d = rng.generate();
        steps.append(s);
    }
    return steps;
}

QString fails(const QVector<Step> &steps, int exportEvery, int longest, int crowd)
{
    Runner runner(longest, crowd);
    return runner.run(steps, exportEvery);
}

// Leaves out steps one at a time while the sequence still fails.
QVector<Step> shortest(QVector<Step> steps, int longest, int crowd)
{
    for (bool shorter = true; shorter;) {
        shorter = false;
        for (int i = steps.size() - 1; i >= 0; --i) {
            QVector<Step> fewer = steps;
            fewer.removeAt(i);
            if (!fails(fewer, 1, longest, crowd).isEmpty()) {
                steps = fewer;
                shorter = true;
            }
        }
    }
    return steps;
}

QString describe(const QVector<Step> &steps)
{
    QStringList lines;
    for (const Step &s : steps)
        lines << QStringLiteral("  %1 a=%2 b=%3 c=%4 d=%5")
                     .arg(QLatin1String(OpNames[int(s.op)]))
                     .arg(s.a)
                     .arg(s.b)
                     .arg(s.c)
                     .arg(s.d);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestRandomEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sequences_data();
    void sequences();
};

void TestRandomEdits::initTestCase()
{
    // Thousands of exports would fill the log.
    QLoggingCategory::setFilterRules(QStringLiteral("vc.export.debug=false"));
}

void TestRandomEdits::sequences_data()
{
    QTest::addColumn<quint32>("firstSeed");
    QTest::addColumn<int>("seeds");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("longest"); // ms an inserted mode lasts at most
    QTest::addColumn<int>("crowd");   // modes on the first track to begin with
    QTest::newRow("short sequences") << 1u << 150 << 20 << 3000 << 0;
    QTest::newRow("long sequences") << 1000u << 20 << 150 << 3000 << 0;
    // A track of a few hundred short modes: what a step changes is a small
    // part of it.
    QTest::newRow("crowded track") << 5000u << 4 << 100 << 40 << 100;
}

void TestRandomEdits::sequences()
{
    QFETCH(quint32, firstSeed);
    QFETCH(int, seeds);
    QFETCH(int, length);
    QFETCH(int, longest);
    QFETCH(int, crowd);
    constexpr int ExportEvery = 10;
    for (quint32 seed = firstSeed; seed < firstSeed + quint32(seeds); ++seed) {
        const QVector<Step> steps = sequence(seed, length);
        if (fails(steps, ExportEvery, longest, crowd).isEmpty())
            continue;
        const QVector<Step> small = shortest(steps, longest, crowd);
        QFAIL(qPrintable(QStringLiteral("seed %1: %2\nshortest failing sequence:\n%3")
                             .arg(seed)
                             .arg(fails(small, 1, longest, crowd), describe(small))));
    }
}

VC_TEST_MAIN(TestRandomEdits)
#include "tst_randomedits.moc"
