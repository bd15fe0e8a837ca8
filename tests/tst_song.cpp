#include "core/audio/songdecoder.h"
#include "core/model/show.h"
#include "core/timeline/timescale.h"
#include "gui/app/mainwindow.h"
#include "gui/audio/beatcorrections.h"
#include "gui/audio/beatmarks.h"
#include "gui/audio/chartview.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"
#include "gui/audio/timelineheaders.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/audiofiles.h"
#include "testsupport/records.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QAudioDecoder>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMediaPlayer>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

// Song loading with the real decoder on generated files.
class TestSong : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void decodes_data();
    void decodes();
    void sampleValues();
    void undecodable_data();
    void undecodable();
    void cancel();
    void beatMarks();
    void corrections_data();
    void corrections();
    void layOutOnBeats();
    void secondLoadWhileDecoding();
    void secondSongReplacesChart();
    void relativePath();
    void zoomResizesWaveform();
    void chooseSongDialog();

private:
    QString wav(const QString &name, double seconds, int rate = 44100, int channels = 2,
                const std::function<qint16(qint64, int)> &sample = {});
    // Waits (in short slices) until the song ends decoding.
    static bool waitDecoded(QSignalSpy &spy, int count = 1, int timeoutMs = 60000);

    QTemporaryDir m_dir;
};

void TestSong::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The window's player takes every song loaded; with no sound server here
    // the default sink warns that it cannot connect. Play into a sink that
    // keeps time instead.
    qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", "fakesink");
}

void TestSong::init()
{
    vc::test::clearSettings();
}

QString TestSong::wav(const QString &name, double seconds, int rate, int channels,
                      const std::function<qint16(qint64, int)> &sample)
{
    const QString path = m_dir.filePath(name);
    if (!QFile::exists(path))
        vc::test::writeWav(path, seconds, rate, channels, sample);
    return path;
}

bool TestSong::waitDecoded(QSignalSpy &spy, int count, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (spy.count() < count && t.elapsed() < timeoutMs)
        spy.wait(100);
    return spy.count() >= count;
}

// The waveform the toolkit's own decoder gives for a file: 16-bit mono at
// 480 Hz, each buffer placed by its time stamp, as songs were read before
// they were decoded with GStreamer directly. Empty when it fails.
static QVector<QPointF> toolkitWaveform(const QString &path)
{
    QAudioFormat f;
    f.setChannelCount(1);
    f.setCodec(QStringLiteral("audio/pcm"));
    f.setSampleType(QAudioFormat::SignedInt);
    f.setSampleRate(480);
    f.setSampleSize(16);
    QAudioDecoder decoder;
    decoder.setAudioFormat(f);
    decoder.setSourceFilename(path);
    QVector<QPointF> points{QPointF(0, 1 / 32767.0)};
    qint64 next = 0;
    QObject::connect(&decoder, &QAudioDecoder::bufferReady, [&] {
        const QAudioBuffer b = decoder.read();
        const qint64 first = b.startTime() >= 0 ? (b.startTime() * 48 + 50000) / 100000 : next;
        for (int i = 0; i < b.frameCount(); ++i)
            points.append(
                QPointF(double(first + i), vc::timescale::waveformY(b.constData<qint16>()[i])));
        next = first + b.frameCount();
    });
    QSignalSpy finished(&decoder, &QAudioDecoder::finished);
    decoder.start();
    return finished.wait(60000) ? points : QVector<QPointF>();
}

void TestSong::decodes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("points"); // -1: only about right (compressed)
    QTest::addColumn<QString>("timelineMax");
    QTest::addColumn<int>("sliderMax");
    QTest::addColumn<int>("waveWidth");
    QTest::newRow("60 s stereo wav")
        << "wav" << 60.0 << 44100 << 2 << 28801 << "05:00.000" << 300000 << 6000;
    QTest::newRow("60 s mono 48 kHz")
        << "wav" << 60.0 << 48000 << 1 << 28801 << "05:00.000" << 300000 << 6000;
    QTest::newRow("3 min wav") << "wav" << 180.0 << 8000 << 1 << 86401 << "05:00.000" << 300000
                               << 18000;
    QTest::newRow("7 min wav") << "wav" << 420.0 << 8000 << 1 << 201601 << "07:00.000" << 420000
                               << 42000;
    QTest::newRow("60 s mp3") << "mp3" << 60.0 << 44100 << 2 << -1 << "05:00.000" << 300000 << 6000;
}

