#include "core/model/history.h"
#include "core/model/show.h"
#include "testsupport/records.h"
#include "testsupport/testenv.h"

#include <QSignalSpy>
#include <QTest>

using vc::Show;

namespace {

QByteArray colour(int start, int end, const QColor &c = Qt::red)
{
    return vc::test::colourMode(start, end, c).encode();
}

// A picture-like mode with a speed: its repeat count follows its length.
QByteArray withSpeed(int start, int end)
{
    vc::ModeRecord r = vc::test::colourMode(start, end, Qt::blue, QSize(170, 85));
    r.speed = 10;
    r.loops = 7;
    return r.encode();
}

QString times(const Show &show, Show::Id track)
{
    QStringList out;
    for (const Show::Mode &m : show.track(track)->modes)
        out << QStringLiteral("%1-%2").arg(m.record.start).arg(m.record.end);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestShow : public QObject
{
    Q_OBJECT

private slots:
    void edits_data();
    void edits();
    void undoPutsModesBack();
    void changesAreAnnouncedOnce();
    void damagedBytesAreRewritten();
};

// Each row: modes appended to track 1 in order, then one edit, then the
// track's times.
void TestShow::edits_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("count");

    QTest::newRow("insert trims both neighbours") << "0-2000 2500-4000"
                                                  << "insert 1000-3000"
                                                  << "0-1000 1000-3000 3000-4000" << 3;
    QTest::newRow("insert splits the mode it falls in") << "0-5000"
                                                        << "insert 1000-2000"
                                                        << "0-1000 1000-2000 2000-5000" << 3;
    QTest::newRow("insert covers") << "1000-2000 3000-4000"
                                   << "insert 0-5000"
                                   << "0-5000" << 1;
    QTest::newRow("sort settles a start tie") << "1000-3000 1000-2000"
                                              << "sort"
                                              << "1000-2000 2000-3000" << 2;
    QTest::newRow("order keeps overlaps") << "3000-4000 0-3500"
                                          << "order"
                                          << "0-3500 3000-4000" << 2;
    QTest::newRow("retime, unplaced") << "0-1000 2000-3000"
                                      << "retime 0 500-2500"
                                      << "500-2500 2000-3000" << 2;
    QTest::newRow("retime, then placed") << "0-1000 2000-3000"
                                         << "place 0 500-2500"
                                         << "500-2500 2500-3000" << 2;
    QTest::newRow("remove") << "0-1000 2000-3000"
                            << "remove 0"
                            << "2000-3000" << 1;
    QTest::newRow("shift keeps the length, unplaced") << "0-1000 2000-3000"
                                                      << "shift 0 1500"
                                                      << "1500-2500 2000-3000" << 2;
}

void TestShow::edits()
{
    QFETCH(QString, before);
    QFETCH(QString, edit);
    QFETCH(int, count);
    Show show;
    const Show::Id track = show.currentTrack();
    QVector<Show::Id> ids;
    for (const QString &span : before.split(QLatin1Char(' ')))
        ids << show.appendMode(
            track, colour(span.section('-', 0, 0).toInt(), span.section('-', 1).toInt()));
    const QStringList e = edit.split(QLatin1Char(' '));
    auto span = [](const QString &s, int part) { return s.section('-', part, part).toInt(); };
    if (e[0] == QLatin1String("insert"))
        QVERIFY(show.insertMode(track, colour(span(e[1], 0), span(e[1], 1), Qt::green)));
    else if (e[0] == QLatin1String("sort"))
        show.sortTrack(track);
    else if (e[0] == QLatin1String("order"))
        show.orderTrack(track);
    else if (e[0] == QLatin1String("retime") || e[0] == QLatin1String("place")) {
        const Show::Id id = ids.at(e[1].toInt());
        QVERIFY(show.retimeMode(id, span(e[2], 0), span(e[2], 1)));
        if (e[0] == QLatin1String("place"))
            show.placeMode(id);
    } else if (e[0] == QLatin1String("shift")) {
        QVERIFY(show.shiftMode(ids.at(e[1].toInt()), e[2].toInt()));
    } else if (e[0] == QLatin1String("remove"))
        QVERIFY(show.removeMode(ids.at(e[1].toInt())));
    QTEST(times(show, track), "after");
    QCOMPARE(show.modeCount(), count);
    // Every mode has its own identity, a split half too, and bytes that are
    // its record's encoding.
    QSet<Show::Id> seen;
    for (const Show::Mode &m : show.track(track)->modes) {
        QVERIFY(!seen.contains(m.id));
        seen.insert(m.id);
        QCOMPARE(m.bytes, m.record.encode());
    }
}

void TestShow::undoPutsModesBack()
{
    Show show;
    show.setLeds(80);
    show.setFrameRate(2100.0f);
    vc::History history;
    const Show::Id one = show.currentTrack();
    const Show::Id a = show.insertMode(one, withSpeed(0, 1000));
    const Show::Id two = show.addTrack(1);
    history.record(show.snapshot());

    // A move keeps the repeat count and the length; a retime with a speed
    // recounts the repeats for the prop.
    QVERIFY(show.shiftMode(a, 1667));
    QCOMPARE(show.mode(a)->record.loops, 7);
    QCOMPARE(show.mode(a)->record.durationMs(), 1000);
    QVERIFY(show.retimeMode(a, 0, 4000));
    QCOMPARE(show.mode(a)->record.loops, 38);
    // A mode moved to another track comes back to its own under its own
    // identity; the record bytes are shared with the history, not copied.
    QVERIFY(show.moveMode(a, two));
    history.record(show.snapshot());
    show.restore(*history.undo());
    Show::Id holder = 0;
    const Show::Mode *back = show.mode(a, &holder);
    QVERIFY(back);
    QCOMPARE(holder, one);
    QCOMPARE(back->record.end, 1000);
    QCOMPARE(back->record.loops, 7);
    QVERIFY(show.track(two)->modes.isEmpty());

    // Removing a track is final: undo leaves it gone.
    show.restore(*history.redo());
    QVERIFY(show.removeTrack(two));
    QCOMPARE(show.modeCount(), 0);
    show.restore(*history.undo());
    QCOMPARE(show.trackCount(), 1);
    QCOMPARE(show.modeCount(), 1);
    QVERIFY(!show.removeTrack(one)); // never the last track
}

void TestShow::changesAreAnnouncedOnce()
{
    Show show;
    const Show::Id track = show.currentTrack();
    QSignalSpy modes(&show, &Show::modesChanged);
    QSignalSpy count(&show, &Show::modeCountChanged);
    {
        const Show::Batch batch(&show);
        for (int i = 0; i < 10; ++i)
            show.appendMode(track, colour(i * 1000, i * 1000 + 1000));
        show.sortTrack(track);
        QCOMPARE(modes.count(), 0);
    }
    QCOMPARE(modes.count(), 1);
    QCOMPARE(count.count(), 1);
    QCOMPARE(count.last().first().toInt(), 10);
    // Nothing changed: nothing announced.
    show.restore(show.snapshot());
    show.setCurrentTrack(track);
    show.setColours(show.colour1(), show.colour2());
    QCOMPARE(modes.count(), 1);
}

void TestShow::damagedBytesAreRewritten()
{
    Show show;
    const QByteArray full = colour(0, 1000);
    const Show::Id id = show.appendMode(show.currentTrack(), full.left(full.size() - 3));
    const Show::Mode *m = show.mode(id);
    QVERIFY(!m->complete);
    QCOMPARE(m->bytes, m->record.encode());
    // trailing bytes are dropped
    QVERIFY(show.setModeBytes(id, full + QByteArray("xyz")));
    QVERIFY(show.mode(id)->complete);
    QCOMPARE(show.mode(id)->bytes, full);
}

VC_TEST_MAIN(TestShow)
#include "tst_show.moc"
