#include "core/audio/beatgrid.h"
#include "core/audio/beattracker.h"
#include "core/audio/songdecoder.h"

#include "testsupport/audiofiles.h"
#include "testsupport/testenv.h"

#include <QtTest>
#include <cmath>
#include <cstring>

using vc::test::BeatSong;

// The beat search on generated songs whose beats are known.
class TestBeats : public QObject
{
    Q_OBJECT

private slots:
    void steadySongs_data();
    void steadySongs();
    void silence_data();
    void silence();
    void changingTempo_data();
    void changingTempo();
    void unheardEnds();
    void octave_data();
    void octave();
    void foldTempo_data();
    void foldTempo();
    void nearestBeat_data();
    void nearestBeat();
    void periodRemainder_data();
    void periodRemainder();
    void bars_data();
    void bars();
    void corrections_data();
    void corrections();
    void tempoAt_data();
    void tempoAt();
    void badGrid_data();
    void badGrid();
};

namespace {

vc::SongBeats track(const QVector<float> &song, int piece = 4096,
                    int rate = vc::BeatTracker::SampleRate)
{
    vc::BeatTracker tracker(rate);
    // Fed in pieces as a decoder hands them over.
    for (int i = 0; i < song.size(); i += piece)
        tracker.feed(song.constData() + i, qMin(piece, song.size() - i));
    return tracker.finish();
}

// Beats of `expected` with no found beat within 30 ms, and found beats with
// no expected beat within 30 ms.
void match(const QVector<double> &expected, const QVector<int> &found, int *missing, int *extra)
{
    auto near = [](double t, const auto &list) {
        for (auto v : list) {
            if (qAbs(double(v) - t) <= 30)
                return true;
        }
        return false;
    };
    *missing = 0;
    *extra = 0;
    for (double t : expected)
        *missing += near(t, found) ? 0 : 1;
    for (int t : found)
        *extra += near(double(t), expected) ? 0 : 1;
}

} // namespace

void TestBeats::steadySongs_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("firstBeat");

    QTest::newRow("clicks 120") << int(BeatSong::Clicks) << 120.0 << 0.5;
    QTest::newRow("clicks 97") << int(BeatSong::Clicks) << 97.0 << 0.5;
    QTest::newRow("drums 120") << int(BeatSong::Drums) << 120.0 << 0.5;
    QTest::newRow("drums 97") << int(BeatSong::Drums) << 97.0 << 0.5;
    // Near the ends of the tapped range, where the half or double tempo
    // also lies in it.
    QTest::newRow("clicks 160") << int(BeatSong::Clicks) << 160.0 << 0.5;
    QTest::newRow("clicks 75") << int(BeatSong::Clicks) << 75.0 << 0.5;
    QTest::newRow("drums 80") << int(BeatSong::Drums) << 80.0 << 0.5;
    // A listener taps the bass, not the louder clicks between.
    QTest::newRow("accented off-beats 80") << int(BeatSong::OffBeats) << 80.0 << 0.5;
    QTest::newRow("accented off-beats 75") << int(BeatSong::OffBeats) << 75.0 << 0.5;
    QTest::newRow("accented off-beats 90") << int(BeatSong::OffBeats) << 90.0 << 0.5;
    // A waltz's accompaniment under a tune in dotted quarters: one pulse,
    // the accompaniment's, not two beats a bar.
    QTest::newRow("waltz 120") << int(BeatSong::Waltz) << 120.0 << 0.5;
    QTest::newRow("accented waltz 165") << int(BeatSong::AccentedWaltz) << 165.0 << 0.5;
    // Piano chords on every half beat, changing on the beat: the changes
    // tell the beat from the half beat (80: not 160) and from the off-beat.
    QTest::newRow("piano 80") << int(BeatSong::Piano) << 80.0 << 0.5;
    QTest::newRow("piano 110") << int(BeatSong::Piano) << 110.0 << 0.5;
    // Silence before the first beat gets no marks.
    QTest::newRow("drums 120 after 5 s") << int(BeatSong::Drums) << 120.0 << 5.0;
}