void TestSong::decodes()
{
    QFETCH(QString, kind);
    QFETCH(double, seconds);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(int, points);
    QFETCH(QString, timelineMax);
    QFETCH(int, sliderMax);
    QFETCH(int, waveWidth);

    QString path = wav(QStringLiteral("%1s_%2_%3.wav").arg(seconds).arg(rate).arg(channels),
                       seconds, rate, channels);
    if (kind == QLatin1String("mp3")) {
        const QString mp3 = m_dir.filePath(QStringLiteral("song.mp3"));
        if (!QFile::exists(mp3)) {
            const QString why = vc::test::encodeMp3(path, mp3);
            if (!why.isEmpty())
                QSKIP(qPrintable(why));
        }
        path = mp3;
    }

    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    w.resize(1300, 885);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(path);
    QVERIFY(w.song()->progressDialog());
    QVERIFY(w.song()->progressDialog()->isVisible());
    QCOMPARE(w.song()->progressDialog()->labelText(), QStringLiteral("讀取音樂中..."));
    QVERIFY(!w.song()->songPresent());

    QVERIFY(waitDecoded(decoded));
    // The song's name shows once it has decoded.
    QCOMPARE(w.form()->Song_dir->text(), QFileInfo(path).fileName());
    QVERIFY(decoded.first().first().toLongLong() > 0);
    QVERIFY(prompter.messageTexts().isEmpty());
    QVERIFY(w.song()->songPresent());
    const int n = w.song()->points().size();
    if (points > 0) {
        QCOMPARE(n, points);
        QCOMPARE(w.chartView()->width(), waveWidth);
    } else {
        // A compressed song gains the encoder's padding: a few dozen ms.
        const int expected = static_cast<int>(seconds * 480) + 1;
        QVERIFY2(qAbs(n - expected) < 480, qPrintable(QString::number(n)));
        QVERIFY(qAbs(w.chartView()->width() - waveWidth) < 100);
    }
    QCOMPARE(w.song()->points().first(), QPointF(0, 1 / 32767.0));
    // The same points as the toolkit's decoder gives: exactly for a WAV
    // file, within the MP3 decoder's rounding (and padding) for an MP3.
    const QVector<QPointF> toolkit = toolkitWaveform(path);
    QVERIFY(!toolkit.isEmpty());
    if (points > 0) {
        QCOMPARE(w.song()->points(), toolkit);
    } else {
        QVERIFY2(qAbs(toolkit.size() - n) < 48, qPrintable(QString::number(toolkit.size())));
        for (int i = 0; i < qMin(n, toolkit.size()); i += 97)
            QVERIFY2(qAbs(w.song()->points().at(i).y() - toolkit.at(i).y()) < 0.02,
                     qPrintable(QString::number(i)));
    }
    // Points carry their sample index.
    QCOMPARE(w.song()->points().at(1).x(), 0.0);
    QCOMPARE(w.song()->points().last().x(), double(n - 2));
    QVERIFY(w.chartView()->isVisible());
    QCOMPARE(w.chartView()->points().size(), n);
    QCOMPARE(w.chartView()->height(), w.form()->audio_frame->height());
    QCOMPARE(w.form()->audio_layout->indexOf(w.chartView()), 0);
    QCOMPARE(w.chartView()->chart()->series().size(), 1);
    QCOMPARE(w.chartView()->chart()->series().first(), w.song()->series());
    // The line is drawn in the series' colour.
    const QImage strip = w.chartView()->grab(QRect(0, 0, 300, w.chartView()->height())).toImage();
    int blue = 0;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            blue += strip.pixelColor(x, y).blue() > 150 && strip.pixelColor(x, y).red() < 150;
    QVERIFY2(blue > 300, qPrintable(QString::number(blue)));
    QVERIFY(!w.song()->progressDialog() || !w.song()->progressDialog()->isVisible());
    QCOMPARE(w.form()->timeline_max->time().toString("mm:ss.zzz"), timelineMax);
    QCOMPARE(w.form()->Song_Slider->maximum(), sliderMax);
    QCOMPARE(w.form()->timeline_headers->width(),
             QTime(0, 0).msecsTo(w.form()->timeline_max->time()) / 10);
    QVERIFY(w.form()->Song_play->isEnabled());
}

