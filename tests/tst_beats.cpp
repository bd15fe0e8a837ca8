#include "core/audio/beattracker.h"
#include "core/audio/songdecoder.h"

#include "testsupport/audiofiles.h"
#include "testsupport/testenv.h"

#include <QtTest>

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
    void changingTempo();
    void octave_data();
    void octave();
    void foldTempo_data();
    void foldTempo();
    void nearestBeat_data();
    void nearestBeat();
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

// A song that speeds up half way: both halves keep their beats away from
// the change, which the tracker takes a few seconds to follow.
void TestBeats::changingTempo()
{
    QVector<float> song = vc::test::beatSong(BeatSong::Drums, 100, 30, 0.5);
    song.resize(30 * 44100);
    song += vc::test::beatSong(BeatSong::Drums, 140, 30, 0.0);
    const vc::SongBeats beats = track(song);
    QVector<double> expected;
    for (double t : vc::test::beatSongBeats(100, 30, 0.5)) {
        if (t >= 5000 && t <= 28000)
            expected.append(t);
    }
    for (double t : vc::test::beatSongBeats(140, 30, 0.0)) {
        if (t >= 10000 && t <= 26000)
            expected.append(30000 + t);
    }
    QVector<int> found;
    for (int t : beats.ms) {
        if ((t >= 5000 && t <= 28000) || (t >= 40000 && t <= 56000))
            found.append(t);
    }
    int missing = 0, extra = 0;
    match(expected, found, &missing, &extra);
    QVERIFY2(missing <= 2 && extra <= 2, qPrintable(QStringLiteral("%1 of %2 missing, %3 extra")
                                                        .arg(missing)
                                                        .arg(expected.size())
                                                        .arg(extra)));
}

// The tracker locked onto the double or half tempo of a steady song: the
// onsets tell which one a listener taps. Onset peaks on a beat grid, every
// `weakEvery`-th one (counting from the first) at a tenth of the strength.
void TestBeats::octave_data()
{
    QTest::addColumn<double>("onsetBpm");   // how often there are onsets
    QTest::addColumn<int>("weakEvery");     // 0: all as strong
    QTest::addColumn<double>("trackerBpm"); // what the tracker says
    QTest::addColumn<double>("bpm");        // what a listener taps
    QTest::newRow("half speed: every other onset weak") << 160.0 << 2 << 160.0 << 80.0;
    QTest::newRow("double speed: every onset as strong") << 150.0 << 0 << 75.0 << 150.0;
    QTest::newRow("even onsets at the tracker's tempo") << 160.0 << 0 << 160.0 << 160.0;
    QTest::newRow("tracker at half: even onsets") << 100.0 << 0 << 50.0 << 100.0;
}

void TestBeats::octave()
{
    QFETCH(double, onsetBpm);
    QFETCH(int, weakEvery);
    QFETCH(double, trackerBpm);
    QFETCH(double, bpm);
    const double hop = 512.0 / 44100;
    const double seconds = 60;
    QVector<float> onset(int(seconds / hop), 0.0f);
    QVector<float> level(onset.size(), 0.1f);
    const double period = 60.0 / onsetBpm;
    int k = 0;
    for (double t = 1.0; t < seconds - 1; t += period, ++k)
        onset[int(std::lround(t / hop))] = weakEvery && k % weakEvery == 1 ? 0.1f : 1.0f;
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

VC_TEST_MAIN(TestBeats)
#include "tst_beats.moc"