void TestBeats::steadySongs()
{
    QFETCH(int, kind);
    QFETCH(double, bpm);
    QFETCH(double, firstBeat);
    const double seconds = 40;
    // At 44.1 kHz and at the lower rate the song decoder gives the tracker.
    for (const int rate : {int(vc::BeatTracker::SampleRate), int(vc::SongDecoder::BeatRate)}) {
        const vc::SongBeats beats =
            track(vc::test::beatSong(BeatSong(kind), bpm, seconds, firstBeat, rate), 4096, rate);
        QVERIFY2(qAbs(beats.bpm - bpm) < 0.5, qPrintable(QString::number(beats.bpm)));
        int missing = 0, extra = 0;
        const QVector<double> expected = vc::test::beatSongBeats(bpm, seconds, firstBeat);
        match(expected, beats.ms, &missing, &extra);
        QVERIFY2(missing <= 2 && extra <= 2, qPrintable(QStringLiteral("%1 of %2 missing, %3 extra")
                                                            .arg(missing)
                                                            .arg(expected.size())
                                                            .arg(extra)));
        QVERIFY(std::is_sorted(beats.ms.cbegin(), beats.ms.cend()));
    }
}

void TestBeats::silence_data()
{
    QTest::addColumn<QVector<float>>("song");
    QTest::newRow("empty") << QVector<float>();
    QTest::newRow("a few samples") << QVector<float>(100, 0.5f);
    QTest::newRow("10 s of silence") << QVector<float>(441000, 0.0f);
    QTest::newRow("one click in silence") << [] {
        QVector<float> s(441000, 0.0f);
        s[44100] = 0.9f;
        return s;
    }();
}

void TestBeats::silence()
{
    QFETCH(QVector<float>, song);
    const vc::SongBeats beats = track(song);
    QVERIFY(beats.isEmpty());
}

// A pad before the drums and the ring-out of a chord after them sound, but
// hold no beat: the marks start and stop with the drums.
void TestBeats::unheardEnds()
{
    constexpr int Rate = vc::BeatTracker::SampleRate;
    const auto tone = [](double seconds, double decay) {
        QVector<float> t(int(seconds * Rate));
        for (int i = 0; i < t.size(); ++i)
            t[i] = float(0.3 * std::exp(-decay * i / Rate) * std::sin(2 * M_PI * 220.0 * i / Rate));
        return t;
    };
    QVector<float> drums = vc::test::beatSong(BeatSong::Drums, 120, 30, 0.5);
    drums.resize(30 * Rate);
    const vc::SongBeats beats = track(tone(6, 0) + drums + tone(6, 0.7));
    QVector<double> expected;
    for (double t : vc::test::beatSongBeats(120, 30, 0.5))
        expected.append(6000 + t);
    QVERIFY(!beats.ms.isEmpty());
    QVERIFY2(beats.ms.first() > expected.first() - 100,
             qPrintable(QString::number(beats.ms.first())));
    QVERIFY2(beats.ms.last() < expected.last() + 100, qPrintable(QString::number(beats.ms.last())));
    int missing = 0, extra = 0;
    match(expected, beats.ms, &missing, &extra);
    QVERIFY2(missing <= 2 && extra <= 2,
             qPrintable(QStringLiteral("%1 missing, %2 extra").arg(missing).arg(extra)));
}

// A song whose tempo steps half way: the marks follow the step within a
// bar, and the grid shows the new tempo from there.
void TestBeats::changingTempo_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("then");
    QTest::newRow("drums 100 to 120") << int(BeatSong::Drums) << 100.0 << 120.0;
    QTest::newRow("drums 120 to 100") << int(BeatSong::Drums) << 120.0 << 100.0;
    QTest::newRow("drums 100 to 140") << int(BeatSong::Drums) << 100.0 << 140.0;
    QTest::newRow("clicks 100 to 120") << int(BeatSong::Clicks) << 100.0 << 120.0;
}