void TestSong::sampleValues()
{
    // A constant level survives resampling: every inner point has the
    // signed square root of the level.
    const QString path =
        wav(QStringLiteral("dc.wav"), 3, 48000, 1, [](qint64, int) { return qint16(-16384); });
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(path);
    QVERIFY(waitDecoded(decoded));
    const QVector<QPointF> &p = w.song()->points();
    QVERIFY(p.size() > 1000);
    QVERIFY2(qAbs(p.at(p.size() / 2).y() + 0.7071) < 1e-3,
             qPrintable(QString::number(p.at(p.size() / 2).y())));
    QVERIFY(w.song()->peak() >= 0.7071 - 1e-3);
    auto *axis = w.chartView()->chart()->axes(Qt::Vertical).value(0);
    QVERIFY(axis);
    QVERIFY(!axis->isVisible());
    QVERIFY(w.chartView()->chart()->axes(Qt::Horizontal).isEmpty());
    QVERIFY(!w.chartView()->chart()->legend()->isVisible());
}

void TestSong::undecodable_data()
{
    QTest::addColumn<QString>("content"); // empty: no file at all
    QTest::addColumn<bool>("songBefore");
    QTest::newRow("garbage") << "this is not a song at all, just some text" << false;
    QTest::newRow("missing file") << "" << false;
    QTest::newRow("garbage after a song") << "this is not a song at all, just some text" << true;
}

void TestSong::undecodable()
{
    QFETCH(QString, content);
    QFETCH(bool, songBefore);
    const QString path = m_dir.filePath(QStringLiteral("bad_%1.mp3").arg(QTest::currentDataTag()));
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content.toUtf8().repeated(100));
    }
    const QString good = wav(QStringLiteral("good.wav"), 10, 8000, 1);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    if (songBefore) {
        w.ReadSong(good);
        QVERIFY(waitDecoded(decoded));
        decoded.clear();
    }
    // Chosen with the song button, with the play position at 7 s.
    w.form()->timeline_headers->indicator()->placeAt(7000, true);
    // The player seeks in the background; the song button must find it
    // there, not still on its way from the start.
    if (songBefore)
        QTRY_COMPARE(w.playback()->player()->position(), qint64(7000));
    prompter.fileNames.enqueue(path);
    w.form()->SongRead_Button->click();
    QVERIFY(waitDecoded(decoded, 1, 20000));
    QCOMPARE(decoded.first().first().toLongLong(), 0);
    // No song, no reason to start again from 0.
    QCOMPARE(w.form()->timeline_headers->indicator()->msecs(), 7000);
    QString message = QStringLiteral("「%1」不是本程式能讀取的音樂檔（MP3 或 WAV）。")
                          .arg(QFileInfo(path).fileName());
    if (songBefore)
        message += QStringLiteral("\n原本的音樂「good.wav」保持不變。");
    QCOMPARE(prompter.messageTexts(), QStringList{message});
    QCOMPARE(prompter.calls.last().title, QStringLiteral("錯誤"));
    QVERIFY(!w.song()->progressDialog() || !w.song()->progressDialog()->isVisible());
    // The song there was stays: its waveform, its name, the show's song and
    // the player's media; the file that is no song is never played.
    QCOMPARE(w.song()->songPresent(), songBefore);
    QCOMPARE(w.document()->songPath(), songBefore ? good : QString());
    QCOMPARE(w.form()->Song_dir->text(),
             songBefore ? QStringLiteral("good.wav") : QStringLiteral("..."));
    QCOMPARE(w.playback()->player()->media().request().url(),
             songBefore ? QUrl::fromLocalFile(good) : QUrl());
    QCOMPARE(w.song()->points().size(), songBefore ? 10 * 480 + 1 : 0);
    if (!songBefore)
        QCOMPARE(w.form()->Song_Slider->maximum(), 300000);
}

void TestSong::cancel()
{
    const QString path = wav(QStringLiteral("long.wav"), 420, 8000, 1);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(path);
    QPointer<QProgressDialog> dialog = w.song()->progressDialog();
    QVERIFY(dialog);
    QVERIFY(w.song()->isDecoding());
    QPushButton *cancelButton = dialog->findChild<QPushButton *>();
    QVERIFY(cancelButton);
    QCOMPARE(cancelButton->text(), QStringLiteral("取消"));
    cancelButton->click();
    QVERIFY(w.song()->points().isEmpty());
    QTest::qWait(1500);
    QCOMPARE(decoded.count(), 0);
    QVERIFY(w.song()->points().isEmpty());
    QVERIFY(!w.song()->songPresent());
    QVERIFY(prompter.messageTexts().isEmpty());
    QVERIFY(!w.chartView()->isVisible());
    QCOMPARE(w.form()->Song_Slider->maximum(), 300000);
    QVERIFY(w.form()->timeline_headers->beats().isEmpty());
}

// A song's beats are found after it loads and marked along the ruler and
// across the waveform, with the tempo beside the song's time; a file that
// is no song leaves them; the next song's waveform takes them away, and a
// song without beats has none.
void TestSong::beatMarks()
{
    const QString clicks =
        wav(QStringLiteral("clicks120.wav"), 20, 44100, 1,
            vc::test::playing(vc::test::beatSong(vc::test::BeatSong::Clicks, 120, 20)));
    const QString quiet =
        wav(QStringLiteral("quiet.wav"), 5, 44100, 1, [](qint64, int) { return qint16(0); });
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    auto *tempo = w.findChild<QLabel *>(QStringLiteral("song_tempo"));
    QVERIFY(tempo);
    QVERIFY(tempo->text().isEmpty());
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    QSignalSpy shown(w.beatMarks(), &vc::BeatMarks::beatsShown);
    // The waveform comes first; the beats follow it.
    int waveformsBeforeBeats = -1;
    connect(w.song(), &vc::SongLoader::beatsFound, this,
            [&] { waveformsBeforeBeats = decoded.count(); });
    w.ReadSong(clicks);
    QVERIFY(waitDecoded(decoded));
    QElapsedTimer t;
    t.start();
    while (w.beatMarks()->beats().isEmpty() && t.elapsed() < 30000)
        shown.wait(100);
    const QVector<int> beats = w.beatMarks()->beats().ms;
    QCOMPARE(beats.size(), vc::test::beatSongBeats(120, 20).size());
    QVERIFY(qAbs(beats.first() - 500) <= 30);
    QCOMPARE(w.form()->timeline_headers->beats(), beats);
    QCOMPARE(w.chartView()->beats(), beats);
    QCOMPARE(tempo->text(), QStringLiteral("120 BPM"));
    QCOMPARE(waveformsBeforeBeats, 1);

    // A file that is no song leaves the song there was, marks and all.
    const QString text = m_dir.filePath(QStringLiteral("notes.mp3"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a song\n");
    }
    w.ReadSong(text);
    QVERIFY(waitDecoded(decoded, 2));
    QTest::qWait(200);
    QCOMPARE(w.form()->timeline_headers->beats(), beats);
    QCOMPARE(tempo->text(), QStringLiteral("120 BPM"));

    w.ReadSong(quiet);
    QVERIFY(waitDecoded(decoded, 3));
    QVERIFY(w.form()->timeline_headers->beats().isEmpty());
    QVERIFY(w.chartView()->beats().isEmpty());
    QVERIFY(tempo->text().isEmpty());
}

// Corrections of the found beats (120 BPM from 0.5 s, then 150 BPM from
// 10.5 s) from the Beats menu, the tap key and a dragged beat mark: each is
// one step, undone and redone, and the ruler shows the grid with its bars
// and the tempo at the play position.
void TestSong::corrections_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("count");     // beats on the ruler after it
    QTest::addColumn<int>("second");    // the second beat, ms
    QTest::addColumn<int>("bar2");      // the beat of bar 2, ms
    QTest::addColumn<QString>("tempo"); // at 2 s
    QTest::newRow("halve") << "速度減半" << 35 << 1500 << 4500 << "60 BPM";
    QTest::newRow("double") << "速度加倍" << 137 << 750 << 1500 << "240 BPM";
    QTest::newRow("bar starts at 1.6 s") << "小節從播放位置開始" << 69 << 1000 << 3500 << "120 BPM";
    QTest::newRow("bars of three") << "3" << 69 << 1000 << 2000 << "120 BPM";
    // Over the found beats' span, the bar starting at the first tap.
    QTest::newRow("tapped 100 BPM") << "tap" << 48 << 1600 << 4000 << "100 BPM";
    QTest::newRow("drag the whole grid") << "drag" << 69 << 1100 << 2600 << "120 BPM";
    QTest::newRow("drag from beat 3 on") << "drag later" << 69 << 1000 << 2600 << "120 BPM";
}