void TestBeats::changingTempo()
{
    QFETCH(int, kind);
    QFETCH(double, bpm);
    QFETCH(double, then);
    const double seconds = 60;
    const QVector<double> all = vc::test::beatSongBeats(bpm, seconds, 0.5, then, seconds / 2);
    const double step = *std::lower_bound(all.cbegin(), all.cend(), seconds / 2 * 1000);
    const double bar = 4 * 60000 / then;
    for (const int rate : {int(vc::BeatTracker::SampleRate), int(vc::SongDecoder::BeatRate)}) {
        const vc::SongBeats beats =
            track(vc::test::beatSong(BeatSong(kind), all, seconds, rate), 4096, rate);
        // Away from the song's ends, and but for the first bar after the step.
        const auto within = [&](double t) {
            return t >= 2000 && t <= (seconds - 2) * 1000 && (t < step || t >= step + bar);
        };
        QVector<double> expected;
        std::copy_if(all.cbegin(), all.cend(), std::back_inserter(expected), within);
        QVector<int> found;
        std::copy_if(beats.ms.cbegin(), beats.ms.cend(), std::back_inserter(found), within);
        int missing = 0, extra = 0;
        match(expected, found, &missing, &extra);
        QVERIFY2(missing <= 2 && extra <= 2, qPrintable(QStringLiteral("%1 of %2 missing, %3 extra")
                                                            .arg(missing)
                                                            .arg(expected.size())
                                                            .arg(extra)));
        const vc::BeatGrid grid = vc::BeatGrid::fromSong(beats);
        QVERIFY2(qAbs(grid.tempoAt(step - bar) - bpm) < 0.5 &&
                     qAbs(grid.tempoAt(step + bar) - then) < 0.5,
                 qPrintable(QStringLiteral("%1, %2")
                                .arg(grid.tempoAt(step - bar))
                                .arg(grid.tempoAt(step + bar))));
    }
}

// The tracker locked onto the double or half tempo of a steady song: the
// onsets tell which one a listener taps. Onset peaks on a beat grid, every
// `weakEvery`-th one (counting from the first) weaker.
void TestBeats::octave_data()
{
    QTest::addColumn<double>("onsetBpm");   // how often there are onsets
    QTest::addColumn<int>("weakEvery");     // 0: all as strong
    QTest::addColumn<double>("weak");       // their strength
    QTest::addColumn<double>("trackerBpm"); // what the tracker says
    QTest::addColumn<double>("bpm");        // what a listener taps
    QTest::newRow("half speed: every other onset weak") << 160.0 << 2 << 0.1 << 160.0 << 80.0;
    QTest::newRow("double speed: every onset as strong") << 150.0 << 0 << 0.1 << 75.0 << 150.0;
    QTest::newRow("even onsets at the tracker's tempo") << 160.0 << 0 << 0.1 << 160.0 << 160.0;
    // Where the onsets nearly decide, the tempo between 60 and 140 BPM.
    QTest::newRow("160: every other onset at 45 %") << 160.0 << 2 << 0.45 << 160.0 << 80.0;
    QTest::newRow("120: every other onset at 45 %") << 120.0 << 2 << 0.45 << 120.0 << 120.0;
    QTest::newRow("75: off-beats at 65 %") << 150.0 << 2 << 0.65 << 75.0 << 75.0;
    QTest::newRow("tracker at half: even onsets") << 100.0 << 0 << 0.1 << 50.0 << 100.0;
}

void TestBeats::octave()
{
    QFETCH(double, onsetBpm);
    QFETCH(int, weakEvery);
    QFETCH(double, weak);
    QFETCH(double, trackerBpm);
    QFETCH(double, bpm);
    const double hop = 512.0 / 44100;
    const double seconds = 60;
    QVector<float> onset(int(seconds / hop), 0.0f);
    QVector<float> level(onset.size(), 0.1f);
    const double period = 60.0 / onsetBpm;
    int k = 0;
    for (double t = 1.0; t < seconds - 1; t += period, ++k)
        onset[int(std::lround(t / hop))] = weakEvery && k % weakEvery == 1 ? float(weak) : 1.0f;
    QVector<double> tracker, trackerBpms;
    for (double t = 1.0; t < seconds - 1; t += 60.0 / trackerBpm) {
        tracker.append(t);
        trackerBpms.append(trackerBpm);
    }
    const vc::SongBeats beats = vc::beats::fromTracker(tracker, trackerBpms, onset, level, hop);
    QVERIFY2(qAbs(beats.bpm - bpm) < 0.5, qPrintable(QString::number(beats.bpm)));
    // The beats fall on the strong onsets: the first one, and a beat later.
    const int first = vc::beats::nearestBeat(beats.ms, 1000, 30, 30);
    QVERIFY(first >= 0);
    QVERIFY2(qAbs(beats.ms.value(first + 1) - 1000 - 60000 / bpm) <= 30,
             qPrintable(QString::number(beats.ms.value(first + 1))));
}

void TestBeats::foldTempo_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("folded");
    QTest::newRow("in range") << 97.0 << 97.0;
    QTest::newRow("lower end") << 70.0 << 70.0;
    QTest::newRow("upper end") << 180.0 << 180.0;
    QTest::newRow("half") << 60.0 << 120.0;
    QTest::newRow("quarter") << 30.0 << 120.0;
    QTest::newRow("double") << 194.0 << 97.0;
    QTest::newRow("four times") << 388.0 << 97.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("negative") << -5.0 << 0.0;
    QTest::newRow("not a number") << qQNaN() << 0.0;
}

void TestBeats::foldTempo()
{
    QFETCH(double, bpm);
    QFETCH(double, folded);
    QCOMPARE(vc::beats::foldTempo(bpm), folded);
}

void TestBeats::periodRemainder_data()
{
    QTest::addColumn<double>("period");
    QTest::newRow("whole hops") << 512.0 / 44100 * 43;
    QTest::newRow("near a tenth") << std::nextafter(0.1, 1.0);
    QTest::newRow("fine step") << 0.5 + 0.023 / 4 / 600;
    QTest::newRow("long") << 1.7;
}

// The beats must not move by a bit: every time against std::fmod, among
// them multiples of the period where the quotient rounds to a whole number.
void TestBeats::periodRemainder()
{
    QFETCH(double, period);
    for (int j = 0; j < 40000; ++j) {
        for (double t : {j * (512.0 / 44100), j * period, std::nextafter(j * period, 0.0)}) {
            const double got = vc::beats::periodRemainder(t, period), want = std::fmod(t, period);
            if (std::memcmp(&got, &want, sizeof got) != 0)
                QFAIL(
                    qPrintable(QString("t %1: %2, not %3").arg(t, 0, 'g', 17).arg(got).arg(want)));
        }
    }
}

void TestBeats::nearestBeat_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<qint64>("before");
    QTest::addColumn<qint64>("after");
    QTest::addColumn<int>("index");
    // Beats at 1000, 1500, 2000, 2500.
    QTest::newRow("on a beat") << qint64(1500) << qint64(50) << qint64(50) << 1;
    QTest::newRow("nearest of two") << qint64(1760) << qint64(300) << qint64(300) << 2;
    QTest::newRow("just inside before") << qint64(1550) << qint64(50) << qint64(0) << 1;
    QTest::newRow("just outside before") << qint64(1551) << qint64(50) << qint64(0) << -1;
    QTest::newRow("after only") << qint64(1450) << qint64(0) << qint64(50) << 1;
    QTest::newRow("before the first") << qint64(0) << qint64(100) << qint64(100) << -1;
    QTest::newRow("after the last") << qint64(9000) << qint64(100) << qint64(100) << -1;
}