void TestSong::corrections()
{
    QFETCH(QString, op);
    QFETCH(int, count);
    QFETCH(int, second);
    QFETCH(int, bar2);
    QFETCH(QString, tempo);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    TimelineHeaders *ruler = w.form()->timeline_headers;
    auto *label = w.findChild<QLabel *>(QStringLiteral("song_tempo"));
    vc::SongBeats found{120, {}};
    for (int ms = 500; ms < 10500; ms += 500)
        found.ms.append(ms);
    for (int ms = 10500; ms < 30000; ms += 400)
        found.ms.append(ms);
    w.beatCorrections()->setFound(found);
    const QVector<int> foundMarks = ruler->beats();
    QCOMPARE(foundMarks, found.ms);
    ruler->indicator()->placeAt(12000);
    QCOMPARE(label->text(), QStringLiteral("150 BPM"));
    ruler->indicator()->placeAt(1600);
    QCOMPARE(label->text(), QStringLiteral("120 BPM"));

    auto *menu = w.findChild<QMenu *>(QStringLiteral("menuBeats"));
    QVERIFY(menu);
    emit menu->aboutToShow();
    const int x3 = qRound(1500 / ruler->msPerPixel());
    if (op == "tap") {
        for (int ms : {1600, 2200, 2800, 3400, 4000}) {
            ruler->indicator()->placeAt(ms);
            w.beatCorrections()->tapAction()->trigger();
        }
        w.beatCorrections()->finishTapping();
    } else if (op.startsWith("drag")) {
        const Qt::KeyboardModifiers keys =
            op == "drag later" ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier;
        QTest::mousePress(ruler, Qt::LeftButton, keys, {x3, 25});
        QMouseEvent move(QEvent::MouseMove, QPoint(x3 + qRound(100 / ruler->msPerPixel()), 25),
                         Qt::LeftButton, Qt::LeftButton, keys);
        QApplication::sendEvent(ruler, &move);
        QTest::mouseRelease(ruler, Qt::LeftButton, keys,
                            {x3 + qRound(100 / ruler->msPerPixel()), 25});
    } else {
        QList<QAction *> actions = menu->actions();
        for (QMenu *sub : menu->findChildren<QMenu *>())
            actions += sub->actions();
        auto it = std::find_if(actions.cbegin(), actions.cend(),
                               [&op](QAction *a) { return a->text() == op; });
        QVERIFY(it != actions.cend());
        (*it)->trigger();
    }
    w.project()->flush();
    ruler->indicator()->placeAt(2000);
    const QVector<int> corrected = ruler->beats();
    QVERIFY(!w.project()->beatGrid().isEmpty());
    QCOMPARE(corrected.size(), count);
    QVERIFY2(qAbs(corrected.value(1) - second) <= 1, qPrintable(QString::number(corrected[1])));
    const int i2 = ruler->bars().indexOf(2);
    QVERIFY2(i2 >= 0 && qAbs(corrected[i2] - bar2) <= 1, qPrintable(QString::number(i2)));
    QCOMPARE(label->text(), tempo);

    w.form()->actionUndo->trigger();
    QCOMPARE(ruler->beats(), foundMarks);
    QVERIFY(w.project()->beatGrid().isEmpty());
    w.form()->actionRedo->trigger();
    QCOMPARE(ruler->beats(), corrected);

    // Reset is a step of its own, back to the beats found.
    emit menu->aboutToShow();
    menu->actions().last()->trigger();
    w.project()->flush();
    QCOMPARE(ruler->beats(), foundMarks);
    w.form()->actionUndo->trigger();
    QCOMPARE(ruler->beats(), corrected);
}

// The selected mode split at every two beats, then the pieces fitted to one
// beat each from the first on: one step each, on the grid.
void TestSong::layOutOnBeats()
{
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    vc::SongBeats found{120, {}};
    for (int ms = 500; ms < 20000; ms += 500)
        found.ms.append(ms);
    w.beatCorrections()->setFound(found);
    vc::Show *show = w.project()->show();
    const vc::Show::Id track = show->currentTrack();
    show->insertMode(track, vc::test::colourMode(480, 2520, Qt::red).encode());
    w.project()->flush();
    auto layout = [&] {
        QStringList spans;
        for (const vc::ModeRecord &r : show->records(track))
            spans << QStringLiteral("%1-%2").arg(r.start).arg(r.end);
        return spans.join(' ');
    };
    auto select = [&](int index) {
        w.tracks()->selectItem(
            w.tracks()->currentTrack()->itemOf(show->track(track)->modes.at(index).id));
    };
    auto run = [&](const QString &menuText, int choice) {
        auto *menu = w.findChild<QMenu *>(QStringLiteral("menuBeats"));
        emit menu->aboutToShow();
        for (QMenu *sub : menu->findChildren<QMenu *>()) {
            if (sub->title() == menuText)
                sub->actions().value(choice)->trigger();
        }
        w.project()->flush();
    };
    select(0);
    run(QStringLiteral("在節拍分割"), 1);
    QCOMPARE(layout(), QStringLiteral("500-1500 1500-2500"));
    select(0);
    run(QStringLiteral("依節拍排列"), 0);
    QCOMPARE(layout(), QStringLiteral("500-1000 1000-1500"));
    w.form()->actionUndo->trigger();
    QCOMPARE(layout(), QStringLiteral("500-1500 1500-2500"));
    w.form()->actionUndo->trigger();
    QCOMPARE(layout(), QStringLiteral("480-2520"));
    w.form()->actionRedo->trigger();
    QCOMPARE(layout(), QStringLiteral("500-1500 1500-2500"));
    // Every other beat plays the pattern of the mode after it.
    show->insertMode(track, vc::test::colourMode(4000, 5000, Qt::blue).encode());
    w.project()->flush();
    select(1);
    run(QStringLiteral("在節拍分割，與下一個模式交替"), 0);
    QCOMPARE(layout(), QStringLiteral("500-1500 1500-2000 2000-2500 4000-5000"));
    QCOMPARE(show->records(track).at(1).colour, QColor(Qt::red));
    QCOMPARE(show->records(track).at(2).colour, QColor(Qt::blue));
    w.form()->actionUndo->trigger();
    QCOMPARE(layout(), QStringLiteral("500-1500 1500-2500 4000-5000"));
}

void TestSong::secondLoadWhileDecoding()
{
    const QString longSong = wav(QStringLiteral("long.wav"), 420, 8000, 1);
    const QString shortSong =
        wav(QStringLiteral("short.wav"), 20, 8000, 1, [](qint64, int) { return qint16(8192); });
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(longSong);
    QPointer<QProgressDialog> firstDialog = w.song()->progressDialog();
    const int firstLoad = w.song()->generation();
    // Let it decode for a while; whatever it has sent is still queued.
    QTest::qSleep(300);
    QVERIFY(w.song()->isDecoding());
    w.ReadSong(shortSong);
    QVERIFY(w.song()->generation() != firstLoad);
    QVERIFY(!firstDialog || !firstDialog->isVisible());
    QVERIFY(waitDecoded(decoded));
    QTest::qWait(1000);
    // Only the second song ended, with its own waveform and range.
    QCOMPARE(decoded.count(), 1);
    QCOMPARE(w.song()->points().size(), 20 * 480 + 1);
    // The first song's tone would reach 0.7; the second is a steady 0.5
    // (give or take the resampler's ripple at the start).
    QVERIFY2(qAbs(w.song()->peak() - 0.5) < 0.05, qPrintable(QString::number(w.song()->peak())));
    QCOMPARE(w.form()->Song_Slider->maximum(), 300000);
    QCOMPARE(w.form()->timeline_max->time(), QTime(0, 5));
}