void TestBeats::nearestBeat()
{
    QFETCH(qint64, ms);
    QFETCH(qint64, before);
    QFETCH(qint64, after);
    QFETCH(int, index);
    QCOMPARE(vc::beats::nearestBeat({1000, 1500, 2000, 2500}, ms, before, after), index);
}

// Bars heard by their bass: the meter, and the first bar on an accent.
void TestBeats::bars_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<int>("meter");
    QTest::addColumn<int>("accentFrom");
    QTest::newRow("waltz 120") << 120.0 << 3 << 0;
    QTest::newRow("waltz 90, lead-in of one") << 90.0 << 3 << 1;
    QTest::newRow("four 100, lead-in of two") << 100.0 << 4 << 2;
    QTest::newRow("four 128") << 128.0 << 4 << 0;
}

void TestBeats::bars()
{
    QFETCH(double, bpm);
    QFETCH(int, meter);
    QFETCH(int, accentFrom);
    const double seconds = 30;
    const vc::SongBeats beats = track(vc::test::barSong(bpm, meter, accentFrom, seconds));
    QCOMPARE(beats.meter, meter);
    QVERIFY(qAbs(beats.bpm - bpm) < 0.5);
    // Every beat that starts a bar is an accented one.
    const QVector<double> expected = vc::test::beatSongBeats(bpm, seconds);
    const vc::BeatGrid grid = vc::BeatGrid::fromSong(beats);
    const QVector<double> times = grid.times();
    for (int i = 0; i < times.size(); ++i) {
        if (grid.barOf(i) == 0)
            continue;
        const int b = qRound((times[i] - expected[0]) * bpm / 60000);
        QVERIFY2(b >= accentFrom && (b - accentFrom) % meter == 0, qPrintable(QString::number(b)));
    }
}

// Corrections of a grid of 16 beats at 120 BPM from 1 s in bars of four
// starting on its second beat; each survives storing.
void TestBeats::corrections_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<double>("first");  // first beat, ms
    QTest::addColumn<double>("period"); // of the stretch holding beat 3 s
    QTest::addColumn<int>("count");     // beats
    QTest::addColumn<int>("meter");
    QTest::addColumn<double>("firstBar"); // the first bar's beat, ms
    QTest::newRow("as found") << "" << 1000.0 << 500.0 << 16 << 4 << 1500.0;
    QTest::newRow("halve") << "halve" << 1500.0 << 1000.0 << 8 << 4 << 1500.0;
    QTest::newRow("double") << "double" << 1000.0 << 250.0 << 31 << 4 << 1500.0;
    QTest::newRow("halve, double") << "halve double" << 1500.0 << 500.0 << 15 << 4 << 1500.0;
    QTest::newRow("shift all") << "shift" << 1020.0 << 500.0 << 16 << 4 << 1520.0;
    // The beats from 3 s on move 400 ms earlier: the one at 2.5 s is too
    // close to stay.
    QTest::newRow("shift after 3 s") << "shift3000" << 1000.0 << 500.0 << 15 << 4 << 1500.0;
    QTest::newRow("bar starts at 2.4 s") << "down2400" << 1000.0 << 500.0 << 16 << 4 << 2500.0;
    QTest::newRow("bars of three") << "meter3" << 1000.0 << 500.0 << 16 << 3 << 1500.0;
    QTest::newRow("tapped 100 BPM") << "tap" << 205.0 << 600.0 << 14 << 4 << 1405.0;
    QTest::newRow("three taps: nothing") << "tap3" << 0.0 << 0.0 << 0 << 4 << 0.0;
}