void TestSong::secondSongReplacesChart()
{
    const QString a = wav(QStringLiteral("a.wav"), 5, 8000, 1);
    const QString b = wav(QStringLiteral("b.wav"), 10, 8000, 1,
                          [](qint64 i, int) { return qint16(i % 2 ? 1000 : -1000); });
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(a);
    QVERIFY(waitDecoded(decoded));
    QPointer<QtCharts::QChart> firstChart = w.chartView()->chart();
    QPointer<QtCharts::QLineSeries> firstSeries = w.song()->series();
    const double firstPeak = w.song()->peak();
    w.ReadSong(b);
    // The first song stays until the second has decoded.
    QCOMPARE(w.song()->series(), firstSeries);
    QCOMPARE(w.song()->points().size(), 5 * 480 + 1);
    QVERIFY(waitDecoded(decoded, 2));
    QVERIFY(w.song()->series() != firstSeries);
    QVERIFY(w.chartView()->chart() != firstChart);
    QVERIFY(!firstChart); // released with its series
    QCOMPARE(w.song()->points().size(), 10 * 480 + 1);
    QVERIFY(w.song()->peak() != firstPeak);
    QCOMPARE(w.chartView()->width(), 1000);
}

void TestSong::relativePath()
{
    wav(QStringLiteral("rel.wav"), 2, 8000, 1);
    const QString old = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(QStringLiteral("rel.wav"));
    const bool ok = waitDecoded(decoded, 1, 20000);
    QDir::setCurrent(old);
    QVERIFY(ok);
    QVERIFY(decoded.first().first().toLongLong() > 0);
    QCOMPARE(w.song()->points().size(), 2 * 480 + 1);
}

void TestSong::zoomResizesWaveform()
{
    const QString path = wav(QStringLiteral("60s_44100_2.wav"), 60, 44100, 2);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.ReadSong(path);
    QVERIFY(waitDecoded(decoded));
    QCOMPARE(w.chartView()->width(), 6000);
    w.form()->timeline_scaler->setValue(160);
    QCOMPARE(w.chartView()->width(), 24000);
    w.form()->timeline_scaler->setValue(40);
    QCOMPARE(w.chartView()->width(), 1500);
    w.form()->timeline_scaler->setValue(80);
    QCOMPARE(w.chartView()->width(), 6000);
}

void TestSong::chooseSongDialog()
{
    const QString path = wav(QStringLiteral("pick.wav"), 1, 8000, 1);
    vc::test::ScriptedPrompter prompter;
    prompter.fileNames.enqueue(QString()); // cancelled
    prompter.fileNames.enqueue(path);
    MainWindow w;
    QSignalSpy decoded(w.song(), &vc::SongLoader::decoded);
    w.form()->SongRead_Button->click();
    QCOMPARE(prompter.count("open"), 1);
    QCOMPARE(prompter.calls.last().title, QStringLiteral("選歌"));
    // Without a Music folder the dialog starts at home, not with "Music"
    // as the file name; once there is one, it starts in it.
    QCOMPARE(prompter.calls.last().text, QDir::homePath());
    QCOMPARE(prompter.calls.last().filter, QStringLiteral("(*.mp3 *.wav);;All files (*.*)"));
    QVERIFY(!w.song()->isDecoding());
    QVERIFY(QDir::home().mkpath(QStringLiteral("Music")));
    w.playback()->placeIndicator(4000);
    w.form()->SongRead_Button->click();
    QCOMPARE(prompter.calls.last().text, QDir::homePath() + "/Music");
    QVERIFY(waitDecoded(decoded, 1, 20000));
    QCOMPARE(w.form()->Song_dir->text(), QStringLiteral("pick.wav"));
    // A new song starts from its beginning.
    QCOMPARE(w.form()->timeline_headers->indicator()->msecs(), 0);
}

VC_TEST_MAIN(TestSong)
#include "tst_song.moc"