void TestBeats::corrections()
{
    QFETCH(QString, op);
    QFETCH(double, first);
    QFETCH(double, period);
    QFETCH(int, count);
    QFETCH(int, meter);
    QFETCH(double, firstBar);
    QVector<double> found;
    for (int i = 0; i < 16; ++i)
        found.append(1000 + 500 * i);
    vc::BeatGrid g = vc::BeatGrid::fromTimes(found, 4, 1);
    for (const QString &step : op.split(' ', Qt::SkipEmptyParts)) {
        if (step == "halve")
            g = g.halved();
        else if (step == "double")
            g = g.doubled();
        else if (step == "shift")
            g = g.shifted(20);
        else if (step == "shift3000")
            g = g.shifted(-400, 3000);
        else if (step == "down2400")
            g = g.withDownbeatAt(2400);
        else if (step == "meter3")
            g = g.withMeter(3);
        else if (step == "tap")
            g = vc::BeatGrid::tapped({1405, 2012, 2598, 3207, 3805}, 0, 8500, 4);
        else if (step == "tap3")
            g = vc::BeatGrid::tapped({1400, 2000, 2600}, 0, 8500, 4);
    }
    QCOMPARE(g.beatCount(), count);
    vc::BeatGrid stored;
    QCOMPARE(vc::BeatGrid::fromJson(g.toJson(), &stored), count > 0);
    if (count == 0)
        return;
    QCOMPARE(stored, g);
    const QVector<double> t = g.times();
    QVERIFY(qAbs(t.first() - first) < 1);
    QVERIFY(qAbs(60000 / g.tempoAt(3000) - period) < 1);
    QCOMPARE(g.meter(), meter);
    QVERIFY2(qAbs(t[g.downbeat()] - firstBar) < 1, qPrintable(QString::number(t[g.downbeat()])));
    QVERIFY(std::is_sorted(t.cbegin(), t.cend()));
}

// A song at 100 BPM for 10 beats, then 140 BPM.
void TestBeats::tempoAt_data()
{
    QTest::addColumn<double>("ms");
    QTest::addColumn<double>("bpm");
    QTest::newRow("before the first beat") << 0.0 << 100.0;
    QTest::newRow("in the first stretch") << 3000.0 << 100.0;
    QTest::newRow("the last beat before the change") << 6000.0 << 100.0;
    QTest::newRow("at the change") << 6400.0 << 140.0;
    QTest::newRow("after the last beat") << 60000.0 << 140.0;
}

void TestBeats::tempoAt()
{
    QFETCH(double, ms);
    QFETCH(double, bpm);
    QVector<int> ms100;
    for (int i = 0; i < 10; ++i)
        ms100.append(qRound(500 + i * 600.0));
    for (int i = 0; i < 20; ++i)
        ms100.append(qRound(6400 + i * 60000.0 / 140));
    const vc::BeatGrid g = vc::BeatGrid::fromSong({100, ms100});
    QCOMPARE(g.stretches().size(), 2);
    QVERIFY2(qAbs(g.tempoAt(ms) - bpm) < 0.2, qPrintable(QString::number(g.tempoAt(ms))));
}

void TestBeats::badGrid_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("meter 5") << QByteArray(R"({"meter":5,"downbeat":0,"stretches":[[0,500,4]]})");
    QTest::newRow("bar past the meter")
        << QByteArray(R"({"meter":3,"downbeat":3,"stretches":[[0,500,4]]})");
    QTest::newRow("no beats") << QByteArray(R"({"meter":4,"downbeat":0,"stretches":[]})");
    QTest::newRow("overlap") << QByteArray(
        R"({"meter":4,"downbeat":0,"stretches":[[0,500,4],[1000,500,2]]})");
    QTest::newRow("period 0") << QByteArray(R"({"meter":4,"downbeat":0,"stretches":[[0,0,4]]})");
    QTest::newRow("too many") << QByteArray(
        R"({"meter":4,"downbeat":0,"stretches":[[0,500,2000000]]})");
}

void TestBeats::badGrid()
{
    QFETCH(QByteArray, json);
    vc::BeatGrid g = vc::BeatGrid::fromTimes({100, 600, 1100});
    const vc::BeatGrid before = g;
    QString error;
    QVERIFY(!vc::BeatGrid::fromJson(QJsonDocument::fromJson(json).object(), &g, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(g, before);
}

VC_TEST_MAIN(TestBeats)
#include "tst_beats.moc"
